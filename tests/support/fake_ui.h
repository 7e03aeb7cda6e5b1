// Recorded message boxes answered from a script, windows found by class, posted messages, screen
// metrics and an OEM-to-ANSI conversion for Cyrillic (code page 866 to 1251).
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui_api.h"
#include "support/fake_journal.h"

namespace velora::fakes {

class FakeUi final : public platform::UiApi {
 public:
  struct Post {
    platform::WindowId window;
    std::uint32_t message;
  };

  explicit FakeUi(Journal& journal) : journal_(journal) {}

  std::vector<platform::MessageBoxRequest> boxes;  ///< every box shown, in order
  std::deque<int> answers;  ///< answers in order; when empty, OK boxes get IDOK and Yes/No boxes IDNO
  std::map<std::size_t, platform::WinError> failures;  ///< box number (from 0) -> the error it fails with
  std::map<std::string, platform::WindowId> windows;   ///< windows by class name
  std::vector<Post> posts;
  std::map<int, int> metrics{{0, 1024}, {1, 768}};
  std::optional<std::uint32_t> shellProcessId;  ///< no desktop shell unless a test gives one

  platform::WinResult<int> ShowMessageBox(const platform::MessageBoxRequest& request) override;
  std::optional<platform::WindowId> TryFindWindowByClass(const std::string& className) override;
  platform::WinError PostToWindow(platform::WindowId window, std::uint32_t message) override;
  int GetSystemMetrics(int index) override;
  platform::WinResult<std::string> ConvertOemToAnsi(const std::string& oemText) override;
  std::optional<std::uint32_t> TryShellProcessId() override;

  std::map<platform::WindowId, std::uint32_t> windowProcesses;  ///< the process that owns each window
  std::optional<std::uint32_t> TryWindowProcessId(platform::WindowId window) override;

 private:
  Journal& journal_;
};

}  // namespace velora::fakes
