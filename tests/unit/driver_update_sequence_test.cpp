// The whole update over the fake machine: each part of the sequence and each way it can end early, the questions
// composed exactly, quiet mode, the exit codes, and where "EstimatedSize" goes.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "driver/entry_point.h"
#include "driver/folder_size.h"
#include "driver/integrity_check.h"
#include "driver/run_log.h"
#include "driver/update_sequence.h"
#include "driver/session.h"
#include "support/fake_windows.h"
#include "support/synthetic_pe.h"

namespace velora {
namespace {

using platform::RootKey;

constexpr const char* kFolder = "C:\\Program Files\\Velora\\";
constexpr const char* kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velora";
constexpr const char* kUninstallWow = "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velora";
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
    fake.files.AddFile(std::string(kFolder) + "vlfw.3bs", DataFile(1));
    fake.ownModule.AddResource("vlfw", "3bs", payload);
    fake.files.AddFile(kOwnPath, fakes::StampedPeImage("updater image"));
  }

  int Run(std::vector<std::string> arguments = {}, const std::string& payloadFileName = "vlfw.3bs") {
    session = std::make_unique<Session>(fake.platform, std::move(arguments));
    return RunUpdate(*session, MakeDriverSettings("darovovevi", payloadFileName, 1), log);
  }

  std::string Installed() { return fake.files.Contents(std::string(kFolder) + "vlfw.3bs").value_or("<none>"); }
  void OpenLog() {
    fake.files.AddFolder("C:\\Temp");
    log.Open("C:\\Temp\\");
  }
  bool Logged(const std::string& line) {
    return fake.files.Contents("C:\\Temp\\VeloraUpdate.log").value_or("").find(line) != std::string::npos;
  }
  std::vector<std::string> Captions() {
    std::vector<std::string> captions;
    for (const auto& box : fake.ui.boxes) captions.push_back(box.caption);
    return captions;
  }

  fakes::FakeWindows fake;
  std::unique_ptr<Session> session;
  RunLog log{fake.files, fake.text, fake.machine};
  const std::string payload = DataFile(1, 300) + "new";
};

TEST_F(UpdateSequenceTest, MainFlowAsksComposedQuestionsWritesRecordsAndStarts) {
  fake.ui.answers = {win::kIdYes, win::kIdYes};
  EXPECT_EQ(Run(), kExitWritten);

  const std::vector<platform::MessageBoxRequest> questions{
      {platform::MessageBoxFunction::MessageBoxExA, "Velora Live Update will install\r\nVelora data library 1. Go on?",
       "Question", 0x00042024, 1033},
      {platform::MessageBoxFunction::MessageBoxExA,
       "Velora Live Update (Velora data library 1) is installed.\r\n\r\nStart Velora now?", "Velora Live Update",
       0x00042024, 1033}};
  EXPECT_EQ(fake.ui.boxes, questions);

  EXPECT_EQ(Installed(), payload);
  // velora.exe 10 + english.lng 690 + russian.lng 327 + the new vlfw.3bs 303 = 1330 bytes: 1 KiB.
  EXPECT_EQ(fake.registry.Dword(RootKey::LocalMachine, kUninstall, "EstimatedSize"), 1u);
  ASSERT_EQ(fake.tokens.linkedTokenStarts.size(), 1u);
  EXPECT_EQ(fake.tokens.linkedTokenStarts[0].application, std::string(kFolder) + "Velora.exe");
  EXPECT_EQ(fake.files.CurrentFolder(), kFolder);
  EXPECT_EQ(fake.registry.OpenKeyCount(), 0);
  EXPECT_FALSE(fake.files.FileExists(std::string(kFolder) + "~vlfw.3bs"));
}

TEST_F(UpdateSequenceTest, RussianUserGetsTheRussianFileTextsAndLanguageId) {
  fake.text.userLocale = 1049;
  fake.ui.answers = {win::kIdYes, win::kIdNo};
  EXPECT_EQ(Run(), kExitWritten);
  ASSERT_EQ(fake.ui.boxes.size(), 2u);
  EXPECT_EQ(fake.ui.boxes[0],
            (platform::MessageBoxRequest{platform::MessageBoxFunction::MessageBoxExA,
                                         "Живое обновление установит Библиотека данных 1. Продолжить?", "Вопрос",
                                         0x00042024, 1049}));
  EXPECT_TRUE(fake.tokens.linkedTokenStarts.empty());
}

