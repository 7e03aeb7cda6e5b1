#include "driver/update_sequence.h"

#include <optional>

#include "base/ascii_case.h"
#include "driver/folder_size.h"
#include "driver/integrity_check.h"
#include "driver/product.h"
#include "driver/run_log.h"
#include "driver/session.h"
#include "environment/message_box.h"
#include "environment/install_environment.h"
#include "install/embedded_file.h"
#include "install/existing_file.h"
#include "install/version_readers.h"
#include "language/language_boxes.h"
#include "language/language_loader.h"
#include "language/lookups.h"

namespace velora {
namespace {

constexpr const char* kProductExecutable = "velora.exe";
constexpr const char* kProductWindowClass = "TVeloraMainForm";
constexpr int kInstalledFileTries = 17;
constexpr std::uint32_t kInstalledFileRetryMs = 256;
// How long the run waits, in all, for a product told to quit to end. Saving its state takes a product a
// second or two; five seconds is about what the data file's exclusive-open tries allowed before. Past
// it the product is more likely stuck on a question of its own than about to end, and the user is
// better served by the new copy (which may refuse to start) than by a longer wait without any.
constexpr std::uint32_t kProductEndWaitMs = 5000;

/// The update, one step a method; each returns the exit code when the sequence ends there.
class UpdateSequence {
 public:
  UpdateSequence(Session& session, const DriverSettings& settings, RunLog& log)
      : session_(session), language_(LanguageContextOf(session)), settings_(settings), log_(log) {}

  int Run() {
    PrepareNames();
    if (!FindProduct()) return kExitFailed;
    if (!ProductIsInstalled()) return kExitFailed;
    if (!LoadLanguage(language_)) {
      log_.Write("no usable language file");
      return kExitFailed;
    }
    LogLanguage();
    if (!session_.Environment.IsAdmin) {
      log_.Write("no administrator rights");
      ShowLangError(language_, GetLangLines(language_, "noright"));
      return kExitFailed;
    }
    quietMode_ = session_.Startup.StartMode == "modest";
    runApp_ = quietMode_ && session_.Arguments.size() > 1 && LowerAscii(session_.Arguments[1]) == "runapp";
    // A damaged package must not cost the user the running product: checked before it is told to quit.
    if (!OwnFileIsIntact()) return kExitFailed;
    productToldToQuit_ = CloseRunningProduct();
    const int exitCode = UpdateClosedProduct();
    // With "runapp" the product runs afterwards: after every update that got as far as writing, and
    // on every path that ends early once this program has told a running product to quit.
    if (runApp_ && (reachedTheWrite_ || productToldToQuit_)) StartProductOnceEnded();
    return exitCode;
  }

 private:
  // The data file's name parts, and the product's names: discovery looks for the product by them, and
  // they caption every box until a language file names the program.
  void PrepareNames() {
    const std::string& fileName = settings_.PayloadFileName;
    const auto dot = fileName.rfind('.');
    payloadExt_ = dot == std::string::npos ? std::string() : fileName.substr(dot);
    payloadIs3bs_ = payloadExt_.find("3bs") != std::string::npos;
    payloadVersionText_ = std::to_string(settings_.PayloadVersion);
    session_.Names = {
        .AppName = "Velora", .ProgName = "Обновление программы \"Велора\"", .EnglishProgName = "Velora update"};
  }

  // Discovery and what it says of where the product folder came from; false when the registry could
  // not be read (discovery has shown its box).
  bool FindProduct() {
    const Discovery found =
        DiscoverEnvironment(session_.platform, session_.Startup, session_.Names, session_.Environment);
    if (found.failure == Discovery::Failure::Folders) {
      log_.Write("the registry cannot be read: no product folder");
      return false;
    }
    log_.Write("product folder found: " + found.entryFolder);
    if (found.failure == Discovery::Failure::LastRunFolder) {
      log_.WriteFailure(std::string(kLastRunFolderValue) + " cannot be read as a folder", found.error);
      return false;
    }
    if (found.fromLastRunFolder) {
      log_.Write(std::string("product folder from ") + kLastRunFolderValue + ": " + session_.Environment.ProductFolder);
    }
    return true;
  }

  bool ProductIsInstalled() {
    const std::string executable = session_.Environment.ProductFolder + kProductExecutable;
    if (IsExistingFile(session_.platform.files, executable)) return true;
    log_.Write("the product is not installed: no " + executable);
    ShowFixedError(session_.platform.ui, session_.Startup, session_.Names,
                   "There's no Velora installed.\r\nPlease install the program first.",
                   "Нет установленной программы \"Велора\"!\r\nПожалуйста, сначала установите её.");
    return false;
  }

  void LogLanguage() {
    const LanguageTable& language = session_.Language;
    if (language.CurrentLang >= 0 && static_cast<std::size_t>(language.CurrentLang) < language.LangFiles.size()) {
      log_.Write("language file: " + language.LangFiles[static_cast<std::size_t>(language.CurrentLang)]);
    }
  }

