#include "environment/fixed_error.h"

#include "platform/win_constants.h"

namespace velora {

void ShowFixedError(platform::UiApi& ui, const StartupState& startup, const ProductNames& names,
                    const std::string& englishText, const std::string& russianText) {
  platform::MessageBoxRequest box;
  box.style = win::kErrorBoxStyle;
  if (startup.UseRussian) {
    box.function = platform::MessageBoxFunction::MessageBoxExA;
    box.text = russianText;
    box.caption = names.ProgName;
    box.languageId = win::kLangRussianNeutral;
  } else {
    box.function = platform::MessageBoxFunction::MessageBoxA;
    box.text = englishText;
    box.caption = names.EnglishProgName;
  }
  // An error box that cannot be shown leaves nothing else to tell the user; the exit code still says it.
  static_cast<void>(ui.ShowMessageBox(box));
}

}  // namespace velora
