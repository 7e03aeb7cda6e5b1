// Starting the product: as the signed-in user with the desktop shell's token, else the linked limited
// token, ShellExecuteA only without a split token; from session 0 as the user signed in at the console, or not at all;
// the product's shared-memory object is let go first, and the log says which way and why.
#include <gtest/gtest.h>

#include <algorithm>

#include "driver/entry_point.h"
#include "driver/product.h"
#include "driver/run_log.h"
#include "support/fake_windows.h"

namespace velora {
namespace {

constexpr std::uint32_t kShellProcess = 4242;
constexpr const char* kTemp = "C:\\Temp\\";
const ProductLocation kProduct{"C:\\Apps\\Velora\\", "C:\\Apps\\Velora\\Velora.exe"};

class ProductStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.files.AddFolder("C:\\Apps\\Velora");
    fake.files.AddFolder(kTemp);
    log.Open(kTemp);
  }

  std::string Logged() { return fake.files.Contents(std::string(kTemp) + "VeloraUpdate.log").value_or(""); }

  void ExpectShellExecuteFallback() {
    ASSERT_EQ(fake.processes.shellStarts.size(), 1u);
    const auto& start = fake.processes.shellStarts[0];
    EXPECT_EQ(start.verb, "open");
    EXPECT_EQ(start.file, "C:\\Apps\\Velora\\Velora.exe");
    EXPECT_EQ(start.parameters, "");
    EXPECT_EQ(start.directory, "");
    EXPECT_EQ(start.show, 1);
    EXPECT_EQ(fake.files.CurrentFolder(), "C:\\Apps\\Velora\\");
  }

  fakes::FakeWindows fake;
  RunLog log{fake.files, fake.text, fake.machine};
};

TEST_F(ProductStartTest, RunsAsTheSignedInUserWithTheShellsTokenInTheProductFolder) {
  fake.desktop.shellProcessId = kShellProcess;
  // A session that cannot be told is taken for a desktop's.
  for (const auto& ownSession : {platform::Succeeded<std::uint32_t>(1), platform::Failed<std::uint32_t>(5)}) {
    fake.sessions.ownSession = ownSession;
    fake.tokens.tokenStarts.clear();
    EXPECT_EQ(StartProduct(fake.platform, kProduct, log).way, ProductStartWay::ShellUser);
    ASSERT_EQ(fake.tokens.tokenStarts.size(), 1u);
    const auto& started = fake.tokens.tokenStarts[0];
    EXPECT_EQ(started.tokenProcessId, kShellProcess);
    EXPECT_EQ(started.application, "C:\\Apps\\Velora\\Velora.exe");
    EXPECT_EQ(started.commandLine, "\"C:\\Apps\\Velora\\Velora.exe\"");
    EXPECT_EQ(started.directory, "C:\\Apps\\Velora\\");
    EXPECT_EQ(started.show, 1);
  }
  EXPECT_TRUE(fake.processes.shellStarts.empty());
  EXPECT_TRUE(fake.sessions.sessionTokenQueries.empty());
  EXPECT_EQ(fake.tokens.tokensOpen, 0);
  EXPECT_NE(Logged().find("started as the signed-in user, with the desktop shell's token"), std::string::npos);
}

// However the shell-token start ends, the product never gets this program's administrator rights
// where a limited token exists: the linked token starts it, or nothing does. ShellExecuteA only
// without a split token or without CreateProcessWithTokenW.
struct StartEnd {
  const char* name;
  bool shellWindow;
  std::optional<platform::WinError> shellTokenFailure, shellStartFailure;
  platform::WinResult<platform::TokenElevationType> elevation;
  std::optional<platform::WinError> linkedFailure, linkedStartFailure;
  ProductStartWay way;
  std::size_t linkedStarts;
  const char* logged;
};

void PrintTo(const StartEnd& row, std::ostream* out) { *out << row.name; }

class StartEndTest : public ProductStartTest, public ::testing::WithParamInterface<StartEnd> {};

