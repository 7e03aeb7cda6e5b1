// The bilingual error box with fixed texts, for the time before a language file is loaded and for
// failures of the language files and of file installation.
#pragma once

#include <string>

#include "environment/product_names.h"
#include "environment/startup_state.h"
#include "platform/ui_api.h"

namespace velora {

/// Russian text in MessageBoxExA (language 0x0019, caption ProgName) under UseRussian, else the English
/// text in MessageBoxA (caption EnglishProgName); style MB_OK | MB_ICONERROR | MB_SERVICE_NOTIFICATION.
void ShowFixedError(platform::UiApi& ui, const StartupState& startup, const ProductNames& names,
                    const std::string& englishText, const std::string& russianText);

}  // namespace velora