TEST_F(UpdateSequenceTest, NewerInstalledFileAsksFirstAndNoWritesNothing) {
  fake.files.AddFile(std::string(kFolder) + "vlfw.3bs", DataFile(2));
  fake.ui.answers = {win::kIdNo};
  EXPECT_EQ(Run(), kExitDeclined);
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_EQ(fake.ui.boxes[0].text, "The file vlfw.3bs is older\r\nthan the installed one. Replace it?");
  EXPECT_EQ(Installed(), DataFile(2));
  EXPECT_FALSE(fake.registry.Dword(RootKey::LocalMachine, kUninstall, "EstimatedSize"));
}

TEST_F(UpdateSequenceTest, NewerInstalledFileWithYesAsksTheInstallQuestionToo) {
  fake.files.AddFile(std::string(kFolder) + "vlfw.3bs", DataFile(2));
  fake.ui.answers = {win::kIdYes, win::kIdNo};
  EXPECT_EQ(Run(), kExitDeclined);
  EXPECT_EQ(fake.ui.boxes.size(), 2u);
  EXPECT_EQ(Installed(), DataFile(2));
}

TEST_F(UpdateSequenceTest, OlderShortOrMissingInstalledFileGoesStraightToTheInstallQuestion) {
  for (const std::optional<std::string>& installed :
       {std::optional<std::string>(DataFile(0)), std::optional<std::string>(std::string("vlfw\x02", 5)),
        std::optional<std::string>()}) {
    fake.ui.boxes.clear();
    if (installed) {
      fake.files.AddFile(std::string(kFolder) + "vlfw.3bs", *installed);
    } else {
      fake.files.Remove(std::string(kFolder) + "vlfw.3bs");
    }
    fake.ui.answers = {win::kIdYes, win::kIdNo};
    EXPECT_EQ(Run(), kExitWritten);
    ASSERT_EQ(fake.ui.boxes.size(), 2u);
    EXPECT_EQ(fake.ui.boxes[0].caption, "Question");
    EXPECT_EQ(Installed(), payload);
  }
}

TEST_F(UpdateSequenceTest, QuietModeInAnyCaseAsksNothingAndReadsNoVersion) {
  fake.files.AddFile(std::string(kFolder) + "vlfw.3bs", DataFile(9));
  EXPECT_EQ(Run({"MoDeSt"}), kExitWritten);
  EXPECT_TRUE(fake.ui.boxes.empty());
  EXPECT_EQ(Installed(), payload);
  EXPECT_TRUE(fake.tokens.linkedTokenStarts.empty());
  for (const auto& create : fake.files.Creates()) {
    EXPECT_FALSE(create.path == std::string(kFolder) + "vlfw.3bs" && create.share == 0) << "version was read";
  }
}

TEST_F(UpdateSequenceTest, QuietModeStartsTheProductOnlyWithRunapp) {
  EXPECT_EQ(Run({"modest", "RUNAPP"}), kExitWritten);
  EXPECT_EQ(fake.tokens.linkedTokenStarts.size(), 1u);
  fake.tokens.linkedTokenStarts.clear();
  EXPECT_EQ(Run({"modest", "runapps"}), kExitWritten);
  EXPECT_TRUE(fake.tokens.linkedTokenStarts.empty());
}

TEST_F(UpdateSequenceTest, ALockedInstalledFileIsTried17Times256MsApartThenReported) {
  fake.files.LockExternally(std::string(kFolder) + "vlfw.3bs");
  EXPECT_EQ(Run(), kExitFailed);
  EXPECT_EQ(fake.machine.sleeps, std::vector<std::uint32_t>(17, 256));
  EXPECT_EQ(fake.ui.boxes, (std::vector<platform::MessageBoxRequest>{
                               {platform::MessageBoxFunction::MessageBoxExA,
                                "Cannot open C:\\Program Files\\Velora\\vlfw.3bs.\r\nClose Velora and try again.",
                                "Velora update", 0x00200010, 1033}}));
  EXPECT_EQ(Installed(), DataFile(1));
}

TEST_F(UpdateSequenceTest, AFileReleasedWhileRetryingIsRead) {
  fake.files.LockExternally(std::string(kFolder) + "vlfw.3bs");
  fake.machine.onSleep = [this](std::uint32_t) {
    if (fake.machine.sleeps.size() == 5) fake.files.ReleaseExternalLocks(std::string(kFolder) + "vlfw.3bs");
  };
  fake.ui.answers = {win::kIdYes, win::kIdNo};
  EXPECT_EQ(Run(), kExitWritten);
  EXPECT_EQ(fake.machine.sleeps.size(), 5u);
}

