// The rule every folder path follows: it ends in "\" unless it is empty, so that a file name can be
// appended to it directly.
#pragma once

#include <string>

namespace velora {

/// Appends "\" to a path that is not empty and does not end in one.
inline void AddBackslash(std::string& path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
}

}  // namespace velora
