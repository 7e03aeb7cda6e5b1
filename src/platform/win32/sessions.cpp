// The machine's sessions as a service sees them: its own and the console's, the users signed in to them,
// and this program started in one of them. Everything newer than XP is looked up at run time; a service
// and the users' sessions are apart only from Vista on.
#include "platform/win32/system.h"

// After <windows.h>, which the header above brings: it takes its types.
#include <wtsapi32.h>

#include <memory>
#include <vector>

#include "platform/win32/last_error.h"
#include "platform/win32/own_module.h"
#include "platform/win32/process_start.h"
#include "platform/win32/run_time_link.h"
#include "platform/win32/wide_text.h"

namespace velora::win32 {
namespace {

using platform::WinError;
using platform::WinResult;

using WTSEnumerateSessionsAFn = BOOL(WINAPI*)(HANDLE, DWORD, DWORD, PWTS_SESSION_INFOA*, DWORD*);
using WTSFreeMemoryFn = void(WINAPI*)(PVOID);
using WTSQueryUserTokenFn = BOOL(WINAPI*)(ULONG, PHANDLE);
using CreateEnvironmentBlockFn = BOOL(WINAPI*)(LPVOID*, HANDLE, BOOL);
using DestroyEnvironmentBlockFn = BOOL(WINAPI*)(LPVOID);
using CreateProcessAsUserWFn = BOOL(WINAPI*)(HANDLE, LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                                             BOOL, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);

// A user's environment block, freed with the DestroyEnvironmentBlock of the userenv.dll that made it
// (which must stay loaded as long as the block lives).
struct EnvironmentBlockFree {
  DestroyEnvironmentBlockFn destroy = nullptr;
  void operator()(void* block) const { destroy(block); }
};
using unique_environment_block = std::unique_ptr<void, EnvironmentBlockFree>;

// The token user's own variables only: nothing of this elevated process's environment is passed on.
WinResult<unique_environment_block> CreateUserEnvironment(HMODULE userenv, HANDLE token) {
  auto create = ExportOf<CreateEnvironmentBlockFn>(userenv, "CreateEnvironmentBlock");
  auto destroy = ExportOf<DestroyEnvironmentBlockFn>(userenv, "DestroyEnvironmentBlock");
  if (create == nullptr || destroy == nullptr) return platform::Failed<unique_environment_block>(ERROR_PROC_NOT_FOUND);
  void* block = nullptr;
  if (!create(&block, token, /*bInherit=*/FALSE)) return platform::Failed<unique_environment_block>(GetLastError());
  return platform::Succeeded(unique_environment_block(block, EnvironmentBlockFree{destroy}));
}

class Win32SessionUserToken final : public platform::ProcessToken {
 public:
  explicit Win32SessionUserToken(unique_handle token) : token_(std::move(token)) {}

  WinError StartProcess(const std::string& application, const std::string& commandLine, const std::string& directory,
                        int show) override {
    auto createProcess = ExportOf<CreateProcessAsUserWFn>("advapi32.dll", "CreateProcessAsUserW");
    if (createProcess == nullptr) return ERROR_PROC_NOT_FOUND;
    auto userenv = LoadSystemLibrary("userenv.dll");
    if (!userenv.ok()) return userenv.error;
    auto environment = CreateUserEnvironment(userenv.value.get(), token_.get());
    if (!environment.ok()) return environment.error;
    WideProcessStart start(WideFromAnsi(application), WideFromAnsi(commandLine), WideFromAnsi(directory), show);
    // The interactive desktop of the user's session; a service's own desktop is invisible.
    wchar_t desktop[] = L"winsta0\\default";
    start.startup.lpDesktop = desktop;
    return start.StartedAndReady(createProcess(
        token_.get(), start.application.c_str(), start.commandLine.data(), /*lpProcessAttributes=*/nullptr,
        /*lpThreadAttributes=*/nullptr, /*bInheritHandles=*/FALSE, CREATE_UNICODE_ENVIRONMENT, environment.value.get(),
        start.Directory(), &start.startup, start.process.put()));
  }

