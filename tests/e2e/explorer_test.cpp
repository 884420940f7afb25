// The explorer as a user meets it: the list shows what the registry holds, which page opens,
// where the sheet goes, what it remembers, a second start hands its page to the first, "-Q"
// ends it, and the repair switches act without a window.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "tests/e2e/e2e_support_win.hpp"
#include "tools/denied_key.hpp"

namespace kestrom::e2e {
namespace {

using test::delete_value;
using test::get_value;
using test::set_value;
using test::poll;

inline constexpr const char* kClass = "KestromEx";

int current_tab(HWND sheet) {
  DWORD_PTR tab = 0, sel = 0;
  if (!SendMessageTimeoutA(sheet, PSM_GETTABCONTROL, 0, 0, SMTO_ABORTIFHUNG, 5000, &tab) || !tab) return -1;
  if (!SendMessageTimeoutA(reinterpret_cast<HWND>(tab), TCM_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &sel)) return -1;
  return static_cast<int>(sel);
}


class ExplorerSheet : public ::testing::Test {
 protected:
  void SetUp() override { reset_state(); }
  void TearDown() override { reset_state(); }
};

TEST_F(ExplorerSheet, OpensOnThePageOfTheSwitchOrOfStartTab) {
  struct Case {
    const char* start_tab;  // nullptr: not stored
    const char* arguments;
    bool options;  // false: Startup Programs, the first tab
  };
  // The choice itself is the switch rules' (native tests); here: the sheet follows it.
  const Case cases[] = {{"6033", "", true}, {"6033", "-START", false}, {nullptr, "-OPTIONS", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("StartTab ") + (c.start_tab ? c.start_tab : "(none)") + ", switches " + c.arguments);
    reset_state();
    if (c.start_tab) set_value(HKEY_CURRENT_USER, kOptions, "StartTab", c.start_tab);
    Process e = start_explorer(c.arguments);
    ASSERT_TRUE(e);
    HWND sheet = dialog_of(e.pid);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(current_tab(sheet), c.options ? options_tab(sheet) : 0);
    EXPECT_EQ(quit_explorer(e), 0);
  }
}

TEST_F(ExplorerSheet, ClosingTheSheetSavesPositionStartTabAndColumnWidths) {
  set_value(HKEY_CURRENT_USER, kOptions, "Column60260", "123");
  set_value(HKEY_CURRENT_USER, kOptions, "Column60261", "wide");  // junk: the default share
  Process e = start_explorer("-START");
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = page_list(sheet);
  ASSERT_NE(list, nullptr);
  DWORD_PTR w0 = 0, w1 = 0;
  SendMessageTimeoutA(list, LVM_GETCOLUMNWIDTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &w0);
  SendMessageTimeoutA(list, LVM_GETCOLUMNWIDTH, 1, 0, SMTO_ABORTIFHUNG, 5000, &w1);
  EXPECT_EQ(w0, 123u);
  EXPECT_GT(w1, 20u);
  EXPECT_NE(w1, 123u);
  // The sheet's own close (the title bar's X) ends the program.
  PostMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(wait_exit(e), 0);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOptions, "StartTab"), "6026");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOptions, "Column60260"), "123");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOptions, "Column60261"), std::to_string(w1));
  EXPECT_TRUE(test::value_exists(HKEY_CURRENT_USER, kProduct, "xPos"));
  EXPECT_TRUE(test::value_exists(HKEY_CURRENT_USER, kProduct, "dyPos"));
}

TEST_F(ExplorerSheet, SwitchingTabsSavesTheLeavingPagesWidthsAndPosition) {
  Process e = start_explorer("-START");
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  ASSERT_TRUE(poll([&] { return shown_list(sheet) != nullptr; }));
  EXPECT_FALSE(test::value_exists(HKEY_CURRENT_USER, kOptions, "Column60264"));
  const int options = options_tab(sheet);
  ASSERT_GT(options, 0);
  PostMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(options), 0);
  ASSERT_TRUE(poll([&] { return current_tab(sheet) == options; }));
  ASSERT_TRUE(poll([&] { return test::value_exists(HKEY_CURRENT_USER, kOptions, "Column60264"); }));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOptions, "StartTab"), "6026");
  EXPECT_TRUE(test::value_exists(HKEY_CURRENT_USER, kProduct, "xPos"));
  // Closing on the Options page remembers that page.
  PostMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(wait_exit(e), 0);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOptions, "StartTab"), "6033");
}

