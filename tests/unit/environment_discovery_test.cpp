// Discovery of the folders and keys over the fake registry: the product folder from the product's own
// record, else the uninstall entry in either view, else Program Files; the shell folders'
// values only for their type, and the registry failure box.
#include <gtest/gtest.h>

#include <optional>

#include "environment/install_environment.h"
#include "support/test_session.h"

namespace velora {
namespace {

using platform::RootKey;

constexpr const char* kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kEntry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velora";
constexpr const char* kWowEntry = "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velora";
constexpr const char* kProductKey = "Software\\Orvane\\Velora";

class DiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.registry.SetString(RootKey::LocalMachine, kCurrentVersion, "ProgramFilesDir", "C:\\Program Files\\");
    fake.registry.SetString(RootKey::CurrentUser, kShellFolders, "Programs", "C:\\Users\\u\\Start Menu\\Programs");
    fake.registry.SetString(RootKey::CurrentUser, kShellFolders, "Desktop", "C:\\Users\\u\\Desktop");
    fake.machine.SetEnvironment("Temp", "C:\\Temp");
  }
  Discovery DiscoverReport(bool russian = false) {
    session = fakes::MakeTestSession(fake, {.russian = russian});
    return DiscoverEnvironment(session->platform, session->Startup, session->Names, session->Environment);
  }
  bool Discover(bool russian = false) { return DiscoverReport(russian).failure == Discovery::Failure::None; }
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
  EXPECT_TRUE(Found().IsAdmin);
  // The machine's keys are only read: the product's own key of the user is the one key created.
  for (const std::string& call : fake.journal) {
    if (call.rfind("RegCreateKeyEx", 0) == 0) {
      EXPECT_EQ(call, std::string("RegCreateKeyEx ") + kProductKey);
    }
  }
}

