// What the program does from its first line to its exit code, over whatever platform it is given:
// WinMain passes the Win32 adapters, tests pass the fake machine.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace velora {

/// Sets the DLL search order, runs the start-up steps, describes the embedded data file and runs the
/// update. arguments: the command-line parameters after the program name. Returns the exit code.
int RunUpdater(platform::Platform& platform, std::vector<std::string> arguments);

}  // namespace velora
