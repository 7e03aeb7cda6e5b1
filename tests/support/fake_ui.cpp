#include "support/fake_ui.h"

#include "platform/win_constants.h"

namespace velora::fakes {

platform::WinResult<int> FakeUi::ShowMessageBox(const platform::MessageBoxRequest& request) {
  journal_.push_back("MessageBox " + request.caption);
  boxes.push_back(request);
  if (auto failure = failures.find(boxes.size() - 1); failure != failures.end()) {
    return platform::Failed<int>(failure->second);
  }
  if (!answers.empty()) {
    const int answer = answers.front();
    answers.pop_front();
    return platform::Succeeded(answer);
  }
  return platform::Succeeded((request.style & 0xF) == win::kMbYesNo ? win::kIdNo : win::kIdOk);
}

std::optional<platform::WindowId> FakeDesktop::TryFindWindowByClass(const std::string& className) {
  journal_.push_back("FindWindow " + className);
  auto window = windows.find(className);
  if (window == windows.end()) return std::nullopt;
  return window->second;
}

platform::WinError FakeDesktop::PostToWindow(platform::WindowId window, std::uint32_t message) {
  // PostMessageA to window 0 succeeds: Windows posts the message to the calling thread's own queue,
  // so a WM_QUIT posted there would end this program's message loop. Recorded like any other post.
  journal_.push_back("PostMessage");
  posts.push_back({window, message});
  return postFailure.value_or(win::kErrorSuccess);
}

std::optional<std::uint32_t> FakeDesktop::TryShellProcessId() {
  journal_.push_back("GetShellWindow");
  return shellProcessId;
}

std::optional<std::uint32_t> FakeDesktop::TryWindowProcessId(platform::WindowId window) {
  journal_.push_back("GetWindowThreadProcessId");
  auto process = windowProcesses.find(window);
  if (process == windowProcesses.end()) return std::nullopt;
  return process->second;
}

}  // namespace velora::fakes
