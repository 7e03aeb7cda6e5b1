// A scripted file system: files and folders (opened with backup semantics) in memory, share modes enforced between open
// handles as Windows enforces them, locks held by "another process", and failures injected into any operation. Paths
// ignore letter case; a relative path is taken from the current folder.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/file_api.h"
#include "support/fake_journal.h"

namespace velora::fakes {

enum class FileOp {
  Open,
  Read,
  Write,
  Flush,
  Seek,
  Delete,
  Move,
  Find,
  SetCurrentFolder,
  Information,
  FinalPath,
  FullPath,
  Rename,
  HardLink
};

class FakeFiles final : public platform::FileApi {
 public:
  struct Handle {
    int id;
    std::string path;  // lower-case, absolute
    std::uint32_t access;
    std::uint32_t share;
  };
  struct CreateRecord {
    std::string path;
    std::uint32_t access;
    std::uint32_t share;
    std::uint32_t disposition;
    std::uint32_t flagsAndAttributes;
  };
  struct MoveRecord {
    std::string from;
    std::string to;
    std::uint32_t flags;
  };
  /// A rename through a handle: the file it had open, the folder its root handle had open ("" without
  /// one), the name asked for and ReplaceIfExists.
  struct RenameRecord {
    std::string file;
    std::string rootFolder;
    std::string name;
    bool replaceIfExists;
    bool operator==(const RenameRecord&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const RenameRecord& r) {
      return out << r.file << " [" << r.rootFolder << "] " << r.name << (r.replaceIfExists ? " replace" : "");
    }
  };

  explicit FakeFiles(Journal& journal) : journal_(journal) {}

  // Scripting.
  void AddFolder(const std::string& path, std::uint32_t attributes = 0);
  /// Adds a file, creating its folders.
  void AddFile(const std::string& path, std::string bytes, std::uint32_t attributes = 0x20);
  /// The size a directory listing reports for the file, beyond what its bytes in memory would allow.
  void SetListedSize(const std::string& path, std::uint64_t size);
  /// Gives a file more hard links (names elsewhere that share its contents).
  void SetLinkCount(const std::string& path, std::uint32_t links);
  /// A handle opened at path reports finalPath as where it really is, as a link on the way would.
  void SetFinalPath(const std::string& path, const std::string& finalPath);
  void Remove(const std::string& path);
  /// Another process holds the file open with the given share mode (0: no sharing at all).
  void LockExternally(const std::string& path, std::uint32_t share = 0);
  void ReleaseExternalLocks(const std::string& path);
  /// The (skip + 1)-th call of op on path fails with error (and only that one).
  void InjectFailure(FileOp op, const std::string& path, platform::WinError error, int skip = 0);

  // Inspection.
  bool FileExists(const std::string& path) const;
  bool FolderExists(const std::string& path) const;
  std::optional<std::string> Contents(const std::string& path) const;
  /// Every file path (original case), sorted.
  std::vector<std::string> AllFiles() const;
  int OpenHandleCount() const;
  const std::vector<CreateRecord>& Creates() const { return creates_; }
  const std::vector<MoveRecord>& Moves() const { return moves_; }
  const std::vector<RenameRecord>& Renames() const { return renames_; }
  /// false: Windows XP, which cannot rename through a handle (kErrorProcNotFound).
  bool renamesByHandle = true;
  /// true: a rename relative to a root folder is refused with kErrorInvalidParameter, as Wine 8 does.
  bool refusesRenameRoot = false;
  const std::string& CurrentFolder() const { return currentFolder_; }
  /// The program's own file, which OpenOwnModule opens; nullopt: its name cannot be had.
  std::optional<std::string> ownModulePath = std::string("C:\\Downloads\\VeloraUpdate.exe");

  platform::WinResult<platform::OpenFilePtr> Open(const std::string& path, std::uint32_t access, std::uint32_t share,
                                                  std::uint32_t disposition) override;
  platform::WinResult<std::uint32_t> Attributes(const std::string& path) override;
  platform::WinError Delete(const std::string& path) override;
  platform::WinError Move(const std::string& from, const std::string& to, std::uint32_t flags) override;
  platform::WinError AddHardLink(const std::string& link, const std::string& existing) override;
  platform::WinResult<std::vector<platform::DirectoryEntry>> FindFiles(const std::string& pattern) override;
  platform::WinError SetCurrentFolder(const std::string& path) override;
  platform::WinResult<platform::OpenFilePtr> OpenWithFlags(const std::string& path, std::uint32_t access,
                                                           std::uint32_t share, std::uint32_t disposition,
                                                           std::uint32_t flagsAndAttributes) override;
  /// The absolute path, lower-cased as every path here is kept.
  platform::WinResult<std::string> LongFullPath(const std::string& path) override;
  platform::WinResult<platform::OpenFilePtr> OpenOwnModule() override;

 private:
  friend class FakeOpenFile;
  struct Node {
    std::string displayPath;
    std::string bytes;
    std::uint32_t attributes = 0;
    std::uint32_t links = 1;
    std::optional<std::uint64_t> listedSize;
  };
  struct Injection {
    FileOp op;
    std::string path;
    platform::WinError error;
    int skip;
  };

  std::string Key(const std::string& path) const;
  static std::string Parent(const std::string& key);
  bool ParentExists(const std::string& key) const;
  std::optional<platform::WinError> Injected(FileOp op, const std::string& key);
  bool SharingAllows(const std::string& key, std::uint32_t access, std::uint32_t share) const;

  Journal& journal_;
  std::map<std::string, Node> files_;
  std::map<std::string, Node> folders_;
  std::map<std::string, std::string> finalPaths_;  ///< by key
  std::vector<Handle> handles_;
  std::vector<Injection> injections_;
  std::vector<CreateRecord> creates_;
  std::vector<MoveRecord> moves_;
  std::vector<RenameRecord> renames_;
  std::string currentFolder_ = "C:\\";
  int nextHandle_ = 1;
};

}  // namespace velora::fakes
