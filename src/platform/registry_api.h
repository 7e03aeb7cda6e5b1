// The registry part of the seam: RegOpenKeyExA / RegCreateKeyExA / RegQueryValueExA / RegSetValueExA.
// A key is opened from a root in a named view and closes itself when its owner lets it go. The view
// becomes KEY_WOW64_64KEY here, in one place; the adapters get the final access mask and pass it to
// Windows unchanged (the fake records it, so tests pin it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/win_constants.h"
#include "platform/win_result.h"

namespace velora::platform {

enum class RootKey { CurrentUser, LocalMachine };

/// Which registry a key is opened in. This program is 32-bit: Bits32 is the view it sees by default
/// (on 32-bit Windows the only one), Bits64 asks for the 64-bit view of 64-bit Windows
/// (KEY_WOW64_64KEY, which 32-bit Windows ignores).
enum class RegistryView { Bits32, Bits64 };

/// The rights a key is opened with: KEY_ALL_ACCESS, or only KEY_QUERY_VALUE.
enum class KeyRights { AllAccess, QueryValue };

/// Which values count as strings: REG_SZ, and REG_EXPAND_SZ (returned as stored, not expanded) unless
/// only plain strings are asked for.
enum class StringTypes { PlainOrExpandable, PlainOnly };

/// The access mask of a key opened with rights in view.
constexpr std::uint32_t AccessMask(RegistryView view, KeyRights rights) {
  const std::uint32_t access = rights == KeyRights::AllAccess ? win::kKeyAllAccess : win::kKeyQueryValue;
  return view == RegistryView::Bits64 ? access | win::kKeyWow64_64Key : access;
}

/// A value as the registry stores it: its type and its raw bytes (no terminator is trusted).
struct RegistryValue {
  std::uint32_t type = 0;
  std::string data;
};

/// An open key; its destructor closes it (RegCloseKey).
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  /// RegQueryValueExA, asking for the size first; kErrorFileNotFound when the value is absent.
  virtual WinResult<RegistryValue> QueryValue(const std::string& name) = 0;
  /// RegSetValueExA with REG_DWORD.
  [[nodiscard]] virtual WinError SetDwordValue(const std::string& name, std::uint32_t value) = 0;

  /// The string rule, one query: a value of the string types up to its first zero (the stored bytes
  /// need not end in one). Windows' error when it cannot be read (kErrorFileNotFound when absent),
  /// kErrorUnsupportedType when it is of another type, kErrorMoreData when it stores more than maxBytes
  /// (as a query into a buffer of that size reports it).
  WinResult<std::string> ReadString(const std::string& name, StringTypes types = StringTypes::PlainOrExpandable,
                                    std::size_t maxBytes = std::string::npos) {
    auto value = QueryValue(name);
    if (!value.ok()) return Failed<std::string>(value.error);
    const bool expandable = types == StringTypes::PlainOrExpandable && value.value.type == win::kRegExpandSz;
    if (value.value.type != win::kRegSz && !expandable) return Failed<std::string>(win::kErrorUnsupportedType);
    const std::string& data = value.value.data;
    if (data.size() > maxBytes) return Failed<std::string>(win::kErrorMoreData);
    return Succeeded(data.substr(0, data.find('\0')));
  }
};

using RegistryKeyPtr = std::unique_ptr<RegistryKey>;

class RegistryApi {
 public:
  virtual ~RegistryApi() = default;

  /// Opens root\path in view with rights, without creating it; Windows' error when it cannot be opened.
  WinResult<RegistryKeyPtr> OpenKey(RootKey root, const std::string& path, RegistryView view,
                                    KeyRights rights = KeyRights::AllAccess) {
    return OpenKeyWithAccess(root, path, AccessMask(view, rights));
  }
  /// Opens root\path in view with all access, creating it when absent; Windows' error when it can be
  /// neither opened nor created.
  WinResult<RegistryKeyPtr> CreateKey(RootKey root, const std::string& path, RegistryView view) {
    return CreateKeyWithAccess(root, path, AccessMask(view, KeyRights::AllAccess));
  }

 private:
  /// RegOpenKeyExA(root, path, 0, access).
  virtual WinResult<RegistryKeyPtr> OpenKeyWithAccess(RootKey root, const std::string& path, std::uint32_t access) = 0;
  /// RegCreateKeyExA(root, path, ..., REG_OPTION_NON_VOLATILE, access).
  virtual WinResult<RegistryKeyPtr> CreateKeyWithAccess(RootKey root, const std::string& path,
                                                        std::uint32_t access) = 0;
};

}  // namespace velora::platform
