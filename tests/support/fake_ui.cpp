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

std::optional<platform::WindowId> FakeUi::TryFindWindowByClass(const std::string& className) {
  journal_.push_back("FindWindow " + className);
  auto window = windows.find(className);
  if (window == windows.end()) return std::nullopt;
  return window->second;
}

platform::WinError FakeUi::PostToWindow(platform::WindowId window, std::uint32_t message) {
  // PostMessageA to window 0 succeeds: Windows posts the message to the calling thread's own queue,
  // so a WM_QUIT posted there would end this program's message loop. Recorded like any other post.
  journal_.push_back("PostMessage");
  posts.push_back({window, message});
  return win::kErrorSuccess;
}

int FakeUi::GetSystemMetrics(int index) {
  auto metric = metrics.find(index);
  return metric == metrics.end() ? 0 : metric->second;
}

platform::WinResult<std::string> FakeUi::ConvertOemToAnsi(const std::string& oemText) {
  std::string ansi = oemText;
  for (char& c : ansi) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 && byte <= 0xAF)
      c = static_cast<char>(byte + 0x40);  // А..п
    else if (byte >= 0xE0 && byte <= 0xEF)
      c = static_cast<char>(byte + 0x10);  // р..я
  }
  return platform::Succeeded(std::move(ansi));
}

std::optional<std::uint32_t> FakeUi::TryShellProcessId() {
  journal_.push_back("GetShellWindow");
  return shellProcessId;
}

std::optional<std::uint32_t> FakeUi::TryWindowProcessId(platform::WindowId window) {
  journal_.push_back("GetWindowThreadProcessId");
  auto process = windowProcesses.find(window);
  if (process == windowProcesses.end()) return std::nullopt;
  return process->second;
}

}  // namespace velora::fakes
