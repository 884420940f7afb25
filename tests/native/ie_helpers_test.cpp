#include <gtest/gtest.h>

#include "categories/ie_helpers.hpp"

namespace kestrom {
namespace {

TEST(KillBit, SetAndClearKeepEveryOtherBit) {
  EXPECT_EQ(with_kill_bit(0x00000001u), 0x00000401u);
  EXPECT_EQ(without_kill_bit(0x00000401u), 0x00000001u);
  EXPECT_EQ(with_kill_bit(0x00000400u), 0x00000400u);
  EXPECT_EQ(without_kill_bit(0x00000001u), 0x00000001u);
  EXPECT_EQ(with_kill_bit(0xFFFFFBFFu), 0xFFFFFFFFu);
  EXPECT_EQ(without_kill_bit(0xFFFFFFFFu), 0xFFFFFBFFu);
  EXPECT_TRUE(activex_enabled(0));
  EXPECT_TRUE(activex_enabled(0xFFFFFBFFu));
  EXPECT_FALSE(activex_enabled(0x00000401u));
}

TEST(FindHelper, MatchesKindAndRegistrationNameNotThePosition) {
  ItemRules rules;
  ItemList list;
  list.add("Toolbar A", "C:\\a.dll", "{AAAA}", "", 901, 0, rules);
  list.add("Helper A", "C:\\a.dll", "{AAAA}", "", 900, 0, rules);
  list.add("Helper B", "C:\\b.dll", "{BBBB}", "", 900, 0, rules);
  EXPECT_EQ(find_helper(list.items(), 900, "{aaaa}"), 1u);
  EXPECT_EQ(find_helper(list.items(), 901, "{AAAA}"), 0u);
  EXPECT_EQ(find_helper(list.items(), 900, "{BBBB}"), 2u);
  EXPECT_EQ(find_helper(list.items(), 902, "{AAAA}"), std::nullopt);
  EXPECT_EQ(find_helper(list.items(), 900, "{CCCC}"), std::nullopt);
}

}  // namespace
}  // namespace kestrom
