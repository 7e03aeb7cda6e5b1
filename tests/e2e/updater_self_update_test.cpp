// A running product updating itself through "modest runapp": the updater writes the whole copy first,
// then waits for the product to end, and the product runs again afterwards, also when the update fails;
// a product that refuses a second copy of itself is started only once its old copy has ended; a damaged
// package, or a copy that cannot be written, leaves the product alone.
#include <windows.h>

#include <cstdlib>

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
    // Wine has no desktop shell here and runs the updater with the full half of a split token: the
    // limited half starts the product, never ShellExecuteA with the updater's rights.
    EXPECT_TRUE(LastRunLogged(
        "the product was started as the signed-in user, with the limited token linked to this program's"));
    for (const auto& line : StandInLogLines(kProductFolder)) EXPECT_EQ(line.find("refused"), std::string::npos) << line;
  }
};

TEST_F(SelfUpdateTest, QuietRunappStagesTheCopyThenWaitsForAProductThatNeedsASecondToLetGo) {
  Installation install(
      SelfUpdatingInstall("hold=vlfw.3bs\r\nrelease_on_quit=1\r\nquit_delay_ms=1000\r\nlook_at_quit=~vlfw.3bs\r\n"));
  const std::string before = *ReadFileBytes(install.path(kDataFileName));
  auto product = StartStandIn(kProductFolder);

  const RobotResult result = RunUpdater({}, L"modest runapp");

  EXPECT_TRUE(result.boxes.empty()) << FormatLog(result);
  // The whole copy was there before the product was told to quit.
  EXPECT_EQ(StandInEvents(" saw ~vlfw.3bs " + std::to_string(embedded_.size())), 1);
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

// A product that saves its state after WM_QUIT: it lets go of its data file at once but holds
// "velora_memfile" 2 s longer, and refuses to start while that name exists. Each way the updater
// starts it again must wait for the old copy to end.
struct RestartPath {
  const char* name;
  std::optional<int> installedVersion;
  std::vector<Answer> answers;
  const wchar_t* arguments;
};

void PrintTo(const RestartPath& row, std::ostream* out) { *out << row.name; }

class RestartAfterSavingTest : public SelfUpdateTest, public ::testing::WithParamInterface<RestartPath> {};

TEST_P(RestartAfterSavingTest, TheRestartedProductFindsItsNameFreeAndRuns) {
  const RestartPath& path = GetParam();
  InstallSpec spec = DefaultInstall(path.installedVersion);
  spec.standInIni = "hold=vlfw.3bs\r\nrelease_on_quit=1\r\nsingle_copy=1\r\nsave_state_ms=2000\r\n";
  Installation install(spec);
  auto product = StartStandIn(kProductFolder);

  const RobotResult result = RunUpdater(path.answers, path.arguments);

  EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitWritten)) << FormatLog(result);
  ExpectDataFile(/*written=*/true, "");
  // The second copy either runs or refuses; wait for whichever it does.
  EXPECT_TRUE(WaitForStandIn([] { return StandInEvents(" ready") + StandInEvents(" refused") >= 2; }));
  EXPECT_EQ(StandInEvents(" refused"), 0);
  EXPECT_EQ(StandInEvents(" ready"), 2);
  EXPECT_NE(LastStartLogged().find("cwd=C:\\Program Files\\Velora"), std::string::npos) << LastStartLogged();
}

INSTANTIATE_TEST_SUITE_P(Paths, RestartAfterSavingTest,
                         ::testing::Values(RestartPath{"QuietRunapp", 0, {}, L"modest runapp"},
                                           RestartPath{
                                               "QuietRunappWithoutDataFile", std::nullopt, {}, L"modest runapp"},
                                           RestartPath{"InteractiveYesYes", 0, {Answer::Yes, Answer::Yes}, L""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SelfUpdateTest, ADamagedPackageLeavesTheRunningProductAlone) {
  Installation install(SelfUpdatingInstall("hold=vlfw.3bs\r\nrelease_on_quit=1\r\n"));
  const std::string before = *ReadFileBytes(install.path(kDataFileName));
  auto product = StartStandIn(kProductFolder);
  const std::string copy = MakeDamagedCopy(WinePath(VELORA_UPDATER_EXE));
  DeleteFileA(UpdaterLogPath().c_str());

  const RobotResult result = RunUpdater({}, L"modest runapp", copy);
  DeleteFileA(copy.c_str());

  ASSERT_EQ(result.boxes.size(), 1u) << FormatLog(result);
  EXPECT_EQ(result.boxes[0].text, "The update file is damaged.\r\nDownload the update again.");
  EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitFailed));
  EXPECT_EQ(WaitForSingleObject(product.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the product was closed";
  EXPECT_EQ(StandInEvents(" quit"), 0);
  EXPECT_EQ(StartsLogged(), 1);
  TerminateProcess(product.get(), 0);  // it holds the data file, which is read next
  WaitForSingleObject(product.get(), 5000);
  ExpectDataFile(/*written=*/false, before);
  // Whatever the updater starts, it starts before it ends, and its log says so.
  for (const auto& line : UpdaterLogLines()) {
    EXPECT_EQ(line.find("told it to quit"), std::string::npos) << line;
    EXPECT_EQ(line.find("product was started"), std::string::npos) << line;
  }
}

// A drive with less room than the copy needs: the copy fails part way, before the product is told anything.
class SelfUpdateOnAFullDriveTest : public SelfUpdateTest {
 protected:
  void SetUp() override {
    const char* fullDrive = std::getenv("VELORA_FULL_DRIVE_FOLDER");
    if (fullDrive == nullptr) GTEST_SKIP() << "needs the 2 MiB tmpfs of the e2e.full_drive CTest entry";
    folder_ = WinePath(fullDrive) + "\\Velora\\";
  }
  std::string folder_;
};

TEST_F(SelfUpdateOnAFullDriveTest, ACopyThatCannotBeWrittenLeavesTheRunningProductAlone) {
  InstallSpec spec = SelfUpdatingInstall("hold=vlfw.3bs\r\nrelease_on_quit=1\r\n");
  spec.folder = folder_;
  Installation install(spec);
  const std::string before = *ReadFileBytes(install.path(kDataFileName));
  auto product = StartStandIn(folder_);

  const RobotResult result = RunUpdater({}, L"modest runapp");

  ASSERT_EQ(result.boxes.size(), 1u) << FormatLog(result);
  EXPECT_EQ(result.boxes[0].text, "Can't install file " + folder_ + "vlfw.3bs");
  EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitFailed));
  EXPECT_EQ(WaitForSingleObject(product.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the product was closed";
  EXPECT_EQ(StandInEvents(" quit", folder_), 0);
  EXPECT_EQ(StandInEvents(" start cmd=", folder_), 1);
  EXPECT_FALSE(TildeFileExists(folder_));
  TerminateProcess(product.get(), 0);  // it holds the data file, which is read next
  WaitForSingleObject(product.get(), 5000);
  EXPECT_TRUE(*ReadFileBytes(install.path(kDataFileName)) == before) << "the data file changed";
}

}  // namespace
}  // namespace velora::e2e
