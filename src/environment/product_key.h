// The product's own per-user key, HKEY_CURRENT_USER\Software\Orvane\<AppName>.
#pragma once

#include <string>

#include "platform/registry_api.h"

namespace velora {

inline constexpr const char* kVendorKeyPath = "Software\\Orvane\\";
inline constexpr const char* kWindowsKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\";

/// The key of the product appName in view, created when absent; Windows' error when it can be neither
/// opened nor created, and then it simply has no values for the caller.
platform::WinResult<platform::RegistryKeyPtr> OpenProductKey(platform::RegistryApi& registry,
                                                             platform::RegistryView view, const std::string& appName);

}  // namespace velora
