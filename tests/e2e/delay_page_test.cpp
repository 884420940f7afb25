// Delayed start as a user meets it: a startup entry moved to the Delayed Start list on the
// Startup Programs page, its delay and window chosen in the options dialog of the Delayed Start
// page, and the monitor, started again, starting the program in that window.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>

#include "tests/e2e/e2e_support_win.hpp"

namespace kestrom::e2e {
namespace {

using test::delete_value;
using test::get_value;
using test::poll;
using test::set_value;

constexpr int kMoveToDelay = 1195, kDelayOptions = 1132;
constexpr int kMinutesBox = 1313, kSecondsBox = 1315, kWindowBox = 1320;
constexpr int kDelayedStartTab = 1;  // right after the Startup Programs tab
constexpr const char* kTitle = "Probe Delayed Entry";
constexpr const char* kRecorder = "Software\\KestromTest\\Recorder";
constexpr const char* kDelay = "Software\\Orvane\\Kestrom\\Delay";
constexpr const char* kDesktop = "Control Panel\\Desktop";
constexpr int kFileNameBox = 1148;  // the file-open dialog's name field
constexpr int kCurrentUserChoice = 1323;

int row_titled(HWND list, const std::string& title, int columns) {
  const auto rows = driver::read_list_view(list, columns);
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (!rows[i].empty() && rows[i][0] == title) return static_cast<int>(i);
  return -1;
}

std::string row_text(HWND list, int row, int column) {
  const auto rows = driver::read_list_view(list, 4);
  if (row < 0 || static_cast<std::size_t>(row) >= rows.size() || rows[row].size() <= static_cast<std::size_t>(column))
    return {};
  return rows[row][column];
}

DWORD recorder_starts() {
  DWORD n = 0, size = sizeof n;
  if (RegGetValueA(HKEY_CURRENT_USER, kRecorder, "Starts", RRF_RT_REG_DWORD, nullptr, &n, &size) != ERROR_SUCCESS)
    return 0;
  return n;
}

class DelayedStart : public ::testing::Test {
 protected:
  void SetUp() override { clean(); }
  void TearDown() override { clean(); }
  void clean() {
    reset_state();
    delete_value(HKEY_CURRENT_USER, kUserRun, kTitle);
    test::delete_tree(HKEY_CURRENT_USER, kRecorder);
    test::delete_tree(HKEY_CURRENT_USER, kDelay);
  }
};

TEST_F(DelayedStart, MovedEntryStartsAfterTheMonitorsRestartInTheChosenWindow) {
  const std::string recorder = test::fixture("kt_recorder.exe");
  set_value(HKEY_CURRENT_USER, kUserRun, kTitle, "\"" + recorder + "\" /probe");
  Process monitor = start_monitor("alone");
  ASSERT_NE(monitor_window(monitor.pid), nullptr);

  // Startup Programs page: the entry's own row, then "Move to Delayed Start Program List".
  Process explorer = start_explorer("-START");
  ASSERT_TRUE(explorer);
  HWND sheet = dialog_of(explorer.pid);
  ASSERT_NE(sheet, nullptr);
  HWND startup_list = page_list(sheet);
  ASSERT_NE(startup_list, nullptr);
  int row = -1;
  ASSERT_TRUE(poll([&] { return (row = row_titled(startup_list, kTitle, 5)) >= 0; }));
  ASSERT_TRUE(driver::select_list_row(startup_list, row));
  driver::post_command(GetParent(startup_list), kMoveToDelay);
  ASSERT_TRUE(poll([&] { return get_value(HKEY_CURRENT_USER, kUserRun, kTitle) == "<missing>"; }));
  std::string program;
  for (char c : recorder) program += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kDelay, program), "11");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, std::string(kDelay) + "\\Parameters", program), "/probe");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, std::string(kDelay) + "\\Time", program), "30");

  // Delayed Start page: the options dialog, no delay at all (the shortest there is) and minimized.
  PostMessageA(sheet, PSM_SETCURSEL, kDelayedStartTab, 0);
  HWND delay_list = page_list(sheet, startup_list);
  ASSERT_NE(delay_list, nullptr);
  ASSERT_TRUE(poll([&] { return (row = row_titled(delay_list, kTitle, 4)) >= 0; }));
  EXPECT_EQ(row_text(delay_list, row, 3), "30 Sec.");
  ASSERT_TRUE(driver::select_list_row(delay_list, row));
  driver::post_command(GetParent(delay_list), kDelayOptions);
  HWND options = dialog_of(explorer.pid, "Options");
  ASSERT_NE(options, nullptr);
  SendDlgItemMessageA(options, kMinutesBox, CB_SETCURSEL, 0, 0);
  SendDlgItemMessageA(options, kSecondsBox, CB_SETCURSEL, 0, 0);
  SendDlgItemMessageA(options, kWindowBox, CB_SETCURSEL, 1, 0);
  EXPECT_TRUE(test::screenshot("delay_options_dialog"));
  driver::press(options, IDOK);
  ASSERT_TRUE(poll([&] { return get_value(HKEY_CURRENT_USER, std::string(kDelay) + "\\OpenAs", program) == "1"; }));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, std::string(kDelay) + "\\Time", program), "10");
  ASSERT_TRUE(poll([&] {
    const int r = row_titled(delay_list, kTitle, 4);
    return r >= 0 && row_text(delay_list, r, 3) == "10 Sec.";
  }));
  EXPECT_TRUE(test::screenshot("delayed_start_page"));
  EXPECT_EQ(quit_explorer(explorer), 0);
  EXPECT_EQ(recorder_starts(), 0u) << "nothing starts it before the monitor's next start";

  // The monitor reads the list when it starts: its first delay step starts the program.
  EXPECT_EQ(wait_exit(start_monitor("alone", "-Q")), 0);
  EXPECT_EQ(wait_exit(monitor), 0);
  Process again = start_monitor("alone");
  ASSERT_NE(monitor_window(again.pid), nullptr);
  ASSERT_TRUE(poll([] { return recorder_starts() == 1; }, 4 * kWaitMs));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRecorder, "Show1"), "6");  // SW_MINIMIZE
  const std::string args = get_value(HKEY_CURRENT_USER, kRecorder, "Args1");
  EXPECT_NE(args.find("/probe"), std::string::npos) << args;
  EXPECT_EQ(args.front(), '"') << "the program's path is quoted: " << args;
  EXPECT_EQ(wait_exit(start_monitor("alone", "-Q")), 0);
  EXPECT_EQ(wait_exit(again), 0);
}

