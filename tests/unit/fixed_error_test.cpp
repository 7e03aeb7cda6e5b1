// The bilingual fixed-text error box and the path rule.
#include <gtest/gtest.h>

#include "base/path_rule.h"
#include "environment/fixed_error.h"
#include "support/test_session.h"

namespace velora {
namespace {

TEST(ShowFixedError, EnglishUserGetsMessageBoxAWithTheEnglishCaption) {
  fakes::FakeWindows fake;
  auto session = fakes::MakeTestSession(fake);
  ShowFixedError(session->platform.ui, session->Startup, session->Names, "No access to system registry",
                 "Нет доступа к системному реестру");
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  const auto& box = fake.ui.boxes[0];
  EXPECT_EQ(box.function, platform::MessageBoxFunction::MessageBoxA);
  EXPECT_EQ(box.text, "No access to system registry");
  EXPECT_EQ(box.caption, "Velora update");
  EXPECT_EQ(box.style, 0x00200010u);
}

TEST(ShowFixedError, RussianUserGetsMessageBoxExAInRussianWithLanguage0x19) {
  fakes::FakeWindows fake;
  auto session = fakes::MakeTestSession(fake, {.russian = true});
  ShowFixedError(session->platform.ui, session->Startup, session->Names, "No access to system registry",
                 "Нет доступа к системному реестру");
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  const auto& box = fake.ui.boxes[0];
  EXPECT_EQ(box.function, platform::MessageBoxFunction::MessageBoxExA);
  EXPECT_EQ(box.text,
            "\xCD\xE5\xF2 \xE4\xEE\xF1\xF2\xF3\xEF\xE0 \xEA \xF1\xE8\xF1\xF2\xE5\xEC\xED\xEE\xEC\xF3 "
            "\xF0\xE5\xE5\xF1\xF2\xF0\xF3");
  // "Обновление программы "Велора"" in Windows-1251.
  EXPECT_EQ(box.caption,
            "\xCE\xE1\xED\xEE\xE2\xEB\xE5\xED\xE8\xE5 \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB "
            "\"\xC2\xE5\xEB\xEE\xF0\xE0\"");
  EXPECT_EQ(box.style, 0x00200010u);
  EXPECT_EQ(box.languageId, 0x0019);
}

TEST(AddBackslash, AppendsOnlyToANonEmptyPathWithoutOne) {
  std::string folder = "C:\\Apps";
  AddBackslash(folder);
  EXPECT_EQ(folder, "C:\\Apps\\");
  AddBackslash(folder);
  EXPECT_EQ(folder, "C:\\Apps\\");
  std::string empty;
  AddBackslash(empty);
  EXPECT_EQ(empty, "");
}

}  // namespace
}  // namespace velora