TEST_P(StartEndTest, StartsWithTheLinkedTokenOrNotAtAllWhereTheTokenIsSplit) {
  const StartEnd& row = GetParam();
  if (row.shellWindow) fake.desktop.shellProcessId = kShellProcess;
  fake.tokens.tokenFailure = row.shellTokenFailure;
  fake.tokens.tokenStartFailure = row.shellStartFailure;
  fake.tokens.elevationType = row.elevation;
  fake.tokens.linkedTokenFailure = row.linkedFailure;
  fake.tokens.linkedTokenStartFailure = row.linkedStartFailure;
  EXPECT_EQ(StartProduct(fake.platform, kProduct, log).way, row.way);
  EXPECT_NE(Logged().find(row.logged), std::string::npos) << Logged();
  EXPECT_EQ(fake.tokens.tokensOpen, 0);
  ASSERT_EQ(fake.tokens.linkedTokenStarts.size(), row.linkedStarts);
  if (row.linkedStarts != 0) {
    const auto& started = fake.tokens.linkedTokenStarts[0];
    EXPECT_EQ(started.application, "C:\\Apps\\Velora\\Velora.exe");
    EXPECT_EQ(started.commandLine, "\"C:\\Apps\\Velora\\Velora.exe\"");
    EXPECT_EQ(started.directory, "C:\\Apps\\Velora\\");
    EXPECT_EQ(started.show, 1);
  }
  if (row.way == ProductStartWay::ShellExecute) {
    ExpectShellExecuteFallback();
  } else {
    EXPECT_TRUE(fake.processes.shellStarts.empty());
  }
}

using Elevation = platform::TokenElevationType;
const auto kFull = platform::Succeeded(Elevation::Full);
constexpr auto kLinked = ProductStartWay::LinkedToken;
constexpr auto kNotStarted = ProductStartWay::NotStarted;
constexpr auto kShellExecute = ProductStartWay::ShellExecute;

INSTANTIATE_TEST_SUITE_P(
    Rows, StartEndTest,
    ::testing::Values(
        StartEnd{"NoShellWindow", false, {}, {}, kFull, {}, {}, kLinked, 1, "with the limited token linked"},
        StartEnd{"NoShellToken", true, 5, {}, kFull, {}, {}, kLinked, 1, "the desktop shell's token: it cannot be had"},
        StartEnd{"ShellTokenRefused",
                 true,
                 {},
                 1314,
                 kFull,
                 {},
                 {},
                 kLinked,
                 1,
                 "CreateProcessWithTokenW failed: error 1314"},
        StartEnd{
            "ProductAsksForElevation", true, {}, 740, kFull, {}, {}, kNotStarted, 0, "rights (error 740): it is not"},
        StartEnd{"LinkedTokenMeets740", false, {}, {}, kFull, {}, 740, kNotStarted, 1, "rights (error 740): it is not"},
        StartEnd{"LinkedTokenRefused",
                 false,
                 {},
                 {},
                 kFull,
                 {},
                 1314,
                 kNotStarted,
                 1,
                 "limited token: it is not started: error 1314"},
        StartEnd{"NoLinkedToken",
                 false,
                 {},
                 {},
                 kFull,
                 1312,
                 {},
                 kNotStarted,
                 0,
                 "cannot be had: the product is not started: error 1312"},
        StartEnd{"ElevationUnknown",
                 false,
                 {},
                 {},
                 platform::Failed<Elevation>(5),
                 {},
                 {},
                 kNotStarted,
                 0,
                 "cannot be told: the product is not started"},
        StartEnd{"NotSplit",
                 true,
                 {},
                 1314,
                 platform::Succeeded(Elevation::Default),
                 {},
                 {},
                 kShellExecute,
                 0,
                 "ShellExecuteA, with this program's rights: its token is not split"},
        StartEnd{"LimitedHalf",
                 false,
                 {},
                 {},
                 platform::Succeeded(Elevation::Limited),
                 {},
                 {},
                 kShellExecute,
                 0,
                 "rights: it runs with the limited half"},
        StartEnd{"NoElevationTypes",
                 true,
                 {},
                 127,
                 platform::Failed<Elevation>(87),
                 {},
                 {},
                 kShellExecute,
                 0,
                 "rights: this Windows splits no token"},
        StartEnd{"NoCreateProcessWithToken",
                 true,
                 {},
                 127,
                 kFull,
                 {},
                 127,
                 kShellExecute,
                 1,
                 "rights: CreateProcessWithTokenW does not exist"}),
    [](const auto& info) { return std::string(info.param.name); });

// A service (session 0) starts the product in the console's session as the user signed in there, and
// never with ShellExecuteA, which would start it invisibly as the service's account.
struct ServiceStart {
  const char* name;
  std::optional<std::uint32_t> consoleSession;
  std::optional<platform::WinError> tokenFailure, startFailure;
  ProductStartWay way;
  platform::WinError error;
  const char* logged;
};

void PrintTo(const ServiceStart& row, std::ostream* out) { *out << row.name; }

class ServiceStartTest : public ProductStartTest, public ::testing::WithParamInterface<ServiceStart> {};

