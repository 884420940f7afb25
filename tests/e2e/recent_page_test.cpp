// The Recent page as a user meets it: fresh items listed newest first, and the action button
// acting on the row that is selected.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "explorer/resource_ids.h"
#include "tests/e2e/e2e_support_win.hpp"

namespace kestrom::e2e {
namespace {

using test::poll;

constexpr const char* kDetectedStartup = "Software\\Orvane\\Detected\\Startup";
constexpr const char* kSessionManager = "System\\CurrentControlSet\\Control\\Session Manager";
constexpr int kDeleteOnReboot = 1144;

HWND recent_list(HWND sheet) {
  HWND found = nullptr;
  poll([&] {
    for (const auto& c : driver::children(sheet))
      if (c.id == IDC_LIST && c.class_name == "SysListView32" && IsWindowVisible(c.hwnd) &&
          GetDlgItem(GetParent(c.hwnd), IDC_RECENT_ACTION) != nullptr)
        return (found = c.hwnd) != nullptr;
    return false;
  });
  return found;
}

int row_of(const std::vector<std::vector<std::string>>& rows, const std::string& program) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (!rows[i].empty() && _stricmp(rows[i][0].c_str(), program.c_str()) == 0) return static_cast<int>(i);
  return -1;
}

class RecentPageTest : public ::testing::Test {
 protected:
  void SetUp() override { clean(); }
  void TearDown() override { clean(); }
  void clean() {
    reset_state();
    test::delete_value(HKEY_CURRENT_USER, kUserRun, "Recent Older");
    test::delete_value(HKEY_CURRENT_USER, kUserRun, "Recent Newer");
  }
};

}  // namespace

TEST_F(RecentPageTest, NewestFirstAndTheActionButtonActsOnTheSelectedRow) {
  // The prefix is started again by later tests, which would carry out a scheduled deletion.
  test::SavedValue pending(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations");
  test::delete_value(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations");
  const std::string older = test::fixture("kt_agent.exe");
  const std::string newer = test::fixture("kt_nodesc.exe");
  ASSERT_TRUE(test::set_value(HKEY_CURRENT_USER, kUserRun, "Recent Older", older));
  ASSERT_TRUE(test::set_value(HKEY_CURRENT_USER, kUserRun, "Recent Newer", newer));
  ASSERT_TRUE(test::set_value(HKEY_CURRENT_USER, kDetectedStartup, older, "01/02/2001 10:00 AM"));
  ASSERT_TRUE(test::set_value(HKEY_CURRENT_USER, kDetectedStartup, newer, "12/30/2099 10:00 PM"));

  Process e = start_explorer("-RECENT");
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = recent_list(sheet);
  ASSERT_NE(list, nullptr);
  std::vector<std::vector<std::string>> rows;
  ASSERT_TRUE(poll([&] {
    rows = driver::read_list_view(list, 5);
    return row_of(rows, "kt_agent.exe") >= 0 && row_of(rows, "kt_nodesc.exe") >= 0;
  })) << [&] {
    std::string all;
    for (const auto& r : rows) all += (r.empty() ? std::string() : r[0] + " | " + (r.size() > 4 ? r[3] + " | " + r[4] : "")) + "\n";
    return all;
  }();
  test::screenshot("recent_page");
  // The newest on top, the oldest of all at the bottom; each row says what kind it is.
  EXPECT_EQ(row_of(rows, "kt_nodesc.exe"), 0);
  EXPECT_EQ(row_of(rows, "kt_agent.exe"), static_cast<int>(rows.size()) - 1);
  EXPECT_EQ(rows[0][3], "STARTUP");

  // The older entry's row is chosen; the button removes that entry and asks nothing.
  HWND page = GetParent(list);
  ASSERT_TRUE(driver::select_list_row(list, row_of(rows, "kt_agent.exe")));
  HWND button = GetDlgItem(page, IDC_RECENT_ACTION);
  ASSERT_TRUE(poll([&] { return driver::text_of(button) == "&Remove"; })) << driver::text_of(button);
  ASSERT_TRUE(driver::press(page, IDC_RECENT_ACTION));
  ASSERT_TRUE(poll([&] { return !test::value_exists(HKEY_CURRENT_USER, kUserRun, "Recent Older"); }));
  EXPECT_TRUE(test::value_exists(HKEY_CURRENT_USER, kUserRun, "Recent Newer"));
  ASSERT_TRUE(poll([&] {
    rows = driver::read_list_view(list, 5);
    return row_of(rows, "kt_agent.exe") < 0 && row_of(rows, "kt_nodesc.exe") == 0;
  }));

  // Delete File on Reboot from the menu: asked first, then the row's own program is in the
  // system's list of deletions at restart.
  ASSERT_TRUE(driver::select_list_row(list, 0));
  PostMessageA(page, WM_COMMAND, MAKEWPARAM(kDeleteOnReboot, 0), 0);
  HWND question = box_saying(e.pid, "before Windows is fully loaded");
  ASSERT_NE(question, nullptr);
  driver::press(question, IDYES);
  EXPECT_TRUE(poll([&] { return pending_operations().find("KT_NODESC.EXE") != std::string::npos; }))
      << pending_operations();
  EXPECT_EQ(quit_explorer(e), 0);
}

namespace {

// The row of this program and kind (one library may be a helper and a control at once).
int row_of_kind(const std::vector<std::vector<std::string>>& rows, const std::string& program, const std::string& type) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].size() > 3 && _stricmp(rows[i][0].c_str(), program.c_str()) == 0 && rows[i][3] == type)
      return static_cast<int>(i);
  return -1;
}

