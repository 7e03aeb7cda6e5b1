// What the entry point tells the update about the embedded data file, and the names it takes from the
// file's name.
#pragma once

#include <cstdint>
#include <string>

namespace velora {

/// What the entry point tells the sequence about the embedded data file, with the names the sequence
/// takes from its file name, worked out once by MakeDriverSettings.
struct DriverSettings {
  std::string PayloadDisplayKey;  ///< language-file key of the data file's display name
  std::string PayloadFileName;    ///< "vlfw.3bs": its name in the product folder
  std::int32_t PayloadVersion = 0;
  std::string PayloadBaseName;     ///< "vlfw": the name before the extension, the resource's name
  std::string PayloadKind;         ///< "3bs": the extension without its dot, the resource's type
  bool PayloadIs3bs = false;       ///< the extension holds "3bs": a head with one byte more before the version
  std::string PayloadVersionText;  ///< PayloadVersion in decimal
};

/// The settings for a data file: the extension is what follows the file name's last dot.
DriverSettings MakeDriverSettings(std::string displayKey, std::string fileName, std::int32_t version);

}  // namespace velora
