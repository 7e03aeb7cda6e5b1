// A running product updating itself through "modest runapp": the updater waits for it to let go of its
// data file, and the product runs again afterwards, also when the update fails; and a product that
// refuses a second copy of itself is still started again.
#include <windows.h>

#include "updater_fixture.h"

namespace velora::e2e {
namespace {

InstallSpec SelfUpdatingInstall(const std::string& standInIni) {
  InstallSpec spec = DefaultInstall(0);
  spec.standInIni = standInIni;
  return spec;
}

class SelfUpdateTest : public UpdaterTest {
 protected:
  void TearDown() override { StopStandIns(); }

  void ExpectStartedAgainInItsFolder() {
    EXPECT_TRUE(WaitForStarts(2)) << "the product was not started again";
    const std::string lastStart = LastStartLogged();
    EXPECT_NE(lastStart.find("cwd=C:\\Program Files\\Velora"), std::string::npos) << lastStart;
    for (const auto& line : StandInLogLines(kProductFolder)) EXPECT_EQ(line.find("refused"), std::string::npos) << line;
  }
};

TEST_F(SelfUpdateTest, QuietRunappWaitsForAProductThatNeedsASecondToLetGo) {
  Installation install(SelfUpdatingInstall("hold=vlfw.3bs\r\nrelease_on_quit=1\r\nquit_delay_ms=1000\r\n"));
  const std::string before = *ReadFileBytes(install.path(kDataFileName));
  auto product = StartStandIn(kProductFolder);

  const RobotResult result = RunUpdater({}, L"modest runapp");

  EXPECT_TRUE(result.boxes.empty()) << FormatLog(result);
  EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitWritten));
  ExpectDataFile(/*written=*/true, before);
  ExpectSizeRecorded(RegistryView::Bits64);
  ExpectStartedAgainInItsFolder();
}

TEST_F(SelfUpdateTest, QuietRunappOverAProductThatNeverLetsGoReportsTheWriteAndStartsItAgain) {
  Installation install(SelfUpdatingInstall("hold=vlfw.3bs\r\nrelease_on_quit=0\r\n"));
  const std::string before = *ReadFileBytes(install.path(kDataFileName));
  auto product = StartStandIn(kProductFolder);

  const RobotResult result = RunUpdater({}, L"modest runapp");

  ASSERT_EQ(result.boxes.size(), 1u) << FormatLog(result);
  EXPECT_EQ(result.boxes[0].text, "Can't install file C:\\Program Files\\Velora\\vlfw.3bs");
  EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitFailed));
  TerminateProcess(product.get(), 0);
  WaitForSingleObject(product.get(), 5000);
  ExpectDataFile(/*written=*/false, before);
  ExpectStartedAgainInItsFolder();
}

TEST_F(SelfUpdateTest, AProductThatRefusesASecondCopyIsStartedAgainByYesAndByRunapp) {
  const std::string ini = "hold=vlfw.3bs\r\nrelease_on_quit=1\r\nsingle_copy=1\r\n";
  {
    Installation install(SelfUpdatingInstall(ini));
    auto product = StartStandIn(kProductFolder);
    const RobotResult result = RunUpdater({Answer::Yes, Answer::Yes});
    EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitWritten)) << FormatLog(result);
    ExpectStartedAgainInItsFolder();
  }
  {
    Installation install(SelfUpdatingInstall(ini));
    auto product = StartStandIn(kProductFolder);
    const RobotResult result = RunUpdater({}, L"MODEST RUNAPP");
    EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitWritten)) << FormatLog(result);
    ExpectStartedAgainInItsFolder();
  }
}

}  // namespace
}  // namespace velora::e2e
