// Shared pieces of the Wine-tier tests: build paths seen from Wine, test doubles for the two parts of
// the seam that would otherwise block a test (message boxes) or start a thread (the progress window),
// and the real system adapter behind a layer a test can override one call of.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/desktop.h"
#include "platform/win32/files.h"
#include "platform/win32/registry.h"
#include "platform/win32/system.h"
#include "support/wine_path.h"

namespace velora::wine_tests {

/// A folder of the given name in the temporary folder, made when missing; the path ends in "\".
inline std::string MakeTempFolder(const std::string& name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + name + "\\";
  CreateDirectoryA(folder.c_str(), /*lpSecurityAttributes=*/nullptr);
  return folder;
}

/// Message boxes recorded and answered from a script, since a real one blocks.
class RecordingUi final : public platform::UiApi {
 public:
  std::vector<platform::MessageBoxRequest> boxes;
  std::deque<int> answers;  ///< answers in order; when empty, OK boxes get IDOK and Yes/No boxes IDNO
  platform::WinResult<int> ShowMessageBox(const platform::MessageBoxRequest& request) override {
    boxes.push_back(request);
    if (answers.empty()) return platform::Succeeded((request.style & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK);
    const int answer = answers.front();
    answers.pop_front();
    return platform::Succeeded(answer);
  }
};

class NoProgressWindow final : public platform::ProgressWindowApi {
 public:
  platform::WinError Show(const std::string&, const std::string&) override { return 0; }
  platform::WinError Hide() override { return 0; }
  platform::WinError SetTitle(const std::string&) override { return 0; }
  platform::WinError SetText(const std::string&) override { return 0; }
};

/// Every call goes to the real system adapter; a test overrides the one it needs to see or change.
class RealSystem : public platform::SystemApi {
 public:
  platform::WinError SetDefaultDllDirectories(std::uint32_t flags) override {
    return real_.SetDefaultDllDirectories(flags);
  }
  platform::WinError SetDllFolder(const std::string& folder) override { return real_.SetDllFolder(folder); }
  std::uint32_t GetUserDefaultLCID() override { return real_.GetUserDefaultLCID(); }
  void Sleep(std::uint32_t milliseconds) override { real_.Sleep(milliseconds); }
  platform::WinResult<platform::OsVersionInfo> VersionFacts(platform::VersionRecord record) override {
    return real_.VersionFacts(record);
  }
  std::uint16_t GetProcessorArchitecture() override { return real_.GetProcessorArchitecture(); }
  int GetSystemMetrics(int index) override { return real_.GetSystemMetrics(index); }
  platform::WinResult<std::string> EnvironmentVariable(const std::string& name) override {
    return real_.EnvironmentVariable(name);
  }
  platform::WinResult<std::string> SystemDirectory() override { return real_.SystemDirectory(); }
  platform::WinResult<std::string> WindowsDirectory() override { return real_.WindowsDirectory(); }
  bool IsUserAnAdmin() override { return real_.IsUserAnAdmin(); }
  platform::WinResult<std::string> RunProcessCapturingOutput(const std::string& commandLine,
                                                             std::uint32_t creationFlags, int showWindow,
                                                             std::size_t maxBytes) override {
    return real_.RunProcessCapturingOutput(commandLine, creationFlags, showWindow, maxBytes);
  }
  platform::WinResult<platform::KernelObjectPtr> CreateNamedMapping(const std::string& name,
                                                                    std::uint32_t sizeLow) override {
    return real_.CreateNamedMapping(name, sizeLow);
  }
  platform::WinError ShellOpen(const std::string& verb, const std::string& file, const std::string& parameters,
                               const std::string& directory, int show) override {
    return real_.ShellOpen(verb, file, parameters, directory, show);
  }
  platform::WinResult<std::string> LoadModuleResource(const std::string& name, const std::string& type) override {
    return real_.LoadModuleResource(name, type);
  }
  std::optional<std::uintptr_t> TryGetExeType(const std::string& path) override { return real_.TryGetExeType(path); }
  platform::WinResult<std::unique_ptr<platform::FileVersionInfo>> LoadFileVersionInfo(
      const std::string& path) override {
    return real_.LoadFileVersionInfo(path);
  }
  platform::WinResult<std::string> Sha256Hex(std::string_view bytes) override { return real_.Sha256Hex(bytes); }
  platform::LocalTime GetLocalTime() override { return real_.GetLocalTime(); }
  std::optional<std::string> TryErrorMessage(platform::WinError error) override { return real_.TryErrorMessage(error); }
  platform::WinResult<std::string> AnsiToUtf8(const std::string& ansiText) override {
    return real_.AnsiToUtf8(ansiText);
  }
  platform::WinResult<std::string> ConvertOemToAnsi(const std::string& oemText) override {
    return real_.ConvertOemToAnsi(oemText);
  }
  platform::WinResult<platform::ProcessTokenPtr> OpenProcessPrimaryToken(std::uint32_t processId) override {
    return real_.OpenProcessPrimaryToken(processId);
  }
  platform::WinResult<platform::TokenElevationType> OwnElevationType() override { return real_.OwnElevationType(); }
  platform::WinResult<platform::ProcessTokenPtr> OpenLinkedToken() override { return real_.OpenLinkedToken(); }

  platform::WinResult<platform::WaitableProcessPtr> OpenProcessToWaitFor(std::uint32_t processId) override {
    return real_.OpenProcessToWaitFor(processId);
  }
  platform::WinResult<std::uint32_t> OwnSessionId() override { return real_.OwnSessionId(); }
  std::optional<std::uint32_t> TryActiveConsoleSessionId() override { return real_.TryActiveConsoleSessionId(); }
  platform::WinResult<platform::ProcessTokenPtr> QuerySessionUserToken(std::uint32_t sessionId) override {
    return real_.QuerySessionUserToken(sessionId);
  }

 private:
  win32::Win32System real_;
};

/// The real adapters bundled into one Platform, as FakeWindows bundles the fakes for host tests; a test
/// names the doubles it puts in their place (its own files, system, progress window or boxes).
template <class Files = win32::Win32Files, class System = win32::Win32System, class Progress = NoProgressWindow,
          class Ui = RecordingUi>
struct RealWindows {
  win32::Win32Registry registry;
  Files files;
  Ui ui;
  System system;
  Progress progress;
  win32::Win32Desktop desktop;
  platform::Platform platform{registry, files, ui, desktop, system, progress};
};

}  // namespace velora::wine_tests
