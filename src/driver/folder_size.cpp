#include "driver/folder_size.h"

#include <deque>

#include "base/path_rule.h"
#include "driver/run_log.h"
#include "driver/session.h"
#include "environment/install_environment.h"
#include "environment/message_box.h"
#include "platform/win_constants.h"

namespace velora {
namespace {

constexpr const char* kEstimatedSizeValue = "EstimatedSize";

}  // namespace

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

bool RecordFolderSize(Session& session, RunLog& log) {
  const InstallEnvironment& environment = session.Environment;
  const std::string entry = environment.UninstallKeyPathWow.empty()
                                ? environment.UninstallKeyPath + session.Names.AppName
                                : environment.UninstallKeyPathWow;
  const auto key =
      session.platform.registry.OpenKey(platform::RootKey::LocalMachine, entry, session.Startup.RegistryView);
  if (!key.ok()) {
    if (key.error == win::kErrorFileNotFound) {
      log.Write("no uninstall entry HKLM\\" + entry + ": the size is not recorded");
      return true;
    }
    log.WriteFailure("the uninstall entry HKLM\\" + entry + " cannot be opened", key.error);
    ShowRegistryError(session.platform.ui, session.Startup, session.Names);
    return false;
  }
  const std::int32_t sizeKb = FolderSizeKb(session.platform.files, environment.ProductFolder);
  if (sizeKb == -1) {
    log.Write("the product folder cannot be measured: the size is not recorded");
    return true;
  }
  if (const auto error = key.value->SetDwordValue(kEstimatedSizeValue, static_cast<std::uint32_t>(sizeKb));
      error != win::kErrorSuccess) {
    log.WriteFailure(std::string(kEstimatedSizeValue) + " cannot be written to HKLM\\" + entry, error);
    ShowRegistryError(session.platform.ui, session.Startup, session.Names);
    return false;
  }
  log.Write(std::string(kEstimatedSizeValue) + " " + std::to_string(sizeKb) + " KiB recorded in HKLM\\" + entry);
  return true;
}

}  // namespace velora
