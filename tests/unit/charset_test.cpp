// The fixed Russian texts must reach Windows as Windows-1251 bytes, in the host and the Windows build.
#include <gtest/gtest.h>

#include <string>

TEST(Charset, RussianLiteralsCompileToWindows1251) {
  const std::string no = "Нет";
  EXPECT_EQ(no, "\xCD\xE5\xF2");
  const std::string caption = "Обновление программы \"Велора\"";
  EXPECT_EQ(caption.size(), 29u);  // one byte a letter
  EXPECT_EQ(static_cast<unsigned char>(caption[0]), 0xCEu);
}
