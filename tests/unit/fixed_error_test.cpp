// The product key and the path rule.
#include <gtest/gtest.h>

#include "base/path_rule.h"
#include "environment/product_key.h"
#include "support/test_session.h"

namespace velora {
namespace {

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
