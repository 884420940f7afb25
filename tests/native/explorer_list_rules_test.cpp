#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "explorer/list_rules.hpp"
#include "explorer/page_switch.hpp"
#include "explorer/sheet_geometry.hpp"

namespace kestrom::explorer {
namespace {

TEST(ExplorerColumns, StoredWidthWinsOnlyWhenItIsAPositiveNumber) {
  EXPECT_EQ(column_width("123", 0.30, 600), 123);
  EXPECT_EQ(column_width(" 77px", 0.30, 600), 77);  // leading digits, as the C library reads them
  EXPECT_EQ(column_width("", 0.30, 600), 180);
  EXPECT_EQ(column_width("0", 0.30, 600), 180);
  EXPECT_EQ(column_width("wide", 0.16, 600), 96);
  EXPECT_EQ(column_width("-40", 0.16, 600), 96);
  EXPECT_EQ(column_width("99999999999999999999", 0.20, 500), 100);  // over-long text: not a width
  EXPECT_EQ(column_width("", 0.20, -5), 0);
}

TEST(ExplorerSortKeys, FirstDetectedKeyRaisesPmHoursOnly) {
  EXPECT_EQ(first_detected_key("03/07/2009 9:05 PM"), "200903072105");
  EXPECT_EQ(first_detected_key("03/07/2009 10:00 AM"), "200903071000");
  EXPECT_EQ(first_detected_key("03/07/2009 12:30 AM"), "200903071230");  // noon is written AM
  EXPECT_EQ(first_detected_key("2009-03-07 21:05"), "200903072105");
  EXPECT_EQ(first_detected_key("2009/03/07 08:05"), "200903070805");
  EXPECT_EQ(first_detected_key("07-Mar-2009 09:05 PM"), "200903072105");
  // 9:05 PM sorts after 10:00 AM of the same day.
  EXPECT_LT(compare_keys(first_detected_key("03/07/2009 10:00 AM"), first_detected_key("03/07/2009 9:05 PM")), 0);
}

TEST(ExplorerSortKeys, ShortOrJunkDatesGiveOneBlank) {
  EXPECT_EQ(first_detected_key(""), " ");
  EXPECT_EQ(first_detected_key("3/7/09 9:05"), " ");
  EXPECT_EQ(first_detected_key("not a date at all"), " ");
  EXPECT_EQ(first_detected_key("13/45/2009 9:05 PM"), " ");
  EXPECT_EQ(first_detected_key("03/07/2009 99:05 PM"), " ");
}

TEST(ExplorerSortKeys, CommandTypeAndDelayKeys) {
  EXPECT_EQ(file_name_key("C:\\Program Files\\Acme\\acme.exe /x"), "acme.exe /x");
  EXPECT_EQ(file_name_key("acme.exe"), "acme.exe");
  EXPECT_EQ(file_name_key("C:\\a\\b.exe /s:c:/x"), "b.exe /s:c:/x");
  EXPECT_EQ(code_key(250), "250");
  EXPECT_EQ(delay_key(5), "0005");
  EXPECT_EQ(delay_key(12345), "12345");
  EXPECT_EQ(compare_keys("ABC", "abd"), -1);
  EXPECT_EQ(compare_keys("abc", "ABC"), 0);
  // Type keys compare as text: "100" before "11".
  EXPECT_LT(compare_keys(code_key(100), code_key(11)), 0);
}

TEST(ExplorerSortKeys, StartupComparatorKeepsDisabledEntriesLast) {
  std::vector<StartupKey> rows{{"beta", false}, {"alpha", true}, {"gamma", false}, {"delta", true}};
  for (int flag : {0, 1}) {
    auto sorted = rows;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [flag](const StartupKey& a, const StartupKey& b) { return compare_startup(a, b, flag) < 0; });
    EXPECT_FALSE(sorted[0].disabled);
    EXPECT_FALSE(sorted[1].disabled);
    EXPECT_TRUE(sorted[2].disabled);
    EXPECT_TRUE(sorted[3].disabled);
    EXPECT_EQ(sorted[0].key, flag == 0 ? "beta" : "gamma");
  }
  // A key that begins with the whole other key compares equal.
  EXPECT_EQ(compare_startup({"Acme", false}, {"acme updater", false}, 0), 0);
}

// Every page but Startup Programs: case-blind, a key that begins with the whole other key sorts
// before it (not level with it, as on the Startup page), and descending is the exact reverse.
TEST(ExplorerSortKeys, KeyComparatorOrdersPrefixesAndReversesDescending) {
  const std::vector<std::string> keys{"acme updater", "Beta", "ACME", "", "beta"};
  const RowComparator compare = key_comparator([&](int index, int column) {
    return column == 0 ? keys[static_cast<std::size_t>(index)] : std::string();
  });
  for (int flag : {0, 1}) {
    std::vector<int> rows{0, 1, 2, 3, 4};
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) { return compare(a, b, 0, flag) < 0; });
    const std::vector<int> want = flag == 0 ? std::vector<int>{3, 2, 0, 1, 4} : std::vector<int>{1, 4, 0, 2, 3};
    EXPECT_EQ(rows, want) << "flag " << flag;
  }
  // A column without a key leaves every row level.
  EXPECT_EQ(compare(0, 1, 4, 0), 0);
}