RECT rect_in(HWND parent, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(ExplorerSheet, ResizingTheSheetRelaysTheListAndKeepsTheButtonsOnThePage) {
  Process e = start_explorer("-START");
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = page_list(sheet);
  ASSERT_NE(list, nullptr);
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
  ASSERT_TRUE(poll([&] {
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
  EXPECT_EQ(quit_explorer(e), 0);
}

TEST_F(ExplorerSheet, ClickingAColumnTwiceSortsUpThenDownAndStoresTheColumnOnce) {
  set_value(HKEY_CURRENT_USER, kUserRun, "KxOne", "C:\\kx\\b.exe");
  set_value(HKEY_CURRENT_USER, kUserRun, "KxTwo", "C:\\kx\\a.exe");
  Process e = start_explorer("-START");
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = page_list(sheet);
  ASSERT_NE(list, nullptr);
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
  ASSERT_TRUE(poll([&] { return order() == std::vector<std::string>{"KxTwo", "KxOne"}; })) << order().size();
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOptions, "SortStartup"), "2");
  click_command_column();
  ASSERT_TRUE(poll([&] { return order() == std::vector<std::string>{"KxOne", "KxTwo"}; }));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOptions, "SortStartup"), "2");
  EXPECT_EQ(quit_explorer(e), 0);
  for (const char* n : {"KxOne", "KxTwo"}) delete_value(HKEY_CURRENT_USER, kUserRun, n);
}



class ExplorerEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_state();
    delete_value(HKEY_CURRENT_USER, kUserRun, kEntry);
  }
  void TearDown() override {
    reset_state();
    delete_value(HKEY_CURRENT_USER, kUserRun, kEntry);
  }
  static constexpr const char* kEntry = "Probe E2E Entry";
};

TEST_F(ExplorerEndToEnd, ListsARunEntryAndStaysSingleInstance) {
  const std::string program = test::fixture("KestromEx.exe");
  set_value(HKEY_CURRENT_USER, kUserRun, kEntry, "\"" + program + "\" -probe");

  Process first = start_explorer("-START");
  ASSERT_TRUE(first);
  HWND sheet = dialog_of(first.pid);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(current_tab(sheet), 0);
  HWND list = page_list(sheet);
  ASSERT_NE(list, nullptr);

  std::vector<std::string> row;
  ASSERT_TRUE(poll([&] {
    for (const auto& r : driver::read_list_view(list, 5))
      if (!r.empty() && r[0] == kEntry) {
        row = r;
        return true;
      }
    return false;
  }));
  ASSERT_EQ(row.size(), 5u);
  EXPECT_EQ(row[1].rfind("KestromEx.exe", 0), 0u) << row[1];  // from the file name on
  EXPECT_EQ(row[2], "Orvane");
  EXPECT_EQ(row[3], "HKCU_RUN");
  EXPECT_FALSE(row[4].empty());  // first sighting recorded now
  EXPECT_TRUE(test::screenshot("explorer_startup_page"));

  // A second start posts its page to the first and ends without a window of its own.
  Process second = start_explorer("-START");
  EXPECT_EQ(wait_exit(second), 0);
  EXPECT_EQ(window_count(kClass), 1u);
  EXPECT_TRUE(IsWindow(sheet));
  EXPECT_TRUE(still_running(first));

  // "-Q" ends the first instance.
  Process q = start_explorer("-Q");
  EXPECT_EQ(wait_exit(q), 0);
  EXPECT_EQ(wait_exit(first), 0);
  EXPECT_EQ(window_count(kClass), 0u);
  // Without a running explorer "-Q" just ends.
  EXPECT_EQ(wait_exit(start_explorer("-Q")), 0);
  EXPECT_EQ(window_count(kClass), 0u);
}

TEST_F(ExplorerEndToEnd, RepairSwitchesActAndEndWithoutAWindow) {
  const char* prefixes = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes";
  const char* default_prefix = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\DefaultPrefix";
  const char* auto_update = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update";
  const char* menu_entry = "exefile\\shell\\Kestrom VANT";

  // No stored prefix: the default one is written back.
  set_value(HKEY_LOCAL_MACHINE, prefixes, "www", "ftp://");
  EXPECT_EQ(wait_exit(start_explorer("-SetPrefix")), 0);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, prefixes, "www"), "http://");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, default_prefix, ""), "http://");
  set_value(HKEY_CURRENT_USER, kProduct, "wwwPrefix", "https://");
  EXPECT_EQ(wait_exit(start_explorer("-setprefix")), 0);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, prefixes, "www"), "https://");

  test::set_dword(HKEY_CURRENT_USER, kProduct, "AUOptions", 2);
  EXPECT_EQ(wait_exit(start_explorer("-AUOption -START")), 0);
  DWORD written = 0, size = sizeof written;
  EXPECT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, auto_update, "AUOptions", RRF_RT_REG_DWORD, nullptr, &written, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(written, 2u);

  set_value(HKEY_CLASSES_ROOT, std::string(menu_entry) + "\\command", "", "x");
  EXPECT_EQ(wait_exit(start_explorer("-Restore -START")), 0);
  EXPECT_FALSE(test::key_exists(HKEY_CLASSES_ROOT, menu_entry));

  EXPECT_EQ(window_count(kClass), 0u);
  delete_value(HKEY_LOCAL_MACHINE, auto_update, "AUOptions");
}

