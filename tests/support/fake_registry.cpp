#include "support/fake_registry.h"

#include "platform/win_constants.h"

namespace velora::fakes {

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

namespace {

std::string TrimSlashes(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  while (!path.empty() && path.front() == '\\') path.erase(path.begin());
  return path;
}

}  // namespace

class FakeKey final : public platform::RegistryKey {
 public:
  FakeKey(FakeRegistry& registry, std::string id) : registry_(registry), id_(std::move(id)) { ++registry_.openKeys_; }
  ~FakeKey() override { --registry_.openKeys_; }

  platform::WinResult<platform::RegistryValue> QueryValue(const std::string& name) override {
    registry_.journal_.push_back("RegQueryValueEx " + name);
    auto key = registry_.keys_.find(id_);
    if (key == registry_.keys_.end()) return platform::Failed<platform::RegistryValue>(win::kErrorFileNotFound);
    auto value = key->second.find(Lower(name));
    if (value == key->second.end()) return platform::Failed<platform::RegistryValue>(win::kErrorFileNotFound);
    return platform::Succeeded(value->second);
  }

  platform::WinError SetDwordValue(const std::string& name, std::uint32_t value) override {
    registry_.journal_.push_back("RegSetValueEx " + name);
    if (auto failing = registry_.failingWrites_.find(id_); failing != registry_.failingWrites_.end()) {
      return failing->second;
    }
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    registry_.keys_[id_][Lower(name)] = {win::kRegDword, data};
    return win::kErrorSuccess;
  }

 private:
  FakeRegistry& registry_;
  std::string id_;
};

std::string FakeRegistry::Id(platform::RootKey root, const std::string& path) {
  return (root == platform::RootKey::LocalMachine ? "hklm\\" : "hkcu\\") + Lower(TrimSlashes(path));
}

std::string FakeRegistry::ViewId(platform::RootKey root, const std::string& path, std::uint32_t access) const {
  std::string lower = Lower(TrimSlashes(path));
  const bool redirected =
      windows64 && root == platform::RootKey::LocalMachine && (access & win::kKeyWow64_64Key) == 0 &&
      (lower == "software" || lower.rfind("software\\", 0) == 0) && lower.rfind("software\\wow6432node", 0) != 0;
  if (redirected) lower = lower == "software" ? "software\\wow6432node" : "software\\wow6432node\\" + lower.substr(9);
  return Id(root, lower);
}

void FakeRegistry::SetValue(platform::RootKey root, const std::string& path, const std::string& name,
                            std::uint32_t type, std::string data) {
  keys_[Id(root, path)][Lower(name)] = {type, std::move(data)};
}

void FakeRegistry::SetString(platform::RootKey root, const std::string& path, const std::string& name,
                             const std::string& text) {
  SetValue(root, path, name, win::kRegSz, text + '\0');
}

void FakeRegistry::SetDword(platform::RootKey root, const std::string& path, const std::string& name,
                            std::uint32_t value) {
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  SetValue(root, path, name, win::kRegDword, data);
}

void FakeRegistry::AddKey(platform::RootKey root, const std::string& path) { keys_[Id(root, path)]; }

void FakeRegistry::DeleteKey(platform::RootKey root, const std::string& path) {
  const std::string id = Id(root, path);
  std::erase_if(keys_, [&](const auto& key) { return key.first == id || key.first.rfind(id + "\\", 0) == 0; });
}

void FakeRegistry::DenyKey(platform::RootKey root, const std::string& path, platform::WinError error) {
  denied_[Id(root, path)] = error;
}

void FakeRegistry::FailWritesTo(platform::RootKey root, const std::string& path, platform::WinError error) {
  failingWrites_[Id(root, path)] = error;
}

bool FakeRegistry::KeyExists(platform::RootKey root, const std::string& path) const {
  const std::string id = Id(root, path);
  for (const auto& [key, values] : keys_) {
    if (key == id || key.rfind(id + "\\", 0) == 0) return true;
  }
  return false;
}

std::optional<platform::RegistryValue> FakeRegistry::Value(platform::RootKey root, const std::string& path,
                                                           const std::string& name) const {
  auto key = keys_.find(Id(root, path));
  if (key == keys_.end()) return std::nullopt;
  auto value = key->second.find(Lower(name));
  if (value == key->second.end()) return std::nullopt;
  return value->second;
}

std::optional<std::uint32_t> FakeRegistry::Dword(platform::RootKey root, const std::string& path,
                                                 const std::string& name) const {
  auto value = Value(root, path, name);
  if (!value || value->type != win::kRegDword || value->data.size() != 4) return std::nullopt;
  std::uint32_t result = 0;
  for (int i = 0; i < 4; ++i)
    result |= static_cast<std::uint32_t>(static_cast<unsigned char>(value->data[i])) << (8 * i);
  return result;
}

platform::WinResult<platform::RegistryKeyPtr> FakeRegistry::Open(platform::RootKey root, const std::string& path,
                                                                 std::uint32_t access, bool create) {
  journal_.push_back(std::string(create ? "RegCreateKeyEx " : "RegOpenKeyEx ") + path);
  opens_.push_back({root, path, access, create});
  const std::string id = ViewId(root, path, access);
  if (auto denied = denied_.find(id); denied != denied_.end()) {
    return platform::Failed<platform::RegistryKeyPtr>(denied->second);
  }
  bool exists = keys_.count(id) != 0;
  for (const auto& [key, values] : keys_) {
    if (key.rfind(id + "\\", 0) == 0) exists = true;
  }
  if (!exists && !create) return platform::Failed<platform::RegistryKeyPtr>(win::kErrorFileNotFound);
  keys_[id];
  return platform::Succeeded<platform::RegistryKeyPtr>(std::make_unique<FakeKey>(*this, id));
}

platform::WinResult<platform::RegistryKeyPtr> FakeRegistry::OpenKeyWithAccess(platform::RootKey root,
                                                                              const std::string& path,
                                                                              std::uint32_t access) {
  return Open(root, path, access, false);
}

platform::WinResult<platform::RegistryKeyPtr> FakeRegistry::CreateKeyWithAccess(platform::RootKey root,
                                                                                const std::string& path,
                                                                                std::uint32_t access) {
  return Open(root, path, access, true);
}

}  // namespace velora::fakes
