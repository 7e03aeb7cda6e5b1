// Discovery over the real registry of a 64-bit Wine prefix: an uninstall entry in the 64-bit view only,
// one written the way a 32-bit installer writes it (landing under WOW6432Node), and none.
#include <windows.h>

#include <gtest/gtest.h>

#include "environment/install_environment.h"
#include "driver/session.h"
#include "platform/win32/files.h"
#include "platform/win32/registry.h"
#include "platform/win32/system.h"
#include "win32/win32_test_support.h"

namespace velora {
namespace {

constexpr const char* kAppName = "VeloraDiscoveryTest";
const std::string kEntry = std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + kAppName;

class DiscoveryOnWindows : public ::testing::Test {
 protected:
  void TearDown() override {
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kEntry.c_str(), KEY_WOW64_64KEY, /*Reserved=*/0);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kEntry.c_str(), KEY_WOW64_32KEY, /*Reserved=*/0);
    RegDeleteKeyA(HKEY_CURRENT_USER, (std::string("Software\\Orvane\\") + kAppName).c_str());  // discovery makes it
  }

  /// Writes the entry in the given view: KEY_WOW64_32KEY lands where a 32-bit installer's plain write does.
  void WriteEntry(REGSAM view, const std::string& command) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kEntry.c_str(), /*Reserved=*/0, /*lpClass=*/nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | view, /*lpSecurityAttributes=*/nullptr, &key,
                              /*lpdwDisposition=*/nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "UninstallString", /*Reserved=*/0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
    RegCloseKey(key);
  }

  std::string DiscoverProductFolder() {
    session_ = std::make_unique<Session>(real_.platform, std::vector<std::string>{},
                                         StartupState{.RegistryView = platform::RegistryView::Bits64});
    session_->Names = {.AppName = kAppName, .EnglishProgName = "Velora update"};
    EXPECT_EQ(
        DiscoverEnvironment(session_->platform, session_->Startup, session_->Names, session_->Environment).failure,
        Discovery::Failure::None);
    return session_->Environment.ProductFolder;
  }

  std::string ProgramFiles() {
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0,
                  KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key);
    char value[MAX_PATH] = {};
    DWORD size = sizeof value;
    RegQueryValueExA(key, "ProgramFilesDir", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return value;
  }

  wine_tests::RealWindows<> real_;
  std::unique_ptr<Session> session_;
};

TEST_F(DiscoveryOnWindows, AnEntryInTheSixtyFourBitViewGivesTheFolder) {
  WriteEntry(KEY_WOW64_64KEY, "C:\\Apps\\Velora64\\uninst.exe");
  EXPECT_EQ(DiscoverProductFolder(), "C:\\Apps\\Velora64\\");
  EXPECT_EQ(session_->Environment.UninstallKeyPathWow, "");
}

TEST_F(DiscoveryOnWindows, AThirtyTwoBitInstallersEntryIsFoundUnderWow6432Node) {
  WriteEntry(KEY_WOW64_32KEY, "C:\\Apps\\Velora32\\uninst.exe");
  EXPECT_EQ(DiscoverProductFolder(), "C:\\Apps\\Velora32\\");
  EXPECT_EQ(session_->Environment.UninstallKeyPathWow,
            std::string("Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + kAppName);
}

TEST_F(DiscoveryOnWindows, WithoutAnEntryTheFolderIsUnderProgramFiles) {
  const std::string programFiles = ProgramFiles();
  ASSERT_FALSE(programFiles.empty());
  EXPECT_EQ(DiscoverProductFolder(), programFiles + "\\" + kAppName + "\\");
  EXPECT_TRUE(real_.ui.boxes.empty());
}

}  // namespace
}  // namespace velora
