// The installation over the real file and system adapters: every kind of product file written from the
// test program's own resources, the version-guarded replacement with the real readers, the version
// resources of built programs, and a write that fails for real on a full disk. Boxes are recorded by a
// stand-in, since a real one blocks.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "driver/install_boxes.h"
#include "driver/session.h"
#include "install/embedded_file.h"
#include "install/version_readers.h"
#include "platform/win32/files.h"
#include "platform/win32/registry.h"
#include "platform/win32/system.h"
#include "support/wine_path.h"
#include "win32/win32_test_support.h"

namespace velora {
namespace {

using wine_tests::RecordingUi;
using wine_tests::WinePath;

class RecordingProgress final : public platform::ProgressWindowApi {
 public:
  std::vector<std::string> calls;
  platform::WinError Show(const std::string& title, const std::string& text) override {
    calls.push_back("show|" + title + "|" + text);
    return 0;
  }
  platform::WinError Hide() override {
    calls.push_back("hide");
    return 0;
  }
  platform::WinError SetTitle(const std::string&) override { return 0; }
  platform::WinError SetText(const std::string&) override { return 0; }
};

std::string ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class InstallFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = wine_tests::MakeTempFolder(std::string("velora-install-") +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override {
    for (const std::string& name : written_) DeleteFileA((folder_ + name).c_str());
    RemoveDirectoryA(folder_.c_str());
  }

  void UseFolder(std::string folder) {
    folder_ = std::move(folder);
    CreateDirectoryA(folder_.c_str(), /*lpSecurityAttributes=*/nullptr);
  }
  /// A path in the test's folder, removed again when the test ends.
  std::string PathOf(const std::string& name) {
    written_.push_back(name);
    written_.push_back("~" + name);
    return folder_ + name;
  }
  Session& MakeSession() {
    session_ = std::make_unique<Session>(real_.platform, std::vector<std::string>{}, StartupState{.UserLocale = 1033});
    session_->Names.EnglishProgName = "Velora update";
    return *session_;
  }

  std::string folder_;
  std::vector<std::string> written_;
  wine_tests::RealWindows<win32::Win32Files, win32::Win32Processes, RecordingProgress> real_;
  std::unique_ptr<Session> session_;
};

TEST_F(InstallFilesTest, EveryKindIsWrittenUnchangedFromTheProgramsOwnResources) {
  Session& session = MakeSession();
  for (const std::string kind : {"exe", "pak", "3bs", "lng", "cok"}) {
    const std::string destination = PathOf("product." + kind);
    WriteAll(destination, "an older copy in place");
    EXPECT_EQ(InstallEmbeddedFile(session.platform, WordedInstallBoxes(LanguageContextOf(session)), "kind" + kind, kind,
                                  destination, /*checkVersions=*/false)
                  .outcome,
              InstallOutcome::Written)
        << kind;
    EXPECT_EQ(ReadAll(destination), ReadAll(WinePath(VELORA_INSTALL_DATA_DIR "/kind_" + kind + ".bin"))) << kind;
    EXPECT_FALSE(Exists(folder_ + "~product." + kind)) << kind;
  }
  const std::string big = PathOf("vlfw.3bs");
  EXPECT_EQ(InstallEmbeddedFile(session.platform, WordedInstallBoxes(LanguageContextOf(session)), "BigData", "3BS", big,
                                /*checkVersions=*/true)
                .outcome,
            InstallOutcome::Written);
  EXPECT_EQ(ReadAll(big).size(), 2u * 1024 * 1024);
  EXPECT_TRUE(real_.ui.boxes.empty());
}

TEST_F(InstallFilesTest, ANewerInstalledFileIsKeptOnNoAndReplacedOnYes) {
  Session& session = MakeSession();
  const std::string destination = PathOf("vlfw.3bs");
  const std::string installed = std::string("vlfw\0\x01\x09 newer", 13);
  WriteAll(destination, installed);
  EXPECT_EQ(InstallEmbeddedFile(session.platform, WordedInstallBoxes(LanguageContextOf(session)), "KIND3BS", "3bs",
                                destination, true)
                .outcome,
            InstallOutcome::Declined);
  EXPECT_EQ(ReadAll(destination), installed);
  EXPECT_FALSE(Exists(folder_ + "~vlfw.3bs"));
  ASSERT_EQ(real_.ui.boxes.size(), 1u);
  EXPECT_NE(real_.ui.boxes[0].text.find("new file version 9 with an older file version 4?"), std::string::npos);

  real_.ui.answers = {IDYES};
  EXPECT_EQ(InstallEmbeddedFile(session.platform, WordedInstallBoxes(LanguageContextOf(session)), "KIND3BS", "3bs",
                                destination, true)
                .outcome,
            InstallOutcome::Written);
  EXPECT_EQ(ReadAll(destination), ReadAll(WinePath(VELORA_INSTALL_DATA_DIR "/kind_3bs.bin")));
  EXPECT_FALSE(Exists(folder_ + "~vlfw.3bs"));
  EXPECT_EQ(real_.progress.calls, (std::vector<std::string>{"hide", "show||", "hide", "show||"}));
}

TEST_F(InstallFilesTest, AFileAnotherOpenerHoldsIsNotReplacedAndKeepsItsBytes) {
  Session& session = MakeSession();
  const std::string destination = PathOf("product.pak");
  WriteAll(destination, "installed and in use");
  HANDLE held = CreateFileA(destination.c_str(), GENERIC_READ, FILE_SHARE_READ, /*lpSecurityAttributes=*/nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, /*hTemplateFile=*/nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadPakVersion(session.platform.files, destination), 0);  // the reader wants the file to itself
  EXPECT_EQ(InstallEmbeddedFile(session.platform, WordedInstallBoxes(LanguageContextOf(session)), "KINDPAK", "pak",
                                destination, false)
                .outcome,
            InstallOutcome::Failed);
  CloseHandle(held);
  EXPECT_EQ(ReadAll(destination), "installed and in use");
  EXPECT_FALSE(Exists(folder_ + "~product.pak"));
  ASSERT_EQ(real_.ui.boxes.size(), 1u);
  EXPECT_EQ(real_.ui.boxes[0].text, "Can't install file " + destination);
}

TEST_F(InstallFilesTest, ProgramVersionsComeFromTheFirstTranslation) {
  Session& session = MakeSession();
  EXPECT_EQ(ReadExeFileVersion(session.platform.programFiles, WinePath(VELORA_VERSION_ONE_EXE)), "1.2.3.4");
  EXPECT_EQ(ReadExeFileVersion(session.platform.programFiles, WinePath(VELORA_VERSION_TWO_EXE)), "2.0.0.1");
  EXPECT_EQ(ReadExeFileVersion(session.platform.programFiles, WinePath(VELORA_VERSION_NONE_EXE)), "");
  EXPECT_EQ(ReadExeFileVersion(session.platform.programFiles, WinePath(VELORA_INSTALL_DATA_DIR "/kind_lng.bin")), "");
  EXPECT_EQ(ReadExeFileVersion(session.platform.programFiles, folder_ + "missing.exe"), "");
}

class InstallOnAFullDiskTest : public InstallFilesTest {
 protected:
  void SetUp() override {
    const char* fullDisk = std::getenv("VELORA_FULL_DISK_FOLDER");
    if (fullDisk == nullptr) GTEST_SKIP() << "needs the 1 MiB tmpfs of the install.full_disk CTest entry";
    UseFolder(WinePath(fullDisk) + "\\");
  }
};

TEST_F(InstallOnAFullDiskTest, AWriteThatFailsLeavesTheInstalledFileIntact) {
  Session& session = MakeSession();
  const std::string destination = PathOf("vlfw.3bs");
  const std::string installed(600 * 1024, 'i');  // leaves too little room for the 2 MiB copy
  WriteAll(destination, installed);
  ASSERT_EQ(ReadAll(destination).size(), installed.size());
  EXPECT_EQ(InstallEmbeddedFile(session.platform, WordedInstallBoxes(LanguageContextOf(session)), "BIGDATA", "3bs",
                                destination, false)
                .outcome,
            InstallOutcome::Failed);
  EXPECT_TRUE(ReadAll(destination) == installed);
  EXPECT_FALSE(Exists(folder_ + "~vlfw.3bs"));
  ASSERT_EQ(real_.ui.boxes.size(), 1u);
  EXPECT_EQ(real_.ui.boxes[0].text, "Can't install file " + destination);
}

}  // namespace
}  // namespace velora
