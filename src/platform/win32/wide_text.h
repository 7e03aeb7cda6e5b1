// Conversions between the program's ANSI texts and UTF-16, for the calls that exist only in their "W"
// form or that must see names outside the ANSI code page.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win_result.h"

namespace velora::win32 {

/// text, in the ANSI code page, as UTF-16; empty for an empty text.
inline std::wstring WideFromAnsi(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, /*dwFlags=*/0, text.data(), static_cast<int>(text.size()),
                                         /*lpWideCharStr=*/nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, /*dwFlags=*/0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

/// wide in the ANSI code page; ERROR_NO_UNICODE_TRANSLATION when a character has no exact ANSI form
/// (a best-fit look-alike could name another file).
inline platform::WinResult<std::string> AnsiFromWide(const std::wstring& wide) {
  if (wide.empty()) return platform::Succeeded(std::string());
  BOOL lossy = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                         /*lpMultiByteStr=*/nullptr, 0, /*lpDefaultChar=*/nullptr, &lossy);
  if (length == 0) return platform::Failed<std::string>(GetLastError());
  if (lossy) return platform::Failed<std::string>(ERROR_NO_UNICODE_TRANSLATION);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                      /*lpDefaultChar=*/nullptr, /*lpUsedDefaultChar=*/nullptr);
  return platform::Succeeded(std::move(text));
}

}  // namespace velora::win32
