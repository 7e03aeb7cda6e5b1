#include "driver/update_sequence.h"

#include <optional>

#include "base/ascii_case.h"
#include "driver/folder_size.h"
#include "driver/install_boxes.h"
#include "driver/integrity_check.h"
#include "driver/product.h"
#include "driver/run_log.h"
#include "driver/session.h"
#include "driver/update_questions.h"
#include "environment/install_environment.h"
#include "environment/message_box.h"
#include "install/embedded_file.h"
#include "install/existing_file.h"
#include "install/version_readers.h"
#include "language/language_boxes.h"
#include "language/language_loader.h"
#include "language/lookups.h"

namespace velora {
namespace {

// Discovery and what it says of where the product folder came from; false when the registry could not be
// read (discovery has shown its box).
bool FindProduct(Session& session, RunLog& log) {
  const Discovery found = DiscoverEnvironment(session.platform, session.Startup, session.Names, session.Environment);
  if (found.failure == Discovery::Failure::Folders) {
    log.Write("the registry cannot be read: no product folder");
    return false;
  }
  log.Write("product folder found: " + found.entryFolder);
  if (found.failure == Discovery::Failure::LastRunFolder) {
    log.WriteFailure(std::string(kLastRunFolderValue) + " cannot be read as a folder", found.error);
    return false;
  }
  if (found.fromLastRunFolder) {
    log.Write(std::string("product folder from ") + kLastRunFolderValue + ": " + session.Environment.ProductFolder);
  }
  return true;
}

// The installed product's program; nullopt, after the fixed-text box, when it is not there.
std::optional<ProductLocation> FindInstalledProgram(Session& session, RunLog& log) {
  ProductLocation product{session.Environment.ProductFolder,
                          ProductExecutablePath(session.Environment.ProductFolder, session.Names.AppName)};
  if (IsExistingFile(session.platform.files, product.executable)) return product;
  log.Write("the product is not installed: no " + product.executable);
  ShowFixedError(session.platform.ui, session.Startup, session.Names,
                 "There's no Velora installed.\r\nPlease install the program first.",
                 "Нет установленной программы \"Велора\"!\r\nПожалуйста, сначала установите её.");
  return std::nullopt;
}

/// The update of a product that discovery found installed, one step a method; each returns the exit code
/// when the sequence ends there.
class UpdateSequence {
 public:
  UpdateSequence(Session& session, ProductLocation product, const DriverSettings& settings, RunLog& log)
      : session_(session),
        language_(LanguageContextOf(session)),
        settings_(settings),
        log_(log),
        dataFilePath_(product.folder + settings.PayloadFileName),
        product_(session.platform, std::move(product)) {}

  int Run() {
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
    if (!OwnFileIsIntact(language_, log_)) return kExitFailed;
    // Quiet mode writes the whole copy while the product still runs, which is then away only for the
    // replacement; a copy that cannot be written leaves it running, as a damaged package does.
    if (quietMode_ && !StagePayload()) return kExitFailed;
    productToldToQuit_ = product_.TellToQuit(log_);
    return UpdateClosedProduct();
  }

 private:
  void LogLanguage() {
    const LanguageTable& language = session_.Language;
    if (language.CurrentLang >= 0 && static_cast<std::size_t>(language.CurrentLang) < language.Files.size()) {
      log_.Write("language file: " + language.Files[static_cast<std::size_t>(language.CurrentLang)].file);
    }
  }

  // A product that guards against a second copy of itself refuses to start while its old copy still
  // holds the shared-memory object, so the old copy is waited for first.
  void StartProductOnceEnded() {
    if (product_.RunsUntold()) {
      log_.Write("the product still runs, as it could not be told to quit: it is not started a second time");
      return;
    }
    product_.WaitForEnd(log_);
    static_cast<void>(product_.Start(log_));  // it logs which way it went
  }

  // Everything from the version pre-check to the completion question, once a running product was told
  // to quit.
  int UpdateClosedProduct() {
    if (quietMode_) {
      WaitForRunningProduct();
    } else if (const Agreement agreed = AskBeforeInstalling(); agreed != Agreement::GoOn) {
      return agreed == Agreement::Declined ? kExitDeclined : kExitFailed;
    }
    // Interactive mode stages the copy only after the install question's Yes, so a No leaves nothing.
    const InstallOutcome outcome = (quietMode_ || StagePayload()) ? ReplaceWithPayload() : InstallOutcome::Failed;
    // With "runapp" the product is back before the folder's size is recorded, written or not: quiet mode
    // has no earlier end once the product was told to quit. The replaced file's space is freed after it.
    if (runApp_) StartProductOnceEnded();
    payload_.reset();
    if (!RecordFolderSize(session_, log_)) return kExitFailed;
    // A failed write is not followed by the completion question, which would report it as done. In quiet
    // mode the product is started above.
    if (!quietMode_ && outcome == InstallOutcome::Written && AskToStartProduct(language_, settings_)) {
      StartProductOnceEnded();
    }
    // The data file's copy compares no versions, so it is written or it failed.
    return outcome == InstallOutcome::Written ? kExitWritten : kExitFailed;
  }

