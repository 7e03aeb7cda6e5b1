// The desktop part of the seam: the windows of other programs, reached to tell the running product to
// quit and to find the process of the signed-in user's shell.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/win_result.h"

namespace velora::platform {

using WindowId = std::uintptr_t;  ///< an HWND as a number; 0 is no window

class DesktopApi {
 public:
  virtual ~DesktopApi() = default;
  /// FindWindowA(className, no title); nullopt when there is none.
  [[nodiscard]] virtual std::optional<WindowId> TryFindWindowByClass(const std::string& className) = 0;
  /// PostMessageA(window, message, 0, 0).
  [[nodiscard]] virtual WinError PostToWindow(WindowId window, std::uint32_t message) = 0;
  /// GetWindowThreadProcessId: the process that owns the window; nullopt when there is no such window.
  [[nodiscard]] virtual std::optional<std::uint32_t> TryWindowProcessId(WindowId window) = 0;
  /// GetShellWindow and GetWindowThreadProcessId: the process of the signed-in user's desktop shell;
  /// nullopt when there is no shell window (a service session, or no shell running).
  [[nodiscard]] virtual std::optional<std::uint32_t> TryShellProcessId() = 0;
};

}  // namespace velora::platform
