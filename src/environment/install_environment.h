// InstallEnvironment: the folders and registry paths the updater works with, found once by
// DiscoverEnvironment; above all the product folder and the product's uninstall key.
#pragma once

#include <string>

#include "environment/startup_state.h"
#include "platform/platform.h"

namespace velora {

struct InstallEnvironment {
  std::string SystemFolder;
  std::string WindowsFolder;
  std::string TempFolder;
  std::string CommonDesktopFolder;
  std::string CommonProgramsFolder;
  std::string UserProgramsFolder;
  std::string UserDesktopFolder;
  std::string UserStartupFolder;
  std::string ProgramGroupFolder;
  std::string ProgramGroupFolderAlt;
  std::string UserGroupFolderRu;
  std::string UserGroupFolderEn;
  std::string UninstallKeyPath;     ///< under HKEY_LOCAL_MACHINE, ends in "\"
  std::string UninstallKeyPathWow;  ///< the 32-bit view's entry + AppName, when the product was found there
  std::string ProductKeyPath;
  std::string ProductFolder;  ///< ends in "\" unless empty
  bool IsAdmin = true;
};

/// The folder of the "Temp" environment variable with its trailing "\"; empty when it is not set.
std::string FindTempFolder(platform::SystemApi& system);

/// The names the product's folders, keys and program groups are found by.
struct ProductNames {
  std::string AppName;          ///< the product's key and uninstall entry, and its folder under Program Files
  std::string ProgName;         ///< the Russian program group
  std::string EnglishProgName;  ///< the English program group
};

/// Fills environment for the product names; false (after the "No access to system registry" box) when
/// the registry could not be read. Reads through the start-up state's registry accessor.
[[nodiscard]] bool DiscoverEnvironment(platform::Platform& platform, StartupState& startup, const ProductNames& names,
                                       InstallEnvironment& environment);

}  // namespace velora
