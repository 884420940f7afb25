#include "common/options_table.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

using namespace kestrom;

TEST(DecimalValue, FollowsTheCLibraryRule) {
  EXPECT_EQ(decimal_value("abc"), 0);
  EXPECT_EQ(decimal_value("12x"), 12);
  EXPECT_EQ(decimal_value("  42"), 42);
  EXPECT_EQ(decimal_value("\t-7"), -7);
  EXPECT_EQ(decimal_value("+5"), 5);
  EXPECT_EQ(decimal_value(""), 0);
  EXPECT_EQ(decimal_value("   "), 0);
  EXPECT_EQ(decimal_value("- 3"), 0);
  EXPECT_EQ(decimal_value("4 2"), 4);
  EXPECT_EQ(decimal_value("0x10"), 0);
  EXPECT_EQ(decimal_value("007"), 7);
}

TEST(DecimalValue, HugeNumbersSaturateWithoutOverflow) {
  EXPECT_EQ(decimal_value("2147483647"), INT_MAX);
  EXPECT_EQ(decimal_value("2147483648"), INT_MAX);
  EXPECT_EQ(decimal_value("-2147483648"), INT_MIN);
  EXPECT_EQ(decimal_value("-2147483649"), INT_MIN);
  EXPECT_EQ(decimal_value(std::string(5000, '9')), INT_MAX);
  EXPECT_EQ(decimal_value("-" + std::string(5000, '9')), INT_MIN);
}

TEST(DecimalValue, StopsAtTheEndOfTheViewNotAtATerminator) {
  std::string_view digits("123456", 3);
  EXPECT_EQ(decimal_value(digits), 123);
}

TEST(OptionText, EmptyReadsAsTheDefaultJunkAsZero) {
  EXPECT_EQ(option_value_from_text("", 11), 11);
  EXPECT_EQ(option_value_from_text("abc", 11), 0);
  EXPECT_EQ(option_value_from_text("3", 11), 3);
}

TEST(OptionTable, NamesAreUniqueAndMatchTheirIds) {
  std::set<std::string_view> seen;
  for (std::size_t i = 0; i < kOptionCount; ++i) {
    const auto& d = option_table()[i];
    EXPECT_FALSE(d.name.empty());
    EXPECT_TRUE(seen.insert(d.name).second) << d.name;
    EXPECT_EQ(option_by_name(d.name), static_cast<Opt>(i)) << d.name;
  }
  EXPECT_EQ(option_by_name("NoSuchOption"), Opt::Count_);
  EXPECT_EQ(option_def(Opt::RealtimeServices).name, "RealtimeServices");
  EXPECT_EQ(option_def(Opt::nCount).name, "nCount");
}

