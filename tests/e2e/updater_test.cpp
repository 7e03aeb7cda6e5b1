// The shipped updater end to end under Wine, in English: the main flow, the questions and answers,
// a running or stuck product, a missing language file, the entries of both registry views, a folder at
// the data file's name, and Windows 10's version reporting. Quiet runs, a missing product and a damaged
// copy are run in the log, self-update and signing tests.
#include <windows.h>

#include <algorithm>

#include "updater_fixture.h"

namespace velora::e2e {
namespace {

using Buttons = std::vector<Answer>;

TEST_F(UpdaterTest, MainFlowClosesTheProductAsksWritesRecordsAndStartsIt) {
  Installation install(DefaultInstall(0));
  const std::string before = *ReadFileBytes(install.path(kDataFileName));
  auto product = StartStandIn(kProductFolder);

  const RobotResult result = RunUpdater({Answer::Yes, Answer::Yes});

  ASSERT_EQ(result.boxes.size(), 2u);
  const BoxRecord& ask = result.boxes[0];
  EXPECT_EQ(ask.caption, "Question");
  EXPECT_EQ(ask.text,
            "This will install the update \"Velora data update\".\r\nIt contains Velora data library 1.\r\n"
            "Do you want to continue?");
  EXPECT_EQ(ask.buttons, (Buttons{Answer::Yes, Answer::No}));
  const BoxRecord& done = result.boxes[1];
  EXPECT_EQ(done.caption, "Velora data update");
  EXPECT_EQ(done.text,
            "Velora data update (Velora data library 1) has been installed successfully.\r\n\r\n"
            "Do you want to start Velora now?");
  EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitWritten));
  ExpectDataFile(/*written=*/true, before);
  ExpectSizeRecorded(RegistryView::Bits64);

  // The running product got WM_QUIT and let its file go; then the updater started it again.
  EXPECT_EQ(WaitForSingleObject(product.get(), 10000), WAIT_OBJECT_0);
  EXPECT_TRUE(WaitForStarts(2));
  const auto log = StandInLogLines(kProductFolder);
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& l) { return l.find(" quit") != l.npos; }));
  EXPECT_NE(LastStartLogged().find("cwd=C:\\Program Files\\Velora"), std::string::npos) << LastStartLogged();
  HWND restarted = FindWindowA("TVeloraMainForm", nullptr);
  if (restarted != nullptr) PostMessageA(restarted, WM_QUIT, 0, 0);
}

TEST_F(UpdaterTest, ANewerInstalledFileAsksFirstAndWithYesIsReplacedAfterTheInstallQuestion) {
  Installation install(DefaultInstall(2));
  const std::string before = *ReadFileBytes(install.path(kDataFileName));
  const RobotResult result = RunUpdater({Answer::Yes, Answer::Yes, Answer::No});
  ASSERT_EQ(result.boxes.size(), 3u);
  EXPECT_EQ(result.boxes[0].caption, "Question");
  EXPECT_EQ(result.boxes[0].text,
            "The file vlfw.3bs you are installing is older than the one already installed.\r\nReplace it anyway?");
  EXPECT_EQ(result.boxes[1].caption, "Question");
  EXPECT_EQ(result.boxes[2].caption, "Velora data update");
  EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitWritten));
  ExpectDataFile(/*written=*/true, before);
  ExpectSizeRecorded(RegistryView::Bits64);
  EXPECT_EQ(StartsLogged(), 0);
}

TEST_F(UpdaterTest, AProductThatNeverLetsItsFileGoIsReportedAfterSeventeenTries) {
  InstallSpec spec = DefaultInstall(0);
  spec.standInIni = "hold=vlfw.3bs\r\nrelease_on_quit=0\r\n";
  Installation install(spec);
  const std::string before = *ReadFileBytes(install.path(kDataFileName));
  auto product = StartStandIn(kProductFolder);

  const RobotResult result = RunUpdater({});
  ASSERT_EQ(result.boxes.size(), 1u);
  EXPECT_EQ(result.boxes[0].text,
            "The file C:\\Program Files\\Velora\\vlfw.3bs cannot be opened. Close the Velora "
            "program and run the update again.");
  EXPECT_TRUE(LastRunLogged("the installed data file is still held after 17 tries"));
  EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitFailed));
  TerminateProcess(product.get(), 0);
  WaitForSingleObject(product.get(), 5000);
  ExpectDataFile(/*written=*/false, before);
}

TEST_F(UpdaterTest, AMissingLanguageFileIsNamed) {
  InstallSpec spec = DefaultInstall(0);
  spec.languageFiles = {LanguageFile("russian.lng")};
  Installation install(spec);
  const std::string before = *ReadFileBytes(install.path(kDataFileName));
  const RobotResult result = RunUpdater({});
  ASSERT_EQ(result.boxes.size(), 1u);
  EXPECT_EQ(result.boxes[0].text, "Can't work with no english.lng file!\r\nPlease reinstall the program.");
  EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitFailed));
  ExpectDataFile(/*written=*/false, before);
}

