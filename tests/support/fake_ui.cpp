#include "support/fake_ui.h"

#include "platform/win_constants.h"

namespace velora::fakes {

int FakeUi::ShowMessageBox(const platform::MessageBoxRequest& request) {
  journal_.push_back("MessageBox " + request.caption);
  boxes.push_back(request);
  if (!answers.empty()) {
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  return (request.style & 0xF) == win::kMbYesNo ? win::kIdNo : win::kIdOk;
}

platform::WindowId FakeUi::FindWindowByClass(const std::string& className) {
  journal_.push_back("FindWindow " + className);
  auto window = windows.find(className);
  return window == windows.end() ? 0 : window->second;
}

platform::WinError FakeUi::PostToWindow(platform::WindowId window, std::uint32_t message) {
  journal_.push_back("PostMessage");
  if (window == 0) return win::kErrorInvalidHandle;
  posts.push_back({window, message});
  return win::kErrorSuccess;
}

int FakeUi::GetSystemMetrics(int index) {
  auto metric = metrics.find(index);
  return metric == metrics.end() ? 0 : metric->second;
}

std::string FakeUi::ConvertOemToAnsi(const std::string& oemText) {
  std::string ansi = oemText;
  for (char& c : ansi) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 && byte <= 0xAF) c = static_cast<char>(byte + 0x40);       // А..п
    else if (byte >= 0xE0 && byte <= 0xEF) c = static_cast<char>(byte + 0x10);  // р..я
  }
  return ansi;
}

}  // namespace velora::fakes
