// The language file format, read the one way every reader of these files shares: lines over a stream of
// chunks (CR LF or LF end a line, other CRs are dropped, byte 26 ends the file), entry headers matched
// case-insensitively and whole, the first value line and the continuation lines of an entry. No file
// access and no fallback between files here: callers supply the bytes and decide what a result means.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_api.h"

namespace velora {

/// Each call returns the next bytes of the file, empty at its end, or the error of a read that failed.
using ChunkSource = std::function<platform::WinResult<std::string>()>;

/// Reads an already open file from its current position in chunks; a failed ReadFile gives its error.
ChunkSource ChunksOf(platform::OpenFile& file);

/// Bounds on what a language file may be: the product's files are a few hundred KiB with lines of a
/// sentence or two, while a file a user planted in a writable product folder could make every lookup
/// of this elevated program read without end. Past either bound the file reads as damaged.
inline constexpr std::size_t kMaxLanguageLineBytes = std::size_t{64} * 1024;
inline constexpr std::size_t kMaxLanguageFileBytes = std::size_t{1024} * 1024;

/// Splits a language file into lines, which may hold any byte, NUL included. A line longer than
/// kMaxLanguageLineBytes, or a file longer than kMaxLanguageFileBytes, ends the lines with the read error
/// kErrorInvalidData.
class LanguageFileReader {
 public:
  explicit LanguageFileReader(ChunkSource source) : source_(std::move(source)) {}

  /// The next line without its line end; nullopt once the file (or a byte 26) has ended, or a read
  /// failed (ReadError tells which).
  [[nodiscard]] std::optional<std::string> TryNextLine();
  /// The error of the read that ended the lines early; kErrorSuccess while every read succeeded.
  platform::WinError ReadError() const { return readError_; }

 private:
  bool Refill();
  void Fail(platform::WinError error);

  ChunkSource source_;
  std::string buffer_;
  std::size_t position_ = 0;
  bool ended_ = false;
  std::size_t bytesRead_ = 0;
  platform::WinError readError_ = 0;
};

/// Trims blanks and control characters (every byte up to 32) from both ends.
std::string_view TrimBlanks(std::string_view text);

/// True when line is a header of key: "[" first, then, trimmed and ASCII-lower-cased, key + "]" from its
/// second character on. Text after the "]" is allowed.
bool IsHeaderOf(std::string_view line, std::string_view key);

/// What a search for an entry found.
enum class EntrySearchState {
  NoHeader,          ///< the file has no header of the key; line holds the file's last line (empty if none)
  HeaderIsLastLine,  ///< the header was the file's last line; line is empty
  Found,             ///< line holds the line after the first header of the key, unchanged
  ReadFailed,        ///< a read failed before the search ended (the reader's ReadError); line is empty
};

struct EntrySearch {
  EntrySearchState state = EntrySearchState::NoHeader;
  std::string line;

  /// The entry's first value line, empty when the key is absent.
  std::string FirstValueLine() const { return state == EntrySearchState::Found ? line : std::string(); }
};

/// Reads from the reader's position up to and including the first header of key and the line after it;
/// later headers of the key are never read. The reader is left after the first value line.
///
/// The version of a language file ("langver") is read with this too: open the file, build a reader over
/// ChunksOf(file), call SearchEntry(reader, "langver"); Found or NoHeader give the line to convert with
/// TryParseLangInteger (without a header that is the last line read), HeaderIsLastLine is a missing value.
EntrySearch SearchEntry(LanguageFileReader& reader, std::string_view key);

/// Appends, each after CR LF, the lines that follow up to the first one that is blank after trimming or
/// the end of the file. The error of a read that failed; text then keeps what was appended before it.
[[nodiscard]] platform::WinError AppendContinuationLines(LanguageFileReader& reader, std::string& text);

/// A whole decimal integer with an optional sign, in 32-bit range; nothing else (no blanks, no point).
[[nodiscard]] std::optional<std::int32_t> TryParseLangInteger(std::string_view text);

}  // namespace velora
