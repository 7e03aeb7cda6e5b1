// The system part of the seam: locale, clocks, version facts, environment, folders, rights, processes,
// named kernel objects, the program's own module (file name, resources), shell and version queries,
// hashing and DLL search order.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
  /// "\VarFileInfo\Translation": each entry's low 16 bits the language, high 16 bits the code page.
  virtual std::optional<std::vector<std::uint32_t>> QueryTranslations() = 0;
  /// A string value such as "\StringFileInfo\040904b0\FileVersion", up to its terminating zero.
  virtual std::optional<std::string> QueryString(const std::string& subBlock) = 0;
};

class SystemApi {
 public:
  virtual ~SystemApi() = default;

  /// SetDefaultDllDirectories, looked up in kernel32 at run time; false where it does not exist.
  virtual bool SetDefaultDllDirectories(std::uint32_t flags) = 0;

  virtual std::uint32_t GetUserDefaultLCID() = 0;
  /// QueryPerformanceCounter; nullopt when there is no performance counter.
  virtual std::optional<std::int64_t> QueryPerformanceCounter() = 0;
  virtual std::uint32_t GetTickCount() = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;

  /// GetVersionExA into a zeroed record of the given kind; nullopt when the call fails.
  virtual std::optional<OsVersionInfo> VersionFacts(VersionRecord record) = 0;
  /// wProcessorArchitecture from GetNativeSystemInfo when kernel32 exports it, else GetSystemInfo.
  virtual std::uint16_t GetProcessorArchitecture() = 0;

  /// GetEnvironmentVariableA, asking for the length first; nullopt when the variable is not set.
  virtual std::optional<std::string> EnvironmentVariable(const std::string& name) = 0;
  virtual std::string SystemDirectory() = 0;
  virtual std::string WindowsDirectory() = 0;
  /// IsUserAnAdmin (shell32).
  virtual bool IsUserAnAdmin() = 0;

  /// CreateProcessA(no application name, commandLine, ..., creationFlags, STARTUPINFO with
  /// STARTF_USESHOWWINDOW and showWindow), then waits for the process without a time limit.
  virtual WinError RunProcessAndWait(const std::string& commandLine, std::uint32_t creationFlags,
                                     int showWindow) = 0;

  /// CreateFileMappingA(INVALID_HANDLE_VALUE, no security attributes, PAGE_READWRITE, 0, sizeLow, name).
  /// error is GetLastError right after the call: kErrorAlreadyExists comes with a valid handle.
  virtual WinResult<KernelObjectPtr> CreateNamedMapping(const std::string& name, std::uint32_t sizeLow) = 0;

  /// ShellExecuteA(no owner window, verb, file, parameters, directory, show); its result as a number.
  virtual std::intptr_t ShellOpen(const std::string& verb, const std::string& file,
                                     const std::string& parameters, const std::string& directory,
                                     int show) = 0;

  /// GetModuleFileNameA of the program's own module, with a buffer that grows to fit.
  virtual WinResult<std::string> ModuleFileName() = 0;
  /// FindResourceA, LoadResource, LockResource and SizeofResource on the program's own module.
  virtual WinResult<std::string> LoadModuleResource(const std::string& name, const std::string& type) = 0;

  /// SHGetFileInfoA with SHGFI_EXETYPE; 0 for no executable or no file.
  virtual std::uintptr_t GetExeType(const std::string& path) = 0;
  /// GetFileVersionInfoSizeA and GetFileVersionInfoA (version.dll, loaded from the system folder);
  /// nullptr when the file has no version resource or it cannot be read.
  virtual std::unique_ptr<FileVersionInfo> LoadFileVersionInfo(const std::string& path) = 0;

  /// SHA-256 of the bytes with the Windows crypto provider, as 64 lower-case hex digits.
  virtual WinResult<std::string> Sha256Hex(std::string_view bytes) = 0;
};

}  // namespace velora::platform
