// The system part of the seam: locale, clocks, version facts and metrics, environment, folders, rights,
// processes, named kernel objects, the program's own module (file name, resources), shell and version
// queries, text conversion, hashing and DLL search order.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process_api.h"
#include "platform/win_result.h"

namespace velora::platform {

/// OSVERSIONINFOEXA as GetVersionExA fills it (suiteMask and productType stay 0 in the plain record).
struct OsVersionInfo {
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
  std::uint32_t buildNumber = 0;
  std::uint32_t platformId = 0;
  std::string csdVersion;  ///< szCSDVersion up to its first zero
  std::uint16_t suiteMask = 0;
  std::uint8_t productType = 0;
};

enum class VersionRecord { Extended, Plain };  ///< OSVERSIONINFOEXA (156 bytes) or OSVERSIONINFOA (148)

/// A kernel object handle held open until its owner lets it go.
class KernelObject {
 public:
  virtual ~KernelObject() = default;  ///< CloseHandle
};
using KernelObjectPtr = std::unique_ptr<KernelObject>;

/// The version resource of a file, as VerQueryValueA reads it.
class FileVersionInfo {
 public:
  virtual ~FileVersionInfo() = default;
  /// "\VarFileInfo\Translation": each entry's low 16 bits the language, high 16 bits the code page;
  /// nullopt when the resource has no such block.
  [[nodiscard]] virtual std::optional<std::vector<std::uint32_t>> TryQueryTranslations() = 0;
  /// A string value such as "\StringFileInfo\040904b0\FileVersion", up to its terminating zero;
  /// nullopt when the resource has no such value.
  [[nodiscard]] virtual std::optional<std::string> TryQueryString(const std::string& subBlock) = 0;
};

/// SYSTEMTIME as GetLocalTime fills it.
struct LocalTime {
  std::uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, milliseconds = 0;
};

/// A primary token, able to start a program as its user. One duplicated from another process's starts
/// it with CreateProcessWithTokenW(token, no logon flags, application, commandLine, no creation flags,
/// the user's own environment, directory, STARTUPINFO with STARTF_USESHOWWINDOW and show); a session
/// user's token (QuerySessionUserToken) with CreateEnvironmentBlock(token, without this process's
/// environment) and CreateProcessAsUserW(token, ..., no inherited handles, CREATE_UNICODE_ENVIRONMENT,
/// that block, directory, STARTUPINFO with the desktop "winsta0\default"), every function looked up at
/// run time. An empty directory is the current one. It returns once the new process is ready for input
/// (WaitForInputIdle, at most 5 s; at once for a program without a window), then closes its handles.
class ProcessToken {
 public:
  virtual ~ProcessToken() = default;  ///< CloseHandle
  [[nodiscard]] virtual WinError StartProcess(const std::string& application, const std::string& commandLine,
                                              const std::string& directory, int show) = 0;
};
using ProcessTokenPtr = std::unique_ptr<ProcessToken>;

/// TOKEN_ELEVATION_TYPE: a token that UAC did not split, or the full or the limited half of a split one.
enum class TokenElevationType : std::uint32_t { Default = 1, Full = 2, Limited = 3 };

/// A session of this machine, as WTSEnumerateSessionsA lists it.
struct TerminalSession {
  std::uint32_t id = 0;
  std::uint32_t state = 0;  ///< WTS_CONNECTSTATE_CLASS: kWtsActive, kWtsDisconnected, ...
};

/// The running processes of one program file: the sessions they run in, and all of them to wait for.
struct ImageProcesses {
  std::vector<std::uint32_t> sessionIds;  ///< one entry per process, in the order they were found
  WaitableProcessPtr processes;           ///< null when none runs; else ends when every one has ended
};

class SystemApi {
 public:
  virtual ~SystemApi() = default;

  /// SetDefaultDllDirectories, looked up in kernel32 at run time; kErrorProcNotFound where it does not exist.
  [[nodiscard]] virtual WinError SetDefaultDllDirectories(std::uint32_t flags) = 0;
  /// SetDllDirectoryA; an empty folder takes the current folder out of the DLL search order.
  [[nodiscard]] virtual WinError SetDllFolder(const std::string& folder) = 0;

  virtual std::uint32_t GetUserDefaultLCID() = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;

  /// GetVersionExA into a zeroed record of the given kind.
  virtual WinResult<OsVersionInfo> VersionFacts(VersionRecord record) = 0;
  /// wProcessorArchitecture from GetNativeSystemInfo when kernel32 exports it, else GetSystemInfo.
  virtual std::uint16_t GetProcessorArchitecture() = 0;
  /// GetSystemMetrics.
  virtual int GetSystemMetrics(int index) = 0;

  /// GetEnvironmentVariableA, asking for the length first; kErrorEnvvarNotFound when the variable is not set.
  virtual WinResult<std::string> EnvironmentVariable(const std::string& name) = 0;
  virtual WinResult<std::string> SystemDirectory() = 0;
  virtual WinResult<std::string> WindowsDirectory() = 0;
  /// IsUserAnAdmin (shell32).
  virtual bool IsUserAnAdmin() = 0;

  /// CreatePipe with only the write end inheritable, CreateProcessA(no application name, commandLine, ...,
  /// inheriting handles, creationFlags, STARTUPINFO with STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES,
  /// showWindow and the pipe as standard output), reads the output until the program closes it or
  /// maxBytes have come, then waits for the process without a time limit. What was read comes with the
  /// error of a read or wait that failed; CreatePipe's or CreateProcessA's error with no output.
  virtual WinResult<std::string> RunProcessCapturingOutput(const std::string& commandLine, std::uint32_t creationFlags,
                                                           int showWindow, std::size_t maxBytes) = 0;

