#include "support/fake_files.h"

#include <algorithm>

#include "platform/win_constants.h"

namespace velora::fakes {
namespace {

constexpr int kExternalHandle = 0;

bool IsDriveRoot(const std::string& key) { return key.size() == 2 && key[1] == ':'; }

std::string LastComponent(const std::string& path) {
  const auto slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Windows wildcard match: "*" any run, "?" one character; "*.*" also matches names without a dot.
bool Matches(const std::string& mask, const std::string& name) {
  if (mask == "*.*" || mask == "*") return true;
  std::size_t m = 0, n = 0, star = std::string::npos, mark = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
      ++m, ++n;
    } else if (m < mask.size() && mask[m] == '*') {
      star = m++, mark = n;
    } else if (star != std::string::npos) {
      m = star + 1, n = ++mark;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

bool Writes(std::uint32_t access) { return (access & (win::kGenericWrite | win::kFileAppendData)) != 0; }

}  // namespace

class FakeOpenFile final : public platform::OpenFile {
 public:
  FakeOpenFile(FakeFiles& files, int handle, std::string key, bool append, bool folder)
      : files_(files), handle_(handle), key_(std::move(key)), append_(append), folder_(folder) {}
  ~FakeOpenFile() override {
    auto& handles = files_.handles_;
    handles.erase(std::remove_if(handles.begin(), handles.end(), [this](const auto& h) { return h.id == handle_; }),
                  handles.end());
  }

  platform::WinResult<std::string> Read(std::size_t count) override {
    if (auto error = files_.Injected(FileOp::Read, key_)) return platform::Failed<std::string>(*error);
    auto file = files_.files_.find(key_);
    if (file == files_.files_.end()) return platform::Failed<std::string>(win::kErrorInvalidHandle);
    const std::string& bytes = file->second.bytes;
    if (position_ >= bytes.size()) return platform::Succeeded(std::string());
    std::string chunk = bytes.substr(position_, count);
    position_ += chunk.size();
    return platform::Succeeded(std::move(chunk));
  }

  platform::WinError Write(std::string_view bytes) override {
    if (auto error = files_.Injected(FileOp::Write, key_)) return *error;
    auto file = files_.files_.find(key_);
    if (file == files_.files_.end()) return win::kErrorInvalidHandle;
    std::string& content = file->second.bytes;
    if (append_) position_ = content.size();  // FILE_APPEND_DATA without write access: always at the end
    if (content.size() < position_ + bytes.size()) content.resize(position_ + bytes.size());
    content.replace(position_, bytes.size(), bytes);
    position_ += bytes.size();
    return win::kErrorSuccess;
  }

  platform::WinError Seek(std::uint64_t offset) override {
    if (auto error = files_.Injected(FileOp::Seek, key_)) return *error;
    position_ = static_cast<std::size_t>(offset);
    return win::kErrorSuccess;
  }

  platform::WinError Flush() override {
    const auto file = files_.files_.find(key_);
    files_.journal_.push_back("FlushFileBuffers " + (file == files_.files_.end() ? key_ : file->second.displayPath));
    if (auto error = files_.Injected(FileOp::Flush, key_)) return *error;
    return win::kErrorSuccess;
  }

  platform::WinResult<platform::FileInformation> Information() override {
    if (auto error = files_.Injected(FileOp::Information, key_))
      return platform::Failed<platform::FileInformation>(*error);
    const auto& nodes = folder_ ? files_.folders_ : files_.files_;
    auto file = nodes.find(key_);
    if (file == nodes.end()) return platform::Failed<platform::FileInformation>(win::kErrorInvalidHandle);
    const auto& node = file->second;
    return platform::Succeeded(platform::FileInformation{node.attributes, node.bytes.size(), node.links});
  }

  platform::WinResult<std::string> FinalPath() override {
    if (auto error = files_.Injected(FileOp::FinalPath, key_)) return platform::Failed<std::string>(*error);
    return platform::Succeeded(WhereItLeads());
  }

  platform::WinError MarkForDeletion() override {
    files_.journal_.push_back("MarkForDeletion " + key_);
    if (auto error = files_.Injected(FileOp::Delete, key_)) return *error;
    files_.files_.erase(key_);
    return win::kErrorSuccess;
  }

  // Moves the file to name in the folder where rootFolder's handle really leads, or to the path name;
  // this handle follows it.
  platform::WinError RenameTo(platform::OpenFile* rootFolder, const std::string& name, bool replaceIfExists) override {
    const auto* root = static_cast<FakeOpenFile*>(rootFolder);
    const std::string rootKey = root == nullptr ? std::string() : root->WhereItLeads();
    const auto file = files_.files_.find(key_);
    files_.renames_.push_back(
        {file == files_.files_.end() ? key_ : file->second.displayPath, rootKey, name, replaceIfExists});
    files_.journal_.push_back("RenameByHandle " + key_ + " -> " + name);
    if (!files_.renamesByHandle) return win::kErrorProcNotFound;
    if (root != nullptr && files_.refusesRenameRoot) return win::kErrorInvalidParameter;
    if (auto error = files_.Injected(FileOp::Rename, key_)) return *error;
    if (file == files_.files_.end()) return win::kErrorInvalidHandle;
    const auto own =
        std::find_if(files_.handles_.begin(), files_.handles_.end(), [this](const auto& h) { return h.id == handle_; });
    if ((own->access & win::kDelete) == 0) return win::kErrorAccessDenied;
    const std::string target = root == nullptr ? files_.Key(name) : rootKey + "\\" + Lower(name);
    if (!files_.ParentExists(target)) return win::kErrorPathNotFound;
    if (files_.folders_.count(target) != 0) return win::kErrorAccessDenied;
    if (files_.files_.count(target) != 0 && !replaceIfExists) return win::kErrorAlreadyExists;
    for (const auto& held : files_.handles_) {
      if (held.path == target && !(held.share & win::kFileShareDelete)) return win::kErrorAccessDenied;
    }
    FakeFiles::Node node = std::move(file->second);
    // Within its folder the file keeps that folder's spelling.
    const std::string& before = node.displayPath;
    node.displayPath = FakeFiles::Parent(target) == FakeFiles::Parent(key_)
                           ? before.substr(0, before.rfind('\\') + 1) + name
                       : root == nullptr ? name
                                         : rootKey + "\\" + name;
    files_.files_.erase(file);
    files_.files_[target] = std::move(node);
    own->path = target;
    key_ = target;
    return win::kErrorSuccess;
  }

 private:
  std::string WhereItLeads() const {
    const auto redirected = files_.finalPaths_.find(key_);
    return redirected == files_.finalPaths_.end() ? key_ : Lower(redirected->second);
  }

  FakeFiles& files_;
  int handle_;
  std::string key_;
  bool append_;
  bool folder_;
  std::size_t position_ = 0;
};

std::string FakeFiles::Key(const std::string& path) const {
  std::string absolute = path;
  const bool rooted = (path.size() >= 2 && path[1] == ':') || (!path.empty() && path[0] == '\\');
  if (!rooted) absolute = currentFolder_ + (currentFolder_.empty() || currentFolder_.back() == '\\' ? "" : "\\") + path;
  std::string key = Lower(absolute);
  while (key.size() > 2 && key.back() == '\\') key.pop_back();
  return key;
}

std::string FakeFiles::Parent(const std::string& key) {
  const auto slash = key.rfind('\\');
  return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

bool FakeFiles::ParentExists(const std::string& key) const {
  const std::string parent = Parent(key);
  return IsDriveRoot(parent) || folders_.count(parent) != 0;
}

std::optional<platform::WinError> FakeFiles::Injected(FileOp op, const std::string& key) {
  for (auto it = injections_.begin(); it != injections_.end(); ++it) {
    if (it->op != op || it->path != key) continue;
    if (it->skip > 0) {
      --it->skip;
      return std::nullopt;
    }
    const auto error = it->error;
    injections_.erase(it);
    return error;
  }
  return std::nullopt;
}

bool FakeFiles::SharingAllows(const std::string& key, std::uint32_t access, std::uint32_t share) const {
  for (const auto& held : handles_) {
    if (held.path != key) continue;
    if ((access & win::kGenericRead) && !(held.share & win::kFileShareRead)) return false;
    if (Writes(access) && !(held.share & win::kFileShareWrite)) return false;
    if ((held.access & win::kGenericRead) && !(share & win::kFileShareRead)) return false;
    if (Writes(held.access) && !(share & win::kFileShareWrite)) return false;
    if ((access & win::kDelete) && !(held.share & win::kFileShareDelete)) return false;
    if ((held.access & win::kDelete) && !(share & win::kFileShareDelete)) return false;
  }
  return true;
}

void FakeFiles::AddFolder(const std::string& path, std::uint32_t attributes) {
  const std::string key = Key(path);
  if (IsDriveRoot(key)) return;
  if (!ParentExists(key)) AddFolder(Parent(key));
  std::string display = path;
  while (display.size() > 3 && display.back() == '\\') display.pop_back();
  auto& node = folders_[key];
  if (node.displayPath.empty()) node.displayPath = display;
  node.attributes = attributes | win::kFileAttributeDirectory;
}

void FakeFiles::AddFile(const std::string& path, std::string bytes, std::uint32_t attributes) {
  const std::string key = Key(path);
  if (!ParentExists(key)) AddFolder(Parent(key));
  files_[key] = Node{path, std::move(bytes), attributes};
}

void FakeFiles::SetLinkCount(const std::string& path, std::uint32_t links) { files_.at(Key(path)).links = links; }

void FakeFiles::SetListedSize(const std::string& path, std::uint64_t size) { files_.at(Key(path)).listedSize = size; }

void FakeFiles::SetFinalPath(const std::string& path, const std::string& finalPath) {
  finalPaths_[Key(path)] = finalPath;
}

void FakeFiles::Remove(const std::string& path) { files_.erase(Key(path)); }

void FakeFiles::LockExternally(const std::string& path, std::uint32_t share) {
  handles_.push_back({kExternalHandle, Key(path), win::kGenericRead | win::kGenericWrite, share});
}

void FakeFiles::ReleaseExternalLocks(const std::string& path) {
  const std::string key = Key(path);
  handles_.erase(std::remove_if(handles_.begin(), handles_.end(),
                                [&](const auto& h) { return h.id == kExternalHandle && h.path == key; }),
                 handles_.end());
}

void FakeFiles::InjectFailure(FileOp op, const std::string& path, platform::WinError error, int skip) {
  injections_.push_back({op, Key(path), error, skip});
}

bool FakeFiles::FileExists(const std::string& path) const { return files_.count(Key(path)) != 0; }

bool FakeFiles::FolderExists(const std::string& path) const {
  const std::string key = Key(path);
  return IsDriveRoot(key) || folders_.count(key) != 0;
}

std::optional<std::string> FakeFiles::Contents(const std::string& path) const {
  auto file = files_.find(Key(path));
  if (file == files_.end()) return std::nullopt;
  return file->second.bytes;
}

std::vector<std::string> FakeFiles::AllFiles() const {
  std::vector<std::string> paths;
  for (const auto& [key, node] : files_) paths.push_back(node.displayPath);
  return paths;
}

int FakeFiles::OpenHandleCount() const {
  return static_cast<int>(
      std::count_if(handles_.begin(), handles_.end(), [](const auto& h) { return h.id != kExternalHandle; }));
}

platform::WinResult<platform::OpenFilePtr> FakeFiles::Open(const std::string& path, std::uint32_t access,
                                                           std::uint32_t share, std::uint32_t disposition) {
  return OpenWithFlags(path, access, share, disposition, win::kFileAttributeNormal);
}

platform::WinResult<platform::OpenFilePtr> FakeFiles::OpenWithFlags(const std::string& path, std::uint32_t access,
                                                                    std::uint32_t share, std::uint32_t disposition,
                                                                    std::uint32_t flagsAndAttributes) {
  journal_.push_back("CreateFile " + path);
  creates_.push_back({path, access, share, disposition, flagsAndAttributes});
  const std::string key = Key(path);
  if (auto error = Injected(FileOp::Open, key)) return platform::Failed<platform::OpenFilePtr>(*error);
  if (folders_.count(key) != 0) {
    // A folder opens only with backup semantics, and only as it is.
    if ((flagsAndAttributes & win::kFileFlagBackupSemantics) == 0 || disposition != win::kOpenExisting) {
      return platform::Failed<platform::OpenFilePtr>(win::kErrorAccessDenied);
    }
    const int id = nextHandle_++;
    handles_.push_back({id, key, access, share});
    return platform::Succeeded<platform::OpenFilePtr>(std::make_unique<FakeOpenFile>(*this, id, key, false, true));
  }
  const bool exists = files_.count(key) != 0;
  if (disposition == win::kOpenExisting && !exists) {
    return platform::Failed<platform::OpenFilePtr>(ParentExists(key) ? win::kErrorFileNotFound
                                                                     : win::kErrorPathNotFound);
  }
  if (!ParentExists(key)) return platform::Failed<platform::OpenFilePtr>(win::kErrorPathNotFound);
  if (disposition == win::kCreateNew && exists) return platform::Failed<platform::OpenFilePtr>(win::kErrorFileExists);
  if (!SharingAllows(key, access, share)) return platform::Failed<platform::OpenFilePtr>(win::kErrorSharingViolation);
  if (disposition == win::kCreateAlways || disposition == win::kOpenAlways || disposition == win::kCreateNew) {
    auto& node = files_[key];
    if (node.displayPath.empty()) node = Node{path, {}, win::kFileAttributeArchive};
    if (disposition == win::kCreateAlways) node.bytes.clear();
  }
  const int id = nextHandle_++;
  handles_.push_back({id, key, access, share});
  const bool append = (access & win::kFileAppendData) != 0 && (access & win::kGenericWrite) == 0;
  return platform::Succeeded<platform::OpenFilePtr>(std::make_unique<FakeOpenFile>(*this, id, key, append, false));
}

platform::WinResult<std::string> FakeFiles::LongFullPath(const std::string& path) {
  if (auto error = Injected(FileOp::FullPath, Key(path))) return platform::Failed<std::string>(*error);
  return platform::Succeeded(Key(path));
}

platform::WinResult<platform::OpenFilePtr> FakeFiles::OpenOwnModule() {
  if (!ownModulePath) return platform::Failed<platform::OpenFilePtr>(win::kErrorInvalidParameter);
  return Open(*ownModulePath, win::kGenericRead, win::kFileShareRead, win::kOpenExisting);
}

platform::WinResult<std::uint32_t> FakeFiles::Attributes(const std::string& path) {
  const std::string key = Key(path);
  if (auto file = files_.find(key); file != files_.end()) return platform::Succeeded(file->second.attributes);
  if (auto folder = folders_.find(key); folder != folders_.end()) return platform::Succeeded(folder->second.attributes);
  if (IsDriveRoot(key)) return platform::Succeeded(win::kFileAttributeDirectory);
  return platform::Failed<std::uint32_t>(ParentExists(key) ? win::kErrorFileNotFound : win::kErrorPathNotFound);
}

platform::WinError FakeFiles::Delete(const std::string& path) {
  journal_.push_back("DeleteFile " + path);
  const std::string key = Key(path);
  if (auto error = Injected(FileOp::Delete, key)) return *error;
  if (files_.count(key) == 0) return folders_.count(key) ? win::kErrorAccessDenied : win::kErrorFileNotFound;
  for (const auto& held : handles_) {
    if (held.path == key && !(held.share & win::kFileShareDelete)) return win::kErrorSharingViolation;
  }
  files_.erase(key);
  return win::kErrorSuccess;
}

// The new name gets its own copy of the file's bytes; both count one more link.
platform::WinError FakeFiles::AddHardLink(const std::string& link, const std::string& existing) {
  journal_.push_back("CreateHardLink " + link + " -> " + existing);
  const std::string source = Key(existing);
  const std::string target = Key(link);
  if (auto error = Injected(FileOp::HardLink, target)) return *error;
  const auto file = files_.find(source);
  if (file == files_.end()) return folders_.count(source) ? win::kErrorAccessDenied : win::kErrorFileNotFound;
  if (files_.count(target) != 0 || folders_.count(target) != 0) return win::kErrorAlreadyExists;
  if (!ParentExists(target)) return win::kErrorPathNotFound;
  ++file->second.links;
  Node copy = file->second;
  copy.displayPath = link;
  files_.emplace(target, std::move(copy));
  return win::kErrorSuccess;
}

platform::WinError FakeFiles::Move(const std::string& from, const std::string& to, std::uint32_t flags) {
  journal_.push_back("MoveFileEx " + from + " -> " + to);
  moves_.push_back({from, to, flags});
  const std::string source = Key(from);
  const std::string target = Key(to);
  if (auto error = Injected(FileOp::Move, source)) return *error;
  if (files_.count(source) == 0) return win::kErrorFileNotFound;
  if (!ParentExists(target)) return win::kErrorPathNotFound;
  // A folder is never replaced by a file, whatever the flags say.
  if (folders_.count(target) != 0) {
    return flags & win::kMoveFileReplaceExisting ? win::kErrorAccessDenied : win::kErrorAlreadyExists;
  }
  if (files_.count(target) != 0 && !(flags & win::kMoveFileReplaceExisting)) return win::kErrorAlreadyExists;
  for (const auto& held : handles_) {
    if ((held.path == source || held.path == target) && !(held.share & win::kFileShareDelete)) {
      return held.path == target ? win::kErrorAccessDenied : win::kErrorSharingViolation;
    }
  }
  Node node = files_[source];
  node.displayPath = to;
  files_.erase(source);
  files_[target] = std::move(node);
  return win::kErrorSuccess;
}

platform::WinResult<std::vector<platform::DirectoryEntry>> FakeFiles::FindFiles(const std::string& pattern) {
  journal_.push_back("FindFirstFile " + pattern);
  std::vector<platform::DirectoryEntry> entries;
  const std::string key = Key(pattern);
  const std::string folder = Parent(key);
  const std::string mask = LastComponent(key);
  if (auto error = Injected(FileOp::Find, folder)) return {*error, entries};
  if (!IsDriveRoot(folder) && folders_.count(folder) == 0) return {win::kErrorPathNotFound, entries};
  if (!IsDriveRoot(folder)) {
    for (const char* dots : {".", ".."}) {
      if (Matches(mask, dots)) entries.push_back({dots, win::kFileAttributeDirectory, 0});
    }
  }
  std::map<std::string, platform::DirectoryEntry> children;  // sorted by lower-case name
  for (const auto* nodes : {&files_, &folders_}) {
    for (const auto& [childKey, node] : *nodes) {
      if (Parent(childKey) != folder || !Matches(mask, LastComponent(childKey))) continue;
      children[LastComponent(childKey)] = {LastComponent(node.displayPath), node.attributes,
                                           node.listedSize.value_or(node.bytes.size())};
    }
  }
  for (auto& [name, entry] : children) entries.push_back(std::move(entry));
  if (entries.empty()) return {win::kErrorFileNotFound, entries};
  return platform::Succeeded(std::move(entries));
}

platform::WinError FakeFiles::SetCurrentFolder(const std::string& path) {
  journal_.push_back("SetCurrentDirectory " + path);
  const std::string key = Key(path);
  if (auto error = Injected(FileOp::SetCurrentFolder, key)) return *error;
  if (!IsDriveRoot(key) && folders_.count(key) == 0) return win::kErrorPathNotFound;
  currentFolder_ = path;
  return win::kErrorSuccess;
}

}  // namespace velora::fakes
