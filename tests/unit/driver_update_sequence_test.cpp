// The whole update over the fake machine: one table of the ways a run ends (the boxes, the exit code,
// the data file and its size record, the running product told to quit and started again), the questions
// composed in full, and the order of the calls around a running product. The steps the sequence hands
// on (discovery, the language files, the copy and its replacement, the product's start, the own-file
// check) have their own tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "driver/entry_point.h"
#include "driver/run_log.h"
#include "driver/session.h"
#include "driver/update_sequence.h"
#include "support/fake_windows.h"
#include "support/synthetic_pe.h"

namespace velora {
namespace {

using platform::RootKey;

constexpr const char* kFolder = "C:\\Program Files\\Velora\\";
constexpr const char* kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velora";
constexpr const char* kProductKey = "Software\\Orvane\\Velora";
constexpr const char* kOwnPath = "C:\\Downloads\\VeloraUpdate.exe";

const std::string kEnglishLng =
    "[langname]\r\nEnglish\r\n\r\n[langver]\r\n3\r\n\r\n[langcode]\r\n1033\r\n2057\r\n\r\n[langcharset]\r\n0\r\n\r\n"
    "[progname]\r\nVelora update\r\n\r\n[ProgDescr0]\r\nUpdater\r\n\r\n"
    "[noright]\r\nYou need administrator rights.\r\nAsk your administrator.\r\n\r\n"
    "[filecantopen]\r\nCannot open %1.\r\nClose Velora and try again.\r\n\r\n"
    "[soundquest]\r\nQuestion\r\n\r\n"
    "[olderfilever]\r\nThe file %1 is older\r\nthan the installed one. Replace it?\r\n\r\n"
    "[liveupdatecaption]\r\nVelora Live Update\r\n\r\n"
    "[darovovevi]\r\nVelora data library\r\n\r\n"
    "[installask]\r\n%1 will install\r\n%2. Go on?\r\n\r\n"
    "[installdone]\r\n%1 is installed.\r\n\r\n"
    "[asktorun]\r\nStart Velora now?\r\n\r\n"
    "[badinstaller]\r\nThis updater is damaged.\r\nDownload it again.\r\n\r\n"
    "[verificationfail]\r\nThis updater cannot check itself.\r\n\r\n";
const std::string kRussianLng =
    "[langname]\r\nРусский\r\n\r\n[langver]\r\n3\r\n\r\n[langcode]\r\n1049\r\n\r\n[langcharset]\r\n204\r\n\r\n"
    "[progname]\r\nОбновление Велоры\r\n\r\n[soundquest]\r\nВопрос\r\n\r\n"
    "[liveupdatecaption]\r\nЖивое обновление\r\n\r\n[darovovevi]\r\nБиблиотека данных\r\n\r\n"
    "[installask]\r\n%1 установит %2. Продолжить?\r\n\r\n[installdone]\r\n%1 установлено.\r\n\r\n"
    "[asktorun]\r\nЗапустить Велору?\r\n\r\n";

std::string DataFile(int version, std::size_t size = 64) {
  std::string bytes = std::string("vlfw\x02", 5) + static_cast<char>(version) + std::string("\x00\x08", 2);
  bytes.resize(size, 'd');
  return bytes;
}

const std::string kPayload = DataFile(1, 300) + "new";
constexpr std::uint32_t kProductProcess = 77;
constexpr int kHeldThroughout = 99;  ///< held past every try
std::string CopyPath() { return std::string(kFolder) + "~vlfw.3bs"; }

/// The product as the run finds it.
enum class Product {
  Absent,
  Running,          ///< its shared memory, its main window, and a process that can be waited for
  WithoutProcess,   ///< running, but its window's process cannot be told
  WithoutWindow,    ///< its shared memory, but no main window to tell
  OnlyAWindowLeft,  ///< a window of its class, but no shared memory
};

class UpdateSequenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.registry.SetString(RootKey::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                            "C:\\Program Files");
    fake.registry.SetString(RootKey::CurrentUser,
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Programs",
                            "C:\\Users\\u\\Programs");
    fake.registry.SetString(RootKey::LocalMachine, kUninstall, "UninstallString", std::string(kFolder) + "uninst.exe");
    fake.files.AddFile(std::string(kFolder) + "velora.exe", "MZ product");
    fake.files.AddFile(std::string(kFolder) + "language\\english.lng", kEnglishLng);
    fake.files.AddFile(std::string(kFolder) + "language\\russian.lng", kRussianLng);
    fake.files.AddFile(DataPath(), DataFile(1));
    fake.ownModule.AddResource("vlfw", "3bs", kPayload);
    fake.files.AddFile(kOwnPath, fakes::StampedPeImage("updater image"));
    fake.files.AddFolder("C:\\Temp");
    log.Open("C:\\Temp\\");
  }

