// The language support over the real file adapter: a language file that another process holds open
// without sharing is named in the box and yields empty text, and the current file stays open for
// other readers only. Boxes are recorded by a stand-in for the user interface, since a real one blocks.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "driver/session.h"
#include "language/language_loader.h"
#include "language/lookups.h"
#include "platform/win32/files.h"
#include "platform/win32/registry.h"
#include "platform/win32/system.h"
#include "platform/win32/unique_handle.h"
#include "win32/win32_test_support.h"

namespace velora {
namespace {

// The child copy of this program holds the file named here until the parent sets the release event.
constexpr const char* kHeldFileVariable = "VELORA_TEST_HELD_LANGUAGE_FILE";
constexpr const char* kHeldEventName = "velora-language-test-held";
constexpr const char* kReleaseEventName = "velora-language-test-release";
constexpr DWORD kChildTimeoutMs = 60000;

using wine_tests::NoProgressWindow;
using wine_tests::RecordingUi;

std::string LanguageFile(const std::string& name, const std::string& code) {
  return "[langname]\r\n" + name + "\r\n\r\n[langver]\r\n1\r\n\r\n[langcode]\r\n" + code +
         "\r\n\r\n[langcharset]\r\n0\r\n\r\n[progname]\r\n" + name + " caption\r\n\r\n[greeting]\r\nHello from " +
         name + "\r\nsecond line\r\n\r\n";
}

// Starts a second copy of this program that opens path without sharing and keeps it open until released.
class OtherProcessHolding {
 public:
  explicit OtherProcessHolding(const std::string& path)
      : held_(CreateEventA(/*lpEventAttributes=*/nullptr, /*bManualReset=*/TRUE, /*bInitialState=*/FALSE,
                           kHeldEventName)),
        release_(CreateEventA(nullptr, TRUE, FALSE, kReleaseEventName)) {
    char self[MAX_PATH];
    GetModuleFileNameA(/*hModule=*/nullptr, self, MAX_PATH);
    std::string commandLine =
        "\"" + std::string(self) + "\" --gtest_filter=LanguageFileHolder.* --gtest_also_run_disabled_tests";
    SetEnvironmentVariableA(kHeldFileVariable, path.c_str());
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(self, commandLine.data(), /*lpProcessAttributes=*/nullptr,
                                        /*lpThreadAttributes=*/nullptr, /*bInheritHandles=*/FALSE,
                                        /*dwCreationFlags=*/0, /*lpEnvironment=*/nullptr,
                                        /*lpCurrentDirectory=*/nullptr, &startup, &process);
    SetEnvironmentVariableA(kHeldFileVariable, nullptr);
    if (!started) return;
    process_.reset(process.hProcess);
    CloseHandle(process.hThread);
    holding_ = WaitForSingleObject(held_.get(), kChildTimeoutMs) == WAIT_OBJECT_0;
  }
  ~OtherProcessHolding() {
    SetEvent(release_.get());
    if (process_) WaitForSingleObject(process_.get(), kChildTimeoutMs);
  }
  bool Holding() const { return holding_; }

 private:
  win32::unique_handle held_;
  win32::unique_handle release_;
  win32::unique_handle process_;
  bool holding_ = false;
};

// Runs only in the child started above (disabled tests are skipped in ordinary runs).
TEST(LanguageFileHolder, DISABLED_HoldFileWithoutSharing) {
  const char* path = std::getenv(kHeldFileVariable);
  ASSERT_NE(path, nullptr);
  win32::unique_hfile file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, /*dwShareMode=*/0,
                                       /*lpSecurityAttributes=*/nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                       /*hTemplateFile=*/nullptr));
  ASSERT_TRUE(file);
  win32::unique_handle held(OpenEventA(EVENT_MODIFY_STATE, /*bInheritHandle=*/FALSE, kHeldEventName));
  win32::unique_handle release(OpenEventA(SYNCHRONIZE, FALSE, kReleaseEventName));
  ASSERT_TRUE(held && release);
  SetEvent(held.get());
  WaitForSingleObject(release.get(), kChildTimeoutMs);
}

class LanguageFilesOnWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    product_ = wine_tests::MakeTempFolder("velora-language-test");
    CreateDirectoryA((product_ + "language").c_str(), nullptr);
    Write("english.lng", LanguageFile("English", "1033"));
    Write("german.lng", LanguageFile("Deutsch", "1031"));
  }
  void TearDown() override {
    session_.reset();  // closes the current file before it is deleted
    for (const char* name : {"english.lng", "german.lng"}) DeleteFileA((product_ + "language\\" + name).c_str());
    RemoveDirectoryA((product_ + "language").c_str());
    RemoveDirectoryA(product_.c_str());
  }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(product_ + "language\\" + name, std::ios::binary) << bytes;
  }
  // A German user; the product key of a name of its own, so that no stored choice interferes.
  Session& MakeSession() {
    StartupState startup{.UserLocale = 1031, .RegistryView = platform::RegistryView::Bits64};
    session_ = std::make_unique<Session>(real_.platform, std::vector<std::string>{}, std::move(startup));
    session_->Names = {.AppName = "VeloraLanguageTest", .EnglishProgName = "Velora update"};
    session_->Environment.ProductFolder = product_;
    return *session_;
  }
  std::string GermanPath() const { return product_ + "language\\german.lng"; }

  wine_tests::RealWindows<> real_;
  std::unique_ptr<Session> session_;
  std::string product_;
};

TEST_F(LanguageFilesOnWindows, TheCurrentFileStaysOpenForOtherReadersButNotForWriters) {
  Session& session = MakeSession();
  ASSERT_TRUE(LoadLanguage(LanguageContextOf(session)));
  EXPECT_TRUE(real_.ui.boxes.empty());
  EXPECT_EQ(session.Language.Files.at(session.Language.CurrentLang).file, "german.lng");
  EXPECT_EQ(GetLangLines(LanguageContextOf(session), "GREETING"), "Hello from Deutsch\r\nsecond line");

  win32::unique_hfile reader(CreateFileA(GermanPath().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                         /*lpSecurityAttributes=*/nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                         /*hTemplateFile=*/nullptr));
  EXPECT_TRUE(reader);
  win32::unique_hfile writer(CreateFileA(GermanPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_FALSE(writer);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

TEST_F(LanguageFilesOnWindows, AFileHeldWithoutSharingByAnotherProcessIsNamedAndYieldsEmptyText) {
  Session& session = MakeSession();
  {
    OtherProcessHolding holder(GermanPath());
    ASSERT_TRUE(holder.Holding());
    EXPECT_FALSE(LoadLanguage(LanguageContextOf(session)));
    ASSERT_FALSE(real_.ui.boxes.empty());
    EXPECT_EQ(real_.ui.boxes.front().text, "Can't handle the language support file german.lng");
    EXPECT_EQ(real_.ui.boxes.back().text, "german.lng file contains errors.\r\nPlease reinstall the program.");

    real_.ui.boxes.clear();
    EXPECT_EQ(GetLangText(LanguageContextOf(session), "greeting"), "");
    ASSERT_EQ(real_.ui.boxes.size(), 1u);
    EXPECT_EQ(real_.ui.boxes[0].text, "Can't handle the language support file german.lng");
    EXPECT_EQ(real_.ui.boxes[0].style, 0x00200010u);
  }
  // Once the other process lets go, the next lookup opens the file again.
  EXPECT_EQ(GetLangText(LanguageContextOf(session), "greeting"), "Hello from Deutsch");
}

}  // namespace
}  // namespace velora
