// Rights and tokens: whether the user may write for every user, how UAC split this process's token, and
// starting a program with another process's token or the limited half of this one's.
#include "platform/win32/system.h"

#include <shlobj.h>

#include "platform/win32/process_start.h"
#include "platform/win32/run_time_link.h"
#include "platform/win32/wide_text.h"

namespace velora::win32 {
namespace {

using platform::WinError;
using platform::WinResult;

class Win32ProcessToken final : public platform::ProcessToken {
 public:
  explicit Win32ProcessToken(unique_handle token) : token_(std::move(token)) {}

  WinError StartProcess(const std::string& application, const std::string& commandLine, const std::string& directory,
                        int show) override {
    using CreateProcessWithTokenWFn =
        BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);
    // Present from Windows Vista on (and Server 2003); before it the caller falls back to ShellExecuteA.
    const auto createProcessWithToken = ExportOf<CreateProcessWithTokenWFn>("advapi32.dll", "CreateProcessWithTokenW");
    if (createProcessWithToken == nullptr) return ERROR_PROC_NOT_FOUND;
    WideProcessStart start(WideFromAnsi(application), WideFromAnsi(commandLine), WideFromAnsi(directory), show);
    return start.StartedAndReady(createProcessWithToken(
        token_.get(), /*dwLogonFlags=*/0, start.application.c_str(), start.commandLine.data(), /*dwCreationFlags=*/0,
        /*lpEnvironment=*/nullptr, start.Directory(), &start.startup, start.process.put()));
  }

 private:
  unique_handle token_;
};

// GetTokenInformation of one fixed-size class on this process's own token.
template <class Information>
WinResult<Information> OwnTokenInformation(TOKEN_INFORMATION_CLASS kind) {
  unique_handle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
    return platform::Failed<Information>(GetLastError());
  Information information{};
  DWORD length = 0;
  if (!GetTokenInformation(token.get(), kind, &information, sizeof information, &length)) {
    return platform::Failed<Information>(GetLastError());
  }
  return platform::Succeeded(information);
}

}  // namespace

bool Win32Tokens::IsUserAnAdmin() { return ::IsUserAnAdmin() != FALSE; }

WinResult<platform::TokenElevationType> Win32Tokens::OwnElevationType() {
  const auto type = OwnTokenInformation<TOKEN_ELEVATION_TYPE>(TokenElevationType);
  if (!type.ok()) return platform::Failed<platform::TokenElevationType>(type.error);
  return platform::Succeeded(static_cast<platform::TokenElevationType>(type.value));
}

WinResult<platform::ProcessTokenPtr> Win32Tokens::OpenLinkedToken() {
  const auto linked = OwnTokenInformation<TOKEN_LINKED_TOKEN>(TokenLinkedToken);
  if (!linked.ok()) return platform::Failed<platform::ProcessTokenPtr>(linked.error);
  return platform::Succeeded<platform::ProcessTokenPtr>(
      std::make_unique<Win32ProcessToken>(unique_handle(linked.value.LinkedToken)));
}

WinResult<platform::ProcessTokenPtr> Win32Tokens::OpenProcessPrimaryToken(std::uint32_t processId) {
  unique_handle process(OpenProcess(PROCESS_QUERY_INFORMATION, /*bInheritHandle=*/FALSE, processId));
  if (!process) return platform::Failed<platform::ProcessTokenPtr>(GetLastError());
  unique_handle processToken;
  if (!OpenProcessToken(process.get(), TOKEN_DUPLICATE, processToken.put())) {
    return platform::Failed<platform::ProcessTokenPtr>(GetLastError());
  }
  auto primary = DuplicatePrimaryToken(processToken.get());
  if (!primary.ok()) return platform::Failed<platform::ProcessTokenPtr>(primary.error);
  return platform::Succeeded<platform::ProcessTokenPtr>(std::make_unique<Win32ProcessToken>(std::move(primary.value)));
}

}  // namespace velora::win32
