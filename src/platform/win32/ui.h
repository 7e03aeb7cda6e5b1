// The user-interface seam over user32.
#pragma once

#include "platform/ui_api.h"

namespace velora::win32 {

class Win32Ui final : public platform::UiApi {
 public:
  platform::WinResult<int> ShowMessageBox(const platform::MessageBoxRequest& request) override;
  std::optional<platform::WindowId> TryFindWindowByClass(const std::string& className) override;
  platform::WinError PostToWindow(platform::WindowId window, std::uint32_t message) override;
  int GetSystemMetrics(int index) override;
  platform::WinResult<std::string> ConvertOemToAnsi(const std::string& oemText) override;
  std::optional<std::uint32_t> TryShellProcessId() override;
  std::optional<std::uint32_t> TryWindowProcessId(platform::WindowId window) override;
};

}  // namespace velora::win32
