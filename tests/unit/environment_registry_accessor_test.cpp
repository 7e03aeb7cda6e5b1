// The registry accessor's failure contract: every open, read and write returns Windows' error where it
// happens, and a failed open leaves no key behind.
#include <gtest/gtest.h>

#include "environment/registry_accessor.h"
#include "support/fake_windows.h"

namespace velora {
namespace {

using platform::RootKey;

constexpr const char* kKey = "Software\\Orvane\\Velora";

class RegistryAccessorTest : public ::testing::Test {
 protected:
  fakes::FakeWindows fake;
  RegistryAccessor registry{fake.registry, 0x000F013F};
};

TEST_F(RegistryAccessorTest, OpenKeyReturnsWindowsErrorAndKeepsNoKeyOnFailure) {
  EXPECT_EQ(registry.OpenKey(kKey, /*create=*/false), 2u);  // ERROR_FILE_NOT_FOUND
  EXPECT_FALSE(registry.HasOpenKey());

  fake.registry.DenyKey(RootKey::CurrentUser, kKey, 5);
  EXPECT_EQ(registry.OpenKey(kKey, /*create=*/true), 5u);  // ERROR_ACCESS_DENIED
  EXPECT_FALSE(registry.HasOpenKey());
}

TEST_F(RegistryAccessorTest, AnOpenThatFailsClosesTheKeyOpenBefore) {
  fake.registry.AddKey(RootKey::CurrentUser, kKey);
  ASSERT_EQ(registry.OpenKey(kKey, /*create=*/false), 0u);
  EXPECT_TRUE(registry.HasOpenKey());
  EXPECT_EQ(registry.OpenKey("Software\\Missing", /*create=*/false), 2u);
  EXPECT_FALSE(registry.HasOpenKey());
  EXPECT_EQ(fake.registry.OpenKeyCount(), 0);
}

TEST_F(RegistryAccessorTest, ReadStringReturnsTheErrorOfEachWayItCanFail) {
  EXPECT_EQ(registry.ReadString("Folder").error, 6u);  // no key open: ERROR_INVALID_HANDLE
  fake.registry.SetString(RootKey::CurrentUser, kKey, "Folder", "C:\\Velora");
  fake.registry.SetDword(RootKey::CurrentUser, kKey, "Count", 3);
  ASSERT_EQ(registry.OpenKey(kKey, /*create=*/false), 0u);
  EXPECT_EQ(registry.ReadString("Missing").error, 2u);
  EXPECT_EQ(registry.ReadString("Count").error, 1630u);  // ERROR_UNSUPPORTED_TYPE, as RegGetValue says it
  const auto folder = registry.ReadString("Folder");
  EXPECT_EQ(folder.error, 0u);
  EXPECT_EQ(folder.value, "C:\\Velora");
  // An expandable string is a string too; it comes back as stored, not expanded.
  fake.registry.SetValue(RootKey::CurrentUser, kKey, "Expandable", 2, std::string("%ProgramFiles%\\Velora\0", 22));
  const auto expandable = registry.ReadString("Expandable");
  EXPECT_EQ(expandable.error, 0u);
  EXPECT_EQ(expandable.value, "%ProgramFiles%\\Velora");
}

TEST_F(RegistryAccessorTest, WriteIntegerReturnsTheWritesError) {
  EXPECT_EQ(registry.WriteInteger("EstimatedSize", 1), 6u);
  fake.registry.AddKey(RootKey::CurrentUser, kKey);
  fake.registry.FailWritesTo(RootKey::CurrentUser, kKey, 5);
  ASSERT_EQ(registry.OpenKey(kKey, /*create=*/false), 0u);
  EXPECT_EQ(registry.WriteInteger("EstimatedSize", 1), 5u);
  EXPECT_EQ(fake.registry.Dword(RootKey::CurrentUser, kKey, "EstimatedSize"), std::nullopt);
}

}  // namespace
}  // namespace velora
