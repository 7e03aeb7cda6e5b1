// StartupState: the small state the whole updater shares, built once by the start-up steps before the
// update runs: the user's locale and interface language, the registry accessor, the start mode, and
// the names and captions of the message boxes.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "environment/registry_accessor.h"
#include "platform/platform.h"

namespace velora {

struct StartupState {
  std::uint32_t UserLocale = 0;
  bool UseRussian = false;  ///< fixed texts in Russian; "russian.lng" is the default language file
  RegistryAccessor Registry;
  std::string WindowsName;  ///< the running Windows as start-up named it, for the log
  std::string StartMode;    ///< first command-line parameter, ASCII-lower-cased
  bool RstartMode = false;
  bool KnownStartMode = false;
  std::string AppName;
  std::string ProgName;  ///< caption of Russian fixed-text boxes and of every language-file box
  std::string EnglishProgName;
  std::string PayloadVersionText;
  std::string ProgDescr;
  std::minstd_rand Random;  ///< seeded first thing at start-up; the console capture's names use it
};

/// True for the seven locales whose users get Russian fixed texts.
bool UseRussianFor(std::uint32_t locale);

/// The start-up steps, in order: seed, locale, Windows identification (sets isWindows64), the registry
/// accessor in the matching view, the start mode from the first of arguments (the command-line
/// parameters after the program name).
StartupState RunStartup(platform::Platform& platform, const std::vector<std::string>& arguments, bool& isWindows64);

}  // namespace velora
