// Discovery of the folders and keys over the fake registry: the product folder from the uninstall entry
// in either view, the fallback to Program Files, the shell folders, and the registry failure box.
#include <gtest/gtest.h>

#include "environment/install_environment.h"
#include "support/test_session.h"

namespace velora {
namespace {

using platform::RootKey;

constexpr const char* kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kEntry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velora";
constexpr const char* kWowEntry = "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velora";

class DiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.registry.SetString(RootKey::LocalMachine, kCurrentVersion, "ProgramFilesDir", "C:\\Program Files\\");
    fake.registry.SetString(RootKey::CurrentUser, kShellFolders, "Programs", "C:\\Users\\u\\Start Menu\\Programs");
    fake.registry.SetString(RootKey::CurrentUser, kShellFolders, "Desktop", "C:\\Users\\u\\Desktop");
    fake.system.SetEnvironment("Temp", "C:\\Temp");
  }
  bool Discover(bool russian = false) {
    session = fakes::MakeTestSession(fake, {.russian = russian});
    return DiscoverEnvironment(session->platform, session->Startup, fakes::NamesOf(session->Startup),
                               session->Environment);
  }
  const InstallEnvironment& Found() const { return session->Environment; }

  fakes::FakeWindows fake;
  std::unique_ptr<Session> session;
};

TEST_F(DiscoveryTest, TheUninstallCommandIsCutToItsFolder) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Program Files\\Velora\\uninst.exe", "C:\\Program Files\\Velora\\"},
      {"C:\\Apps\\Velora\\", "C:\\Apps\\"},  // the final backslash is passed over
      // Quoted: cut within the quotes, the arguments after them (with their backslashes) left out.
      {"\"C:\\Apps\\Velora\\uninst.exe\" /S /D=C:\\x\\", "C:\\Apps\\Velora\\"},
      {"\"C:\\Apps\\Velora\\uninst.exe\"", "C:\\Apps\\Velora\\"},
      {"\"C:\\Apps\\Velora\\\"", "C:\\Apps\\"},                  // the quoted text's last character is passed over too
      {"\"C:\\Apps\\Velora\\uninst.exe", "C:\\Apps\\Velora\\"},  // no closing quotation mark
      {"\"uninst.exe\" C:\\x\\y", "C:\\Program Files\\Velora\\"},
      {"C:\\Apps\\Velora\\uninst.exe \"/S\"", "C:\\Apps\\Velora\\"},  // a quote later on changes nothing
      {"uninst.exe", "C:\\Program Files\\Velora\\"},                  // no folder in it: the one found so far stays
      {"", "C:\\Program Files\\Velora\\"},
  };
  for (const auto& [command, folder] : cases) {
    fake.registry.SetString(RootKey::LocalMachine, kEntry, "UninstallString", command);
    ASSERT_TRUE(Discover());
    EXPECT_EQ(Found().ProductFolder, folder) << command;
  }
}

