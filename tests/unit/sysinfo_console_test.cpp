// Console command capture over the fake machine: the exact command line whatever the environment holds,
// the hidden new console, the output assembled line by line, and the OEM-to-ANSI conversion.
#include <gtest/gtest.h>

#include <string>

#include "support/fake_windows.h"
#include "sysinfo/console_command.h"
#include "sysinfo_fake_interpreter.h"

namespace velora {
namespace {

std::string Capture(fakes::FakeWindows& fake, const std::string& command = "ver") {
  return RunConsoleCommand(fake.platform, command);
}

// TEMP is the user's to set (UAC builds the elevated environment from HKCU\Environment): whatever it
// holds, the command line is the system folder's cmd with "/d /c ver" and nothing more, the output
// comes through the pipe unchanged, and no file is opened, created or deleted by name.
TEST(RunConsoleCommand, WhateverTempHoldsTheCommandLineIsExactlyCmdDCVerAndNoFileIsTouched) {
  for (const std::string temp :
       {"C:\\Temp", "C:\\x\" & \"C:\\Users\\u\\evil.exe\" & \"", "C:\\%ComSpec%", "C:\\a^&b"}) {
    SCOPED_TRACE(temp);
    fakes::FakeWindows fake;
    fakes::InterpreterPrints(fake, "\r\nMicrosoft Windows [Version 6.1.7601]\r\n");
    fake.machine.SetEnvironment("Temp", temp);
    EXPECT_EQ(Capture(fake), "\r\nMicrosoft Windows [Version 6.1.7601]\r\n");
    ASSERT_EQ(fake.processes.processCommandLines.size(), 1u);
    EXPECT_EQ(fake.processes.processCommandLines[0], "\"C:\\windows\\system32\\cmd.exe\" /d /c ver");
    EXPECT_EQ(fake.processes.processCreationFlags[0], 0x210u);
    EXPECT_EQ(fake.processes.processShowWindow[0], 0);
    EXPECT_EQ(fake.processes.processOutputBounds[0], 65536u);
    EXPECT_TRUE(fake.files.Creates().empty());
    for (const std::string& call : fake.journal) EXPECT_EQ(call.rfind("DeleteFile", 0), std::string::npos) << call;
    EXPECT_EQ(fake.files.AllFiles(), std::vector<std::string>{});
  }
}

TEST(RunConsoleCommand, EveryLineEndsInCrLfWhateverEndedItInTheOutput) {
  struct Case {
    std::string output;
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
    SCOPED_TRACE(c.output.substr(0, 20));
    fakes::FakeWindows fake;
    fakes::InterpreterPrints(fake, c.output);
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
    std::string commandLine;  ///< empty: nothing starts
  };
  for (const Case& c : {Case{"C:\\windows\\system32", "\"C:\\windows\\system32\\cmd.exe\" /d /c ver"},
                        Case{"C:\\Program Files\\", "\"C:\\Program Files\\cmd.exe\" /d /c ver"}, Case{"", ""}}) {
    SCOPED_TRACE(c.systemDirectory);
    fakes::FakeWindows fake;
    fakes::InterpreterPrints(fake, "ok\r\n");
    fake.machine.systemDirectory = c.systemDirectory;  // empty: GetSystemDirectoryA fails
    EXPECT_EQ(Capture(fake), c.commandLine.empty() ? "" : "ok\r\n");
    const std::vector<std::string> expected =
        c.commandLine.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.commandLine};
    EXPECT_EQ(fake.processes.processCommandLines, expected);
  }
}

TEST(RunConsoleCommand, AnInterpreterThatCannotStartGivesOneEmptyLineAndAFailedReadKeepsWhatCameBefore) {
  fakes::FakeWindows fake;
  EXPECT_EQ(Capture(fake), "\r\n");  // the fake interpreter cannot start
  fake.processes.onRunProcess = [](const std::string&) {
    return platform::WinResult<std::string>{23, "Microsoft Windows [Version 10.0.19045]\r\n"};  // ERROR_CRC
  };
  EXPECT_EQ(Capture(fake), "Microsoft Windows [Version 10.0.19045]\r\n");
}

TEST(OemToAnsiText, ConvertsEveryByteAndKeepsTheLength) {
  fakes::FakeWindows fake;
  EXPECT_EQ(OemToAnsiText(fake.text, ""), "");
  const std::string converted = OemToAnsiText(fake.text, std::string("\x80\0\xEF", 3));
  EXPECT_EQ(converted, std::string("\xC0\0\xFF", 3));
  fake.text.conversionFailure = 87;  // the bytes are shown as they came
  EXPECT_EQ(OemToAnsiText(fake.text, "\x8F\xE0"), "\x8F\xE0");
}

}  // namespace
}  // namespace velora
