// Result types of the seam. A seam call returns Windows' own error code, captured right after the call
// (never a later GetLastError), together with its value when it has one. Both are [[nodiscard]]: a
// caller that does not act on a failure says so at the call, with the reason.
#pragma once

#include <cstdint>
#include <utility>

namespace velora::platform {

using WinError = std::uint32_t;  ///< a Windows system error code; 0 is ERROR_SUCCESS

template <class T>
struct [[nodiscard]] WinResult {
  WinError error = 0;
  T value{};

  bool ok() const { return error == 0; }
};

template <class T>
WinResult<T> Succeeded(T value) {
  return WinResult<T>{0, std::move(value)};
}

template <class T>
WinResult<T> Failed(WinError error) {
  return WinResult<T>{error, T{}};
}

}  // namespace velora::platform
