// How much disk space the product takes: the sizes of all files under its folder, and the record of it
// as "EstimatedSize" in the product's uninstall entry.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_api.h"

namespace velora {

class Session;
class RunLog;

/// Total size in KiB of all files under folder, or -1 when folder is empty or no folder.
std::int32_t FolderSizeKb(platform::FileApi& files, const std::string& folder);

/// Writes the product folder's size as "EstimatedSize" (REG_DWORD, KiB) into the uninstall entry where
/// discovery found the product, writing what happens to log. No entry (the product was found through
/// Program Files or "TheLastRunFolder") or no folder to measure records nothing and creates no key.
/// False after the "No access to system registry" box when the entry cannot be opened or written.
[[nodiscard]] bool RecordFolderSize(Session& session, RunLog& log);

}  // namespace velora