  // Asks a running product to quit and keeps its process to wait for; true when the request was posted.
  bool CloseRunningProduct() {
    if (!IsProductRunning(session_)) {
      log_.Write("the product is not running");
      return false;
    }
    const auto window = session_.platform.desktop.TryFindWindowByClass(kProductWindowClass);
    if (!window) {
      log_.Write(std::string("the product is running, but no window of class ") + kProductWindowClass + " was found");
      return false;
    }
    productProcess_ = OpenProductProcess(*window);
    if (const auto error = session_.platform.desktop.PostToWindow(*window, win::kWmQuit); error != win::kErrorSuccess) {
      log_.WriteFailure("the product is running, but WM_QUIT could not be posted to it", error);
      return false;
    }
    log_.Write("the product is running: told it to quit");
    return true;
  }

  // The product's process, opened before WM_QUIT so that its id cannot pass to another process in
  // between; nullptr when it cannot be had, and then the data file's exclusive-open tries stand in.
  platform::WaitableProcessPtr OpenProductProcess(platform::WindowId window) {
    platform::DesktopApi& desktop = session_.platform.desktop;
    const std::optional<std::uint32_t> processId = desktop.TryWindowProcessId(window);
    if (!processId) {
      log_.Write("the product's process cannot be told from its window");
      return nullptr;
    }
    auto process = session_.platform.system.OpenProcessToWaitFor(*processId);
    if (!process.ok()) {
      log_.WriteFailure("the product's process cannot be opened to wait for it", process.error);
      return nullptr;
    }
    // The id was read before the process was opened: a window still owned by that id shows that the
    // handle is the product's, not that of a later process that took over the id of an ended one.
    if (desktop.TryWindowProcessId(window) != processId) {
      log_.Write("the product's window went away while its process was opened");
      return nullptr;
    }
    return std::move(process.value);
  }

  // Waits for the product told to quit to end, once: later calls go by that outcome, so that the run
  // waits at most kProductEndWaitMs in all. Returns at once when the process ends.
  void WaitForProductToEnd() {
    if (!productProcess_ || productWaitedFor_) return;
    productWaitedFor_ = true;
    const platform::WinError outcome = productProcess_->WaitForEnd(kProductEndWaitMs);
    if (outcome == win::kErrorSuccess) {
      log_.Write("the product has ended");
    } else if (outcome == win::kWaitTimeout) {
      log_.Write("the product still runs after " + std::to_string(kProductEndWaitMs) +
                 " ms of waiting; going on all the same");
    } else {
      log_.WriteFailure("the product cannot be waited for; going on all the same", outcome);
    }
  }

  // A product that guards against a second copy of itself refuses to start while its old copy still
  // holds the shared-memory object, so the old copy is waited for first.
  void StartProductOnceEnded() {
    WaitForProductToEnd();
    static_cast<void>(StartProduct(session_, log_));  // it logs which way it went
  }

  // Everything from the version pre-check to the completion question, once a running product was told
  // to quit.
  int UpdateClosedProduct() {
    if (quietMode_) {
      WaitForRunningProduct();
    } else if (auto declined = AskBeforeInstalling()) {
      return *declined;
    }
    reachedTheWrite_ = true;
    const InstallOutcome outcome = InstallPayload();
    if (!RecordFolderSize(session_, log_)) return kExitFailed;
    return Finish(outcome);
  }

  bool OwnFileIsIntact() {
    switch (CheckOwnIntegrity(session_.platform)) {
      case IntegrityResult::Intact:
        log_.Write("this program's own file is intact");
        return true;
      case IntegrityResult::Damaged:
        log_.Write("this program's own file is damaged");
        ShowLangError(language_, GetLangLines(language_, "badinstaller"));
        return false;
      case IntegrityResult::Unreadable:
        log_.Write("this program's own file cannot be read");
        ShowLangError(language_, GetLangLines(language_, "verificationfail"));
        return false;
    }
    return false;
  }

  std::string InstalledPath() const { return session_.Environment.ProductFolder + settings_.PayloadFileName; }

  // Quiet mode asks nothing, but a product told to quit may need a moment to let go of its data file:
  // the write waits for its process to end or, where that could not be had, for the file with the same
  // tries as before the version comparison; then it goes ahead either way and reports its own failure.
  void WaitForRunningProduct() {
    if (!productToldToQuit_) return;
    if (productProcess_) {
      WaitForProductToEnd();
      return;
    }
    if (!IsExistingFile(session_.platform.files, InstalledPath())) return;
    int tries = 0;
    if (OpenInstalledFileAlone(tries)) {
      log_.Write("the product let go of the data file after " + std::to_string(tries) + " tries");
    } else {
      log_.Write("the data file is still held after " + std::to_string(tries) + " tries; writing all the same");
    }
  }

