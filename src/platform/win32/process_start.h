// What the calls that start a program with a token share: the primary token they take, and the program,
// command line, folder and window in the UTF-16 form CreateProcessWithTokenW and CreateProcessAsUserW want.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/unique_handle.h"
#include "platform/win_result.h"

namespace velora::win32 {

/// DuplicateTokenEx of a token opened with TOKEN_DUPLICATE into a primary token with the rights the
/// token starts need, the session id's change included.
[[nodiscard]] platform::WinResult<unique_handle> DuplicatePrimaryToken(HANDLE token);

/// One start: the strings (the command line the call may write into), a STARTUPINFOW that shows the
/// window as asked, and the new process's handles, which nobody here keeps, closed with this object.
struct WideProcessStart {
  WideProcessStart(std::wstring program, std::wstring line, std::wstring folder, int show);

  /// The folder to start in; null (the current one) when none was given.
  LPCWSTR Directory() const { return directory.empty() ? nullptr : directory.c_str(); }
  /// The error of the call that created the process; after a success, returns once the program is ready
  /// for input (at most kReadyWaitMs), so that this program's own exit does not slow the product's start.
  platform::WinError StartedAndReady(BOOL created) const;
  static constexpr DWORD kReadyWaitMs = 5000;

  std::wstring application;
  std::wstring commandLine;
  std::wstring directory;
  STARTUPINFOW startup{};
  StartedProcess process;
};

}  // namespace velora::win32