TEST_F(DiscoveryTest, TheSixtyFourBitEntryHoldsTheProductWhenItHasACommandElseTheThirtyTwoBitOne) {
  constexpr const char* kProgramFiles = "C:\\Program Files\\Velora\\";
  struct Row {
    const char* name;
    bool key64;                            ///< the 64-bit entry's key is there
    std::optional<std::string> command64;  ///< its "UninstallString"
    std::optional<std::string> command32;  ///< the 32-bit entry's, under WOW6432Node
    std::string folder;
    std::string wowEntry;  ///< UninstallKeyPathWow: set only when the product was found in the 32-bit entry
  };
  const Row rows[] = {
      {"only a 32-bit entry", false, {}, "D:\\Velora32\\uninst.exe", "D:\\Velora32\\", kWowEntry},
      {"a 64-bit key without the value", true, {}, "D:\\Velora32\\uninst.exe", "D:\\Velora32\\", kWowEntry},
      {"both entries", true, "C:\\Velora64\\uninst.exe", "D:\\Velora32\\uninst.exe", "C:\\Velora64\\", ""},
      // A command without a folder still marks the entry as the product's.
      {"a 64-bit Windows Installer command", true, "MsiExec.exe /X{6F1A2C3B-0D4E-4F50-9A6B-7C8D9E0F1A2B}",
       "D:\\Velora32\\uninst.exe", kProgramFiles, ""},
      {"an empty 64-bit command", true, "", "D:\\Velora32\\uninst.exe", kProgramFiles, ""},
      {"a 32-bit Windows Installer command", false, {}, "MsiExec.exe /X{0}", kProgramFiles, kWowEntry},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fake.registry.DeleteKey(RootKey::LocalMachine, kEntry);
    fake.registry.DeleteKey(RootKey::LocalMachine, kWowEntry);
    if (row.key64) fake.registry.AddKey(RootKey::LocalMachine, kEntry);
    if (row.command64) fake.registry.SetString(RootKey::LocalMachine, kEntry, "UninstallString", *row.command64);
    if (row.command32) fake.registry.SetString(RootKey::LocalMachine, kWowEntry, "UninstallString", *row.command32);
    ASSERT_TRUE(Discover());
    EXPECT_EQ(Found().ProductFolder, row.folder);
    EXPECT_EQ(Found().UninstallKeyPathWow, row.wowEntry);
    EXPECT_EQ(Found().UninstallKeyPath, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\");
  }
  // Read in the 64-bit view, so the path names WOW6432Node itself.
  for (const auto& open : fake.registry.Opens()) EXPECT_EQ(open.access, 0x000F013Fu);
}

TEST_F(DiscoveryTest, TheProductsOwnRecordOfItsFolderWinsOverTheEntries) {
  fake.registry.SetString(RootKey::LocalMachine, kEntry, "UninstallString", "C:\\Velora64\\uninst.exe");
  struct Row {
    std::optional<std::string> lastRunFolder;
    std::string folder;
  };
  for (const Row& row : {Row{"D:\\Velora", "D:\\Velora\\"}, Row{"D:\\Velora\\", "D:\\Velora\\"}, Row{"", ""},
                         Row{std::nullopt, "C:\\Velora64\\"}}) {
    SCOPED_TRACE(row.lastRunFolder.value_or("<none>"));
    fake.registry.DeleteKey(RootKey::CurrentUser, kProductKey);
    if (row.lastRunFolder)
      fake.registry.SetString(RootKey::CurrentUser, kProductKey, "TheLastRunFolder", *row.lastRunFolder);
    const Discovery found = DiscoverReport();
    EXPECT_EQ(found.failure, Discovery::Failure::None);
    EXPECT_EQ(found.fromLastRunFolder, row.lastRunFolder.has_value());
    EXPECT_EQ(found.entryFolder, "C:\\Velora64\\");
    EXPECT_EQ(Found().ProductFolder, row.folder);
    EXPECT_TRUE(fake.registry.KeyExists(RootKey::CurrentUser, kProductKey));  // created when absent, as always
    EXPECT_TRUE(fake.ui.boxes.empty());
    EXPECT_EQ(fake.registry.OpenKeyCount(), 0);
  }
  // A product key the user may not open holds no record: the entry's folder stays.
  fake.registry.SetString(RootKey::CurrentUser, kProductKey, "TheLastRunFolder", "D:\\Velora");
  fake.registry.DenyKey(RootKey::CurrentUser, kProductKey, 5);
  EXPECT_FALSE(DiscoverReport().fromLastRunFolder);
  EXPECT_EQ(Found().ProductFolder, "C:\\Velora64\\");
  EXPECT_TRUE(fake.ui.boxes.empty());
}

TEST_F(DiscoveryTest, AValueOfAnotherTypeIsReportedAsNoRegistryAccess) {
  struct Row {
    RootKey root;
    const char* key;
    const char* name;
    Discovery::Failure failure;
  };
  for (const Row& row :
       {Row{RootKey::CurrentUser, kShellFolders, "Startup", Discovery::Failure::Folders},
        Row{RootKey::LocalMachine, kCurrentVersion, "ProgramFilesDir", Discovery::Failure::Folders},
        Row{RootKey::LocalMachine, kEntry, "UninstallString", Discovery::Failure::Folders},
        Row{RootKey::CurrentUser, kProductKey, "TheLastRunFolder", Discovery::Failure::LastRunFolder}}) {
    SCOPED_TRACE(row.name);
    fakes::FakeWindows broken;
    broken.registry.SetDword(row.root, row.key, row.name, 1);
    auto brokenSession = fakes::MakeTestSession(broken);
    const Discovery found = DiscoverEnvironment(brokenSession->platform, brokenSession->Startup, brokenSession->Names,
                                                brokenSession->Environment);
    EXPECT_EQ(found.failure, row.failure);
    EXPECT_EQ(found.error, 1630u);  // ERROR_UNSUPPORTED_TYPE
    ASSERT_EQ(broken.ui.boxes.size(), 1u);
    EXPECT_EQ(broken.ui.boxes[0].text, "No access to system registry");
    EXPECT_EQ(broken.registry.OpenKeyCount(), 0);
  }
}

TEST_F(DiscoveryTest, TheProductIsFoundByTheNamesItIsGiven) {
  fake.registry.SetString(RootKey::LocalMachine, kEntry, "UninstallString", "D:\\Apps\\Velora\\uninst.exe");
  session = fakes::MakeTestSession(fake);
  session->Names = {};
  const ProductNames names{.AppName = "Velora", .ProgName = "Velora ru", .EnglishProgName = "Velora en"};
  EXPECT_EQ(DiscoverEnvironment(session->platform, session->Startup, names, session->Environment).failure,
            Discovery::Failure::None);
  EXPECT_EQ(Found().ProductFolder, "D:\\Apps\\Velora\\");
}

}  // namespace
}  // namespace velora
