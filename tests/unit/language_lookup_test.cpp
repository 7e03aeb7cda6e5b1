// Keyed lookups over the fake file system: first value lines and multi-line texts, the fallback to the
// default file, placeholders, and the boxes for a language file that cannot be read.
#include <gtest/gtest.h>

#include "language/language_boxes.h"
#include "language/language_loader.h"
#include "language/lookups.h"
#include "support/test_session.h"

namespace velora {
namespace {

constexpr const char* kFolder = "C:\\Velora\\language\\";

std::string HeaderEntries(const std::string& name, const std::string& code) {
  return "[langname]\r\n" + name + "\r\n\r\n[langver]\r\n3\r\n\r\n[langcode]\r\n" + code +
         "\r\n\r\n[langcharset]\r\n204\r\n\r\n[progname]\r\n" + name + " caption\r\n\r\n";
}

class LanguageLookup : public ::testing::Test {
 protected:
  // english.lng is the default file; german.lng serves the user's locale and is current.
  void Load(const std::string& germanEntries, const std::string& englishEntries = "") {
    fake.files.AddFile(
        std::string(kFolder) + "english.lng",
        HeaderEntries("English", "2057") + "[shared]\r\nfrom english\r\nsecond\r\n\r\n" + englishEntries);
    fake.files.AddFile(std::string(kFolder) + "german.lng", HeaderEntries("Deutsch", "1033") + germanEntries);
    session->Environment.ProductFolder = "C:\\Velora\\";
    ASSERT_TRUE(LoadLanguage(LanguageContextOf(*session)));
    ASSERT_EQ(session->Language.Files[session->Language.CurrentLang].file, "german.lng");
    fake.ui.boxes.clear();
  }
  std::string Boxes() const {
    std::string texts;
    for (const auto& box : fake.ui.boxes) texts += box.text + "|";
    return texts;
  }

