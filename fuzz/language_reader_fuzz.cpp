// libFuzzer target for the language file reader. The first input byte picks the chunk size the bytes are
// fed in; the reader's lines, entry search and continuation lines are checked against a plain model of
// the format computed over the whole input at once, and the integer rule against strtoll.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "language/language_file_reader.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// The format's line rules over the whole file: byte 26 ends it, LF ends a line, CRs are dropped, and a
// last line without a line end counts when it holds any byte.
std::vector<std::string> ModelLines(std::string bytes) {
  bytes = bytes.substr(0, bytes.find('\x1A'));
  std::vector<std::string> lines;
  std::string line;
  bool anyByte = false;
  for (char c : bytes) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
      anyByte = false;
    } else {
      anyByte = true;
      if (c != '\r') line += c;
    }
  }
  if (anyByte) lines.push_back(line);
  return lines;
}

velora::ChunkSource Chunked(const std::string& bytes, std::size_t chunkSize) {
  return [&bytes, chunkSize, at = std::size_t{0}]() mutable {
    std::string chunk = bytes.substr(std::min(at, bytes.size()), chunkSize);
    at += chunk.size();
    return velora::platform::Succeeded(std::move(chunk));
  };
}

void CheckInteger(const std::string& text) {
  const auto parsed = velora::TryParseLangInteger(text);
  bool wellFormed = !text.empty();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool sign = i == 0 && (text[i] == '-' || text[i] == '+') && text.size() > 1;
    if (!sign && (text[i] < '0' || text[i] > '9')) wellFormed = false;
  }
  if (!wellFormed) return Check(!parsed);
  errno = 0;
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  const bool inRange = errno == 0 && value >= INT32_MIN && value <= INT32_MAX;
  Check(parsed.has_value() == inRange);
  if (parsed) Check(*parsed == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t chunkSize = 1 + data[0] % 64;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  // Where a file past its bound stops being read depends on the chunks; the unit tests pin that.
  if (bytes.size() > velora::kMaxLanguageFileBytes) return 0;
  const std::vector<std::string> model = ModelLines(bytes);

  velora::LanguageFileReader reader(Chunked(bytes, chunkSize));
  std::vector<std::string> lines;
  while (auto line = reader.TryNextLine()) lines.push_back(*line);
  Check(!reader.TryNextLine());
  // A line past its bound makes the file read as damaged, after at most the lines the model has.
  const bool tooLong = std::any_of(model.begin(), model.end(),
                                   [](const std::string& line) { return line.size() > velora::kMaxLanguageLineBytes; });
  if (tooLong) {
    Check(reader.ReadError() == 13 && lines.size() <= model.size());
    return 0;
  }
  Check(lines == model);

  // The key of the first header-like line, so that searches find something often.
  std::string key = "langver";
  if (!model.empty() && model[0].size() > 2 && model[0][0] == '[') {
    key = model[0].substr(1, model[0].find(']') == std::string::npos ? 1 : model[0].find(']') - 1);
  }
  velora::LanguageFileReader searcher(Chunked(bytes, chunkSize));
  const velora::EntrySearch search = velora::SearchEntry(searcher, key);
  std::size_t header = 0;
  while (header < model.size() && !velora::IsHeaderOf(model[header], key)) ++header;
  if (header == model.size()) {
    Check(search.state == velora::EntrySearchState::NoHeader);
    Check(search.line == (model.empty() ? std::string() : model.back()));
  } else if (header + 1 == model.size()) {
    Check(search.state == velora::EntrySearchState::HeaderIsLastLine);
  } else {
    Check(search.state == velora::EntrySearchState::Found && search.line == model[header + 1]);
    std::string text = search.line;
    Check(velora::AppendContinuationLines(searcher, text) == 0);
    std::string expected = model[header + 1];
    for (std::size_t i = header + 2; i < model.size() && !velora::TrimBlanks(model[i]).empty(); ++i) {
      expected += "\r\n" + model[i];
    }
    Check(text == expected);
  }
  for (const auto& line : model) CheckInteger(line);
  return 0;
}