TEST_F(UpdateSequenceTest, NoProductExecutableShowsTheFixedTextsAndEnds) {
  fake.files.Remove(std::string(kFolder) + "velora.exe");
  const struct {
    std::uint32_t locale;
    platform::MessageBoxRequest expected;
  } cases[] = {
      {1033,
       {platform::MessageBoxFunction::MessageBoxA, "There's no Velora installed.\r\nPlease install the program first.",
        "Velora update", 0x00200010, 0}},
      {1049,
       {platform::MessageBoxFunction::MessageBoxExA,
        "Нет установленной программы \"Велора\"!\r\nПожалуйста, сначала установите её.",
        "Обновление программы \"Велора\"", 0x00200010, 0x0019}},
  };
  OpenLog();
  for (const auto& c : cases) {
    fake.ui.boxes.clear();
    fake.text.userLocale = c.locale;
    EXPECT_EQ(Run(), kExitFailed);
    EXPECT_EQ(fake.ui.boxes, std::vector<platform::MessageBoxRequest>{c.expected}) << c.locale;
  }
  EXPECT_TRUE(Logged("the product is not installed: no C:\\Program Files\\Velora\\Velora.exe"));
}

TEST_F(UpdateSequenceTest, TheLastRunFolderWinsAndGetsItsBackslash) {
  fake.files.AddFile("D:\\Velora\\velora.exe", "MZ");
  fake.files.AddFile("D:\\Velora\\language\\english.lng", kEnglishLng);
  fake.registry.SetString(RootKey::CurrentUser, "Software\\Orvane\\Velora", "TheLastRunFolder", "D:\\Velora");
  fake.ui.answers = {win::kIdYes, win::kIdNo};
  OpenLog();
  EXPECT_EQ(Run(), kExitWritten);
  EXPECT_EQ(session->Environment.ProductFolder, "D:\\Velora\\");
  EXPECT_EQ(fake.files.Contents("D:\\Velora\\vlfw.3bs"), payload);
  EXPECT_TRUE(Logged(std::string("product folder found: ") + kFolder));
  EXPECT_TRUE(Logged("product folder from TheLastRunFolder: D:\\Velora\\"));
}

TEST_F(UpdateSequenceTest, AnEmptyLastRunFolderLooksInTheCurrentFolder) {
  fake.registry.SetString(RootKey::CurrentUser, "Software\\Orvane\\Velora", "TheLastRunFolder", "");
  EXPECT_EQ(Run(), kExitFailed);
  EXPECT_EQ(session->Environment.ProductFolder, "");
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_EQ(fake.ui.boxes[0].text, "There's no Velora installed.\r\nPlease install the program first.");
}

TEST_F(UpdateSequenceTest, ALastRunFolderThatIsNoStringIsARegistryFailure) {
  fake.registry.SetDword(RootKey::CurrentUser, "Software\\Orvane\\Velora", "TheLastRunFolder", 7);
  OpenLog();
  EXPECT_EQ(Run(), kExitFailed);
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_EQ(fake.ui.boxes[0].text, "No access to system registry");
  EXPECT_TRUE(Logged("TheLastRunFolder cannot be read as a folder: error 1630"));
}

TEST_F(UpdateSequenceTest, ANonAdministratorIsToldAndNothingIsWritten) {
  fake.tokens.userIsAdmin = false;
  OpenLog();
  EXPECT_EQ(Run(), kExitFailed);
  EXPECT_TRUE(Logged("no administrator rights"));
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_EQ(fake.ui.boxes[0].text, "You need administrator rights.\r\nAsk your administrator.");
  EXPECT_EQ(fake.ui.boxes[0].caption, "Velora update");
  EXPECT_EQ(Installed(), DataFile(1));
}

TEST_F(UpdateSequenceTest, ARunningProductIsToldToQuitEvenWhenTheUserDeclines) {
  fake.processes.existingMappings.insert("velora_memfile");
  fake.desktop.windows["TVeloraMainForm"] = 0x1234;
  EXPECT_EQ(Run(), kExitDeclined);
  ASSERT_EQ(fake.desktop.posts.size(), 1u);
  EXPECT_EQ(fake.desktop.posts[0].window, 0x1234u);
  EXPECT_EQ(fake.desktop.posts[0].message, 0x0012u);
  EXPECT_EQ(fake.processes.mappingHandlesOpen, 0);  // held by the running product's owner until the update ends
  ASSERT_EQ(fake.processes.mappingsCreated.size(), 1u);
  EXPECT_EQ(fake.processes.mappingsCreated[0].name, "velora_memfile");
  EXPECT_EQ(fake.processes.mappingsCreated[0].sizeLow, 64u);
}

