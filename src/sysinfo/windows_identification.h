// Names the running Windows edition from the version facts, and from that name derives whether this is
// 64-bit Windows, which decides the registry view.
#pragma once

#include <string>

#include "platform/platform.h"

namespace velora {

/// Fills the three texts (cleared on entry); false when no version record could be had or the platform
/// is neither Windows 9x nor NT.
bool IdentifyWindows(platform::Platform& platform, std::string& WindowsName, std::string& VersionText,
                     std::string& ServicePackText);

/// The Windows name line, or "unknown"; on success sets isWindows64 to whether the line holds " 64".
std::string GetWindowsName(platform::Platform& platform, bool includeVersion, bool& isWindows64);

}  // namespace velora
