// Scripted processes, tokens and sessions: programs run for their output (a handler plays the started
// program), shell starts, processes waited for, the product's named mapping; administrator rights, the
// tokens programs are started with and what each start was asked; a service's view of the users' sessions.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/process_api.h"
#include "platform/session_api.h"
#include "platform/token_api.h"
#include "support/fake_journal.h"

namespace velora::fakes {

class FakeProcesses final : public platform::ProcessApi {
 public:
  struct ShellStart {
    std::string verb, file, parameters, directory;
    int show;
  };
  struct MappingCreate {
    std::string name;
    std::uint32_t sizeLow;
  };

  explicit FakeProcesses(Journal& journal) : journal_(journal) {}

  // Programs run for their output, and the shell's starts.
  std::vector<std::string> processCommandLines;
  std::vector<std::uint32_t> processCreationFlags;
  std::vector<int> processShowWindow;
  std::vector<std::size_t> processOutputBounds;
  /// Plays the started program: its output, with CreateProcess's error (or a failed read's after some
  /// output). Unset: the program cannot be started.
  std::function<platform::WinResult<std::string>(const std::string& commandLine)> onRunProcess;
  std::vector<ShellStart> shellStarts;

  // Processes waited for.
  std::vector<std::uint32_t> processesOpenedToWait;      ///< every OpenProcess(SYNCHRONIZE) call
  std::optional<platform::WinError> processOpenFailure;  ///< OpenProcess fails with this
  std::function<void()> onProcessOpen;                   ///< runs as OpenProcess opens a process
  std::vector<std::uint32_t> waitTimeouts;               ///< every WaitForSingleObject's time-out
  platform::WinError waitResult = 0;                     ///< every wait's outcome: 0 ended, 258 timed out
  std::function<void()> onProcessEnd;                    ///< runs when a wait finds the process ended
  int waitableProcessesOpen = 0;
  std::map<std::string, std::vector<std::uint32_t>>
      imageProcesses;                                       ///< sessions of each image's processes, by lower-case path
  std::optional<platform::WinError> imageProcessesFailure;  ///< the process list cannot be had
  std::vector<std::string> imagesLookedUp;

  // Named mappings.
  std::set<std::string> existingMappings;      ///< names whose mapping another process already holds
  std::vector<MappingCreate> mappingsCreated;  ///< every CreateFileMappingA call
  int mappingHandlesOpen = 0;
  std::vector<std::string> mappingsOpened;  ///< every OpenFileMappingA call; existingMappings says which exist

  platform::WinResult<std::string> RunProcessCapturingOutput(const std::string& commandLine,
                                                             std::uint32_t creationFlags, int showWindow,
                                                             std::size_t maxBytes) override;
  platform::WinError ShellOpen(const std::string& verb, const std::string& file, const std::string& parameters,
                               const std::string& directory, int show) override;
  platform::WinResult<platform::WaitableProcessPtr> OpenProcessToWaitFor(std::uint32_t processId) override;
  platform::WinResult<platform::ImageProcesses> OpenProcessesOfImage(const std::string& imagePath) override;
  platform::WinResult<platform::KernelObjectPtr> CreateNamedMapping(const std::string& name,
                                                                    std::uint32_t sizeLow) override;
  platform::WinError OpenExistingMapping(const std::string& name) override;

 private:
  Journal& journal_;
};

class FakeTokens final : public platform::TokenApi {
 public:
  /// A program started with a token: the process whose token it was (0: this process's own), and the call's
  /// arguments.
  struct TokenStart {
    std::uint32_t tokenProcessId;
    std::string application, commandLine, directory;
    int show;
  };

  explicit FakeTokens(Journal& journal) : journal_(journal) {}

  bool userIsAdmin = true;
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
  std::vector<TokenStart> linkedTokenStarts;

  bool IsUserAnAdmin() override { return userIsAdmin; }
  platform::WinResult<platform::TokenElevationType> OwnElevationType() override { return elevationType; }
  platform::WinResult<platform::ProcessTokenPtr> OpenLinkedToken() override;
  platform::WinResult<platform::ProcessTokenPtr> OpenProcessPrimaryToken(std::uint32_t processId) override;

 private:
  Journal& journal_;
};

class FakeSessions final : public platform::SessionApi {
 public:
  /// A program started with a session user's token: the session, and the call's arguments.
  struct SessionStart {
    std::uint32_t sessionId;
    std::string application, commandLine, directory;
    int show;
  };
  struct OwnProgramStart {
    std::uint32_t sessionId;
    std::string arguments;
  };

  explicit FakeSessions(Journal& journal) : journal_(journal) {}

  platform::WinResult<std::uint32_t> ownSession = platform::Succeeded<std::uint32_t>(1);
  std::optional<std::uint32_t> activeConsoleSession;
  platform::WinResult<std::vector<platform::TerminalSession>> listed =
      platform::Succeeded(std::vector<platform::TerminalSession>{});
  std::vector<std::uint32_t> sessionTokenQueries;         ///< every WTSQueryUserToken call's session
  std::optional<platform::WinError> sessionTokenFailure;  ///< WTSQueryUserToken fails with this
  std::optional<platform::WinError> sessionStartFailure;  ///< CreateProcessAsUserW (or its set-up) fails with this
  std::vector<SessionStart> sessionStarts;
  int sessionTokensOpen = 0;
  std::optional<platform::WinError> ownProgramStartFailure;  ///< CreateProcessAsUserW (or its set-up) fails
  std::vector<OwnProgramStart> ownProgramStarts;

  platform::WinResult<std::uint32_t> OwnSessionId() override { return ownSession; }
  std::optional<std::uint32_t> TryActiveConsoleSessionId() override { return activeConsoleSession; }
  platform::WinResult<std::vector<platform::TerminalSession>> EnumerateSessions() override;
  platform::WinResult<platform::ProcessTokenPtr> QuerySessionUserToken(std::uint32_t sessionId) override;
  platform::WinError StartOwnProgramInSession(std::uint32_t sessionId, const std::string& arguments) override;

 private:
  Journal& journal_;
};

}  // namespace velora::fakes
