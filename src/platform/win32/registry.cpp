#include "platform/win32/registry.h"

#include "platform/win32/unique_handle.h"

namespace velora::win32 {
namespace {

using platform::WinError;
using platform::WinResult;

HKEY PredefinedKey(platform::RootKey root) {
  return root == platform::RootKey::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

class Win32Key final : public platform::RegistryKey {
 public:
  explicit Win32Key(unique_hkey key) : key_(std::move(key)) {}

  WinResult<platform::RegistryValue> QueryValue(const std::string& name) override {
    // Ask for the size first, then read; a value that grows in between is asked for again.
    for (;;) {
      DWORD type = 0;
      DWORD size = 0;
      LONG status = RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, nullptr, &size);
      if (status != ERROR_SUCCESS) return platform::Failed<platform::RegistryValue>(status);
      platform::RegistryValue value{type, std::string(size, '\0')};
      status =
          RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data.data()), &size);
      if (status == ERROR_MORE_DATA) continue;
      if (status != ERROR_SUCCESS) return platform::Failed<platform::RegistryValue>(status);
      value.type = type;
      value.data.resize(size);
      return platform::Succeeded(std::move(value));
    }
  }

  WinError SetDwordValue(const std::string& name, std::uint32_t value) override {
    const DWORD data = value;
    return RegSetValueExA(key_.get(), name.c_str(), /*Reserved=*/0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data);
  }

 private:
  unique_hkey key_;
};

WinResult<platform::RegistryKeyPtr> Wrap(LONG status, unique_hkey key) {
  if (status != ERROR_SUCCESS) return platform::Failed<platform::RegistryKeyPtr>(status);
  return platform::Succeeded<platform::RegistryKeyPtr>(std::make_unique<Win32Key>(std::move(key)));
}

}  // namespace

WinResult<platform::RegistryKeyPtr> Win32Registry::OpenKeyWithAccess(platform::RootKey root, const std::string& path,
                                                                     std::uint32_t access) {
  unique_hkey key;
  const LONG status = RegOpenKeyExA(PredefinedKey(root), path.c_str(), /*ulOptions=*/0, access, key.put());
  return Wrap(status, std::move(key));
}

WinResult<platform::RegistryKeyPtr> Win32Registry::CreateKeyWithAccess(platform::RootKey root, const std::string& path,
                                                                       std::uint32_t access) {
  unique_hkey key;
  const LONG status =
      RegCreateKeyExA(PredefinedKey(root), path.c_str(), /*Reserved=*/0, /*lpClass=*/nullptr, REG_OPTION_NON_VOLATILE,
                      access, /*lpSecurityAttributes=*/nullptr, key.put(), /*lpdwDisposition=*/nullptr);
  return Wrap(status, std::move(key));
}

}  // namespace velora::win32
