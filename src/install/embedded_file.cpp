#include "install/embedded_file.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "base/path_rule.h"
#include "install/existing_file.h"
#include "install/progress.h"
#include "install/version_readers.h"
#include "platform/opened_file_check.h"

namespace velora {
namespace {

constexpr std::size_t kWriteChunk = std::size_t{64} * 1024;

// How many names the copy may take beside the destination: the "~" name, then that name with "~1" to
// "~8" appended, for when a name is taken by something this program cannot remove.
constexpr int kScratchNames = 9;

// The file at path, or a link there itself, opened for deleting it; fails while another process holds
// the file without sharing its deletion.
platform::WinResult<platform::OpenFilePtr> OpenForDeletion(platform::FileApi& files, const std::string& path) {
  return files.OpenWithFlags(path, win::kDelete | win::kFileReadAttributes,
                             win::kFileShareRead | win::kFileShareWrite | win::kFileShareDelete, win::kOpenExisting,
                             win::kFileAttributeNormal | win::kFileFlagOpenReparsePoint);
}

// Deletes the file at path, or a link there itself, through a handle opened without following a link:
// never through the name, which a link could lead elsewhere. What the handle shows to lie elsewhere is
// left alone. Windows before Vista, which has no links to files, deletes by name.
void RemoveWhatStandsAt(platform::FileApi& files, const std::string& path) {
  auto opened = OpenForDeletion(files, path);
  if (!opened.ok() || platform::CheckOpenedAtItsName(files, *opened.value, path) != win::kErrorSuccess) return;
  if (opened.value->MarkForDeletion() == win::kErrorProcNotFound) {
    opened.value.reset();
    static_cast<void>(files.Delete(path));
  }
}

// The "~" copy beside the destination, written and flushed whole, and deleted again when it does not end
// up as the destination. It is only ever written to a file this run created: whatever stands at its name
// (a copy a killed run left, or a link planted in a folder users may write) is deleted first, a link
// itself and never its target, and the copy is then created with CREATE_NEW, which opens nothing that is
// already there. A name that cannot be freed (a folder, a file that cannot be deleted, a link that
// cannot be told from its target) stays as it is, and the copy takes the next scratch name. Once checked,
// the copy is used only through its handle, which stays open until it has replaced the destination.
class TemporaryCopy {
 public:
  TemporaryCopy(platform::FileApi& files, const std::string& destinationPath)
      : files_(files), firstName_(MakeTempName(destinationPath)) {}
  TemporaryCopy(const TemporaryCopy&) = delete;
  TemporaryCopy& operator=(const TemporaryCopy&) = delete;
  ~TemporaryCopy() {
    // A copy that cannot be deleted is left; nothing else depends on it. Windows before Vista, which
    // cannot delete through a handle, deletes it by name.
    if (!created_ || replaced_) return;
    if (file_ != nullptr && file_->MarkForDeletion() != win::kErrorProcNotFound) return;
    file_.reset();
    RemoveWhatStandsAt(files_, path_);
  }

  const std::string& path() const { return path_; }
  /// The copy's own handle, open for reading; valid after a successful Write.
  platform::OpenFile& file() { return *file_; }

  /// Creates the copy, checks that the file opened is the one created, writes all the bytes and flushes
  /// them; the error of the step that failed.
  [[nodiscard]] platform::WinError Write(std::string_view bytes) {
    auto opened = Create();
    if (!opened.ok()) return opened.error;
    if (const auto error = platform::CheckOpenedAsNamed(files_, *opened.value, path_); error != win::kErrorSuccess) {
      // The file this run created is deleted through its own handle, wherever a link put it; the name
      // may lead elsewhere by now, so the clean-up leaves it alone.
      static_cast<void>(opened.value->MarkForDeletion());
      return error;
    }
    file_ = std::move(opened.value);
    created_ = true;
    for (std::size_t done = 0; done < bytes.size(); done += kWriteChunk) {
      const auto error = file_->Write(bytes.substr(done, kWriteChunk));
      if (error != win::kErrorSuccess) return error;
    }
    return file_->Flush();
  }

  /// Replaces the file name in folder (opened and checked) in one step, through the copy's handle; until
  /// then the installed file stays as it was.
  [[nodiscard]] platform::WinError ReplaceIn(platform::OpenFile& folder, const std::string& name) {
    const auto error = platform::RenameThroughHandle(files_, file_, path_, &folder, name,
                                                     win::kMoveFileReplaceExisting | win::kMoveFileWriteThrough);
    replaced_ = error == win::kErrorSuccess;
    return error;
  }

