#include "language/lookups.h"

#include "language/language_boxes.h"
#include "language/language_context.h"
#include "language/language_file_reader.h"

namespace velora {
namespace {

enum class LookupKind { FirstLine, AllLines };
enum class EntryRead { Found, Absent, Failed };

bool IsCatalogueIndex(const LanguageTable& table, std::int32_t index) {
  return index >= 0 && static_cast<std::size_t>(index) < table.Files.size();
}

std::int32_t DefaultLang(const LanguageContext& language) {
  return language.startup.UseRussian ? language.table.RussianLang : language.table.EnglishLang;
}

// Opened for reading only; other readers may share the file, writers may not.
platform::WinResult<platform::OpenFilePtr> OpenLanguageFile(const LanguageContext& language, std::int32_t index) {
  const std::string path =
      language.productFolder + "language\\" + language.table.Files[static_cast<std::size_t>(index)].file;
  return language.platform.files.Open(path, win::kGenericRead, win::kFileShareRead, win::kOpenExisting);
}

// ReadEntry without the report: Failed when the file cannot be opened, rewound or read.
EntryRead ReadEntryFromStart(const LanguageContext& language, std::int32_t index, platform::OpenFilePtr& file,
                             const std::string& key, LookupKind kind, std::string& text) {
  if (!file) {
    auto opened = OpenLanguageFile(language, index);
    if (!opened.ok()) return EntryRead::Failed;
    file = std::move(opened.value);
  }
  if (file->Seek(0) != win::kErrorSuccess) return EntryRead::Failed;
  LanguageFileReader reader(ChunksOf(*file));
  const EntrySearch search = SearchEntry(reader, key);
  if (search.state == EntrySearchState::ReadFailed) return EntryRead::Failed;
  text = search.FirstValueLine();
  if (text.empty()) return EntryRead::Absent;
  if (kind == LookupKind::AllLines && AppendContinuationLines(reader, text) != win::kErrorSuccess) {
    return EntryRead::Failed;
  }
  return EntryRead::Found;
}

// Reads the key's entry from the start of one file, opening file first when it is not open. A file that
// cannot be opened or read is reported by name; text then keeps what was read before the failure.
EntryRead ReadEntry(const LanguageContext& language, std::int32_t index, platform::OpenFilePtr& file,
                    const std::string& key, LookupKind kind, std::string& text) {
  text.clear();
  const EntryRead read = ReadEntryFromStart(language, index, file, key, kind, text);
  if (read == EntryRead::Failed) {
    ShowLangFileError(language.platform.ui, language.startup, language.names,
                      language.table.Files[static_cast<std::size_t>(index)].file);
  }
  return read;
}

// The current file's entry, or the default file's when the current file has no value for the key.
std::string Lookup(const LanguageContext& language, const std::string& key, LookupKind kind) {
  LanguageTable& table = language.table;
  if (!IsCatalogueIndex(table, table.CurrentLang)) return {};
  std::string text;
  if (ReadEntry(language, table.CurrentLang, table.CurrentFile, key, kind, text) != EntryRead::Absent) return text;
  const std::int32_t defaultLang = DefaultLang(language);
  if (!IsCatalogueIndex(table, defaultLang)) return {};
  platform::OpenFilePtr defaultFile;  // open only for this lookup
  ReadEntry(language, defaultLang, defaultFile, key, kind, text);
  return text;
}

// Fills %1, %2, ... in turn, stopping at the first number the text does not hold; an inserted argument
// is not searched again for the number it fills, but later numbers are searched in it.
std::string FillPlaceholders(std::string text, const std::vector<std::string>& arguments) {
  constexpr std::size_t kMaxPlaceholders = 4;
  for (std::size_t n = 1; n <= kMaxPlaceholders; ++n) {
    const std::string placeholder{'%', static_cast<char>('0' + n)};
    std::size_t found = text.find(placeholder);
    if (found == std::string::npos || n > arguments.size()) break;
    const std::string& argument = arguments[n - 1];
    for (; found != std::string::npos; found = text.find(placeholder, found + argument.size())) {
      text.replace(found, placeholder.size(), argument);
    }
  }
  return text;
}

}  // namespace

std::string GetLangText(const LanguageContext& language, const std::string& key) {
  return Lookup(language, key, LookupKind::FirstLine);
}

std::string GetLangLines(const LanguageContext& language, const std::string& key) {
  return Lookup(language, key, LookupKind::AllLines);
}

std::string GetLangTextFmt(const LanguageContext& language, const std::string& key,
                           const std::vector<std::string>& arguments) {
  return FillPlaceholders(GetLangText(language, key), arguments);
}

std::string GetLangLinesFmt(const LanguageContext& language, const std::string& key,
                            const std::vector<std::string>& arguments) {
  return FillPlaceholders(GetLangLines(language, key), arguments);
}

}  // namespace velora
