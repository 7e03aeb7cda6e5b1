// Listing, checking and choosing the language files: the catalogue, the default files each locale needs,
// the locale match, the user's stored choice, and files whose header values are faulty.
#include <gtest/gtest.h>

#include "language/language_loader.h"
#include "language/lookups.h"
#include "support/test_session.h"

namespace velora {
namespace {

constexpr const char* kProductKey = "Software\\Orvane\\Velora";

struct LngFile {
  std::string name = "English";
  std::string version = "3";
  std::string codes = "2057";  ///< lines of the "langcode" entry, joined by CR LF
  std::string charset = "204";
  std::string extra;  ///< further entries, appended as they are

  std::string Bytes() const {
    std::string bytes = "Comment lines pass unread.\r\n\r\n";
    if (!name.empty()) bytes += "[langname]\r\n" + name + "\r\n\r\n";
    if (!version.empty()) bytes += "[langver]\r\n" + version + "\r\n\r\n";
    if (!codes.empty()) bytes += "[langcode]\r\n" + codes + "\r\n\r\n";
    return bytes + "[langcharset]\r\n" + charset + "\r\n\r\n[progname]\r\n" + name +
           " caption\r\n\r\n[ProgDescr0]\r\n" + name + " description\r\n\r\n" + extra;
  }
};

class LoadLanguageTest : public ::testing::Test {
 protected:
  void Add(const std::string& fileName, const LngFile& file) { AddBytes(fileName, file.Bytes()); }
  void AddBytes(const std::string& fileName, const std::string& bytes) {
    fake.files.AddFile("C:\\Velora\\language\\" + fileName, bytes);
  }
  void StoreChoice(const std::string& fileName) {
    fake.registry.SetString(platform::RootKey::CurrentUser, kProductKey, "LangFile", fileName);
  }
  bool Load(bool russian = false) {
    session = fakes::MakeTestSession(fake, {.russian = russian});
    session->Environment.ProductFolder = "C:\\Velora\\";
    return LoadLanguage(LanguageContextOf(*session));
  }
  std::string Current() const { return session->Language.Files.at(session->Language.CurrentLang).file; }
  std::string OnlyBoxText() const {
    return fake.ui.boxes.size() == 1 ? fake.ui.boxes[0].text : "boxes: " + std::to_string(fake.ui.boxes.size());
  }

