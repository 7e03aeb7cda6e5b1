// Writing a resource of the program to disk: the replacement through the "~" copy, the version check
// per file kind, the question before an older file replaces a newer one in its three variants, and
// failures at every write, flush and move.
#include <gtest/gtest.h>

#include <algorithm>

#include "install/embedded_file.h"
#include "language/language_loader.h"
#include "support/test_session.h"

namespace velora {
namespace {

constexpr const char* kFolder = "C:\\Velora\\";
constexpr const char* kData = "C:\\Velora\\vlfw.3bs";
constexpr const char* kTemp = "C:\\Velora\\~vlfw.3bs";

// A data file head with its version byte at offset 6, padded to size.
std::string DataFile(unsigned char version, std::size_t size = 64) {
  std::string bytes = std::string("vlfw") + '\x00' + '\x01' + static_cast<char>(version);
  bytes.resize(size, '\x5A');
  return bytes;
}

class InstallTest : public ::testing::Test {
 protected:
  InstallOutcome Install(const std::string& kind = "3bs", const std::string& path = kData, bool check = true) {
    return InstallEmbeddedFile(session->platform, fakes::InstallBoxesOf(*session), "vlfw", kind, path, check).outcome;
  }
  std::string Contents(const std::string& path) const { return fake.files.Contents(path).value_or("<missing>"); }
  void ExpectNoQuestion() const {
    for (const auto& box : fake.ui.boxes) EXPECT_NE(box.style, win::kQuestionBoxStyle) << box.text;
  }

