// The folder size behind "EstimatedSize", and the product start.
#include <gtest/gtest.h>

#include "driver/folder_size.h"
#include "support/test_session.h"

namespace velora {
namespace {

class FolderSizeTest : public ::testing::Test {
 protected:
  std::int32_t SizeOf(const std::string& folder) { return FolderSizeKb(session->platform.files, folder); }
  fakes::FakeWindows fake;
  std::unique_ptr<Session> session = fakes::MakeTestSession(fake);
};

TEST_F(FolderSizeTest, RoundsTheTotalDownToWholeKibibytes) {
  fake.files.AddFolder("C:\\Empty");
  EXPECT_EQ(SizeOf("C:\\Empty"), 0);
  fake.files.AddFile("C:\\A\\one.bin", std::string(1023, 'x'));
  EXPECT_EQ(SizeOf("C:\\A"), 0);
  fake.files.AddFile("C:\\B\\one.bin", std::string(1024, 'x'));
  EXPECT_EQ(SizeOf("C:\\B\\"), 1);
  fake.files.AddFile("C:\\C\\a.bin", std::string(1000, 'x'));
  fake.files.AddFile("C:\\C\\sub\\b.bin", std::string(1100, 'x'));
  EXPECT_EQ(SizeOf("C:\\C"), 2);
}

TEST_F(FolderSizeTest, CountsHiddenAndSystemFilesAndHiddenFolders) {
  fake.files.AddFolder("C:\\P\\hidden", win::kFileAttributeHidden);
  fake.files.AddFile("C:\\P\\hidden\\deep\\a.bin", std::string(2048, 'x'), win::kFileAttributeHidden);
  fake.files.AddFile("C:\\P\\sys.bin", std::string(1024, 'x'), win::kFileAttributeSystem);
  EXPECT_EQ(SizeOf("C:\\P"), 3);
}

TEST_F(FolderSizeTest, AFileAnEmptyPathOrNothingIsNoFolder) {
  fake.files.AddFile("C:\\file.bin", "x");
  EXPECT_EQ(SizeOf("C:\\file.bin"), -1);
  EXPECT_EQ(SizeOf(""), -1);
  EXPECT_EQ(SizeOf("C:\\nothing"), -1);
}

TEST_F(FolderSizeTest, DoesNotEnterJunctions) {
  fake.files.AddFile("C:\\P\\a.bin", std::string(1024, 'x'));
  fake.files.AddFolder("C:\\P\\loop", win::kFileAttributeReparsePoint);
  fake.files.AddFile("C:\\P\\loop\\big.bin", std::string(8192, 'x'));
  EXPECT_EQ(SizeOf("C:\\P"), 1);
}

// The listing reports 64-bit sizes; a 32-bit total would wrap past 4 GiB.
class HugeListing final : public platform::FileApi {
 public:
  platform::WinResult<platform::OpenFilePtr> Open(const std::string&, std::uint32_t, std::uint32_t,
                                                  std::uint32_t) override {
    return platform::Failed<platform::OpenFilePtr>(2);
  }
  platform::WinResult<std::uint32_t> Attributes(const std::string&) override {
    return platform::Succeeded(win::kFileAttributeDirectory);
  }
  platform::WinError Delete(const std::string&) override { return 0; }
  platform::WinError Move(const std::string&, const std::string&, std::uint32_t) override { return 0; }
  platform::WinResult<std::vector<platform::DirectoryEntry>> FindFiles(const std::string&) override {
    return platform::Succeeded(
        std::vector<platform::DirectoryEntry>{{"a.bin", 0x20, 3ULL << 30}, {"b.bin", 0x20, 3ULL << 30}});
  }
  platform::WinError SetCurrentFolder(const std::string&) override { return 0; }
  platform::WinResult<platform::OpenFilePtr> OpenWithFlags(const std::string&, std::uint32_t, std::uint32_t,
                                                           std::uint32_t, std::uint32_t) override {
    return platform::Failed<platform::OpenFilePtr>(2);
  }
  platform::WinResult<std::string> LongFullPath(const std::string& path) override { return platform::Succeeded(path); }
  platform::WinResult<platform::OpenFilePtr> OpenOwnModule() override {
    return platform::Failed<platform::OpenFilePtr>(2);
  }
};

TEST_F(FolderSizeTest, FoldersOverFourGibibytesDoNotWrap) {
  HugeListing files;
  platform::Platform huge{fake.registry, files, fake.ui, fake.desktop, fake.system, fake.progress};
  Session hugeSession(huge, {}, StartupState{.Registry = RegistryAccessor(fake.registry, 0)}, true);
  EXPECT_EQ(FolderSizeKb(hugeSession.platform.files, "C:\\Big"), 6 * 1024 * 1024);
}

}  // namespace
}  // namespace velora
