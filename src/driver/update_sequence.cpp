#include "driver/update_sequence.h"

#include <optional>

#include "driver/integrity_check.h"
#include "environment/ascii_case.h"
#include "environment/failure.h"
#include "environment/fixed_error.h"
#include "environment/install_environment.h"
#include "environment/product_key.h"
#include "environment/session.h"
#include "install/embedded_file.h"
#include "language/language_loader.h"
#include "language/lookups.h"

namespace velora {
namespace {

constexpr const char* kProductExecutable = "velora.exe";
constexpr const char* kProductWindowClass = "TVeloraMainForm";
constexpr const char* kLastRunFolderValue = "TheLastRunFolder";
constexpr const char* kEstimatedSizeValue = "EstimatedSize";
constexpr int kInstalledFileTries = 17;
constexpr std::uint32_t kInstalledFileRetryMs = 256;

void ShowRegistryError(Session& session) {
  ShowFixedError(session, "No access to system registry", "Нет доступа к системному реестру");
}

/// The update, one step a method; each returns the exit code when the sequence ends there.
class UpdateSequence {
 public:
  UpdateSequence(Session& session, const DriverSettings& settings) : session_(session), settings_(settings) {}

  int Run() {
    PrepareNames();
    if (!DiscoverEnvironment(session_)) return kExitFailed;
    if (!TakeLastRunFolder()) return kExitFailed;
    if (!ProductIsInstalled()) return kExitFailed;
    if (!LoadLanguage(session_)) return kExitFailed;
    if (!session_.Environment.IsAdmin) {
      ShowLangError(session_, GetLangLines(session_, "noright"));
      return kExitFailed;
    }
    CloseRunningProduct();
    if (!OwnFileIsIntact()) return kExitFailed;
    quietMode_ = session_.Startup.StartMode == "modest";
    if (auto declined = AskBeforeInstalling()) return *declined;
    const InstallOutcome outcome = InstallPayload();
    if (!RecordFolderSize()) return kExitFailed;
    return Finish(outcome);
  }

 private:
  // Steps 1 and 2: the data file's name parts and the names every box uses.
  void PrepareNames() {
    const std::string& fileName = settings_.PayloadFileName;
    const auto dot = fileName.rfind('.');
    payloadExt_ = dot == std::string::npos ? std::string() : fileName.substr(dot);
    payloadIs3bs_ = payloadExt_.find("3bs") != std::string::npos;
    StartupState& startup = session_.Startup;
    startup.PayloadVersionText = std::to_string(settings_.PayloadVersion);
    startup.AppName = "Velora";
    startup.ProgName = "Обновление программы \"Велора\"";
    startup.EnglishProgName = "Velora update";
  }

  // Step 4: the product's own record of its folder wins over what discovery found.
  bool TakeLastRunFolder() {
    RegistryAccessor& registry = session_.Startup.Registry;
    OpenKeyScope closeKey(registry);
    if (!OpenProductKey(session_) || !registry.ValueExists(kLastRunFolderValue)) return true;
    try {
      std::string folder = registry.ReadString(kLastRunFolderValue);
      AddBackslash(folder);
      session_.Environment.ProductFolder = std::move(folder);
      return true;
    } catch (const Failure&) {
      ShowRegistryError(session_);
      return false;
    }
  }

  // Step 5.
  bool ProductIsInstalled() {
    const std::uint32_t attributes =
        session_.platform.files.Attributes(session_.Environment.ProductFolder + kProductExecutable);
    if (attributes != win::kInvalidFileAttributes && (attributes & win::kFileAttributeDirectory) == 0) return true;
    ShowFixedError(session_, "There's no Velora installed.\r\nPlease install the program first.",
                   "Нет установленной программы \"Велора\"!\r\nПожалуйста, сначала установите её.");
    return false;
  }

  // Step 8: ask a running product to quit; the sequence does not wait for it.
  void CloseRunningProduct() {
    if (!IsProductRunning(session_)) return;
    const platform::WindowId window = session_.platform.ui.FindWindowByClass(kProductWindowClass);
    if (window != 0) session_.platform.ui.PostToWindow(window, win::kWmQuit);
  }

  // Step 9.
  bool OwnFileIsIntact() {
    switch (CheckOwnIntegrity(session_)) {
      case IntegrityResult::Intact:
        return true;
      case IntegrityResult::Damaged:
        ShowLangError(session_, GetLangLines(session_, "badinstaller"));
        return false;
      case IntegrityResult::Unreadable:
        ShowLangError(session_, GetLangLines(session_, "verificationfail"));
        return false;
    }
    return false;
  }