TEST(ExplorerSortDirections, SecondClickSortsTheOtherWay) {
  SortDirections d;
  EXPECT_EQ(d.take(2), 0);
  EXPECT_EQ(d.take(2), 1);
  EXPECT_EQ(d.take(2), 0);
  EXPECT_EQ(d.flag(1), 0);
  d.take(1);
  d.reset(0, 5);
  EXPECT_EQ(d.flag(1), 0);
  EXPECT_EQ(d.take(99), 0);  // out of range never touches memory
}

TEST(ExplorerMenus, StartupMenuByCodeAndState) {
  auto has = [](const std::vector<MenuEntry>& m, int c) {
    return std::any_of(m.begin(), m.end(), [c](const MenuEntry& e) { return e.command == c; });
  };
  auto run = startup_menu(2, false, false);
  EXPECT_TRUE(has(run, menu::kDisable));
  EXPECT_FALSE(has(run, menu::kEnable));
  EXPECT_TRUE(has(run, menu::kMoveToDelay));
  EXPECT_FALSE(has(run, menu::kViewNote));
  EXPECT_EQ(run.back().command, menu::kHelp);
  EXPECT_EQ(run[run.size() - 3].command, menu::kLookup);
  auto off = startup_menu(2, true, true);
  EXPECT_TRUE(has(off, menu::kEnable));
  EXPECT_TRUE(has(off, menu::kViewNote));
  auto shell = startup_menu(251, false, false);
  EXPECT_FALSE(has(shell, menu::kRemove));
  EXPECT_FALSE(has(shell, menu::kMoveToDelay));
  EXPECT_TRUE(has(shell, menu::kAdd));
  std::vector<MenuEntry> cookies;
  append_common_menu_end(cookies, cmd::kCookies);
  EXPECT_FALSE(has(cookies, menu::kLog));
}

// The Scheduled Tasks and IE Helpers menus carry the program's own entries and the removal
// commands; ActiveX only the common end; the note entry only when a note exists.
TEST(ExplorerMenus, BrowserAndTaskPagesMenus) {
  auto commands = [](const std::vector<MenuEntry>& m) {
    std::vector<int> out;
    for (const auto& e : m) out.push_back(e.command);
    return out;
  };
  const std::vector<int> helpers = commands(browser_page_menu(cmd::kIEHelpers, false));
  const std::vector<int> expected_start{menu::kInfo, menu::kExploreFolder, menu::kProperties, menu::kRemove,
                                        menu::kDeleteOnReboot};
  ASSERT_GT(helpers.size(), expected_start.size());
  EXPECT_TRUE(std::equal(expected_start.begin(), expected_start.end(), helpers.begin()));
  EXPECT_EQ(helpers.back(), menu::kHelp);
  EXPECT_EQ(commands(browser_page_menu(cmd::kScheduledTasks, false)), helpers);
  const std::vector<int> noted = commands(browser_page_menu(cmd::kIEHelpers, true));
  ASSERT_EQ(noted.size(), helpers.size() + 1);
  EXPECT_EQ(noted[3], menu::kViewNote);
  std::vector<MenuEntry> end;
  append_common_menu_end(end, cmd::kActiveX);
  EXPECT_EQ(commands(browser_page_menu(cmd::kActiveX, true)), commands(end));
}

// The Executable column names the program an open command starts, not the command's tail.
TEST(ExplorerFileTypes, ExecutableIsTheProgramsFileName) {
  EXPECT_EQ(executable_of_command("C:\\Program Files\\X App\\x.exe C:\\docs\\%1"), "x.exe");
  EXPECT_EQ(executable_of_command("C:\\Windows\\system32\\rundll32.exe C:\\Windows\\system32\\shimgvw.dll,"
                                  "ImageView_Fullscreen %1"),
            "rundll32.exe");
  EXPECT_EQ(executable_of_command("%SystemRoot%\\system32\\NOTEPAD.EXE %1"), "NOTEPAD.EXE");
  EXPECT_EQ(executable_of_command("wordpad.exe /p %1"), "wordpad.exe");
  EXPECT_EQ(executable_of_command("C:\\Tools\\viewer.ocx"), "viewer.ocx");
  EXPECT_EQ(executable_of_command(""), "");
}

