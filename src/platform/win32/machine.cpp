#include "platform/win32/system.h"

#include "platform/win32/run_time_link.h"

namespace velora::win32 {

using platform::WinResult;

WinResult<platform::OsVersionInfo> Win32Machine::VersionFacts(platform::VersionRecord record) {
  OSVERSIONINFOEXA info{};
  info.dwOSVersionInfoSize =
      record == platform::VersionRecord::Extended ? sizeof(OSVERSIONINFOEXA) : sizeof(OSVERSIONINFOA);
  if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) {
    return platform::Failed<platform::OsVersionInfo>(GetLastError());
  }
  platform::OsVersionInfo facts;
  facts.majorVersion = info.dwMajorVersion;
  facts.minorVersion = info.dwMinorVersion;
  facts.buildNumber = info.dwBuildNumber;
  facts.platformId = info.dwPlatformId;
  facts.csdVersion.assign(info.szCSDVersion, strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
  if (record == platform::VersionRecord::Extended) {
    facts.suiteMask = info.wSuiteMask;
    facts.productType = info.wProductType;
  }
  return platform::Succeeded(std::move(facts));
}

std::uint16_t Win32Machine::GetProcessorArchitecture() {
  using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
  SYSTEM_INFO info{};
  if (auto native = ExportOf<GetNativeSystemInfoFn>("kernel32.dll", "GetNativeSystemInfo")) {
    native(&info);
  } else {
    ::GetSystemInfo(&info);
  }
  return info.wProcessorArchitecture;
}

int Win32Machine::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

WinResult<std::string> Win32Machine::EnvironmentVariable(const std::string& name) {
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD needed = ::GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    // ERROR_ENVVAR_NOT_FOUND when it is not set; no error at all for a variable set to nothing.
    if (needed == 0) return {GetLastError(), std::string()};
    std::string value(needed, '\0');
    const DWORD length = ::GetEnvironmentVariableA(name.c_str(), value.data(), needed);
    if (length < needed) {
      value.resize(length);
      return platform::Succeeded(std::move(value));
    }
    // The variable grew between the two calls: ask again.
  }
}

WinResult<std::string> Win32Machine::SystemDirectory() { return SystemFolder(); }

WinResult<std::string> Win32Machine::WindowsDirectory() {
  return ReadFolder([](LPSTR buffer, UINT size) { return ::GetWindowsDirectoryA(buffer, size); });
}

platform::LocalTime Win32Machine::GetLocalTime() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

void Win32Machine::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace velora::win32
