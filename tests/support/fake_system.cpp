#include "support/fake_system.h"

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

class FakeMapping final : public platform::KernelObject {
 public:
  explicit FakeMapping(int& open) : open_(open) { ++open_; }
  ~FakeMapping() override { --open_; }

 private:
  int& open_;
};

class FakeVersionInfo final : public platform::FileVersionInfo {
 public:
  explicit FakeVersionInfo(FakeVersionResource resource) : resource_(std::move(resource)) {}
  std::optional<std::vector<std::uint32_t>> QueryTranslations() override { return resource_.translations; }
  std::optional<std::string> QueryString(const std::string& subBlock) override {
    auto found = resource_.strings.find(subBlock);
    if (found == resource_.strings.end()) return std::nullopt;
    return found->second;
  }

 private:
  FakeVersionResource resource_;
};

}  // namespace

std::string FakeSystem::DigestOf(std::string_view bytes) {
  std::string hex;
  char part[17];
  for (std::size_t seed = 0; seed < 4; ++seed) {
    std::size_t h = std::hash<std::string_view>{}(bytes) ^ (seed * 0x9E3779B97F4A7C15ULL);
    h = std::hash<std::size_t>{}(h) * 0xBF58476D1CE4E5B9ULL + seed;
    std::snprintf(part, sizeof part, "%016zx", h);
    hex += part;
  }
  return hex;
}

void FakeSystem::AddResource(const std::string& name, const std::string& type, std::string bytes) {
  resources[{Upper(name), Upper(type)}] = std::move(bytes);
}

bool FakeSystem::SetDefaultDllDirectories(std::uint32_t flags) {
  journal_.push_back("SetDefaultDllDirectories");
  dllDirectoryFlags.push_back(flags);
  return dllDirectoriesAvailable;
}

std::uint32_t FakeSystem::GetUserDefaultLCID() {
  journal_.push_back("GetUserDefaultLCID");
  return userLocale;
}

std::optional<std::int64_t> FakeSystem::QueryPerformanceCounter() {
  journal_.push_back("QueryPerformanceCounter");
  return performanceCounter;
}

std::uint32_t FakeSystem::GetTickCount() {
  journal_.push_back("GetTickCount");
  return tickCount;
}

void FakeSystem::Sleep(std::uint32_t milliseconds) {
  journal_.push_back("Sleep " + std::to_string(milliseconds));
  sleeps.push_back(milliseconds);
  if (onSleep) onSleep(milliseconds);
}

std::optional<platform::OsVersionInfo> FakeSystem::VersionFacts(platform::VersionRecord record) {
  journal_.push_back("GetVersionEx");
  return record == platform::VersionRecord::Extended ? extendedVersion : plainVersion;
}

std::uint16_t FakeSystem::GetProcessorArchitecture() { return processorArchitecture; }

std::optional<std::string> FakeSystem::EnvironmentVariable(const std::string& name) {
  auto value = environment.find(Lower(name));
  if (value == environment.end()) return std::nullopt;
  return value->second;
}

std::string FakeSystem::SystemDirectory() { return systemDirectory; }
std::string FakeSystem::WindowsDirectory() { return windowsDirectory; }
bool FakeSystem::IsUserAnAdmin() { return userIsAdmin; }

platform::WinError FakeSystem::RunProcessAndWait(const std::string& commandLine, std::uint32_t creationFlags,
                                                 int showWindow) {
  journal_.push_back("CreateProcess " + commandLine);
  processCommandLines.push_back(commandLine);
  processCreationFlags.push_back(creationFlags);
  processShowWindow.push_back(showWindow);
  return onRunProcess ? onRunProcess(commandLine) : win::kErrorFileNotFound;
}

platform::WinResult<platform::KernelObjectPtr> FakeSystem::CreateNamedMapping(const std::string& name,
                                                                             std::uint32_t /*sizeLow*/) {
  journal_.push_back("CreateFileMapping " + name);
  mappingsCreated.push_back(name);
  const bool exists = existingMappings.count(name) != 0;
  return {exists ? win::kErrorAlreadyExists : win::kErrorSuccess, std::make_unique<FakeMapping>(mappingHandlesOpen)};
}

std::intptr_t FakeSystem::ShellOpen(const std::string& verb, const std::string& file, const std::string& parameters,
                                    const std::string& directory, int show) {
  journal_.push_back("ShellExecute " + file);
  shellStarts.push_back({verb, file, parameters, directory, show});
  return 42;
}

platform::WinResult<std::string> FakeSystem::ModuleFileName() {
  if (!moduleFileName) return platform::Failed<std::string>(win::kErrorInvalidParameter);
  return platform::Succeeded(*moduleFileName);
}

platform::WinResult<std::string> FakeSystem::LoadModuleResource(const std::string& name, const std::string& type) {
  journal_.push_back("FindResource " + name + " " + type);
  auto found = resources.find({Upper(name), Upper(type)});
  if (found == resources.end()) return platform::Failed<std::string>(win::kErrorResourceNameNotFound);
  return platform::Succeeded(found->second);
}

std::uintptr_t FakeSystem::GetExeType(const std::string& path) {
  auto found = exeTypes.find(Lower(path));
  return found == exeTypes.end() ? 0 : found->second;
}

std::unique_ptr<platform::FileVersionInfo> FakeSystem::LoadFileVersionInfo(const std::string& path) {
  journal_.push_back("LoadLibrary " + systemDirectory + "\\version.dll");
  auto found = versionResources.find(Lower(path));
  if (found == versionResources.end()) return nullptr;
  return std::make_unique<FakeVersionInfo>(found->second);
}

platform::WinResult<std::string> FakeSystem::Sha256Hex(std::string_view bytes) {
  journal_.push_back("Sha256");
  if (digestFailure) return platform::Failed<std::string>(*digestFailure);
  return platform::Succeeded(DigestOf(bytes));
}

}  // namespace velora::fakes
