#include "platform/win32/system.h"

#include "platform/win32/wide_text.h"

namespace velora::win32 {

using platform::WinResult;

std::uint32_t Win32Text::GetUserDefaultLCID() { return ::GetUserDefaultLCID(); }

WinResult<std::string> Win32Text::AnsiToUtf8(const std::string& ansiText) {
  if (ansiText.empty()) return platform::Succeeded(std::string());
  const std::wstring wide = WideFromAnsi(ansiText);
  if (wide.empty()) return platform::Failed<std::string>(GetLastError());
  const int length = WideCharToMultiByte(CP_UTF8, /*dwFlags=*/0, wide.data(), static_cast<int>(wide.size()),
                                         /*lpMultiByteStr=*/nullptr, 0, /*lpDefaultChar=*/nullptr,
                                         /*lpUsedDefaultChar=*/nullptr);
  if (length == 0) return platform::Failed<std::string>(GetLastError());
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, /*dwFlags=*/0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length,
                      /*lpDefaultChar=*/nullptr, /*lpUsedDefaultChar=*/nullptr);
  return platform::Succeeded(std::move(utf8));
}

WinResult<std::string> Win32Text::ConvertOemToAnsi(const std::string& oemText) {
  std::string ansi(oemText.size(), '\0');
  // OemToCharBuffA, the length-bounded form of OemToCharA, so that zero bytes in the text cannot end it.
  if (!oemText.empty() && !OemToCharBuffA(oemText.data(), ansi.data(), static_cast<DWORD>(oemText.size()))) {
    return platform::Failed<std::string>(GetLastError());
  }
  return platform::Succeeded(std::move(ansi));
}

std::optional<std::string> Win32Text::TryErrorMessage(platform::WinError error) {
  char* buffer = nullptr;
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     /*lpSource=*/nullptr, error, /*dwLanguageId=*/0, reinterpret_cast<LPSTR>(&buffer), /*nSize=*/0,
                     /*Arguments=*/nullptr);
  if (length == 0 || buffer == nullptr) return std::nullopt;
  std::string text(buffer, length);
  LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  if (text.empty()) return std::nullopt;
  return text;
}

}  // namespace velora::win32
