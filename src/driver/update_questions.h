// The update's three questions, worded by the language file: before an older data file replaces a newer
// one, before installing, and after it, whether to start the product. Each is a question box of the
// language support; only Yes goes on.
#pragma once

#include "driver/driver_settings.h"
#include "language/language_context.h"

namespace velora {

/// "olderfilever" with the data file's name, captioned "soundquest"; true on Yes.
bool AskOlderFileQuestion(const LanguageContext& language, const DriverSettings& settings);
/// "installask" with the "liveupdatecaption" text and the data file's display name and version,
/// captioned "soundquest"; true on Yes.
bool AskInstallQuestion(const LanguageContext& language, const DriverSettings& settings);
/// "installdone" naming the update, two line breaks and "asktorun", captioned "liveupdatecaption"; true
/// on Yes.
bool AskToStartProduct(const LanguageContext& language, const DriverSettings& settings);

}  // namespace velora