  int Run(std::vector<std::string> arguments = {}, const std::string& payloadFileName = "vlfw.3bs") {
    session = std::make_unique<Session>(fake.platform, std::move(arguments));
    return RunUpdate(*session, MakeDriverSettings("darovovevi", payloadFileName, 1), log);
  }

  static std::string DataPath() { return std::string(kFolder) + "vlfw.3bs"; }
  std::string Installed() { return fake.files.Contents(DataPath()).value_or("<none>"); }
  std::string Log() { return fake.files.Contents("C:\\Temp\\VeloraUpdate.log").value_or(""); }
  bool Logged(const std::string& line) { return Log().find(line) != std::string::npos; }

  void PutProduct(Product product) {
    if (product == Product::Absent) return;
    if (product != Product::OnlyAWindowLeft) fake.processes.existingMappings.insert("velora_memfile");
    if (product != Product::WithoutWindow) fake.desktop.windows["TVeloraMainForm"] = 0x1234;
    if (product != Product::Running) return;
    fake.desktop.windowProcesses[0x1234] = kProductProcess;
    fake.processes.onProcessEnd = [this] { fake.files.ReleaseExternalLocks(DataPath()); };
  }
  /// Another process holds the data file for this many of its tries, 256 ms apart.
  void HoldDataFile(int tries) {
    if (tries == 0) return;
    fake.files.LockExternally(DataPath());
    fake.machine.onSleep = [this, tries](std::uint32_t) {
      if (fake.machine.sleeps.size() == static_cast<std::size_t>(tries)) fake.files.ReleaseExternalLocks(DataPath());
    };
  }
  std::size_t ProductStarts() const {
    return fake.processes.shellStarts.size() + fake.tokens.tokenStarts.size() + fake.tokens.linkedTokenStarts.size() +
           fake.sessions.sessionStarts.size();
  }

  fakes::FakeWindows fake;
  std::unique_ptr<Session> session;
  RunLog log{fake.files, fake.text, fake.machine};
};

// The texts of the boxes a run may show, as the English language file and the fixed texts word them.
const std::string kInstallQuestion = "Velora Live Update will install\r\nVelora data library 1. Go on?";
const std::string kOlderQuestion = "The file vlfw.3bs is older\r\nthan the installed one. Replace it?";
const std::string kStartQuestion = "Velora Live Update (Velora data library 1) is installed.\r\n\r\nStart Velora now?";
const std::string kNoRights = "You need administrator rights.\r\nAsk your administrator.";
const std::string kNoProduct = "There's no Velora installed.\r\nPlease install the program first.";
const std::string kNoRegistry = "No access to system registry";
const std::string kCannotOpen = "Cannot open C:\\Program Files\\Velora\\vlfw.3bs.\r\nClose Velora and try again.";
const std::string kCannotInstall = "Can't install file C:\\Program Files\\Velora\\vlfw.3bs";
const std::string kDamaged = "This updater is damaged.\r\nDownload it again.";
const std::string kUnreadable = "This updater cannot check itself.";

TEST_F(UpdateSequenceTest, TheQuestionsAreComposedFromTheLanguageFileAndYesYesWritesRecordsAndStarts) {
  fake.ui.answers = {win::kIdYes, win::kIdYes};
  EXPECT_EQ(Run(), kExitWritten);

  const std::vector<platform::MessageBoxRequest> questions{
      {platform::MessageBoxFunction::MessageBoxExA, kInstallQuestion, "Question", 0x00042024, 1033},
      {platform::MessageBoxFunction::MessageBoxExA, kStartQuestion, "Velora Live Update", 0x00042024, 1033}};
  EXPECT_EQ(fake.ui.boxes, questions);

  EXPECT_EQ(Installed(), kPayload);
  // velora.exe 10 + english.lng 690 + russian.lng 327 + the new vlfw.3bs 303 = 1330 bytes: 1 KiB.
  EXPECT_EQ(fake.registry.Dword(RootKey::LocalMachine, kUninstall, "EstimatedSize"), 1u);
  EXPECT_EQ(ProductStarts(), 1u);
}

