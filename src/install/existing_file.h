// Whether a path names an existing file (not a folder), as the installing code asks before it reads
// or replaces one.
#pragma once

#include <string>

#include "platform/file_api.h"
#include "platform/win_constants.h"

namespace velora {

/// True when GetFileAttributesA finds something at path that is not a folder.
inline bool IsExistingFile(platform::FileApi& files, const std::string& path) {
  const auto attributes = files.Attributes(path);
  return attributes.ok() && (attributes.value & win::kFileAttributeDirectory) == 0;
}

}  // namespace velora
