// The rule every folder path follows: it ends in "\" unless it is empty, so that a file name can be
// appended to it directly.
#pragma once

#include <string>

namespace velora {

/// Appends "\" to a path that is not empty and does not end in one.
inline void AddBackslash(std::string& path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
}

/// The folder part of a file path, up to and including its last "\"; empty when it has none.
inline std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace velora
