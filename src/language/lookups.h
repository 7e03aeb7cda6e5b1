// Keyed messages from the current language file, falling back to the default file, with the
// placeholders %1 to %4 filled.
#pragma once

#include <string>
#include <vector>

#include "language/language_context.h"

namespace velora {

/// The first value line of the key's entry, from the current file or else the default file; empty when absent.
std::string GetLangText(const LanguageContext& language, const std::string& key);
/// All value lines of the key's entry, joined by CR LF, from the one file that has its first value line.
std::string GetLangLines(const LanguageContext& language, const std::string& key);
/// GetLangText with %1, %2, ... filled by the arguments in turn; a number without an argument stays.
std::string GetLangTextFmt(const LanguageContext& language, const std::string& key,
                           const std::vector<std::string>& arguments);
/// GetLangLines with %1, %2, ... filled by the arguments in turn; a number without an argument stays.
std::string GetLangLinesFmt(const LanguageContext& language, const std::string& key,
                            const std::vector<std::string>& arguments);

}  // namespace velora
