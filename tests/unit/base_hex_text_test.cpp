// The one hexadecimal formatter: zero, letter case, widths, against fixed texts and against printf.
#include <gtest/gtest.h>

#include <cstdio>

#include "base/hex_text.h"

namespace velora {
namespace {

TEST(HexText, ZeroLettersAndWidths) {
  EXPECT_EQ(HexText(0, 1, HexLetters::Upper), "0");
  EXPECT_EQ(HexText(0, 2, HexLetters::Lower), "00");
  EXPECT_EQ(HexText(0, 4, HexLetters::Lower), "0000");
  EXPECT_EQ(HexText(0xABCD, 1, HexLetters::Upper), "ABCD");
  EXPECT_EQ(HexText(0xABCD, 1, HexLetters::Lower), "abcd");
  EXPECT_EQ(HexText(0x0F, 2, HexLetters::Lower), "0f");
  EXPECT_EQ(HexText(0x409, 4, HexLetters::Lower), "0409");     // a translation's language...
  EXPECT_EQ(HexText(0x4B0, 4, HexLetters::Lower), "04b0");     // ...and its code page
  EXPECT_EQ(HexText(0x12345, 4, HexLetters::Lower), "12345");  // a wider value keeps all its digits
  EXPECT_EQ(HexText(0xFFFFFFFF, 2, HexLetters::Upper), "FFFFFFFF");
}

TEST(HexText, WritesWhatPrintfWrites) {
  for (std::uint32_t value : {0u, 1u, 9u, 10u, 15u, 16u, 0xFFu, 0x100u, 0xBEEFu, 0x10000u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    for (int digits = 1; digits <= 9; ++digits) {
      char lower[16];
      char upper[16];
      std::snprintf(lower, sizeof lower, "%.*x", digits, static_cast<unsigned>(value));
      std::snprintf(upper, sizeof upper, "%.*X", digits, static_cast<unsigned>(value));
      EXPECT_EQ(HexText(value, static_cast<std::size_t>(digits), HexLetters::Lower), lower) << value << " " << digits;
      EXPECT_EQ(HexText(value, static_cast<std::size_t>(digits), HexLetters::Upper), upper) << value << " " << digits;
    }
  }
}

}  // namespace
}  // namespace velora
