// The product's own per-user key, HKEY_CURRENT_USER\Software\Orvane\<AppName>.
#pragma once

#include <string>

#include "environment/registry_accessor.h"

namespace velora {

inline constexpr const char* kVendorKeyPath = "Software\\Orvane\\";
inline constexpr const char* kWindowsKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\";

/// Leaves the key of the product appName open (created when absent) in the registry accessor; the caller
/// reads and closes it. Always true: a key that cannot be opened simply has no values.
bool OpenProductKey(RegistryAccessor& registry, const std::string& appName);

}  // namespace velora
