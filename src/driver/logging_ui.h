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
  std::optional<platform::WindowId> TryFindWindowByClass(const std::string& className) override {
    return ui_.TryFindWindowByClass(className);
  }
  platform::WinError PostToWindow(platform::WindowId window, std::uint32_t message) override {
    return ui_.PostToWindow(window, message);
  }
  int GetSystemMetrics(int index) override { return ui_.GetSystemMetrics(index); }
  platform::WinResult<std::string> ConvertOemToAnsi(const std::string& oemText) override {
    return ui_.ConvertOemToAnsi(oemText);
  }
  std::optional<std::uint32_t> TryShellProcessId() override { return ui_.TryShellProcessId(); }
  std::optional<std::uint32_t> TryWindowProcessId(platform::WindowId window) override {
    return ui_.TryWindowProcessId(window);
  }

 private:
  platform::UiApi& ui_;
  RunLog& log_;
};

}  // namespace velora
