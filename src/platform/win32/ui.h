// The user-interface seam over user32.
#pragma once

#include "platform/ui_api.h"

namespace velora::win32 {

class Win32Ui final : public platform::UiApi {
 public:
  int ShowMessageBox(const platform::MessageBoxRequest& request) override;
  platform::WindowId FindWindowByClass(const std::string& className) override;
  platform::WinError PostToWindow(platform::WindowId window, std::uint32_t message) override;
  int GetSystemMetrics(int index) override;
  std::string ConvertOemToAnsi(const std::string& oemText) override;
};

}  // namespace velora::win32
