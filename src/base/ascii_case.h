// Letter case the way the command line, language file names and language file headers compare it:
// only the ASCII letters A to Z are folded; every other byte (a Cyrillic letter in Windows-1251, say)
// stays as it is, whatever the locale.
#pragma once

#include <string>

namespace velora {

/// c in lower case when it is an ASCII letter A to Z, else c unchanged.
inline char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

/// The text with its ASCII letters A to Z lower-cased.
inline std::string LowerAscii(std::string text) {
  for (char& c : text) c = LowerAscii(c);
  return text;
}

}  // namespace velora
