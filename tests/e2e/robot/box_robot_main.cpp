// box_robot.exe [--answers yes,no] [--default no] [--timeout ms] [--log file] [--shots folder] -- program.exe [args...]
// Runs the program, answers its message boxes, writes the UTF-8 log and exits with the program's exit code.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "robot.h"

using namespace velora::e2e;

namespace {

std::wstring Quote(const std::wstring& arg) {
  return arg.find_first_of(L" \t") == std::wstring::npos && !arg.empty() ? arg : L"\"" + arg + L"\"";
}

int Usage() {
  std::fputs(
      "usage: box_robot [--answers yes,no] [--default answer] [--timeout ms] [--log file] [--shots folder]"
      " -- program.exe [args...]\n",
      stderr);
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  RobotRun run;
  std::wstring logPath;
  int i = 1;
  for (; i < argc; ++i) {
    const std::wstring option = argv[i];
    if (option == L"--") {
      ++i;
      break;
    }
    if (i + 1 >= argc) return Usage();
    const std::wstring value = argv[++i];
    if (option == L"--answers") {
      std::stringstream words(ToUtf8(value));
      for (std::string word; std::getline(words, word, ',');) {
        Answer answer;
        if (!ParseAnswer(word, answer)) return Usage();
        run.answers.push_back(answer);
      }
    } else if (option == L"--default") {
      if (!ParseAnswer(ToUtf8(value), run.defaultAnswer)) return Usage();
    } else if (option == L"--timeout") {
      run.timeLimitMs = static_cast<DWORD>(std::wcstoul(value.c_str(), nullptr, 10));
    } else if (option == L"--log") {
      logPath = value;
    } else if (option == L"--shots") {
      run.screenshotFolder = value;
    } else {
      return Usage();
    }
  }
  if (i >= argc) return Usage();
  run.exePath = argv[i];
  for (++i; i < argc; ++i) run.arguments += (run.arguments.empty() ? L"" : L" ") + Quote(argv[i]);

  const RobotResult result = RunUnderRobot(run);
  const std::string log = FormatLog(result);
  if (logPath.empty()) {
    std::fwrite(log.data(), 1, log.size(), stdout);
  } else {
    std::ofstream(std::filesystem::path(logPath), std::ios::binary) << log;
  }
  return static_cast<int>(result.exitCode);
}