TEST_F(UpdateSequenceTest, ARussianUserGetsTheQuestionsOfTheRussianFileWithItsLanguageId) {
  fake.text.userLocale = 1049;
  fake.ui.answers = {win::kIdYes, win::kIdNo};
  EXPECT_EQ(Run(), kExitWritten);
  const std::vector<platform::MessageBoxRequest> questions{
      {platform::MessageBoxFunction::MessageBoxExA, "Живое обновление установит Библиотека данных 1. Продолжить?",
       "Вопрос", 0x00042024, 1049},
      {platform::MessageBoxFunction::MessageBoxExA,
       "Живое обновление (Библиотека данных 1) установлено.\r\n\r\nЗапустить Велору?", "Живое обновление", 0x00042024,
       1049}};
  EXPECT_EQ(fake.ui.boxes, questions);
  EXPECT_EQ(ProductStarts(), 0u);
}

/// The machine a run meets: what the fixture sets up, changed by these fields.
struct Machine {
  std::vector<std::string> arguments;
  std::optional<std::string> installed = DataFile(1);  ///< the installed data file; none without
  std::deque<int> answers;                             ///< unanswered questions get No
  Product product = Product::Absent;
  int heldFor = 0;                                ///< tries for which another process holds the data file
  void (*change)(fakes::FakeWindows&) = nullptr;  ///< failures, other folders, another locale
  const char* payloadFile = "vlfw.3bs";
};

/// How the run ends; Written, Declined and Failed give the exit code and the boxes, the rest is added on.
struct Outcome {
  std::vector<std::string> boxes;
  int exitCode = kExitFailed;
  bool written = false;       ///< the product folder's data file is this update's, else it is as it was
  bool sizeRecorded = false;  ///< "EstimatedSize" in the uninstall entry
  bool quitPosted = false;    ///< WM_QUIT posted to the product's main window
  std::size_t starts = 0;     ///< the product started, whichever way
  int tries = 0;              ///< tries at the held data file, 256 ms apart
  int waits = 0;              ///< waits of at most 5 s for the product's process to end
  std::vector<std::string> logged;
  std::optional<std::string> caption;  ///< of every box, where the row names it

  Outcome& FileWritten() { return written = true, *this; }
  Outcome& SizeRecorded() { return sizeRecorded = true, *this; }
  Outcome& QuitPosted() { return quitPosted = true, *this; }
  Outcome& Starts(std::size_t count) { return starts = count, *this; }
  Outcome& Tries(int count) { return tries = count, *this; }
  Outcome& Waits(int count) { return waits = count, *this; }
  Outcome& Logs(std::string line) { return logged.push_back(std::move(line)), *this; }
  Outcome& Captioned(std::string text) { return caption = std::move(text), *this; }
};

Outcome Written(std::vector<std::string> boxes = {}) {
  return Outcome{.boxes = std::move(boxes), .exitCode = kExitWritten, .written = true, .sizeRecorded = true};
}
Outcome Declined(std::vector<std::string> boxes) {
  return Outcome{.boxes = std::move(boxes), .exitCode = kExitDeclined};
}
Outcome Failed(std::vector<std::string> boxes) { return Outcome{.boxes = std::move(boxes), .exitCode = kExitFailed}; }

struct Ending {
  const char* name;
  Machine machine;
  Outcome outcome;
};

void PrintTo(const Ending& row, std::ostream* out) { *out << row.name; }

class UpdateEndingTest : public UpdateSequenceTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(UpdateEndingTest, EndsAsScripted) {
  const Machine& machine = GetParam().machine;
  const Outcome& expected = GetParam().outcome;
  const std::string path = std::string(kFolder) + machine.payloadFile;
  if (machine.installed) {
    fake.files.AddFile(path, *machine.installed);
  } else {
    fake.files.Remove(path);
  }
  PutProduct(machine.product);
  HoldDataFile(machine.heldFor);
  if (machine.change) machine.change(fake);
  const std::optional<std::string> before = fake.files.Contents(path);
  const bool folderBefore = fake.files.FolderExists(path);
  fake.ui.answers = machine.answers;

