// The registry part of the seam: RegOpenKeyExA / RegCreateKeyExA / RegQueryValueExA / RegSetValueExA.
// An open key closes itself when its owner lets it go. The access mask passes through unchanged, so
// KEY_WOW64_64KEY in it selects the 64-bit view exactly as Windows does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/win_result.h"

namespace velora::platform {

enum class RootKey { CurrentUser, LocalMachine };

/// A value as the registry stores it: its type and its raw bytes (no terminator is trusted).
struct RegistryValue {
  std::uint32_t type = 0;
  std::string data;
};

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;  ///< RegCloseKey
  /// RegQueryValueExA, asking for the size first; kErrorFileNotFound when the value is absent.
  virtual WinResult<RegistryValue> QueryValue(const std::string& name) = 0;
  /// RegSetValueExA with REG_DWORD.
  [[nodiscard]] virtual WinError SetDwordValue(const std::string& name, std::uint32_t value) = 0;
};

using RegistryKeyPtr = std::unique_ptr<RegistryKey>;

class RegistryApi {
 public:
  virtual ~RegistryApi() = default;
  /// RegOpenKeyExA(root, path, 0, access).
  virtual WinResult<RegistryKeyPtr> OpenKey(RootKey root, const std::string& path, std::uint32_t access) = 0;
  /// RegCreateKeyExA(root, path, ..., REG_OPTION_NON_VOLATILE, access): opens the key, creating it when absent.
  virtual WinResult<RegistryKeyPtr> CreateKey(RootKey root, const std::string& path, std::uint32_t access) = 0;
};

}  // namespace velora::platform
