// The file part of the seam: CreateFileA with share modes, reads, writes, seeks, flushes, directory
// listings, deletes and moves, and what an open file really is. An open file closes itself when its
// owner lets it go.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_result.h"

namespace velora::platform {

/// What GetFileInformationByHandle tells about an open file.
struct FileInformation {
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  std::uint32_t links = 0;  ///< hard links to the file
};

class OpenFile {
 public:
  virtual ~OpenFile() = default;  ///< CloseHandle
  /// ReadFile of up to count bytes; fewer (or none) at the end of the file.
  virtual WinResult<std::string> Read(std::size_t count) = 0;
  /// WriteFile of all the bytes; an error when fewer were written.
  [[nodiscard]] virtual WinError Write(std::string_view bytes) = 0;
  /// SetFilePointerEx from the start of the file.
  [[nodiscard]] virtual WinError Seek(std::uint64_t offset) = 0;
  /// FlushFileBuffers.
  [[nodiscard]] virtual WinError Flush() = 0;
  /// GetFileInformationByHandle.
  virtual WinResult<FileInformation> Information() = 0;
  /// GetFinalPathNameByHandleW (normalized, with its drive letter), without the "\\?\" prefix and in the
  /// ANSI code page: where the file really is, links followed. kErrorProcNotFound before Windows Vista,
  /// which lacks the function.
  virtual WinResult<std::string> FinalPath() = 0;
  /// SetFileInformationByHandle(FileDispositionInfo, delete): the file this handle has open (the link
  /// itself, for a link opened with FILE_FLAG_OPEN_REPARSE_POINT) goes when the last handle closes.
  /// Needs DELETE access; kErrorProcNotFound before Windows Vista, which lacks the function.
  [[nodiscard]] virtual WinError MarkForDeletion() = 0;
  /// SetFileInformationByHandle(FileRenameInfo, ReplaceIfExists = replaceIfExists, RootDirectory = the
  /// handle of rootFolder or null, FileName = name): this file takes name, relative to rootFolder, or a
  /// full path without one. Needs DELETE access; kErrorProcNotFound before Windows Vista.
  [[nodiscard]] virtual WinError RenameTo(OpenFile* rootFolder, const std::string& name, bool replaceIfExists) = 0;
};

using OpenFilePtr = std::unique_ptr<OpenFile>;

/// One entry of a directory listing (FindFirstFileA / FindNextFileA).
struct DirectoryEntry {
  std::string name;
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
};

class FileApi {
 public:
  virtual ~FileApi() = default;
  /// CreateFileA(path, access, share, no security attributes, disposition, FILE_ATTRIBUTE_NORMAL).
  virtual WinResult<OpenFilePtr> Open(const std::string& path, std::uint32_t access, std::uint32_t share,
                                      std::uint32_t disposition) = 0;
  /// GetFileAttributesA; its error (kErrorFileNotFound, kErrorPathNotFound...) when nothing is there.
  virtual WinResult<std::uint32_t> Attributes(const std::string& path) = 0;
  /// DeleteFileA.
  [[nodiscard]] virtual WinError Delete(const std::string& path) = 0;
  /// MoveFileExA.
  [[nodiscard]] virtual WinError Move(const std::string& from, const std::string& to, std::uint32_t flags) = 0;
  /// CreateHardLinkA(link, existing, no security attributes): a second name for the same file; it fails
  /// where link names anything already, or the file system has no hard links.
  [[nodiscard]] virtual WinError AddHardLink(const std::string& link, const std::string& existing) = 0;
  /// Every entry matching a wildcard pattern, in the order Windows lists them; an empty list (and
  /// kErrorFileNotFound or kErrorPathNotFound) when nothing matches.
  virtual WinResult<std::vector<DirectoryEntry>> FindFiles(const std::string& pattern) = 0;
  /// SetCurrentDirectoryA.
  [[nodiscard]] virtual WinError SetCurrentFolder(const std::string& path) = 0;
  /// CreateFileA as Open, with the flags and attributes given: FILE_FLAG_OPEN_REPARSE_POINT opens a
  /// link itself instead of what it points to.
  virtual WinResult<OpenFilePtr> OpenWithFlags(const std::string& path, std::uint32_t access, std::uint32_t share,
                                               std::uint32_t disposition, std::uint32_t flagsAndAttributes) = 0;
  /// GetFullPathNameA, then GetLongPathNameA: the path as the file system spells it, links not followed.
  virtual WinResult<std::string> LongFullPath(const std::string& path) = 0;
  /// The program's own file, for reading with read sharing: GetModuleFileNameW and CreateFileW, so that a
  /// folder whose name lies outside the ANSI code page does not matter.
  virtual WinResult<OpenFilePtr> OpenOwnModule() = 0;
};

}  // namespace velora::platform