  EXPECT_EQ(Run(machine.arguments, machine.payloadFile), expected.exitCode);

  std::vector<std::string> boxes;
  for (const auto& box : fake.ui.boxes) boxes.push_back(box.text);
  EXPECT_EQ(boxes, expected.boxes);
  for (const auto& box : fake.ui.boxes) EXPECT_EQ(box.caption, expected.caption.value_or(box.caption));
  if (expected.written) {
    EXPECT_EQ(fake.files.Contents(session->Environment.ProductFolder + machine.payloadFile), kPayload);
  } else {
    EXPECT_EQ(fake.files.Contents(path), before);
    EXPECT_EQ(fake.files.FolderExists(path), folderBefore);
  }
  EXPECT_EQ(fake.registry.Dword(RootKey::LocalMachine, kUninstall, "EstimatedSize").has_value(), expected.sizeRecorded);
  if (expected.quitPosted) {
    ASSERT_EQ(fake.desktop.posts.size(), 1u);
    EXPECT_EQ(fake.desktop.posts[0].window, 0x1234u);
    EXPECT_EQ(fake.desktop.posts[0].message, 0x0012u);
    ASSERT_EQ(fake.processes.mappingsCreated.size(), 1u);
    EXPECT_EQ(fake.processes.mappingsCreated[0].name, "velora_memfile");
    EXPECT_EQ(fake.processes.mappingsCreated[0].sizeLow, 64u);
  } else {
    EXPECT_TRUE(fake.desktop.posts.empty());
  }
  EXPECT_EQ(ProductStarts(), expected.starts);
  EXPECT_EQ(fake.machine.sleeps, std::vector<std::uint32_t>(static_cast<std::size_t>(expected.tries), 256));
  EXPECT_EQ(fake.processes.waitTimeouts, std::vector<std::uint32_t>(static_cast<std::size_t>(expected.waits), 5000));
  for (const std::string& line : expected.logged) EXPECT_TRUE(Logged(line)) << line << "\n" << Log();

  // Quiet mode compares no versions: unless a product told to quit is waited for, the data file is never
  // opened alone. Whatever the ending, nothing stays open and no copy is left behind.
  if (!machine.arguments.empty() && fakes::Lower(machine.arguments[0]) == "modest" && !expected.quitPosted) {
    for (const auto& create : fake.files.Creates()) {
      EXPECT_FALSE(create.path == path && create.share == 0) << "the installed file was opened alone";
    }
  }
  EXPECT_EQ(fake.registry.OpenKeyCount(), 0);
  EXPECT_EQ(fake.processes.mappingHandlesOpen, 0);
  EXPECT_EQ(fake.processes.waitableProcessesOpen, 0);
  EXPECT_FALSE(fake.files.FileExists(std::string(kFolder) + "~" + machine.payloadFile));
}

