#include "platform/win32/ui.h"

#include <windows.h>

#include "platform/win32/last_error.h"

namespace velora::win32 {

platform::WinResult<int> Win32Ui::ShowMessageBox(const platform::MessageBoxRequest& request) {
  const int button = request.function == platform::MessageBoxFunction::MessageBoxExA
                         ? MessageBoxExA(/*hWnd=*/nullptr, request.text.c_str(), request.caption.c_str(), request.style,
                                         request.languageId)
                         : MessageBoxA(/*hWnd=*/nullptr, request.text.c_str(), request.caption.c_str(), request.style);
  if (button == 0) return platform::Failed<int>(LastErrorOr(ERROR_INVALID_PARAMETER));
  return platform::Succeeded(button);
}

std::optional<platform::WindowId> Win32Ui::TryFindWindowByClass(const std::string& className) {
  HWND window = FindWindowA(className.c_str(), /*lpWindowName=*/nullptr);
  if (window == nullptr) return std::nullopt;
  return reinterpret_cast<platform::WindowId>(window);
}

platform::WinError Win32Ui::PostToWindow(platform::WindowId window, std::uint32_t message) {
  if (PostMessageA(reinterpret_cast<HWND>(window), message, /*wParam=*/0, /*lParam=*/0)) return ERROR_SUCCESS;
  return GetLastError();
}

int Win32Ui::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

platform::WinResult<std::string> Win32Ui::ConvertOemToAnsi(const std::string& oemText) {
  std::string ansi(oemText.size(), '\0');
  // OemToCharBuffA, the length-bounded form of OemToCharA, so that zero bytes in the text cannot end it.
  if (!oemText.empty() && !OemToCharBuffA(oemText.data(), ansi.data(), static_cast<DWORD>(oemText.size()))) {
    return platform::Failed<std::string>(GetLastError());
  }
  return platform::Succeeded(std::move(ansi));
}

std::optional<std::uint32_t> Win32Ui::TryShellProcessId() {
  HWND shell = GetShellWindow();
  if (shell == nullptr) return std::nullopt;
  return TryWindowProcessId(reinterpret_cast<platform::WindowId>(shell));
}

std::optional<std::uint32_t> Win32Ui::TryWindowProcessId(platform::WindowId window) {
  DWORD processId = 0;
  if (GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &processId) == 0 || processId == 0) return std::nullopt;
  return processId;
}

}  // namespace velora::win32
