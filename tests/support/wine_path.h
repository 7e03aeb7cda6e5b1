// Build paths are Unix paths; a program under Wine reaches them through drive Z:.
#pragma once

#include <string>

namespace velora::wine_tests {

/// "/work/build/x.exe" as Wine sees it: "Z:\work\build\x.exe".
inline std::string WinePath(std::string unixPath) {
  for (char& c : unixPath) {
    if (c == '/') c = '\\';
  }
  return "Z:" + unixPath;
}

}  // namespace velora::wine_tests
