// Lists and checks the product's language files, chooses one by locale, default and the user's stored
// choice, and makes it current.
#pragma once

#include <cstddef>
#include <cstdint>

#include "language/language_context.h"

namespace velora {

/// The most language files taken from the folder besides "russian.lng" and "english.lng": the product
/// ships a few dozen.
inline constexpr std::size_t kMaxLanguageFiles = 256;

/// True when a language file is current; false after a fixed-text box naming the missing or faulty file.
[[nodiscard]] bool LoadLanguage(const LanguageContext& language);

/// Makes entry index of Files current and reads its header values; false (after the "contains
/// errors" box) when its "langcharset" or first "langcode" line is not an integer.
[[nodiscard]] bool SelectLanguage(const LanguageContext& language, std::int32_t index);

}  // namespace velora
