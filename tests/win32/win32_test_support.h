// Shared pieces of the Wine-tier tests: build paths seen from Wine, and test doubles for the two parts of
// the seam that would otherwise block a test (message boxes) or start a thread (the progress window).
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/ui.h"
#include "support/wine_path.h"

namespace velora::wine_tests {

/// The real user-interface adapter, except that message boxes are recorded and answered with IDOK.
class RecordingUi final : public platform::UiApi {
 public:
  std::vector<platform::MessageBoxRequest> boxes;
  int ShowMessageBox(const platform::MessageBoxRequest& request) override {
    boxes.push_back(request);
    return 1;
  }
  platform::WindowId FindWindowByClass(const std::string& className) override { return real_.FindWindowByClass(className); }
  platform::WinError PostToWindow(platform::WindowId window, std::uint32_t message) override {
    return real_.PostToWindow(window, message);
  }
  int GetSystemMetrics(int index) override { return real_.GetSystemMetrics(index); }
  std::string ConvertOemToAnsi(const std::string& oemText) override { return real_.ConvertOemToAnsi(oemText); }

 private:
  win32::Win32Ui real_;
};

class NoProgressWindow final : public platform::ProgressWindowApi {
 public:
  void Show(const std::string&, const std::string&) override {}
  void Hide() override {}
  void SetTitle(const std::string&) override {}
  void SetText(const std::string&) override {}
};

}  // namespace velora::wine_tests
