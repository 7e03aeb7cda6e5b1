#include "driver/product.h"

#include <algorithm>

#include "driver/run_log.h"

namespace velora {
namespace {

constexpr const char* kProductMappingName = "velora_memfile";
constexpr const char* kProductWindowClass = "TVeloraMainForm";
// How long the run waits, in all, for a product told to quit to end. Saving its state takes a product a
// second or two; five seconds is about what the data file's exclusive-open tries allowed before. Past
// it the product is more likely stuck on a question of its own than about to end, and the user is
// better served by the new copy (which may refuse to start) than by a longer wait without any.
constexpr std::uint32_t kProductEndWaitMs = 5000;

// The product's process, opened before WM_QUIT so that its id cannot pass to another process in
// between; nullptr when it cannot be had.
platform::WaitableProcessPtr OpenProductProcess(platform::Platform& platform, platform::WindowId window, RunLog& log) {
  platform::DesktopApi& desktop = platform.desktop;
  const std::optional<std::uint32_t> processId = desktop.TryWindowProcessId(window);
  if (!processId) {
    log.Write("the product's process cannot be told from its window");
    return nullptr;
  }
  auto process = platform.processes.OpenProcessToWaitFor(*processId);
  if (!process.ok()) {
    log.WriteFailure("the product's process cannot be opened to wait for it", process.error);
    return nullptr;
  }
  // The id was read before the process was opened: a window still owned by that id shows that the
  // handle is the product's, not that of a later process that took over the id of an ended one.
  if (desktop.TryWindowProcessId(window) != processId) {
    log.Write("the product's window went away while its process was opened");
    return nullptr;
  }
  return std::move(process.value);
}

// The product's program started with a token in its folder, its quoted path the command line.
platform::WinError StartWithToken(platform::ProcessToken& token, const ProductLocation& product) {
  return token.StartProcess(product.executable, "\"" + product.executable + "\"", product.folder, win::kSwShowNormal);
}

// Starts the product with the token of the desktop shell's process, so that it runs as the signed-in
// user without this program's administrator rights: a product started elevated writes its settings
// and files where the user's copy does not look, and unelevated programs cannot talk to it.
ProductStart StartAsShellUser(platform::Platform& platform, const ProductLocation& product, RunLog& log) {
  const std::optional<std::uint32_t> shellProcess = platform.desktop.TryShellProcessId();
  if (!shellProcess) {
    log.Write("the product cannot be started with the desktop shell's token: no desktop shell window");
    return {};
  }
  auto token = platform.tokens.OpenProcessPrimaryToken(*shellProcess);
  if (!token.ok()) {
    log.WriteFailure("the product cannot be started with the desktop shell's token: it cannot be had", token.error);
    return {ProductStartWay::NotStarted, token.error};
  }
  if (const auto error = StartWithToken(*token.value, product); error != win::kErrorSuccess) {
    log.WriteFailure("the product cannot be started with the desktop shell's token: CreateProcessWithTokenW failed",
                     error);
    return {ProductStartWay::NotStarted, error};
  }
  log.Write("the product was started as the signed-in user, with the desktop shell's token");
  return {ProductStartWay::ShellUser};
}

// A service runs in session 0, whose desktop nobody sees: the product belongs on the console's desktop,
// as the user signed in there. With nobody there it is not started at all, since ShellExecuteA would
// start it in session 0 as the service's own account.
ProductStart StartInUsersSession(platform::SessionApi& sessions, const ProductLocation& product,
                                 std::optional<std::uint32_t> productSession, RunLog& log) {
  // The product comes back where it ran; a product that did not run starts where the console's user is.
  const std::optional<std::uint32_t> target = productSession ? productSession : sessions.TryActiveConsoleSessionId();
  if (!target) {
    log.Write("this program runs in session 0 and no session is attached to the console: the product is not started");
    return {};
  }
  const std::string targetName = (productSession ? "session " : "console session ") + std::to_string(*target);
  auto token = sessions.QuerySessionUserToken(*target);
  if (!token.ok()) {
    if (token.error == win::kErrorNoToken) {
      log.Write("this program runs in session 0 and nobody is signed in to " + targetName +
                ": the product is not started");
    } else {
      log.WriteFailure("the user's token of " + targetName + " cannot be had: the product is not started", token.error);
    }
    return {ProductStartWay::NotStarted, token.error};
  }
  if (const auto error = StartWithToken(*token.value, product); error != win::kErrorSuccess) {
    log.WriteFailure("the product cannot be started in " + targetName + ": it is not started", error);
    return {ProductStartWay::NotStarted, error};
  }
  log.Write("this program runs in session 0: the product was started in " + targetName +
            " as the user signed in there");
  return {ProductStartWay::ConsoleUser};
}

// A product that asks for administrator rights would get them only from this program's token.
ProductStart NotStartedForElevation(RunLog& log) {
  log.Write("the product asks for administrator rights (error 740): it is not started");
  return {ProductStartWay::NotStarted, win::kErrorElevationRequired};
}

// Only where this program's rights are all the user has, or where no token can start a program.
ProductStart StartWithShellExecute(platform::ProcessApi& processes, const ProductLocation& product,
                                   const std::string& why, RunLog& log) {
  if (const auto error =
          processes.ShellOpen("open", product.executable, /*parameters=*/"", /*directory=*/"", win::kSwShowNormal);
      error != win::kErrorSuccess) {
    log.WriteFailure("the product cannot be started with ShellExecuteA", error);
    return {ProductStartWay::NotStarted, error};
  }
  log.Write("the product was started with ShellExecuteA, with this program's rights: " + why);
  return {ProductStartWay::ShellExecute};
}

// Where the shell's token cannot be had or cannot start the product, the limited half of this
// program's own split token starts it: never this program's administrator rights where a limited token
// exists. ShellExecuteA only where the token is not split (XP, UAC off, the built-in Administrator) or
// is the limited half already, or where CreateProcessWithTokenW does not exist.
ProductStart StartWithLinkedToken(platform::Platform& platform, const ProductLocation& product, RunLog& log) {
  platform::TokenApi& tokens = platform.tokens;
  const auto elevation = tokens.OwnElevationType();
  if (!elevation.ok()) {
    // Windows before Vista knows no elevation types and splits no token.
    if (elevation.error == win::kErrorInvalidParameter)
      return StartWithShellExecute(platform.processes, product, "this Windows splits no token", log);
    log.WriteFailure("this program's elevation type cannot be told: the product is not started", elevation.error);
    return {ProductStartWay::NotStarted, elevation.error};
  }
  if (elevation.value == platform::TokenElevationType::Default)
    return StartWithShellExecute(platform.processes, product, "its token is not split (elevation type default)", log);
  if (elevation.value == platform::TokenElevationType::Limited)
    return StartWithShellExecute(platform.processes, product, "it runs with the limited half of its token", log);
  auto token = tokens.OpenLinkedToken();
  if (!token.ok()) {
    log.WriteFailure("the limited token of this program cannot be had: the product is not started", token.error);
    return {ProductStartWay::NotStarted, token.error};
  }
  const auto error = StartWithToken(*token.value, product);
  if (error == win::kErrorSuccess) {
    log.Write("the product was started as the signed-in user, with the limited token linked to this program's");
    return {ProductStartWay::LinkedToken};
  }
  if (error == win::kErrorProcNotFound)
    return StartWithShellExecute(platform.processes, product, "CreateProcessWithTokenW does not exist", log);
  if (error == win::kErrorElevationRequired) return NotStartedForElevation(log);
  log.WriteFailure("the product cannot be started with the limited token: it is not started", error);
  return {ProductStartWay::NotStarted, error};
}

bool IsServiceSession(platform::SessionApi& sessions) {
  const auto ownSession = sessions.OwnSessionId();
  return ownSession.ok() && ownSession.value == win::kServiceSession;
}

}  // namespace

bool RunningProduct::IsRunning() {
  auto mapping = platform_.processes.CreateNamedMapping(kProductMappingName, 64);
  if (mapping.error != win::kErrorAlreadyExists) return false;
  mapping_ = std::move(mapping.value);
  return true;
}

ProductStart RunningProduct::Start(RunLog& log) {
  mapping_.reset();
  return StartProduct(platform_, product_, log, session_);
}

bool RunningProduct::TellToQuit(RunLog& log) {
  if (IsServiceSession(platform_.sessions)) return TellToQuitInUsersSessions(log);
  if (!IsRunning()) {
    log.Write("the product is not running");
    return false;
  }
  runsUntold_ = true;
  const auto window = platform_.desktop.TryFindWindowByClass(kProductWindowClass);
  if (!window) {
    log.Write(std::string("the product is running, but no window of class ") + kProductWindowClass + " was found");
    return false;
  }
  process_ = OpenProductProcess(platform_, *window, log);
  if (const auto error = platform_.desktop.PostToWindow(*window, win::kWmQuit); error != win::kErrorSuccess) {
    log.WriteFailure("the product is running, but WM_QUIT could not be posted to it", error);
    process_.reset();
    return false;
  }
  runsUntold_ = false;
  log.Write("the product is running: told it to quit");
  return true;
}

// A service's own named objects and desktop are session 0's; the product runs in the users' sessions,
// where this program cannot reach its window. There the product is known by its shared-memory object in
// each session's namespace and by its processes, and a copy of this program started in its session
// posts WM_QUIT on that session's desktop.
bool RunningProduct::TellToQuitInUsersSessions(RunLog& log) {
  std::vector<std::uint32_t> sessions;
  auto add = [&sessions](std::uint32_t id) {
    if (std::find(sessions.begin(), sessions.end(), id) == sessions.end()) sessions.push_back(id);
  };
  const auto listed = platform_.sessions.EnumerateSessions();
  if (!listed.ok()) log.WriteFailure("the users' sessions cannot be listed", listed.error);
  for (const platform::TerminalSession& listedSession : listed.value) {
    const bool signedIn = listedSession.state == win::kWtsActive || listedSession.state == win::kWtsDisconnected;
    if (listedSession.id == win::kServiceSession || !signedIn) continue;
    const std::string mapping = "Session\\" + std::to_string(listedSession.id) + "\\" + kProductMappingName;
    if (platform_.processes.OpenExistingMapping(mapping) == win::kErrorSuccess) add(listedSession.id);
  }
  auto processes = platform_.processes.OpenProcessesOfImage(product_.executable);
  if (processes.ok()) {
    for (const std::uint32_t id : processes.value.sessionIds) add(id);
    process_ = std::move(processes.value.processes);
  } else {
    log.WriteFailure("the product's processes cannot be listed", processes.error);
  }
  if (sessions.empty()) {
    log.Write("this program runs in session 0 and the product runs in no user's session");
    return false;
  }
  session_ = sessions.front();
  bool told = false;
  for (const std::uint32_t productSession : sessions) {
    const std::string where = "session " + std::to_string(productSession);
    if (const auto error = platform_.sessions.StartOwnProgramInSession(productSession, kAskProductToQuitArgument);
        error != win::kErrorSuccess) {
      log.WriteFailure("the product runs in " + where + ", but it cannot be asked to quit there", error);
      continue;
    }
    told = true;
    log.Write("the product runs in " + where + ": asked it to quit there");
  }
  // A product none could ask keeps running: neither waited for nor started a second time.
  runsUntold_ = !told;
  if (!told) process_.reset();
  return told;
}

int AskProductOnThisDesktopToQuit(platform::DesktopApi& desktop) {
  const auto window = desktop.TryFindWindowByClass(kProductWindowClass);
  if (!window || desktop.PostToWindow(*window, win::kWmQuit) != win::kErrorSuccess) return 1;
  return 0;
}

void RunningProduct::WaitForEnd(RunLog& log) {
  if (!process_ || waited_) return;
  waited_ = true;
  const platform::WinError outcome = process_->WaitForEnd(kProductEndWaitMs);
  if (outcome == win::kErrorSuccess) {
    log.Write("the product has ended");
  } else if (outcome == win::kWaitTimeout) {
    log.Write("the product still runs after " + std::to_string(kProductEndWaitMs) +
              " ms of waiting; going on all the same");
  } else {
    log.WriteFailure("the product cannot be waited for; going on all the same", outcome);
  }
}

std::string ProductExecutablePath(const std::string& folder, const std::string& appName) {
  return folder + appName + ".exe";
}

ProductStart StartProduct(platform::Platform& platform, const ProductLocation& product, RunLog& log,
                          std::optional<std::uint32_t> productSession) {
  // A folder that cannot be made current is no reason not to start the product.
  static_cast<void>(platform.files.SetCurrentFolder(product.folder));
  const auto ownSession = platform.sessions.OwnSessionId();
  if (ownSession.ok() && ownSession.value == win::kServiceSession) {
    return StartInUsersSession(platform.sessions, product, productSession, log);
  }
  if (!ownSession.ok())
    log.WriteFailure("this program's session cannot be told: taken for a desktop's", ownSession.error);
  const ProductStart asShellUser = StartAsShellUser(platform, product, log);
  if (asShellUser.way == ProductStartWay::ShellUser) return asShellUser;
  if (asShellUser.error == win::kErrorElevationRequired) return NotStartedForElevation(log);
  return StartWithLinkedToken(platform, product, log);
}

}  // namespace velora
