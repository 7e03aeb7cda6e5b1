#include <deque>

#include "driver/update_sequence.h"
#include "environment/product_key.h"
#include "environment/session.h"

namespace velora {

std::int32_t FolderSizeKb(Session& session, const std::string& folder) {
  platform::FileApi& files = session.platform.files;
  if (folder.empty()) return -1;
  const std::uint32_t attributes = files.Attributes(folder);
  if (attributes == win::kInvalidFileAttributes || (attributes & win::kFileAttributeDirectory) == 0) return -1;

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
      } else if (entry.name != "." && entry.name != ".." &&
                 (entry.attributes & win::kFileAttributeReparsePoint) == 0) {
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