  fakes::FakeWindows fake;
  std::unique_ptr<Session> session;
};

TEST_F(LoadLanguageTest, WithoutLanguageFilesTheMissingDefaultFileIsNamed) {
  EXPECT_FALSE(Load());
  EXPECT_EQ(OnlyBoxText(), "Can't work with no english.lng file!\r\nPlease reinstall the program.");
  fake.ui.boxes.clear();
  fake.files.AddFolder("C:\\Velora\\language");
  EXPECT_FALSE(Load(/*russian=*/true));
  EXPECT_EQ(OnlyBoxText(), "Работа без файла russian.lng невозможна!\r\nПожалуйста, переустановите программу.");
}

TEST_F(LoadLanguageTest, ARussianUserNeedsEnglishLngToo) {
  Add("russian.lng", {.name = "Russian", .codes = "1049"});
  EXPECT_FALSE(Load(/*russian=*/true));
  EXPECT_EQ(OnlyBoxText(), "Работа без файла english.lng невозможна!\r\nПожалуйста, переустановите программу.");
}

TEST_F(LoadLanguageTest, CataloguesLngFilesWithoutAnExclamationMarkAndKnowsEnglishInAnyCase) {
  Add("ENGLISH.LNG", {});
  Add("de!old.lng", {.version = "not checked"});
  Add("russian.lng", {.name = "Russian", .version = "7", .codes = "1049"});
  AddBytes("readme.txt", "not a language file");
  ASSERT_TRUE(Load(/*russian=*/true));
  const LanguageTable& table = session->Language;
  ASSERT_EQ(table.Files.size(), 2u);
  EXPECT_EQ(table.Files[0].file, "ENGLISH.LNG");
  EXPECT_EQ(table.Files[0].name, "English");
  EXPECT_EQ(table.Files[0].version, 3);
  EXPECT_EQ(table.Files[1].file, "russian.lng");
  EXPECT_EQ(table.Files[1].name, "Russian");
  EXPECT_EQ(table.Files[1].version, 7);
  EXPECT_EQ(table.EnglishLang, 0);
  EXPECT_EQ(table.RussianLang, 1);
  EXPECT_EQ(Current(), "russian.lng");  // the locale 1049 match
  EXPECT_TRUE(fake.ui.boxes.empty());
}

// Past 256 files the folder's further files are not taken, but the two default files always are.
TEST_F(LoadLanguageTest, AtMost256FilesBesidesTheDefaultFilesAreCatalogued) {
  for (int i = 0; i < 300; ++i) {
    const std::string number = std::to_string(1000 + i);
    Add("a" + number + ".lng", {.codes = "1031"});
  }
  Add("english.lng", {});
  Add("russian.lng", {.name = "Russian", .codes = "1049"});
  ASSERT_TRUE(Load(/*russian=*/true));
  const auto& files = session->Language.Files;
  ASSERT_EQ(files.size(), 258u);
  EXPECT_EQ(files[255].file, "a1255.lng");
  EXPECT_EQ(files[256].file, "english.lng");
  EXPECT_EQ(Current(), "russian.lng");
}

TEST_F(LoadLanguageTest, TheLastFileServingTheLocaleIsChosenAndItsHeaderValuesKept) {
  Add("english.lng", {.codes = "2057\r\n1033"});
  Add("us.lng", {.name = "US", .codes = "4105\r\n1033", .charset = "0"});
  ASSERT_TRUE(Load());
  EXPECT_EQ(session->Language.LocaleLang, 1);
  EXPECT_EQ(Current(), "us.lng");
  EXPECT_EQ(session->Language.LangId, 4105);  // the first "langcode" line
  EXPECT_EQ(session->Language.LangCharset, 0);
  EXPECT_EQ(session->Names.ProgName, "US caption");
  // Only the current file stays open, for reading, shared with other readers.
  EXPECT_EQ(fake.files.OpenHandleCount(), 1);
}

// The locale's file may come first in the listing: index 0 is a choice like any other.
TEST_F(LoadLanguageTest, TheLocalesFileListedFirstIsChosen) {
  Add("aa.lng", {.name = "AA", .codes = "1033"});
  Add("english.lng", {.codes = "2057"});
  ASSERT_TRUE(Load());
  EXPECT_EQ(session->Language.LocaleLang, 0);
  EXPECT_EQ(Current(), "aa.lng");
}

TEST_F(LoadLanguageTest, WithoutALocaleMatchTheDefaultFileOfTheInterfaceLanguageIsChosen) {
  Add("english.lng", {.codes = "2057"});
  Add("russian.lng", {.name = "Russian", .codes = "1058"});
  ASSERT_TRUE(Load());
  EXPECT_EQ(Current(), "english.lng");
  EXPECT_EQ(session->Language.LocaleLang, -1);
  ASSERT_TRUE(Load(/*russian=*/true));
  EXPECT_EQ(Current(), "russian.lng");
}

TEST_F(LoadLanguageTest, TheStoredChoiceMustNameACatalogueEntryExactly) {
  Add("english.lng", {.codes = "1033"});
  Add("german.lng", {.name = "Deutsch", .codes = "1031"});
  StoreChoice("german.lng");
  ASSERT_TRUE(Load());
  EXPECT_EQ(Current(), "german.lng");
  EXPECT_EQ(session->Language.LangId, 1031);
  EXPECT_EQ(fake.registry.OpenKeyCount(), 0);

  for (const char* other : {"German.lng", "french.lng", ""}) {
    StoreChoice(other);
    ASSERT_TRUE(Load());
    EXPECT_EQ(Current(), "english.lng") << other;
  }
}

TEST_F(LoadLanguageTest, AStoredChoiceThatIsNoStringOrAKeyThatCannotBeOpenedChangesNothing) {
  Add("english.lng", {.codes = "1033"});
  Add("german.lng", {.name = "Deutsch", .codes = "1031"});
  fake.registry.SetDword(platform::RootKey::CurrentUser, kProductKey, "LangFile", 1);
  ASSERT_TRUE(Load());
  EXPECT_EQ(Current(), "english.lng");
  fake.registry.DenyKey(platform::RootKey::CurrentUser, kProductKey, 5);
  ASSERT_TRUE(Load());
  EXPECT_EQ(Current(), "english.lng");
  EXPECT_EQ(fake.registry.OpenKeyCount(), 0);
}

TEST_F(LoadLanguageTest, AVersionWithADecimalPointOrAbsentEverywhereIsAnError) {
  Add("english.lng", {});
  Add("german.lng", {.name = "Deutsch", .version = "2.5", .codes = "1031"});
  EXPECT_FALSE(Load());
  EXPECT_EQ(OnlyBoxText(), "german.lng file contains errors.\r\nPlease reinstall the program.");

  fake.ui.boxes.clear();
  Add("german.lng", {.name = "Deutsch", .version = "", .codes = "1031"});
  ASSERT_TRUE(Load());  // the default file's version stands in
  EXPECT_EQ(session->Language.Files[1].version, 3);

  Add("english.lng", {.version = ""});
  EXPECT_FALSE(Load());
  EXPECT_EQ(OnlyBoxText(), "english.lng file contains errors.\r\nPlease reinstall the program.");
}

TEST_F(LoadLanguageTest, ALocaleCodeThatIsNoIntegerIsAnError) {
  Add("english.lng", {.codes = "2057\r\n10 33"});
  EXPECT_FALSE(Load(/*russian=*/false));
  EXPECT_EQ(OnlyBoxText(), "english.lng file contains errors.\r\nPlease reinstall the program.");
}

TEST_F(LoadLanguageTest, AFileWithoutItsOwnCodesServesTheDefaultFilesLocales) {
  Add("english.lng", {.codes = "1033"});
  Add("english-uk.lng", {.name = "UK", .codes = ""});
  ASSERT_TRUE(Load());
  EXPECT_EQ(Current(), "english.lng");  // listed after english-uk.lng, so its match wins
  EXPECT_EQ(session->Language.LocaleLang, 1);
}

TEST_F(LoadLanguageTest, HeadersMatchInAnyCaseWithTrailingBlanksButNotAfterLeadingBlanks) {
  Add("english.lng", {.name = ""});
  AddBytes("german.lng", " [langname]\r\nNot this\r\n\r\n[LANGNAME]  \t\r\nDeutsch\r\n\r\n" +
                             LngFile{.name = "", .codes = "1031"}.Bytes());
  ASSERT_TRUE(Load());
  EXPECT_EQ(session->Language.Files[1].name, "Deutsch");
}

TEST_F(LoadLanguageTest, SelectingAFileWhoseCharsetIsNoIntegerIsAnError) {
  Add("english.lng", {});
  Add("german.lng", {.name = "Deutsch", .codes = "1031", .charset = "cp1252"});
  EXPECT_FALSE(Load());
  EXPECT_EQ(OnlyBoxText(), "german.lng file contains errors.\r\nPlease reinstall the program.");
}

TEST_F(LoadLanguageTest, ACatalogueEntryThatCannotBeOpenedIsNamedAndEndsTheLoad) {
  Add("english.lng", {});
  Add("german.lng", {.name = "Deutsch", .codes = "1031"});
  fake.files.LockExternally("C:\\Velora\\language\\german.lng", 0);
  EXPECT_FALSE(Load());
  // One box from each of the four lookups of the selection, then the file is reported as faulty.
  ASSERT_EQ(fake.ui.boxes.size(), 5u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(fake.ui.boxes[i].text, "Can't handle the language support file german.lng");
  }
  EXPECT_EQ(fake.ui.boxes[4].text, "german.lng file contains errors.\r\nPlease reinstall the program.");
  // The default file is not read in place of a current file that cannot be opened.
  const auto& opens = fake.files.Creates();
  ASSERT_GE(opens.size(), 4u);
  for (auto open = opens.end() - 4; open != opens.end(); ++open) EXPECT_TRUE(open->path.ends_with("german.lng"));
}

}  // namespace
}  // namespace velora