// The changes the rows make to the machine the fixture sets up.
using Fake = fakes::FakeWindows;
void FailTheCopysWrite(Fake& f) { f.files.InjectFailure(fakes::FileOp::Write, CopyPath(), win::kErrorDiskFull); }
void FailTheReplacement(Fake& f) { f.files.InjectFailure(fakes::FileOp::Rename, CopyPath(), 5); }
void FailTheSizeRecord(Fake& f) { f.registry.FailWritesTo(RootKey::LocalMachine, kUninstall, 5); }
void RemoveTheProductsProgram(Fake& f) { f.files.Remove(std::string(kFolder) + "velora.exe"); }
void PutAFolderAtTheProductsProgram(Fake& f) {
  RemoveTheProductsProgram(f);
  f.files.AddFolder(std::string(kFolder) + "velora.exe");
}
void PutAFolderAtTheDataFile(Fake& f) { f.files.AddFolder(std::string(kFolder) + "vlfw.3bs"); }
void CarryADatFile(Fake& f) { f.ownModule.AddResource("vlfw", "dat", kPayload); }
void RussianUser(Fake& f) { f.text.userLocale = 1049; }
void RussianUserWithoutTheProduct(Fake& f) {
  RemoveTheProductsProgram(f);
  RussianUser(f);
}
void NoAdministrator(Fake& f) { f.tokens.userIsAdmin = false; }
void RecordALastRunFolder(Fake& f) {
  f.files.AddFile("D:\\Velora\\velora.exe", "MZ");
  f.files.AddFile("D:\\Velora\\language\\english.lng", kEnglishLng);
  f.registry.SetString(RootKey::CurrentUser, kProductKey, "TheLastRunFolder", "D:\\Velora");
}
void RecordALastRunFolderOfAnotherType(Fake& f) {
  f.registry.SetDword(RootKey::CurrentUser, kProductKey, "TheLastRunFolder", 7);
}
void DamageTheUpdater(Fake& f) {
  std::string image = *f.files.Contents(kOwnPath);
  image[3] ^= 1;
  f.files.AddFile(kOwnPath, image);
}
void LockTheUpdater(Fake& f) { f.files.LockExternally(kOwnPath); }
void FailThePost(Fake& f) { f.desktop.postFailure = 1816; }  // ERROR_NOT_ENOUGH_QUOTA
void FailTheProcessOpen(Fake& f) { f.processes.processOpenFailure = 5; }
void OutlastTheWait(Fake& f) { f.processes.waitResult = win::kWaitTimeout; }
void HandTheWindowOnWhileItsProcessIsOpened(Fake& f) {
  f.processes.onProcessOpen = [&f] { f.desktop.windowProcesses[0x1234] = kProductProcess + 1; };
}

const std::deque<int> kYesNo{win::kIdYes, win::kIdNo};
const std::deque<int> kYes{win::kIdYes};
const std::vector<std::string> kQuiet{"modest"};
const std::vector<std::string> kRunapp{"modest", "runapp"};
const std::vector<std::string> kBothQuestions{kInstallQuestion, kStartQuestion};
const std::string kNotWritten = "data file not written: C:\\Program Files\\Velora\\vlfw.3bs: error ";

