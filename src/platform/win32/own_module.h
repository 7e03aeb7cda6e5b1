// The program's own file name, in UTF-16 so that a folder outside the ANSI code page does not matter.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win_result.h"

namespace velora::win32 {

/// GetModuleFileNameW of the exe, asking with a larger buffer until the whole name fits.
inline platform::WinResult<std::wstring> OwnModulePath() {
  std::wstring path;
  for (DWORD size = MAX_PATH;; size *= 2) {
    path.assign(size, L'\0');
    const DWORD length = GetModuleFileNameW(/*hModule=*/nullptr, path.data(), size);
    if (length == 0) return platform::Failed<std::wstring>(GetLastError());
    if (length < size) {
      path.resize(length);
      return platform::Succeeded(std::move(path));
    }
    if (size >= 32768) return platform::Failed<std::wstring>(ERROR_INSUFFICIENT_BUFFER);
  }
}

}  // namespace velora::win32
