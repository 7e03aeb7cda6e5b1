// A scripted registry with both views of 64-bit Windows: paths are stored as the 64-bit view names
// them; a 32-bit program's open of HKLM\Software\X without KEY_WOW64_64KEY lands in
// HKLM\Software\WOW6432Node\X, as Windows redirects it. Keys and value names ignore letter case.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/registry_api.h"
#include "support/fake_journal.h"

namespace velora::fakes {

class FakeRegistry final : public platform::RegistryApi {
 public:
  struct OpenRecord {
    platform::RootKey root;
    std::string path;
    std::uint32_t access;
    bool create;
  };

  explicit FakeRegistry(Journal& journal) : journal_(journal) {}

  // Scripting: paths as the 64-bit view names them.
  void SetValue(platform::RootKey root, const std::string& path, const std::string& name, std::uint32_t type,
                std::string data);
  void SetString(platform::RootKey root, const std::string& path, const std::string& name, const std::string& text);
  void SetDword(platform::RootKey root, const std::string& path, const std::string& name, std::uint32_t value);
  void AddKey(platform::RootKey root, const std::string& path);
  /// Removes the key and every key beneath it.
  void DeleteKey(platform::RootKey root, const std::string& path);
  /// Opening or creating this key fails with the error.
  void DenyKey(platform::RootKey root, const std::string& path, platform::WinError error);
  /// Writing a value into this key fails with the error.
  void FailWritesTo(platform::RootKey root, const std::string& path, platform::WinError error);

  // Inspection.
  bool KeyExists(platform::RootKey root, const std::string& path) const;
  std::optional<platform::RegistryValue> Value(platform::RootKey root, const std::string& path,
                                               const std::string& name) const;
  std::optional<std::uint32_t> Dword(platform::RootKey root, const std::string& path, const std::string& name) const;
  const std::vector<OpenRecord>& Opens() const { return opens_; }
  int OpenKeyCount() const { return openKeys_; }

  /// True (the default): a 64-bit Windows whose 32-bit programs see WOW6432Node redirection.
  bool windows64 = true;

 private:
  platform::WinResult<platform::RegistryKeyPtr> OpenKeyWithAccess(platform::RootKey root, const std::string& path,
                                                                  std::uint32_t access) override;
  platform::WinResult<platform::RegistryKeyPtr> CreateKeyWithAccess(platform::RootKey root, const std::string& path,
                                                                    std::uint32_t access) override;

  friend class FakeKey;
  using Values = std::map<std::string, platform::RegistryValue>;  // by lower-case name
  static std::string Id(platform::RootKey root, const std::string& path);
  std::string ViewId(platform::RootKey root, const std::string& path, std::uint32_t access) const;
  platform::WinResult<platform::RegistryKeyPtr> Open(platform::RootKey root, const std::string& path,
                                                     std::uint32_t access, bool create);

  Journal& journal_;
  std::map<std::string, Values> keys_;  // by Id
  std::map<std::string, platform::WinError> denied_;
  std::map<std::string, platform::WinError> failingWrites_;
  std::vector<OpenRecord> opens_;
  int openKeys_ = 0;
};

}  // namespace velora::fakes
