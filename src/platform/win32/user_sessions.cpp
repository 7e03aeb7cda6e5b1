// The system seam's part for a service: the users' sessions, the product's processes in any of them, and
// this program started in one of them. Everything newer than XP is looked up at run time; a service and
// the users' sessions are apart only from Vista on.
#include <tlhelp32.h>
#include <wtsapi32.h>

#include <vector>

#include "platform/win32/last_error.h"
#include "platform/win32/own_module.h"
#include "platform/win32/run_time_link.h"
#include "platform/win32/system.h"
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
  explicit Win32ProcessGroup(std::vector<unique_handle> processes) : processes_(std::move(processes)) {}

  WinError WaitForEnd(std::uint32_t timeoutMs) override {
    std::vector<HANDLE> handles;
    for (const auto& process : processes_) handles.push_back(process.get());
    switch (WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), /*bWaitAll=*/TRUE, timeoutMs)) {
      case WAIT_TIMEOUT:
        return WAIT_TIMEOUT;
      case WAIT_FAILED:
        return LastErrorOr(ERROR_INVALID_HANDLE);
      default:
        return ERROR_SUCCESS;
    }
  }

 private:
  std::vector<unique_handle> processes_;
};

bool SameIgnoringAsciiCase(const std::wstring& a, const std::wstring& b) {
  auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The image an opened process runs: what the handle shows, not what the process list said.
std::wstring ImageOf(HANDLE process, QueryFullProcessImageNameWFn query) {
  std::wstring image(32768, L'\0');
  DWORD length = static_cast<DWORD>(image.size());
  if (!query(process, /*dwFlags=*/0, image.data(), &length)) return {};
  image.resize(length);
  return image;
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
  Sessions sessions;
  for (DWORD i = 0; i < count; ++i) sessions.push_back({listed[i].SessionId, static_cast<std::uint32_t>(listed[i].State)});
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
  const std::wstring fileName = wanted.substr(wanted.find_last_of(L'\\') + 1);

  unique_hfile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, /*th32ProcessID=*/0));
  if (!snapshot) return platform::Failed<Found>(GetLastError());
  Found found;
  std::vector<unique_handle> processes;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more && processes.size() < MAXIMUM_WAIT_OBJECTS;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (!SameIgnoringAsciiCase(entry.szExeFile, fileName)) continue;
    unique_handle process(OpenProcess(SYNCHRONIZE | kQueryLimitedInformation, /*bInheritHandle=*/FALSE,
                                      entry.th32ProcessID));
    DWORD session = 0;
    // The id may have passed to another program since the list was made: the handle's image decides.
    if (!process || !SameIgnoringAsciiCase(ImageOf(process.get(), queryImage), wanted) ||
        !sessionOf(entry.th32ProcessID, &session)) {
      continue;
    }
    found.sessionIds.push_back(session);
    processes.push_back(std::move(process));
  }
  if (!processes.empty()) found.processes = std::make_unique<Win32ProcessGroup>(std::move(processes));
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
  std::wstring commandLine = L"\"" + program.value + L"\" " + WideFromAnsi(arguments);
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
