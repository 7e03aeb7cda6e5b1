#include "driver/update_questions.h"

#include "language/language_boxes.h"
#include "language/lookups.h"

namespace velora {
namespace {

// "Velora data library 1": the data file's display name and its version.
std::string PayloadName(const LanguageContext& language, const DriverSettings& settings) {
  return GetLangText(language, settings.PayloadDisplayKey) + " " + settings.PayloadVersionText;
}

}  // namespace

bool AskOlderFileQuestion(const LanguageContext& language, const DriverSettings& settings) {
  return AskLangQuestion(language, GetLangText(language, "soundquest"),
                         GetLangLinesFmt(language, "olderfilever", {settings.PayloadFileName}));
}

bool AskInstallQuestion(const LanguageContext& language, const DriverSettings& settings) {
  const std::string caption = GetLangText(language, "liveupdatecaption");
  return AskLangQuestion(language, GetLangText(language, "soundquest"),
                         GetLangLinesFmt(language, "installask", {caption, PayloadName(language, settings)}));
}

bool AskToStartProduct(const LanguageContext& language, const DriverSettings& settings) {
  const std::string caption = GetLangText(language, "liveupdatecaption");
  const std::string done =
      GetLangTextFmt(language, "installdone", {caption + " (" + PayloadName(language, settings) + ")"});
  return AskLangQuestion(language, caption, done + "\r\n\r\n" + GetLangText(language, "asktorun"));
}

}  // namespace velora
