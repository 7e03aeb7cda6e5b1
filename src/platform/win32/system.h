// The Win32 adapters of the system seam's parts, one class per part: this machine, text, this program's
// own module, other programs' files, other processes, tokens, and sessions.
#pragma once

#include "platform/machine_api.h"
#include "platform/own_module_api.h"
#include "platform/process_api.h"
#include "platform/program_file_api.h"
#include "platform/session_api.h"
#include "platform/text_api.h"
#include "platform/token_api.h"
#include "platform/win32/system_folder.h"
#include "platform/win32/unique_handle.h"

namespace velora::win32 {

class Win32Machine final : public platform::MachineApi {
 public:
  platform::WinResult<platform::OsVersionInfo> VersionFacts(platform::VersionRecord record) override;
  std::uint16_t GetProcessorArchitecture() override;
  int GetSystemMetrics(int index) override;
  platform::WinResult<std::string> EnvironmentVariable(const std::string& name) override;
  platform::WinResult<std::string> SystemDirectory() override;
  platform::WinResult<std::string> WindowsDirectory() override;
  platform::LocalTime GetLocalTime() override;
  void Sleep(std::uint32_t milliseconds) override;
};

class Win32Text final : public platform::TextApi {
 public:
  std::uint32_t GetUserDefaultLCID() override;
  platform::WinResult<std::string> AnsiToUtf8(const std::string& ansiText) override;
  platform::WinResult<std::string> ConvertOemToAnsi(const std::string& oemText) override;
  std::optional<std::string> TryErrorMessage(platform::WinError error) override;
};

class Win32OwnModule final : public platform::OwnModuleApi {
 public:
  platform::WinError SetDefaultDllDirectories(std::uint32_t flags) override;
  platform::WinError SetDllFolder(const std::string& folder) override;
  platform::WinResult<std::string> LoadModuleResource(const std::string& name, const std::string& type) override;
  platform::WinResult<std::string> Sha256Hex(std::string_view bytes) override;
};

class Win32ProgramFiles final : public platform::ProgramFileApi {
 public:
  std::optional<std::uintptr_t> TryGetExeType(const std::string& path) override;
  platform::WinResult<std::unique_ptr<platform::FileVersionInfo>> LoadFileVersionInfo(const std::string& path) override;

 private:
  unique_hmodule versionDll_;
};

/// Not final: a Wine-tier test records the programs it starts by overriding one call.
class Win32Processes : public platform::ProcessApi {
 public:
  platform::WinResult<std::string> RunProcessCapturingOutput(const std::string& commandLine,
                                                             std::uint32_t creationFlags, int showWindow,
                                                             std::size_t maxBytes) override;
  platform::WinError ShellOpen(const std::string& verb, const std::string& file, const std::string& parameters,
                               const std::string& directory, int show) override;
  platform::WinResult<platform::WaitableProcessPtr> OpenProcessToWaitFor(std::uint32_t processId) override;
  platform::WinResult<platform::ImageProcesses> OpenProcessesOfImage(const std::string& imagePath) override;
  platform::WinResult<platform::KernelObjectPtr> CreateNamedMapping(const std::string& name,
                                                                    std::uint32_t sizeLow) override;
  platform::WinError OpenExistingMapping(const std::string& name) override;
};

class Win32Tokens final : public platform::TokenApi {
 public:
  bool IsUserAnAdmin() override;
  platform::WinResult<platform::TokenElevationType> OwnElevationType() override;
  platform::WinResult<platform::ProcessTokenPtr> OpenLinkedToken() override;
  platform::WinResult<platform::ProcessTokenPtr> OpenProcessPrimaryToken(std::uint32_t processId) override;
};

class Win32Sessions final : public platform::SessionApi {
 public:
  platform::WinResult<std::uint32_t> OwnSessionId() override;
  std::optional<std::uint32_t> TryActiveConsoleSessionId() override;
  platform::WinResult<std::vector<platform::TerminalSession>> EnumerateSessions() override;
  platform::WinResult<platform::ProcessTokenPtr> QuerySessionUserToken(std::uint32_t sessionId) override;
  platform::WinError StartOwnProgramInSession(std::uint32_t sessionId, const std::string& arguments) override;
};

}  // namespace velora::win32