// PostMessageA can fail (a full queue, a window of a higher integrity level): the product was not told to
// quit, so it is neither waited for nor, with "runapp", started a second time beside itself.
// From a service the same holds when this program cannot be started in the product's session to post it.
TEST_F(UpdateSequenceTest, AWmQuitThatCannotBePostedLeavesTheProductAsARunningCopy) {
  fake.processes.existingMappings = {"velora_memfile", "Session\\2\\velora_memfile"};
  fake.desktop.windows["TVeloraMainForm"] = 0x1234;
  fake.desktop.postFailure = 1816;  // ERROR_NOT_ENOUGH_QUOTA
  fake.sessions.listed = platform::Succeeded(std::vector<platform::TerminalSession>{{2, win::kWtsActive}});
  fake.sessions.ownProgramStartFailure = 5;
  OpenLog();
  for (const std::uint32_t ownSession : {1u, 0u}) {
    fake.sessions.ownSession = platform::Succeeded(ownSession);
    EXPECT_EQ(Run({"modest", "runapp"}), kExitWritten);
    EXPECT_TRUE(fake.machine.sleeps.empty());  // no tries at the data file either
    EXPECT_TRUE(fake.processes.waitTimeouts.empty());
    EXPECT_TRUE(fake.tokens.linkedTokenStarts.empty());
    EXPECT_TRUE(fake.sessions.sessionStarts.empty());
    EXPECT_TRUE(Logged("it could not be told to quit: it is not started a second time"));
  }
  EXPECT_TRUE(Logged("the product runs in session 2, but it cannot be asked to quit there: error 5"));
}

TEST_F(UpdateSequenceTest, NoWindowOrNoMappingMeansNothingIsPosted) {
  fake.processes.existingMappings.insert("velora_memfile");
  Run();
  EXPECT_TRUE(fake.desktop.posts.empty());
  fake.processes.existingMappings.clear();
  fake.desktop.windows["TVeloraMainForm"] = 0x1234;
  Run();
  EXPECT_TRUE(fake.desktop.posts.empty());
  EXPECT_EQ(fake.processes.mappingHandlesOpen, 0);
}

TEST_F(UpdateSequenceTest, ADamagedOrUnreadableUpdaterWritesNothing) {
  std::string image = *fake.files.Contents(kOwnPath);
  image[3] ^= 1;
  fake.files.AddFile(kOwnPath, image);
  OpenLog();
  EXPECT_EQ(Run(), kExitFailed);
  EXPECT_TRUE(Logged("this program's own file is damaged"));
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_EQ(fake.ui.boxes[0].text, "This updater is damaged.\r\nDownload it again.");

  fake.ui.boxes.clear();
  fake.files.AddFile(kOwnPath, image.substr(0, image.size() - 1));
  EXPECT_EQ(Run(), kExitFailed);
  EXPECT_EQ(fake.ui.boxes.at(0).text, "This updater is damaged.\r\nDownload it again.");

  fake.ui.boxes.clear();
  fake.files.LockExternally(kOwnPath);
  EXPECT_EQ(Run(), kExitFailed);
  EXPECT_EQ(fake.ui.boxes.at(0).text, "This updater cannot check itself.");
  EXPECT_TRUE(Logged("this program's own file cannot be read"));
  EXPECT_EQ(Installed(), DataFile(1));
}

// Whether the copy cannot be written (a full disk) or cannot replace the file (access denied).
TEST_F(UpdateSequenceTest, AFailedWriteRecordsTheSizeButAsksNoCompletionQuestion) {
  OpenLog();
  for (const auto& [step, error] : {std::pair{fakes::FileOp::Write, 112}, std::pair{fakes::FileOp::Rename, 5}}) {
    SCOPED_TRACE(error);
    fake.ui.boxes.clear();
    fake.files.InjectFailure(step, std::string(kFolder) + "~vlfw.3bs", error);
    fake.ui.answers = {win::kIdYes};
    EXPECT_EQ(Run(), kExitFailed);
    EXPECT_TRUE(Logged("data file not written: C:\\Program Files\\Velora\\vlfw.3bs: error " + std::to_string(error)));
    ASSERT_EQ(fake.ui.boxes.size(), 2u);
    EXPECT_EQ(fake.ui.boxes[1].text, "Can't install file C:\\Program Files\\Velora\\vlfw.3bs");
    EXPECT_EQ(Installed(), DataFile(1));
    EXPECT_TRUE(fake.registry.Dword(RootKey::LocalMachine, kUninstall, "EstimatedSize"));
    EXPECT_TRUE(fake.tokens.linkedTokenStarts.empty());
  }
}