 private:
  platform::WinResult<platform::OpenFilePtr> Create() {
    platform::WinResult<platform::OpenFilePtr> opened;
    for (int name = 0; name < kScratchNames; ++name) {
      path_ = name == 0 ? firstName_ : firstName_ + "~" + std::to_string(name);
      // Nothing there, or something that cannot be removed: CREATE_NEW tells which.
      RemoveWhatStandsAt(files_, path_);
      // A link at the name is created as a link of its own, never followed to create its target; DELETE
      // lets the copy be renamed over the destination, or deleted, through this handle; GENERIC_READ lets
      // its version be read through it. No sharing: nobody changes it before it replaces the destination.
      opened = files_.OpenWithFlags(path_, win::kGenericRead | win::kGenericWrite | win::kDelete, win::kFileShareNone,
                                    win::kCreateNew, win::kFileAttributeNormal | win::kFileFlagOpenReparsePoint);
      if (opened.ok()) return opened;
      // A folder at the name answers access denied; anything else (no folder, a full disk) is the same
      // under every name.
      if (opened.error != win::kErrorFileExists && opened.error != win::kErrorAccessDenied) return opened;
    }
    return opened;
  }

  platform::FileApi& files_;
  const std::string firstName_;
  std::string path_;
  platform::OpenFilePtr file_;  ///< the copy, from its check until it replaces the destination
  bool created_ = false;        ///< created and checked
  bool replaced_ = false;
};

struct VersionComparison {
  std::string installedText;
  std::string newText;
  bool older = false;  ///< the installed copy's version is greater than the new one's
};

// Where a version is read: the installed file by its name, the copy through its own handle.
struct VersionSource {
  const std::string& path;
  platform::OpenFile* opened;  ///< null: open path
};

using NumericReader = std::int32_t (*)(platform::FileApi&, const InstallBoxes&, const VersionSource&);

// The readers of a version field need only the files.
template <std::int32_t (*ByName)(platform::FileApi&, const std::string&), std::int32_t (*ByHandle)(platform::OpenFile&)>
std::int32_t ReadFieldVersion(platform::FileApi& files, const InstallBoxes& /*boxes*/, const VersionSource& source) {
  return source.opened != nullptr ? ByHandle(*source.opened) : ByName(files, source.path);
}

// A language file without a readable version is reported, and counts as version 0.
std::int32_t ReadLanguageFileVersion(platform::FileApi& files, const InstallBoxes& boxes, const VersionSource& source) {
  const auto version =
      source.opened != nullptr ? TryReadLngVersion(*source.opened) : TryReadLngVersion(files, source.path);
  if (version) return *version;
  boxes.ShowUnreadableLanguageFile(source.path);
  return 0;
}

NumericReader NumericReaderFor(const std::string& fileKind, const std::string& destinationPath) {
  if (fileKind == "pak") return ReadFieldVersion<ReadPakVersion, ReadPakVersion>;
  if (fileKind == "3bs") return ReadFieldVersion<Read3bsVersion, Read3bsVersion>;
  if (fileKind == "cok") return ReadFieldVersion<ReadCokVersion, ReadCokVersion>;
  // Language files with "!" in their path are not compared.
  if (fileKind == "lng" && destinationPath.find('!') == std::string::npos) return ReadLanguageFileVersion;
  return nullptr;
}

// A folder is opened without its trailing "\\", except a drive's root ("C:\\"), which is nothing without it.
std::string FolderPathForOpen(const std::string& folder) {
  if (folder.size() <= 3) return folder;
  return folder.substr(0, folder.size() - 1);
}

bool IsComparedKind(const std::string& fileKind) {
  constexpr std::array<std::string_view, 5> kinds{"exe", "pak", "3bs", "lng", "cok"};
  return std::find(kinds.begin(), kinds.end(), fileKind) != kinds.end();
}

// The new version is read through the copy's handle; only the version resource of an "exe", which
// Windows reads by name alone, is read at the copy's name.
VersionComparison CompareVersions(platform::Platform& platform, const InstallBoxes& boxes, const std::string& fileKind,
                                  TemporaryCopy& copy, const std::string& installedPath) {
  VersionComparison versions;
  if (fileKind == "exe") {
    versions.newText = ReadExeFileVersion(platform.programFiles, copy.path());
    versions.installedText = ReadExeFileVersion(platform.programFiles, installedPath);
    versions.older = !versions.installedText.empty() && versions.installedText != versions.newText &&
                     IsOlderVersion(versions.newText, versions.installedText);
  } else if (NumericReader read = NumericReaderFor(fileKind, installedPath)) {
    const std::int32_t fresh = read(platform.files, boxes, {copy.path(), &copy.file()});
    const std::int32_t installed = read(platform.files, boxes, {installedPath, nullptr});
    versions.newText = std::to_string(fresh);
    versions.installedText = std::to_string(installed);
    versions.older = installed > fresh;
  }
  return versions;
}

// Asks before an older file replaces a newer one, with the progress window out of the way meanwhile.
bool UserAcceptsOlderFile(platform::ProgressWindowApi& progress, const InstallBoxes& boxes,
                          const std::string& destinationPath, const VersionComparison& versions) {
  HideProgress(progress);
  return boxes.AcceptsOlderFile(destinationPath, versions.installedText, versions.newText);
}

}  // namespace

struct EmbeddedFileInstall::Staged {
  Staged(platform::FileApi& files, const std::string& destinationPath, platform::OpenFilePtr openedFolder,
         std::string folderPathOf)
      : folder(std::move(openedFolder)), folderPath(std::move(folderPathOf)), copy(files, destinationPath) {}