TEST(ExplorerHelp, PageNamesWithLanguagePrefix) {
  EXPECT_EQ(help_page_name(cmd::kStartup, "de"), "de_startup.html");
  EXPECT_EQ(help_page_name(cmd::kRecent, "us"), "features.html");
}

TEST(ExplorerGeometry, StoredPositionIsClampedToTheVirtualScreen) {
  Size vs{1280, 1024}, screen{1280, 1024}, win{600, 400};
  auto p = place_sheet({"5000", "100", "", ""}, vs, screen, win);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 100);
  EXPECT_FALSE(p.size);
  p = place_sheet({"10", "2000", "700", "9000"}, vs, screen, win);
  EXPECT_EQ(p.x, 10);
  EXPECT_EQ(p.y, 0);
  EXPECT_FALSE(p.size);  // a height past the screen reads 0: the sheet keeps its own size
  p = place_sheet({"10", "20", "700", "500"}, vs, screen, win);
  ASSERT_TRUE(p.size);
  EXPECT_EQ(p.size->w, 700);
  p = place_sheet({"", "", "", ""}, vs, screen, win);
  EXPECT_EQ(p.x, 340);
  EXPECT_EQ(p.y, 208);
}

TEST(ExplorerGeometry, SheetAndPageFollowTheResize) {
  auto l = sheet_layout({800, 600}, false);
  EXPECT_EQ(l.tab.w, 780);
  EXPECT_EQ(l.tab.h, 533);
  EXPECT_EQ(l.close_button.x, 708);
  EXPECT_EQ(l.page.h, 488);
  EXPECT_EQ(sheet_layout({800, 600}, true).page.h, 498);
  EXPECT_EQ(minimum_track_size({500, 400}).h, 368);

  DialogUnits du{1.0, 1.0};
  PageParts parts;
  parts.button_count = 5;
  parts.button_w = 60;
  parts.button_h = 20;
  auto pl = page_layout({800, 600}, false, du, parts);
  EXPECT_EQ(pl.list.x, 7);
  EXPECT_EQ(pl.list.w, 800 - 21 - 20);
  ASSERT_EQ(pl.buttons.size(), 5u);
  EXPECT_EQ(pl.buttons[0].x, 7);
  EXPECT_EQ(pl.buttons[4].w, 35);
  // The gap spreads the buttons across the list's width.
  EXPECT_EQ(pl.buttons[3].x + 60 + (759 - 300) / 4, pl.buttons[4].x - 25);
  parts.button_count = 1;
  pl = page_layout({800, 600}, false, du, parts);
  EXPECT_EQ(pl.buttons[0].x, 370);

  // On a page with a single tab row, the row is moved down but stays inside the page, and the
  // list ends above it.
  parts.button_count = 5;
  DialogUnits tahoma{1.5, 1.625};
  for (bool single : {false, true}) {
    auto fit = page_layout(sheet_size_for_page({600, 380}, single), single, tahoma, parts);
    EXPECT_LE(fit.button_y + parts.button_h, 380) << single;
    EXPECT_LE(fit.list.y + fit.list.h, fit.button_y) << single;
  }
  EXPECT_EQ(sheet_size_for_page({600, 380}, false).h, 492);
  parts.button_count = 1;

  // A caption that reaches below the list's top pushes the list down, keeping its bottom.
  DialogUnits small{1.0, 1.0};
  auto before = page_layout({800, 600}, false, small, parts);
  parts.monitor_caption = {40, 20};
  auto pushed = page_layout({800, 600}, false, small, parts);
  EXPECT_EQ(pushed.list.y, 60 + 20 + 2);
  EXPECT_EQ(pushed.list.y + pushed.list.h, before.list.y + before.list.h);

  // At 96 DPI the images and captions keep their rows; at 144 DPI the larger images push the
  // parts below them down instead of running under them.
  PageParts icons = parts;
  icons.help_image = {20, 20};
  icons.help_caption = {40, 12};
  icons.monitor_image = {20, 20};
  icons.monitor_caption = {40, 12};
  auto at96 = page_layout({800, 600}, false, small, icons);
  EXPECT_EQ(at96.help_caption.y, 25);
  EXPECT_EQ(at96.monitor_image.y, 38);
  EXPECT_EQ(at96.monitor_caption.y, 60);
  icons.help_image = icons.monitor_image = {30, 30};
  icons.help_caption = icons.monitor_caption = {60, 18};
  auto at144 = page_layout({800, 600}, false, small, icons);
  EXPECT_GT(at144.help_caption.y, at144.help_image.y + at144.help_image.h);
  EXPECT_GT(at144.monitor_image.y, at144.help_caption.y + at144.help_caption.h);
  EXPECT_GT(at144.monitor_caption.y, at144.monitor_image.y + at144.monitor_image.h);
}

}  // namespace
}  // namespace kestrom::explorer