  // Steps 10 and 11: the version pre-check and the questions; an exit code when the user declines or
  // the installed file stays locked.
  std::optional<int> AskBeforeInstalling() {
    if (quietMode_) return std::nullopt;
    const std::string installedPath = session_.Environment.ProductFolder + settings_.PayloadFileName;
    if (session_.platform.files.Attributes(installedPath) != win::kInvalidFileAttributes) {
      auto installedVersion = ReadInstalledVersion(installedPath);
      if (!installedVersion) {
        ShowLangError(session_, GetLangLinesFmt(session_, "filecantopen", {installedPath}));
        return kExitFailed;
      }
      if (settings_.PayloadVersion < *installedVersion &&
          !AskQuestion(GetLangText(session_, "soundquest"),
                       GetLangLinesFmt(session_, "olderfilever", {settings_.PayloadFileName}))) {
        return kExitDeclined;
      }
    }
    const std::string caption = GetLangText(session_, "liveupdatecaption");
    const std::string payloadName = GetLangText(session_, settings_.PayloadDisplayKey) + " " +
                                    session_.Startup.PayloadVersionText;
    if (!AskQuestion(GetLangText(session_, "soundquest"),
                     GetLangLinesFmt(session_, "installask", {caption, payloadName}))) {
      return kExitDeclined;
    }
    return std::nullopt;
  }

  // The installed file's version from its head, once no other process holds it open; nullopt when it
  // stayed locked through every try.
  std::optional<std::int32_t> ReadInstalledVersion(const std::string& path) {
    platform::OpenFilePtr file;
    for (int tries = 0; tries < kInstalledFileTries && !file; ++tries) {
      auto opened = session_.platform.files.Open(path, win::kGenericRead, win::kFileShareNone, win::kOpenExisting);
      if (opened.ok()) {
        file = std::move(opened.value);
      } else {
        session_.platform.system.Sleep(kInstalledFileRetryMs);
      }
    }
    if (!file) return std::nullopt;
    // The tag, and for a "3bs" file one byte more; then the version byte. A short file reads as 0.
    file->Read(payloadIs3bs_ ? 5 : 4);
    const auto versionByte = file->Read(1);
    std::int32_t version = versionByte.ok() && versionByte.value.size() == 1
                               ? static_cast<unsigned char>(versionByte.value[0])
                               : 0;
    if (!payloadIs3bs_) version -= 32;
    return version;
  }

  bool AskQuestion(const std::string& caption, const std::string& text) {
    platform::MessageBoxRequest box{platform::MessageBoxFunction::MessageBoxExA, text, caption, win::kQuestionBoxStyle,
                                    static_cast<std::uint16_t>(session_.Language.LangId & 0xFFFF)};
    return session_.platform.ui.ShowMessageBox(box) == win::kIdYes;
  }

  // Step 12.
  InstallOutcome InstallPayload() {
    const std::string& fileName = settings_.PayloadFileName;
    const std::string baseName = fileName.substr(0, fileName.size() - payloadExt_.size());
    const std::string kind = payloadExt_.empty() ? std::string() : payloadExt_.substr(1);
    return InstallEmbeddedFile(session_, baseName, kind, session_.Environment.ProductFolder + baseName + "." + kind,
                               /*checkVersions=*/false);
  }

  // Step 13: "EstimatedSize" in the uninstall entry where discovery found the product. No entry there
  // (found through "ProgramFilesDir" or "TheLastRunFolder"): nothing is written and no key is created.
  bool RecordFolderSize() {
    const InstallEnvironment& environment = session_.Environment;
    const std::string entry = environment.UninstallKeyPathWow.empty()
                                  ? environment.UninstallKeyPath + session_.Startup.AppName
                                  : environment.UninstallKeyPathWow;
    RegistryAccessor& registry = session_.Startup.Registry;
    registry.SetRoot(platform::RootKey::LocalMachine);
    OpenKeyScope closeKey(registry);
    if (!registry.OpenKey(entry, /*create=*/false)) {
      if (registry.LastOpenError() == win::kErrorFileNotFound) return true;
      ShowRegistryError(session_);
      return false;
    }
    const std::int32_t sizeKb = FolderSizeKb(session_, environment.ProductFolder);
    if (sizeKb == -1) return true;
    try {
      registry.WriteInteger(kEstimatedSizeValue, static_cast<std::uint32_t>(sizeKb));
      return true;
    } catch (const Failure&) {
      ShowRegistryError(session_);
      return false;
    }
  }

  // Step 14. A failed write is not followed by the completion question, which would report it as done.
  int Finish(InstallOutcome outcome) {
    if (quietMode_) {
      if (session_.Arguments.size() > 1 && LowerAscii(session_.Arguments[1]) == "runapp") StartProduct(session_);
    } else if (outcome == InstallOutcome::Written && AskToRun()) {
      StartProduct(session_);
    }
    switch (outcome) {
      case InstallOutcome::Written:
        return kExitWritten;
      case InstallOutcome::Declined:
        return kExitDeclined;
      case InstallOutcome::Failed:
        return kExitFailed;
    }
    return kExitFailed;
  }

  bool AskToRun() {
    const std::string caption = GetLangText(session_, "liveupdatecaption");
    const std::string done = GetLangTextFmt(
        session_, "installdone",
        {caption + " (" + GetLangText(session_, settings_.PayloadDisplayKey) + " " +
         session_.Startup.PayloadVersionText + ")"});
    return AskQuestion(caption, done + "\r\n\r\n" + GetLangText(session_, "asktorun"));
  }

  Session& session_;
  const DriverSettings& settings_;
  std::string payloadExt_;
  bool payloadIs3bs_ = false;
  bool quietMode_ = false;
};

}  // namespace

int RunUpdate(Session& session, const DriverSettings& settings) { return UpdateSequence(session, settings).Run(); }

}  // namespace velora
