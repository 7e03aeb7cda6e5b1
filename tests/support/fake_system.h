// Scripted system facts: locale, clocks, version records, processor, screen metrics, environment, folders, rights,
// processes (a handler plays the started program), named mappings, shell starts, the program's own
// file and resources, version resources of other files, a stand-in digest, and Cyrillic text conversions.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/system_api.h"
#include "support/fake_journal.h"

namespace velora::fakes {

struct FakeVersionResource {
  std::optional<std::vector<std::uint32_t>> translations;
  std::map<std::string, std::string> strings;  ///< by sub-block, e.g. "\StringFileInfo\040904b0\FileVersion"
};

class FakeSystem final : public platform::SystemApi {
 public:
  struct ShellStart {
    std::string verb, file, parameters, directory;
    int show;
  };
  /// A program started with a duplicated token: the process whose token it was, and the call's arguments.
  struct TokenStart {
    std::uint32_t tokenProcessId;
    std::string application, commandLine, directory;
    int show;
  };

  explicit FakeSystem(Journal& journal) : journal_(journal) {}

  /// The fake's digest: deterministic, 64 hex digits, different for different bytes. Not SHA-256;
  /// tests stamp their images with it.
  static std::string DigestOf(std::string_view bytes);

  bool dllDirectoriesAvailable = true;  ///< false: SetDefaultDllDirectories fails as where it does not exist
  std::vector<std::uint32_t> dllDirectoryFlags;
  std::vector<std::string> dllFolders;  ///< every SetDllDirectoryA folder, in order
  std::uint32_t userLocale = 1033;
  std::vector<std::uint32_t> sleeps;
  std::function<void(std::uint32_t)> onSleep;
  /// Windows 7 SP1 on a 64-bit processor by default.
  std::optional<platform::OsVersionInfo> extendedVersion =
      platform::OsVersionInfo{6, 1, 7601, 2, "Service Pack 1", 0x100, 1};
  std::optional<platform::OsVersionInfo> plainVersion = platform::OsVersionInfo{6, 1, 7601, 2, "Service Pack 1", 0, 0};
  std::uint16_t processorArchitecture = 9;
  std::map<std::string, std::string> environment;         ///< by lower-case name
  std::string systemDirectory = "C:\\windows\\system32";  ///< empty: GetSystemDirectoryA fails
  std::string windowsDirectory = "C:\\windows";
  bool userIsAdmin = true;
  std::vector<std::string> processCommandLines;
  std::vector<std::uint32_t> processCreationFlags;
  std::vector<int> processShowWindow;
  std::vector<std::size_t> processOutputBounds;
  /// Plays the started program: its output, with CreateProcess's error (or a failed read's after some
  /// output). Unset: the program cannot be started.
  std::function<platform::WinResult<std::string>(const std::string& commandLine)> onRunProcess;
  std::set<std::string> existingMappings;  ///< names whose mapping another process already holds
  struct MappingCreate {
    std::string name;
    std::uint32_t sizeLow;
  };
  std::vector<MappingCreate> mappingsCreated;  ///< every CreateFileMappingA call
  int mappingHandlesOpen = 0;
  std::vector<ShellStart> shellStarts;
  std::map<std::pair<std::string, std::string>, std::string> resources;  ///< by upper-case (name, type)
  std::map<std::string, std::uintptr_t> exeTypes;                        ///< by lower-case path
  std::map<std::string, FakeVersionResource> versionResources;           ///< by lower-case path
  std::optional<platform::WinError> digestFailure;
  std::optional<platform::WinError> conversionFailure;  ///< OemToCharBuffA and the UTF-8 conversion fail with this
  platform::LocalTime localTime{2026, 12, 8, 9, 5, 7, 42};
  std::vector<std::uint32_t> tokenProcessIds;           ///< every OpenProcessPrimaryToken call
  std::optional<platform::WinError> tokenFailure;       ///< OpenProcessPrimaryToken fails with this
  std::optional<platform::WinError> tokenStartFailure;  ///< CreateProcessWithTokenW fails with this
  std::vector<TokenStart> tokenStarts;
  int tokensOpen = 0;  ///< the shell's tokens and the linked ones not yet closed
  /// As Wine and UAC run an elevated program: the full half of a split token.
  platform::WinResult<platform::TokenElevationType> elevationType =
      platform::Succeeded(platform::TokenElevationType::Full);
  int linkedTokenQueries = 0;
  std::optional<platform::WinError> linkedTokenFailure;       ///< GetTokenInformation(TokenLinkedToken) fails
  std::optional<platform::WinError> linkedTokenStartFailure;  ///< CreateProcessWithTokenW with it fails
  std::vector<TokenStart> linkedTokenStarts;                  ///< tokenProcessId 0: this process's own

  void SetEnvironment(const std::string& name, const std::string& value) { environment[Lower(name)] = value; }
  void AddResource(const std::string& name, const std::string& type, std::string bytes);

