// The user-interface seam with every message box written to the run's log: its caption, its text on
// one line and the answer. Every box of the updater goes through the one ShowMessageBox call, so
// wrapping it logs them all, whichever module shows them.
#pragma once

#include "driver/run_log.h"
#include "platform/ui_api.h"

namespace velora {

class LoggingUi final : public platform::UiApi {
 public:
  LoggingUi(platform::UiApi& ui, RunLog& log) : ui_(ui), log_(log) {}

  platform::WinResult<int> ShowMessageBox(const platform::MessageBoxRequest& request) override;

 private:
  platform::UiApi& ui_;
  RunLog& log_;
};

}  // namespace velora
