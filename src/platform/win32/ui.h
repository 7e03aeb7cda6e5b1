// The user-interface seam over user32: the message boxes.
#pragma once

#include "platform/ui_api.h"

namespace velora::win32 {

class Win32Ui final : public platform::UiApi {
 public:
  platform::WinResult<int> ShowMessageBox(const platform::MessageBoxRequest& request) override;
};

}  // namespace velora::win32
