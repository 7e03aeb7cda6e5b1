// The bilingual fixed-text error box and the product key.
#include <gtest/gtest.h>

#include "base/path_rule.h"
#include "environment/fixed_error.h"
#include "environment/product_key.h"
#include "support/test_session.h"

namespace velora {
namespace {

TEST(ShowFixedError, EnglishUserGetsMessageBoxAWithTheEnglishCaption) {
  fakes::FakeWindows fake;
  auto session = fakes::MakeTestSession(fake);
  ShowFixedError(session->platform.ui, session->Startup, "No access to system registry",
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
  ShowFixedError(session->platform.ui, session->Startup, "No access to system registry",
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

TEST(OpenProductKey, CreatesTheAbsentKeyUnderTheCurrentUserAndLeavesItOpen) {
  fakes::FakeWindows fake;
  auto session = fakes::MakeTestSession(fake);
  EXPECT_TRUE(OpenProductKey(session->Startup.Registry, session->Startup.AppName));
  EXPECT_TRUE(session->Startup.Registry.HasOpenKey());
  EXPECT_TRUE(fake.registry.KeyExists(platform::RootKey::CurrentUser, "Software\\Orvane\\Velora"));
  ASSERT_FALSE(fake.registry.Opens().empty());
  EXPECT_EQ(fake.registry.Opens().back().access, 0x000F013Fu);
  session->Startup.Registry.CloseKey();
  EXPECT_EQ(fake.registry.OpenKeyCount(), 0);
}

TEST(OpenProductKey, AKeyThatCannotBeOpenedLeavesNoKeyOpenAndItsValuesUnseen) {
  fakes::FakeWindows fake;
  fake.registry.SetString(platform::RootKey::CurrentUser, "Software\\Orvane\\Velora", "TheLastRunFolder", "D:\\V");
  auto session = fakes::MakeTestSession(fake);
  static_cast<void>(OpenProductKey(session->Startup.Registry, session->Startup.AppName));
  ASSERT_TRUE(session->Startup.Registry.ValueExists("TheLastRunFolder"));  // the same call, the key allowed
  session->Startup.Registry.CloseKey();

  fake.registry.DenyKey(platform::RootKey::CurrentUser, "Software\\Orvane\\Velora", 5);
  static_cast<void>(OpenProductKey(session->Startup.Registry,
                                   session->Startup.AppName));  // always true: the caller reads nothing from such a key
  EXPECT_FALSE(session->Startup.Registry.HasOpenKey());
  EXPECT_FALSE(session->Startup.Registry.ValueExists("TheLastRunFolder"));
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
