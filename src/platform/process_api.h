// Other processes as the system seam hands them out: a running program held open to wait for its
// end, and a signed-in user's token that starts a program on that user's desktop.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/win_result.h"

namespace velora::platform {

/// Another process, opened with SYNCHRONIZE only: enough to wait for it, nothing more.
class WaitableProcess {
 public:
  virtual ~WaitableProcess() = default;  ///< CloseHandle
  /// WaitForSingleObject(process, timeoutMs): kErrorSuccess once the process has ended, kWaitTimeout
  /// when it still runs at the end of the time, else the error of the failed wait.
  [[nodiscard]] virtual WinError WaitForEnd(std::uint32_t timeoutMs) = 0;
};
using WaitableProcessPtr = std::unique_ptr<WaitableProcess>;

/// The token of the user signed in to a session (WTSQueryUserToken).
class SessionUserToken {
 public:
  virtual ~SessionUserToken() = default;  ///< CloseHandle
  /// CreateEnvironmentBlock(token, without this process's environment), then CreateProcessAsUserW(token,
  /// application, commandLine, no inherited handles, CREATE_UNICODE_ENVIRONMENT, that block, directory,
  /// STARTUPINFO with the desktop "winsta0\default", STARTF_USESHOWWINDOW and show); every function
  /// looked up at run time in the system folder's DLLs. The new process's handles are closed at once.
  [[nodiscard]] virtual WinError StartProcess(const std::string& application, const std::string& commandLine,
                                              const std::string& directory, int show) = 0;
};
using SessionUserTokenPtr = std::unique_ptr<SessionUserToken>;

}  // namespace velora::platform
