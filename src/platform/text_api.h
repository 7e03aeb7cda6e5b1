// The system seam's part for text: the user's locale, the code pages, and the system's error texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/win_result.h"

namespace velora::platform {

class TextApi {
 public:
  virtual ~TextApi() = default;

  virtual std::uint32_t GetUserDefaultLCID() = 0;
  /// An ANSI-code-page text as UTF-8 (MultiByteToWideChar, then WideCharToMultiByte).
  virtual WinResult<std::string> AnsiToUtf8(const std::string& ansiText) = 0;
  /// OemToCharA over the whole text; the result has the same length.
  virtual WinResult<std::string> ConvertOemToAnsi(const std::string& oemText) = 0;
  /// FormatMessageA's system text for an error code, without its line break; nullopt when there is none.
  [[nodiscard]] virtual std::optional<std::string> TryErrorMessage(WinError error) = 0;
};

}  // namespace velora::platform