TEST_P(ServiceStartTest, StartsOnlyForTheConsolesSignedInUser) {
  const ServiceStart& row = GetParam();
  fake.sessions.ownSession = platform::Succeeded<std::uint32_t>(0);
  fake.desktop.shellProcessId = kShellProcess;
  fake.sessions.activeConsoleSession = row.consoleSession;
  fake.sessions.sessionTokenFailure = row.tokenFailure;
  fake.sessions.sessionStartFailure = row.startFailure;
  const ProductStart start = StartProduct(fake.platform, kProduct, log);
  EXPECT_EQ(start.way, row.way);
  EXPECT_EQ(start.error, row.error);
  EXPECT_TRUE(fake.processes.shellStarts.empty());
  EXPECT_TRUE(fake.tokens.tokenProcessIds.empty());
  EXPECT_EQ(fake.sessions.sessionTokensOpen, 0);
  EXPECT_EQ(fake.sessions.sessionTokenQueries,
            row.consoleSession ? std::vector<std::uint32_t>{*row.consoleSession} : std::vector<std::uint32_t>{});
  EXPECT_NE(Logged().find(row.logged), std::string::npos) << Logged();
  if (!row.tokenFailure && row.consoleSession) {
    ASSERT_EQ(fake.sessions.sessionStarts.size(), 1u);
    const auto& started = fake.sessions.sessionStarts[0];
    EXPECT_EQ(started.sessionId, 3u);
    EXPECT_EQ(started.application, "C:\\Apps\\Velora\\Velora.exe");
    EXPECT_EQ(started.commandLine, "\"C:\\Apps\\Velora\\Velora.exe\"");
    EXPECT_EQ(started.directory, "C:\\Apps\\Velora\\");
    EXPECT_EQ(started.show, 1);
  } else {
    EXPECT_TRUE(fake.sessions.sessionStarts.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ServiceStartTest,
    ::testing::Values(ServiceStart{"SignedIn",
                                   3,
                                   {},
                                   {},
                                   ProductStartWay::ConsoleUser,
                                   0,
                                   "session 0: the product was started in console session 3 as the user signed in"},
                      ServiceStart{"NoConsoleSession",
                                   std::nullopt,
                                   {},
                                   {},
                                   ProductStartWay::NotStarted,
                                   0,
                                   "no session is attached to the console: the product is not started"},
                      ServiceStart{"NobodySignedIn",
                                   3,
                                   1008,
                                   {},
                                   ProductStartWay::NotStarted,
                                   1008,
                                   "nobody is signed in to console session 3: the product is not started"},
                      ServiceStart{"TokenQueryFails",
                                   3,
                                   5,
                                   {},
                                   ProductStartWay::NotStarted,
                                   5,
                                   "the user's token of console session 3 cannot be had: the product is not started"},
                      ServiceStart{"StartFails",
                                   3,
                                   {},
                                   1314,
                                   ProductStartWay::NotStarted,
                                   1314,
                                   "cannot be started in console session 3: it is not started: error 1314"}),
    [](const auto& info) { return std::string(info.param.name); });

// A product that refuses to start while "velora_memfile" exists must not find ours.
TEST_F(ProductStartTest, LetsTheProductsSharedMemoryGoBeforeEitherStart) {
  fake.processes.existingMappings.insert("velora_memfile");
  for (const std::uint32_t shell : {kShellProcess, 0u}) {
    fake.desktop.shellProcessId = shell == 0 ? std::nullopt : std::optional<std::uint32_t>(shell);
    RunningProduct product(fake.platform, kProduct);
    ASSERT_TRUE(product.IsRunning());
    fake.journal.clear();
    static_cast<void>(product.Start(log));
    const auto closed = std::find(fake.journal.begin(), fake.journal.end(), "CloseHandle velora_memfile");
    const auto started = std::find_if(fake.journal.begin(), fake.journal.end(), [](const std::string& entry) {
      return entry.rfind("OpenProcessToken", 0) == 0 || entry.rfind("ShellExecute", 0) == 0;
    });
    ASSERT_NE(closed, fake.journal.end());
    EXPECT_LT(closed, started);
    EXPECT_EQ(fake.processes.mappingHandlesOpen, 0);
  }
}

// From a service, the product runs in a user's session: found there by its shared-memory object (only
// in sessions a user is signed in to, never session 0's) or by its processes, asked to quit by this program
// started in that session, waited for, and started again in that same session.
TEST_F(ProductStartTest, AServiceFindsTheProductInAUsersSessionAsksItToQuitThereAndRestartsItThere) {
  fake.sessions.ownSession = platform::Succeeded<std::uint32_t>(0);
  fake.sessions.activeConsoleSession = 1;
  fake.sessions.listed = platform::Succeeded(std::vector<platform::TerminalSession>{
      {0, win::kWtsDisconnected}, {1, win::kWtsActive}, {2, win::kWtsDisconnected}, {65536, 6 /*listening*/}});
  fake.processes.existingMappings = {"Session\\2\\velora_memfile", "Session\\65536\\velora_memfile", "velora_memfile"};
  fake.processes.imageProcesses["c:\\apps\\velora\\velora.exe"] = {2, 2};
  RunningProduct product(fake.platform, kProduct);
  ASSERT_TRUE(product.TellToQuit(log));
  EXPECT_EQ(fake.processes.mappingsOpened,
            (std::vector<std::string>{"Session\\1\\velora_memfile", "Session\\2\\velora_memfile"}));
  EXPECT_TRUE(fake.processes.mappingsCreated.empty());  // never a name of its own in any session
  EXPECT_EQ(fake.processes.imagesLookedUp, std::vector<std::string>{"C:\\Apps\\Velora\\Velora.exe"});
  ASSERT_EQ(fake.sessions.ownProgramStarts.size(), 1u);
  EXPECT_EQ(fake.sessions.ownProgramStarts[0].sessionId, 2u);
  EXPECT_EQ(fake.sessions.ownProgramStarts[0].arguments, "/askproducttoquit");
  EXPECT_TRUE(fake.desktop.posts.empty());  // session 0's desktop has no product window to post to

  ASSERT_TRUE(product.CanBeWaitedFor());
  product.WaitForEnd(log);
  EXPECT_EQ(fake.processes.waitTimeouts, std::vector<std::uint32_t>{5000});
  EXPECT_EQ(product.Start(log).way, ProductStartWay::ConsoleUser);
  EXPECT_EQ(fake.sessions.sessionTokenQueries, std::vector<std::uint32_t>{2});
  ASSERT_EQ(fake.sessions.sessionStarts.size(), 1u);
  EXPECT_EQ(fake.sessions.sessionStarts[0].sessionId, 2u);
  EXPECT_NE(Logged().find("the product runs in session 2: asked it to quit there"), std::string::npos) << Logged();
  EXPECT_NE(Logged().find("the product was started in session 2 as the user signed in there"), std::string::npos);
}

// Found by its process alone, in a session the list did not name; asking it there fails: the product keeps
// running, is not waited for, and counts as a copy that a start would double.
TEST_F(ProductStartTest, AServiceThatCannotAskTheProductToQuitLeavesItRunningUntold) {
  fake.sessions.ownSession = platform::Succeeded<std::uint32_t>(0);
  fake.processes.imageProcesses["c:\\apps\\velora\\velora.exe"] = {4};
  fake.sessions.ownProgramStartFailure = 1314;
  RunningProduct product(fake.platform, kProduct);
  EXPECT_FALSE(product.TellToQuit(log));
  EXPECT_TRUE(product.RunsUntold());
  EXPECT_FALSE(product.CanBeWaitedFor());
  EXPECT_EQ(product.TrySession(), std::optional<std::uint32_t>(4));
  EXPECT_NE(Logged().find("the product runs in session 4, but it cannot be asked to quit there: error 1314"),
            std::string::npos)
      << Logged();
}

// The internal argument, whoever runs it, posts WM_QUIT to the product's main window on its own desktop and
// does nothing else: no registry, no file, no box, no log.
TEST_F(ProductStartTest, TheInternalArgumentOnlyPostsQuitToTheProductsWindowOnItsDesktop) {
  fake.desktop.windows["TVeloraMainForm"] = 0x1234;
  fake.desktop.windows["Shell_TrayWnd"] = 0x99;
  fake.journal.clear();
  EXPECT_EQ(RunUpdater(fake.platform, {"/askproducttoquit"}), 0);
  ASSERT_EQ(fake.desktop.posts.size(), 1u);
  EXPECT_EQ(fake.desktop.posts[0].window, 0x1234u);
  EXPECT_EQ(fake.desktop.posts[0].message, 0x0012u);
  EXPECT_EQ(fake.journal,
            (std::vector<std::string>{"SetDefaultDllDirectories", "FindWindow TVeloraMainForm", "PostMessage"}));
  EXPECT_EQ(fake.ownModule.dllDirectoryFlags, std::vector<std::uint32_t>{0x800});
  fake.desktop.windows.clear();
  EXPECT_EQ(RunUpdater(fake.platform, {"/askproducttoquit"}), 1);
  EXPECT_EQ(fake.desktop.posts.size(), 1u);
}

}  // namespace
}  // namespace velora