TEST_F(UpdateSequenceTest, AFailedQuietWriteStillRestartsTheClosedProductWithRunapp) {
  fake.files.InjectFailure(fakes::FileOp::Rename, std::string(kFolder) + "~vlfw.3bs", 5);
  EXPECT_EQ(Run({"modest", "runapp"}), kExitFailed);
  EXPECT_EQ(fake.tokens.linkedTokenStarts.size(), 1u);
}

// A running product updating itself: "modest runapp", the product told to quit and slow to let go.
class QuietSelfUpdateTest : public UpdateSequenceTest {
 protected:
  void SetUp() override {
    UpdateSequenceTest::SetUp();
    fake.processes.existingMappings.insert("velora_memfile");
    fake.desktop.windows["TVeloraMainForm"] = 0x1234;
    fake.files.LockExternally(DataPath());
  }
  static std::string DataPath() { return std::string(kFolder) + "vlfw.3bs"; }
  void ReleaseAfterSleeps(std::size_t sleeps) {
    fake.machine.onSleep = [this, sleeps](std::uint32_t) {
      if (fake.machine.sleeps.size() == sleeps) fake.files.ReleaseExternalLocks(DataPath());
    };
  }
  std::size_t ProductStarts() const {
    return fake.processes.shellStarts.size() + fake.tokens.tokenStarts.size() + fake.tokens.linkedTokenStarts.size();
  }
};

TEST_F(QuietSelfUpdateTest, WaitsForTheProductToLetGoThenWritesAndStartsIt) {
  ReleaseAfterSleeps(4);
  EXPECT_EQ(Run({"modest", "runapp"}), kExitWritten);
  EXPECT_TRUE(fake.ui.boxes.empty());
  EXPECT_EQ(fake.machine.sleeps, std::vector<std::uint32_t>(4, 256));
  EXPECT_EQ(Installed(), payload);
  EXPECT_EQ(ProductStarts(), 1u);
  // The waiting opens read nothing: no version is compared in quiet mode. The last open only checks
  // that nobody holds the file before it gets a second name for the replacement.
  for (const auto& create : fake.files.Creates()) {
    if (create.path == DataPath() && create.access != 0x00010080u) {  // DELETE | FILE_READ_ATTRIBUTES
      EXPECT_EQ(create.access, 0x80000000u);
    }
  }
}

TEST_F(QuietSelfUpdateTest, AFileHeldThroughEveryTryIsWrittenAnywayAndTheFailureReported) {
  EXPECT_EQ(Run({"modest", "runapp"}), kExitFailed);
  EXPECT_EQ(fake.machine.sleeps, std::vector<std::uint32_t>(17, 256));
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_EQ(fake.ui.boxes[0].text, "Can't install file C:\\Program Files\\Velora\\vlfw.3bs");
  EXPECT_EQ(Installed(), DataFile(1));
  EXPECT_EQ(ProductStarts(), 1u);
}

TEST_F(QuietSelfUpdateTest, NoWaitWhenNoProductWasToldToQuitOrNoDataFileIsInstalled) {
  fake.desktop.windows.clear();  // running, but no window to tell
  EXPECT_EQ(Run({"modest"}), kExitFailed);
  EXPECT_TRUE(fake.machine.sleeps.empty());

  fake.desktop.windows["TVeloraMainForm"] = 0x1234;
  fake.files.ReleaseExternalLocks(DataPath());
  fake.files.Remove(DataPath());
  fake.ui.boxes.clear();
  EXPECT_EQ(Run({"modest"}), kExitWritten);
  EXPECT_TRUE(fake.machine.sleeps.empty());
  EXPECT_EQ(Installed(), payload);
}

