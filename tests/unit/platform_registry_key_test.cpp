// Registry keys over the fake registry: the view and rights become the access mask in one place, the
// string rule with its errors, and the product key, created when absent.
#include <gtest/gtest.h>

#include <algorithm>

#include "environment/product_key.h"
#include "platform/registry_api.h"
#include "support/fake_windows.h"

namespace velora {
namespace {

using platform::KeyRights;
using platform::RegistryView;
using platform::RootKey;

constexpr const char* kKey = "Software\\Orvane\\Velora";

TEST(RegistryKey, TheViewAndRightsMakeTheAccessMaskTheAdapterGets) {
  struct Case {
    RegistryView view;
    KeyRights rights;
    std::uint32_t access;
  };
  fakes::FakeWindows fake;
  const Case cases[] = {{RegistryView::Bits64, KeyRights::AllAccess, 0x000F013F},
                        {RegistryView::Bits32, KeyRights::AllAccess, 0x000F003F},
                        {RegistryView::Bits32, KeyRights::QueryValue, 0x0001},
                        {RegistryView::Bits64, KeyRights::QueryValue, 0x0101}};
  for (const Case& c : cases) static_cast<void>(fake.registry.OpenKey(RootKey::CurrentUser, kKey, c.view, c.rights));
  ASSERT_EQ(fake.registry.Opens().size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(fake.registry.Opens()[i].access, cases[i].access) << i;
}

TEST(RegistryKey, ReadStringReturnsTheErrorOfEachWayItCanFailAfterOneQuery) {
  fakes::FakeWindows fake;
  fake.registry.SetString(RootKey::CurrentUser, kKey, "Folder", "C:\\Velora");
  fake.registry.SetValue(RootKey::CurrentUser, kKey, "Unterminated", 1, std::string("C:\\V\0junk", 9));
  fake.registry.SetValue(RootKey::CurrentUser, kKey, "Expandable", 2, std::string("%ProgramFiles%\\Velora\0", 22));
  fake.registry.SetDword(RootKey::CurrentUser, kKey, "Count", 3);
  const auto key = fake.registry.OpenKey(RootKey::CurrentUser, kKey, RegistryView::Bits64);
  ASSERT_TRUE(key.ok());
  struct Case {
    const char* name;
    platform::StringTypes types;
    std::size_t maxBytes;
    platform::WinError error;
    std::string text;
  };
  constexpr auto kAny = platform::StringTypes::PlainOrExpandable;
  constexpr auto kPlain = platform::StringTypes::PlainOnly;
  constexpr auto kNoLimit = std::string::npos;
  for (const Case& c : {Case{"Folder", kAny, kNoLimit, 0, "C:\\Velora"},
                        Case{"Unterminated", kAny, kNoLimit, 0, "C:\\V"},  // the text ends at the first zero
                        // An expandable string comes back as stored, not expanded, unless only plain ones count.
                        Case{"Expandable", kAny, kNoLimit, 0, "%ProgramFiles%\\Velora"},
                        Case{"Expandable", kPlain, kNoLimit, 1630, ""}, Case{"Missing", kAny, kNoLimit, 2, ""},
                        Case{"Count", kAny, kNoLimit, 1630, ""},  // ERROR_UNSUPPORTED_TYPE, as RegGetValue says
                        Case{"Folder", kAny, 10, 0, "C:\\Velora"},
                        Case{"Folder", kAny, 9, 234, ""}}) {  // ERROR_MORE_DATA: 10 bytes stored
    SCOPED_TRACE(c.name);
    fake.journal.clear();
    const auto read = key.value->ReadString(c.name, c.types, c.maxBytes);
    EXPECT_EQ(read.error, c.error);
    EXPECT_EQ(read.value, c.text);
    EXPECT_EQ(std::count(fake.journal.begin(), fake.journal.end(), std::string("RegQueryValueEx ") + c.name), 1);
  }
}

TEST(OpenProductKey, CreatesTheAbsentKeyUnderTheCurrentUserInTheView) {
  fakes::FakeWindows fake;
  {
    const auto key = OpenProductKey(fake.registry, RegistryView::Bits64, "Velora");
    EXPECT_TRUE(key.ok());
  }
  EXPECT_TRUE(fake.registry.KeyExists(RootKey::CurrentUser, kKey));
  ASSERT_EQ(fake.registry.Opens().size(), 1u);
  EXPECT_TRUE(fake.registry.Opens()[0].create);
  EXPECT_EQ(fake.registry.Opens()[0].access, 0x000F013Fu);
  EXPECT_EQ(fake.registry.OpenKeyCount(), 0);
}

}  // namespace
}  // namespace velora
