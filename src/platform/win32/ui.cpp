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

}  // namespace velora::win32
