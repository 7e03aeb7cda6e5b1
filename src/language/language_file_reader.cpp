#include "language/language_file_reader.h"

#include <limits>

#include "base/ascii_case.h"
#include "platform/win_constants.h"

namespace velora {
namespace {

constexpr std::size_t kChunkSize = std::size_t{16} * 1024;
constexpr char kEndOfFile = 26;  // Ctrl-Z: the file ends here whatever follows

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool IsLineEndOrSpecial(char c) { return c == '\n' || c == '\r' || c == kEndOfFile; }

}  // namespace

ChunkSource ChunksOf(platform::OpenFile& file) {
  return [&file] { return file.Read(kChunkSize); };
}

void LanguageFileReader::Fail(platform::WinError error) {
  readError_ = error;
  ended_ = true;
  buffer_.clear();
  position_ = 0;
}

bool LanguageFileReader::Refill() {
  if (ended_) return false;
  auto chunk = source_();
  position_ = 0;
  if (!chunk.ok()) {
    Fail(chunk.error);
    return false;
  }
  buffer_ = std::move(chunk.value);
  bytesRead_ += buffer_.size();
  if (bytesRead_ > kMaxLanguageFileBytes) Fail(win::kErrorInvalidData);
  if (buffer_.empty()) ended_ = true;
  return !ended_;
}

std::optional<std::string> LanguageFileReader::TryNextLine() {
  std::string line;
  bool anyByte = false;  // a last line without a line end still counts when it holds anything
  while (position_ < buffer_.size() || Refill()) {
    const char* data = buffer_.data();
    std::size_t end = position_;
    while (end < buffer_.size() && !IsLineEndOrSpecial(data[end])) ++end;
    line.append(data + position_, end - position_);
    if (line.size() > kMaxLanguageLineBytes) {
      Fail(win::kErrorInvalidData);
      break;
    }
    anyByte = anyByte || end > position_;
    if (end == buffer_.size()) {
      position_ = end;
      continue;
    }
    const char special = data[end];
    position_ = end + 1;
    if (special == '\n') return line;
    if (special == kEndOfFile) {
      ended_ = true;
      buffer_.clear();
      position_ = 0;
      break;
    }
    anyByte = true;
    // A CR is never part of a line: before an LF it belongs to the line end, elsewhere it is dropped.
  }
  // A line cut short by a failed read is no line.
  if (!anyByte || readError_ != win::kErrorSuccess) return std::nullopt;
  return line;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool IsHeaderOf(std::string_view line, std::string_view key) {
  if (line.empty() || line.front() != '[') return false;
  const std::string_view trimmed = TrimBlanks(line);
  if (trimmed.size() < key.size() + 2 || trimmed[key.size() + 1] != ']') return false;
  for (std::size_t i = 0; i < key.size(); ++i) {
    if (LowerAscii(trimmed[i + 1]) != LowerAscii(key[i])) return false;
  }
  return true;
}

EntrySearch SearchEntry(LanguageFileReader& reader, std::string_view key) {
  EntrySearch search;
  while (auto line = reader.TryNextLine()) {
    if (IsHeaderOf(*line, key)) {
      auto value = reader.TryNextLine();
      if (value) return {EntrySearchState::Found, std::move(*value)};
      search = {EntrySearchState::HeaderIsLastLine, {}};
      break;
    }
    search.line = std::move(*line);
  }
  // A failed read ends the lines as the file's end would: what was found up to it cannot be trusted.
  if (reader.ReadError() != win::kErrorSuccess) return {EntrySearchState::ReadFailed, {}};
  return search;
}

platform::WinError AppendContinuationLines(LanguageFileReader& reader, std::string& text) {
  while (auto line = reader.TryNextLine()) {
    if (TrimBlanks(*line).empty()) return win::kErrorSuccess;
    text += "\r\n";
    text += *line;
  }
  return reader.ReadError();
}

std::optional<std::int32_t> TryParseLangInteger(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t magnitude = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace velora
