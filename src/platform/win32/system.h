// The system seam over kernel32, shell32, advapi32's crypto provider, and version.dll loaded at run
// time from the system folder.
#pragma once

#include "platform/system_api.h"
#include "platform/win32/unique_handle.h"

namespace velora::win32 {

/// Loads a DLL by its full path in the system folder, never through the search order.
unique_hmodule LoadSystemLibrary(const char* name);

// Not final: Wine tests point ModuleFileName at a file of their choosing.
class Win32System : public platform::SystemApi {
 public:
  bool SetDefaultDllDirectories(std::uint32_t flags) override;
  std::uint32_t GetUserDefaultLCID() override;
  std::optional<std::int64_t> QueryPerformanceCounter() override;
  std::uint32_t GetTickCount() override;
  void Sleep(std::uint32_t milliseconds) override;
  std::optional<platform::OsVersionInfo> VersionFacts(platform::VersionRecord record) override;
  std::uint16_t GetProcessorArchitecture() override;
  std::optional<std::string> EnvironmentVariable(const std::string& name) override;
  std::string SystemDirectory() override;
  std::string WindowsDirectory() override;
  bool IsUserAnAdmin() override;
  platform::WinError RunProcessAndWait(const std::string& commandLine, std::uint32_t creationFlags,
                                       int showWindow) override;
  platform::WinResult<platform::KernelObjectPtr> CreateNamedMapping(const std::string& name,
                                                                   std::uint32_t sizeLow) override;
  std::intptr_t ShellOpen(const std::string& verb, const std::string& file, const std::string& parameters,
                             const std::string& directory, int show) override;
  platform::WinResult<std::string> ModuleFileName() override;
  platform::WinResult<std::string> LoadModuleResource(const std::string& name, const std::string& type) override;
  std::uintptr_t GetExeType(const std::string& path) override;
  std::unique_ptr<platform::FileVersionInfo> LoadFileVersionInfo(const std::string& path) override;
  platform::WinResult<std::string> Sha256Hex(std::string_view bytes) override;

 private:
  unique_hmodule versionDll_;
};

}  // namespace velora::win32
