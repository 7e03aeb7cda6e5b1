// The installation helpers against the prefix's real registry and file system.
#include <gtest/gtest.h>

#include <fstream>

#include "installation.h"

namespace velora::e2e {
namespace {

constexpr char kFolder[] = "C:\\velora-e2e\\install\\";

bool KeyOpens(HKEY root, const char* path, REGSAM access) {
  win32::unique_hkey key;
  return RegOpenKeyExA(root, path, /*ulOptions=*/0, access, key.put()) == ERROR_SUCCESS;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(Installation, LaysOutTheFolderAndUserSettingsAndTeardownRemovesEverything) {
  {
    Installation install({.folder = kFolder,
                          .standInIni = "release_on_quit=1\r\n",
                          .languageFiles = {WinePath(VELORA_E2E_LANG_DIR "/english.lng")},
                          .dataFileVersion = 5,
                          .dataFileSize = 3000,
                          .lastRunFolder = "C:\\Downloads\\",
                          .langFile = "english.lng"});
    const auto data = ReadFileBytes(install.path(kDataFileName));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->size(), 3000u);
    EXPECT_EQ(data->substr(0, 8), std::string("vlfw\x02\x05\x00\x08", 8));
    EXPECT_TRUE(Exists(install.path("velora.exe")));
    EXPECT_TRUE(Exists(install.path("language\\english.lng")));
    EXPECT_EQ(ReadFileBytes(install.path("velora-standin.ini")), "release_on_quit=1\r\n");
    EXPECT_EQ(ReadUserValue("TheLastRunFolder"), "C:\\Downloads\\");
    EXPECT_EQ(ReadUserValue("LangFile"), "english.lng");

    EXPECT_FALSE(TildeFileExists(kFolder));
    std::ofstream(install.path("~vlfw.3bs"), std::ios::binary) << "x";
    EXPECT_TRUE(TildeFileExists(kFolder));

    // The bytes of every file below the folder, in whole KiB: data 3000, "~" file 1, the ini, english.lng.
    DeleteFileA(install.path("velora.exe").c_str());
    const auto english = ReadFileBytes(install.path("language\\english.lng"));
    ASSERT_TRUE(english);
    EXPECT_EQ(FolderSizeKiB(kFolder), (3000u + 1u + 19u + english->size()) / 1024u);
  }
  EXPECT_FALSE(Exists(kFolder));
  EXPECT_FALSE(UninstallEntryExists(RegistryView::Bits64));
  EXPECT_FALSE(UninstallEntryExists(RegistryView::Bits32));
  EXPECT_FALSE(KeyOpens(HKEY_CURRENT_USER, kUserKey, KEY_READ));
}

}  // namespace
}  // namespace velora::e2e
