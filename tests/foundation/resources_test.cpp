// The shipped exe's resources, read back under Wine the way Windows reads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "payload_info.h"
#include "support/wine_path.h"

namespace {

using velora::wine_tests::WinePath;

std::string ReadHostFile(const std::string& path) {
  std::ifstream in(WinePath(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ExeResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExA(WinePath(VELORA_EXE_PATH).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << GetLastError();
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  std::string Resource(LPCSTR name, LPCSTR type) {
    HRSRC info = FindResourceA(module_, name, type);
    if (info == nullptr) return {};
    HGLOBAL loaded = LoadResource(module_, info);
    const char* bytes = static_cast<const char*>(LockResource(loaded));
    return std::string(bytes, SizeofResource(module_, info));
  }
  HMODULE module_ = nullptr;
};

TEST_F(ExeResources, PayloadIsByteIdenticalToTheDataFile) {
  const std::string embedded = Resource(VELORA_PAYLOAD_RESOURCE_NAME, VELORA_PAYLOAD_RESOURCE_TYPE);
  const std::string onDisk = ReadHostFile(VELORA_PAYLOAD_HOST_PATH);
  ASSERT_EQ(embedded.size(), static_cast<size_t>(VELORA_PAYLOAD_SIZE));
  EXPECT_TRUE(embedded == onDisk);
  EXPECT_EQ(embedded.substr(0, 4), "vlfw");
  EXPECT_EQ(static_cast<unsigned char>(embedded[5]), VELORA_PAYLOAD_VERSION);
  // Resource names and types are looked up without regard to letter case.
  EXPECT_EQ(Resource("vlfw", "3bs").size(), embedded.size());
}

TEST_F(ExeResources, ManifestAsksForAdministratorAndCommonControls6WithoutSupportedOs) {
  const std::string manifest = Resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
  EXPECT_EQ(manifest.find("<supportedOS"), std::string::npos);
}

TEST_F(ExeResources, VersionInfoNamesTheProductAndMaker) {
  const std::string info = Resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));
  ASSERT_FALSE(info.empty());
  // StringFileInfo values are UTF-16; compare through a wide search.
  std::wstring wide(reinterpret_cast<const wchar_t*>(info.data()), info.size() / sizeof(wchar_t));
  EXPECT_NE(wide.find(L"Velora update"), std::wstring::npos);
  EXPECT_NE(wide.find(L"Orvane"), std::wstring::npos);
  EXPECT_NE(wide.find(L"FileVersion"), std::wstring::npos);
}

TEST_F(ExeResources, CarriesAnIcon) {
  EXPECT_NE(FindResourceA(module_, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14)), nullptr);
}

}  // namespace
