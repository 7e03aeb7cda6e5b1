#include "support/fake_machine.h"

#include <cstdio>
#include <functional>

#include "platform/win_constants.h"

namespace velora::fakes {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

class FakeVersionInfo final : public platform::FileVersionInfo {
 public:
  explicit FakeVersionInfo(FakeVersionResource resource) : resource_(std::move(resource)) {}
  std::optional<std::vector<std::uint32_t>> TryQueryTranslations() override { return resource_.translations; }
  std::optional<std::string> TryQueryString(const std::string& subBlock) override {
    auto found = resource_.strings.find(subBlock);
    if (found == resource_.strings.end()) return std::nullopt;
    return found->second;
  }

 private:
  FakeVersionResource resource_;
};

}  // namespace

platform::WinResult<platform::OsVersionInfo> FakeMachine::VersionFacts(platform::VersionRecord record) {
  journal_.push_back("GetVersionEx");
  const auto& facts = record == platform::VersionRecord::Extended ? extendedVersion : plainVersion;
  if (!facts) return platform::Failed<platform::OsVersionInfo>(win::kErrorInvalidParameter);
  return platform::Succeeded(*facts);
}

int FakeMachine::GetSystemMetrics(int index) {
  auto metric = metrics.find(index);
  return metric == metrics.end() ? 0 : metric->second;
}

platform::WinResult<std::string> FakeMachine::EnvironmentVariable(const std::string& name) {
  auto value = environment.find(Lower(name));
  if (value == environment.end()) return platform::Failed<std::string>(win::kErrorEnvvarNotFound);
  return platform::Succeeded(value->second);
}

platform::WinResult<std::string> FakeMachine::SystemDirectory() {
  if (systemDirectory.empty()) return platform::Failed<std::string>(win::kErrorInvalidParameter);
  return platform::Succeeded(systemDirectory);
}

void FakeMachine::Sleep(std::uint32_t milliseconds) {
  journal_.push_back("Sleep " + std::to_string(milliseconds));
  sleeps.push_back(milliseconds);
  if (onSleep) onSleep(milliseconds);
}

platform::WinResult<std::string> FakeText::ConvertOemToAnsi(const std::string& oemText) {
  if (conversionFailure) return platform::Failed<std::string>(*conversionFailure);
  std::string ansi = oemText;
  for (char& c : ansi) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 && byte <= 0xAF)
      c = static_cast<char>(byte + 0x40);  // А..п
    else if (byte >= 0xE0 && byte <= 0xEF)
      c = static_cast<char>(byte + 0x10);  // р..я
  }
  return platform::Succeeded(std::move(ansi));
}

platform::WinResult<std::string> FakeText::AnsiToUtf8(const std::string& ansiText) {
  if (conversionFailure) return platform::Failed<std::string>(*conversionFailure);
  std::string utf8;
  for (const char c : ansiText) {
    const auto byte = static_cast<unsigned char>(c);
    unsigned code = byte;
    if (byte >= 0xC0)
      code = 0x410 + (byte - 0xC0);  // А..я
    else if (byte == 0xA8)
      code = 0x401;  // Ё
    else if (byte == 0xB8)
      code = 0x451;  // ё
    else if (byte >= 0x80)
      code = 0xFFFD;  // not needed by the tests
    if (code < 0x80) {
      utf8 += static_cast<char>(code);
    } else if (code < 0x800) {
      utf8 += static_cast<char>(0xC0 | (code >> 6));
      utf8 += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      utf8 += static_cast<char>(0xE0 | (code >> 12));
      utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return platform::Succeeded(std::move(utf8));
}

std::optional<std::string> FakeText::TryErrorMessage(platform::WinError error) {
  if (error == win::kErrorAccessDenied) return "Access is denied.";
  return std::nullopt;
}

std::string FakeOwnModule::DigestOf(std::string_view bytes) {
  std::string hex;
  char part[17];
  for (std::size_t seed = 0; seed < 4; ++seed) {
    std::size_t h = std::hash<std::string_view>{}(bytes) ^ (seed * 0x9E3779B97F4A7C15ULL);
    h = std::hash<std::size_t>{}(h)*0xBF58476D1CE4E5B9ULL + seed;
    std::snprintf(part, sizeof part, "%016zx", h);
    hex += part;
  }
  return hex;
}

void FakeOwnModule::AddResource(const std::string& name, const std::string& type, std::string bytes) {
  resources[{Upper(name), Upper(type)}] = std::move(bytes);
}

platform::WinError FakeOwnModule::SetDefaultDllDirectories(std::uint32_t flags) {
  journal_.push_back("SetDefaultDllDirectories");
  dllDirectoryFlags.push_back(flags);
  return dllDirectoriesAvailable ? win::kErrorSuccess : win::kErrorProcNotFound;
}

platform::WinError FakeOwnModule::SetDllFolder(const std::string& folder) {
  journal_.push_back("SetDllDirectory \"" + folder + "\"");
  dllFolders.push_back(folder);
  return win::kErrorSuccess;
}

platform::WinResult<std::string> FakeOwnModule::LoadModuleResource(const std::string& name, const std::string& type) {
  journal_.push_back("FindResource " + name + " " + type);
  auto found = resources.find({Upper(name), Upper(type)});
  if (found == resources.end()) return platform::Failed<std::string>(win::kErrorResourceNameNotFound);
  return platform::Succeeded(found->second);
}

platform::WinResult<std::string> FakeOwnModule::Sha256Hex(std::string_view bytes) {
  journal_.push_back("Sha256");
  if (digestFailure) return platform::Failed<std::string>(*digestFailure);
  return platform::Succeeded(DigestOf(bytes));
}

std::optional<std::uintptr_t> FakeProgramFiles::TryGetExeType(const std::string& path) {
  auto found = exeTypes.find(Lower(path));
  if (found == exeTypes.end() || found->second == 0) return std::nullopt;
  return found->second;
}

platform::WinResult<std::unique_ptr<platform::FileVersionInfo>> FakeProgramFiles::LoadFileVersionInfo(
    const std::string& path) {
  using Loaded = std::unique_ptr<platform::FileVersionInfo>;
  journal_.push_back("GetFileVersionInfo " + path);
  auto found = versionResources.find(Lower(path));
  if (found == versionResources.end()) return platform::Failed<Loaded>(win::kErrorResourceTypeNotFound);
  return platform::Succeeded<Loaded>(std::make_unique<FakeVersionInfo>(found->second));
}

}  // namespace velora::fakes
