// InstallEnvironment: what the update reads of its surroundings, found once by DiscoverEnvironment: the
// product folder, which nothing else sets, the product's uninstall key, and whether the user is an
// administrator.
#pragma once

#include <string>

#include "environment/product_names.h"
#include "environment/startup_state.h"
#include "platform/platform.h"

namespace velora {

struct InstallEnvironment {
  std::string UninstallKeyPath;     ///< under HKEY_LOCAL_MACHINE, ends in "\"
  std::string UninstallKeyPathWow;  ///< the 32-bit view's entry + AppName, when the product was found there
  std::string ProductFolder;        ///< ends in "\" unless empty
  bool IsAdmin = true;
};

/// The folder of the "Temp" environment variable with its trailing "\"; empty when it is not set.
std::string FindTempFolder(platform::MachineApi& machine);

/// What discovery found beyond InstallEnvironment, for the run's log.
struct Discovery {
  /// The registry value that could not be read as a string (the user has then been told), or None.
  enum class Failure { None, Folders, LastRunFolder };
  Failure failure = Failure::None;
  platform::WinError error = 0;    ///< Windows' error of the failure
  std::string entryFolder;         ///< the product folder as the uninstall entry (or Program Files) gave it
  bool fromLastRunFolder = false;  ///< ProductFolder is the product's own record of its folder
};

/// The product key's record of the folder the product last ran from.
inline constexpr const char* kLastRunFolderValue = "TheLastRunFolder";

/// Fills environment for the product names, in the start-up state's registry view. The product folder
/// is the product key's "TheLastRunFolder" when it holds one, else the uninstall entry's (64-bit view
/// first, then the 32-bit programs' one), else Program Files + AppName. A value that cannot be read as
/// a string ends discovery after the "No access to system registry" box.
[[nodiscard]] Discovery DiscoverEnvironment(platform::Platform& platform, const StartupState& startup,
                                            const ProductNames& names, InstallEnvironment& environment);

}  // namespace velora
