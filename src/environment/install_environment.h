// InstallEnvironment: the folders and registry paths the updater works with, found once by
// DiscoverEnvironment; above all the product folder and the product's uninstall key.
#pragma once

#include <string>

namespace velora {

class Session;

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

/// Fills session.Environment; false (after the "No access to system registry" box) when the registry
/// could not be read.
bool DiscoverEnvironment(Session& session);

}  // namespace velora
