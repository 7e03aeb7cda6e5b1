// The user-interface part of the seam: every message box goes through one typed call, plus the few
// window functions the updater needs to reach the running product.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_result.h"

namespace velora::platform {

enum class MessageBoxFunction { MessageBoxA, MessageBoxExA };

/// One message box, with no owner window. languageId is passed only to MessageBoxExA.
struct MessageBoxRequest {
  MessageBoxFunction function = MessageBoxFunction::MessageBoxA;
  std::string text;
  std::string caption;
  std::uint32_t style = 0;
  std::uint16_t languageId = 0;

  bool operator==(const MessageBoxRequest&) const = default;
};

using WindowId = std::uintptr_t;  ///< an HWND as a number; 0 is no window

class UiApi {
 public:
  virtual ~UiApi() = default;
  /// MessageBoxA or MessageBoxExA; returns the button pressed (IDYES, IDNO, IDOK...) or 0 on failure.
  virtual int ShowMessageBox(const MessageBoxRequest& request) = 0;
  /// FindWindowA(className, no title); 0 when there is none.
  virtual WindowId FindWindowByClass(const std::string& className) = 0;
  /// PostMessageA(window, message, 0, 0).
  virtual WinError PostToWindow(WindowId window, std::uint32_t message) = 0;
  /// GetSystemMetrics.
  virtual int GetSystemMetrics(int index) = 0;
  /// OemToCharA over the whole text; the result has the same length.
  virtual std::string ConvertOemToAnsi(const std::string& oemText) = 0;
};

}  // namespace velora::platform
