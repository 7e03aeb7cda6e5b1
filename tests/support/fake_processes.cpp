#include "support/fake_processes.h"

#include "platform/win_constants.h"

namespace velora::fakes {
namespace {

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

class FakeWaitableProcess final : public platform::WaitableProcess {
 public:
  FakeWaitableProcess(FakeProcesses& processes, Journal& journal) : processes_(processes), journal_(journal) {
    ++processes_.waitableProcessesOpen;
  }
  ~FakeWaitableProcess() override { --processes_.waitableProcessesOpen; }

  platform::WinError WaitForEnd(std::uint32_t timeoutMs) override {
    journal_.push_back("WaitForSingleObject " + std::to_string(timeoutMs));
    processes_.waitTimeouts.push_back(timeoutMs);
    if (processes_.waitResult == win::kErrorSuccess && processes_.onProcessEnd) processes_.onProcessEnd();
    return processes_.waitResult;
  }

 private:
  FakeProcesses& processes_;
  Journal& journal_;
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

platform::WinResult<std::string> FakeProcesses::RunProcessCapturingOutput(const std::string& commandLine,
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

platform::WinError FakeProcesses::ShellOpen(const std::string& verb, const std::string& file,
                                            const std::string& parameters, const std::string& directory, int show) {
  journal_.push_back("ShellExecute " + file);
  shellStarts.push_back({verb, file, parameters, directory, show});
  return win::kErrorSuccess;
}

platform::WinResult<platform::WaitableProcessPtr> FakeProcesses::OpenProcessToWaitFor(std::uint32_t processId) {
  journal_.push_back("OpenProcess " + std::to_string(processId));
  processesOpenedToWait.push_back(processId);
  if (onProcessOpen) onProcessOpen();
  if (processOpenFailure) return platform::Failed<platform::WaitableProcessPtr>(*processOpenFailure);
  return platform::Succeeded<platform::WaitableProcessPtr>(std::make_unique<FakeWaitableProcess>(*this, journal_));
}

platform::WinResult<platform::ImageProcesses> FakeProcesses::OpenProcessesOfImage(const std::string& imagePath) {
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

platform::WinResult<platform::KernelObjectPtr> FakeProcesses::CreateNamedMapping(const std::string& name,
                                                                                 std::uint32_t sizeLow) {
  journal_.push_back("CreateFileMapping " + name);
  mappingsCreated.push_back({name, sizeLow});
  const bool exists = existingMappings.count(name) != 0;
  return {exists ? win::kErrorAlreadyExists : win::kErrorSuccess,
          std::make_unique<FakeMapping>(journal_, name, mappingHandlesOpen)};
}

platform::WinError FakeProcesses::OpenExistingMapping(const std::string& name) {
  journal_.push_back("OpenFileMappingA " + name);
  mappingsOpened.push_back(name);
  return existingMappings.count(name) != 0 ? win::kErrorSuccess : win::kErrorFileNotFound;
}

platform::WinResult<platform::ProcessTokenPtr> FakeTokens::OpenLinkedToken() {
  journal_.push_back("GetTokenInformation TokenLinkedToken");
  ++linkedTokenQueries;
  if (linkedTokenFailure) return platform::Failed<platform::ProcessTokenPtr>(*linkedTokenFailure);
  return platform::Succeeded<platform::ProcessTokenPtr>(
      std::make_unique<FakeToken<TokenStart>>(linkedTokenStarts, linkedTokenStartFailure, tokensOpen, 0));
}

platform::WinResult<platform::ProcessTokenPtr> FakeTokens::OpenProcessPrimaryToken(std::uint32_t processId) {
  journal_.push_back("OpenProcessToken " + std::to_string(processId));
  tokenProcessIds.push_back(processId);
  if (tokenFailure) return platform::Failed<platform::ProcessTokenPtr>(*tokenFailure);
  return platform::Succeeded<platform::ProcessTokenPtr>(
      std::make_unique<FakeToken<TokenStart>>(tokenStarts, tokenStartFailure, tokensOpen, processId));
}

platform::WinResult<std::vector<platform::TerminalSession>> FakeSessions::EnumerateSessions() {
  journal_.push_back("WTSEnumerateSessionsA");
  return listed;
}

platform::WinResult<platform::ProcessTokenPtr> FakeSessions::QuerySessionUserToken(std::uint32_t sessionId) {
  journal_.push_back("WTSQueryUserToken " + std::to_string(sessionId));
  sessionTokenQueries.push_back(sessionId);
  if (sessionTokenFailure) return platform::Failed<platform::ProcessTokenPtr>(*sessionTokenFailure);
  return platform::Succeeded<platform::ProcessTokenPtr>(
      std::make_unique<FakeToken<SessionStart>>(sessionStarts, sessionStartFailure, sessionTokensOpen, sessionId));
}

platform::WinError FakeSessions::StartOwnProgramInSession(std::uint32_t sessionId, const std::string& arguments) {
  journal_.push_back("own program in session " + std::to_string(sessionId) + ": " + arguments);
  if (ownProgramStartFailure) return *ownProgramStartFailure;
  ownProgramStarts.push_back({sessionId, arguments});
  return win::kErrorSuccess;
}

}  // namespace velora::fakes
