#include "common/text.hpp"

#include <gtest/gtest.h>

#include <string>

using kestrom::contains;

TEST(Contains, IgnoresCaseAndRejectsEmptyOrLongerPattern) {
  EXPECT_TRUE(contains("C:\\Tools\\Kestrom.exe -Q", "-q"));
  EXPECT_TRUE(contains("abc", "ABC"));
  EXPECT_FALSE(contains("", "a"));
  EXPECT_FALSE(contains("a", ""));
  EXPECT_FALSE(contains("ab", "abc"));
}

TEST(Contains, NeverMatchesInsideTextsLongerThan772) {
  std::string text(771, 'x');
  text += "Q";
  EXPECT_EQ(text.size(), 772u);
  EXPECT_TRUE(contains(text, "q"));
  text += "y";
  EXPECT_FALSE(contains(text, "q"));
  EXPECT_FALSE(contains(text, "x"));
}
