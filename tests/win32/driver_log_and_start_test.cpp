// The log's file handling and the de-elevated start over the real adapters: append-only opens, hard
// links seen by their count, Windows' error texts, ANSI to UTF-8, and a program started with a
// duplicated token in the folder it is given.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "driver/run_log.h"
#include "platform/win32/files.h"
#include "platform/win32/system.h"
#include "platform/win32/desktop.h"
#include "win32/win32_test_support.h"

namespace velora {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class LogAndStartOnWindows : public ::testing::Test {
 protected:
  // A folder of each test's own: CTest runs them side by side.
  void SetUp() override {
    folder_ = wine_tests::MakeTempFolder(std::string("velora-log-test-") +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override {
    // The links of the test first, as links: deleting one through Wine would take its target.
    for (const char* link : {"VeloraUpdate.log", "linked"}) wine_tests::RemoveUnixName(folder_, link);
    for (const char* name :
         {"VeloraUpdate.log", "VeloraUpdate.old.log", "other.txt", "cwd.txt", "real\\VeloraUpdate.log"}) {
      DeleteFileA((folder_ + name).c_str());
    }
    RemoveDirectoryA((folder_ + "real").c_str());
    RemoveDirectoryA(folder_.c_str());
  }

  // Starts the system's cmd.exe with the token, writing its current folder to cwd.txt, and expects the
  // folder given.
  template <class Token>
  void ExpectStartedInTheFolderGiven(Token& token) {
    const std::string interpreter = machine_.SystemDirectory().value + "\\cmd.exe";
    ASSERT_EQ(token.StartProcess(interpreter, "\"" + interpreter + "\" /c cd > cwd.txt", folder_, SW_HIDE), 0u);
    std::string written;
    for (int waited = 0; waited < 100 && written.empty(); ++waited) {
      Sleep(100);
      written = ReadAll(folder_ + "cwd.txt");
    }
    std::string expected = folder_.substr(0, folder_.size() - 1);
    EXPECT_EQ(_strnicmp(written.c_str(), expected.c_str(), expected.size()), 0) << written;
  }

  win32::Win32Files files_;
  win32::Win32Machine machine_;
  win32::Win32Text text_;
  win32::Win32Processes processes_;
  win32::Win32Tokens tokens_;
  win32::Win32Sessions sessions_;
  std::string folder_;
};

TEST_F(LogAndStartOnWindows, TheLogIsAppendedAndRotatedOnRealFiles) {
  {
    RunLog log(files_, text_, machine_);
    log.Open(folder_);
    ASSERT_TRUE(log.IsOpen());
    log.Write("one");
  }
  {
    RunLog log(files_, text_, machine_);
    log.Open(folder_);
    log.Write("two");
  }
  const std::string text = ReadAll(folder_ + "VeloraUpdate.log");
  ASSERT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u);
  EXPECT_EQ(text.size(), 3 + 2 * 24 + 5 + 5) << text;  // one mark, two stamped lines with CR LF
  EXPECT_NE(text.find("one\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 5), "two\r\n");

  std::ofstream(folder_ + "VeloraUpdate.log", std::ios::binary | std::ios::app) << std::string(1 << 20, 'x');
  RunLog log(files_, text_, machine_);
  log.Open(folder_);
  log.Write("three");
  EXPECT_GT(ReadAll(folder_ + "VeloraUpdate.old.log").size(), 1u << 20);
  EXPECT_EQ(ReadAll(folder_ + "VeloraUpdate.log").size(), 3 + 24 + 7u);
}

TEST_F(LogAndStartOnWindows, AHardLinkAtTheLogsNameIsSeenAndLeftAlone) {
  const std::string other = folder_ + "other.txt";
  std::ofstream(other, std::ios::binary) << "somebody's file";
  ASSERT_TRUE(CreateHardLinkA((folder_ + "VeloraUpdate.log").c_str(), other.c_str(), nullptr));
  auto opened = files_.OpenWithFlags(other, win::kFileReadAttributes, win::kFileShareRead | win::kFileShareWrite,
                                     win::kOpenExisting, win::kFileFlagOpenReparsePoint);
  ASSERT_TRUE(opened.ok());
  EXPECT_EQ(opened.value->Information().value.links, 2u);
  opened.value.reset();

  RunLog log(files_, text_, machine_);
  log.Open(folder_);
  log.Write("must not land in the other file");
  EXPECT_FALSE(log.IsOpen());
  EXPECT_EQ(ReadAll(other), "somebody's file");
}

// Wine does not report its symbolic links as reparse points, as Windows does not for a link behind a
// junction: where the opened handle really leads is what gives them away.
TEST_F(LogAndStartOnWindows, ASymbolicLinkAtTheLogsNameOrInItsFolderIsNotWrittenThrough) {
  const std::string other = folder_ + "other.txt";
  std::ofstream(other, std::ios::binary) << "somebody's file";
  ASSERT_TRUE(wine_tests::MakeUnixSymlink(folder_, "other.txt", "VeloraUpdate.log"));
  ASSERT_TRUE(CreateDirectoryA((folder_ + "real").c_str(), nullptr));
  ASSERT_TRUE(wine_tests::MakeUnixSymlink(folder_, "real", "linked"));
  for (const std::string& logFolder : {folder_, folder_ + "linked\\"}) {
    RunLog log(files_, text_, machine_);
    log.Open(logFolder);
    log.Write("must not land in the other file");
    EXPECT_FALSE(log.IsOpen()) << logFolder;
  }
  EXPECT_EQ(ReadAll(other), "somebody's file");
  // The log the run created behind the folder link was deleted through its own handle.
  EXPECT_EQ(GetFileAttributesA((folder_ + "real\\VeloraUpdate.log").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(LogAndStartOnWindows, ErrorTextsAndUtf8ComeFromWindows) {
  const auto denied = text_.TryErrorMessage(ERROR_ACCESS_DENIED);
  ASSERT_TRUE(denied);
  EXPECT_FALSE(denied->empty());
  EXPECT_NE(denied->back(), '\n');
  EXPECT_FALSE(text_.TryErrorMessage(0x2FFFFFFF));
  EXPECT_EQ(text_.AnsiToUtf8("plain").value, "plain");
  // U+00E9 in code page 1252, which this tier runs with.
  EXPECT_EQ(text_.AnsiToUtf8("caf\xE9").value, "caf\xC3\xA9");
}

TEST_F(LogAndStartOnWindows, AProgramStartedWithADuplicatedTokenRunsInTheFolderGiven) {
  auto token = tokens_.OpenProcessPrimaryToken(GetCurrentProcessId());
  ASSERT_TRUE(token.ok()) << token.error;
  ExpectStartedInTheFolderGiven(*token.value);
}

// Wine runs programs with the full half of a split token, as UAC runs an elevated one; the linked half
// is the limited one, and CreateProcessWithTokenW starts a program with it.
TEST_F(LogAndStartOnWindows, TheFullHalfOfASplitTokenHasALimitedLinkedTokenThatStartsAProgram) {
  const auto elevation = tokens_.OwnElevationType();
  ASSERT_TRUE(elevation.ok()) << elevation.error;
  EXPECT_EQ(elevation.value, platform::TokenElevationType::Full);
  auto linked = tokens_.OpenLinkedToken();
  ASSERT_TRUE(linked.ok()) << linked.error;
  ExpectStartedInTheFolderGiven(*linked.value);
}

// Every function of the console-session start is found at run time, and the chain runs: a desktop
// session here (not 0, so the tier runs the way a signed-in user's run does), its console's user token,
// that user's environment and CreateProcessAsUserW on the interactive desktop.
TEST_F(LogAndStartOnWindows, AProgramStartedWithTheConsoleUsersTokenRunsInTheFolderGiven) {
  const auto ownSession = sessions_.OwnSessionId();
  ASSERT_TRUE(ownSession.ok()) << ownSession.error;
  EXPECT_NE(ownSession.value, 0u);
  const auto console = sessions_.TryActiveConsoleSessionId();
  ASSERT_TRUE(console);
  auto token = sessions_.QuerySessionUserToken(*console);
  ASSERT_TRUE(token.ok()) << token.error;
  ExpectStartedInTheFolderGiven(*token.value);
}

// The product's wait: a process still running times out at once, and the wait returns when it ends.
TEST_F(LogAndStartOnWindows, AProcessOpenedToWaitForIsSeenToEnd) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  // Suspended: it runs until the test ends it.
  std::string commandLine = "\"" + machine_.SystemDirectory().value + "\\cmd.exe\" /c exit";
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                             &startup, &started));
  win32::unique_handle process(started.hProcess);
  win32::unique_handle thread(started.hThread);
  auto waitable = processes_.OpenProcessToWaitFor(started.dwProcessId);
  ASSERT_TRUE(waitable.ok()) << waitable.error;
  EXPECT_EQ(waitable.value->WaitForEnd(0), static_cast<DWORD>(WAIT_TIMEOUT));
  ASSERT_TRUE(TerminateProcess(process.get(), 0));
  EXPECT_EQ(waitable.value->WaitForEnd(30000), 0u);
  EXPECT_FALSE(processes_.OpenProcessToWaitFor(0xFFFFFFF0).ok());
}

// The window's owner, as the updater finds the product's process from its main window.
TEST(DesktopOnWindows, AWindowsProcessIsItsOwner) {
  HWND window = CreateWindowExA(0, "STATIC", "owner", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  win32::Win32Desktop desktop;
  EXPECT_EQ(desktop.TryWindowProcessId(reinterpret_cast<platform::WindowId>(window)), GetCurrentProcessId());
  DestroyWindow(window);
  EXPECT_FALSE(desktop.TryWindowProcessId(reinterpret_cast<platform::WindowId>(window)));
}

// What a service uses to reach the users' sessions, here in this program's own session: the processes of
// an image are found by the image the opened handle shows (letter case aside), with their session; and this
// program, started with a copy of its token moved to a session, runs (it writes its test list to a file).
TEST_F(LogAndStartOnWindows, ProcessesAreFoundByTheirImageAndThisProgramStartsInASession) {
  wchar_t ownPath[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, ownPath, MAX_PATH);
  char ansiPath[MAX_PATH] = {};
  WideCharToMultiByte(CP_ACP, 0, ownPath, -1, ansiPath, MAX_PATH, nullptr, nullptr);
  std::string shouted = ansiPath;
  for (char& c : shouted) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  DWORD ownSession = 0;
  ASSERT_TRUE(ProcessIdToSessionId(GetCurrentProcessId(), &ownSession));

  auto found = processes_.OpenProcessesOfImage(shouted);
  ASSERT_TRUE(found.ok()) << found.error;
  EXPECT_NE(std::find(found.value.sessionIds.begin(), found.value.sessionIds.end(), ownSession),
            found.value.sessionIds.end());
  ASSERT_NE(found.value.processes, nullptr);
  EXPECT_EQ(found.value.processes->WaitForEnd(0), static_cast<platform::WinError>(WAIT_TIMEOUT));  // itself runs
  auto elsewhere = processes_.OpenProcessesOfImage(folder_ + "win32_tests.exe");
  ASSERT_TRUE(elsewhere.ok());
  EXPECT_TRUE(elsewhere.value.sessionIds.empty());
  EXPECT_EQ(elsewhere.value.processes, nullptr);

  const std::string listed = folder_ + "other.txt";
  ASSERT_EQ(sessions_.StartOwnProgramInSession(ownSession,
                                               "--gtest_list_tests --gtest_filter=None "
                                               "--gtest_output=json:" +
                                                   listed),
            0u);
  std::string written;
  for (int waited = 0; waited < 100 && written.empty(); ++waited) {
    Sleep(100);
    written = ReadAll(listed);
  }
  EXPECT_NE(written.find("\"tests\""), std::string::npos) << written;
}

}  // namespace
}  // namespace velora
