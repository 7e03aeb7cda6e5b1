#include "sysinfo/console_command.h"

#include "base/path_rule.h"
#include "platform/win_constants.h"

namespace velora {
namespace {

// "ver" prints one line; a bound keeps an interpreter that prints without end from filling memory.
constexpr std::size_t kMaxOutputBytes = std::size_t{64} * 1024;

/// Every line followed by CR LF; lines end at LF, a CR right before it dropped. At least one line
/// is always taken, so empty bytes give a single empty line.
std::string LinesWithCrLf(const std::string& bytes) {
  std::string text;
  std::size_t start = 0;
  do {
    std::size_t end = bytes.find('\n', start);
    const bool lastLine = end == std::string::npos;
    if (lastLine) end = bytes.size();
    std::size_t lineEnd = end;
    if (!lastLine && lineEnd > start && bytes[lineEnd - 1] == '\r') --lineEnd;
    text.append(bytes, start, lineEnd - start);
    text += "\r\n";
    start = end + 1;
  } while (start < bytes.size());
  return text;
}

}  // namespace

std::string RunConsoleCommand(platform::Platform& platform, const std::string& command) {
  // The system's own interpreter, never the one %ComSpec% names: the user's environment is theirs to
  // set, and this program runs elevated. /d keeps the AutoRun commands of the registry from running.
  // The output comes through a pipe, so that nothing from the user's environment (such as a temporary
  // folder) goes on the command line and no file is made where the user could reach it.
  std::string interpreter = platform.machine.SystemDirectory().value;
  if (interpreter.empty()) return {};
  AddBackslash(interpreter);
  interpreter += "cmd.exe";
  const std::string commandLine = "\"" + interpreter + "\" /d /c " + command;
  // An interpreter that cannot start gives one empty line; a read that fails keeps what came before it.
  const auto output = platform.processes.RunProcessCapturingOutput(
      commandLine, win::kCreateNewConsole | win::kCreateNewProcessGroup, win::kSwHide, kMaxOutputBytes);
  return OemToAnsiText(platform.text, LinesWithCrLf(output.value));
}

std::string OemToAnsiText(platform::TextApi& text, const std::string& source) {
  if (source.empty()) return {};
  auto converted = text.ConvertOemToAnsi(source);
  // OemToCharBuffA does not fail on a buffer it was given; should it, the bytes are shown as they came.
  if (converted.ok()) return std::move(converted.value);
  return source;
}

}  // namespace velora
