// LanguageTable: the catalogue of the product's language files and the one that is current.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_api.h"

namespace velora {

/// One language file of the product's "language" folder.
struct LanguageFile {
  std::string file;          ///< its name without the folder
  std::string name;          ///< its "langname", once it has been read
  std::int32_t version = 0;  ///< its "langver", once it has been read
};

struct LanguageTable {
  std::vector<LanguageFile> Files;  ///< in listing order
  std::int32_t LocaleLang = -1;
  std::int32_t RussianLang = -1;
  std::int32_t EnglishLang = -1;
  std::int32_t CurrentLang = -1;  ///< -1 until a file is selected: only fixed texts can be shown
  std::int32_t LangId = -1;       ///< low 16 bits: the language id of every box with a language-file text
  std::int32_t LangCharset = 255;
  platform::OpenFilePtr CurrentFile;  ///< held open for reading between lookups; others may read it too
};

}  // namespace velora
