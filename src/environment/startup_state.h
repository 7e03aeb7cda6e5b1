// StartupState: the facts the start-up steps find once, before the update runs, and that nothing
// changes afterwards: the user's locale and interface language, the running Windows and the registry
// view that follows from it, and the start mode.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace velora {

struct StartupState {
  std::uint32_t UserLocale = 0;
  bool UseRussian = false;  ///< fixed texts in Russian; "russian.lng" is the default language file
  /// The view the product's keys are opened in: the 64-bit one on 64-bit Windows.
  platform::RegistryView RegistryView = platform::RegistryView::Bits32;
  std::string WindowsName;  ///< the running Windows as start-up named it, for the log
  std::string StartMode;    ///< first command-line parameter, ASCII-lower-cased
};

/// True for the seven locales whose users get Russian fixed texts.
bool UseRussianFor(std::uint32_t locale);

/// The start-up steps, in order: locale, Windows identification, the registry view that matches it
/// (64-bit where the name says so), the start mode from the first of arguments (the command-line
/// parameters after the program name).
StartupState RunStartup(platform::Platform& platform, const std::vector<std::string>& arguments);

}  // namespace velora
