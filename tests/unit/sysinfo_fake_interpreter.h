// A stand-in for the command interpreter on the fake machine: it "prints" a fixed output into the pipe
// that the capture reads, as cmd.exe would.
#pragma once

#include <string>

#include "support/fake_windows.h"

namespace velora::fakes {

/// The interpreter in the fake system folder; "ComSpec" names another program, which must never run.
inline constexpr const char* kSystemInterpreter = "C:\\windows\\system32\\cmd.exe";
inline constexpr const char* kUsersComSpec = "C:\\Users\\user\\planted.exe";

/// Every command run from now on prints out and ends normally.
inline void InterpreterPrints(FakeWindows& fake, std::string out) {
  fake.machine.SetEnvironment("ComSpec", kUsersComSpec);
  fake.machine.SetEnvironment("Temp", "C:\\Temp");
  fake.files.AddFolder("C:\\Temp");
  fake.processes.onRunProcess = [out](const std::string&) { return platform::Succeeded(out); };
}

}  // namespace velora::fakes
