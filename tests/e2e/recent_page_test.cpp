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

}  // namespace kestrom::e2e
