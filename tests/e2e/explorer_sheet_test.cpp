// The explorer's sheet as a user meets it: which page opens, where the sheet goes, what it
// remembers, and the start counter's pruning.
#include <gtest/gtest.h>

#include "tests/e2e/explorer_harness.hpp"

namespace kestrom::e2e::ex {
namespace {

class ExplorerSheet : public ::testing::Test {
 protected:
  void SetUp() override { reset_explorer_state(); }
  void TearDown() override { reset_explorer_state(); }
};

TEST_F(ExplorerSheet, OpensOnThePageOfTheSwitchOrOfStartTab) {
  struct Case {
    const char* start_tab;  // nullptr: not stored
    const char* arguments;
    int tab;  // 0 Startup Programs, 1 Options
  };
  const Case cases[] = {{"6033", "", 1},       {"6033", "-START", 0}, {nullptr, "-OPTIONS", 1},
                        {"0", "", 0},          {"6026", "-RESTART", 1}, {"6033", "-TASK -START", 0},
                        {"junk", "", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("StartTab ") + (c.start_tab ? c.start_tab : "(none)") + ", switches " + c.arguments);
    reset_explorer_state();
    if (c.start_tab) write_value(HKEY_CURRENT_USER, kOptions, "StartTab", c.start_tab);
    Explorer e = start_explorer(c.arguments);
    ASSERT_TRUE(e);
    HWND sheet = sheet_of(e.pid);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(current_tab(sheet), c.tab);
    EXPECT_EQ(quit(e), 0);
  }
}

TEST_F(ExplorerSheet, StoredXBeyondTheVirtualScreenPutsTheSheetAtZero) {
  write_value(HKEY_CURRENT_USER, kProduct, "xPos", "50000");
  write_value(HKEY_CURRENT_USER, kProduct, "yPos", "120");
  Explorer e = start_explorer("-START");
  HWND sheet = sheet_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  RECT r{};
  ASSERT_TRUE(wait_until([&] { return GetWindowRect(sheet, &r) && r.left == 0; }, 5000))
      << "left " << r.left << " top " << r.top;
  EXPECT_EQ(r.top, 120);
  EXPECT_EQ(quit(e), 0);
}

TEST_F(ExplorerSheet, ClosingTheSheetSavesPositionStartTabAndColumnWidths) {
  write_value(HKEY_CURRENT_USER, kOptions, "Column60260", "123");
  write_value(HKEY_CURRENT_USER, kOptions, "Column60261", "wide");  // junk: the default share
  Explorer e = start_explorer("-START");
  HWND sheet = sheet_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = nullptr;
  ASSERT_TRUE(wait_until([&] { return (list = list_of(sheet)) != nullptr; }));
  DWORD_PTR w0 = 0, w1 = 0;
  SendMessageTimeoutA(list, LVM_GETCOLUMNWIDTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &w0);
  SendMessageTimeoutA(list, LVM_GETCOLUMNWIDTH, 1, 0, SMTO_ABORTIFHUNG, 5000, &w1);
  EXPECT_EQ(w0, 123u);
  EXPECT_GT(w1, 20u);
  EXPECT_NE(w1, 123u);
  // The sheet's own close (the title bar's X) ends the program.
  PostMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(wait_exit(e), 0);
  EXPECT_EQ(read_value(HKEY_CURRENT_USER, kOptions, "StartTab"), "6026");
  EXPECT_EQ(read_value(HKEY_CURRENT_USER, kOptions, "Column60260"), "123");
  EXPECT_EQ(read_value(HKEY_CURRENT_USER, kOptions, "Column60261"), std::to_string(w1));
  EXPECT_FALSE(read_value(HKEY_CURRENT_USER, kProduct, "xPos").empty());
  EXPECT_FALSE(read_value(HKEY_CURRENT_USER, kProduct, "dyPos").empty());
}

TEST_F(ExplorerSheet, SwitchingTabsSavesTheLeavingPagesWidthsAndPosition) {
  Explorer e = start_explorer("-START");
  HWND sheet = sheet_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  ASSERT_TRUE(wait_until([&] { return list_of(sheet) != nullptr; }));
  EXPECT_EQ(read_value(HKEY_CURRENT_USER, kOptions, "Column60264"), "");
  PostMessageA(sheet, PSM_SETCURSEL, 1, 0);
  ASSERT_TRUE(wait_until([&] { return current_tab(sheet) == 1; }));
  ASSERT_TRUE(wait_until([&] { return !read_value(HKEY_CURRENT_USER, kOptions, "Column60264").empty(); }));
  EXPECT_EQ(read_value(HKEY_CURRENT_USER, kOptions, "StartTab"), "6026");
  EXPECT_FALSE(read_value(HKEY_CURRENT_USER, kProduct, "xPos").empty());
  // Closing on the Options page remembers that page.
  PostMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(wait_exit(e), 0);
  EXPECT_EQ(read_value(HKEY_CURRENT_USER, kOptions, "StartTab"), "6033");
}

TEST_F(ExplorerSheet, StartCountSixWrapsToZeroAndPrunesTasksOnly) {
  const char* tasks = "Software\\Orvane\\Detected\\Tasks";
  const char* startup = "Software\\Orvane\\Detected\\Startup";
  const std::string here = test::test_program_folder() + "\\KestromEx.exe";
  write_value(HKEY_CURRENT_USER, kOptions, "nCount", "6");
  write_value(HKEY_CURRENT_USER, tasks, "C:\\gone\\vanished.exe", "01/02/2009 9:05 PM");
  write_value(HKEY_CURRENT_USER, tasks, here.c_str(), "01/02/2009 9:05 PM");
  write_value(HKEY_CURRENT_USER, startup, "C:\\gone\\also-vanished.exe", "01/02/2009 9:05 PM");
  Explorer e = start_explorer("-START");
  ASSERT_NE(sheet_of(e.pid), nullptr);
  EXPECT_EQ(read_value(HKEY_CURRENT_USER, kOptions, "nCount"), "0");
  EXPECT_EQ(read_value(HKEY_CURRENT_USER, tasks, "C:\\gone\\vanished.exe"), "");
  EXPECT_EQ(read_value(HKEY_CURRENT_USER, tasks, here.c_str()), "01/02/2009 9:05 PM");
  EXPECT_EQ(read_value(HKEY_CURRENT_USER, startup, "C:\\gone\\also-vanished.exe"), "01/02/2009 9:05 PM");
  EXPECT_EQ(quit(e), 0);
  // The next start counts on and prunes the next category.
  Explorer again = start_explorer("-START");
  ASSERT_NE(sheet_of(again.pid), nullptr);
  EXPECT_EQ(read_value(HKEY_CURRENT_USER, kOptions, "nCount"), "1");
  EXPECT_EQ(quit(again), 0);
}

TEST_F(ExplorerSheet, StoredSortPutsDisabledEntriesLast) {
  const char* disabled = "Software\\Orvane\\Kestrom\\Disabled";
  write_value(HKEY_CURRENT_USER, kUserRun, "KxAlpha", "C:\\kx\\zulu.exe");
  write_value(HKEY_CURRENT_USER, kUserRun, "KxBravo", "C:\\kx\\alpha.exe");
  write_value(HKEY_CURRENT_USER, kUserRun, "KxCharlie", "C:\\kx\\mike.exe");
  write_value(HKEY_LOCAL_MACHINE, disabled, "KxBravo", "11");
  write_value(HKEY_CURRENT_USER, kOptions, "SortStartup", "2");  // by the Command column
  Explorer e = start_explorer("-START");
  HWND sheet = sheet_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = nullptr;
  ASSERT_TRUE(wait_until([&] { return (list = list_of(sheet)) != nullptr; }));
  std::vector<std::string> order;
  std::vector<std::string> types;
  for (const auto& row : driver::read_list_view(list, 5))
    if (!row.empty() && row[0].rfind("Kx", 0) == 0) {
      order.push_back(row[0]);
      types.push_back(row.size() > 3 ? row[3] : "");
    }
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[0], "KxCharlie");  // mike.exe before zulu.exe
  EXPECT_EQ(order[1], "KxAlpha");
  EXPECT_EQ(order[2], "KxBravo");  // alpha.exe, but disabled
  EXPECT_EQ(types[2], "   Disabled");
  EXPECT_EQ(types[0], "HKCU_RUN");
  EXPECT_EQ(quit(e), 0);
  for (const char* n : {"KxAlpha", "KxBravo", "KxCharlie"}) delete_value(HKEY_CURRENT_USER, kUserRun, n);
}

RECT rect_in(HWND parent, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(ExplorerSheet, ResizingTheSheetRelaysTheListAndKeepsTheButtonsOnThePage) {
  Explorer e = start_explorer("-START");
  HWND sheet = sheet_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = nullptr;
  ASSERT_TRUE(wait_until([&] { return (list = list_of(sheet)) != nullptr; }));
  EXPECT_NE(GetDlgItem(sheet, 6050), nullptr);  // the status bar
  DWORD_PTR images = 0;
  HWND tab = nullptr;
  for (const auto& c : driver::children(sheet))
    if (c.class_name == "SysTabControl32") tab = c.hwnd;
  ASSERT_NE(tab, nullptr);
  SendMessageTimeoutA(tab, TCM_GETIMAGELIST, 0, 0, SMTO_ABORTIFHUNG, 5000, &images);
  EXPECT_NE(images, 0u);

  RECT before{};
  GetWindowRect(list, &before);
  SetWindowPos(sheet, nullptr, 0, 0, 1000, 760, SWP_NOMOVE | SWP_NOZORDER);
  RECT after{};
  ASSERT_TRUE(wait_until([&] {
    GetWindowRect(list, &after);
    return after.right - after.left > before.right - before.left + 200;
  }));
  EXPECT_GT(after.bottom - after.top, before.bottom - before.top + 100);
  // Every button of the row lies inside the page, below the list.
  HWND page = GetParent(list);
  RECT page_client{};
  GetClientRect(page, &page_client);
  RECT list_in_page = rect_in(page, list);
  for (int id : {1008, 1064, 1003, 11, 1004}) {
    SCOPED_TRACE(id);
    HWND b = GetDlgItem(page, id);
    ASSERT_NE(b, nullptr);
    RECT r = rect_in(page, b);
    EXPECT_GE(r.top, list_in_page.bottom);
    EXPECT_LE(r.bottom, page_client.bottom);
    EXPECT_LE(r.right, page_client.right);
  }
  EXPECT_EQ(quit(e), 0);
}

TEST_F(ExplorerSheet, ClickingAColumnTwiceSortsUpThenDownAndStoresTheColumnOnce) {
  write_value(HKEY_CURRENT_USER, kUserRun, "KxOne", "C:\\kx\\b.exe");
  write_value(HKEY_CURRENT_USER, kUserRun, "KxTwo", "C:\\kx\\a.exe");
  Explorer e = start_explorer("-START");
  HWND sheet = sheet_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = nullptr;
  ASSERT_TRUE(wait_until([&] { return (list = list_of(sheet)) != nullptr; }));
  DWORD_PTR header = 0, w0 = 0;
  SendMessageTimeoutA(list, LVM_GETHEADER, 0, 0, SMTO_ABORTIFHUNG, 5000, &header);
  SendMessageTimeoutA(list, LVM_GETCOLUMNWIDTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &w0);
  ASSERT_NE(header, 0u);
  auto click_command_column = [&] {
    const LPARAM at = MAKELPARAM(static_cast<int>(w0) + 10, 5);  // inside the second column's header
    PostMessageA(reinterpret_cast<HWND>(header), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(reinterpret_cast<HWND>(header), WM_LBUTTONUP, 0, at);
  };
  auto order = [&] {
    std::vector<std::string> names;
    for (const auto& row : driver::read_list_view(list, 1))
      if (!row.empty() && row[0].rfind("Kx", 0) == 0) names.push_back(row[0]);
    return names;
  };
  click_command_column();
  ASSERT_TRUE(wait_until([&] { return order() == std::vector<std::string>{"KxTwo", "KxOne"}; })) << order().size();
  EXPECT_EQ(read_value(HKEY_CURRENT_USER, kOptions, "SortStartup"), "2");
  click_command_column();
  ASSERT_TRUE(wait_until([&] { return order() == std::vector<std::string>{"KxOne", "KxTwo"}; }));
  EXPECT_EQ(read_value(HKEY_CURRENT_USER, kOptions, "SortStartup"), "2");
  EXPECT_EQ(quit(e), 0);
  for (const char* n : {"KxOne", "KxTwo"}) delete_value(HKEY_CURRENT_USER, kUserRun, n);
}

}  // namespace
}  // namespace kestrom::e2e::ex
