// The user-interface part of the seam: every message box goes through one typed call, plus the few
// window functions the updater needs to reach the running product.
#pragma once

#include <cstdint>
#include <optional>
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
  /// MessageBoxA or MessageBoxExA; the button pressed (IDYES, IDNO, IDOK...).
  virtual WinResult<int> ShowMessageBox(const MessageBoxRequest& request) = 0;
  /// FindWindowA(className, no title); nullopt when there is none.
  [[nodiscard]] virtual std::optional<WindowId> TryFindWindowByClass(const std::string& className) = 0;
  /// PostMessageA(window, message, 0, 0).
  [[nodiscard]] virtual WinError PostToWindow(WindowId window, std::uint32_t message) = 0;
  /// GetSystemMetrics.
  virtual int GetSystemMetrics(int index) = 0;
  /// OemToCharA over the whole text; the result has the same length.
  virtual WinResult<std::string> ConvertOemToAnsi(const std::string& oemText) = 0;
  /// GetShellWindow and GetWindowThreadProcessId: the process of the signed-in user's desktop shell;
  /// nullopt when there is no shell window (a service session, or no shell running).
  [[nodiscard]] virtual std::optional<std::uint32_t> TryShellProcessId() = 0;

  /// GetWindowThreadProcessId: the process that owns the window; nullopt when there is no such window.
  [[nodiscard]] virtual std::optional<std::uint32_t> TryWindowProcessId(WindowId window) = 0;
};

}  // namespace velora::platform
