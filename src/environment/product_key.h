// The product's own per-user key, HKEY_CURRENT_USER\Software\Orvane\<AppName>, and the path rule
// every folder path follows.
#pragma once

#include <string>

namespace velora {

class Session;

inline constexpr const char* kVendorKeyPath = "Software\\Orvane\\";
inline constexpr const char* kWindowsKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\";

/// Leaves the product key open (created when absent) in the session's registry accessor; the caller
/// reads and closes it. False only when the accessor raised an error.
bool OpenProductKey(Session& session);

/// Appends "\" to a path that is not empty and does not end in one.
void AddBackslash(std::string& path);

}  // namespace velora
