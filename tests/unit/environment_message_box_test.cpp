// The composition of every message box: style by kind, function and language id by text, the program's
// name as the caption of fixed-text errors, and which answer counts as Yes.
#include <gtest/gtest.h>

#include "environment/message_box.h"
#include "support/test_session.h"

namespace velora {
namespace {

using platform::MessageBoxFunction;
using platform::MessageBoxRequest;

TEST(ComposeBox, TheKindGivesTheStyleAndTheTextTheFunctionAndLanguageId) {
  const FixedText caption{"Caption", "Заголовок"};
  const FixedText text{"Text", "Текст"};
  const struct {
    MessageBoxRequest composed;
    MessageBoxRequest expected;
  } cases[] = {
      {ComposeFixedBox(BoxKind::Error, false, caption, text),
       {MessageBoxFunction::MessageBoxA, "Text", "Caption", 0x00200010, 0}},
      {ComposeFixedBox(BoxKind::Question, true, caption, text),
       {MessageBoxFunction::MessageBoxExA, "Текст", "Заголовок", 0x00042024, 0x0019}},
      {ComposeLanguageBox(BoxKind::Question, 0x00010409, "Question", "Go on?"),
       {MessageBoxFunction::MessageBoxExA, "Go on?", "Question", 0x00042024, 0x0409}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.composed, c.expected) << c.expected.text;
}

TEST(ShowFixedError, IsCaptionedWithTheProgramsNameInTheUsersLanguage) {
  const struct {
    bool russian;
    MessageBoxRequest expected;
  } cases[] = {
      {false, {MessageBoxFunction::MessageBoxA, "No access to system registry", "Velora update", 0x00200010, 0}},
      // Windows-1251 bytes: "Нет доступа к системному реестру", caption "Обновление программы "Велора"".
      {true,
       {MessageBoxFunction::MessageBoxExA,
        "\xCD\xE5\xF2 \xE4\xEE\xF1\xF2\xF3\xEF\xE0 \xEA \xF1\xE8\xF1\xF2\xE5\xEC\xED\xEE\xEC\xF3 "
        "\xF0\xE5\xE5\xF1\xF2\xF0\xF3",
        "\xCE\xE1\xED\xEE\xE2\xEB\xE5\xED\xE8\xE5 \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB \"\xC2\xE5\xEB\xEE\xF0\xE0\"",
        0x00200010, 0x0019}},
  };
  for (const auto& c : cases) {
    fakes::FakeWindows fake;
    auto session = fakes::MakeTestSession(fake, {.russian = c.russian});
    ShowRegistryError(session->platform.ui, session->Startup, session->Names);
    EXPECT_EQ(fake.ui.boxes, std::vector<MessageBoxRequest>{c.expected}) << "russian: " << c.russian;
  }
}

TEST(ShowBox, OnlyYesIsYesAndABoxThatCannotBeShownIsNo) {
  fakes::FakeWindows fake;
  fake.ui.answers = {win::kIdYes, win::kIdNo, win::kIdOk};
  fake.ui.failures = {{3, 1400}};  // ERROR_INVALID_WINDOW_HANDLE
  const MessageBoxRequest question = ComposeLanguageBox(BoxKind::Question, 1033, "Question", "Go on?");
  EXPECT_TRUE(ShowBox(fake.ui, question));
  EXPECT_FALSE(ShowBox(fake.ui, question));
  EXPECT_FALSE(ShowBox(fake.ui, question));
  EXPECT_FALSE(ShowBox(fake.ui, question));
}

}  // namespace
}  // namespace velora
