#include "platform/win32/desktop.h"

#include <windows.h>

namespace velora::win32 {

std::optional<platform::WindowId> Win32Desktop::TryFindWindowByClass(const std::string& className) {
  HWND window = FindWindowA(className.c_str(), /*lpWindowName=*/nullptr);
  if (window == nullptr) return std::nullopt;
  return reinterpret_cast<platform::WindowId>(window);
}

platform::WinError Win32Desktop::PostToWindow(platform::WindowId window, std::uint32_t message) {
  if (PostMessageA(reinterpret_cast<HWND>(window), message, /*wParam=*/0, /*lParam=*/0)) return ERROR_SUCCESS;
  return GetLastError();
}

std::optional<std::uint32_t> Win32Desktop::TryWindowProcessId(platform::WindowId window) {
  DWORD processId = 0;
  if (GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &processId) == 0 || processId == 0) return std::nullopt;
  return processId;
}

std::optional<std::uint32_t> Win32Desktop::TryShellProcessId() {
  HWND shell = GetShellWindow();
  if (shell == nullptr) return std::nullopt;
  return TryWindowProcessId(reinterpret_cast<platform::WindowId>(shell));
}

}  // namespace velora::win32