  platform::OpenFilePtr folder;  ///< the destination's folder, opened and checked
  std::string folderPath;
  TemporaryCopy copy;
};

EmbeddedFileInstall::EmbeddedFileInstall(platform::Platform& platform, const InstallBoxes& boxes,
                                         std::string resourceName, std::string fileKind, std::string destinationPath,
                                         bool checkVersions)
    : platform_(platform),
      boxes_(boxes),
      resourceName_(std::move(resourceName)),
      fileKind_(std::move(fileKind)),
      destinationPath_(std::move(destinationPath)),
      checkVersions_(checkVersions) {}

EmbeddedFileInstall::~EmbeddedFileInstall() { RemoveKeptInstalledFile(); }

// A second name for the installed file ("~vlfw.3bs.old"), so that the replacement only drops a name and
// a large file's space is freed once this object goes (after the product is back), not while the product
// waits for the replacement. Only for a file nobody holds: while the product holds it, the second name
// could not be removed again. Without it (held, no hard links on the drive, a name that cannot be freed)
// the replacement frees the space itself.
void EmbeddedFileInstall::KeepInstalledFile() {
  platform::FileApi& files = platform_.files;
  if (!OpenForDeletion(files, destinationPath_).ok()) return;
  const std::string kept = MakeTempName(destinationPath_) + ".old";
  RemoveWhatStandsAt(files, kept);
  if (files.AddHardLink(kept, destinationPath_) == win::kErrorSuccess) keptInstalledFile_ = kept;
}

void EmbeddedFileInstall::RemoveKeptInstalledFile() {
  if (keptInstalledFile_.empty()) return;
  RemoveWhatStandsAt(platform_.files, keptInstalledFile_);
  keptInstalledFile_.clear();
}

InstallResult EmbeddedFileInstall::Failure(platform::WinError error) const {
  // The temporary copy is gone by now; the installed file was never touched.
  boxes_.ShowCannotInstall(destinationPath_);
  return {InstallOutcome::Failed, error};
}

InstallResult EmbeddedFileInstall::Stage() {
  const auto resource = platform_.ownModule.LoadModuleResource(resourceName_, fileKind_);
  if (!resource.ok()) return Failure(resource.error);
  platform::FileApi& files = platform_.files;
  // The folder is opened once and checked; the copy replaces its file through handles, never a name
  // a link in the folder part could lead elsewhere.
  std::string folderPath = FolderOf(destinationPath_);
  auto folder = platform::OpenCheckedFolder(files, FolderPathForOpen(folderPath));
  if (!folder.ok()) return Failure(folder.error);
  auto staged = std::make_unique<Staged>(files, destinationPath_, std::move(folder.value), std::move(folderPath));
  if (const auto error = staged->copy.Write(resource.value); error != win::kErrorSuccess) {
    staged.reset();  // a partly written copy goes before the box
    return Failure(error);
  }
  staged_ = std::move(staged);
  return {InstallOutcome::Written};
}

InstallResult EmbeddedFileInstall::Replace() {
  if (staged_ == nullptr) return Failure(win::kErrorInvalidHandle);  // nothing staged
  platform::FileApi& files = platform_.files;
  VersionComparison versions;
  if (checkVersions_ && IsComparedKind(fileKind_) && IsExistingFile(files, destinationPath_)) {
    versions = CompareVersions(platform_, boxes_, fileKind_, staged_->copy, destinationPath_);
  }
  InstallOutcome outcome = InstallOutcome::Written;
  if (versions.older && !UserAcceptsOlderFile(platform_.progress, boxes_, destinationPath_, versions)) {
    outcome = InstallOutcome::Declined;
  } else {
    KeepInstalledFile();
    if (const auto error =
            staged_->copy.ReplaceIn(*staged_->folder, destinationPath_.substr(staged_->folderPath.size()));
        error != win::kErrorSuccess) {
      staged_.reset();
      RemoveKeptInstalledFile();
      return Failure(error);
    }
  }
  staged_.reset();
  if (versions.older) ShowProgress(platform_.progress, "", "");
  return {outcome};
}

InstallResult InstallEmbeddedFile(platform::Platform& platform, const InstallBoxes& boxes,
                                  const std::string& resourceName, const std::string& fileKind,
                                  const std::string& destinationPath, bool checkVersions) {
  EmbeddedFileInstall install(platform, boxes, resourceName, fileKind, destinationPath, checkVersions);
  if (const InstallResult staged = install.Stage(); staged.outcome != InstallOutcome::Written) return staged;
  return install.Replace();
}

}  // namespace velora
