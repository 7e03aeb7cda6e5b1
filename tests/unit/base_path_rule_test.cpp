// The path rule.
#include <gtest/gtest.h>

#include <string>

#include "base/path_rule.h"

namespace velora {
namespace {

TEST(AddBackslash, AppendsOnlyToANonEmptyPathWithoutOne) {
  std::string folder = "C:\\Apps";
  AddBackslash(folder);
  EXPECT_EQ(folder, "C:\\Apps\\");
  AddBackslash(folder);
  EXPECT_EQ(folder, "C:\\Apps\\");
  std::string empty;
  AddBackslash(empty);
  EXPECT_EQ(empty, "");
}

}  // namespace
}  // namespace velora
