// Sets up an installed product in the Wine prefix for an end-to-end test and removes it afterwards:
// product folder with the stand-in, language files and data file; uninstall entry; user settings.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/win32/unique_handle.h"
#include "support/wine_path.h"

namespace velora::e2e {

// Which registry view holds the uninstall entry.
enum class RegistryView { None, Bits64, Bits32 };

inline constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velora";
inline constexpr char kUserKey[] = "Software\\Orvane\\Velora";
inline constexpr char kDataFileName[] = "vlfw.3bs";

struct InstallSpec {
  std::string folder{};                      // Windows path ending in '\', e.g. "C:\\Program Files\\Velora\\"
  bool withStandIn = true;                   // velora.exe copied in
  std::optional<std::string> standInIni{};   // contents of velora-standin.ini
  std::vector<std::string> languageFiles{};  // Windows paths of .lng files copied into language\ .
  std::optional<int> dataFileVersion{};      // installed vlfw.3bs of this version, or none
  DWORD dataFileSize = 4096;
  RegistryView uninstallView = RegistryView::Bits64;
  std::optional<std::string> uninstallString{};  // the entry's command; folder + "uninst.exe" when not given
  std::optional<DWORD> estimatedSize{};
  std::optional<std::string> lastRunFolder{};  // HKCU TheLastRunFolder
  std::optional<std::string> langFile{};       // HKCU LangFile
};

using wine_tests::WinePath;

// "vlfw" 02 <version> 00 08, then a filler pattern up to size bytes.
std::string DataFileBytes(int version, DWORD size);

// Owns one installation: the constructor clears leftovers and sets it up, the destructor removes
// the folder, both uninstall entries and the user key.
class Installation {
 public:
  explicit Installation(InstallSpec spec);
  ~Installation();
  Installation(const Installation&) = delete;
  Installation& operator=(const Installation&) = delete;

  const std::string& folder() const { return spec_.folder; }
  std::string path(const std::string& relative) const { return spec_.folder + relative; }

 private:
  InstallSpec spec_;
};

// Creates the uninstall entry in one view with the given command and, when given, "EstimatedSize".
void AddUninstallEntry(RegistryView view, const std::string& uninstallString, std::optional<DWORD> estimatedSize);

// Ends every running stand-in product.
void StopStandIns();

// Ends running stand-ins, removes the folder with everything below it, both uninstall entries and the
// user key.
void RemoveInstallation(const std::string& folder);
void RemoveFolder(const std::string& folder);  // folder ends in a backslash

// Readers for after the run.
std::optional<std::string> ReadFileBytes(const std::string& path);
std::optional<DWORD> ReadEstimatedSize(RegistryView view);
std::optional<std::string> ReadUserValue(const char* name);
bool UninstallEntryExists(RegistryView view);
bool TildeFileExists(const std::string& folder);  // any name starting or ending with '~'
std::vector<std::string> StandInLogLines(const std::string& folder);
DWORD FolderSizeKiB(const std::string& folder);  // all files below, in whole KiB (rounded down)

// Starts the stand-in from the folder (current directory = the folder) and waits for its window.
win32::unique_handle StartStandIn(const std::string& folder);

}  // namespace velora::e2e