const Ending kEndings[] = {
    // Interactive, the product not running.
    {"YesThenNo", {.answers = kYesNo}, Written(kBothQuestions)},
    {"NoToTheInstallQuestion", {}, Declined({kInstallQuestion})},
    {"ANewerInstalledFileAsksFirst", {.installed = DataFile(2)}, Declined({kOlderQuestion})},
    {"ANewerInstalledFileWithYesAsksTheInstallQuestionToo",
     {.installed = DataFile(2), .answers = kYesNo},
     Declined({kOlderQuestion, kInstallQuestion})},
    {"AnOlderInstalledFile", {.installed = DataFile(0), .answers = kYesNo}, Written(kBothQuestions)},
    {"AShortInstalledFile", {.installed = std::string("vlfw\x02", 5), .answers = kYesNo}, Written(kBothQuestions)},
    {"NoInstalledFile", {.installed = std::nullopt, .answers = kYesNo}, Written(kBothQuestions)},
    // A file of another kind has its version in byte 4, less 32: 2 here, newer than this update's 1.
    {"ADataFileNotOfKind3bsHasItsVersionInByte4Minus32",
     {.installed = std::string("vlfw\x22\x01\x00\x08", 8), .change = CarryADatFile, .payloadFile = "vlfw.dat"},
     Declined({"The file vlfw.dat is older\r\nthan the installed one. Replace it?"})},
    {"ALockedInstalledFileIsTried17Times256MsApartThenReported",
     {.heldFor = kHeldThroughout},
     Failed({kCannotOpen}).Tries(17)},
    {"AFileReleasedWhileRetryingIsRead", {.answers = kYesNo, .heldFor = 5}, Written(kBothQuestions).Tries(5)},
    // Only a file is the installed data file: a folder of its name is not read, and the write reports it.
    {"AFolderNamedLikeTheDataFile",
     {.installed = std::nullopt, .answers = kYes, .change = PutAFolderAtTheDataFile},
     Failed({kInstallQuestion, kCannotInstall}).SizeRecorded()},
    {"TheLastRunFolderWins",
     {.answers = kYesNo, .change = RecordALastRunFolder},
     Written(kBothQuestions)
         .Logs("product folder found: C:\\Program Files\\Velora\\")
         .Logs("product folder from TheLastRunFolder: D:\\Velora\\")},

    // Ends before anything is written.
    {"ALastRunFolderThatIsNoStringIsARegistryFailure",
     {.change = RecordALastRunFolderOfAnotherType},
     Failed({kNoRegistry}).Logs("TheLastRunFolder cannot be read as a folder: error 1630")},
    {"NoProductExecutable",
     {.change = RemoveTheProductsProgram},
     Failed({kNoProduct})
         .Captioned("Velora update")
         .Logs("the product is not installed: no C:\\Program Files\\Velora\\Velora.exe")},
    {"NoProductExecutableForARussianUser",
     {.change = RussianUserWithoutTheProduct},
     Failed({"Нет установленной программы \"Велора\"!\r\nПожалуйста, сначала установите её."})
         .Captioned("Обновление программы \"Велора\"")},
    {"AFolderNamedLikeTheProductsProgram", {.change = PutAFolderAtTheProductsProgram}, Failed({kNoProduct})},
    {"ANonAdministrator",
     {.change = NoAdministrator},
     Failed({kNoRights}).Captioned("Velora update").Logs("no administrator rights")},
    // A damaged package costs the user nothing: a running product is not told to quit, nor started again.
    {"ADamagedUpdater",
     {.arguments = kRunapp, .product = Product::Running, .change = DamageTheUpdater},
     Failed({kDamaged}).Logs("this program's own file is damaged")},
    {"AnUnreadableUpdater",
     {.arguments = kRunapp, .change = LockTheUpdater},
     Failed({kUnreadable}).Logs("this program's own file cannot be read")},

    // A failed write asks no completion question, which would report it as done.
    {"AFullDrive",
     {.answers = kYes, .change = FailTheCopysWrite},
     Failed({kInstallQuestion, kCannotInstall}).SizeRecorded().Logs(kNotWritten + "112")},
    {"AReplacementRefused",
     {.answers = kYes, .change = FailTheReplacement},
     Failed({kInstallQuestion, kCannotInstall}).SizeRecorded().Logs(kNotWritten + "5")},
    {"AnUninstallEntryThatCannotBeWritten",
     {.answers = kYes, .change = FailTheSizeRecord},
     Failed({kInstallQuestion, kNoRegistry}).FileWritten()},

    // Quiet mode: no questions, and the product started again only with "runapp".
    {"QuietModeInAnyCaseWritesWhateverIsInstalled", {.arguments = {"MoDeSt"}, .installed = DataFile(9)}, Written()},
    {"RunappInAnyCase", {.arguments = {"modest", "RUNAPP"}}, Written().Starts(1)},
    {"RunappsIsNoRunapp", {.arguments = {"modest", "runapps"}}, Written()},
    {"AFailedQuietReplacementStillStartsTheProductWithRunapp",
     {.arguments = kRunapp, .change = FailTheReplacement},
     Failed({kCannotInstall}).SizeRecorded().Starts(1)},
    // The copy is written before the product is told anything: a full drive leaves it running.
    {"AQuietFullDriveLeavesARunningProductAlone",
     {.arguments = kRunapp, .product = Product::Running, .change = FailTheCopysWrite},
     Failed({kCannotInstall}).Logs(kNotWritten + "112")},

    // A running product.
    {"ARunningProductIsToldToQuitEvenWhenTheUserDeclines",
     {.product = Product::Running},
     Declined({kInstallQuestion}).QuitPosted()},
    {"NoWindowNothingPosted", {.product = Product::WithoutWindow}, Declined({kInstallQuestion})},
    {"NoSharedMemoryNothingPosted", {.product = Product::OnlyAWindowLeft}, Declined({kInstallQuestion})},
    // PostMessageA can fail (a full queue, a window of a higher integrity level): the product was not told
    // to quit, so it is neither waited for nor, with "runapp", started a second time beside itself.
    {"AWmQuitThatCannotBePosted",
     {.arguments = kRunapp, .product = Product::Running, .change = FailThePost},
     Written().QuitPosted().Logs("it could not be told to quit: it is not started a second time")},
    {"RunappStartsTheProductAgainAfterARegistryFailure",
     {.arguments = kRunapp, .product = Product::Running, .change = FailTheSizeRecord},
     Failed({kNoRegistry}).FileWritten().QuitPosted().Starts(1).Waits(1)},
    // Where the product's process cannot be had, the data file's tries stand in for the wait.
    {"AProductWithoutAProcessIsWaitedForThroughItsDataFile",
     {.arguments = kRunapp, .product = Product::WithoutProcess, .heldFor = 4},
     Written().QuitPosted().Starts(1).Tries(4)},
    {"AProcessThatCannotBeOpenedIsWaitedForThroughItsDataFile",
     {.arguments = kRunapp, .product = Product::Running, .heldFor = 3, .change = FailTheProcessOpen},
     Written().QuitPosted().Starts(1).Tries(3)},
    {"ADataFileHeldThroughEveryTryIsReplacedAnywayAndTheFailureReported",
     {.arguments = kRunapp, .product = Product::WithoutProcess, .heldFor = kHeldThroughout},
     Failed({kCannotInstall}).SizeRecorded().QuitPosted().Starts(1).Tries(17)},
    {"NoWaitWhenNoProductWasToldToQuit",
     {.arguments = kQuiet, .product = Product::WithoutWindow, .heldFor = kHeldThroughout},
     Failed({kCannotInstall}).SizeRecorded()},
    {"NoWaitWhenNoDataFileIsInstalled",
     {.arguments = kQuiet, .installed = std::nullopt, .product = Product::WithoutProcess},
     Written().QuitPosted()},
    {"PastTheBoundTheWriteAndTheStartGoAheadAfterOneWait",
     {.arguments = kRunapp, .product = Product::Running, .heldFor = kHeldThroughout, .change = OutlastTheWait},
     Failed({kCannotInstall})
         .SizeRecorded()
         .QuitPosted()
         .Starts(1)
         .Waits(1)
         .Logs("the product still runs after 5000 ms of waiting; going on all the same")},
    // A window whose process id changed while the process was opened belongs to a later process that took
    // over the ended product's id: that handle is not waited for, and the data file's tries stand in.
    {"AWindowThatChangedItsProcessWhileItWasOpenedIsNotWaitedFor",
     {.arguments = kRunapp,
      .product = Product::Running,
      .heldFor = 2,
      .change = HandTheWindowOnWhileItsProcessIsOpened},
     Written().QuitPosted().Starts(1).Tries(2).Logs("the product's window went away while its process was opened")},
};

