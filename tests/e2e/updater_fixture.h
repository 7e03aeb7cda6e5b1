// What every end-to-end test of the updater shares: a product installation in the prefix, a run of the
// real VeloraUpdate.exe under the box robot, and the checks that follow every run.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "installation.h"
#include "robot.h"

namespace velora::e2e {

inline constexpr char kProductFolder[] = "C:\\Program Files\\Velora\\";
inline constexpr int kExitWritten = 0;
inline constexpr int kExitDeclined = 1602;
inline constexpr int kExitFailed = 1603;

inline std::string EmbeddedDataFile() {
  std::ifstream in(WinePath(VELORA_PAYLOAD_HOST_PATH), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string LanguageFile(const char* name) { return WinePath(std::string(VELORA_E2E_LANG_DIR) + "/" + name); }

/// The default installation: the stand-in holding its data file and letting it go on WM_QUIT, both
/// language files, an installed data file of the given version, the uninstall entry in the 64-bit view.
inline InstallSpec DefaultInstall(std::optional<int> installedVersion = 0) {
  return InstallSpec{.folder = kProductFolder,
                     .standInIni = "hold=vlfw.3bs\r\nrelease_on_quit=1\r\n",
                     .languageFiles = {LanguageFile("english.lng"), LanguageFile("russian.lng")},
                     .dataFileVersion = installedVersion,
                     .dataFileSize = 100000,
                     .estimatedSize = 1};
}

class UpdaterTest : public ::testing::Test {
 protected:
  RobotResult RunUpdater(std::vector<Answer> answers, const std::wstring& arguments = L"",
                         const std::string& exe = WinePath(VELORA_UPDATER_EXE)) {
    RobotRun run;
    run.exePath = FromUtf8(exe);
    run.arguments = arguments;
    run.answers = std::move(answers);
    run.defaultAnswer = Answer::No;
    run.timeLimitMs = 60000;
    RobotResult result = RunUnderRobot(run);
    EXPECT_FALSE(result.timedOut);
    EXPECT_FALSE(result.startFailed);
    return result;
  }

  /// After every run: no temporary copy is left, and the data file is either the embedded one or as before.
  void ExpectDataFile(bool written, const std::string& before) {
    EXPECT_FALSE(TildeFileExists(kProductFolder));
    const auto now = ReadFileBytes(std::string(kProductFolder) + kDataFileName);
    ASSERT_TRUE(now);
    if (written) {
      EXPECT_TRUE(*now == embedded_) << "the data file is not the embedded one";
    } else {
      EXPECT_TRUE(*now == before) << "the data file changed";
    }
  }

  /// "EstimatedSize" in the entry where the product was found equals the folder's size in KiB.
  void ExpectSizeRecorded(RegistryView view) {
    EXPECT_EQ(ReadEstimatedSize(view), FolderSizeKiB(kProductFolder));
  }

  int StartsLogged() const {
    int starts = 0;
    for (const auto& line : StandInLogLines(kProductFolder)) starts += line.find(" start cmd=") != std::string::npos;
    return starts;
  }

  const std::string embedded_ = EmbeddedDataFile();
};

}  // namespace velora::e2e
