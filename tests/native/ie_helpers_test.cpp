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

TEST(HelperTitles, FollowTheirFallbackOrder) {
  const HelperVersion none;
  HelperVersion full{"Helper Suite", "Browser Helper", "Fixture Works"};
  HelperVersion described{"", "Browser Helper", ""};
  EXPECT_EQ(helper_title(full, "C:\\Program Files\\H\\h.dll"), "Helper Suite");
  EXPECT_EQ(helper_title(none, "C:\\Program Files\\H\\h.dll"), "h.dll");
  // An extension's button text gives way to its file's version texts only.
  EXPECT_EQ(extension_title("Research", none, "C:\\x\\r.exe"), "Research");
  EXPECT_EQ(extension_title("res://SHDOCLC.DLL/related", none, "C:\\x\\r.exe"), "Related");
  EXPECT_EQ(extension_title("res://shdoclc.dll/related", full, "C:\\x\\r.exe"), "Helper Suite");
  EXPECT_EQ(extension_title("Research", described, "C:\\x\\r.exe"), "r.exe");
  // A control: class name, description, product name, file name.
  EXPECT_EQ(activex_title("Viewer Control", full, "C:\\v.ocx"), "Viewer Control");
  EXPECT_EQ(activex_title("", full, "C:\\v.ocx"), "Browser Helper");
  EXPECT_EQ(activex_title("", HelperVersion{"Viewer", "", ""}, "C:\\v.ocx"), "Viewer");
  EXPECT_EQ(activex_title("", none, "C:\\v.ocx"), "v.ocx");
}

TEST(ClassIdentifiers, GetBracesOnlyWhenTheyLackThem) {
  EXPECT_EQ(braced_class("1111-22"), "{1111-22}");
  EXPECT_EQ(braced_class("{1111-22}"), "{1111-22}");
  EXPECT_EQ(braced_class(""), "{}");
}

TEST(ActiveXListing, LeavesOutOfferedOnlyAndHiddenMicrosoftControls) {
  EXPECT_TRUE(activex_used(std::nullopt));
  EXPECT_TRUE(activex_used(0u));
  EXPECT_TRUE(activex_used(1u));
  EXPECT_FALSE(activex_used(2u));
  EXPECT_FALSE(activex_used(7u));
  EXPECT_FALSE(activex_hidden(0, "Microsoft Corporation"));
  EXPECT_TRUE(activex_hidden(1, "Microsoft Corporation"));
  EXPECT_TRUE(activex_hidden(2, "by microsoft"));
  EXPECT_FALSE(activex_hidden(1, "Fixture Works"));
  EXPECT_FALSE(activex_hidden(-1, "Microsoft"));
}

TEST(Snapshots, ApproveOnlyNonZeroNumbers) {
  EXPECT_TRUE(snapshot_approves("900"));
  EXPECT_TRUE(snapshot_approves("1200"));
  EXPECT_FALSE(snapshot_approves("0"));
  EXPECT_FALSE(snapshot_approves(""));
  EXPECT_FALSE(snapshot_approves("P"));
}

}  // namespace
}  // namespace kestrom
