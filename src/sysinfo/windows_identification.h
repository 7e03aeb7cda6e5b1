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

struct WindowsName {
  std::string text;          ///< the Windows name line, or "unknown"
  bool isWindows64 = false;  ///< the line holds " 64"
};

WindowsName GetWindowsName(platform::Platform& platform, bool includeVersion);

}  // namespace velora
