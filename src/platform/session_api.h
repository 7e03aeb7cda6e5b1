// The system seam's part for the machine's sessions, as a service sees them: its own, the console's,
// the users signed in to them, and this program started in one of them. Everything newer than XP is
// looked up at run time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/token_api.h"
#include "platform/win_result.h"

namespace velora::platform {

/// A session of this machine, as WTSEnumerateSessionsA lists it.
struct TerminalSession {
  std::uint32_t id = 0;
  std::uint32_t state = 0;  ///< WTS_CONNECTSTATE_CLASS: kWtsActive, kWtsDisconnected, ...
};

class SessionApi {
 public:
  virtual ~SessionApi() = default;

  /// ProcessIdToSessionId of this process (kernel32).
  virtual WinResult<std::uint32_t> OwnSessionId() = 0;
  /// WTSGetActiveConsoleSessionId (kernel32); nullopt when no session is attached to the console or the
  /// function does not exist.
  [[nodiscard]] virtual std::optional<std::uint32_t> TryActiveConsoleSessionId() = 0;
  /// WTSEnumerateSessionsA of this server (wtsapi32.dll from the system folder).
  virtual WinResult<std::vector<TerminalSession>> EnumerateSessions() = 0;
  /// WTSQueryUserToken (wtsapi32.dll from the system folder); ERROR_NO_TOKEN when nobody is signed in to
  /// the session.
  virtual WinResult<ProcessTokenPtr> QuerySessionUserToken(std::uint32_t sessionId) = 0;
  /// This program's own file started in another session with a copy of this process's token: OpenProcessToken,
  /// DuplicateTokenEx to a primary token, SetTokenInformation(TokenSessionId, sessionId) (a service's
  /// right), then CreateProcessAsUserW(token, GetModuleFileNameW, "VeloraUpdate.exe " + arguments, no
  /// inherited handles, no creation flags, this environment, no folder, STARTUPINFO with the desktop
  /// "winsta0\default", SW_HIDE); the new process's handles are closed at once.
  [[nodiscard]] virtual WinError StartOwnProgramInSession(std::uint32_t sessionId, const std::string& arguments) = 0;
};

}  // namespace velora::platform