TEST_F(DiscoveryTest, WithoutAnyEntryTheProductIsInProgramFiles) {
  ASSERT_TRUE(Discover());
  EXPECT_EQ(Found().ProductFolder, "C:\\Program Files\\Velora\\");
  EXPECT_EQ(Found().UninstallKeyPath, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\");
  EXPECT_EQ(Found().UninstallKeyPathWow, "");
  EXPECT_EQ(Found().ProductKeyPath, "Software\\Orvane\\Velora\\");
  EXPECT_EQ(Found().TempFolder, "C:\\Temp\\");
  EXPECT_EQ(Found().SystemFolder, "C:\\windows\\system32\\");
  EXPECT_TRUE(Found().IsAdmin);
}

TEST_F(DiscoveryTest, AnEntryOnlyInTheThirtyTwoBitViewIsFoundThere) {
  fake.registry.SetString(RootKey::LocalMachine, kWowEntry, "UninstallString", "D:\\Velora32\\uninst.exe");
  ASSERT_TRUE(Discover());
  EXPECT_EQ(Found().ProductFolder, "D:\\Velora32\\");
  EXPECT_EQ(Found().UninstallKeyPathWow, kWowEntry);
  EXPECT_EQ(Found().UninstallKeyPath, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\");
  // Read in the 64-bit view, so the path names WOW6432Node itself.
  for (const auto& open : fake.registry.Opens()) EXPECT_EQ(open.access, 0x000F013Fu);
}

TEST_F(DiscoveryTest, TheSixtyFourBitEntryWinsOverTheThirtyTwoBitOne) {
  fake.registry.SetString(RootKey::LocalMachine, kEntry, "UninstallString", "C:\\Velora64\\uninst.exe");
  fake.registry.SetString(RootKey::LocalMachine, kWowEntry, "UninstallString", "D:\\Velora32\\uninst.exe");
  ASSERT_TRUE(Discover());
  EXPECT_EQ(Found().ProductFolder, "C:\\Velora64\\");
  EXPECT_EQ(Found().UninstallKeyPathWow, "");
}

TEST_F(DiscoveryTest, ASixtyFourBitCommandWithoutAFolderStillHidesAThirtyTwoBitEntry) {
  fake.registry.SetString(RootKey::LocalMachine, kWowEntry, "UninstallString", "D:\\Velora32\\uninst.exe");
  for (const char* command : {"MsiExec.exe /X{6F1A2C3B-0D4E-4F50-9A6B-7C8D9E0F1A2B}", ""}) {
    fake.registry.SetString(RootKey::LocalMachine, kEntry, "UninstallString", command);
    ASSERT_TRUE(Discover());
    EXPECT_EQ(Found().ProductFolder, "C:\\Program Files\\Velora\\") << command;
    EXPECT_EQ(Found().UninstallKeyPathWow, "") << command;
  }
  // Without the value the entry does not hold the product, and the 32-bit one is read.
  fake.registry.DeleteKey(RootKey::LocalMachine, kEntry);
  fake.registry.AddKey(RootKey::LocalMachine, kEntry);
  ASSERT_TRUE(Discover());
  EXPECT_EQ(Found().ProductFolder, "D:\\Velora32\\");
}

TEST_F(DiscoveryTest, AThirtyTwoBitCommandWithoutAFolderNamesThatEntry) {
  fake.registry.SetString(RootKey::LocalMachine, kWowEntry, "UninstallString", "MsiExec.exe /X{0}");
  ASSERT_TRUE(Discover());
  EXPECT_EQ(Found().ProductFolder, "C:\\Program Files\\Velora\\");
  EXPECT_EQ(Found().UninstallKeyPathWow, kWowEntry);
}

TEST_F(DiscoveryTest, CommonProgramsAbsentOrOfOneCharacterFallsBackToTheUsersPrograms) {
  ASSERT_TRUE(Discover());
  EXPECT_EQ(Found().CommonProgramsFolder, "C:\\Users\\u\\Start Menu\\Programs\\");
  // One character after the backslash rule: only "\" itself stays that short.
  fake.registry.SetString(RootKey::LocalMachine, kShellFolders, "Common Programs", "\\");
  ASSERT_TRUE(Discover());
  EXPECT_EQ(Found().CommonProgramsFolder, "C:\\Users\\u\\Start Menu\\Programs\\");
  fake.registry.SetString(RootKey::LocalMachine, kShellFolders, "Common Programs", "C:\\All\\Programs");
  ASSERT_TRUE(Discover());
  EXPECT_EQ(Found().CommonProgramsFolder, "C:\\All\\Programs\\");
  EXPECT_EQ(Found().ProgramGroupFolder, "C:\\All\\Programs\\Velora update\\");
}

TEST_F(DiscoveryTest, RussianUsersGetTheRussianGroupFolderFirst) {
  fake.registry.SetString(RootKey::LocalMachine, kShellFolders, "Common Programs", "C:\\All\\Programs");
  ASSERT_TRUE(Discover(/*russian=*/true));
  EXPECT_EQ(Found().ProgramGroupFolder, "C:\\All\\Programs\\Обновление программы \"Велора\"\\");
  EXPECT_EQ(Found().ProgramGroupFolderAlt, "C:\\All\\Programs\\Velora update\\");
  EXPECT_EQ(Found().UserGroupFolderEn, "C:\\Users\\u\\Start Menu\\Programs\\Velora update\\");
}

TEST_F(DiscoveryTest, AValueOfAnotherTypeIsReportedAsNoRegistryAccess) {
  for (const auto& [root, key, name] : {std::tuple{RootKey::CurrentUser, kShellFolders, "Startup"},
                                        std::tuple{RootKey::LocalMachine, kCurrentVersion, "ProgramFilesDir"},
                                        std::tuple{RootKey::LocalMachine, kEntry, "UninstallString"}}) {
    fakes::FakeWindows broken;
    broken.registry.SetDword(root, key, name, 1);
    auto brokenSession = fakes::MakeTestSession(broken);
    EXPECT_FALSE(DiscoverEnvironment(brokenSession->platform, brokenSession->Startup,
                                     fakes::NamesOf(brokenSession->Startup), brokenSession->Environment))
        << name;
    ASSERT_EQ(broken.ui.boxes.size(), 1u);
    EXPECT_EQ(broken.ui.boxes[0].text, "No access to system registry");
    EXPECT_EQ(broken.registry.OpenKeyCount(), 0);
  }
}

TEST_F(DiscoveryTest, TheProductIsFoundByTheNamesItIsGivenNotByTheStartUpState) {
  fake.registry.SetString(RootKey::LocalMachine, kEntry, "UninstallString", "D:\\Apps\\Velora\\uninst.exe");
  session = fakes::MakeTestSession(fake);
  session->Startup.AppName.clear();
  session->Startup.ProgName.clear();
  session->Startup.EnglishProgName.clear();
  const ProductNames names{.AppName = "Velora", .ProgName = "Velora ru", .EnglishProgName = "Velora en"};
  ASSERT_TRUE(DiscoverEnvironment(session->platform, session->Startup, names, session->Environment));
  EXPECT_EQ(Found().ProductFolder, "D:\\Apps\\Velora\\");
  EXPECT_EQ(Found().ProductKeyPath, "Software\\Orvane\\Velora\\");
  EXPECT_EQ(Found().ProgramGroupFolder, "C:\\Users\\u\\Start Menu\\Programs\\Velora en\\");
  EXPECT_EQ(Found().UserGroupFolderRu, "C:\\Users\\u\\Start Menu\\Programs\\Velora ru\\");
}

}  // namespace
}  // namespace velora
