// Keyed messages from the current language file, falling back to the default file, with the
// placeholders %1 to %4 filled; and the two boxes of the language support.
#pragma once

#include <string>
#include <vector>

namespace velora {

class Session;

std::string GetLangText(Session& session, const std::string& key);
std::string GetLangLines(Session& session, const std::string& key);
std::string GetLangTextFmt(Session& session, const std::string& key, const std::vector<std::string>& arguments);
std::string GetLangLinesFmt(Session& session, const std::string& key, const std::vector<std::string>& arguments);

/// Error box with a language-file text: MessageBoxExA, caption ProgName, the low 16 bits of LangId.
void ShowLangError(Session& session, const std::string& text);
/// The bilingual fixed-text box naming a language file that cannot be read.
void ShowLangFileError(Session& session, const std::string& fileName);

}  // namespace velora