// At 144 dots per inch (a process reads the setting when it starts): the page, the options
// dialog and Startup Program Type laid out at that scale, and a program added for the current
// user through the file dialog and dialog 199.
TEST_F(DelayedStart, PageAndDialogsAt144DpiAddAProgramForTheCurrentUser) {
  test::SavedValue dpi(HKEY_CURRENT_USER, kDesktop, "LogPixels");
  ASSERT_TRUE(test::set_dword(HKEY_CURRENT_USER, kDesktop, "LogPixels", 144));
  const std::string recorder = test::fixture("kt_recorder.exe");
  Process explorer = start_explorer("-DELAY");
  ASSERT_TRUE(explorer);
  HWND sheet = dialog_of(explorer.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = page_list(sheet);
  ASSERT_NE(list, nullptr);
  HWND page = GetParent(list);

  driver::press(page, 1064);  // &Add
  HWND open = dialog_of(explorer.pid, "Add AutoStart Program");
  ASSERT_NE(open, nullptr);
  ASSERT_TRUE(poll([&] { return GetDlgItem(open, kFileNameBox) != nullptr; }));
  SendMessageA(GetDlgItem(open, kFileNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(recorder.c_str()));
  driver::press(open, IDOK);
  HWND who = dialog_of(explorer.pid, "Startup Program Type");
  ASSERT_NE(who, nullptr);
  EXPECT_EQ(IsDlgButtonChecked(who, kCurrentUserChoice), static_cast<UINT>(BST_CHECKED));
  EXPECT_TRUE(test::screenshot("delay_who_dialog_144dpi"));
  driver::press(who, IDOK);
  ASSERT_TRUE(poll([&] { return get_value(HKEY_CURRENT_USER, kDelay, recorder) == "11"; }));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, std::string(kDelay) + "\\Time", recorder), "30");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDelay, recorder), "<missing>");

  int row = -1;
  ASSERT_TRUE(poll([&] { return (row = row_titled(list, "Recorder Suite", 4)) >= 0; }));
  EXPECT_TRUE(test::screenshot("delayed_start_page_144dpi"));
  ASSERT_TRUE(driver::select_list_row(list, row));
  driver::post_command(page, kDelayOptions);
  HWND options = dialog_of(explorer.pid, "Options");
  ASSERT_NE(options, nullptr);
  EXPECT_TRUE(test::screenshot("delay_options_dialog_144dpi"));
  driver::press(options, IDCANCEL);
  ASSERT_TRUE(driver::wait_until_gone(options));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, std::string(kDelay) + "\\OpenAs", recorder), "<missing>");

  // "&Launch Program" starts it now, as the monitor would: quoted, in a normal window.
  ASSERT_TRUE(driver::select_list_row(list, row));
  driver::post_command(page, 1065);
  ASSERT_TRUE(poll([] { return recorder_starts() == 1; }));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRecorder, "Show1"), "1");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRecorder, "Args1").front(), '"');
  EXPECT_EQ(quit_explorer(explorer), 0);
}

