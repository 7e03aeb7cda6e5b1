#include "environment/fixed_error.h"

#include "environment/session.h"

namespace velora {

void ShowFixedError(Session& session, const std::string& englishText, const std::string& russianText) {
  const StartupState& startup = session.Startup;
  platform::MessageBoxRequest box;
  box.style = win::kErrorBoxStyle;
  if (startup.UseRussian) {
    box.function = platform::MessageBoxFunction::MessageBoxExA;
    box.text = russianText;
    box.caption = startup.ProgName;
    box.languageId = win::kLangRussianNeutral;
  } else {
    box.function = platform::MessageBoxFunction::MessageBoxA;
    box.text = englishText;
    box.caption = startup.EnglishProgName;
  }
  session.platform.ui.ShowMessageBox(box);
}

}  // namespace velora
