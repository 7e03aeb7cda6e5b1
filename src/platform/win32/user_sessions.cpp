// The system seam's part for a service: the users' sessions, the product's processes in any of them, and
// this program started in one of them. Everything newer than XP is looked up at run time; a service and
// the users' sessions are apart only from Vista on.
#include "platform/win32/system.h"

// After <windows.h>, which the header above brings: these two take its types.
#include <tlhelp32.h>
#include <wtsapi32.h>

#include <vector>

#include "platform/win32/last_error.h"
#include "platform/win32/own_module.h"
#include "platform/win32/run_time_link.h"
#include "platform/win32/wide_text.h"

namespace velora::win32 {
namespace {

using platform::WinError;
using platform::WinResult;

using WTSEnumerateSessionsAFn = BOOL(WINAPI*)(HANDLE, DWORD, DWORD, PWTS_SESSION_INFOA*, DWORD*);
using WTSFreeMemoryFn = void(WINAPI*)(PVOID);
using QueryFullProcessImageNameWFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
using ProcessIdToSessionIdFn = BOOL(WINAPI*)(DWORD, DWORD*);
using CreateProcessAsUserWFn = BOOL(WINAPI*)(HANDLE, LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                                             BOOL, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);

// PROCESS_QUERY_LIMITED_INFORMATION (Vista): enough for the image name, granted across sessions.
constexpr DWORD kQueryLimitedInformation = 0x1000;

// Several processes as one to wait for: the wait ends when every one of them has ended.
class Win32ProcessGroup final : public platform::WaitableProcess {
 public:
  Win32ProcessGroup() = default;
  Win32ProcessGroup(const Win32ProcessGroup&) = delete;
  Win32ProcessGroup& operator=(const Win32ProcessGroup&) = delete;
  ~Win32ProcessGroup() override {
    for (DWORD i = 0; i < count_; ++i) CloseHandle(processes_[i]);
  }

  bool Full() const { return count_ == MAXIMUM_WAIT_OBJECTS; }
  bool Empty() const { return count_ == 0; }
  void Add(unique_handle process) { processes_[count_++] = process.release(); }

  WinError WaitForEnd(std::uint32_t timeoutMs) override {
    switch (WaitForMultipleObjects(count_, processes_, /*bWaitAll=*/TRUE, timeoutMs)) {
      case WAIT_TIMEOUT:
        return WAIT_TIMEOUT;
      case WAIT_FAILED:
        return LastErrorOr(ERROR_INVALID_HANDLE);
      default:
        return ERROR_SUCCESS;
    }
  }

 private:
  HANDLE processes_[MAXIMUM_WAIT_OBJECTS] = {};
  DWORD count_ = 0;
};

// Whether the opened process runs the image: what the handle shows, not what the process list said.
// lstrcmpiW ignores letter case as file names do.
bool RunsImage(HANDLE process, const std::wstring& image, QueryFullProcessImageNameWFn query) {
  wchar_t running[4096];
  DWORD length = sizeof running / sizeof running[0];
  return query(process, /*dwFlags=*/0, running, &length) && lstrcmpiW(running, image.c_str()) == 0;
}

}  // namespace

WinResult<std::vector<platform::TerminalSession>> Win32System::EnumerateSessions() {
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

WinError Win32System::OpenExistingMapping(const std::string& name) {
  unique_handle mapping(OpenFileMappingA(FILE_MAP_READ, /*bInheritHandle=*/FALSE, name.c_str()));
  return mapping ? ERROR_SUCCESS : GetLastError();
}

WinResult<platform::ImageProcesses> Win32System::OpenProcessesOfImage(const std::string& imagePath) {
  using Found = platform::ImageProcesses;
  auto queryImage = ExportOf<QueryFullProcessImageNameWFn>("kernel32.dll", "QueryFullProcessImageNameW");
  auto sessionOf = ExportOf<ProcessIdToSessionIdFn>("kernel32.dll", "ProcessIdToSessionId");
  if (queryImage == nullptr || sessionOf == nullptr) return platform::Failed<Found>(ERROR_PROC_NOT_FOUND);
  const std::wstring wanted = WideFromAnsi(imagePath);
  const std::wstring fileName = WideFromAnsi(imagePath.substr(imagePath.rfind('\\') + 1));

  unique_hfile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, /*th32ProcessID=*/0));
  if (!snapshot) return platform::Failed<Found>(GetLastError());
  Found found;
  auto processes = std::make_unique<Win32ProcessGroup>();
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more && !processes->Full();
       more = Process32NextW(snapshot.get(), &entry)) {
    if (lstrcmpiW(entry.szExeFile, fileName.c_str()) != 0) continue;
    unique_handle process(
        OpenProcess(SYNCHRONIZE | kQueryLimitedInformation, /*bInheritHandle=*/FALSE, entry.th32ProcessID));
    DWORD session = 0;
    // The id may have passed to another program since the list was made: the handle's image decides.
    if (!process || !RunsImage(process.get(), wanted, queryImage) || !sessionOf(entry.th32ProcessID, &session)) {
      continue;
    }
    found.sessionIds.push_back(session);
    processes->Add(std::move(process));
  }
  if (!processes->Empty()) found.processes = std::move(processes);
  return platform::Succeeded(std::move(found));
}

WinError Win32System::StartOwnProgramInSession(std::uint32_t sessionId, const std::string& arguments) {
  auto createProcess = ExportOf<CreateProcessAsUserWFn>("advapi32.dll", "CreateProcessAsUserW");
  if (createProcess == nullptr) return ERROR_PROC_NOT_FOUND;
  const auto program = OwnModulePath();
  if (!program.ok()) return program.error;
  unique_handle ownToken;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE, ownToken.put())) return GetLastError();
  constexpr DWORD kPrimaryTokenAccess =
      TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_DUPLICATE | TOKEN_ADJUST_DEFAULT | TOKEN_ADJUST_SESSIONID;
  unique_handle token;
  if (!DuplicateTokenEx(ownToken.get(), kPrimaryTokenAccess, /*lpTokenAttributes=*/nullptr, SecurityImpersonation,
                        TokenPrimary, token.put())) {
    return GetLastError();
  }
  // The user's own token cannot start this program, whose manifest asks for administrator rights (740);
  // this process's token, moved to the user's session, can.
  DWORD session = sessionId;
  if (!SetTokenInformation(token.get(), TokenSessionId, &session, sizeof session)) return GetLastError();
  // The program's own path names the program; the command line's first word only stands in for it.
  std::wstring commandLine = WideFromAnsi("VeloraUpdate.exe " + arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  wchar_t desktop[] = L"winsta0\\default";  // the user's interactive desktop, where the product's window is
  startup.lpDesktop = desktop;
  PROCESS_INFORMATION started{};
  if (!createProcess(token.get(), program.value.c_str(), commandLine.data(), /*lpProcessAttributes=*/nullptr,
                     /*lpThreadAttributes=*/nullptr, /*bInheritHandles=*/FALSE, /*dwCreationFlags=*/0,
                     /*lpEnvironment=*/nullptr, /*lpCurrentDirectory=*/nullptr, &startup, &started)) {
    return GetLastError();
  }
  unique_handle processHandle(started.hProcess);
  unique_handle threadHandle(started.hThread);
  return ERROR_SUCCESS;
}

}  // namespace velora::win32
