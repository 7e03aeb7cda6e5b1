// Writes a resource of the program's own module to a path, safely: the bytes go to the "~" name beside
// the destination, are flushed, and replace the destination in one step. With a version check, a newer
// installed copy is replaced only after the user agrees.
#pragma once

#include <memory>
#include <string>

#include "install/install_boxes.h"
#include "platform/platform.h"
#include "platform/win_result.h"

namespace velora {

enum class InstallOutcome { Written, Declined, Failed };

struct [[nodiscard]] InstallResult {
  InstallOutcome outcome = InstallOutcome::Failed;
  platform::WinError error = 0;  ///< Windows' error of the step that failed, when outcome is Failed
};

/// The embedded file on its way to its destination in two steps, so that whatever uses the destination
/// need let go of it only for the second: Stage writes and flushes the whole copy beside the destination,
/// Replace puts it in its place. A staged copy that has not replaced the destination, and the replaced
/// file's second name kept during the replacement, are removed through their handles when this ends. Failures are
/// reported in the boxes' "cannot install" box and returned as Failed; the installed file is then as it was.
class EmbeddedFileInstall {
 public:
  EmbeddedFileInstall(platform::Platform& platform, const InstallBoxes& boxes, std::string resourceName,
                      std::string fileKind, std::string destinationPath, bool checkVersions);
  EmbeddedFileInstall(const EmbeddedFileInstall&) = delete;
  EmbeddedFileInstall& operator=(const EmbeddedFileInstall&) = delete;
  ~EmbeddedFileInstall();

  /// Written once the copy is staged, Failed when it cannot be written.
  InstallResult Stage();
  /// After a successful Stage: asks before an older file replaces a newer one, where versions are
  /// checked, and replaces the destination with the staged copy.
  InstallResult Replace();

 private:
  struct Staged;
  InstallResult Failure(platform::WinError error) const;
  void KeepInstalledFile();
  void RemoveKeptInstalledFile();

  platform::Platform& platform_;
  const InstallBoxes& boxes_;
  const std::string resourceName_;
  const std::string fileKind_;
  const std::string destinationPath_;
  const bool checkVersions_;
  std::unique_ptr<Staged> staged_;
  std::string keptInstalledFile_;  ///< the installed file's second name while it is replaced; empty: none
};

/// Stage and Replace at once.
InstallResult InstallEmbeddedFile(platform::Platform& platform, const InstallBoxes& boxes,
                                  const std::string& resourceName, const std::string& fileKind,
                                  const std::string& destinationPath, bool checkVersions);

}  // namespace velora