  /// CreateFileMappingA(INVALID_HANDLE_VALUE, no security attributes, PAGE_READWRITE, 0, sizeLow, name).
  /// error is GetLastError right after the call: kErrorAlreadyExists comes with a valid handle.
  virtual WinResult<KernelObjectPtr> CreateNamedMapping(const std::string& name, std::uint32_t sizeLow) = 0;

  /// ShellExecuteA(no owner window, verb, file, parameters, directory, show); its error when it returns
  /// 32 or less.
  [[nodiscard]] virtual WinError ShellOpen(const std::string& verb, const std::string& file,
                                           const std::string& parameters, const std::string& directory, int show) = 0;

  /// FindResourceA, LoadResource, LockResource and SizeofResource on the program's own module.
  virtual WinResult<std::string> LoadModuleResource(const std::string& name, const std::string& type) = 0;

  /// SHGetFileInfoA with SHGFI_EXETYPE; nullopt for no executable or no file.
  [[nodiscard]] virtual std::optional<std::uintptr_t> TryGetExeType(const std::string& path) = 0;
  /// GetFileVersionInfoSizeA and GetFileVersionInfoA (version.dll, loaded from the system folder);
  /// their error when the file has no version resource or it cannot be read.
  virtual WinResult<std::unique_ptr<FileVersionInfo>> LoadFileVersionInfo(const std::string& path) = 0;

  /// SHA-256 of the bytes with the Windows crypto provider, as 64 lower-case hex digits.
  virtual WinResult<std::string> Sha256Hex(std::string_view bytes) = 0;

  /// GetLocalTime.
  virtual LocalTime GetLocalTime() = 0;
  /// FormatMessageA's system text for an error code, without its line break; nullopt when there is none.
  [[nodiscard]] virtual std::optional<std::string> TryErrorMessage(WinError error) = 0;
  /// An ANSI-code-page text as UTF-8 (MultiByteToWideChar, then WideCharToMultiByte).
  virtual WinResult<std::string> AnsiToUtf8(const std::string& ansiText) = 0;
  /// OemToCharA over the whole text; the result has the same length.
  virtual WinResult<std::string> ConvertOemToAnsi(const std::string& oemText) = 0;
  /// OpenProcess(PROCESS_QUERY_INFORMATION), OpenProcessToken(TOKEN_DUPLICATE) and DuplicateTokenEx to a
  /// primary token; the error of the first call that fails.
  virtual WinResult<ProcessTokenPtr> OpenProcessPrimaryToken(std::uint32_t processId) = 0;

  /// GetTokenInformation(TokenElevationType) of this process's token; kErrorInvalidParameter before
  /// Windows Vista, which has no such class.
  virtual WinResult<TokenElevationType> OwnElevationType() = 0;
  /// GetTokenInformation(TokenLinkedToken) of this process's token: the other half of a split token.
  virtual WinResult<ProcessTokenPtr> OpenLinkedToken() = 0;

  // Waiting for the product to end, and starting it for the console's user from a service session.
  /// OpenProcess(SYNCHRONIZE, not inheritable, processId).
  virtual WinResult<WaitableProcessPtr> OpenProcessToWaitFor(std::uint32_t processId) = 0;
  /// ProcessIdToSessionId of this process (kernel32, looked up at run time).
  virtual WinResult<std::uint32_t> OwnSessionId() = 0;
  /// WTSGetActiveConsoleSessionId (kernel32, looked up at run time); nullopt when no session is attached
  /// to the console or the function does not exist.
  [[nodiscard]] virtual std::optional<std::uint32_t> TryActiveConsoleSessionId() = 0;
  /// WTSQueryUserToken (wtsapi32.dll from the system folder, looked up at run time); ERROR_NO_TOKEN when
  /// nobody is signed in to the session.
  virtual WinResult<ProcessTokenPtr> QuerySessionUserToken(std::uint32_t sessionId) = 0;

  // Finding and closing the product in the users' sessions from a service.
  /// WTSEnumerateSessionsA of this server (wtsapi32.dll from the system folder, looked up at run time).
  virtual WinResult<std::vector<TerminalSession>> EnumerateSessions() = 0;
  /// OpenFileMappingA(FILE_MAP_READ, not inheritable, name), closed at once: kErrorSuccess when another
  /// process holds a mapping of that name ("Session\<id>\<name>" reaches another session's objects).
  [[nodiscard]] virtual WinError OpenExistingMapping(const std::string& name) = 0;
  /// Every process CreateToolhelp32Snapshot lists under imagePath's file name, opened with SYNCHRONIZE and
  /// PROCESS_QUERY_LIMITED_INFORMATION and kept only when QueryFullProcessImageNameW of that handle is
  /// imagePath (lstrcmpiW: letter case aside); with ProcessIdToSessionId of each. The Vista functions are looked
  /// up at run time: kErrorProcNotFound without them.
  virtual WinResult<ImageProcesses> OpenProcessesOfImage(const std::string& imagePath) = 0;
  /// This program's own file started in another session with a copy of this process's token: OpenProcessToken,
  /// DuplicateTokenEx to a primary token, SetTokenInformation(TokenSessionId, sessionId) (a service's
  /// right), then CreateProcessAsUserW(token, GetModuleFileNameW, "VeloraUpdate.exe " + arguments, no
  /// inherited handles, no creation flags, this environment, no folder, STARTUPINFO with the desktop
  /// "winsta0\default", SW_HIDE); the new process's handles are closed at once.
  [[nodiscard]] virtual WinError StartOwnProgramInSession(std::uint32_t sessionId, const std::string& arguments) = 0;
};

}  // namespace velora::platform
