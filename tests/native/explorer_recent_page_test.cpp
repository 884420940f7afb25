#include "explorer/recent_page.hpp"

#include <gtest/gtest.h>

using namespace kestrom;
using namespace kestrom::explorer;

TEST(RecentPage, EachKindHasItsTypeActionAndRegisterCategory) {
  for (int tag : recent::kFillOrder) {
    EXPECT_NE(recent::type_string(tag), 0) << tag;
    EXPECT_FALSE(recent::detected_category(tag).empty()) << tag;
  }
  EXPECT_EQ(recent::action_command(recent::kActive), recent::kKill);
  EXPECT_EQ(recent::action_command(recent::kHidden), recent::kDelete);
  EXPECT_EQ(recent::action_command(recent::kStartup), menu::kRemove);
  EXPECT_EQ(recent::action_command(recent::kTasks), menu::kRemove);
  EXPECT_EQ(recent::action_command(recent::kIEHelper), menu::kRemove);
  EXPECT_EQ(recent::action_command(recent::kServices), recent::kStop);
  EXPECT_EQ(recent::action_command(recent::kActiveX), 0);
  EXPECT_EQ(recent::action_string(0), 0);
  EXPECT_NE(recent::action_string(recent::kStop), recent::action_string(menu::kRemove));
}

TEST(RecentPage, AnActionFindsTheRowsOwnItemAgainOrNothing) {
  const StartupItem mine{"Agent", "C:\\agent.exe", "", 11, 0, ""};
  // A re-listing put another entry of the same program in front of it.
  std::vector<StartupItem> fresh{{"Other", "C:\\agent.exe", "", 11, 0, ""},
                                 {"Agent", "C:\\agent.exe", "", 1, 0, ""},
                                 {"Agent", "C:\\agent.exe", "", 11, 0, ""}};
  EXPECT_EQ(recent::find_again(fresh, mine), 2u);
  fresh.pop_back();
  EXPECT_FALSE(recent::find_again(fresh, mine));
}

TEST(RecentPage, MenuFollowsTheRowsKind) {
  const auto has = [](const std::vector<MenuEntry>& m, int command) {
    return std::any_of(m.begin(), m.end(), [&](const MenuEntry& e) { return e.command == command; });
  };
  EXPECT_TRUE(has(recent::recent_menu(recent::kStartup, false), menu::kRemove));
  EXPECT_TRUE(has(recent::recent_menu(recent::kActive, false), recent::kKill));
  EXPECT_TRUE(has(recent::recent_menu(recent::kHidden, true), recent::kDelete));
  EXPECT_TRUE(has(recent::recent_menu(recent::kHidden, true), menu::kViewNote));
  EXPECT_FALSE(has(recent::recent_menu(recent::kServices, false), menu::kRemove));
  EXPECT_TRUE(has(recent::recent_menu(recent::kIEHelper, false), menu::kRemove));
  EXPECT_FALSE(has(recent::recent_menu(recent::kActiveX, false), menu::kRemove));
  EXPECT_TRUE(has(recent::recent_menu(recent::kStartup, true), menu::kViewNote));
  EXPECT_FALSE(has(recent::recent_menu(recent::kActiveX, false), menu::kViewNote));
  const auto m = recent::recent_menu(recent::kActiveX, false);
  EXPECT_EQ(m.back().command, menu::kDeleteOnReboot);
}
