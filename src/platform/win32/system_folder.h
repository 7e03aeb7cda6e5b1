// The Windows folders as the folder queries give them, and DLLs loaded from the system folder by its full
// path, never through the search order.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/unique_handle.h"
#include "platform/win_result.h"

namespace velora::win32 {

/// A folder query (GetSystemDirectoryA and the like): asks for the length, then reads.
template <class Query>
platform::WinResult<std::string> ReadFolder(Query query) {
  const UINT needed = query(nullptr, 0);
  if (needed == 0) return platform::Failed<std::string>(GetLastError());
  std::string text(needed, '\0');
  const UINT length = query(text.data(), needed);
  if (length == 0) return platform::Failed<std::string>(GetLastError());
  // A folder that grew between the two calls no longer fits.
  if (length >= needed) return platform::Failed<std::string>(ERROR_INSUFFICIENT_BUFFER);
  text.resize(length);
  return platform::Succeeded(std::move(text));
}

/// GetSystemDirectoryA.
inline platform::WinResult<std::string> SystemFolder() {
  return ReadFolder([](LPSTR buffer, UINT size) { return ::GetSystemDirectoryA(buffer, size); });
}

/// Loads a DLL by its full path in the system folder, never through the search order.
[[nodiscard]] platform::WinResult<unique_hmodule> LoadSystemLibrary(const char* name);

}  // namespace velora::win32
