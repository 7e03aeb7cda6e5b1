// The process's one registry accessor: a current root, at most one open key, and the access mask fixed
// when it is made (KEY_ALL_ACCESS, with KEY_WOW64_64KEY on 64-bit Windows so that this 32-bit program
// sees the 64-bit view). Every user sets the root, opens one key and closes it, also on failure.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry_api.h"

namespace velora {

class RegistryAccessor {
 public:
  RegistryAccessor(platform::RegistryApi& api, std::uint32_t access) : api_(&api), access_(access) {}

  std::uint32_t Access() const { return access_; }
  platform::RootKey Root() const { return root_; }
  void SetRoot(platform::RootKey root) { root_ = root; }

  /// Opens path under the root (creating it when create is set), closing any key open before.
  /// Windows' error when the key could not be opened or created.
  [[nodiscard]] platform::WinError OpenKey(const std::string& path, bool create);
  /// True when a key is open and holds the value.
  bool ValueExists(const std::string& name);
  /// A string value (REG_SZ or REG_EXPAND_SZ) up to its first zero. kErrorInvalidHandle when no key
  /// is open, Windows' error when the value cannot be read, kErrorUnsupportedType when it is of
  /// another type.
  platform::WinResult<std::string> ReadString(const std::string& name);
  /// Writes a REG_DWORD; kErrorInvalidHandle when no key is open, else Windows' error of the write.
  [[nodiscard]] platform::WinError WriteInteger(const std::string& name, std::uint32_t value);
  void CloseKey() { key_.reset(); }
  bool HasOpenKey() const { return key_ != nullptr; }

 private:
  platform::RegistryApi* api_;
  std::uint32_t access_;
  platform::RootKey root_ = platform::RootKey::CurrentUser;
  platform::RegistryKeyPtr key_;
};

/// Closes the accessor's key when the scope ends, whichever way it ends.
class OpenKeyScope {
 public:
  explicit OpenKeyScope(RegistryAccessor& registry) : registry_(registry) {}
  ~OpenKeyScope() { registry_.CloseKey(); }
  OpenKeyScope(const OpenKeyScope&) = delete;
  OpenKeyScope& operator=(const OpenKeyScope&) = delete;

 private:
  RegistryAccessor& registry_;
};

}  // namespace velora