// A damaged package costs the user nothing: the running product is not told to quit, so it is not
// started again either.
TEST_F(QuietSelfUpdateTest, ADamagedUpdaterLeavesTheRunningProductAlone) {
  std::string image = *fake.files.Contents(kOwnPath);
  image[3] ^= 1;
  fake.files.AddFile(kOwnPath, image);
  for (const auto& arguments : {std::vector<std::string>{"modest", "runapp"}, std::vector<std::string>{}}) {
    fake.ui.boxes.clear();
    EXPECT_EQ(Run(arguments), kExitFailed);
    EXPECT_EQ(fake.ui.boxes,
              (std::vector<platform::MessageBoxRequest>{{platform::MessageBoxFunction::MessageBoxExA,
                                                         "This updater is damaged.\r\nDownload it again.",
                                                         "Velora update", 0x00200010, 1033}}));
    EXPECT_TRUE(fake.desktop.posts.empty());
    EXPECT_EQ(ProductStarts(), 0u);
    EXPECT_EQ(Installed(), DataFile(1));
  }
}

TEST_F(QuietSelfUpdateTest, RunappRestartsAProductToldToQuitOnEveryPathThatEndsEarly) {
  fake.files.ReleaseExternalLocks(DataPath());
  fake.registry.FailWritesTo(RootKey::LocalMachine, kUninstall, 5);
  EXPECT_EQ(Run({"modest", "runapp"}), kExitFailed);
  EXPECT_EQ(fake.ui.boxes.back().text, "No access to system registry");
  EXPECT_EQ(ProductStarts(), 1u);
}

TEST_F(QuietSelfUpdateTest, AProductThatWasNotRunningIsNotStartedAfterAnEarlyEnd) {
  fake.processes.existingMappings.clear();
  fake.files.ReleaseExternalLocks(DataPath());
  fake.files.LockExternally(kOwnPath);
  EXPECT_EQ(Run({"modest", "runapp"}), kExitFailed);
  EXPECT_EQ(fake.ui.boxes.at(0).text, "This updater cannot check itself.");
  EXPECT_EQ(ProductStarts(), 0u);
}

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

