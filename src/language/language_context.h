// What the language support works with: the machine (files to read, boxes to show), the start-up state
// it reads the user's language from and writes the captions to, the product folder the language files
// lie in, and the table of those files. The references point into whatever owns the run's state.
#pragma once

#include <string>

#include "environment/startup_state.h"
#include "language/language_table.h"
#include "platform/platform.h"

namespace velora {

struct LanguageContext {
  platform::Platform& platform;
  StartupState& startup;
  const std::string& productFolder;  ///< ends in "\"; the files are in its "language" folder
  LanguageTable& table;
};

}  // namespace velora
