// The test language files: the entry layout the updater reads, byte for byte.
#include <gtest/gtest.h>

#include "installation.h"

namespace velora::e2e {
namespace {

std::string LangFile(const std::string& name) {
  return ReadFileBytes(WinePath(std::string(VELORA_E2E_LANG_DIR) + "/" + name)).value_or("");
}

// The value lines of "[key]" joined with CR LF, empty when the key is missing.
std::string Entry(const std::string& file, const std::string& key) {
  const std::string header = "\r\n[" + key + "]\r\n";
  size_t start = file.find(header);
  if (start == std::string::npos) return {};
  start += header.size();
  return file.substr(start, file.find("\r\n\r\n", start) - start);
}

constexpr const char* kKeys[] = {"langname",          "langver",         "langcode",     "langcharset", "progname",
                                 "ProgDescr0",        "noright",         "filecantopen", "soundquest",  "olderfilever",
                                 "liveupdatecaption", "darovovevi",      "installask",   "installdone", "asktorun",
                                 "badinstaller",      "verificationfail"};

TEST(LanguageFiles, CarryEveryKeyWithCrLfLineEnds) {
  for (const char* name : {"english.lng", "russian.lng"}) {
    const std::string file = LangFile(name);
    ASSERT_FALSE(file.empty()) << name;
    for (const char* key : kKeys) EXPECT_FALSE(Entry(file, key).empty()) << name << " " << key;
    for (size_t i = file.find('\n'); i != std::string::npos; i = file.find('\n', i + 1)) {
      ASSERT_EQ(file[i - 1], '\r') << name << " at " << i;
    }
  }
}

TEST(LanguageFiles, HeadersNameTheLocalesAndCharsets) {
  const std::string english = LangFile("english.lng");
  const std::string russian = LangFile("russian.lng");
  EXPECT_EQ(Entry(english, "langcode").substr(0, 10), "1033\r\n2057");
  EXPECT_EQ(Entry(english, "langcharset"), "0");
  EXPECT_EQ(Entry(russian, "langcode"), "1049");
  EXPECT_EQ(Entry(russian, "langcharset"), "204");
  // The Russian file is Windows-1251, which is also this program's narrow literal charset.
  EXPECT_EQ(Entry(russian, "progname"), "Обновление программы \"Велора\"");
  EXPECT_EQ(Entry(russian, "installask"), "Будет установлено обновление \"%1\".\r\nОно содержит %2.\r\nПродолжить?");
}

}  // namespace
}  // namespace velora::e2e
