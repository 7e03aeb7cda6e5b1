#include "language/lookups.h"

#include "environment/failure.h"
#include "environment/fixed_error.h"
#include "environment/session.h"
#include "language/language_file_reader.h"

namespace velora {
namespace {

enum class LookupKind { FirstLine, AllLines };
enum class EntryRead { Found, Absent, Failed };

bool IsCatalogueIndex(const LanguageTable& table, std::int32_t index) {
  return index >= 0 && static_cast<std::size_t>(index) < table.LangFiles.size();
}

std::int32_t DefaultLang(const Session& session) {
  return session.Startup.UseRussian ? session.Language.RussianLang : session.Language.EnglishLang;
}

// Opened for reading only; other readers may share the file, writers may not.
platform::OpenFilePtr OpenLanguageFile(Session& session, std::int32_t index) {
  const std::string path =
      session.Environment.ProductFolder + "language\\" + session.Language.LangFiles[static_cast<std::size_t>(index)];
  auto opened = session.platform.files.Open(path, win::kGenericRead, win::kFileShareRead, win::kOpenExisting);
  if (!opened.ok()) throw Failure("cannot open " + path, opened.error);
  return std::move(opened.value);
}

// Reads the key's entry from the start of one file, opening file first when it is not open. A file that
// cannot be opened or read is reported by name; text then keeps what was read before the failure.
EntryRead ReadEntry(Session& session, std::int32_t index, platform::OpenFilePtr& file, const std::string& key,
                    LookupKind kind, std::string& text) {
  text.clear();
  try {
    if (!file) file = OpenLanguageFile(session, index);
    if (auto error = file->Seek(0); error != win::kErrorSuccess) throw Failure("cannot rewind", error);
    LanguageFileReader reader(ChunksOf(*file));
    text = SearchEntry(reader, key).FirstValueLine();
    if (text.empty()) return EntryRead::Absent;
    if (kind == LookupKind::AllLines) AppendContinuationLines(reader, text);
    return EntryRead::Found;
  } catch (const Failure&) {
    ShowLangFileError(session, session.Language.LangFiles[static_cast<std::size_t>(index)]);
    return EntryRead::Failed;
  }
}

// The current file's entry, or the default file's when the current file has no value for the key.
std::string Lookup(Session& session, const std::string& key, LookupKind kind) {
  LanguageTable& table = session.Language;
  if (!IsCatalogueIndex(table, table.CurrentLang)) return {};
  std::string text;
  if (ReadEntry(session, table.CurrentLang, table.CurrentFile, key, kind, text) != EntryRead::Absent) return text;
  const std::int32_t defaultLang = DefaultLang(session);
  if (!IsCatalogueIndex(table, defaultLang)) return {};
  platform::OpenFilePtr defaultFile;  // open only for this lookup
  ReadEntry(session, defaultLang, defaultFile, key, kind, text);
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

std::string GetLangText(Session& session, const std::string& key) { return Lookup(session, key, LookupKind::FirstLine); }

std::string GetLangLines(Session& session, const std::string& key) { return Lookup(session, key, LookupKind::AllLines); }

std::string GetLangTextFmt(Session& session, const std::string& key, const std::vector<std::string>& arguments) {
  return FillPlaceholders(GetLangText(session, key), arguments);
}

std::string GetLangLinesFmt(Session& session, const std::string& key, const std::vector<std::string>& arguments) {
  return FillPlaceholders(GetLangLines(session, key), arguments);
}

void ShowLangError(Session& session, const std::string& text) {
  platform::MessageBoxRequest box;
  box.function = platform::MessageBoxFunction::MessageBoxExA;
  box.text = text;
  box.caption = session.Startup.ProgName;
  box.style = win::kErrorBoxStyle;
  box.languageId = static_cast<std::uint16_t>(session.Language.LangId & 0xFFFF);
  session.platform.ui.ShowMessageBox(box);
}

void ShowLangFileError(Session& session, const std::string& fileName) {
  ShowFixedError(session, "Can't handle the language support file " + fileName,
                 "Не удаётся работать с файлом языковой поддержки " + fileName);
}

}  // namespace velora
