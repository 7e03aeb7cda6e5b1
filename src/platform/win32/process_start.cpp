#include "platform/win32/process_start.h"

namespace velora::win32 {

platform::WinResult<unique_handle> DuplicatePrimaryToken(HANDLE token) {
  constexpr DWORD kPrimaryTokenAccess =
      TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_DUPLICATE | TOKEN_ADJUST_DEFAULT | TOKEN_ADJUST_SESSIONID;
  unique_handle primary;
  if (!DuplicateTokenEx(token, kPrimaryTokenAccess, /*lpTokenAttributes=*/nullptr, SecurityImpersonation, TokenPrimary,
                        primary.put())) {
    return platform::Failed<unique_handle>(GetLastError());
  }
  return platform::Succeeded(std::move(primary));
}

WideProcessStart::WideProcessStart(std::wstring program, std::wstring line, std::wstring folder, int show)
    : application(std::move(program)), commandLine(std::move(line)), directory(std::move(folder)) {
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
}

platform::WinError WideProcessStart::StartedAndReady(BOOL created) const {
  if (!created) return GetLastError();
  WaitForInputIdle(process.process(), kReadyWaitMs);  // a program without a window returns at once
  return ERROR_SUCCESS;
}

}  // namespace velora::win32