INSTANTIATE_TEST_SUITE_P(Endings, UpdateEndingTest, ::testing::ValuesIn(kEndings),
                         [](const auto& info) { return std::string(info.param.name); });

// The product told to quit is waited for through its process (no polling), before a quiet write and
// before every start, so that a product guarding against a second copy finds its old copy gone.
struct ProductWaitPath {
  const char* name;
  std::vector<std::string> arguments;
  std::deque<int> answers;
  bool dataFileInstalled;
  bool writeFails;
  int exitCode;
};

void PrintTo(const ProductWaitPath& row, std::ostream* out) { *out << row.name; }

class ProductWaitTest : public UpdateSequenceTest, public ::testing::WithParamInterface<ProductWaitPath> {
 protected:
  void SetUp() override {
    UpdateSequenceTest::SetUp();
    PutProduct(Product::Running);  // holding its data file until it ends
    HoldDataFile(kHeldThroughout);
  }
  std::ptrdiff_t FirstCall(const std::string& prefix) {
    const auto found = std::find_if(fake.journal.begin(), fake.journal.end(),
                                    [&](const std::string& entry) { return entry.rfind(prefix, 0) == 0; });
    return found == fake.journal.end() ? -1 : found - fake.journal.begin();
  }
};

TEST_P(ProductWaitTest, WaitsForTheOldCopyBeforeTheWriteAndTheStart) {
  const ProductWaitPath& path = GetParam();
  if (!path.dataFileInstalled) {
    fake.files.ReleaseExternalLocks(DataPath());
    fake.files.Remove(DataPath());
  }
  if (path.writeFails) FailTheReplacement(fake);
  fake.ui.answers = path.answers;
  EXPECT_EQ(Run(path.arguments), path.exitCode);

  EXPECT_EQ(fake.processes.processesOpenedToWait, std::vector<std::uint32_t>{kProductProcess});
  EXPECT_EQ(fake.processes.waitTimeouts, std::vector<std::uint32_t>{5000});
  EXPECT_TRUE(fake.machine.sleeps.empty());
  EXPECT_EQ(fake.processes.waitableProcessesOpen, 0);
  const auto wait = FirstCall("WaitForSingleObject");
  EXPECT_LT(FirstCall("GetWindowThreadProcessId"), FirstCall("PostMessage"));
  EXPECT_LT(FirstCall("OpenProcess 77"), FirstCall("PostMessage"));
  EXPECT_LT(wait, FirstCall("GetTokenInformation TokenLinkedToken"));
  const auto staged = FirstCall("CreateFile " + CopyPath());
  const auto replaced = FirstCall("RenameByHandle ");
  if (!path.answers.empty()) {
    EXPECT_EQ(fake.ui.boxes.size(), 2u);         // the install and completion questions
    EXPECT_LT(FirstCall("MessageBox"), staged);  // staged only after the install question's Yes
  } else {
    // The whole copy is written and flushed while the product runs; only the replacement waits for it.
    EXPECT_LT(FirstCall("FlushFileBuffers " + CopyPath()), FirstCall("PostMessage"));
    EXPECT_LT(wait, replaced);
  }
  EXPECT_LT(staged, replaced);
  EXPECT_EQ(ProductStarts(), 1u);
  EXPECT_TRUE(Logged("the product has ended"));
}

