// The log of real runs under Wine: a main flow, a quiet run and a failure run each append their lines,
// the first naming the versions and the command line, the last the exit code, all of it UTF-8. The quiet
// run shows no box and starts nothing; the failure run, for want of a product, shows the fixed text.
#include <windows.h>

#include <algorithm>

#include "updater_fixture.h"

namespace velora::e2e {
namespace {

bool IsUtf8(const std::string& bytes) {
  return bytes.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                              static_cast<int>(bytes.size()), nullptr, 0) > 0;
}

// The lines of each run, split at the run's first line.
std::vector<std::vector<std::string>> Runs(const std::vector<std::string>& lines) {
  std::vector<std::vector<std::string>> runs;
  for (const auto& line : lines) {
    if (line.rfind("VeloraUpdate ", 0) == 0) runs.emplace_back();
    if (!runs.empty()) runs.back().push_back(line);
  }
  return runs;
}

bool Holds(const std::vector<std::string>& run, const std::string& line) {
  return std::find(run.begin(), run.end(), line) != run.end();
}

TEST_F(UpdaterTest, EveryRunAppendsItsStepsBoxesAndExitCodeToTheLog) {
  DeleteFileA(UpdaterLogPath().c_str());
  const std::string head = std::string("VeloraUpdate ") + VELORA_UPDATER_VERSION + ", data file vlfw.3bs version 1";
  DWORD sizeKiB = 0;
  {
    Installation install(DefaultInstall(0));
    EXPECT_EQ(RunUpdater({Answer::Yes, Answer::No}).exitCode, static_cast<DWORD>(kExitWritten));
    sizeKiB = FolderSizeKiB(kProductFolder);
    const RobotResult quiet = RunUpdater({}, L"modest");
    EXPECT_EQ(quiet.exitCode, static_cast<DWORD>(kExitWritten));
    EXPECT_TRUE(quiet.boxes.empty());
    EXPECT_EQ(StartsLogged(), 0);
  }
  {
    InstallSpec spec = DefaultInstall(0);
    spec.withStandIn = false;
    Installation install(spec);
    const RobotResult noProduct = RunUpdater({});
    EXPECT_EQ(noProduct.exitCode, static_cast<DWORD>(kExitFailed));
    ASSERT_EQ(noProduct.boxes.size(), 1u);
    EXPECT_EQ(noProduct.boxes[0].caption, "Velora update");
    EXPECT_EQ(noProduct.boxes[0].text, "There's no Velora installed.\r\nPlease install the program first.");
  }

  const auto log = ReadFileBytes(UpdaterLogPath());
  ASSERT_TRUE(log);
  EXPECT_EQ(log->rfind("\xEF\xBB\xBF", 0), 0u) << "no byte-order mark";
  EXPECT_TRUE(IsUtf8(*log));
  const auto runs = Runs(UpdaterLogLines());
  ASSERT_EQ(runs.size(), 3u);

  const auto& main = runs[0];
  EXPECT_EQ(main.front(), head + ", command line: ");
  EXPECT_EQ(main[1].rfind("Windows: Microsoft Windows", 0), 0u) << main[1];
  EXPECT_TRUE(Holds(main, "installed data file version 0, this update's version 1"));
  EXPECT_TRUE(Holds(main,
                    "box \"Question\": This will install the update \"Velora data update\". / It contains "
                    "Velora data library 1. / Do you want to continue? -> Yes"));
  EXPECT_TRUE(Holds(main, "data file written: C:\\Program Files\\Velora\\vlfw.3bs"));
  EXPECT_TRUE(Holds(main, "EstimatedSize " + std::to_string(sizeKiB) + " KiB recorded in HKLM\\" + kUninstallKey));
  EXPECT_EQ(main.back(), "exit code 0");

  const auto& quiet = runs[1];
  EXPECT_EQ(quiet.front(), head + ", command line: modest");
  EXPECT_TRUE(Holds(quiet, "data file written: C:\\Program Files\\Velora\\vlfw.3bs"));
  EXPECT_TRUE(std::none_of(quiet.begin(), quiet.end(), [](const std::string& l) { return l.rfind("box ", 0) == 0; }));
  EXPECT_EQ(quiet.back(), "exit code 0");

  const auto& failed = runs[2];
  ASSERT_GE(failed.size(), 2u);
  EXPECT_EQ(failed[failed.size() - 2],
            "box \"Velora update\": There's no Velora installed. / Please install the program first. -> OK");
  EXPECT_EQ(failed.back(), "exit code 1603");
}

}  // namespace
}  // namespace velora::e2e
