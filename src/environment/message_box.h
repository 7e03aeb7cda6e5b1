// Every message box of the updater is composed here and shown through the seam's one call: no owner
// window, the style of its kind, and the function and language id that go with its text. The boxes
// with fixed English and Russian texts are whole here, for the time before a language file is loaded;
// the choice between those and a language file's texts is the language support's (language_boxes.h).
#pragma once

#include <cstdint>
#include <string>

#include "environment/product_names.h"
#include "environment/startup_state.h"
#include "platform/ui_api.h"

namespace velora {

enum class BoxKind {
  Error,     ///< MB_OK | MB_ICONERROR | MB_SERVICE_NOTIFICATION
  Question,  ///< MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL | MB_TOPMOST
};

/// A caption or a text in the two languages the updater speaks without a language file.
struct FixedText {
  std::string english;
  std::string russian;
};

/// Fixed texts: the Russian ones through MessageBoxExA with LANG_RUSSIAN under useRussian, else the
/// English ones through MessageBoxA.
platform::MessageBoxRequest ComposeFixedBox(BoxKind kind, bool useRussian, const FixedText& caption,
                                            const FixedText& text);
/// A language file's texts: MessageBoxExA with the low 16 bits of the file's LangId.
platform::MessageBoxRequest ComposeLanguageBox(BoxKind kind, std::int32_t langId, std::string caption,
                                               std::string text);

/// Shows the box; true only when it was answered Yes, so a question that cannot be shown counts as No.
bool ShowBox(platform::UiApi& ui, const platform::MessageBoxRequest& box);

/// The fixed-text error box, captioned with the program's name: ProgName in Russian (the language
/// file's "progname" once one is loaded), EnglishProgName in English.
void ShowFixedError(platform::UiApi& ui, const StartupState& startup, const ProductNames& names,
                    const std::string& englishText, const std::string& russianText);
/// The fixed-text error of a registry that cannot be read or written.
void ShowRegistryError(platform::UiApi& ui, const StartupState& startup, const ProductNames& names);

}  // namespace velora
