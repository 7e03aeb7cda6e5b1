// The system seam's part for rights and tokens: whether this process may write for every user, how UAC
// split its token, and the tokens another program is started with.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/win_result.h"

namespace velora::platform {

/// A primary token, able to start a program as its user. One duplicated from another process's starts
/// it with CreateProcessWithTokenW(token, no logon flags, application, commandLine, no creation flags,
/// the user's own environment, directory, STARTUPINFO with STARTF_USESHOWWINDOW and show); a session
/// user's token (SessionApi::QuerySessionUserToken) with CreateEnvironmentBlock(token, without this
/// process's environment) and CreateProcessAsUserW(token, ..., no inherited handles,
/// CREATE_UNICODE_ENVIRONMENT, that block, directory, STARTUPINFO with the desktop "winsta0\default"),
/// every function looked up at run time. An empty directory is the current one. It returns once the new
/// process is ready for input (WaitForInputIdle, at most 5 s; at once for a program without a window),
/// then closes its handles.
class ProcessToken {
 public:
  virtual ~ProcessToken() = default;  ///< CloseHandle
  [[nodiscard]] virtual WinError StartProcess(const std::string& application, const std::string& commandLine,
                                              const std::string& directory, int show) = 0;
};
using ProcessTokenPtr = std::unique_ptr<ProcessToken>;

/// TOKEN_ELEVATION_TYPE: a token that UAC did not split, or the full or the limited half of a split one.
enum class TokenElevationType : std::uint32_t { Default = 1, Full = 2, Limited = 3 };

class TokenApi {
 public:
  virtual ~TokenApi() = default;

  /// IsUserAnAdmin (shell32).
  virtual bool IsUserAnAdmin() = 0;
  /// GetTokenInformation(TokenElevationType) of this process's token; kErrorInvalidParameter before
  /// Windows Vista, which has no such class.
  virtual WinResult<TokenElevationType> OwnElevationType() = 0;
  /// GetTokenInformation(TokenLinkedToken) of this process's token: the other half of a split token.
  virtual WinResult<ProcessTokenPtr> OpenLinkedToken() = 0;
  /// OpenProcess(PROCESS_QUERY_INFORMATION), OpenProcessToken(TOKEN_DUPLICATE) and DuplicateTokenEx to a
  /// primary token; the error of the first call that fails.
  virtual WinResult<ProcessTokenPtr> OpenProcessPrimaryToken(std::uint32_t processId) = 0;
};

}  // namespace velora::platform
