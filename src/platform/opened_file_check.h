// Whether an opened file is the plain file its path names. An elevated program that writes where
// unelevated users can (the product folder, the temporary folder) checks the handle it got, not the
// name it asked for: a link at the name, or in a folder on the way, would send its bytes elsewhere.
#pragma once

#include <string>

#include "base/ascii_case.h"
#include "base/path_rule.h"
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

/// The folder path names (without a trailing "\\"), opened as itself (never through a link at its name)
/// and checked as CheckOpenedAsNamed checks a file. It is held without FILE_SHARE_DELETE, so neither it
/// nor a folder above it can be renamed while it is open.
inline WinResult<OpenFilePtr> OpenCheckedFolder(FileApi& files, const std::string& path) {
  auto folder = files.OpenWithFlags(path, win::kFileReadAttributes | win::kFileTraverse,
                                    win::kFileShareRead | win::kFileShareWrite, win::kOpenExisting,
                                    win::kFileFlagBackupSemantics | win::kFileFlagOpenReparsePoint);
  if (!folder.ok()) return folder;
  if (const auto error = CheckOpenedAsNamed(files, *folder.value, path); error != win::kErrorSuccess) {
    return Failed<OpenFilePtr>(error);
  }
  return folder;
}

/// Gives file, opened with DELETE access at path, the name name in its own folder, replacing a file of
/// that name: through its handle, relative to folder (its folder, opened and checked) when given. A system
/// that refuses a root folder (kErrorInvalidParameter) is given the full path that folder's handle, else
/// file's own handle, reports. Before Windows Vista, which cannot rename through a handle, file is closed
/// and MoveFileExA(path, its folder + name, moveFlags) renames it by name.
[[nodiscard]] inline WinError RenameThroughHandle(FileApi& files, OpenFilePtr& file, const std::string& path,
                                                  OpenFile* folder, const std::string& name, std::uint32_t moveFlags) {
  WinError error = win::kErrorInvalidParameter;  // without a folder handle, the full path at once
  if (folder != nullptr) error = file->RenameTo(folder, name, /*replaceIfExists=*/true);
  if (error == win::kErrorInvalidParameter) {
    const auto where = folder != nullptr ? folder->FinalPath() : file->FinalPath();
    error = where.error;
    if (where.ok()) {
      std::string base = folder != nullptr ? where.value : FolderOf(where.value);
      AddBackslash(base);
      error = file->RenameTo(/*rootFolder=*/nullptr, base + name, /*replaceIfExists=*/true);
    }
  }
  if (error != win::kErrorProcNotFound) return error;
  file.reset();
  return files.Move(path, FolderOf(path) + name, moveFlags);
}

}  // namespace velora::platform
