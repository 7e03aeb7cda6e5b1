// Scripted facts of the machine and of this program: version records, processor, screen metrics,
// environment, folders, the clock and sleeps; the locale and Cyrillic text conversions; the DLL search
// order, resources and a stand-in digest; the kinds and version resources of other programs' files.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/machine_api.h"
#include "platform/own_module_api.h"
#include "platform/program_file_api.h"
#include "platform/text_api.h"
#include "support/fake_journal.h"

namespace velora::fakes {

class FakeMachine final : public platform::MachineApi {
 public:
  explicit FakeMachine(Journal& journal) : journal_(journal) {}

  /// Windows 7 SP1 on a 64-bit processor by default.
  std::optional<platform::OsVersionInfo> extendedVersion =
      platform::OsVersionInfo{6, 1, 7601, 2, "Service Pack 1", 0x100, 1};
  std::optional<platform::OsVersionInfo> plainVersion = platform::OsVersionInfo{6, 1, 7601, 2, "Service Pack 1", 0, 0};
  std::uint16_t processorArchitecture = 9;
  std::map<int, int> metrics{{0, 1024}, {1, 768}};        ///< GetSystemMetrics by index; 0 for the others
  std::map<std::string, std::string> environment;         ///< by lower-case name
  std::string systemDirectory = "C:\\windows\\system32";  ///< empty: GetSystemDirectoryA fails
  std::string windowsDirectory = "C:\\windows";
  platform::LocalTime localTime{2026, 12, 8, 9, 5, 7, 42};
  std::vector<std::uint32_t> sleeps;
  std::function<void(std::uint32_t)> onSleep;

  void SetEnvironment(const std::string& name, const std::string& value) { environment[Lower(name)] = value; }

  platform::WinResult<platform::OsVersionInfo> VersionFacts(platform::VersionRecord record) override;
  std::uint16_t GetProcessorArchitecture() override { return processorArchitecture; }
  int GetSystemMetrics(int index) override;
  platform::WinResult<std::string> EnvironmentVariable(const std::string& name) override;
  platform::WinResult<std::string> SystemDirectory() override;
  platform::WinResult<std::string> WindowsDirectory() override { return platform::Succeeded(windowsDirectory); }
  platform::LocalTime GetLocalTime() override { return localTime; }
  void Sleep(std::uint32_t milliseconds) override;

 private:
  Journal& journal_;
};

class FakeText final : public platform::TextApi {
 public:
  std::uint32_t userLocale = 1033;
  std::optional<platform::WinError> conversionFailure;  ///< OemToCharBuffA and the UTF-8 conversion fail with this

  std::uint32_t GetUserDefaultLCID() override { return userLocale; }
  /// ANSI texts are Windows-1251 here: the Cyrillic letters become UTF-8.
  platform::WinResult<std::string> AnsiToUtf8(const std::string& ansiText) override;
  /// OEM texts are code page 866 here: its Cyrillic letters become those of code page 1251.
  platform::WinResult<std::string> ConvertOemToAnsi(const std::string& oemText) override;
  /// Only "Access is denied." is known.
  std::optional<std::string> TryErrorMessage(platform::WinError error) override;
};

class FakeOwnModule final : public platform::OwnModuleApi {
 public:
  explicit FakeOwnModule(Journal& journal) : journal_(journal) {}

  /// The fake's digest: deterministic, 64 hex digits, different for different bytes. Not SHA-256;
  /// tests stamp their images with it.
  static std::string DigestOf(std::string_view bytes);

  bool dllDirectoriesAvailable = true;  ///< false: SetDefaultDllDirectories fails as where it does not exist
  std::vector<std::uint32_t> dllDirectoryFlags;
  std::vector<std::string> dllFolders;                                   ///< every SetDllDirectoryA folder, in order
  std::map<std::pair<std::string, std::string>, std::string> resources;  ///< by upper-case (name, type)
  std::optional<platform::WinError> digestFailure;

  void AddResource(const std::string& name, const std::string& type, std::string bytes);

  platform::WinError SetDefaultDllDirectories(std::uint32_t flags) override;
  platform::WinError SetDllFolder(const std::string& folder) override;
  platform::WinResult<std::string> LoadModuleResource(const std::string& name, const std::string& type) override;
  platform::WinResult<std::string> Sha256Hex(std::string_view bytes) override;

 private:
  Journal& journal_;
};

struct FakeVersionResource {
  std::optional<std::vector<std::uint32_t>> translations;
  std::map<std::string, std::string> strings;  ///< by sub-block, e.g. "\StringFileInfo\040904b0\FileVersion"
};

class FakeProgramFiles final : public platform::ProgramFileApi {
 public:
  explicit FakeProgramFiles(Journal& journal) : journal_(journal) {}

  std::map<std::string, std::uintptr_t> exeTypes;               ///< by lower-case path
  std::map<std::string, FakeVersionResource> versionResources;  ///< by lower-case path

  std::optional<std::uintptr_t> TryGetExeType(const std::string& path) override;
  platform::WinResult<std::unique_ptr<platform::FileVersionInfo>> LoadFileVersionInfo(const std::string& path) override;

 private:
  Journal& journal_;
};

}  // namespace velora::fakes
