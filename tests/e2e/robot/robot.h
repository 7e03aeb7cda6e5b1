// Runs a program and answers its message boxes from a script, recording what each box showed.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace velora::e2e {

enum class Answer { DefaultButton, Yes, No, Ok, Cancel };

struct RobotRun {
  std::wstring exePath;
  std::wstring arguments;                        // appended after the quoted exe path
  std::wstring workingFolder;                    // empty: the robot's own current folder
  std::vector<Answer> answers;                   // used in order, one per box
  Answer defaultAnswer = Answer::DefaultButton;  // once the script has run out
  DWORD timeLimitMs = 30000;
  std::wstring screenshotFolder;               // empty: no screenshots; otherwise box-N.bmp, N from 1
  std::vector<std::wstring> extraEnvironment;  // "NAME=value", added to or replacing the robot's own
};

struct BoxRecord {
  std::string caption;          // UTF-8
  std::string text;             // UTF-8
  std::vector<Answer> buttons;  // Yes/No/Ok/Cancel present on the box, in that order
  LONG style = 0;
  LONG exStyle = 0;
  Answer answerGiven = Answer::DefaultButton;
  DWORD appearedAtMs = 0;  // since the process was started
  bool topmost() const { return (exStyle & WS_EX_TOPMOST) != 0; }
};

struct RobotResult {
  std::vector<BoxRecord> boxes;
  DWORD exitCode = 0;
  bool timedOut = false;     // killed after the time limit
  bool startFailed = false;  // CreateProcess failed; exitCode holds GetLastError()
};

RobotResult RunUnderRobot(const RobotRun& run);

// "yes"/"no"/"ok"/"cancel"/"default"; false for anything else.
bool ParseAnswer(const std::string& word, Answer& answer);
const char* AnswerName(Answer answer);
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
// One readable block per box, then the exit line.
std::string FormatLog(const RobotResult& result);

}  // namespace velora::e2e