 private:
  unique_handle token_;
};

}  // namespace

WinResult<std::uint32_t> Win32Sessions::OwnSessionId() {
  using ProcessIdToSessionIdFn = BOOL(WINAPI*)(DWORD, DWORD*);
  auto sessionOf = ExportOf<ProcessIdToSessionIdFn>("kernel32.dll", "ProcessIdToSessionId");
  if (sessionOf == nullptr) return platform::Failed<std::uint32_t>(ERROR_PROC_NOT_FOUND);
  DWORD session = 0;
  if (!sessionOf(GetCurrentProcessId(), &session)) return platform::Failed<std::uint32_t>(GetLastError());
  return platform::Succeeded<std::uint32_t>(session);
}

std::optional<std::uint32_t> Win32Sessions::TryActiveConsoleSessionId() {
  using WTSGetActiveConsoleSessionIdFn = DWORD(WINAPI*)();
  auto consoleSession = ExportOf<WTSGetActiveConsoleSessionIdFn>("kernel32.dll", "WTSGetActiveConsoleSessionId");
  if (consoleSession == nullptr) return std::nullopt;
  const DWORD session = consoleSession();
  if (session == 0xFFFFFFFF) return std::nullopt;  // the console is between sessions
  return session;
}

WinResult<std::vector<platform::TerminalSession>> Win32Sessions::EnumerateSessions() {
  using Sessions = std::vector<platform::TerminalSession>;
  auto wtsapi = LoadSystemLibrary("wtsapi32.dll");
  if (!wtsapi.ok()) return platform::Failed<Sessions>(wtsapi.error);
  auto enumerate = ExportOf<WTSEnumerateSessionsAFn>(wtsapi.value.get(), "WTSEnumerateSessionsA");
  auto release = ExportOf<WTSFreeMemoryFn>(wtsapi.value.get(), "WTSFreeMemory");
  if (enumerate == nullptr || release == nullptr) return platform::Failed<Sessions>(ERROR_PROC_NOT_FOUND);
  PWTS_SESSION_INFOA listed = nullptr;
  DWORD count = 0;
  if (!enumerate(WTS_CURRENT_SERVER_HANDLE, /*Reserved=*/0, /*Version=*/1, &listed, &count)) {
    return platform::Failed<Sessions>(GetLastError());
  }
  Sessions sessions(count);
  for (DWORD i = 0; i < count; ++i) sessions[i] = {listed[i].SessionId, static_cast<std::uint32_t>(listed[i].State)};
  release(listed);
  return platform::Succeeded(std::move(sessions));
}

WinResult<platform::ProcessTokenPtr> Win32Sessions::QuerySessionUserToken(std::uint32_t sessionId) {
  using Token = platform::ProcessTokenPtr;
  auto wtsapi = LoadSystemLibrary("wtsapi32.dll");
  if (!wtsapi.ok()) return platform::Failed<Token>(wtsapi.error);
  auto query = ExportOf<WTSQueryUserTokenFn>(wtsapi.value.get(), "WTSQueryUserToken");
  if (query == nullptr) return platform::Failed<Token>(ERROR_PROC_NOT_FOUND);
  unique_handle token;
  if (!query(sessionId, token.put())) return platform::Failed<Token>(GetLastError());
  return platform::Succeeded<Token>(std::make_unique<Win32SessionUserToken>(std::move(token)));
}

WinError Win32Sessions::StartOwnProgramInSession(std::uint32_t sessionId, const std::string& arguments) {
  auto createProcess = ExportOf<CreateProcessAsUserWFn>("advapi32.dll", "CreateProcessAsUserW");
  if (createProcess == nullptr) return ERROR_PROC_NOT_FOUND;
  auto program = OwnModulePath();
  if (!program.ok()) return program.error;
  unique_handle ownToken;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE, ownToken.put())) return GetLastError();
  auto token = DuplicatePrimaryToken(ownToken.get());
  if (!token.ok()) return token.error;
  // The user's own token cannot start this program, whose manifest asks for administrator rights (740);
  // this process's token, moved to the user's session, can.
  DWORD session = sessionId;
  if (!SetTokenInformation(token.value.get(), TokenSessionId, &session, sizeof session)) return GetLastError();
  // The program's own path names the program; the command line's first word only stands in for it.
  WideProcessStart start(std::move(program.value), WideFromAnsi("VeloraUpdate.exe " + arguments),
                         /*folder=*/std::wstring(), SW_HIDE);
  wchar_t desktop[] = L"winsta0\\default";  // the user's interactive desktop, where the product's window is
  start.startup.lpDesktop = desktop;
  // The helper has no window to wait for: it posts its message and ends.
  return ErrorOf(createProcess(token.value.get(), start.application.c_str(), start.commandLine.data(),
                               /*lpProcessAttributes=*/nullptr, /*lpThreadAttributes=*/nullptr,
                               /*bInheritHandles=*/FALSE, /*dwCreationFlags=*/0, /*lpEnvironment=*/nullptr,
                               start.Directory(), &start.startup, start.process.put()));
}

}  // namespace velora::win32
