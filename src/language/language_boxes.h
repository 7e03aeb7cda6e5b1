// The boxes of the language support: errors and questions in a language file's words, the bilingual
// box of a language file that cannot be read, and the one rule of which words a box shows: a language
// file's once one is loaded, else the fixed ones in the user's language.
#pragma once

#include <string>
#include <vector>

#include "environment/message_box.h"
#include "language/language_context.h"

namespace velora {

/// A question as a language file words it: the first line of captionKey, and the lines of textKey with
/// %1, %2... filled by the arguments.
struct LangQuestion {
  std::string captionKey;
  std::string textKey;
  std::vector<std::string> arguments;
};

/// The question in the language file's words once one is loaded (CurrentLang >= 0), else in the fixed
/// words of the user's language; true on Yes.
bool AskQuestion(const LanguageContext& language, const LangQuestion& worded, const FixedText& caption,
                 const FixedText& text);
/// A question with a language file's caption and text; true on Yes.
bool AskLangQuestion(const LanguageContext& language, const std::string& caption, const std::string& text);
/// Error box with a language file's text, captioned ProgName.
void ShowLangError(const LanguageContext& language, const std::string& text);
/// The bilingual fixed-text box naming a language file that cannot be read.
void ShowLangFileError(platform::UiApi& ui, const StartupState& startup, const ProductNames& names,
                       const std::string& fileName);

}  // namespace velora
