#include "driver/entry_point.h"

#include "driver/logging_ui.h"
#include "driver/product.h"
#include "driver/run_log.h"
#include "driver/update_sequence.h"
#include "environment/install_environment.h"
#include "driver/session.h"
#include "payload_info.h"

namespace velora {
namespace {

// The command-line parameters as one text, each in quotation marks when it holds a blank.
std::string CommandLineText(const std::vector<std::string>& arguments) {
  std::string text;
  for (const auto& argument : arguments) {
    if (!text.empty()) text += ' ';
    text += argument.find(' ') == std::string::npos ? argument : "\"" + argument + "\"";
  }
  return text;
}

}  // namespace

int RunUpdater(platform::Platform& platform, std::vector<std::string> arguments) {
  // First of all, before start-up code loads anything: an elevated program run from a download folder
  // must never load a DLL planted beside it, so DLLs come from the system folder only.
  const platform::WinError systemFolderOnly =
      platform.ownModule.SetDefaultDllDirectories(win::kLoadLibrarySearchSystem32);
  platform::WinError withoutCurrentFolder = win::kErrorSuccess;
  if (systemFolderOnly != win::kErrorSuccess) {
    // Windows 7 without its loader update: at least the current folder leaves the search order. The
    // exe's own folder stays in it, but no DLL is then looked up by name: the imports are DLLs Windows
    // always takes from the system folder, and every other DLL is loaded by its full path there. Should
    // this fail too, there is nothing left to narrow; the log says so.
    withoutCurrentFolder = platform.ownModule.SetDllFolder("");
  }

  // A service's copy of this program, started in a user's session to reach the product's window there.
  if (arguments.size() == 1 && arguments[0] == kAskProductToQuitArgument) {
    return AskProductOnThisDesktopToQuit(platform.desktop);
  }

  // Every box of the run goes through the logging seam, so that the log holds each with its answer.
  RunLog log(platform.files, platform.text, platform.machine);
  LoggingUi loggingUi(platform.ui, log);
  platform::Platform logged = platform.WithUi(loggingUi);

  Session session(logged, std::move(arguments));
  log.Open(FindTempFolder(platform.machine));
  log.Write(std::string("VeloraUpdate ") + VELORA_UPDATER_VERSION + ", data file " + VELORA_PAYLOAD_FILE_NAME +
            " version " + std::to_string(VELORA_PAYLOAD_VERSION) +
            ", command line: " + CommandLineText(session.Arguments));
  log.Write("Windows: " + session.Startup.WindowsName);
  if (systemFolderOnly != win::kErrorSuccess) {
    log.WriteFailure("DLLs cannot be limited to the system folder", systemFolderOnly);
    if (withoutCurrentFolder != win::kErrorSuccess) {
      log.WriteFailure("the current folder cannot be taken out of the DLL search order", withoutCurrentFolder);
    }
  }

  const DriverSettings settings =
      MakeDriverSettings(VELORA_PAYLOAD_DISPLAY_KEY, VELORA_PAYLOAD_FILE_NAME, VELORA_PAYLOAD_VERSION);
  const int exitCode = RunUpdate(session, settings, log);
  log.Write("exit code " + std::to_string(exitCode));
  return exitCode;
}

}  // namespace velora
