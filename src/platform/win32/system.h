// The system seam over kernel32, shell32, advapi32's crypto provider, and version.dll loaded at run
// time from the system folder.
#pragma once

#include "platform/system_api.h"
#include "platform/win32/unique_handle.h"

namespace velora::win32 {

/// Loads a DLL by its full path in the system folder, never through the search order.
[[nodiscard]] platform::WinResult<unique_hmodule> LoadSystemLibrary(const char* name);

class Win32System final : public platform::SystemApi {
 public:
  platform::WinError SetDefaultDllDirectories(std::uint32_t flags) override;
  platform::WinError SetDllFolder(const std::string& folder) override;
  std::uint32_t GetUserDefaultLCID() override;
  void Sleep(std::uint32_t milliseconds) override;
  platform::WinResult<platform::OsVersionInfo> VersionFacts(platform::VersionRecord record) override;
  std::uint16_t GetProcessorArchitecture() override;
  int GetSystemMetrics(int index) override;
  platform::WinResult<std::string> EnvironmentVariable(const std::string& name) override;
  platform::WinResult<std::string> SystemDirectory() override;
  platform::WinResult<std::string> WindowsDirectory() override;
  bool IsUserAnAdmin() override;
  platform::WinResult<std::string> RunProcessCapturingOutput(const std::string& commandLine,
                                                             std::uint32_t creationFlags, int showWindow,
                                                             std::size_t maxBytes) override;
  platform::WinResult<platform::KernelObjectPtr> CreateNamedMapping(const std::string& name,
                                                                    std::uint32_t sizeLow) override;
  platform::WinError ShellOpen(const std::string& verb, const std::string& file, const std::string& parameters,
                               const std::string& directory, int show) override;
  platform::WinResult<std::string> LoadModuleResource(const std::string& name, const std::string& type) override;
  std::optional<std::uintptr_t> TryGetExeType(const std::string& path) override;
  platform::WinResult<std::unique_ptr<platform::FileVersionInfo>> LoadFileVersionInfo(const std::string& path) override;
  platform::WinResult<std::string> Sha256Hex(std::string_view bytes) override;
  platform::LocalTime GetLocalTime() override;
  std::optional<std::string> TryErrorMessage(platform::WinError error) override;
  platform::WinResult<std::string> AnsiToUtf8(const std::string& ansiText) override;
  platform::WinResult<std::string> ConvertOemToAnsi(const std::string& oemText) override;
  platform::WinResult<platform::ProcessTokenPtr> OpenProcessPrimaryToken(std::uint32_t processId) override;
  platform::WinResult<platform::TokenElevationType> OwnElevationType() override;
  platform::WinResult<platform::ProcessTokenPtr> OpenLinkedToken() override;

  platform::WinResult<platform::WaitableProcessPtr> OpenProcessToWaitFor(std::uint32_t processId) override;
  platform::WinResult<std::uint32_t> OwnSessionId() override;
  std::optional<std::uint32_t> TryActiveConsoleSessionId() override;
  platform::WinResult<platform::ProcessTokenPtr> QuerySessionUserToken(std::uint32_t sessionId) override;

 private:
  unique_hmodule versionDll_;
};

}  // namespace velora::win32
