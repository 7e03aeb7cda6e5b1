// The user-interface part of the seam: every message box goes through one typed call.
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

class UiApi {
 public:
  virtual ~UiApi() = default;
  /// MessageBoxA or MessageBoxExA; the button pressed (IDYES, IDNO, IDOK...).
  virtual WinResult<int> ShowMessageBox(const MessageBoxRequest& request) = 0;
};

}  // namespace velora::platform
