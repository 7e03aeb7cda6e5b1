#include "environment/message_box.h"

#include "platform/win_constants.h"

namespace velora {
namespace {

std::uint32_t StyleOf(BoxKind kind) { return kind == BoxKind::Question ? win::kQuestionBoxStyle : win::kErrorBoxStyle; }

}  // namespace

platform::MessageBoxRequest ComposeFixedBox(BoxKind kind, bool useRussian, const FixedText& caption,
                                            const FixedText& text) {
  if (useRussian) {
    return {platform::MessageBoxFunction::MessageBoxExA, text.russian, caption.russian, StyleOf(kind),
            win::kLangRussianNeutral};
  }
  return {platform::MessageBoxFunction::MessageBoxA, text.english, caption.english, StyleOf(kind), /*languageId=*/0};
}

platform::MessageBoxRequest ComposeLanguageBox(BoxKind kind, std::int32_t langId, std::string caption,
                                               std::string text) {
  return {platform::MessageBoxFunction::MessageBoxExA, std::move(text), std::move(caption), StyleOf(kind),
          static_cast<std::uint16_t>(langId & 0xFFFF)};
}

bool ShowBox(platform::UiApi& ui, const platform::MessageBoxRequest& box) {
  // An error box that cannot be shown leaves nothing else to tell the user; the exit code still says it.
  const auto answer = ui.ShowMessageBox(box);
  return answer.ok() && answer.value == win::kIdYes;
}

void ShowFixedError(platform::UiApi& ui, const StartupState& startup, const ProductNames& names,
                    const std::string& englishText, const std::string& russianText) {
  ShowBox(ui, ComposeFixedBox(BoxKind::Error, startup.UseRussian, {names.EnglishProgName, names.ProgName},
                              {englishText, russianText}));
}

void ShowRegistryError(platform::UiApi& ui, const StartupState& startup, const ProductNames& names) {
  ShowFixedError(ui, startup, names, "No access to system registry", "Нет доступа к системному реестру");
}

}  // namespace velora