TEST_F(UpdaterTest, AnEntryOnlyInTheThirtyTwoBitViewGetsTheSize) {
  InstallSpec spec = DefaultInstall(0);
  spec.uninstallView = RegistryView::Bits32;
  Installation install(spec);
  const std::string before = *ReadFileBytes(install.path(kDataFileName));
  const RobotResult result = RunUpdater({Answer::Yes, Answer::No});
  EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitWritten));
  ExpectDataFile(/*written=*/true, before);
  ExpectSizeRecorded(RegistryView::Bits32);
  EXPECT_FALSE(UninstallEntryExists(RegistryView::Bits64));
}

TEST_F(UpdaterTest, AnEntryWhoseCommandNamesNoFolderStillHoldsTheProductOverAStaleThirtyTwoBitEntry) {
  InstallSpec spec = DefaultInstall(0);
  spec.uninstallString = "MsiExec.exe /X{6F1A2C3B-0D4E-4F50-9A6B-7C8D9E0F1A2B}";
  Installation install(spec);  // the folder comes from Program Files
  AddUninstallEntry(RegistryView::Bits32, "D:\\Old\\Velora\\uninst.exe", 7);
  const std::string before = *ReadFileBytes(install.path(kDataFileName));
  const RobotResult result = RunUpdater({Answer::Yes, Answer::No});
  EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitWritten));
  ExpectDataFile(/*written=*/true, before);
  ExpectSizeRecorded(RegistryView::Bits64);
  EXPECT_EQ(ReadEstimatedSize(RegistryView::Bits32), 7u);
}

TEST_F(UpdaterTest, AFolderNamedLikeTheDataFileIsNotReadButReportedByTheWrite) {
  Installation install(DefaultInstall(std::nullopt));
  ASSERT_TRUE(CreateDirectoryA(install.path(kDataFileName).c_str(), /*lpSecurityAttributes=*/nullptr));
  const RobotResult result = RunUpdater({Answer::Yes});
  ASSERT_EQ(result.boxes.size(), 2u);
  EXPECT_EQ(result.boxes[0].caption, "Question");
  EXPECT_EQ(result.boxes[1].text, "Can't install file C:\\Program Files\\Velora\\vlfw.3bs");
  // A folder is no installed data file: no tries to open it.
  EXPECT_TRUE(LastRunLogged("no installed data file: C:\\Program Files\\Velora\\vlfw.3bs"));
  EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitFailed));
  EXPECT_FALSE(TildeFileExists(kProductFolder));
  EXPECT_EQ(GetFileAttributesA(install.path(kDataFileName).c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

// Wine reports version 6.2 to a program set to Windows 10 without supportedOS entries, as Windows does;
// the updater must still see the 64-bit registry view and so find the product's entry there. It learns
// the version from "ver", run by the system's cmd.exe: never by the program "ComSpec" names, which the
// user may set to anything, nor by one a TEMP value breaking out of the command line would name.
TEST_F(UpdaterTest, UnderWindows10VersionReportingTheProductIsStillFoundInTheSixtyFourBitView) {
  const std::string planted = "C:\\Planted\\";
  RemoveFolder(planted);
  CreateDirectoryA(planted.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA(WinePath(VELORA_STANDIN_EXE).c_str(), (planted + "velora.exe").c_str(), FALSE));
  { std::ofstream(planted + "velora-standin.ini", std::ios::binary) << "exit_at_once=1\r\n"; }

  const char* appDefaults = "Software\\Wine\\AppDefaults\\VeloraUpdate.exe";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, appDefaults, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win10"), 6);
  RegCloseKey(key);

  InstallSpec spec = DefaultInstall(0);
  spec.folder = "C:\\Apps\\Velora\\";
  Installation install(spec);
  const RobotResult result = RunUpdater(
      {Answer::Yes, Answer::No}, L"", WinePath(VELORA_UPDATER_EXE),
      {FromUtf8("ComSpec=" + planted + "velora.exe"), FromUtf8("TEMP=C:\\x\" & \"" + planted + "velora.exe\" & \""),
       FromUtf8("TMP=C:\\x\" & \"" + planted + "velora.exe\" & \"")});
  RegDeleteKeyA(HKEY_CURRENT_USER, appDefaults);
  EXPECT_TRUE(StandInLogLines(planted).empty()) << "the program ComSpec or TEMP names ran";
  RemoveFolder(planted);

  EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitWritten));
  EXPECT_EQ(ReadFileBytes(install.path(kDataFileName)), embedded_);
  EXPECT_EQ(ReadEstimatedSize(RegistryView::Bits64), FolderSizeKiB("C:\\Apps\\Velora\\"));
}

}  // namespace
}  // namespace velora::e2e
