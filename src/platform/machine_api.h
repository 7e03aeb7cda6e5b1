// The system seam's part for this machine and this moment: the Windows version, the processor, screen
// metrics, the environment, the Windows folders, the clock and sleeping.
#pragma once

#include <cstdint>
#include <string>

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

/// SYSTEMTIME as GetLocalTime fills it.
struct LocalTime {
  std::uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, milliseconds = 0;
};

class MachineApi {
 public:
  virtual ~MachineApi() = default;

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
  /// GetLocalTime.
  virtual LocalTime GetLocalTime() = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;
};

}  // namespace velora::platform
