// The main flow for a Russian user (run with a Russian locale): the texts come from russian.lng and the
// boxes carry its captions.
#include <windows.h>

#include <algorithm>

#include "updater_fixture.h"

namespace velora::e2e {
namespace {

// The robot reports texts in UTF-8; the build turns plain literals into Windows-1251, u8 ones it does not.
std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

TEST_F(UpdaterTest, RussianUserSeesTheRussianLanguageFile) {
  ASSERT_EQ(GetUserDefaultLCID(), 1049u) << "run with LC_ALL=ru_RU.UTF-8";
  DeleteFileA(UpdaterLogPath().c_str());
  Installation install(DefaultInstall(0));
  const std::string before = *ReadFileBytes(install.path(kDataFileName));

  const RobotResult result = RunUpdater({Answer::Yes, Answer::No});

  ASSERT_EQ(result.boxes.size(), 2u);
  EXPECT_EQ(result.boxes[0].caption, Utf8(u8"Вопрос"));
  EXPECT_EQ(result.boxes[0].text, Utf8(u8"Будет установлено обновление \"Обновление данных \"Велоры\"\".\r\n"
                                       u8"Оно содержит Библиотека данных \"Велора\" 1.\r\nПродолжить?"));
  EXPECT_EQ(result.boxes[1].caption, Utf8(u8"Обновление данных \"Велоры\""));
  EXPECT_EQ(result.boxes[1].text,
            Utf8(u8"Обновление данных \"Велоры\" (Библиотека данных \"Велора\" 1) успешно установлено.\r\n\r\n"
                 u8"Запустить программу \"Велора\" сейчас?"));
  EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitWritten));
  ExpectDataFile(/*written=*/true, before);
  ExpectSizeRecorded(RegistryView::Bits64);

  // The log holds the Russian texts as UTF-8, readable whatever the reader's code page.
  const auto log = UpdaterLogLines();
  EXPECT_NE(std::find(log.begin(), log.end(),
                      Utf8(u8"box \"Вопрос\": Будет установлено обновление \"Обновление данных \"Велоры\"\". / "
                           u8"Оно содержит Библиотека данных \"Велора\" 1. / Продолжить? -> Yes")),
            log.end());
  EXPECT_EQ(log.back(), "exit code 0");
}

TEST_F(UpdaterTest, RussianUserWithoutAnInstalledProductGetsTheRussianFixedText) {
  InstallSpec spec = DefaultInstall(0);
  spec.withStandIn = false;
  Installation install(spec);
  const RobotResult result = RunUpdater({});
  ASSERT_EQ(result.boxes.size(), 1u);
  EXPECT_EQ(result.boxes[0].caption, Utf8(u8"Обновление программы \"Велора\""));
  EXPECT_EQ(result.boxes[0].text,
            Utf8(u8"Нет установленной программы \"Велора\"!\r\nПожалуйста, сначала установите её."));
}

}  // namespace
}  // namespace velora::e2e
