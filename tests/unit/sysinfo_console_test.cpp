// Console command capture over the fake machine: the exact command line, the hidden new console, the
// output assembled line by line, the OEM-to-ANSI conversion, and the temporary file gone on every path.
#include <gtest/gtest.h>

#include <string>

#include "support/fake_windows.h"
#include "sysinfo/console_command.h"
#include "sysinfo_fake_interpreter.h"

namespace velora {
namespace {

constexpr std::uint32_t kSeed = 12345;

/// The temporary path the next call will use: the folder and 8 letters 'a' + n % 26 of the first eight
/// numbers a minstd_rand seeded with kSeed draws (595905495, ... worked out once: "dfdvkuag").
std::string ExpectedTempPath(const std::string& folder) { return folder + "dfdvkuag"; }

std::string Capture(fakes::FakeWindows& fake, const std::string& command = "ver") {
  std::minstd_rand random(kSeed);
  return RunConsoleCommand(fake.platform, random, command);
}

TEST(RunConsoleCommand, RunsTheInterpreterHiddenInANewConsoleWithTheOutputRedirectedToATempFile) {
  fakes::FakeWindows fake;
  fakes::InterpreterPrints(fake, "\r\nMicrosoft Windows [Version 6.1.7601]\r\n");
  EXPECT_EQ(Capture(fake), "\r\nMicrosoft Windows [Version 6.1.7601]\r\n");
  const std::string path = ExpectedTempPath("C:\\Temp\\");
  ASSERT_EQ(fake.system.processCommandLines.size(), 1u);
  EXPECT_EQ(fake.system.processCommandLines[0],
            "\"" + std::string(fakes::kSystemInterpreter) + "\" /d /c ver > \"" + path + "\"");
  EXPECT_EQ(fake.system.processCreationFlags[0], 0x210u);
  EXPECT_EQ(fake.system.processShowWindow[0], 0);
  ASSERT_FALSE(fake.files.Creates().empty());
  EXPECT_EQ(fake.files.Creates()[0].access, 0x80000000u);
  EXPECT_EQ(fake.files.Creates()[0].share, 0x1u);
  EXPECT_EQ(fake.files.Creates()[0].disposition, 3u);
  EXPECT_FALSE(fake.files.FileExists(path));
  EXPECT_EQ(fake.files.OpenHandleCount(), 0);
}

TEST(RunConsoleCommand, TheTempFolderGetsOneBackslashAndAnUnsetTempLeavesTheNameAlone) {
  struct Case {
    std::optional<std::string> temp;
    std::string folder;
  };
  for (const Case& c : {Case{"C:\\Temp", "C:\\Temp\\"}, Case{"C:\\Temp\\", "C:\\Temp\\"}, Case{std::nullopt, ""}}) {
    SCOPED_TRACE(c.temp.value_or("(unset)"));
    fakes::FakeWindows fake;
    fakes::InterpreterPrints(fake, "out");
    fake.system.environment.erase("temp");
    if (c.temp) fake.system.SetEnvironment("Temp", *c.temp);
    Capture(fake);
    ASSERT_EQ(fake.system.processCommandLines.size(), 1u);
    EXPECT_EQ(fakes::RedirectTarget(fake.system.processCommandLines[0]), ExpectedTempPath(c.folder));
    EXPECT_EQ(fake.files.AllFiles(), std::vector<std::string>{});
  }
}

TEST(RunConsoleCommand, EveryLineEndsInCrLfWhateverEndedItInTheFile) {
  struct Case {
    std::string file;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"", "\r\n"},
      {"one", "one\r\n"},
      {"one\ntwo\n", "one\r\ntwo\r\n"},
      {"one\r\n\r\ntwo", "one\r\n\r\ntwo\r\n"},
      {"a\rb\r\n", "a\rb\r\n"},
      {std::string(5000, 'x') + "\n", std::string(5000, 'x') + "\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file.substr(0, 20));
    fakes::FakeWindows fake;
    fakes::InterpreterPrints(fake, c.file);
    EXPECT_EQ(Capture(fake), c.expected);
  }
}

TEST(RunConsoleCommand, OemBytesComeBackInTheAnsiCodePage) {
  fakes::FakeWindows fake;
  fakes::InterpreterPrints(fake, "\x8F\xE0\xA8\xA2\xA5\xE2\r\n");  // "Привет" in code page 866
  EXPECT_EQ(Capture(fake), "\xCF\xF0\xE8\xE2\xE5\xF2\r\n");        // and in code page 1251
}

// The user's environment is theirs to set, and the updater runs elevated: "ComSpec" never picks the
// program, and /d keeps the AutoRun commands of the registry from running.
TEST(RunConsoleCommand, TheInterpreterIsTheSystemFoldersWhateverComSpecSays) {
  struct Case {
    std::string systemDirectory;
    std::string firstTokens;  ///< empty: nothing starts
  };
  for (const Case& c : {Case{"C:\\windows\\system32", "\"C:\\windows\\system32\\cmd.exe\" /d /c ver > "},
                        Case{"C:\\Program Files\\", "\"C:\\Program Files\\cmd.exe\" /d /c ver > "}, Case{"", ""}}) {
    SCOPED_TRACE(c.systemDirectory);
    fakes::FakeWindows fake;
    fakes::InterpreterPrints(fake, "ok\r\n");
    fake.system.systemDirectory = c.systemDirectory;  // empty: GetSystemDirectoryA fails
    EXPECT_EQ(Capture(fake), c.firstTokens.empty() ? "" : "ok\r\n");
    ASSERT_EQ(fake.system.processCommandLines.size(), c.firstTokens.empty() ? 0u : 1u);
    if (!c.firstTokens.empty()) {
      EXPECT_EQ(fake.system.processCommandLines[0].rfind(c.firstTokens, 0), 0u);
    }
  }
}

TEST(RunConsoleCommand, AnInterpreterThatCannotStartGivesOneEmptyLineAndRemovesAStaleFile) {
  fakes::FakeWindows fake;
  fake.system.SetEnvironment("Temp", "C:\\Temp");
  const std::string path = ExpectedTempPath("C:\\Temp\\");
  fake.files.AddFile(path, "stale output\r\n");  // left by someone else under the same name
  fake.system.onRunProcess = [](const std::string&) -> platform::WinError { return 2; };
  // The stale file is read as it is, like any output file, and then removed.
  EXPECT_EQ(Capture(fake), "stale output\r\n");
  EXPECT_FALSE(fake.files.FileExists(path));

  fake.system.processCommandLines.clear();
  EXPECT_EQ(Capture(fake), "\r\n");
  EXPECT_EQ(fake.files.AllFiles(), std::vector<std::string>{});
}

TEST(RunConsoleCommand, TheTempFileIsRemovedWhenOpeningOrReadingItFails) {
  for (fakes::FileOp failing : {fakes::FileOp::Open, fakes::FileOp::Read}) {
    fakes::FakeWindows fake;
    fakes::InterpreterPrints(fake, "out\r\n");
    const std::string path = ExpectedTempPath("C:\\Temp\\");
    fake.files.InjectFailure(failing, path, 30);
    EXPECT_EQ(Capture(fake), "\r\n");
    EXPECT_FALSE(fake.files.FileExists(path));
    EXPECT_EQ(fake.files.OpenHandleCount(), 0);
  }
}

TEST(RunConsoleCommand, AReadThatFailsAfterSomeOutputKeepsWhatWasRead) {
  fakes::FakeWindows fake;
  fakes::InterpreterPrints(fake, "Microsoft Windows [Version 10.0.19045]\r\n");
  fake.files.InjectFailure(fakes::FileOp::Read, ExpectedTempPath("C:\\Temp\\"), 23, /*skip=*/1);  // ERROR_CRC
  EXPECT_EQ(Capture(fake), "Microsoft Windows [Version 10.0.19045]\r\n");
}

TEST(OemToAnsiText, ConvertsEveryByteAndKeepsTheLength) {
  fakes::FakeWindows fake;
  EXPECT_EQ(OemToAnsiText(fake.system, ""), "");
  const std::string converted = OemToAnsiText(fake.system, std::string("\x80\0\xEF", 3));
  EXPECT_EQ(converted, std::string("\xC0\0\xFF", 3));
  fake.system.conversionFailure = 87;  // the bytes are shown as they came
  EXPECT_EQ(OemToAnsiText(fake.system, "\x8F\xE0"), "\x8F\xE0");
}

}  // namespace
}  // namespace velora