// "-Restore" resets only a translated interface: with the English table nothing is reset, so
// the remembered window positions stay.
TEST_F(ExplorerSheet, RestoreKeepsTheWindowPositionsOfAnEnglishInterface) {
  set_value(HKEY_CURRENT_USER, kProduct, "xPos", "123");
  EXPECT_EQ(wait_exit(start_explorer("-Restore")), 0);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kProduct, "xPos"), "123");
}

// For a standard user the start-with-Windows entry under HKLM cannot be changed: the explorer
// says so, changes nothing, and on Yes starts again as administrator on the page on show.
TEST_F(ExplorerSheet, RefusedAlwaysRunChangeOffersAnElevatedRestartOnTheSamePage) {
  const char* machine_run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  Process first = start_explorer("-OPTION");
  ASSERT_TRUE(first);
  HWND sheet = dialog_of(first.pid);
  ASSERT_NE(sheet, nullptr);
  const int options_tab = current_tab(sheet);
  const std::string entry = get_value(HKEY_LOCAL_MACHINE, machine_run, "Kestrom");
  ASSERT_NE(entry, "<missing>") << "the first start installs the start-with-Windows entry";
  driver::WindowQuery owners;
  owners.class_name = kClass;
  owners.process_id = first.pid;
  const auto owner = driver::find_windows(owners);
  ASSERT_EQ(owner.size(), 1u);
  {
    test::DeniedKey run(HKEY_LOCAL_MACHINE, machine_run);
    ASSERT_TRUE(run.denied);
    PostMessageA(owner[0], WM_COMMAND, MAKEWPARAM(6031, 0), 0);
    HWND box = box_saying(first.pid, "administrator");
    ASSERT_NE(box, nullptr) << "the refusal was not told";
    // Owned by the sheet: a box owned by the hidden main window may show behind the sheet.
    EXPECT_EQ(GetWindow(box, GW_OWNER), sheet);
    test::screenshot("explorer_refused_always_run");
    EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, machine_run, "Kestrom"), entry);
    driver::press(box, IDYES);
    EXPECT_EQ(wait_exit(first), 0);
  }
  driver::WindowQuery any;
  any.class_name = kClass;
  HWND again = nullptr;
  ASSERT_TRUE(poll([&] {
    auto found = driver::find_windows(any);
    return !found.empty() && (again = found[0]) != nullptr;
  })) << "no explorer started again";
  DWORD pid = 0;
  GetWindowThreadProcessId(again, &pid);
  HWND second_sheet = dialog_of(pid);
  ASSERT_NE(second_sheet, nullptr);
  EXPECT_EQ(current_tab(second_sheet), options_tab);
}

// A repair that Windows refuses (the Explorer menu entry under HKCR, for a standard user)
// leaves the key as it was and says so before the explorer ends.
TEST_F(ExplorerSheet, RefusedRepairIsToldAndChangesNothing) {
  const char* menu_entry = "exefile\\shell\\Kestrom VANT";
  set_value(HKEY_CLASSES_ROOT, menu_entry, "", "x");
  {
    test::DeniedKey shell(HKEY_CLASSES_ROOT, "exefile\\shell");
    test::DeniedKey entry(HKEY_CLASSES_ROOT, menu_entry);
    ASSERT_TRUE(shell.denied && entry.denied);
    Process repair = start_explorer("-Restore");
    ASSERT_TRUE(repair);
    HWND box = box_saying(repair.pid, "administrator");
    ASSERT_NE(box, nullptr) << "the refusal was not told";
    driver::press(box, IDOK);
    EXPECT_EQ(wait_exit(repair), 0);
    EXPECT_EQ(get_value(HKEY_CLASSES_ROOT, menu_entry, ""), "x");
  }
  test::delete_tree(HKEY_CLASSES_ROOT, menu_entry);
}

}  // namespace
}  // namespace kestrom::e2e