const std::deque<int> kYesYes{win::kIdYes, win::kIdYes};

INSTANTIATE_TEST_SUITE_P(
    Paths, ProductWaitTest,
    ::testing::Values(ProductWaitPath{"QuietWrite", kRunapp, {}, true, false, kExitWritten},
                      ProductWaitPath{"QuietWriteWithoutDataFile", kRunapp, {}, false, false, kExitWritten},
                      ProductWaitPath{"QuietFailure", kRunapp, {}, true, true, kExitFailed},
                      ProductWaitPath{"InteractiveYes", {}, kYesYes, false, false, kExitWritten},
                      // "runapp" counts in quiet mode only, and only "modest" itself is quiet mode.
                      ProductWaitPath{"InteractiveRunapp", {"other", "runapp"}, kYesYes, false, false, kExitWritten},
                      ProductWaitPath{
                          "ModestlyIsInteractive", {"modestly", "runapp"}, kYesYes, false, false, kExitWritten}),
    [](const auto& info) { return std::string(info.param.name); });

// The kind is what follows the last dot; without a dot there is none.
TEST(MakeDriverSettings, TheKindFollowsTheLastDot) {
  struct Row {
    const char* file;
    const char* base;
    const char* kind;
  };
  for (const Row& row : {Row{"vlfw.old.3bs", "vlfw.old", "3bs"}, Row{"vlfw", "vlfw", ""}}) {
    const DriverSettings settings = MakeDriverSettings("darovovevi", row.file, 1);
    EXPECT_EQ(settings.PayloadBaseName, row.base) << row.file;
    EXPECT_EQ(settings.PayloadKind, row.kind) << row.file;
  }
}

// DLLs come from the system folder only, set first of all; only where that cannot be set (Windows 7 without
// its loader update) does the current folder leave the search order instead.
TEST(EntryPoint, LimitsTheDllSearchOrderBeforeAnythingElse) {
  for (const bool defaultDirectories : {true, false}) {
    fakes::FakeWindows fake;
    fake.ownModule.dllDirectoriesAvailable = defaultDirectories;
    RunUpdater(fake.platform, {});
    ASSERT_GE(fake.journal.size(), 2u);
    EXPECT_EQ(fake.journal[0], "SetDefaultDllDirectories");
    EXPECT_EQ(fake.ownModule.dllDirectoryFlags, std::vector<std::uint32_t>{0x800});
    EXPECT_EQ(fake.ownModule.dllFolders,
              defaultDirectories ? std::vector<std::string>{} : std::vector<std::string>{""});
    EXPECT_EQ(fake.journal[1] == "SetDllDirectory \"\"", !defaultDirectories);
  }
}

}  // namespace
}  // namespace velora
