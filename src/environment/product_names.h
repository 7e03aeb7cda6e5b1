// The product's names: what its folders, keys and program groups are found by, and the captions of the
// boxes. The update sets them first thing; the language file later names the program (ProgName).
#pragma once

#include <string>

namespace velora {

struct ProductNames {
  std::string AppName;          ///< the product's key and uninstall entry, its folder under Program Files, its exe
  std::string ProgName;         ///< the Russian program group; caption of Russian fixed-text and language-file boxes
  std::string EnglishProgName;  ///< the English program group; caption of English fixed-text boxes
};

}  // namespace velora