// Remove asks whether the program goes back to the Windows startup list: Yes writes its Run value
// back (quoted, with its parameters) and takes it off the list, No only takes it off.
TEST_F(DelayedStart, RemoveWithYesRestoresTheRunValueAndWithNoOnlyForgets) {
  const std::string agent = test::fixture("kt_agent.exe");
  const std::string recorder = test::fixture("kt_recorder.exe");
  const std::string kept = "Probe Kept Entry", dropped = "Probe Dropped Entry";
  for (const auto& [program, title] : {std::pair{agent, kept}, std::pair{recorder, dropped}}) {
    set_value(HKEY_CURRENT_USER, kDelay, program, "11");
    set_value(HKEY_CURRENT_USER, std::string(kDelay) + "\\Time", program, "30");
    set_value(HKEY_CURRENT_USER, std::string(kDelay) + "\\Title", program, title);
    set_value(HKEY_CURRENT_USER, std::string(kDelay) + "\\Parameters", program, "/again");
  }
  Process explorer = start_explorer("-DELAY");
  ASSERT_TRUE(explorer);
  HWND sheet = dialog_of(explorer.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = page_list(sheet);
  ASSERT_NE(list, nullptr);
  HWND page = GetParent(list);

  int row = -1;
  ASSERT_TRUE(poll([&] { return (row = row_titled(list, kept, 4)) >= 0; }));
  ASSERT_TRUE(driver::select_list_row(list, row));
  driver::press(page, 1003);
  HWND ask = box_saying(explorer.pid, "removed from the Delayed Start list");
  ASSERT_NE(ask, nullptr);
  driver::press(ask, IDYES);
  ASSERT_TRUE(poll([&] { return get_value(HKEY_CURRENT_USER, kDelay, agent) == "<missing>"; }));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kUserRun, kept), "\"" + agent + "\" /again");

  ASSERT_TRUE(poll([&] { return row_titled(list, kept, 4) < 0 && (row = row_titled(list, dropped, 4)) >= 0; }));
  ASSERT_TRUE(driver::select_list_row(list, row));
  driver::press(page, 1003);
  ask = box_saying(explorer.pid, "removed from the Delayed Start list");
  ASSERT_NE(ask, nullptr);
  driver::press(ask, IDNO);
  ASSERT_TRUE(poll([&] { return get_value(HKEY_CURRENT_USER, kDelay, recorder) == "<missing>"; }));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kUserRun, dropped), "<missing>");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, std::string(kDelay) + "\\Parameters", recorder), "<missing>");
  EXPECT_EQ(quit_explorer(explorer), 0);
  delete_value(HKEY_CURRENT_USER, kUserRun, kept);
}

}  // namespace
}  // namespace kestrom::e2e
