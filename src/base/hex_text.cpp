#include "base/hex_text.h"

namespace velora {

std::string HexText(std::uint32_t value, std::size_t minDigits, HexLetters letters) {
  const char* digits = letters == HexLetters::Upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), digits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  if (text.size() < minDigits) text.insert(0, minDigits - text.size(), '0');
  return text;
}

}  // namespace velora
