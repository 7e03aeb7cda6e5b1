// Whether an opened file is the plain file its path names. An elevated program that writes where
// unelevated users can (the product folder, the temporary folder) checks the handle it got, not the
// name it asked for: a link at the name, or in a folder on the way, would send its bytes elsewhere.
#pragma once

#include <string>

#include "base/ascii_case.h"
#include "platform/file_api.h"
#include "platform/win_constants.h"

namespace velora::platform {

/// kErrorSuccess when file's final path is path as the file system spells it, so no link on the way led
/// elsewhere; kErrorStoppedOnSymlink when it did, or the error of the query that failed. Windows before
/// Vista cannot tell a handle's final path and has no symbolic links to files: success there.
[[nodiscard]] inline WinError CheckOpenedAtItsName(FileApi& files, OpenFile& file, const std::string& path) {
  const auto finalPath = file.FinalPath();
  if (finalPath.error == win::kErrorProcNotFound) return win::kErrorSuccess;
  if (!finalPath.ok()) return finalPath.error;
  const auto asked = files.LongFullPath(path);
  if (!asked.ok()) return asked.error;
  return LowerAscii(finalPath.value) == LowerAscii(asked.value) ? win::kErrorSuccess : win::kErrorStoppedOnSymlink;
}

/// kErrorSuccess when file is the plain file path names: no reparse point, exactly one name, and opened
/// at its name (CheckOpenedAtItsName); kErrorStoppedOnSymlink when it is not, or the error of the query
/// that failed.
[[nodiscard]] inline WinError CheckOpenedAsNamed(FileApi& files, OpenFile& file, const std::string& path) {
  const auto information = file.Information();
  if (!information.ok()) return information.error;
  if ((information.value.attributes & win::kFileAttributeReparsePoint) != 0 || information.value.links != 1) {
    return win::kErrorStoppedOnSymlink;
  }
  return CheckOpenedAtItsName(files, file, path);
}

}  // namespace velora::platform
