#include <gtest/gtest.h>

#include <string>

#include "explorer/page_switch.hpp"

namespace kestrom::explorer {
namespace {

TEST(ExplorerSwitches, FixedOrderDecidesNotTheOrderOnTheLine) {
  // "-TASK" is tested after "-START": Active Tasks wins whichever comes first on the line.
  EXPECT_EQ(start_page("KestromEx.exe -TASK -START", 0), cmd::kActiveTasks);
  EXPECT_EQ(start_page("KestromEx.exe -START -TASK", 0), cmd::kActiveTasks);
  // "-RESTART" holds "-START" but is tested last, so it opens Options.
  EXPECT_EQ(start_page("KestromEx.exe -RESTART", 0), cmd::kOptions);
  EXPECT_EQ(start_page("x -EXIT -START", 0), cmd::kExitRequest);
}

TEST(ExplorerSwitches, SwitchesMatchInsideLongerWordsAndIgnoreCase) {
  EXPECT_EQ(start_page("-COOKIES", 0), cmd::kShowCookies);
  EXPECT_EQ(start_page("-nuts", 0), cmd::kCookies);
  EXPECT_EQ(start_page("-Options", 0), cmd::kOptions);
  EXPECT_EQ(start_page("-FILETYPES", 0), cmd::kFileTypes);
  EXPECT_EQ(start_page("-services", 0), cmd::kServices);
}

TEST(ExplorerSwitches, StoredStartTabIsTheDefaultAndLowValuesMeanStartup) {
  EXPECT_EQ(start_page("KestromEx.exe", cmd::kServices), cmd::kServices);
  EXPECT_EQ(start_page("KestromEx.exe", 0), cmd::kStartup);
  EXPECT_EQ(start_page("KestromEx.exe", 6025), cmd::kStartup);
  EXPECT_EQ(start_page("KestromEx.exe", -7), cmd::kStartup);
  EXPECT_EQ(start_page("KestromEx.exe -START", cmd::kOptions), cmd::kStartup);
}

TEST(ExplorerSwitches, OverLongCommandLineFindsNothing) {
  std::string line = "KestromEx.exe -TASK -Q -Restore " + std::string(800, 'x');
  EXPECT_EQ(start_page(line, cmd::kOptions), cmd::kOptions);
  EXPECT_FALSE(quit_switch(line));
  EXPECT_EQ(repair_switch(line), Repair::None);
}

TEST(ExplorerSwitches, RepairsAreTestedInTheirOrder) {
  EXPECT_EQ(repair_switch("x -setprefix -auoption -restore"), Repair::Restore);
  EXPECT_EQ(repair_switch("x -SetPrefix -AUOption"), Repair::AUOption);
  EXPECT_EQ(repair_switch("x -SETPREFIX"), Repair::SetPrefix);
  EXPECT_EQ(repair_switch("x -START"), Repair::None);
}

TEST(ExplorerSwitches, SecondInstancePostsQuitOrThePage) {
  EXPECT_EQ(command_for_first_instance("x -q", 0), cmd::kQuit);
  EXPECT_EQ(command_for_first_instance("x -START -Q", 0), cmd::kQuit);
  EXPECT_EQ(command_for_first_instance("x -SERVICE", 0), cmd::kServices);
}

TEST(ExplorerStartCount, WrapsAfterSixAndPrunesOneCategoryPerStart) {
  auto c = advance_start_count(6);
  EXPECT_EQ(c.value, 0);
  ASSERT_TRUE(c.prune_category);
  EXPECT_EQ(*c.prune_category, "Tasks");
  const char* expected[] = {"ActiveTasks", "Services", "Hidden", "IEHelper", "Startup"};
  for (int stored = 0; stored < 5; ++stored) {
    c = advance_start_count(stored);
    EXPECT_EQ(c.value, stored + 1);
    ASSERT_TRUE(c.prune_category);
    EXPECT_EQ(*c.prune_category, expected[stored]);
  }
  c = advance_start_count(5);
  EXPECT_EQ(c.value, 6);
  EXPECT_FALSE(c.prune_category);
  // Junk stored values neither overflow nor prune out of turn.
  EXPECT_EQ(advance_start_count(2147483647).value, 0);
  EXPECT_FALSE(advance_start_count(-5).prune_category);
  EXPECT_EQ(advance_start_count(-1).value, 0);
}

TEST(ExplorerPages, StartIndexFollowsTheBuiltPages) {
  const PageDef* built[] = {&kPages[0], &kPages[11]};  // Startup and Options only
  EXPECT_EQ(start_index(built, 2, cmd::kOptions), 1u);
  EXPECT_EQ(start_index(built, 2, cmd::kStartup), 0u);
  EXPECT_EQ(start_index(built, 2, cmd::kServices), 0u);  // not built yet: first page
  EXPECT_TRUE(is_page_command(cmd::kRecent));
  EXPECT_FALSE(is_page_command(cmd::kQuit));
}

}  // namespace
}  // namespace kestrom::explorer

// The elevated restart reopens the page on show: each page's switch must open that page.
TEST(ExplorerSwitches, EveryPageHasASwitchThatOpensIt) {
  using namespace kestrom::explorer;
  for (const auto& p : kPages) {
    const auto sw = page_switch(p.command);
    ASSERT_TRUE(sw.has_value()) << p.command;
    EXPECT_EQ(start_page(*sw, 0), p.command) << *sw;
  }
  EXPECT_FALSE(page_switch(cmd::kQuit).has_value());
  EXPECT_FALSE(page_switch(0).has_value());
}
