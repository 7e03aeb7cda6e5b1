// The box robot against box_demo.exe, run with a Russian locale (ANSI code page 1251): one run of the
// command-line robot (the library under it records and answers the boxes, as every e2e test relies on),
// and the extra environment the ComSpec test of the updater passes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "installation.h"
#include "robot.h"

namespace velora::e2e {
namespace {

using ::testing::HasSubstr;

RobotRun DemoRun(std::vector<Answer> answers) {
  RobotRun run;
  run.exePath = FromUtf8(WinePath(VELORA_BOX_DEMO_EXE));
  run.answers = std::move(answers);
  run.timeLimitMs = 60000;
  return run;
}

std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

TEST(BoxRobot, PassesExtraEnvironmentToTheProgram) {
  RobotRun run = DemoRun({});
  run.arguments = L"env";
  run.extraEnvironment = {L"VELORA_DEMO_EXIT=42"};
  EXPECT_EQ(RunUnderRobot(run).exitCode, 42u);
}

TEST(BoxRobotCommandLine, WritesTheLogAndExitsWithTheProgramsCode) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string log = std::string(temp) + "box-robot-cli.log";
  DeleteFileA(log.c_str());
  RobotRun run;  // the robot under the robot: the outer one sees no boxes of its own child
  run.exePath = FromUtf8(WinePath(VELORA_BOX_ROBOT_EXE));
  run.arguments =
      L"--answers yes,ok --log \"" + FromUtf8(log) + L"\" -- \"" + FromUtf8(WinePath(VELORA_BOX_DEMO_EXE)) + L"\"";
  run.timeLimitMs = 60000;
  const RobotResult outer = RunUnderRobot(run);
  EXPECT_TRUE(outer.boxes.empty());
  EXPECT_EQ(outer.exitCode, static_cast<DWORD>(IDYES * 100 + IDOK));

  const std::string text = ReadFileBytes(log).value_or("");
  EXPECT_THAT(text, HasSubstr("caption: Demo question\r\ntext: Continue the demo?\r\nbuttons: yes no\r\n"));
  EXPECT_THAT(text, HasSubstr(" topmost\r\nanswer: yes\r\n"));
  EXPECT_THAT(text, HasSubstr(Utf8(u8"text: Ошибка: файл не найден.\r\nbuttons: ok\r\n")));
  EXPECT_THAT(text, HasSubstr("exit code: 601\r\n"));
  DeleteFileA(log.c_str());
}

}  // namespace
}  // namespace velora::e2e