  fakes::FakeWindows fake;
  std::unique_ptr<Session> session = fakes::MakeTestSession(fake);
};

TEST_F(LanguageLookup, TextIsTheFirstLineAndLinesAreJoinedUpToABlankLine) {
  Load("[three]\r\none\r\n two\r\nthree \r\n   \t\r\nnot this\r\n");
  EXPECT_EQ(GetLangText(LanguageContextOf(*session), "three"), "one");
  EXPECT_EQ(GetLangLines(LanguageContextOf(*session), "THREE"), "one\r\n two\r\nthree ");
  EXPECT_EQ(GetLangText(LanguageContextOf(*session), "three"), "one");  // a multi-line lookup leaves nothing behind
  EXPECT_TRUE(fake.ui.boxes.empty());
}

TEST_F(LanguageLookup, AMultiLineValueRunsThroughAHeaderThatFollowsWithoutABlankLine) {
  Load("[first]\r\nA\r\n[second]\r\nB\r\n\r\n");
  EXPECT_EQ(GetLangLines(LanguageContextOf(*session), "first"), "A\r\n[second]\r\nB");
  EXPECT_EQ(GetLangLines(LanguageContextOf(*session), "second"), "B");
}

TEST_F(LanguageLookup, AnEmptyFirstValueLineTakesTheWholeTextFromTheDefaultFile) {
  Load("[shared]\r\n\r\nown second line\r\n");
  EXPECT_EQ(GetLangText(LanguageContextOf(*session), "shared"), "from english");
  EXPECT_EQ(GetLangLines(LanguageContextOf(*session), "shared"), "from english\r\nsecond");
  // The default file is opened only for the lookup: the current file is the one handle left.
  EXPECT_EQ(fake.files.OpenHandleCount(), 1);
  const auto& open = fake.files.Creates().back();
  EXPECT_EQ(open.path, "C:\\Velora\\language\\english.lng");
  EXPECT_EQ(open.access, 0x80000000u);
  EXPECT_EQ(open.share, 0x1u);
  EXPECT_EQ(open.disposition, 3u);
}

TEST_F(LanguageLookup, AKeyAbsentFromBothFilesIsEmptyWithoutABox) {
  Load("");
  EXPECT_EQ(GetLangLines(LanguageContextOf(*session), "nowhere"), "");
  // With the default file current, the same file is searched twice.
  ASSERT_TRUE(SelectLanguage(LanguageContextOf(*session), session->Language.EnglishLang));
  EXPECT_EQ(GetLangText(LanguageContextOf(*session), "nowhere"), "");
  EXPECT_TRUE(fake.ui.boxes.empty());
}

TEST_F(LanguageLookup, PlaceholdersAreFilledInNumberOrderOverTheTextFilledSoFar) {
  Load(
      "[swapped]\r\n%2 then %1, again %1\r\n\r\n[nofirst]\r\nonly %2\r\n\r\n[one]\r\n%1\r\n\r\n"
      "[lines]\r\n%1\r\nand %2\r\n\r\n[four]\r\n%4%3 %2%1 %5\r\n\r\n[gap]\r\n%1%2%4\r\n\r\n");
  EXPECT_EQ(GetLangTextFmt(LanguageContextOf(*session), "swapped", {"A", "B"}), "B then A, again A");
  EXPECT_EQ(GetLangTextFmt(LanguageContextOf(*session), "nofirst", {"A", "B"}), "only %2");
  EXPECT_EQ(GetLangTextFmt(LanguageContextOf(*session), "one", {"x%2y", "B"}), "xBy");
  EXPECT_EQ(GetLangTextFmt(LanguageContextOf(*session), "one", {"%1%1"}),
            "%1%1");  // an argument is not searched for its own number
  EXPECT_EQ(GetLangLinesFmt(LanguageContextOf(*session), "lines", {"A"}),
            "A\r\nand %2");  // more numbers than arguments
  EXPECT_EQ(GetLangLinesFmt(LanguageContextOf(*session), "lines", {"A", "B"}), "A\r\nand B");
  EXPECT_EQ(GetLangTextFmt(LanguageContextOf(*session), "four", {"A", "B", "C", "D", "E"}),
            "DC BA %5");                                                                        // four at most
  EXPECT_EQ(GetLangTextFmt(LanguageContextOf(*session), "gap", {"A", "B", "C", "D"}), "AB%4");  // no %3: %4 stays
  EXPECT_EQ(GetLangTextFmt(LanguageContextOf(*session), "swapped", {"%3%4", "B", "C", "D"}), "B then CD, again CD");
}

TEST_F(LanguageLookup, ACurrentFileThatCannotBeReadIsNamedOnEveryLookupAndTheDefaultIsNotTried) {
  Load("[key]\r\nvalue\r\n");
  const std::string german = std::string(kFolder) + "german.lng";
  fake.files.InjectFailure(fakes::FileOp::Read, german, 30);
  fake.files.InjectFailure(fakes::FileOp::Read, german, 30);
  const std::size_t opensBefore = fake.files.Creates().size();
  EXPECT_EQ(GetLangText(LanguageContextOf(*session), "shared"), "");
  EXPECT_EQ(GetLangLines(LanguageContextOf(*session), "key"), "");
  EXPECT_EQ(Boxes(),
            "Can't handle the language support file german.lng|Can't handle the language support file german.lng|");
  EXPECT_EQ(fake.files.Creates().size(), opensBefore);
  EXPECT_EQ(GetLangText(LanguageContextOf(*session), "key"), "value");  // readable again
}

TEST_F(LanguageLookup, ACurrentFileThatCannotBeOpenedIsNamedAndYieldsEmptyText) {
  Load("[key]\r\nvalue\r\n");
  const std::string german = std::string(kFolder) + "german.lng";
  session->Language.CurrentFile.reset();
  fake.files.LockExternally(german, 0);
  EXPECT_EQ(GetLangText(LanguageContextOf(*session), "key"), "");
  EXPECT_EQ(GetLangTextFmt(LanguageContextOf(*session), "key", {"A"}), "");
  EXPECT_EQ(fake.ui.boxes.size(), 2u);
  EXPECT_EQ(fake.ui.boxes[0].text, "Can't handle the language support file german.lng");
  EXPECT_EQ(fake.ui.boxes[0].function, platform::MessageBoxFunction::MessageBoxA);
  fake.files.ReleaseExternalLocks(german);
  EXPECT_EQ(GetLangText(LanguageContextOf(*session), "key"), "value");
}

TEST_F(LanguageLookup, AReadFailureInsideAMultiLineTextKeepsTheLinesReadBefore) {
  // The line after the filler straddles the end of the first 16 KiB chunk; the second chunk fails.
  const std::string prefix = HeaderEntries("Deutsch", "1033") + "[long]\r\nfirst\r\n";
  const std::string filler(16 * 1024 - prefix.size() - 2 - 5, 'x');
  Load("[long]\r\nfirst\r\n" + filler + "\r\nafter the chunk\r\n");
  fake.files.InjectFailure(fakes::FileOp::Read, std::string(kFolder) + "german.lng", 30, /*skip=*/1);
  EXPECT_TRUE(GetLangLines(LanguageContextOf(*session), "long") == "first\r\n" + filler);
  EXPECT_EQ(Boxes(), "Can't handle the language support file german.lng|");
}

TEST_F(LanguageLookup, ADefaultFileThatCannotBeReadIsNamedAndClosed) {
  Load("[shared]\r\n\r\n");
  fake.files.InjectFailure(fakes::FileOp::Read, std::string(kFolder) + "english.lng", 30);
  EXPECT_EQ(GetLangText(LanguageContextOf(*session), "shared"), "");
  EXPECT_EQ(Boxes(), "Can't handle the language support file english.lng|");
  EXPECT_EQ(fake.files.OpenHandleCount(), 1);
}

TEST(ShowLangError, UsesMessageBoxExAWithTheCaptionAndTheLowBitsOfLangId) {
  fakes::FakeWindows fake;
  auto session = fakes::MakeTestSession(fake);
  session->Names.ProgName = "Velora caption";
  session->Language.LangId = 0x00010419;
  ShowLangError(LanguageContextOf(*session), "No rights");
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_EQ(fake.ui.boxes[0], (platform::MessageBoxRequest{platform::MessageBoxFunction::MessageBoxExA, "No rights",
                                                           "Velora caption", 0x00200010u, 0x0419}));
}

}  // namespace
}  // namespace velora
