// The thread's last error, read right after a failed call: as a BOOL call's outcome, and for the few calls
// that may fail without setting one, with a stand-in, since a failure must never read as ERROR_SUCCESS.
#pragma once

#include <windows.h>

namespace velora::win32 {

/// ERROR_SUCCESS for a call that succeeded, else GetLastError.
inline DWORD ErrorOf(BOOL succeeded) { return succeeded ? ERROR_SUCCESS : GetLastError(); }

/// GetLastError, or fallback when the failed call left no error.
inline DWORD LastErrorOr(DWORD fallback) {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : fallback;
}

}  // namespace velora::win32
