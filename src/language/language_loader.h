// Lists and checks the product's language files, chooses one by locale, default and the user's stored
// choice, and makes it current.
#pragma once

#include <cstdint>

namespace velora {

class Session;

/// True when a language file is current; false after a fixed-text box naming the missing or faulty file.
bool LoadLanguage(Session& session);

/// Makes entry index of LangFiles current and reads its header values; false (after the "contains
/// errors" box) when its "langcharset" or first "langcode" line is not an integer.
bool SelectLanguage(Session& session, std::int32_t index);

}  // namespace velora
