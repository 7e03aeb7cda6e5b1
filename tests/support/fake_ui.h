// Recorded message boxes answered from a script, and the desktop's windows: found by class, posted
// to, and owned by processes.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop_api.h"
#include "platform/ui_api.h"
#include "support/fake_journal.h"

namespace velora::fakes {

class FakeUi final : public platform::UiApi {
 public:
  explicit FakeUi(Journal& journal) : journal_(journal) {}

  std::vector<platform::MessageBoxRequest> boxes;  ///< every box shown, in order
  std::deque<int> answers;  ///< answers in order; when empty, OK boxes get IDOK and Yes/No boxes IDNO
  std::map<std::size_t, platform::WinError> failures;  ///< box number (from 0) -> the error it fails with

  platform::WinResult<int> ShowMessageBox(const platform::MessageBoxRequest& request) override;

 private:
  Journal& journal_;
};

class FakeDesktop final : public platform::DesktopApi {
 public:
  struct Post {
    platform::WindowId window;
    std::uint32_t message;
  };

  explicit FakeDesktop(Journal& journal) : journal_(journal) {}

  std::map<std::string, platform::WindowId> windows;  ///< windows by class name
  std::vector<Post> posts;
  std::map<platform::WindowId, std::uint32_t> windowProcesses;  ///< the process that owns each window
  std::optional<std::uint32_t> shellProcessId;                  ///< no desktop shell unless a test gives one
  std::optional<platform::WinError> postFailure;                ///< PostMessageA fails with this

  std::optional<platform::WindowId> TryFindWindowByClass(const std::string& className) override;
  platform::WinError PostToWindow(platform::WindowId window, std::uint32_t message) override;
  std::optional<std::uint32_t> TryWindowProcessId(platform::WindowId window) override;
  std::optional<std::uint32_t> TryShellProcessId() override;

 private:
  Journal& journal_;
};

}  // namespace velora::fakes
