#include "install/embedded_file.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "environment/failure.h"
#include "environment/fixed_error.h"
#include "environment/session.h"
#include "install/existing_file.h"
#include "install/progress.h"
#include "install/version_readers.h"
#include "language/lookups.h"

namespace velora {
namespace {

constexpr std::size_t kWriteChunk = 64 * 1024;

// The "~" copy beside the destination: written and flushed whole, and deleted again when it does not
// end up as the destination.
class TemporaryCopy {
 public:
  TemporaryCopy(platform::FileApi& files, std::string path) : files_(files), path_(std::move(path)) {}
  TemporaryCopy(const TemporaryCopy&) = delete;
  TemporaryCopy& operator=(const TemporaryCopy&) = delete;
  ~TemporaryCopy() {
    if (!moved_) files_.Delete(path_);  // a copy that cannot be deleted is left; nothing else depends on it
  }

  const std::string& path() const { return path_; }

  void Write(std::string_view bytes) {
    auto opened = files_.Open(path_, win::kGenericWrite, win::kFileShareNone, win::kCreateAlways);
    if (!opened.ok()) throw Failure("cannot create " + path_, opened.error);
    for (std::size_t done = 0; done < bytes.size(); done += kWriteChunk) {
      const auto error = opened.value->Write(bytes.substr(done, kWriteChunk));
      if (error != win::kErrorSuccess) throw Failure("cannot write " + path_, error);
    }
    if (const auto error = opened.value->Flush(); error != win::kErrorSuccess) {
      throw Failure("cannot flush " + path_, error);
    }
  }  // closed here: the move below needs the file closed

  /// Replaces destination in one step; until then the installed file stays as it was.
  void MoveOver(const std::string& destination) {
    const auto error = files_.Move(path_, destination, win::kMoveFileReplaceExisting | win::kMoveFileWriteThrough);
    if (error != win::kErrorSuccess) throw Failure("cannot replace " + destination, error);
    moved_ = true;
  }

 private:
  platform::FileApi& files_;
  std::string path_;
  bool moved_ = false;
};

struct VersionComparison {
  std::string installedText;
  std::string newText;
  bool older = false;  ///< the installed copy's version is greater than the new one's
};

using NumericReader = std::int32_t (*)(Session&, const std::string&);

NumericReader NumericReaderFor(const std::string& fileKind, const std::string& destinationPath) {
  if (fileKind == "pak") return ReadPakVersion;
  if (fileKind == "3bs") return Read3bsVersion;
  if (fileKind == "cok") return ReadCokVersion;
  // Language files with "!" in their path are not compared.
  if (fileKind == "lng" && destinationPath.find('!') == std::string::npos) return ReadLngVersion;
  return nullptr;
}

bool IsComparedKind(const std::string& fileKind) {
  constexpr std::array<std::string_view, 5> kinds{"exe", "pak", "3bs", "lng", "cok"};
  return std::find(kinds.begin(), kinds.end(), fileKind) != kinds.end();
}

VersionComparison CompareVersions(Session& session, const std::string& fileKind, const std::string& newPath,
                                  const std::string& installedPath) {
  VersionComparison versions;
  if (fileKind == "exe") {
    versions.newText = ReadExeFileVersion(session, newPath);
    versions.installedText = ReadExeFileVersion(session, installedPath);
    versions.older = !versions.installedText.empty() && versions.installedText != versions.newText &&
                     IsOlderVersion(versions.newText, versions.installedText);
  } else if (NumericReader read = NumericReaderFor(fileKind, installedPath)) {
    const std::int32_t fresh = read(session, newPath);
    const std::int32_t installed = read(session, installedPath);
    versions.newText = std::to_string(fresh);
    versions.installedText = std::to_string(installed);
    versions.older = installed > fresh;
  }
  return versions;
}

platform::MessageBoxRequest OlderFileQuestion(Session& session, const std::string& destinationPath,
                                              const VersionComparison& versions) {
  platform::MessageBoxRequest box;
  box.style = win::kQuestionBoxStyle;
  if (session.Language.CurrentLang >= 0) {
    box.function = platform::MessageBoxFunction::MessageBoxExA;
    box.caption = GetLangText(session, "soundquest");
    box.text = GetLangLinesFmt(session, "olderfilever", {destinationPath});
    box.languageId = static_cast<std::uint16_t>(session.Language.LangId & 0xFFFF);
  } else if (session.Startup.UseRussian) {
    box.function = platform::MessageBoxFunction::MessageBoxExA;
    box.caption = "Резонный вопрос";
    box.text = "Устанавливаемый файл " + destinationPath + "\r\n" +
               "более старой версии, чем уже установленный.\r\n\r\n" +
               "Действительно ли Вы хотите заменить уже имеющийся\r\n" + "файл версии " + versions.installedText +
               " на более старый версии " + versions.newText + "?";
    box.languageId = win::kLangRussianNeutral;
  } else {
    box.function = platform::MessageBoxFunction::MessageBoxA;
    box.caption = "Sound question";
    box.text = destinationPath + " file installing is of older version\r\n" +
               "than the same already installed.\r\n\r\n" + "Do you really want to replace existing\r\n" +
               "new file version " + versions.installedText + " with an older file version " + versions.newText + "?";
  }
  return box;
}

// Asks before an older file replaces a newer one, with the progress window out of the way meanwhile.
bool UserAcceptsOlderFile(Session& session, const std::string& destinationPath, const VersionComparison& versions) {
  HideProgress(session);
  return session.platform.ui.ShowMessageBox(OlderFileQuestion(session, destinationPath, versions)) == win::kIdYes;
}

InstallOutcome Install(Session& session, const std::string& resourceName, const std::string& fileKind,
                       const std::string& destinationPath, bool checkVersions) {
  const auto resource = session.platform.system.LoadModuleResource(resourceName, fileKind);
  if (!resource.ok()) throw Failure("no resource " + resourceName + " of type " + fileKind, resource.error);
  platform::FileApi& files = session.platform.files;
  TemporaryCopy copy(files, MakeTempName(destinationPath));
  copy.Write(resource.value);

  VersionComparison versions;
  if (checkVersions && IsComparedKind(fileKind) && IsExistingFile(files, destinationPath)) {
    versions = CompareVersions(session, fileKind, copy.path(), destinationPath);
  }
  InstallOutcome outcome = InstallOutcome::Written;
  if (versions.older && !UserAcceptsOlderFile(session, destinationPath, versions)) {
    outcome = InstallOutcome::Declined;
  } else {
    copy.MoveOver(destinationPath);
  }
  if (versions.older) ShowProgress(session, "", "");
  return outcome;
}

}  // namespace

InstallOutcome InstallEmbeddedFile(Session& session, const std::string& resourceName, const std::string& fileKind,
                                   const std::string& destinationPath, bool checkVersions) {
  try {
    return Install(session, resourceName, fileKind, destinationPath, checkVersions);
  } catch (const Failure&) {
    // The temporary copy is gone by now; the installed file was never touched.
    ShowFixedError(session, "Can't install file " + destinationPath, "Не удается установить файл " + destinationPath);
    return InstallOutcome::Failed;
  }
}

}  // namespace velora
