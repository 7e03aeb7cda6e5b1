#include "install/version_readers.h"

#include <optional>

#include "base/hex_text.h"
#include "install/existing_file.h"
#include "language/language_file_reader.h"

namespace velora {
namespace {

// count little-endian bytes at offset of an open file; 0 when the file is too short or cannot be read.
std::int32_t ReadLittleEndianAt(platform::OpenFile& file, std::uint64_t offset, std::size_t count) {
  if (file.Seek(offset) != win::kErrorSuccess) return 0;
  const auto bytes = file.Read(count);
  if (!bytes.ok() || bytes.value.size() != count) return 0;
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < count; ++i) value |= std::uint32_t{static_cast<unsigned char>(bytes.value[i])} << (8 * i);
  return static_cast<std::int32_t>(value);
}

// read of path, opened without sharing; 0 also when the file is missing or held by another process.
std::int32_t ReadOpenedWithoutSharing(platform::FileApi& files, const std::string& path,
                                      std::int32_t (*read)(platform::OpenFile&)) {
  auto opened = files.Open(path, win::kGenericRead, win::kFileShareNone, win::kOpenExisting);
  return opened.ok() ? read(*opened.value) : 0;
}

// The number before the first "." of a dotted version, which is then cut off up to and including the
// dot; nothing when there is no dot after the first character or the text before it is no integer.
std::optional<std::int32_t> TryTakeComponent(std::string& version) {
  const std::size_t dot = version.find('.');
  if (dot == std::string::npos || dot == 0) return std::nullopt;
  const auto value = TryParseLangInteger(std::string_view(version).substr(0, dot));
  version.erase(0, dot + 1);
  return value;
}

}  // namespace

std::int32_t ReadPakVersion(platform::OpenFile& file) { return ReadLittleEndianAt(file, /*offset=*/6, /*count=*/2); }

std::int32_t ReadCokVersion(platform::OpenFile& file) { return ReadLittleEndianAt(file, /*offset=*/5, /*count=*/2); }

std::int32_t Read3bsVersion(platform::OpenFile& file) { return ReadLittleEndianAt(file, /*offset=*/6, /*count=*/1); }

std::int32_t ReadPakVersion(platform::FileApi& files, const std::string& path) {
  return ReadOpenedWithoutSharing(files, path, ReadPakVersion);
}

std::int32_t ReadCokVersion(platform::FileApi& files, const std::string& path) {
  return ReadOpenedWithoutSharing(files, path, ReadCokVersion);
}

std::int32_t Read3bsVersion(platform::FileApi& files, const std::string& path) {
  return ReadOpenedWithoutSharing(files, path, Read3bsVersion);
}

std::int32_t InstalledVersionFromHead(std::string_view head, bool is3bs) {
  const std::size_t offset = is3bs ? 5 : 4;
  const std::int32_t version = head.size() > offset ? static_cast<unsigned char>(head[offset]) : 0;
  return is3bs ? version : version - 32;
}

platform::OpenFilePtr TryOpenAlone(platform::Platform& platform, const std::string& path, int& tries) {
  for (tries = 1; tries <= kOpenAloneTries; ++tries) {
    auto opened = platform.files.Open(path, win::kGenericRead, win::kFileShareNone, win::kOpenExisting);
    if (opened.ok()) return std::move(opened.value);
    platform.machine.Sleep(kOpenAloneRetryMs);
  }
  tries = kOpenAloneTries;
  return nullptr;
}

std::optional<std::int32_t> TryReadInstalledVersion(platform::Platform& platform, const std::string& path, bool is3bs) {
  int tries = 0;
  const platform::OpenFilePtr file = TryOpenAlone(platform, path, tries);
  if (!file) return std::nullopt;
  const auto head = file->Read(kDataFileHeadSize);
  return InstalledVersionFromHead(head.ok() ? head.value : std::string(), is3bs);
}

// Without a "langver" header the file's last line stands in for the value line; a header on the last line
// has none.
std::optional<std::int32_t> TryReadLngVersion(platform::OpenFile& file) {
  if (file.Seek(0) != win::kErrorSuccess) return std::nullopt;
  LanguageFileReader reader(ChunksOf(file));
  const EntrySearch search = SearchEntry(reader, "langver");
  if (search.state == EntrySearchState::HeaderIsLastLine || search.state == EntrySearchState::ReadFailed) {
    return std::nullopt;
  }
  return TryParseLangInteger(search.line);
}

std::optional<std::int32_t> TryReadLngVersion(platform::FileApi& files, const std::string& path) {
  if (!IsExistingFile(files, path)) return 0;
  auto opened = files.Open(path, win::kGenericRead, win::kFileShareRead, win::kOpenExisting);
  if (!opened.ok()) return std::nullopt;
  return TryReadLngVersion(*opened.value);
}

std::string ReadExeFileVersion(platform::ProgramFileApi& programFiles, const std::string& path) {
  if (!programFiles.TryGetExeType(path)) return {};
  const auto info = programFiles.LoadFileVersionInfo(path);
  if (!info.ok() || info.value == nullptr) return {};
  const auto translations = info.value->TryQueryTranslations();
  if (!translations || translations->empty()) return {};
  // Only the first translation is asked for its "FileVersion": language, then code page, 4 hex digits each.
  const std::uint32_t first = translations->front();
  const std::string subBlock = "\\StringFileInfo\\" + HexText(first & 0xFFFF, 4, HexLetters::Lower) +
                               HexText(first >> 16, 4, HexLetters::Lower) + "\\FileVersion";
  return info.value->TryQueryString(subBlock).value_or(std::string());
}

bool IsOlderVersion(std::string newVersion, std::string installedVersion) {
  // The installed text is taken apart first: a component missing or malformed there means "not older",
  // one missing or malformed in the new text means "older", so that the user is asked.
  bool installedIsGreater = false;
  for (int component = 0; component < 3; ++component) {
    const auto installed = TryTakeComponent(installedVersion);
    if (!installed) return installedIsGreater;
    const auto fresh = TryTakeComponent(newVersion);
    if (!fresh) return true;
    installedIsGreater = *installed > *fresh;
    if (*installed != *fresh) return installedIsGreater;
  }
  const auto installed = TryParseLangInteger(installedVersion);
  if (!installed) return false;
  const auto fresh = TryParseLangInteger(newVersion);
  if (!fresh) return true;
  return *installed > *fresh;
}

std::string MakeTempName(const std::string& path) {
  // The search starts at the second-to-last character: a trailing "\" does not count.
  for (std::size_t i = path.size() < 2 ? 0 : path.size() - 1; i-- > 0;) {
    if (path[i] == '\\') return path.substr(0, i + 1) + "~" + path.substr(i + 1);
  }
  return "~" + path;
}

}  // namespace velora
