#include "language/language_loader.h"

#include <optional>
#include <string_view>

#include "base/ascii_case.h"
#include "environment/message_box.h"
#include "environment/product_key.h"
#include "language/language_context.h"
#include "language/language_file_reader.h"
#include "language/lookups.h"

namespace velora {
namespace {

constexpr const char* kRussianFile = "russian.lng";
constexpr const char* kEnglishFile = "english.lng";

const std::string& FileName(const LanguageContext& language, std::int32_t index) {
  return language.table.Files[static_cast<std::size_t>(index)].file;
}

void ShowMissingFile(const LanguageContext& language, const std::string& name) {
  ShowFixedError(language.platform.ui, language.startup, language.names,
                 "Can't work with no " + name + " file!\r\nPlease reinstall the program.",
                 "Работа без файла " + name + " невозможна!\r\nПожалуйста, переустановите программу.");
}

// The "contains errors" box naming entry index of Files; false, for the caller to return.
bool ReportFileWithErrors(const LanguageContext& language, std::int32_t index) {
  const std::string& name = FileName(language, index);
  ShowFixedError(language.platform.ui, language.startup, language.names,
                 name + " file contains errors.\r\nPlease reinstall the program.",
                 "Файл " + name + " содержит ошибки!\r\nПожалуйста, переустановите программу.");
  return false;
}

// Whether one of the codes (lines joined by CR LF) is the locale; nullopt when a code is no integer.
std::optional<bool> TryListsLocale(const std::string& codes, std::uint32_t locale) {
  bool listed = false;
  for (std::size_t start = 0;;) {
    const std::size_t end = codes.find("\r\n", start);
    const std::string code = codes.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const auto value = TryParseLangInteger(code);
    if (!value) return std::nullopt;
    if (*value == std::int64_t{locale}) listed = true;
    if (end == std::string::npos) return listed;
    start = end + 2;
  }
}

// Every entry of the language folder named "*.lng" without a "!", in the order Windows lists them, up to
// kMaxLanguageFiles besides the two default files, which are always taken: each file listed is read when
// the language is chosen, and a writable folder could hold any number of them.
void ListLanguageFiles(const LanguageContext& language) {
  LanguageTable& table = language.table;
  // A missing or empty folder lists nothing, which the check of the default files then reports.
  const auto listing = language.platform.files.FindFiles(language.productFolder + "language\\*.lng");
  for (const auto& entry : listing.value) {
    if (entry.name.find('!') != std::string::npos) continue;
    const std::string lower = LowerAscii(entry.name);
    const bool isDefault = lower == kRussianFile || lower == kEnglishFile;
    if (!isDefault && table.Files.size() >= kMaxLanguageFiles) continue;
    const auto index = static_cast<std::int32_t>(table.Files.size());
    table.Files.push_back({.file = entry.name});
    if (lower == kRussianFile) {
      table.RussianLang = index;
    } else if (lower == kEnglishFile) {
      table.EnglishLang = index;
    }
  }
}

// The default file the user's interface language needs and does not have; "english.lng" is always needed.
std::optional<std::string> TryFindMissingDefaultFile(const LanguageContext& language) {
  const LanguageTable& table = language.table;
  if (language.startup.UseRussian && table.RussianLang < 0) return kRussianFile;
  if (table.EnglishLang < 0) return kEnglishFile;
  return std::nullopt;
}

// Records the file's name and version and whether it serves the user's locale; false after the
// "contains errors" box.
bool CheckLanguageFile(const LanguageContext& language, std::int32_t index) {
  LanguageTable& table = language.table;
  if (!SelectLanguage(language, index)) return false;
  const auto slot = static_cast<std::size_t>(index);
  table.Files[slot].name = GetLangText(language, "langname");
  const auto version = TryParseLangInteger(GetLangText(language, "langver"));
  if (!version) return ReportFileWithErrors(language, index);
  table.Files[slot].version = *version;
  const std::string codes = GetLangLines(language, "langcode");
  if (!codes.empty()) {
    const auto listed = TryListsLocale(codes, language.startup.UserLocale);
    if (!listed) return ReportFileWithErrors(language, index);
    if (*listed) table.LocaleLang = index;
  }
  table.CurrentFile.reset();
  return true;
}

// The "LangFile" string the user stored in the product key; nothing when it is absent, not a string or
// the key cannot be opened. The key is closed before this returns.
std::optional<std::string> TryReadStoredLanguage(const LanguageContext& language) {
  const auto key = OpenProductKey(language.platform.registry, language.startup.RegistryView, language.names.AppName);
  if (!key.ok()) return std::nullopt;
  auto stored = key.value->ReadString("LangFile");
  if (!stored.ok()) return std::nullopt;
  return std::move(stored.value);
}

// Moves to the file the user chose before, when it is in the catalogue under exactly that name.
bool ApplyStoredChoice(const LanguageContext& language) {
  const auto stored = TryReadStoredLanguage(language);
  const LanguageTable& table = language.table;
  if (!stored || *stored == FileName(language, table.CurrentLang)) return true;
  for (std::size_t i = 0; i < table.Files.size(); ++i) {
    if (table.Files[i].file == *stored) return SelectLanguage(language, static_cast<std::int32_t>(i));
  }
  return true;
}

}  // namespace

bool LoadLanguage(const LanguageContext& language) {
  language.table = LanguageTable{};
  ListLanguageFiles(language);
  if (auto missing = TryFindMissingDefaultFile(language)) {
    ShowMissingFile(language, *missing);
    return false;
  }
  LanguageTable& table = language.table;
  for (std::size_t i = 0; i < table.Files.size(); ++i) {
    if (!CheckLanguageFile(language, static_cast<std::int32_t>(i))) return false;
  }
  std::int32_t chosen = language.startup.UseRussian ? table.RussianLang : table.EnglishLang;
  if (table.LocaleLang >= 0) chosen = table.LocaleLang;
  if (!SelectLanguage(language, chosen)) return false;
  return ApplyStoredChoice(language);
}

bool SelectLanguage(const LanguageContext& language, std::int32_t index) {
  LanguageTable& table = language.table;
  if (index < 0 || static_cast<std::size_t>(index) >= table.Files.size()) return false;
  table.CurrentFile.reset();
  table.CurrentLang = index;
  language.names.ProgName = GetLangText(language, "progname");
  // Nothing shows the program's description, but it is looked up all the same: each lookup of a file
  // that cannot be read reports it, and the selection keeps its boxes.
  static_cast<void>(GetLangText(language, "ProgDescr0"));
  const auto charset = TryParseLangInteger(GetLangText(language, "langcharset"));
  const auto langId = TryParseLangInteger(GetLangText(language, "langcode"));
  if (!charset || !langId) return ReportFileWithErrors(language, index);
  table.LangCharset = *charset;
  table.LangId = *langId;
  return true;
}

}  // namespace velora
