#include "sysinfo/console_command.h"

#include "base/path_rule.h"
#include "platform/win_constants.h"

namespace velora {
namespace {

constexpr std::size_t kTempNameLength = 8;
constexpr std::size_t kReadChunk = 4096;

std::string RandomTempName(std::minstd_rand& random) {
  std::string name;
  for (std::size_t i = 0; i < kTempNameLength; ++i) name += static_cast<char>('a' + random() % 26);
  return name;
}

/// The file's whole contents; whatever was read before an error when reading fails, empty when it
/// cannot be opened.
std::string ReadWholeFile(platform::FileApi& files, const std::string& path) {
  auto opened = files.Open(path, win::kGenericRead, win::kFileShareRead, win::kOpenExisting);
  if (!opened.ok() || opened.value == nullptr) return {};
  std::string bytes;
  for (;;) {
    auto chunk = opened.value->Read(kReadChunk);
    if (!chunk.ok() || chunk.value.empty()) break;
    bytes += chunk.value;
  }
  return bytes;  // the file closes here, before the caller deletes it
}

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

std::string RunConsoleCommand(platform::Platform& platform, std::minstd_rand& random, const std::string& command) {
  // The system's own interpreter, never the one %ComSpec% names: the user's environment is theirs to
  // set, and this program runs elevated. /d keeps the AutoRun commands of the registry from running.
  std::string interpreter = platform.system.SystemDirectory().value;
  if (interpreter.empty()) return {};
  AddBackslash(interpreter);
  interpreter += "cmd.exe";

  std::string folder = platform.system.EnvironmentVariable("Temp").value;  // empty when it is not set
  AddBackslash(folder);
  const std::string path = folder + RandomTempName(random);
  const std::string commandLine = "\"" + interpreter + "\" /d /c " + command + " > \"" + path + "\"";

  // Whether or not the interpreter started, the file is read (a missing one gives one empty line)
  // and removed, so that no temporary file outlives the call.
  static_cast<void>(platform.system.RunProcessAndWait(commandLine, win::kCreateNewConsole | win::kCreateNewProcessGroup,
                                                      win::kSwHide));
  const std::string output = LinesWithCrLf(ReadWholeFile(platform.files, path));
  static_cast<void>(platform.files.Delete(path));  // a file that cannot be deleted cannot be helped
  return OemToAnsiText(platform.system, output);
}

std::string OemToAnsiText(platform::SystemApi& system, const std::string& source) {
  if (source.empty()) return {};
  auto converted = system.ConvertOemToAnsi(source);
  // OemToCharBuffA does not fail on a buffer it was given; should it, the bytes are shown as they came.
  if (converted.ok()) return std::move(converted.value);
  return source;
}

}  // namespace velora
