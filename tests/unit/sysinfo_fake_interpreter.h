// A stand-in for the command interpreter on the fake machine: it "prints" a fixed output into the file
// that the command line redirects to, as cmd.exe would.
#pragma once

#include <string>

#include "support/fake_windows.h"

namespace velora::fakes {

/// The interpreter in the fake system folder; "ComSpec" names another program, which must never run.
inline constexpr const char* kSystemInterpreter = "C:\\windows\\system32\\cmd.exe";
inline constexpr const char* kUsersComSpec = "C:\\Users\\user\\planted.exe";

/// The temporary file path of a command line ending in > "path".
inline std::string RedirectTarget(const std::string& commandLine) {
  const std::size_t open = commandLine.rfind("> \"");
  if (open == std::string::npos || commandLine.back() != '"') return {};
  return commandLine.substr(open + 3, commandLine.size() - open - 4);
}

/// Every command run from now on writes out to its redirection target and ends normally.
inline void InterpreterPrints(FakeWindows& fake, std::string out) {
  fake.system.SetEnvironment("ComSpec", kUsersComSpec);
  fake.system.SetEnvironment("Temp", "C:\\Temp");
  fake.files.AddFolder("C:\\Temp");
  fake.system.onRunProcess = [&fake, out](const std::string& commandLine) -> platform::WinError {
    fake.files.AddFile(RedirectTarget(commandLine), out);
    return 0;
  };
}

}  // namespace velora::fakes
