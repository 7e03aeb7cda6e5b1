// libFuzzer target for the comparison of dotted program versions. The input is the new version text, a
// line feed, and the installed one. A text never reads as older than itself, and where both texts are
// four dot-separated numbers the answer is the order of the number tuples.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "install/version_readers.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

/// "a.b.c.d" with one to nine digits in each part (so every part fits an int32); nothing otherwise.
std::optional<std::array<std::int64_t, 4>> PlainVersion(std::string_view text) {
  std::array<std::int64_t, 4> parts{};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::size_t end = i + 1 < parts.size() ? text.find('.') : text.size();
    if (end == std::string_view::npos || end == 0 || end > 9) return std::nullopt;
    for (char c : text.substr(0, end)) {
      if (c < '0' || c > '9') return std::nullopt;
      parts[i] = parts[i] * 10 + (c - '0');
    }
    text.remove_prefix(i + 1 < parts.size() ? end + 1 : end);
  }
  return parts;
}

/// False for texts no number rule can accept: empty, or holding a character other than digits and signs.
bool MayBeNumber(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789+-") == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\n');
  const std::string fresh(input.substr(0, split));
  const std::string installed(split == std::string_view::npos ? std::string_view() : input.substr(split + 1));

  const bool older = velora::IsOlderVersion(fresh, installed);
  Check(!velora::IsOlderVersion(fresh, fresh));
  Check(!velora::IsOlderVersion(installed, installed));

  const auto freshParts = PlainVersion(fresh);
  const auto installedParts = PlainVersion(installed);
  if (freshParts && installedParts) {
    Check(older == (*installedParts > *freshParts));
    Check(!(older && velora::IsOlderVersion(installed, fresh)));
  } else if (installedParts && !MayBeNumber(fresh.substr(0, fresh.find('.')))) {
    // A new text whose first part is no number reads as older, so that the user is asked.
    Check(older);
  }
  return 0;
}
