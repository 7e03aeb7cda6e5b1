#include "driver/entry_point.h"

#include "driver/update_sequence.h"
#include "environment/session.h"
#include "payload_info.h"

namespace velora {

int RunUpdater(platform::Platform& platform, std::vector<std::string> arguments) {
  // First of all, before start-up code loads anything: an elevated program run from a download folder
  // must never load a DLL planted beside it, so DLLs come from the system folder only.
  platform.system.SetDefaultDllDirectories(win::kLoadLibrarySearchSystem32);

  Session session(platform, std::move(arguments));
  DriverSettings settings;
  settings.PayloadDisplayKey = VELORA_PAYLOAD_DISPLAY_KEY;
  settings.PayloadFileName = VELORA_PAYLOAD_FILE_NAME;
  settings.PayloadVersion = VELORA_PAYLOAD_VERSION;
  return RunUpdate(session, settings);
}

}  // namespace velora
