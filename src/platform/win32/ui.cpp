#include "platform/win32/ui.h"

#include <windows.h>

namespace velora::win32 {

int Win32Ui::ShowMessageBox(const platform::MessageBoxRequest& request) {
  if (request.function == platform::MessageBoxFunction::MessageBoxExA) {
    return MessageBoxExA(/*hWnd=*/nullptr, request.text.c_str(), request.caption.c_str(), request.style,
                         request.languageId);
  }
  return MessageBoxA(/*hWnd=*/nullptr, request.text.c_str(), request.caption.c_str(), request.style);
}

platform::WindowId Win32Ui::FindWindowByClass(const std::string& className) {
  return reinterpret_cast<platform::WindowId>(FindWindowA(className.c_str(), /*lpWindowName=*/nullptr));
}

platform::WinError Win32Ui::PostToWindow(platform::WindowId window, std::uint32_t message) {
  if (PostMessageA(reinterpret_cast<HWND>(window), message, /*wParam=*/0, /*lParam=*/0)) return ERROR_SUCCESS;
  return GetLastError();
}

int Win32Ui::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

std::string Win32Ui::ConvertOemToAnsi(const std::string& oemText) {
  std::string ansi(oemText.size(), '\0');
  if (!oemText.empty()) {
    // OemToCharBuffA, the length-bounded form of OemToCharA, so that zero bytes in the text cannot end it.
    OemToCharBuffA(oemText.data(), ansi.data(), static_cast<DWORD>(oemText.size()));
  }
  return ansi;
}

}  // namespace velora::win32
