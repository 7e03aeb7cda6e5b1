#include "language/language_boxes.h"

#include "language/lookups.h"

namespace velora {

bool AskQuestion(const LanguageContext& language, const LangQuestion& worded, const FixedText& caption,
                 const FixedText& text) {
  if (language.table.CurrentLang < 0) {
    return ShowBox(language.platform.ui,
                   ComposeFixedBox(BoxKind::Question, language.startup.UseRussian, caption, text));
  }
  return AskLangQuestion(language, GetLangText(language, worded.captionKey),
                         GetLangLinesFmt(language, worded.textKey, worded.arguments));
}

bool AskLangQuestion(const LanguageContext& language, const std::string& caption, const std::string& text) {
  return ShowBox(language.platform.ui, ComposeLanguageBox(BoxKind::Question, language.table.LangId, caption, text));
}

void ShowLangError(const LanguageContext& language, const std::string& text) {
  ShowBox(language.platform.ui,
          ComposeLanguageBox(BoxKind::Error, language.table.LangId, language.names.ProgName, text));
}

void ShowLangFileError(platform::UiApi& ui, const StartupState& startup, const ProductNames& names,
                       const std::string& fileName) {
  ShowFixedError(ui, startup, names, "Can't handle the language support file " + fileName,
                 "Не удаётся работать с файлом языковой поддержки " + fileName);
}

}  // namespace velora