  platform::WinError SetDefaultDllDirectories(std::uint32_t flags) override;
  platform::WinError SetDllFolder(const std::string& folder) override;
  std::uint32_t GetUserDefaultLCID() override;
  void Sleep(std::uint32_t milliseconds) override;
  platform::WinResult<platform::OsVersionInfo> VersionFacts(platform::VersionRecord record) override;
  std::uint16_t GetProcessorArchitecture() override;
  std::map<int, int> metrics{{0, 1024}, {1, 768}};  ///< GetSystemMetrics by index; 0 for the others
  int GetSystemMetrics(int index) override;
  platform::WinResult<std::string> EnvironmentVariable(const std::string& name) override;
  platform::WinResult<std::string> SystemDirectory() override;
  platform::WinResult<std::string> WindowsDirectory() override;
  bool IsUserAnAdmin() override;
  platform::WinResult<std::string> RunProcessCapturingOutput(const std::string& commandLine,
                                                             std::uint32_t creationFlags, int showWindow,
                                                             std::size_t maxBytes) override;
  platform::WinResult<platform::KernelObjectPtr> CreateNamedMapping(const std::string& name,
                                                                    std::uint32_t sizeLow) override;
  platform::WinError ShellOpen(const std::string& verb, const std::string& file, const std::string& parameters,
                               const std::string& directory, int show) override;
  platform::WinResult<std::string> LoadModuleResource(const std::string& name, const std::string& type) override;
  std::optional<std::uintptr_t> TryGetExeType(const std::string& path) override;
  platform::WinResult<std::unique_ptr<platform::FileVersionInfo>> LoadFileVersionInfo(const std::string& path) override;
  platform::WinResult<std::string> Sha256Hex(std::string_view bytes) override;
  platform::LocalTime GetLocalTime() override;
  std::optional<std::string> TryErrorMessage(platform::WinError error) override;
  /// ANSI texts are Windows-1251 here: the Cyrillic letters become UTF-8.
  platform::WinResult<std::string> AnsiToUtf8(const std::string& ansiText) override;
  /// OEM texts are code page 866 here: its Cyrillic letters become those of code page 1251.
  platform::WinResult<std::string> ConvertOemToAnsi(const std::string& oemText) override;
  platform::WinResult<platform::ProcessTokenPtr> OpenProcessPrimaryToken(std::uint32_t processId) override;
  platform::WinResult<platform::TokenElevationType> OwnElevationType() override;
  platform::WinResult<platform::ProcessTokenPtr> OpenLinkedToken() override;

  // Processes waited for, and the sessions of a service.
  struct SessionStart {
    std::uint32_t sessionId;
    std::string application, commandLine, directory;
    int show;
  };
  std::vector<std::uint32_t> processesOpenedToWait;      ///< every OpenProcess(SYNCHRONIZE) call
  std::optional<platform::WinError> processOpenFailure;  ///< OpenProcess fails with this
  std::function<void()> onProcessOpen;                   ///< runs as OpenProcess opens a process
  std::vector<std::uint32_t> waitTimeouts;               ///< every WaitForSingleObject's time-out
  platform::WinError waitResult = 0;                     ///< every wait's outcome: 0 ended, 258 timed out
  std::function<void()> onProcessEnd;                    ///< runs when a wait finds the process ended
  int waitableProcessesOpen = 0;
  platform::WinResult<std::uint32_t> ownSession = platform::Succeeded<std::uint32_t>(1);
  std::optional<std::uint32_t> activeConsoleSession;
  std::vector<std::uint32_t> sessionTokenQueries;         ///< every WTSQueryUserToken call's session
  std::optional<platform::WinError> sessionTokenFailure;  ///< WTSQueryUserToken fails with this
  std::optional<platform::WinError> sessionStartFailure;  ///< CreateProcessAsUserW (or its set-up) fails with this
  std::vector<SessionStart> sessionStarts;
  int sessionTokensOpen = 0;

  platform::WinResult<platform::WaitableProcessPtr> OpenProcessToWaitFor(std::uint32_t processId) override;
  platform::WinResult<std::uint32_t> OwnSessionId() override;
  std::optional<std::uint32_t> TryActiveConsoleSessionId() override;
  platform::WinResult<platform::ProcessTokenPtr> QuerySessionUserToken(std::uint32_t sessionId) override;

  // A service's view of the users' sessions.
  struct OwnProgramStart {
    std::uint32_t sessionId;
    std::string arguments;
  };
  platform::WinResult<std::vector<platform::TerminalSession>> sessions =
      platform::Succeeded(std::vector<platform::TerminalSession>{});
  std::vector<std::string> mappingsOpened;  ///< every OpenFileMappingA call; existingMappings says which exist
  std::map<std::string, std::vector<std::uint32_t>>
      imageProcesses;                                       ///< sessions of each image's processes, by lower-case path
  std::optional<platform::WinError> imageProcessesFailure;  ///< the process list cannot be had
  std::vector<std::string> imagesLookedUp;
  std::optional<platform::WinError> ownProgramStartFailure;  ///< CreateProcessAsUserW (or its set-up) fails
  std::vector<OwnProgramStart> ownProgramStarts;

  platform::WinResult<std::vector<platform::TerminalSession>> EnumerateSessions() override;
  platform::WinError OpenExistingMapping(const std::string& name) override;
  platform::WinResult<platform::ImageProcesses> OpenProcessesOfImage(const std::string& imagePath) override;
  platform::WinError StartOwnProgramInSession(std::uint32_t sessionId, const std::string& arguments) override;

 private:
  Journal& journal_;
};

}  // namespace velora::fakes
