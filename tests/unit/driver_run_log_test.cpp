// The run's log: appended in UTF-8 with CR LF, rotated past 1 MiB, never written through a link, and
// never in the way of the update; and what a whole run writes to it.
#include <gtest/gtest.h>

#include "driver/entry_point.h"
#include "driver/run_log.h"
#include "support/fake_windows.h"
#include "support/synthetic_pe.h"

namespace velora {
namespace {

constexpr const char* kTemp = "C:\\Users\\u\\AppData\\Local\\Temp\\";
const std::string kLogPath = std::string(kTemp) + "VeloraUpdate.log";
const std::string kOldLogPath = std::string(kTemp) + "VeloraUpdate.old.log";
const std::string kBom = "\xEF\xBB\xBF";
const std::string kStamp = "2026-12-08 09:05:07.042 ";

class RunLogTest : public ::testing::Test {
 protected:
  void SetUp() override { fake.files.AddFolder(kTemp); }
  std::string Log() { return fake.files.Contents(kLogPath).value_or("<none>"); }

  fakes::FakeWindows fake;
  RunLog log{fake.files, fake.text, fake.machine};
};

TEST_F(RunLogTest, ANewLogStartsWithAByteOrderMarkAndTakesTimedUtf8Lines) {
  fake.machine.localTime = {2026, 12, 8, 9, 5, 7, 42};
  log.Open(kTemp);
  log.Write("first");
  log.Write("Вопрос");                      // Windows-1251 bytes in, UTF-8 out
  log.Write("C:\\x\r\nexit code 0\t\x7F");  // a registry value cannot forge a line of its own
  EXPECT_EQ(Log(), kBom + kStamp + "first\r\n" + kStamp + "\xD0\x92\xD0\xBE\xD0\xBF\xD1\x80\xD0\xBE\xD1\x81\r\n" +
                       kStamp + "C:\\x\\x0D\\x0Aexit code 0\\x09\\x7F\r\n");
  // An existing log is looked for first, so that the run knows the file it creates.
  ASSERT_EQ(fake.files.Creates().size(), 3u);
  const auto& existing = fake.files.Creates()[0];
  EXPECT_EQ(existing.access, 0x00000084u);  // FILE_APPEND_DATA | FILE_READ_ATTRIBUTES
  EXPECT_EQ(existing.disposition, 3u);      // OPEN_EXISTING
  const auto& open = fake.files.Creates()[1];
  EXPECT_EQ(open.access, 0x00010084u);                     // and DELETE, to delete a refused one through its handle
  EXPECT_EQ(open.share, 0x3u);                             // others may read it meanwhile
  EXPECT_EQ(open.disposition, 1u);                         // CREATE_NEW
  EXPECT_EQ(open.flagsAndAttributes, 0x00200080u);         // FILE_FLAG_OPEN_REPARSE_POINT | FILE_ATTRIBUTE_NORMAL
  EXPECT_EQ(fake.files.Creates()[2].access, 0x00000084u);  // written without DELETE, which keeps readers out
}

TEST_F(RunLogTest, ALineThatCannotBeConvertedIsWrittenAsItIs) {
  fake.text.conversionFailure = 1113;  // ERROR_NO_UNICODE_TRANSLATION
  log.Open(kTemp);
  log.Write("\xC2\xEE\xEF\xF0\xEE\xF1");
  EXPECT_EQ(Log(), kBom + kStamp + "\xC2\xEE\xEF\xF0\xEE\xF1\r\n");
}

TEST_F(RunLogTest, AnExistingLogIsAppendedToWithoutASecondMark) {
  fake.files.AddFile(kLogPath, kBom + "earlier run\r\n");
  log.Open(kTemp);
  log.Write("next run");
  EXPECT_EQ(Log(), kBom + "earlier run\r\n" + kStamp + "next run\r\n");
  EXPECT_TRUE(fake.files.Moves().empty());
}

// The rotation renames through the log's own handle, to the folder that handle reports; only Windows XP,
// which cannot, moves it by name.
TEST_F(RunLogTest, ALogPastOneMebibyteBecomesTheOldLogReplacingTheOlderOne) {
  const std::string full = kBom + std::string(1024 * 1024, 'x');
  for (const bool byHandle : {true, false}) {
    SCOPED_TRACE(byHandle ? "through the handle" : "XP");
    fakes::FakeWindows machine;
    RunLog rotated{machine.files, machine.text, machine.machine};
    machine.files.renamesByHandle = byHandle;
    machine.files.AddFile(kOldLogPath, "oldest");
    machine.files.AddFile(kLogPath, full);
    rotated.Open(kTemp);
    rotated.Write("fresh");
    EXPECT_EQ(machine.files.Contents(kOldLogPath), full);
    EXPECT_EQ(machine.files.Contents(kLogPath), kBom + kStamp + "fresh\r\n");
    const fakes::FakeFiles::RenameRecord toFullPath{kLogPath, "",
                                                    "c:\\users\\u\\appdata\\local\\temp\\VeloraUpdate.old.log", true};
    EXPECT_EQ(machine.files.Renames(), std::vector{toFullPath});
    ASSERT_EQ(machine.files.Moves().size(), byHandle ? 0u : 1u);
    if (!byHandle) {
      EXPECT_EQ(machine.files.Moves()[0].flags, 0x1u);  // MOVEFILE_REPLACE_EXISTING
    }
  }

  // Exactly 1 MiB has not passed the limit.
  fake.files.AddFile(kLogPath, std::string(1024 * 1024, 'y'));
  log.Open(kTemp);
  EXPECT_TRUE(fake.files.Renames().empty());
}

TEST_F(RunLogTest, ALinkAtTheLogsNameIsNeitherWrittenNorRotated) {
  const std::string planted(2 * 1024 * 1024, 's');
  fake.files.AddFile(kLogPath, planted, win::kFileAttributeReparsePoint | win::kFileAttributeArchive);
  log.Open(kTemp);
  log.Write("must not land anywhere");
  EXPECT_FALSE(log.IsOpen());
  EXPECT_EQ(Log(), planted);
  EXPECT_TRUE(fake.files.Moves().empty());

  fake.files.AddFile(kLogPath, "somebody's file");
  fake.files.SetLinkCount(kLogPath, 2);
  log.Open(kTemp);
  log.Write("must not land anywhere");
  EXPECT_EQ(Log(), "somebody's file");

  // A link in the folder part, or one Windows does not report, shows in where the handle really leads.
  fake.files.AddFile(kLogPath, planted);
  fake.files.SetFinalPath(kLogPath, "C:\\Windows\\System32\\VeloraUpdate.log");
  log.Open(kTemp);
  log.Write("must not land anywhere");
  EXPECT_FALSE(log.IsOpen());
  EXPECT_EQ(Log(), planted);
  EXPECT_TRUE(fake.files.Moves().empty());

  // A log this run creates through such a link is deleted again through its handle, never by name.
  fake.files.Remove(kLogPath);
  log.Open(kTemp);
  EXPECT_FALSE(log.IsOpen());
  EXPECT_FALSE(fake.files.FileExists(kLogPath));
  for (const std::string& call : fake.journal) EXPECT_EQ(call.rfind("DeleteFile", 0), std::string::npos) << call;
  EXPECT_EQ(fake.files.OpenHandleCount(), 0);
}

// A check that cannot be made is no check passed: an existing log whose handle cannot tell where it
// leads, what it is, or whose name cannot be made full is not written.
TEST_F(RunLogTest, ALogWhoseHandleCannotBeCheckedIsNotWritten) {
  for (const fakes::FileOp query : {fakes::FileOp::FinalPath, fakes::FileOp::Information, fakes::FileOp::FullPath}) {
    fake.files.AddFile(kLogPath, "kept");
    fake.files.InjectFailure(query, kLogPath, 5);
    log.Open(kTemp);
    log.Write("must not land anywhere");
    EXPECT_FALSE(log.IsOpen()) << static_cast<int>(query);
    EXPECT_EQ(Log(), "kept");
  }
}

TEST_F(RunLogTest, ALogThatCannotBeOpenedOrWrittenIsSkipped) {
  log.Open("");  // no "Temp" variable
  EXPECT_FALSE(log.IsOpen());
  EXPECT_TRUE(fake.files.Creates().empty());

  fake.files.InjectFailure(fakes::FileOp::Write, kLogPath, 112);  // ERROR_DISK_FULL on the mark
  log.Open(kTemp);
  EXPECT_FALSE(log.IsOpen());

  log.Open(kTemp);
  fake.files.InjectFailure(fakes::FileOp::Write, kLogPath, 112);
  log.Write("lost");
  log.Write("not tried");
  EXPECT_FALSE(log.IsOpen());
}

TEST_F(RunLogTest, AFailureLineNamesTheErrorAndItsText) {
  log.Open(kTemp);
  log.WriteFailure("cannot replace X", 5);
  log.WriteFailure("odd", 1234567);
  EXPECT_EQ(Log(),
            kBom + kStamp + "cannot replace X: error 5 (Access is denied.)\r\n" + kStamp + "odd: error 1234567\r\n");
}

// A whole run through the entry point: the first line, the Windows name, the boxes with their
// answers, the exit code last.
TEST(RunLogOfARun, HoldsTheVersionsTheBoxesAndTheExitCodeLast) {
  fakes::FakeWindows fake;
  fake.machine.SetEnvironment("Temp", "C:\\Temp");
  fake.files.AddFolder("C:\\Temp");
  const int exitCode = RunUpdater(fake.platform, {"rstart", "two words"});
  const std::string log = fake.files.Contents("C:\\Temp\\VeloraUpdate.log").value_or("");
  ASSERT_EQ(log.rfind(kBom, 0), 0u);
  std::vector<std::string> lines;
  for (std::size_t at = kBom.size(); at < log.size();) {
    const auto end = log.find("\r\n", at);
    ASSERT_NE(end, std::string::npos);
    ASSERT_EQ(log.compare(at, kStamp.size(), kStamp), 0) << log.substr(at, end - at);
    lines.push_back(log.substr(at + kStamp.size(), end - at - kStamp.size()));
    at = end + 2;
  }
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "VeloraUpdate 1.0.0.1, data file vlfw.3bs version 1, command line: rstart \"two words\"");
  // No product name in this registry: the name is built from the version alone.
  EXPECT_EQ(lines[1], "Windows: Microsoft Windows 7  64-bit Service Pack 1");
  // Nothing is installed on this machine: the fixed-text box, then the exit code.
  EXPECT_EQ(lines[lines.size() - 2],
            "box \"Velora update\": There's no Velora installed. / Please install the program first. -> OK");
  EXPECT_EQ(lines.back(), "exit code " + std::to_string(exitCode));
  EXPECT_EQ(exitCode, 1603);
}

// A whole update through the entry point, with the logging decorator in the way of every box: both
// questions answered Yes, the data file written, and the product started as the signed-in user.
TEST(RunLogOfARun, AWholeUpdateLogsTheAnswersAndStartsTheProductAsTheSignedInUser) {
  fakes::FakeWindows fake;
  const std::string folder = "C:\\Program Files\\Velora\\";
  fake.registry.SetString(platform::RootKey::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                          "ProgramFilesDir", "C:\\Program Files");
  fake.registry.SetString(platform::RootKey::LocalMachine,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velora", "UninstallString",
                          folder + "uninst.exe");
  fake.files.AddFile(folder + "velora.exe", "MZ product");
  fake.files.AddFile(folder + "language\\english.lng",
                     "[langname]\r\nEnglish\r\n\r\n[langver]\r\n3\r\n\r\n[langcode]\r\n1033\r\n\r\n"
                     "[langcharset]\r\n0\r\n\r\n[soundquest]\r\nQuestion\r\n\r\n[installask]\r\n%1: install %2?\r\n\r\n"
                     "[liveupdatecaption]\r\nLive Update\r\n\r\n[darovovevi]\r\nData\r\n\r\n"
                     "[installdone]\r\n%1 done.\r\n\r\n[asktorun]\r\nStart it?\r\n\r\n");
  fake.files.AddFile(*fake.files.ownModulePath, fakes::StampedPeImage("updater image"));
  fake.ownModule.AddResource("vlfw", "3bs", "vlfw\x02\x01 new data");
  fake.machine.SetEnvironment("Temp", "C:\\Temp");
  fake.files.AddFolder("C:\\Temp");
  fake.desktop.shellProcessId = 4242;
  fake.ui.answers = {win::kIdYes, win::kIdYes};

  EXPECT_EQ(RunUpdater(fake.platform, {}), 0);

  EXPECT_EQ(fake.files.Contents(folder + "vlfw.3bs"), "vlfw\x02\x01 new data");
  ASSERT_EQ(fake.tokens.tokenStarts.size(), 1u);
  EXPECT_EQ(fake.tokens.tokenStarts[0].tokenProcessId, 4242u);
  EXPECT_TRUE(fake.processes.shellStarts.empty());
  const std::string log = fake.files.Contents("C:\\Temp\\VeloraUpdate.log").value_or("");
  for (const char* line :
       {"box \"Question\": Live Update: install Data 1? -> Yes\r\n",
        "box \"Live Update\": Live Update (Data 1) done. /  / Start it? -> Yes\r\n",
        "the product was started as the signed-in user, with the desktop shell's token\r\n", "exit code 0\r\n"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line << log;
  }
}

}  // namespace
}  // namespace velora
