// Session: everything one run of the updater holds, built by WinMain (or a test) over a platform.
// Its constructor is the start-up code, run in module order; nothing here is global, so every test
// builds a fresh world. Only the driver holds the whole session: the modules below it take the parts
// they use (the platform's interfaces, the start-up state, the language table).
#pragma once

#include <string>
#include <vector>

#include "environment/install_environment.h"
#include "environment/product_names.h"
#include "environment/startup_state.h"
#include "language/language_context.h"
#include "language/language_table.h"
#include "platform/platform.h"

namespace velora {

class Session {
 public:
  /// Runs the start-up steps. arguments: the command-line parameters after the program name.
  Session(platform::Platform& platform, std::vector<std::string> arguments)
      : platform(platform), Arguments(std::move(arguments)), Startup(RunStartup(platform, Arguments)) {}

  /// Takes start-up state made elsewhere: tests of the later modules script it directly.
  Session(platform::Platform& platform, std::vector<std::string> arguments, StartupState startup)
      : platform(platform), Arguments(std::move(arguments)), Startup(std::move(startup)) {}

  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  platform::Platform& platform;
  std::vector<std::string> Arguments;
  StartupState Startup;
  ProductNames Names;  ///< set by the update before anything reads them; the language file names the program
  InstallEnvironment Environment;
  LanguageTable Language;
};

/// The language support's view of the session: its texts come from the product folder found so far.
inline LanguageContext LanguageContextOf(Session& session) {
  return {session.platform, session.Startup, session.Names, session.Environment.ProductFolder, session.Language};
}

}  // namespace velora
