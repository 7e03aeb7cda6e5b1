// The box robot against box_demo.exe, run with a Russian locale (ANSI code page 1251).
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

TEST(BoxRobot, RecordsEachBoxAndAnswersInScriptOrder) {
  const RobotResult result = RunUnderRobot(DemoRun({Answer::No, Answer::Ok}));
  ASSERT_FALSE(result.timedOut);
  ASSERT_EQ(result.boxes.size(), 2u);

  const BoxRecord& question = result.boxes[0];
  EXPECT_EQ(question.caption, "Demo question");
  EXPECT_EQ(question.text, "Continue the demo?");
  EXPECT_EQ(question.buttons, (std::vector<Answer>{Answer::Yes, Answer::No}));
  EXPECT_TRUE(question.topmost());
  EXPECT_EQ(question.answerGiven, Answer::No);

  const BoxRecord& error = result.boxes[1];
  EXPECT_EQ(error.caption, Utf8(u8"Демо"));
  EXPECT_EQ(error.text, Utf8(u8"Ошибка: файл не найден."));
  EXPECT_EQ(error.buttons, std::vector<Answer>{Answer::Ok});
  EXPECT_FALSE(error.topmost());
  EXPECT_LE(question.appearedAtMs, error.appearedAtMs);

  EXPECT_EQ(result.exitCode, static_cast<DWORD>(IDNO * 100 + IDOK));
}

TEST(BoxRobot, PressesTheDefaultButtonOnceTheScriptRunsOut) {
  const RobotResult result = RunUnderRobot(DemoRun({}));
  ASSERT_EQ(result.boxes.size(), 2u);
  EXPECT_EQ(result.boxes[0].answerGiven, Answer::Yes);  // a Yes/No box's first button is its default
  EXPECT_EQ(result.exitCode, static_cast<DWORD>(IDYES * 100 + IDOK));
}

TEST(BoxRobot, KillsAProgramThatOutlivesTheTimeLimit) {
  RobotRun run = DemoRun({});
  run.arguments = L"hang";
  run.timeLimitMs = 1000;
  const RobotResult result = RunUnderRobot(run);
  EXPECT_TRUE(result.timedOut);
  EXPECT_TRUE(result.boxes.empty());
}

TEST(BoxRobot, PassesExtraEnvironmentToTheProgram) {
  RobotRun run = DemoRun({});
  run.arguments = L"env";
  run.extraEnvironment = {L"VELORA_DEMO_EXIT=42"};
  EXPECT_EQ(RunUnderRobot(run).exitCode, 42u);
}

TEST(BoxRobot, SavesABitmapOfEachBox) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "box-robot-shots\\";
  RemoveFolder(folder);
  CreateDirectoryA(folder.c_str(), /*lpSecurityAttributes=*/nullptr);
  RobotRun run = DemoRun({});
  run.screenshotFolder = FromUtf8(folder.substr(0, folder.size() - 1));
  RunUnderRobot(run);
  for (const char* name : {"box-1.bmp", "box-2.bmp"}) {
    const auto bytes = ReadFileBytes(folder + name);
    ASSERT_TRUE(bytes) << name;
    EXPECT_EQ(bytes->substr(0, 2), "BM");
    EXPECT_GT(bytes->size(), 1000u);
  }
  RemoveFolder(folder);
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