  fakes::FakeWindows fake;
  std::unique_ptr<Session> session = fakes::MakeTestSession(fake);
  const std::string newData = DataFile(4);
};

TEST_F(InstallTest, WithoutCheckAnExistingFileIsReplacedThroughAFlushedTemporaryCopy) {
  fake.ownModule.AddResource("VLFW", "3BS", newData);
  fake.files.AddFile(kData, DataFile(9));
  EXPECT_EQ(Install("3bs", kData, /*check=*/false), InstallOutcome::Written);
  EXPECT_EQ(Contents(kData), newData);
  EXPECT_EQ(fake.files.AllFiles(), std::vector<std::string>{kData});
  EXPECT_TRUE(fake.ui.boxes.empty());
  EXPECT_TRUE(fake.progress.calls.empty());
  // The folder is opened once, as itself, and held so that it cannot be renamed meanwhile.
  ASSERT_GE(fake.files.Creates().size(), 3u);
  const auto& folder = fake.files.Creates()[0];
  EXPECT_EQ(folder.path, "C:\\Velora");
  EXPECT_EQ(folder.access, 0xA0u);                    // FILE_READ_ATTRIBUTES | FILE_TRAVERSE
  EXPECT_EQ(folder.share, 0x3u);                      // FILE_SHARE_READ | FILE_SHARE_WRITE, no FILE_SHARE_DELETE
  EXPECT_EQ(folder.flagsAndAttributes, 0x02200000u);  // FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT
  // Then the copy's name is freed: opened as itself, never through a link, to be deleted by that handle.
  const auto& free = fake.files.Creates()[1];
  EXPECT_EQ(free.path, kTemp);
  EXPECT_EQ(free.access, 0x00010080u);              // DELETE | FILE_READ_ATTRIBUTES
  EXPECT_EQ(free.share, 0x7u);                      // FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE
  EXPECT_EQ(free.flagsAndAttributes, 0x00200080u);  // FILE_FLAG_OPEN_REPARSE_POINT | FILE_ATTRIBUTE_NORMAL
  const auto& create = fake.files.Creates()[2];
  EXPECT_EQ(create.path, kTemp);
  EXPECT_EQ(create.access, 0xC0010000u);  // GENERIC_READ | GENERIC_WRITE | DELETE: read, renamed and deleted by handle
  EXPECT_EQ(create.share, 0u);
  EXPECT_EQ(create.disposition, 1u);                  // CREATE_NEW: nothing already at the name is opened
  EXPECT_EQ(create.flagsAndAttributes, 0x00200080u);  // a link at the name is not followed to create its target
  // The copy is on disk before it replaces the file, through its own handle relative to the folder's;
  // meanwhile the replaced file keeps a second name, so the replacement only drops a name, and that name
  // goes once the install is done.
  const auto at = [&](const std::string& entry) { return std::find(fake.journal.begin(), fake.journal.end(), entry); };
  const auto flushed = at(std::string("FlushFileBuffers ") + kTemp);
  const auto kept = at(std::string("CreateHardLink ") + kTemp + ".old -> " + kData);
  const auto replaced = at(std::string("RenameByHandle c:\\velora\\~vlfw.3bs -> vlfw.3bs"));
  EXPECT_LT(flushed, kept);
  EXPECT_LT(kept, replaced);
  EXPECT_NE(replaced, fake.journal.end());
  const fakes::FakeFiles::RenameRecord inFolder{kTemp, "c:\\velora", "vlfw.3bs", true};
  EXPECT_EQ(fake.files.Renames(), std::vector{inFolder});
  EXPECT_TRUE(fake.files.Moves().empty());
  EXPECT_EQ(fake.files.OpenHandleCount(), 0);
}

// A system that refuses a rename relative to a folder handle (Wine) is given the full path the folder's
// handle reports; one that cannot rename through a handle at all (XP) moves the closed copy by name.
TEST_F(InstallTest, WhereTheRenameByHandleIsRefusedOrMissingTheCopyStillReplacesTheFile) {
  using Rename = fakes::FakeFiles::RenameRecord;
  const Rename relative{kTemp, "c:\\velora", "vlfw.3bs", true};
  for (const bool xp : {false, true}) {
    SCOPED_TRACE(xp ? "no rename by handle" : "root refused");
    fakes::FakeWindows machine;
    machine.ownModule.AddResource("VLFW", "3BS", newData);
    machine.files.AddFile(kData, DataFile(9));
    machine.files.refusesRenameRoot = !xp;
    machine.files.renamesByHandle = !xp;
    const auto world = fakes::MakeTestSession(machine);
    EXPECT_EQ(InstallEmbeddedFile(world->platform, fakes::InstallBoxesOf(*world), "vlfw", "3bs", kData, false).outcome,
              InstallOutcome::Written);
    EXPECT_EQ(machine.files.Contents(kData), newData);
    EXPECT_EQ(machine.files.AllFiles().size(), 1u);
    const std::vector<Rename> renames =
        xp ? std::vector{relative} : std::vector{relative, Rename{kTemp, "", "c:\\velora\\vlfw.3bs", true}};
    EXPECT_EQ(machine.files.Renames(), renames);
    ASSERT_EQ(machine.files.Moves().size(), xp ? 1u : 0u);
    if (xp) {
      EXPECT_EQ(machine.files.Moves()[0].to, kData);
      EXPECT_EQ(machine.files.Moves()[0].flags, 0x9u);  // MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH
    }
  }
}

// The product folder is checked as a file is: a junction in its place, or a folder whose handle
// leads elsewhere, fails the write before anything is created.
TEST_F(InstallTest, AProductFolderThatIsALinkOrLeadsElsewhereIsNotWritten) {
  for (bool reparsePoint : {false, true}) {
    SCOPED_TRACE(reparsePoint ? "reparse point" : "leads elsewhere");
    fakes::FakeWindows machine;
    machine.ownModule.AddResource("VLFW", "3BS", newData);
    machine.files.AddFolder(kFolder, reparsePoint ? win::kFileAttributeReparsePoint : 0);
    machine.files.AddFile(kData, DataFile(9));
    if (!reparsePoint) machine.files.SetFinalPath(kFolder, "C:\\Windows\\System32");
    const auto world = fakes::MakeTestSession(machine);
    const InstallResult result =
        InstallEmbeddedFile(world->platform, fakes::InstallBoxesOf(*world), "vlfw", "3bs", kData, false);
    EXPECT_EQ(result.outcome, InstallOutcome::Failed);
    EXPECT_EQ(result.error, 681u);  // ERROR_STOPPED_ON_SYMLINK
    EXPECT_EQ(machine.files.Contents(kData), DataFile(9));
    EXPECT_EQ(machine.files.Creates().size(), 1u);  // the folder only
    EXPECT_TRUE(machine.files.Renames().empty());
    ASSERT_EQ(machine.ui.boxes.size(), 1u);
    EXPECT_EQ(machine.ui.boxes[0].text, std::string("Can't install file ") + kData);
  }
}

TEST_F(InstallTest, ANewFileAStaleTemporaryCopyAndALargeResourceAreWrittenWhole) {
  std::string large(2146760, '\0');
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7 + i / 251);
  fake.ownModule.AddResource("vlfw", "3bs", large);
  fake.files.AddFolder(kFolder);
  fake.files.AddFile(kTemp, "left by an earlier run, longer than nothing");
  EXPECT_EQ(Install(), InstallOutcome::Written);
  EXPECT_TRUE(Contents(kData) == large);
  EXPECT_EQ(fake.files.AllFiles(), std::vector<std::string>{kData});
  EXPECT_TRUE(fake.ui.boxes.empty());
}

// Nine names in all: "~vlfw.3bs", then "~1" to "~8" appended. With the first eight taken by folders the
// copy takes the last; with all nine taken there is no copy and nothing is written.
TEST_F(InstallTest, TheCopyTriesNineNamesBesideTheDestination) {
  fake.ownModule.AddResource("VLFW", "3BS", newData);
  for (int taken = 1; taken <= 9; ++taken) {
    fake.files.AddFolder(taken == 1 ? std::string(kTemp) : std::string(kTemp) + "~" + std::to_string(taken - 1));
    if (taken < 8) continue;
    SCOPED_TRACE(taken);
    fake.files.Remove(kData);
    fake.files.AddFile(kData, DataFile(9));
    EXPECT_EQ(Install("3bs", kData, /*check=*/false), taken == 8 ? InstallOutcome::Written : InstallOutcome::Failed);
    EXPECT_EQ(Contents(kData), taken == 8 ? newData : DataFile(9));
  }
}

// A name at the "~" copy that cannot be freed is left exactly as it was; the copy takes the next name.
TEST_F(InstallTest, AFolderOrAFileThatCannotBeDeletedAtTheCopysNameIsLeftAlone) {
  const std::string inside = std::string(kTemp) + "\\inside.txt";
  const std::string nextName = std::string(kTemp) + "~1";
  fake.ownModule.AddResource("VLFW", "3BS", newData);
  for (bool folder : {false, true}) {
    SCOPED_TRACE(folder ? "folder" : "file");
    fake.files.Remove(inside);
    fake.files.Remove(kTemp);
    fake.files.AddFile(folder ? inside : std::string(kTemp), "kept");
    if (!folder) fake.files.InjectFailure(fakes::FileOp::Delete, kTemp, win::kErrorAccessDenied);
    const auto createsBefore = static_cast<std::ptrdiff_t>(fake.files.Creates().size());
    EXPECT_EQ(Install("3bs", kData, /*check=*/false), InstallOutcome::Written);
    EXPECT_EQ(Contents(kData), newData);
    EXPECT_EQ(Contents(folder ? inside : std::string(kTemp)), "kept");
    EXPECT_EQ(std::count_if(fake.files.Creates().begin() + createsBefore, fake.files.Creates().end(),
                            [&](const auto& create) { return create.path == nextName && create.disposition == 1u; }),
              1);
    EXPECT_FALSE(fake.files.FileExists(nextName));
  }
  EXPECT_TRUE(fake.ui.boxes.empty());
}

// A link on the way (a junction put in place of the folder once the copy was created) would send the
// bytes elsewhere: the handle is checked before the first byte, and the file this run created is
// deleted through that handle, never through a name, so nothing remains at either path.
TEST_F(InstallTest, ACopyWhoseHandleLeadsElsewhereIsNotWritten) {
  fake.ownModule.AddResource("VLFW", "3BS", newData);
  const std::string installed = DataFile(5);
  fake.files.AddFile(kData, installed);
  fake.files.SetFinalPath(kTemp, "C:\\Windows\\System32\\~vlfw.3bs");
  const InstallResult result =
      InstallEmbeddedFile(session->platform, fakes::InstallBoxesOf(*session), "vlfw", "3bs", kData, false);
  EXPECT_EQ(result.outcome, InstallOutcome::Failed);
  EXPECT_EQ(result.error, 681u);  // ERROR_STOPPED_ON_SYMLINK
  EXPECT_EQ(Contents(kData), installed);
  EXPECT_EQ(fake.files.AllFiles(), std::vector<std::string>{kData});
  for (const std::string& call : fake.journal) EXPECT_EQ(call.rfind("DeleteFile", 0), std::string::npos) << call;
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_EQ(fake.ui.boxes[0].text, std::string("Can't install file ") + kData);
}

TEST_F(InstallTest, EqualOrNewerVersionsAndUncomparedKindsReplaceWithoutAQuestion) {
  fake.ownModule.AddResource("VLFW", "3BS", newData);
  fake.files.AddFile(kData, DataFile(4));
  EXPECT_EQ(Install(), InstallOutcome::Written);
  fake.files.AddFile(kData, DataFile(3));
  EXPECT_EQ(Install(), InstallOutcome::Written);
  // The kind is compared by exact letter case: "3BS" finds the resource but no reader.
  fake.files.AddFile(kData, DataFile(200));
  EXPECT_EQ(Install("3BS"), InstallOutcome::Written);
  EXPECT_EQ(Contents(kData), newData);
  EXPECT_TRUE(fake.ui.boxes.empty());
  EXPECT_TRUE(fake.progress.calls.empty());
}

TEST_F(InstallTest, AnOlderFileDeclinedLeavesTheInstalledOneAndRemovesTheCopy) {
  fake.ownModule.AddResource("VLFW", "3BS", newData);
  const std::string installed = DataFile(5);
  fake.files.AddFile(kData, installed);
  EXPECT_EQ(Install(), InstallOutcome::Declined);
  EXPECT_EQ(Contents(kData), installed);
  EXPECT_EQ(fake.files.AllFiles(), std::vector<std::string>{kData});
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_EQ(fake.progress.calls, (std::vector<std::string>{"hide", "show||"}));
}

TEST_F(InstallTest, AnOlderFileAcceptedReplacesTheInstalledOne) {
  fake.ownModule.AddResource("VLFW", "3BS", newData);
  fake.files.AddFile(kData, DataFile(5));
  fake.ui.answers = {win::kIdYes};
  EXPECT_EQ(Install(), InstallOutcome::Written);
  EXPECT_EQ(Contents(kData), newData);
  EXPECT_EQ(fake.files.AllFiles(), std::vector<std::string>{kData});
  EXPECT_EQ(fake.progress.calls, (std::vector<std::string>{"hide", "show||"}));
}

TEST_F(InstallTest, WithoutALanguageFileTheQuestionIsFixedAndNamesThePathAndTheInstalledVersionFirst) {
  const struct {
    bool russian;
    platform::MessageBoxRequest expected;
  } cases[] = {
      {false,
       {platform::MessageBoxFunction::MessageBoxA,
        "C:\\Velora\\vlfw.3bs file installing is of older version\r\nthan the same already installed.\r\n\r\n"
        "Do you really want to replace existing\r\nnew file version 5 with an older file version 4?",
        "Sound question", 0x00042024, 0}},
      {true,
       {platform::MessageBoxFunction::MessageBoxExA,
        "Устанавливаемый файл C:\\Velora\\vlfw.3bs\r\nболее старой версии, чем уже установленный.\r\n\r\n"
        "Действительно ли Вы хотите заменить уже имеющийся\r\nфайл версии 5 на более старый версии 4?",
        "Резонный вопрос", 0x00042024, 0x0019}},
  };
  for (const auto& c : cases) {
    fakes::FakeWindows machine;
    auto russianOrNot = fakes::MakeTestSession(machine, {.russian = c.russian});
    machine.ownModule.AddResource("VLFW", "3BS", newData);
    machine.files.AddFile(kData, DataFile(5));
    static_cast<void>(InstallEmbeddedFile(russianOrNot->platform, fakes::InstallBoxesOf(*russianOrNot), "vlfw", "3bs",
                                          kData, /*checkVersions=*/true));
    EXPECT_EQ(machine.ui.boxes, std::vector<platform::MessageBoxRequest>{c.expected}) << "russian: " << c.russian;
  }
}

TEST_F(InstallTest, WithALanguageFileTheQuestionComesFromItWithTheLowBitsOfLangId) {
  fake.files.AddFile("C:\\Velora\\language\\english.lng",
                     "[langname]\r\nEnglish\r\n\r\n[langver]\r\n1\r\n\r\n[langcode]\r\n66569\r\n\r\n"
                     "[langcharset]\r\n0\r\n\r\n[soundquest]\r\nReally?\r\n\r\n"
                     "[olderfilever]\r\nFile %1 is older\r\nthan the installed one. Replace it?\r\n\r\n");
  session->Environment.ProductFolder = kFolder;
  ASSERT_TRUE(LoadLanguage(LanguageContextOf(*session)));
  fake.ownModule.AddResource("VLFW", "3BS", newData);
  fake.files.AddFile(kData, DataFile(5));
  Install();
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  const platform::MessageBoxRequest expected{
      platform::MessageBoxFunction::MessageBoxExA,
      "File C:\\Velora\\vlfw.3bs is older\r\nthan the installed one. Replace it?", "Really?", 0x00042024, 0x0409};
  EXPECT_EQ(fake.ui.boxes[0], expected);
}

TEST_F(InstallTest, LanguageFilesAreComparedUnlessTheirPathHoldsAnExclamationMark) {
  fake.ownModule.AddResource("english", "lng", "[langver]\r\n2\r\n");
  const std::string installed = "[langver]\r\n3\r\n";
  fake.files.AddFile("C:\\Velora\\language\\english.lng", installed);
  fake.files.AddFile("C:\\Velora\\lang!old\\english.lng", installed);
  EXPECT_EQ(InstallEmbeddedFile(session->platform, fakes::InstallBoxesOf(*session), "english", "lng",
                                "C:\\Velora\\language\\english.lng", true)
                .outcome,
            InstallOutcome::Declined);
  EXPECT_EQ(InstallEmbeddedFile(session->platform, fakes::InstallBoxesOf(*session), "english", "lng",
                                "C:\\Velora\\lang!old\\english.lng", true)
                .outcome,
            InstallOutcome::Written);
  EXPECT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_EQ(Contents("C:\\Velora\\language\\english.lng"), installed);
  EXPECT_EQ(Contents("C:\\Velora\\lang!old\\english.lng"), "[langver]\r\n2\r\n");
}

// An installed language file without a readable version is reported in the user's language and
// counts as version 0.
TEST_F(InstallTest, AnInstalledLanguageFileWithoutAVersionIsReportedAndReplaced) {
  const std::string lng = "C:\\Velora\\language\\english.lng";
  fake.ownModule.AddResource("english", "lng", "[langver]\r\n2\r\n");
  for (const bool russian : {false, true}) {
    session = fakes::MakeTestSession(fake, {.russian = russian});
    fake.ui.boxes.clear();
    fake.files.AddFile(lng, "[langname]\r\nEnglish\r\n");
    EXPECT_EQ(
        InstallEmbeddedFile(session->platform, fakes::InstallBoxesOf(*session), "english", "lng", lng, true).outcome,
        InstallOutcome::Written);
    ASSERT_EQ(fake.ui.boxes.size(), 1u);
    EXPECT_EQ(fake.ui.boxes[0].text, (russian ? "Не удаётся работать с файлом языковой поддержки "
                                              : "Can't handle the language support file ") +
                                         lng);
    EXPECT_EQ(Contents(lng), "[langver]\r\n2\r\n");
  }
}

TEST_F(InstallTest, ProgramsAreComparedByFileVersionAndAnUnversionedInstalledOneIsReplaced) {
  const std::string exe = "C:\\Velora\\velora.exe";
  fake.ownModule.AddResource("velora", "exe", "MZ new");
  fake.files.AddFile(exe, "MZ installed");
  fake.programFiles.exeTypes = {{"c:\\velora\\velora.exe", 0x4550}, {"c:\\velora\\~velora.exe", 0x4550}};
  EXPECT_EQ(InstallEmbeddedFile(session->platform, fakes::InstallBoxesOf(*session), "velora", "exe", exe, true).outcome,
            InstallOutcome::Written);
  ExpectNoQuestion();

  const auto versioned = [](std::string version) {
    return fakes::FakeVersionResource{std::vector<std::uint32_t>{0x04B00409},
                                      {{"\\StringFileInfo\\040904b0\\FileVersion", std::move(version)}}};
  };
  fake.programFiles.versionResources = {{"c:\\velora\\velora.exe", versioned("1.2.10.0")},
                                        {"c:\\velora\\~velora.exe", versioned("1.2.3.4")}};
  EXPECT_EQ(InstallEmbeddedFile(session->platform, fakes::InstallBoxesOf(*session), "velora", "exe", exe, true).outcome,
            InstallOutcome::Declined);
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_NE(fake.ui.boxes[0].text.find("new file version 1.2.10.0 with an older file version 1.2.3.4?"),
            std::string::npos);
}

struct InjectedFailure {
  fakes::FileOp op;
  const char* path;
  int skip;
};

// Names the cases by step, so that CTest's names stay the same from one run to the next.
std::string Describe(const InjectedFailure& failure) {
  const char* names[] = {
      "Open",        "Read",      "Write",    "Flush", "Seek", "Delete", "Move", "Find", "SetCurrentFolder",
      "Information", "FinalPath", "FullPath", "Rename"};
  return names[static_cast<int>(failure.op)] + std::to_string(failure.skip);
}
std::string StepName(const ::testing::TestParamInfo<InjectedFailure>& info) { return Describe(info.param); }
void PrintTo(const InjectedFailure& failure, std::ostream* out) { *out << Describe(failure); }

class InstallFailureTest : public InstallTest, public ::testing::WithParamInterface<InjectedFailure> {};

TEST_P(InstallFailureTest, LeavesTheInstalledFileAsItWasRemovesTheCopyAndReports) {
  const InjectedFailure failure = GetParam();
  fake.ownModule.AddResource("VLFW", "3BS", DataFile(4, 200000));  // written in several chunks
  const std::string installed = DataFile(5);
  fake.files.AddFile(kData, installed);
  fake.files.InjectFailure(failure.op, failure.path, win::kErrorDiskFull, failure.skip);
  fake.ui.answers = {win::kIdYes};
  EXPECT_EQ(Install(), InstallOutcome::Failed);
  EXPECT_EQ(Contents(kData), installed);
  EXPECT_EQ(fake.files.AllFiles(), std::vector<std::string>{kData});
  ASSERT_FALSE(fake.ui.boxes.empty());
  EXPECT_EQ(fake.ui.boxes.back().text, std::string("Can't install file ") + kData);
  EXPECT_EQ(fake.ui.boxes.back().style, win::kErrorBoxStyle);
  EXPECT_EQ(fake.files.OpenHandleCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryStep, InstallFailureTest,
                         ::testing::Values(InjectedFailure{fakes::FileOp::Open, kTemp, 1},
                                           InjectedFailure{fakes::FileOp::Write, kTemp, 0},
                                           InjectedFailure{fakes::FileOp::Write, kTemp, 2},
                                           InjectedFailure{fakes::FileOp::Flush, kTemp, 0},
                                           InjectedFailure{fakes::FileOp::Rename, kTemp, 0}),
                         StepName);

TEST_F(InstallTest, AMissingResourceOrFolderIsReportedAndTouchesNothing) {
  session = fakes::MakeTestSession(fake, {.russian = true});
  fake.files.AddFile(kData, DataFile(5));
  EXPECT_EQ(Install(), InstallOutcome::Failed);
  EXPECT_EQ(fake.files.AllFiles(), std::vector<std::string>{kData});
  EXPECT_TRUE(fake.files.Creates().empty());
  fake.ownModule.AddResource("VLFW", "3BS", newData);
  EXPECT_EQ(Install("3bs", "C:\\Nowhere\\vlfw.3bs"), InstallOutcome::Failed);
  ASSERT_EQ(fake.ui.boxes.size(), 2u);
  EXPECT_EQ(fake.ui.boxes[0].text, std::string("Не удается установить файл ") + kData);
  EXPECT_EQ(fake.ui.boxes[1].text, "Не удается установить файл C:\\Nowhere\\vlfw.3bs");
  EXPECT_EQ(fake.files.AllFiles(), std::vector<std::string>{kData});
}

}  // namespace
}  // namespace velora