  // Quiet mode asks nothing, but a product told to quit may need a moment to let go of its data file:
  // the write waits for its process to end or, where that could not be had, for the file with the same
  // tries as before the version comparison; then it goes ahead either way and reports its own failure.
  void WaitForRunningProduct() {
    if (!productToldToQuit_) return;
    if (product_.CanBeWaitedFor()) {
      product_.WaitForEnd(log_);
      return;
    }
    if (!IsExistingFile(session_.platform.files, dataFilePath_)) return;
    int tries = 0;
    if (TryOpenAlone(session_.platform, dataFilePath_, tries)) {
      log_.Write("the product let go of the data file after " + std::to_string(tries) + " tries");
    } else {
      log_.Write("the data file is still held after " + std::to_string(tries) + " tries; writing all the same");
    }
  }

  // The version pre-check and the questions: the update goes on, the user declined, or the installed
  // file stays locked.
  enum class Agreement { GoOn, Declined, FileHeld };

  Agreement AskBeforeInstalling() {
    // Only a file is the installed data file: a folder of that name has no version to read, and the
    // write reports that it cannot replace it.
    if (IsExistingFile(session_.platform.files, dataFilePath_)) {
      const auto installedVersion = TryReadInstalledVersion(session_.platform, dataFilePath_, settings_.PayloadIs3bs);
      if (!installedVersion) {
        log_.Write("the installed data file is still held after " + std::to_string(kOpenAloneTries) + " tries");
        ShowLangError(language_, GetLangLinesFmt(language_, "filecantopen", {dataFilePath_}));
        return Agreement::FileHeld;
      }
      log_.Write("installed data file version " + std::to_string(*installedVersion) + ", this update's version " +
                 settings_.PayloadVersionText);
      if (settings_.PayloadVersion < *installedVersion && !AskOlderFileQuestion(language_, settings_)) {
        return Agreement::Declined;
      }
    } else {
      log_.Write("no installed data file: " + dataFilePath_);
    }
    return AskInstallQuestion(language_, settings_) ? Agreement::GoOn : Agreement::Declined;
  }

  // The copy written and flushed beside the data file; false, after its box, when it cannot be.
  bool StagePayload() {
    payload_.emplace(session_.platform, installBoxes_, settings_.PayloadBaseName, settings_.PayloadKind, dataFilePath_,
                     /*checkVersions=*/false);
    const InstallResult staged = payload_->Stage();
    if (staged.outcome == InstallOutcome::Written) return true;
    log_.WriteFailure("data file not written: " + dataFilePath_, staged.error);
    return false;
  }

  InstallOutcome ReplaceWithPayload() {
    const InstallResult installed = payload_->Replace();
    if (installed.outcome == InstallOutcome::Written) {
      log_.Write("data file written: " + dataFilePath_);
    } else {
      log_.WriteFailure("data file not written: " + dataFilePath_, installed.error);
    }
    return installed.outcome;
  }

  Session& session_;
  const LanguageContext language_;  ///< the session as the language support sees it
  const WordedInstallBoxes installBoxes_{language_};
  const DriverSettings& settings_;
  RunLog& log_;
  const std::string dataFilePath_;  ///< the installed data file, in the product folder
  RunningProduct product_;
  std::optional<EmbeddedFileInstall> payload_;  ///< the data file's copy, from staged until it replaced the file
  bool quietMode_ = false;
  bool runApp_ = false;
  bool productToldToQuit_ = false;
};

}  // namespace

int RunUpdate(Session& session, const DriverSettings& settings, RunLog& log) {
  // Discovery looks for the product by these names, and they caption every box until a language file
  // names the program.
  session.Names = {
      .AppName = "Velora", .ProgName = "Обновление программы \"Велора\"", .EnglishProgName = "Velora update"};
  if (!FindProduct(session, log)) return kExitFailed;
  std::optional<ProductLocation> product = FindInstalledProgram(session, log);
  if (!product) return kExitFailed;
  // The language support reads its files from the product folder discovery has found.
  return UpdateSequence(session, std::move(*product), settings, log).Run();
}

}  // namespace velora