class RecentBrowserAndProtected : public ::testing::Test {
 protected:
  void SetUp() override { clean(); }
  void TearDown() override { clean(); }
  void clean() {
    reset_state();
    for (const auto& c : {kHelper, kControl, kDelayClass}) test::unregister_test_class(c);
    test::delete_tree(HKEY_LOCAL_MACHINE, kHelperKey);
    test::delete_tree(HKEY_CURRENT_USER, kStatsKey);
    test::delete_value(HKEY_LOCAL_MACHINE, kDelayLoad, kEntry);
    DeleteFileA(marker.c_str());
  }

  const std::string kHelper = "{6B7C1A01-0000-4000-8000-00000000E101}";
  const std::string kControl = "{6B7C1A01-0000-4000-8000-00000000E102}";
  const std::string kDelayClass = "{6B7C1A01-0000-4000-8000-00000000E103}";
  const std::string kHelperKey =
      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\" + kHelper;
  const std::string kStatsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\" + kControl;
  const char* kDelayLoad = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
  const char* kEntry = "Recent Delay Load";
  const std::string library = test::fixture("kt_browser_helper.dll");
  const std::string marker = library + ".unregistered";
};

}  // namespace

// Helpers and controls join the list with their kinds; a helper's row removes it after asking,
// a control's row offers no action, and a protected startup entry goes only when the default
// warning's box is ticked.
TEST_F(RecentBrowserAndProtected, HelperRemovedAfterAskingControlHasNoActionProtectedEntryNeedsTheBox) {
  constexpr int kCheck = 1152;
  ASSERT_TRUE(test::register_test_class(kHelper, "Recent Helper", library));
  ASSERT_TRUE(test::set_value(HKEY_LOCAL_MACHINE, kHelperKey, "", ""));
  ASSERT_TRUE(test::register_test_class(kControl, "Recent Control", library));
  ASSERT_TRUE(test::set_value(HKEY_CURRENT_USER, kStatsKey, "", ""));
  const std::string agent = test::fixture("kt_agent.exe");
  ASSERT_TRUE(test::register_test_class(kDelayClass, "Recent Delay Class", agent));
  ASSERT_TRUE(test::set_value(HKEY_LOCAL_MACHINE, kDelayLoad, kEntry, kDelayClass));
  ASSERT_TRUE(test::set_value(HKEY_CURRENT_USER, kOptions, "ShowAllStartup", "1"));

  Process e = start_explorer("-RECENT");
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = recent_list(sheet);
  ASSERT_NE(list, nullptr);
  HWND page = GetParent(list);
  HWND button = GetDlgItem(page, IDC_RECENT_ACTION);
  std::vector<std::vector<std::string>> rows;
  auto listed = [&](const std::string& program, const std::string& type) {
    int row = -1;
    poll([&] {
      rows = driver::read_list_view(list, 5);
      return (row = row_of_kind(rows, program, type)) >= 0;
    });
    return row;
  };
  ASSERT_GE(listed("kt_browser_helper.dll", "IE HELPER"), 0);
  ASSERT_GE(listed("kt_browser_helper.dll", "ACTIVEX"), 0);
  test::screenshot("recent_page_helpers");

  ASSERT_TRUE(driver::select_list_row(list, listed("kt_browser_helper.dll", "ACTIVEX")));
  EXPECT_TRUE(poll([&] { return !IsWindowVisible(button); }));

  // The protected entry: OK with the box clear keeps it; with the box ticked it goes.
  driver::WindowQuery q;
  q.class_name = "#32770";
  q.process_id = e.pid;
  q.visible_only = true;
  auto warning = [&] {
    HWND found = nullptr;
    poll([&] {
      for (HWND w : driver::find_windows(q))
        if (GetDlgItem(w, kCheck)) return (found = w) != nullptr;
      return false;
    });
    return found;
  };
  for (bool tick : {false, true}) {
    ASSERT_TRUE(driver::select_list_row(list, listed("kt_agent.exe", "STARTUP")));
    ASSERT_TRUE(poll([&] { return IsWindowVisible(button) && driver::text_of(button) == "&Remove"; }));
    driver::press(page, IDC_RECENT_ACTION);
    HWND dialog = warning();
    ASSERT_NE(dialog, nullptr) << "removed without the default warning";
    if (tick) {
      driver::post(GetDlgItem(dialog, kCheck), BM_CLICK);
      ASSERT_TRUE(poll([&] { return IsDlgButtonChecked(dialog, kCheck) == BST_CHECKED; }));
    }
    driver::press(dialog, IDOK);
    ASSERT_TRUE(driver::wait_until_gone(dialog));
    if (!tick) {
      EXPECT_EQ(test::get_value(HKEY_LOCAL_MACHINE, kDelayLoad, kEntry), kDelayClass);
    }
  }
  EXPECT_TRUE(poll([&] { return test::get_value(HKEY_LOCAL_MACHINE, kDelayLoad, kEntry) == "<missing>"; }));

  // The helper: asked with its title, and Yes unregisters it.
  ASSERT_TRUE(driver::select_list_row(list, listed("kt_browser_helper.dll", "IE HELPER")));
  ASSERT_TRUE(poll([&] { return IsWindowVisible(button) && driver::text_of(button) == "&Remove"; }));
  driver::press(page, IDC_RECENT_ACTION);
  HWND question = box_saying(e.pid, "remove this Internet Explorer Add-On");
  ASSERT_NE(question, nullptr);
  EXPECT_NE(message_text(question).find("Helper Suite"), std::string::npos) << message_text(question);
  driver::press(question, IDYES);
  EXPECT_TRUE(poll([&] { return !test::key_exists(HKEY_LOCAL_MACHINE, kHelperKey); }));
  EXPECT_TRUE(poll([&] { return GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }));
  EXPECT_EQ(quit_explorer(e), 0);
}

}  // namespace kestrom::e2e