class ProductWaitTest : public QuietSelfUpdateTest, public ::testing::WithParamInterface<ProductWaitPath> {
 protected:
  static constexpr std::uint32_t kProductProcess = 77;
  void SetUp() override {
    QuietSelfUpdateTest::SetUp();
    fake.desktop.windowProcesses[0x1234] = kProductProcess;
    fake.processes.onProcessEnd = [this] { fake.files.ReleaseExternalLocks(DataPath()); };
    OpenLog();
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
  if (path.writeFails) fake.files.InjectFailure(fakes::FileOp::Rename, std::string(kFolder) + "~vlfw.3bs", 5);
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
  const auto staged = FirstCall("CreateFile " + std::string(kFolder) + "~vlfw.3bs");
  const auto replaced = FirstCall("RenameByHandle ");
  if (!path.answers.empty()) {
    EXPECT_EQ(fake.ui.boxes.size(), 2u);         // the install and completion questions
    EXPECT_LT(FirstCall("MessageBox"), staged);  // staged only after the install question's Yes
  } else {
    // The whole copy is written and flushed while the product runs; only the replacement waits for it.
    EXPECT_LT(FirstCall("FlushFileBuffers " + std::string(kFolder) + "~vlfw.3bs"), FirstCall("PostMessage"));
    EXPECT_LT(wait, replaced);
  }
  EXPECT_LT(staged, replaced);
  EXPECT_EQ(ProductStarts(), 1u);
  EXPECT_TRUE(Logged("the product has ended"));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ProductWaitTest,
    ::testing::Values(
        ProductWaitPath{"QuietWrite", {"modest", "runapp"}, {}, true, false, kExitWritten},
        ProductWaitPath{"QuietWriteWithoutDataFile", {"modest", "runapp"}, {}, false, false, kExitWritten},
        ProductWaitPath{"QuietFailure", {"modest", "runapp"}, {}, true, true, kExitFailed},
        ProductWaitPath{"InteractiveYes", {}, {win::kIdYes, win::kIdYes}, false, false, kExitWritten},
        // "runapp" counts in quiet mode only, and only "modest" itself is quiet mode.
        ProductWaitPath{
            "InteractiveRunapp", {"other", "runapp"}, {win::kIdYes, win::kIdYes}, false, false, kExitWritten},
        ProductWaitPath{
            "ModestlyIsInteractive", {"modestly", "runapp"}, {win::kIdYes, win::kIdYes}, false, false, kExitWritten}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProductWaitTest, PastTheBoundTheWriteAndTheStartGoAheadAfterOneWait) {
  fake.processes.waitResult = win::kWaitTimeout;
  EXPECT_EQ(Run({"modest", "runapp"}), kExitFailed);  // the product still holds its data file
  EXPECT_EQ(fake.processes.waitTimeouts, std::vector<std::uint32_t>{5000});
  EXPECT_TRUE(fake.machine.sleeps.empty());
  EXPECT_EQ(fake.ui.boxes.at(0).text, "Can't install file C:\\Program Files\\Velora\\vlfw.3bs");
  EXPECT_EQ(ProductStarts(), 1u);
  EXPECT_TRUE(Logged("the product still runs after 5000 ms of waiting; going on all the same"));
}

// A window whose process id changed while the process was opened belongs to a later process that took
// over the ended product's id: that handle is not waited for, and the data file's tries stand in.
TEST_F(ProductWaitTest, AWindowThatChangedItsProcessWhileItWasOpenedIsNotWaitedFor) {
  fake.processes.onProcessOpen = [this] { fake.desktop.windowProcesses[0x1234] = kProductProcess + 1; };
  ReleaseAfterSleeps(2);
  EXPECT_EQ(Run({"modest", "runapp"}), kExitWritten);
  EXPECT_TRUE(fake.processes.waitTimeouts.empty());
  EXPECT_EQ(fake.machine.sleeps.size(), 2u);
  EXPECT_TRUE(Logged("the product's window went away while its process was opened"));
}

// Where the product's process cannot be had, the data file's exclusive-open tries stand in for the wait.
TEST_F(ProductWaitTest, WithoutTheProcessTheDataFilesTriesStandIn) {
  fake.processes.processOpenFailure = 5;
  fake.files.ReleaseExternalLocks(DataPath());
  fake.files.LockExternally(DataPath());
  ReleaseAfterSleeps(3);
  EXPECT_EQ(Run({"modest", "runapp"}), kExitWritten);
  EXPECT_TRUE(fake.processes.waitTimeouts.empty());
  EXPECT_EQ(fake.machine.sleeps, std::vector<std::uint32_t>(3, 256));
  EXPECT_EQ(ProductStarts(), 1u);
}

TEST_F(UpdateSequenceTest, TheCompletionYesStartsTheProductWithItsSharedMemoryLetGo) {
  fake.processes.existingMappings.insert("velora_memfile");
  fake.desktop.windows["TVeloraMainForm"] = 0x1234;
  fake.ui.answers = {win::kIdYes, win::kIdYes};
  EXPECT_EQ(Run(), kExitWritten);
  EXPECT_EQ(fake.tokens.linkedTokenStarts.size(), 1u);
  EXPECT_EQ(fake.processes.mappingHandlesOpen, 0);
}

TEST_F(UpdateSequenceTest, AQuotedCommandFindsTheProductOutsideProgramFiles) {
  const std::string folder = "C:\\Apps\\Velora\\";
  fake.files.Remove(std::string(kFolder) + "velora.exe");
  fake.files.AddFile(folder + "velora.exe", "MZ");
  fake.files.AddFile(folder + "language\\english.lng", kEnglishLng);
  fake.registry.SetString(RootKey::LocalMachine, kUninstall, "UninstallString", "\"" + folder + "uninst.exe\" /S");
  fake.ui.answers = {win::kIdYes, win::kIdNo};
  EXPECT_EQ(Run(), kExitWritten);
  EXPECT_EQ(fake.files.Contents(folder + "vlfw.3bs"), payload);
}

TEST_F(UpdateSequenceTest, AFolderNamedLikeTheDataFileIsNotReadAndTheWriteReportsIt) {
  fake.files.Remove(std::string(kFolder) + "vlfw.3bs");
  fake.files.AddFolder(std::string(kFolder) + "vlfw.3bs");
  fake.ui.answers = {win::kIdYes};
  EXPECT_EQ(Run(), kExitFailed);
  EXPECT_TRUE(fake.machine.sleeps.empty());
  ASSERT_EQ(fake.ui.boxes.size(), 2u);
  EXPECT_EQ(fake.ui.boxes[0].text, "Velora Live Update will install\r\nVelora data library 1. Go on?");
  EXPECT_EQ(fake.ui.boxes[1].text, "Can't install file C:\\Program Files\\Velora\\vlfw.3bs");
  EXPECT_TRUE(fake.files.FolderExists(std::string(kFolder) + "vlfw.3bs"));
  EXPECT_FALSE(fake.files.FileExists(std::string(kFolder) + "~vlfw.3bs"));
}

TEST_F(UpdateSequenceTest, AFolderNamedLikeTheProductsProgramIsNoInstalledProduct) {
  fake.files.Remove(std::string(kFolder) + "velora.exe");
  fake.files.AddFolder(std::string(kFolder) + "velora.exe");
  EXPECT_EQ(Run(), kExitFailed);
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_EQ(fake.ui.boxes[0].text, "There's no Velora installed.\r\nPlease install the program first.");
}

TEST_F(UpdateSequenceTest, AQuestionBoxThatCannotBeShownCountsAsNo) {
  fake.ui.failures = {{0, 1400}};   // ERROR_INVALID_WINDOW_HANDLE
  EXPECT_EQ(Run(), kExitDeclined);  // the install question
  EXPECT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_EQ(Installed(), DataFile(1));

  fake.files.AddFile(std::string(kFolder) + "vlfw.3bs", DataFile(2));
  fake.ui.boxes.clear();
  fake.ui.failures = {{0, 1400}};
  fake.ui.answers = {win::kIdYes};
  EXPECT_EQ(Run(), kExitDeclined);  // the older-file question
  EXPECT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_EQ(Installed(), DataFile(2));

  fake.ui.boxes.clear();
  fake.ui.failures = {{1, 1400}};
  fake.ui.answers = {win::kIdYes};
  fake.files.AddFile(std::string(kFolder) + "vlfw.3bs", DataFile(1));
  EXPECT_EQ(Run(), kExitWritten);  // the completion question
  EXPECT_EQ(fake.ui.boxes.size(), 2u);
  EXPECT_TRUE(fake.tokens.linkedTokenStarts.empty());
}

TEST_F(UpdateSequenceTest, ADataFileNotOfKind3bsHasItsVersionInByte4Minus32) {
  fake.ownModule.AddResource("vlfw", "dat", payload);
  const std::string path = std::string(kFolder) + "vlfw.dat";
  // Byte 4 is 34: version 2, newer than this update's 1, so the older-file question comes first.
  fake.files.AddFile(path, std::string("vlfw\x22\x01\x00\x08", 8));
  EXPECT_EQ(Run({}, "vlfw.dat"), kExitDeclined);
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_EQ(fake.ui.boxes[0].text, "The file vlfw.dat is older\r\nthan the installed one. Replace it?");

  // Byte 4 is 33 (byte 5 would say 2): version 1, so only the install question.
  fake.files.AddFile(path, std::string("vlfw\x21\x02\x00\x08", 8));
  fake.ui.boxes.clear();
  fake.ui.answers = {win::kIdYes, win::kIdNo};
  EXPECT_EQ(Run({}, "vlfw.dat"), kExitWritten);
  ASSERT_EQ(fake.ui.boxes.size(), 2u);
  EXPECT_EQ(fake.ui.boxes[0].caption, "Question");
  EXPECT_EQ(fake.files.Contents(path), payload);
}

TEST_F(UpdateSequenceTest, AnUninstallEntryThatCannotBeWrittenIsARegistryFailure) {
  fake.registry.FailWritesTo(RootKey::LocalMachine, kUninstall, 5);
  fake.ui.answers = {win::kIdYes};
  EXPECT_EQ(Run(), kExitFailed);
  EXPECT_EQ(fake.ui.boxes.back().text, "No access to system registry");
  EXPECT_TRUE(fake.tokens.linkedTokenStarts.empty());
}

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

TEST(EntryPoint, SetsTheDllSearchOrderBeforeAnythingElse) {
  fakes::FakeWindows fake;
  RunUpdater(fake.platform, {});
  ASSERT_FALSE(fake.journal.empty());
  EXPECT_EQ(fake.journal.front(), "SetDefaultDllDirectories");
  EXPECT_EQ(fake.ownModule.dllDirectoryFlags, std::vector<std::uint32_t>{0x800});
}

TEST(EntryPoint, TheCurrentFolderLeavesTheSearchOrderOnlyWhereDefaultDirectoriesCannotBeSet) {
  fakes::FakeWindows updated;
  RunUpdater(updated.platform, {});
  EXPECT_EQ(updated.ownModule.dllFolders, std::vector<std::string>{});

  fakes::FakeWindows withoutUpdate;  // Windows 7 without its loader update
  withoutUpdate.ownModule.dllDirectoriesAvailable = false;
  RunUpdater(withoutUpdate.platform, {});
  ASSERT_GE(withoutUpdate.journal.size(), 2u);
  EXPECT_EQ(withoutUpdate.journal[0], "SetDefaultDllDirectories");
  EXPECT_EQ(withoutUpdate.journal[1], "SetDllDirectory \"\"");
  EXPECT_EQ(withoutUpdate.ownModule.dllFolders, std::vector<std::string>{""});
}

}  // namespace
}  // namespace velora
