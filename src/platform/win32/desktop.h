// The desktop seam over user32: other programs' windows and the processes that own them.
#pragma once

#include "platform/desktop_api.h"

namespace velora::win32 {

class Win32Desktop final : public platform::DesktopApi {
 public:
  std::optional<platform::WindowId> TryFindWindowByClass(const std::string& className) override;
  platform::WinError PostToWindow(platform::WindowId window, std::uint32_t message) override;
  std::optional<std::uint32_t> TryWindowProcessId(platform::WindowId window) override;
  std::optional<std::uint32_t> TryShellProcessId() override;
};

}  // namespace velora::win32
