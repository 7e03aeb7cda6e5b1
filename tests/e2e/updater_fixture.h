// What every end-to-end test of the updater shares: a product installation in the prefix, a run of the
// real VeloraUpdate.exe under the box robot, and the checks that follow every run.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
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

/// The updater's log: "TEMP" of this process, which the robot passes on to the updater.
inline std::string UpdaterLogPath() {
  char folder[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("TEMP", folder, MAX_PATH);
  std::string path(folder, length < MAX_PATH ? length : 0);
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path + "VeloraUpdate.log";
}

/// The log's lines without their date and time ("2026-12-08 09:05:07.042 ", 24 characters).
inline std::vector<std::string> UpdaterLogLines() {
  std::vector<std::string> lines;
  std::ifstream in(UpdaterLogPath(), std::ios::binary);
  std::string all{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::size_t at = all.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
  while (at < all.size()) {
    std::size_t end = all.find("\r\n", at);
    if (end == std::string::npos) end = all.size();
    const std::string line = all.substr(at, end - at);
    lines.push_back(line.size() > 24 ? line.substr(24) : line);
    at = end + 2;
  }
  return lines;
}

/// The log lines of the last run only: from its first line ("VeloraUpdate ...") on.
inline std::vector<std::string> LastRunLogLines() {
  std::vector<std::string> lines = UpdaterLogLines();
  for (std::size_t at = lines.size(); at-- > 0;) {
    if (lines[at].rfind("VeloraUpdate ", 0) == 0) return {lines.begin() + static_cast<std::ptrdiff_t>(at), lines.end()};
  }
  return {};
}

inline bool LastRunLogged(const std::string& line) {
  const auto lines = LastRunLogLines();
  return std::find(lines.begin(), lines.end(), line) != lines.end();
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
                         const std::string& exe = WinePath(VELORA_UPDATER_EXE),
                         std::vector<std::wstring> environment = {}) {
    RobotRun run;
    run.extraEnvironment = std::move(environment);
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
  /// A product the run started again holds its data file by now: every stand-in is ended first.
  void ExpectDataFile(bool written, const std::string& before) {
    StopStandIns();
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
  void ExpectSizeRecorded(RegistryView view) { EXPECT_EQ(ReadEstimatedSize(view), FolderSizeKiB(kProductFolder)); }

  /// A copy of exe with one byte of its embedded data file flipped (the program still runs, only its
  /// content differs) shows the damaged-updater box, fails and changes nothing.
  void ExpectACopyWithOneFlippedByteInstallsNothing(const std::string& exe) {
    Installation install(DefaultInstall(0));
    const std::string before = *ReadFileBytes(install.path(kDataFileName));
    const std::string copy = MakeDamagedCopy(exe);
    const RobotResult result = RunUpdater({}, L"", copy);
    DeleteFileA(copy.c_str());
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].text, "The update file is damaged.\r\nDownload the update again.");
    EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitFailed));
    ExpectDataFile(/*written=*/false, before);
    EXPECT_EQ(ReadEstimatedSize(RegistryView::Bits64), 1u);
  }

  /// A copy of exe beside the product folder with one byte of its embedded data file flipped: the
  /// program still runs, only its content differs.
  static std::string MakeDamagedCopy(const std::string& exe) {
    std::string image = *ReadFileBytes(exe);
    const auto payload = image.find(std::string("vlfw\x02", 5));
    EXPECT_NE(payload, std::string::npos);
    image[payload + 1000] ^= 0x01;
    const std::string copy = std::string(kProductFolder) + "..\\VeloraUpdate-damaged.exe";
    std::ofstream(copy, std::ios::binary) << image;
    return copy;
  }

  /// How many lines of the stand-in's log hold event (" start cmd=", " ready", " refused", " quit", " saw ").
  static int StandInEvents(const std::string& event, const std::string& folder = kProductFolder) {
    int count = 0;
    for (const auto& line : StandInLogLines(folder)) count += line.find(event) != std::string::npos;
    return count;
  }
  int StartsLogged() const { return StandInEvents(" start cmd="); }

  /// The stand-in's last "start" line: its command line and its current folder.
  std::string LastStartLogged() const {
    std::string lastStart;
    for (const auto& line : StandInLogLines(kProductFolder)) {
      if (line.find(" start cmd=") != std::string::npos) lastStart = line;
    }
    return lastStart;
  }

  /// Waits up to timeoutMs for the stand-in to have started `count` times.
  bool WaitForStarts(int count, DWORD timeoutMs = 10000) const {
    return WaitForStandIn([&] { return StartsLogged() >= count; }, timeoutMs);
  }

  /// Polls the stand-in's log until done() holds, up to timeoutMs.
  template <class Condition>
  static bool WaitForStandIn(Condition done, DWORD timeoutMs = 10000) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
      if (done()) return true;
      Sleep(100);
    }
    return done();
  }

  const std::string embedded_ = EmbeddedDataFile();
};

}  // namespace velora::e2e
