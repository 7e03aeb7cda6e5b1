// Runs one command through the system folder's command interpreter (cmd.exe /d), hidden, and returns
// what it wrote to its standard output, converted from the OEM to the ANSI code page.
#pragma once

#include <string>

#include "platform/platform.h"

namespace velora {

/// The captured output, each line followed by CR LF; "\r\n" when nothing could be read; empty when
/// the system folder is not known.
std::string RunConsoleCommand(platform::Platform& platform, const std::string& command);

/// OemToCharA's conversion of the whole text; empty for an empty text.
std::string OemToAnsiText(platform::TextApi& text, const std::string& source);

}  // namespace velora
