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
  FakeMapping(Journal& journal, std::string name, int& open) : journal_(journal), name_(std::move(name)), open_(open) {
    ++open_;
  }
  ~FakeMapping() override {
    journal_.push_back("CloseHandle " + name_);
    --open_;
  }

 private:
  Journal& journal_;
  std::string name_;
  int& open_;
};

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

// A token of the fake: it records every start it is asked for in starts (the token's owner first, a
// process or a session) and fails as scripted; open counts the tokens not yet closed.
template <class Start>
class FakeToken final : public platform::ProcessToken {
 public:
  FakeToken(std::vector<Start>& starts, const std::optional<platform::WinError>& failure, int& open,
            std::uint32_t owner)
      : starts_(starts), failure_(failure), open_(open), owner_(owner) {
    ++open_;
  }
  ~FakeToken() override { --open_; }

  platform::WinError StartProcess(const std::string& application, const std::string& commandLine,
                                  const std::string& directory, int show) override {
    starts_.push_back({owner_, application, commandLine, directory, show});
    return failure_.value_or(win::kErrorSuccess);
  }

 private:
  std::vector<Start>& starts_;
  const std::optional<platform::WinError>& failure_;
  int& open_;
  std::uint32_t owner_;
};

}  // namespace

std::string FakeSystem::DigestOf(std::string_view bytes) {
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

void FakeSystem::AddResource(const std::string& name, const std::string& type, std::string bytes) {
  resources[{Upper(name), Upper(type)}] = std::move(bytes);
}

platform::WinError FakeSystem::SetDefaultDllDirectories(std::uint32_t flags) {
  journal_.push_back("SetDefaultDllDirectories");
  dllDirectoryFlags.push_back(flags);
  return dllDirectoriesAvailable ? win::kErrorSuccess : win::kErrorProcNotFound;
}

platform::WinError FakeSystem::SetDllFolder(const std::string& folder) {
  journal_.push_back("SetDllDirectory \"" + folder + "\"");
  dllFolders.push_back(folder);
  return win::kErrorSuccess;
}

std::uint32_t FakeSystem::GetUserDefaultLCID() {
  journal_.push_back("GetUserDefaultLCID");
  return userLocale;
}

void FakeSystem::Sleep(std::uint32_t milliseconds) {
  journal_.push_back("Sleep " + std::to_string(milliseconds));
  sleeps.push_back(milliseconds);
  if (onSleep) onSleep(milliseconds);
}

platform::WinResult<platform::OsVersionInfo> FakeSystem::VersionFacts(platform::VersionRecord record) {
  journal_.push_back("GetVersionEx");
  const auto& facts = record == platform::VersionRecord::Extended ? extendedVersion : plainVersion;
  if (!facts) return platform::Failed<platform::OsVersionInfo>(win::kErrorInvalidParameter);
  return platform::Succeeded(*facts);
}

std::uint16_t FakeSystem::GetProcessorArchitecture() { return processorArchitecture; }

platform::WinResult<std::string> FakeSystem::EnvironmentVariable(const std::string& name) {
  auto value = environment.find(Lower(name));
  if (value == environment.end()) return platform::Failed<std::string>(win::kErrorEnvvarNotFound);
  return platform::Succeeded(value->second);
}

platform::WinResult<std::string> FakeSystem::SystemDirectory() {
  if (systemDirectory.empty()) return platform::Failed<std::string>(win::kErrorInvalidParameter);
  return platform::Succeeded(systemDirectory);
}
platform::WinResult<std::string> FakeSystem::WindowsDirectory() { return platform::Succeeded(windowsDirectory); }
bool FakeSystem::IsUserAnAdmin() { return userIsAdmin; }

platform::WinResult<std::string> FakeSystem::RunProcessCapturingOutput(const std::string& commandLine,
                                                                       std::uint32_t creationFlags, int showWindow,
                                                                       std::size_t maxBytes) {
  journal_.push_back("CreateProcess " + commandLine);
  processCommandLines.push_back(commandLine);
  processCreationFlags.push_back(creationFlags);
  processShowWindow.push_back(showWindow);
  processOutputBounds.push_back(maxBytes);
  if (!onRunProcess) return platform::Failed<std::string>(win::kErrorFileNotFound);
  auto output = onRunProcess(commandLine);
  if (output.value.size() > maxBytes) output.value.resize(maxBytes);  // the pipe is read no further
  return output;
}

platform::WinResult<platform::KernelObjectPtr> FakeSystem::CreateNamedMapping(const std::string& name,
                                                                              std::uint32_t sizeLow) {
  journal_.push_back("CreateFileMapping " + name);
  mappingsCreated.push_back({name, sizeLow});
  const bool exists = existingMappings.count(name) != 0;
  return {exists ? win::kErrorAlreadyExists : win::kErrorSuccess,
          std::make_unique<FakeMapping>(journal_, name, mappingHandlesOpen)};
}

platform::WinError FakeSystem::ShellOpen(const std::string& verb, const std::string& file,
                                         const std::string& parameters, const std::string& directory, int show) {
  journal_.push_back("ShellExecute " + file);
  shellStarts.push_back({verb, file, parameters, directory, show});
  return win::kErrorSuccess;
}

platform::WinResult<std::string> FakeSystem::LoadModuleResource(const std::string& name, const std::string& type) {
  journal_.push_back("FindResource " + name + " " + type);
  auto found = resources.find({Upper(name), Upper(type)});
  if (found == resources.end()) return platform::Failed<std::string>(win::kErrorResourceNameNotFound);
  return platform::Succeeded(found->second);
}

std::optional<std::uintptr_t> FakeSystem::TryGetExeType(const std::string& path) {
  auto found = exeTypes.find(Lower(path));
  if (found == exeTypes.end() || found->second == 0) return std::nullopt;
  return found->second;
}

platform::WinResult<std::unique_ptr<platform::FileVersionInfo>> FakeSystem::LoadFileVersionInfo(
    const std::string& path) {
  using Loaded = std::unique_ptr<platform::FileVersionInfo>;
  journal_.push_back("LoadLibrary " + systemDirectory + "\\version.dll");
  auto found = versionResources.find(Lower(path));
  if (found == versionResources.end()) return platform::Failed<Loaded>(win::kErrorResourceTypeNotFound);
  return platform::Succeeded<Loaded>(std::make_unique<FakeVersionInfo>(found->second));
}

platform::WinResult<std::string> FakeSystem::Sha256Hex(std::string_view bytes) {
  journal_.push_back("Sha256");
  if (digestFailure) return platform::Failed<std::string>(*digestFailure);
  return platform::Succeeded(DigestOf(bytes));
}

platform::LocalTime FakeSystem::GetLocalTime() { return localTime; }

std::optional<std::string> FakeSystem::TryErrorMessage(platform::WinError error) {
  if (error == win::kErrorAccessDenied) return "Access is denied.";
  return std::nullopt;
}

int FakeSystem::GetSystemMetrics(int index) {
  auto metric = metrics.find(index);
  return metric == metrics.end() ? 0 : metric->second;
}

platform::WinResult<std::string> FakeSystem::ConvertOemToAnsi(const std::string& oemText) {
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

platform::WinResult<std::string> FakeSystem::AnsiToUtf8(const std::string& ansiText) {
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

platform::WinResult<platform::ProcessTokenPtr> FakeSystem::OpenProcessPrimaryToken(std::uint32_t processId) {
  journal_.push_back("OpenProcessToken " + std::to_string(processId));
  tokenProcessIds.push_back(processId);
  if (tokenFailure) return platform::Failed<platform::ProcessTokenPtr>(*tokenFailure);
  return platform::Succeeded<platform::ProcessTokenPtr>(
      std::make_unique<FakeToken<TokenStart>>(tokenStarts, tokenStartFailure, tokensOpen, processId));
}

platform::WinResult<platform::TokenElevationType> FakeSystem::OwnElevationType() { return elevationType; }

platform::WinResult<platform::ProcessTokenPtr> FakeSystem::OpenLinkedToken() {
  journal_.push_back("GetTokenInformation TokenLinkedToken");
  ++linkedTokenQueries;
  if (linkedTokenFailure) return platform::Failed<platform::ProcessTokenPtr>(*linkedTokenFailure);
  return platform::Succeeded<platform::ProcessTokenPtr>(
      std::make_unique<FakeToken<TokenStart>>(linkedTokenStarts, linkedTokenStartFailure, tokensOpen, 0));
}

namespace {

class FakeWaitableProcess final : public platform::WaitableProcess {
 public:
  FakeWaitableProcess(FakeSystem& system, Journal& journal) : system_(system), journal_(journal) {
    ++system_.waitableProcessesOpen;
  }
  ~FakeWaitableProcess() override { --system_.waitableProcessesOpen; }

  platform::WinError WaitForEnd(std::uint32_t timeoutMs) override {
    journal_.push_back("WaitForSingleObject " + std::to_string(timeoutMs));
    system_.waitTimeouts.push_back(timeoutMs);
    if (system_.waitResult == win::kErrorSuccess && system_.onProcessEnd) system_.onProcessEnd();
    return system_.waitResult;
  }

 private:
  FakeSystem& system_;
  Journal& journal_;
};

}  // namespace

platform::WinResult<platform::WaitableProcessPtr> FakeSystem::OpenProcessToWaitFor(std::uint32_t processId) {
  journal_.push_back("OpenProcess " + std::to_string(processId));
  processesOpenedToWait.push_back(processId);
  if (onProcessOpen) onProcessOpen();
  if (processOpenFailure) return platform::Failed<platform::WaitableProcessPtr>(*processOpenFailure);
  return platform::Succeeded<platform::WaitableProcessPtr>(std::make_unique<FakeWaitableProcess>(*this, journal_));
}

platform::WinResult<std::uint32_t> FakeSystem::OwnSessionId() { return ownSession; }

std::optional<std::uint32_t> FakeSystem::TryActiveConsoleSessionId() { return activeConsoleSession; }

platform::WinResult<platform::ProcessTokenPtr> FakeSystem::QuerySessionUserToken(std::uint32_t sessionId) {
  journal_.push_back("WTSQueryUserToken " + std::to_string(sessionId));
  sessionTokenQueries.push_back(sessionId);
  if (sessionTokenFailure) return platform::Failed<platform::ProcessTokenPtr>(*sessionTokenFailure);
  return platform::Succeeded<platform::ProcessTokenPtr>(
      std::make_unique<FakeToken<SessionStart>>(sessionStarts, sessionStartFailure, sessionTokensOpen, sessionId));
}

platform::WinResult<std::vector<platform::TerminalSession>> FakeSystem::EnumerateSessions() {
  journal_.push_back("WTSEnumerateSessionsA");
  return sessions;
}

platform::WinError FakeSystem::OpenExistingMapping(const std::string& name) {
  journal_.push_back("OpenFileMappingA " + name);
  mappingsOpened.push_back(name);
  return existingMappings.count(name) != 0 ? win::kErrorSuccess : win::kErrorFileNotFound;
}

platform::WinResult<platform::ImageProcesses> FakeSystem::OpenProcessesOfImage(const std::string& imagePath) {
  journal_.push_back("processes of " + imagePath);
  imagesLookedUp.push_back(imagePath);
  if (imageProcessesFailure) return platform::Failed<platform::ImageProcesses>(*imageProcessesFailure);
  platform::ImageProcesses found;
  if (const auto listed = imageProcesses.find(Lower(imagePath)); listed != imageProcesses.end()) {
    found.sessionIds = listed->second;
    if (!found.sessionIds.empty()) found.processes = std::make_unique<FakeWaitableProcess>(*this, journal_);
  }
  return platform::Succeeded(std::move(found));
}

platform::WinError FakeSystem::StartOwnProgramInSession(std::uint32_t sessionId, const std::string& arguments) {
  journal_.push_back("own program in session " + std::to_string(sessionId) + ": " + arguments);
  if (ownProgramStartFailure) return *ownProgramStartFailure;
  ownProgramStarts.push_back({sessionId, arguments});
  return win::kErrorSuccess;
}

}  // namespace velora::fakes
