// The product's running copy: whether one holds the product's shared-memory object, and starting the
// product after the update.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace velora {

class RunLog;

/// Which way StartProduct started the product.
enum class ProductStartWay {
  ShellUser,     ///< with the desktop shell's token: the signed-in user, not elevated
  ConsoleUser,   ///< from session 0, with the token of the user signed in at the console
  LinkedToken,   ///< with the limited half of this program's split token: the signed-in user, not elevated
  ShellExecute,  ///< ShellExecuteA, with this program's own rights, where they are not split
  NotStarted,
};

struct ProductStart {
  ProductStartWay way = ProductStartWay::NotStarted;
  platform::WinError error = 0;  ///< the error of the last call that failed on the way
};

/// Where the installed product's program is.
struct ProductLocation {
  std::string folder;      ///< the product folder, ending in "\"
  std::string executable;  ///< ProductExecutablePath of that folder
};

/// folder + appName + ".exe": the product's program in its folder.
std::string ProductExecutablePath(const std::string& folder, const std::string& appName);

/// A running copy of the product that the update tells to quit, and its process, which the update waits
/// for before it writes or starts the product again: a product saving its state still holds its files
/// and its shared-memory object, and a second copy of it refuses to start meanwhile.
class RunningProduct {
 public:
  RunningProduct(platform::Platform& platform, ProductLocation product)
      : platform_(platform), product_(std::move(product)) {}

  /// True when a copy of the product holds its shared-memory object; the handle opened to find out is
  /// then held until Start, so that the object outlives a product that ends meanwhile.
  bool IsRunning();
  /// Posts WM_QUIT to a running product's main window, after taking its process to wait for; false when
  /// no copy runs or the message could not be posted. From a service (session 0) the product runs in the
  /// users' sessions: it is found there by its shared-memory object and its processes, and this program
  /// is started in each such session to post WM_QUIT on that session's desktop.
  bool TellToQuit(RunLog& log);
  /// Whether TellToQuit could take the product's process; without it only the data file shows the end.
  bool CanBeWaitedFor() const { return process_ != nullptr; }
  /// Waits for the process to end, once: later calls go by that outcome, so a run waits at most a few
  /// seconds in all. Returns the moment the process ends; past the bound it goes on, and logs it.
  void WaitForEnd(RunLog& log);
  /// True when a copy runs that could not be told to quit: starting the product would make a second one.
  bool RunsUntold() const { return runsUntold_; }
  /// The users' session the product was found running in, from a service.
  std::optional<std::uint32_t> TrySession() const { return session_; }
  /// Lets the shared-memory object go, then StartProduct in the session the product ran in: a product
  /// that guards against a second copy of itself by that object would take ours for one.
  ProductStart Start(RunLog& log);

 private:
  bool TellToQuitInUsersSessions(RunLog& log);

  platform::Platform& platform_;
  const ProductLocation product_;
  platform::KernelObjectPtr mapping_;  ///< the product's shared-memory object, from IsRunning until Start
  platform::WaitableProcessPtr process_;
  std::optional<std::uint32_t> session_;
  bool runsUntold_ = false;
  bool waited_ = false;
};

/// The internal argument that makes this program do nothing but post WM_QUIT to the product's main
/// window on its own desktop: a service starts it in a user's session, whose windows it cannot reach.
inline constexpr const char* kAskProductToQuitArgument = "/askproducttoquit";

/// What the internal argument runs: finds the product's main window on this desktop and posts WM_QUIT
/// to it, nothing else. 0 when it was posted, 1 when there is no such window or the post failed.
int AskProductOnThisDesktopToQuit(platform::DesktopApi& desktop);

/// Starts the product's program in its folder. Outside session 0 as the signed-in user (with the token of the
/// desktop shell's process, else the limited half of this program's split token), with ShellExecuteA only where the
/// token is not split or no token can start a program, and never when the product asks for elevation (740); in session
/// 0 (a service) as the user signed in to productSession (where the product ran) or, without one, at the console, or
/// not at all. Writes which way and why to log; nothing is shown to the user.
ProductStart StartProduct(platform::Platform& platform, const ProductLocation& product, RunLog& log,
                          std::optional<std::uint32_t> productSession = std::nullopt);

}  // namespace velora
