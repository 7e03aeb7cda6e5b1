// The driver's pieces over the real Win32 adapters: the stamp the build wrote checked with the Windows
// crypto provider, the product's shared memory, the folder size of real files, DLLs from System32.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "driver/integrity_check.h"
#include "driver/folder_size.h"
#include "driver/product.h"
#include "driver/session.h"
#include "platform/win32/files.h"
#include "platform/win32/registry.h"
#include "platform/win32/system.h"
#include "platform/win32/ui.h"
#include "win32/win32_test_support.h"

namespace velora {
namespace {

using wine_tests::WinePath;

// The real file adapter, except that "the program's own file" is a file the test chooses.
class FilesWithOwnFile final : public win32::Win32Files {
 public:
  std::string ownFile;
  platform::WinResult<platform::OpenFilePtr> OpenOwnModule() override {
    return Open(ownFile, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  }
};

class DriverOnWindows : public ::testing::Test {
 protected:
  void SetUp() override { scratch_ = wine_tests::MakeTempFolder("velora-driver-test"); }
  void TearDown() override {
    for (const auto& file : created_) DeleteFileA(file.c_str());
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) RemoveDirectoryA(it->c_str());
    RemoveDirectoryA(scratch_.c_str());
  }
  void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
    created_.push_back(path);
  }
  void MakeFolder(const std::string& path) {
    CreateDirectoryA(path.c_str(), nullptr);
    folders_.push_back(path);
  }
  Session MakeSession() {
    return Session(real_.platform, {}, StartupState{.RegistryView = platform::RegistryView::Bits64});
  }

  wine_tests::RealWindows<FilesWithOwnFile, win32::Win32Processes, wine_tests::NoProgressWindow, win32::Win32Ui> real_;
  std::string scratch_;
  std::vector<std::string> created_;
  std::vector<std::string> folders_;
};

TEST_F(DriverOnWindows, CryptoProviderGivesTheStandardSha256) {
  EXPECT_EQ(real_.ownModule.Sha256Hex("abc").value, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(real_.ownModule.Sha256Hex("").value, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST_F(DriverOnWindows, TheBuiltExeIsIntactAndAnyChangedOrMissingByteIsDamage) {
  std::ifstream in(WinePath(VELORA_EXE_PATH), std::ios::binary);
  const std::string image{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_GT(image.size(), kStampSize);
  Session session = MakeSession();

  real_.files.ownFile = WinePath(VELORA_EXE_PATH);
  EXPECT_EQ(CheckOwnIntegrity(session.platform), IntegrityResult::Intact);

  std::string flipped = image;
  flipped[flipped.size() / 2] ^= 0x01;
  WriteFile(scratch_ + "flipped.exe", flipped);
  real_.files.ownFile = scratch_ + "flipped.exe";
  EXPECT_EQ(CheckOwnIntegrity(session.platform), IntegrityResult::Damaged);

  WriteFile(scratch_ + "cut.exe", image.substr(0, image.size() - 1));
  real_.files.ownFile = scratch_ + "cut.exe";
  EXPECT_EQ(CheckOwnIntegrity(session.platform), IntegrityResult::Damaged);

  real_.files.ownFile = scratch_ + "missing.exe";
  EXPECT_EQ(CheckOwnIntegrity(session.platform), IntegrityResult::Unreadable);
}

TEST_F(DriverOnWindows, TheProductCountsAsRunningWhileItsMappingExists) {
  RunningProduct running(real_.platform, {scratch_, scratch_ + "Velora.exe"});
  EXPECT_FALSE(running.IsRunning());
  HANDLE product = CreateFileMappingA(INVALID_HANDLE_VALUE, /*lpFileMappingAttributes=*/nullptr, PAGE_READWRITE,
                                      /*dwMaximumSizeHigh=*/0, /*dwMaximumSizeLow=*/64, "velora_memfile");
  ASSERT_NE(product, nullptr);
  EXPECT_TRUE(running.IsRunning());
  CloseHandle(product);
}

TEST_F(DriverOnWindows, FolderSizeOfRealFilesIncludingHiddenOnes) {
  Session session = MakeSession();
  MakeFolder(scratch_ + "product");
  MakeFolder(scratch_ + "product\\hidden");
  SetFileAttributesA((scratch_ + "product\\hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
  WriteFile(scratch_ + "product\\a.bin", std::string(1000, 'a'));
  WriteFile(scratch_ + "product\\hidden\\b.bin", std::string(1100, 'b'));
  EXPECT_EQ(FolderSizeKb(session.platform.files, scratch_ + "product"), 2);
  EXPECT_EQ(FolderSizeKb(session.platform.files, scratch_ + "product\\a.bin"), -1);
}

TEST(SystemLibraries, VersionDllIsLoadedFromTheSystemFolder) {
  auto version = win32::LoadSystemLibrary("version.dll");
  ASSERT_EQ(version.error, 0u);
  ASSERT_TRUE(version.value);
  char path[MAX_PATH];
  GetModuleFileNameA(version.value.get(), path, MAX_PATH);
  char system[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_EQ(_strnicmp(path, system, strlen(system)), 0) << path;
}

}  // namespace
}  // namespace velora