  // The version pre-check and the questions; an exit code when the user declines or the installed file
  // stays locked.
  std::optional<int> AskBeforeInstalling() {
    const std::string installedPath = InstalledPath();
    // Only a file is the installed data file: a folder of that name has no version to read, and the
    // write reports that it cannot replace it.
    if (IsExistingFile(session_.platform.files, installedPath)) {
      auto installedVersion = ReadInstalledVersion();
      if (!installedVersion) {
        log_.Write("the installed data file is still held after " + std::to_string(kInstalledFileTries) + " tries");
        ShowLangError(language_, GetLangLinesFmt(language_, "filecantopen", {installedPath}));
        return kExitFailed;
      }
      log_.Write("installed data file version " + std::to_string(*installedVersion) + ", this update's version " +
                 payloadVersionText_);
      if (settings_.PayloadVersion < *installedVersion &&
          !AskLangQuestion(language_, GetLangText(language_, "soundquest"),
                           GetLangLinesFmt(language_, "olderfilever", {settings_.PayloadFileName}))) {
        return kExitDeclined;
      }
    } else {
      log_.Write("no installed data file: " + installedPath);
    }
    const std::string caption = GetLangText(language_, "liveupdatecaption");
    const std::string payloadName = GetLangText(language_, settings_.PayloadDisplayKey) + " " + payloadVersionText_;
    if (!AskLangQuestion(language_, GetLangText(language_, "soundquest"),
                         GetLangLinesFmt(language_, "installask", {caption, payloadName}))) {
      return kExitDeclined;
    }
    return std::nullopt;
  }

  // The installed data file opened with no sharing at all, which succeeds only once no other process
  // holds it; up to kInstalledFileTries tries, kInstalledFileRetryMs apart. tries: how many were made.
  platform::OpenFilePtr OpenInstalledFileAlone(int& tries) {
    const std::string path = InstalledPath();
    for (tries = 1; tries <= kInstalledFileTries; ++tries) {
      auto opened = session_.platform.files.Open(path, win::kGenericRead, win::kFileShareNone, win::kOpenExisting);
      if (opened.ok()) return std::move(opened.value);
      session_.platform.system.Sleep(kInstalledFileRetryMs);
    }
    tries = kInstalledFileTries;
    return nullptr;
  }

  // The installed file's version from its head; nullopt when it stayed locked through every attempt.
  std::optional<std::int32_t> ReadInstalledVersion() {
    int tries = 0;
    platform::OpenFilePtr file = OpenInstalledFileAlone(tries);
    if (!file) return std::nullopt;
    const auto head = file->Read(kDataFileHeadSize);
    return InstalledVersionFromHead(head.ok() ? head.value : std::string(), payloadIs3bs_);
  }

  InstallOutcome InstallPayload() {
    const std::string& fileName = settings_.PayloadFileName;
    const std::string baseName = fileName.substr(0, fileName.size() - payloadExt_.size());
    const std::string kind = payloadExt_.empty() ? std::string() : payloadExt_.substr(1);
    const std::string destination = session_.Environment.ProductFolder + baseName + "." + kind;
    const InstallResult installed =
        InstallEmbeddedFile(language_, baseName, kind, destination, /*checkVersions=*/false);
    if (installed.outcome == InstallOutcome::Written) {
      log_.Write("data file written: " + destination);
    } else {
      log_.WriteFailure("data file not written: " + destination, installed.error);
    }
    return installed.outcome;
  }

  // A failed write is not followed by the completion question, which would report it as done. In quiet
  // mode the product is started by Run.
  int Finish(InstallOutcome outcome) {
    if (!quietMode_ && outcome == InstallOutcome::Written) {
      if (AskToRun()) StartProductOnceEnded();
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
    const std::string caption = GetLangText(language_, "liveupdatecaption");
    const std::string done = GetLangTextFmt(
        language_, "installdone",
        {caption + " (" + GetLangText(language_, settings_.PayloadDisplayKey) + " " + payloadVersionText_ + ")"});
    return AskLangQuestion(language_, caption, done + "\r\n\r\n" + GetLangText(language_, "asktorun"));
  }

  Session& session_;
  const LanguageContext language_;  ///< the session as the language support and the installation see it
  const DriverSettings& settings_;
  RunLog& log_;
  std::string payloadExt_;
  bool payloadIs3bs_ = false;
  std::string payloadVersionText_;  ///< PayloadVersion in decimal
  bool quietMode_ = false;
  bool runApp_ = false;
  bool productToldToQuit_ = false;
  platform::WaitableProcessPtr productProcess_;  ///< the product told to quit, when its process could be had
  bool productWaitedFor_ = false;
  bool reachedTheWrite_ = false;
};

}  // namespace

int RunUpdate(Session& session, const DriverSettings& settings, RunLog& log) {
  return UpdateSequence(session, settings, log).Run();
}

}  // namespace velora
