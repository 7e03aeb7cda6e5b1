#include "driver/logging_ui.h"

#include "platform/win_constants.h"

namespace velora {
namespace {

std::string AnswerName(int answer) {
  switch (answer) {
    case win::kIdOk:
      return "OK";
    case win::kIdYes:
      return "Yes";
    case win::kIdNo:
      return "No";
    case win::kIdCancel:
      return "Cancel";
    default:
      return std::to_string(answer);
  }
}

// A box's text on one log line: its line breaks become " / ".
std::string OneLine(const std::string& text) {
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (text[i] == '\r' || text[i] == '\n') {
      line += " / ";
    } else {
      line += text[i];
    }
  }
  return line;
}

}  // namespace

platform::WinResult<int> LoggingUi::ShowMessageBox(const platform::MessageBoxRequest& request) {
  const auto answer = ui_.ShowMessageBox(request);
  const std::string box = "box \"" + request.caption + "\": " + OneLine(request.text);
  if (answer.ok()) {
    log_.Write(box + " -> " + AnswerName(answer.value));
  } else {
    log_.WriteFailure(box + " -> not shown", answer.error);
  }
  return answer;
}

}  // namespace velora
