#include "driver/folder_size.h"

#include <deque>

#include "base/path_rule.h"
#include "platform/win_constants.h"

namespace velora {

std::int32_t FolderSizeKb(platform::FileApi& files, const std::string& folder) {
  if (folder.empty()) return -1;
  const auto attributes = files.Attributes(folder);
  if (!attributes.ok() || (attributes.value & win::kFileAttributeDirectory) == 0) return -1;

  // Breadth-first, each folder once. Sizes are added in 64 bits, so folders over 4 GiB do not wrap.
  std::uint64_t totalBytes = 0;
  std::deque<std::string> toVisit{folder};
  while (!toVisit.empty()) {
    std::string current = std::move(toVisit.front());
    toVisit.pop_front();
    AddBackslash(current);
    for (const auto& entry : files.FindFiles(current + "*.*").value) {
      if ((entry.attributes & win::kFileAttributeDirectory) == 0) {
        totalBytes += entry.size;
      } else if (entry.name != "." && entry.name != ".." && (entry.attributes & win::kFileAttributeReparsePoint) == 0) {
        // Junctions and symbolic links are not entered: they may lead back into this tree or count
        // another folder's files as the product's.
        toVisit.push_back(current + entry.name);
      }
    }
  }
  const std::uint64_t kilobytes = totalBytes >> 10;
  return kilobytes > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<std::int32_t>(kilobytes);
}

}  // namespace velora
