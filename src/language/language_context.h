// What the language support works with: the machine (files to read, boxes to show), the start-up state
// it reads the user's language from, the product's names (the language file names the program), the
// product folder the language files lie in, and the table of those files. The references point into
// whatever owns the run's state.
#pragma once

#include <string>

#include "environment/product_names.h"
#include "environment/startup_state.h"
#include "language/language_table.h"
#include "platform/platform.h"

namespace velora {

struct LanguageContext {
  platform::Platform& platform;
  const StartupState& startup;
  ProductNames& names;               ///< ProgName becomes the language file's "progname"
  const std::string& productFolder;  ///< ends in "\"; the files are in its "language" folder
  LanguageTable& table;
};

}  // namespace velora
