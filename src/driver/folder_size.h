// How much disk space the product takes: the sizes of all files under its folder, for the uninstall
// entry's "EstimatedSize".
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_api.h"

namespace velora {

/// Total size in KiB of all files under folder, or -1 when folder is empty or no folder.
std::int32_t FolderSizeKb(platform::FileApi& files, const std::string& folder);

}  // namespace velora
