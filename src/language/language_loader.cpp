#include "language/language_loader.h"

#include <optional>
#include <string_view>

#include "environment/ascii_case.h"
#include "environment/failure.h"
#include "environment/fixed_error.h"
#include "environment/product_key.h"
#include "environment/session.h"
#include "language/language_file_reader.h"
#include "language/lookups.h"

namespace velora {
namespace {

constexpr const char* kRussianFile = "russian.lng";
constexpr const char* kEnglishFile = "english.lng";

const std::string& FileName(const Session& session, std::int32_t index) {
  return session.Language.LangFiles[static_cast<std::size_t>(index)];
}

void ShowMissingFile(Session& session, const std::string& name) {
  ShowFixedError(session, "Can't work with no " + name + " file!\r\nPlease reinstall the program.",
                 "Работа без файла " + name + " невозможна!\r\nПожалуйста, переустановите программу.");
}

void ShowFileWithErrors(Session& session, const std::string& name) {
  ShowFixedError(session, name + " file contains errors.\r\nPlease reinstall the program.",
                 "Файл " + name + " содержит ошибки!\r\nПожалуйста, переустановите программу.");
}

std::int32_t ParseOrThrow(const std::string& text) {
  auto value = TryParseLangInteger(text);
  if (!value) throw Failure("not an integer: " + text);
  return *value;
}

// True when one of the codes (lines joined by CR LF) is the locale; every code must be an integer.
bool ListsLocale(const std::string& codes, std::uint32_t locale) {
  bool listed = false;
  for (std::size_t start = 0;;) {
    const std::size_t end = codes.find("\r\n", start);
    const std::string code = codes.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (ParseOrThrow(code) == std::int64_t{locale}) listed = true;
    if (end == std::string::npos) return listed;
    start = end + 2;
  }
}

// Every entry of the language folder named "*.lng" without a "!", in the order Windows lists them.
void ListLanguageFiles(Session& session) {
  LanguageTable& table = session.Language;
  // A missing or empty folder lists nothing, which the check of the default files then reports.
  const auto listing = session.platform.files.FindFiles(session.Environment.ProductFolder + "language\\*.lng");
  for (const auto& entry : listing.value) {
    if (entry.name.find('!') != std::string::npos) continue;
    const auto index = static_cast<std::int32_t>(table.LangFiles.size());
    table.LangFiles.push_back(entry.name);
    table.LangNames.emplace_back();
    table.LangVersions.push_back(0);
    const std::string lower = LowerAscii(entry.name);
    if (lower == kRussianFile) {
      table.RussianLang = index;
    } else if (lower == kEnglishFile) {
      table.EnglishLang = index;
    }
  }
}

// The default file the user's interface language needs and does not have; "english.lng" is always needed.
std::optional<std::string> MissingDefaultFile(const Session& session) {
  const LanguageTable& table = session.Language;
  if (session.Startup.UseRussian && table.RussianLang < 0) return kRussianFile;
  if (table.EnglishLang < 0) return kEnglishFile;
  return std::nullopt;
}

// Records the file's name and version and whether it serves the user's locale; false after the
// "contains errors" box.
bool CheckLanguageFile(Session& session, std::int32_t index) {
  LanguageTable& table = session.Language;
  if (!SelectLanguage(session, index)) return false;
  const auto slot = static_cast<std::size_t>(index);
  try {
    table.LangNames[slot] = GetLangText(session, "langname");
    table.LangVersions[slot] = ParseOrThrow(GetLangText(session, "langver"));
    const std::string codes = GetLangLines(session, "langcode");
    if (!codes.empty() && ListsLocale(codes, session.Startup.UserLocale)) table.LocaleLang = index;
  } catch (const Failure&) {
    ShowFileWithErrors(session, FileName(session, index));
    return false;
  }
  table.CurrentFile.reset();
  return true;
}

// The "LangFile" string the user stored in the product key; nothing when it is absent, not a string or
// the key cannot be opened. The key is closed before this returns.
std::optional<std::string> TryReadStoredLanguage(Session& session) {
  RegistryAccessor& registry = session.Startup.Registry;
  OpenKeyScope scope(registry);
  try {
    if (!OpenProductKey(session) || !registry.ValueExists("LangFile")) return std::nullopt;
    return registry.ReadString("LangFile");
  } catch (const Failure&) {
    return std::nullopt;
  }
}

// Moves to the file the user chose before, when it is in the catalogue under exactly that name.
bool ApplyStoredChoice(Session& session) {
  const auto stored = TryReadStoredLanguage(session);
  const LanguageTable& table = session.Language;
  if (!stored || *stored == FileName(session, table.CurrentLang)) return true;
  for (std::size_t i = 0; i < table.LangFiles.size(); ++i) {
    if (table.LangFiles[i] == *stored) return SelectLanguage(session, static_cast<std::int32_t>(i));
  }
  return true;
}

}  // namespace

bool LoadLanguage(Session& session) {
  session.Language = LanguageTable{};
  ListLanguageFiles(session);
  if (auto missing = MissingDefaultFile(session)) {
    ShowMissingFile(session, *missing);
    return false;
  }
  LanguageTable& table = session.Language;
  for (std::size_t i = 0; i < table.LangFiles.size(); ++i) {
    if (!CheckLanguageFile(session, static_cast<std::int32_t>(i))) return false;
  }
  std::int32_t chosen = session.Startup.UseRussian ? table.RussianLang : table.EnglishLang;
  if (table.LocaleLang >= 0) chosen = table.LocaleLang;
  if (!SelectLanguage(session, chosen)) return false;
  return ApplyStoredChoice(session);
}

bool SelectLanguage(Session& session, std::int32_t index) {
  LanguageTable& table = session.Language;
  if (index < 0 || static_cast<std::size_t>(index) >= table.LangFiles.size()) return false;
  table.CurrentFile.reset();
  table.CurrentLang = index;
  session.Startup.ProgName = GetLangText(session, "progname");
  session.Startup.ProgDescr = GetLangText(session, "ProgDescr0");
  const auto charset = TryParseLangInteger(GetLangText(session, "langcharset"));
  const auto langId = TryParseLangInteger(GetLangText(session, "langcode"));
  if (!charset || !langId) {
    ShowFileWithErrors(session, FileName(session, index));
    return false;
  }
  table.LangCharset = *charset;
  table.LangId = *langId;
  return true;
}

}  // namespace velora
