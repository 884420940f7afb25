// The Options page as a user meets it: a ticked box writes its own option and nothing else,
// and hiding the monitor's icon works both ways while the monitor runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/e2e/e2e_support_win.hpp"

namespace kestrom::e2e {
namespace {

using test::get_value;
using test::poll;
using test::set_value;

constexpr int kHideRusko = 1025, kSound = 1020;

class OptionsPageTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_state(); }
  void TearDown() override { reset_state(); }
};

TEST_F(OptionsPageTest, HideIconWritesOnlyItsOptionAndTheMonitorFollowsBothWays) {
  Process monitor = start_monitor("loop");
  ASSERT_TRUE(monitor);
  ASSERT_TRUE(wait_tray_icon(true));
  set_value(HKEY_CURRENT_USER, kOptions, "Sound", "1");
  Process e = start_explorer("-OPTIONS");
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND page = page_with(sheet, kHideRusko);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(IsDlgButtonChecked(page, kSound), BST_CHECKED);
  test::screenshot("options_page");
  // Another program turns the sound off while the page shows it on.
  set_value(HKEY_CURRENT_USER, kOptions, "Sound", "0");

  driver::post(GetDlgItem(page, kHideRusko), BM_CLICK);
  driver::WindowQuery note;
  note.class_name = "#32770";
  note.process_id = e.pid;
  note.visible_only = true;
  HWND box = nullptr;
  ASSERT_TRUE(poll([&] {
    for (HWND w : driver::find_windows(note))
      if (driver::all_texts(w).find("Taskbar icon will be hidden") != std::string::npos) return (box = w) != nullptr;
    return false;
  }));
  driver::press(box, IDOK);
  ASSERT_TRUE(poll([&] { return get_value(HKEY_CURRENT_USER, kOptions, "HideRusko") == "1"; }));
  EXPECT_TRUE(wait_tray_icon(false));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOptions, "Sound"), "0");  // the stale copy was not written back

  driver::post(GetDlgItem(page, kHideRusko), BM_CLICK);
  ASSERT_TRUE(poll([&] { return get_value(HKEY_CURRENT_USER, kOptions, "HideRusko") == "0"; }));
  EXPECT_TRUE(wait_tray_icon(true));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOptions, "Sound"), "0");
  EXPECT_EQ(quit_explorer(e), 0);
}

}  // namespace
}  // namespace kestrom::e2e

namespace kestrom::e2e {
namespace {

// Hide Alerts: unticking a prevented type shows its alerts again and disables its answers;
// an answer clicked is stored at once.
TEST_F(OptionsPageTest, HideAlertsDialogStoresEachClick) {
  constexpr int kHideAlerts = 1236, kServicesBox = 1177, kServicesAllow = 1220, kStartupBox = 1174,
                kStartupPrevent = 1215;
  set_value(HKEY_CURRENT_USER, kOptions, "HideServices", "2");
  set_value(HKEY_CURRENT_USER, kOptions, "HideStartup", "0");
  Process e = start_explorer("-OPTIONS");
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND page = page_with(sheet, kHideRusko);
  ASSERT_NE(page, nullptr);
  driver::press(page, kHideAlerts);
  driver::WindowQuery q;
  q.class_name = "#32770";
  q.title = "Kestrom - Hide Alert Messages";
  q.process_id = e.pid;
  HWND dialog = driver::wait_for_window(q);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(IsDlgButtonChecked(dialog, kServicesBox), BST_CHECKED);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kServicesAllow)));
  test::screenshot("hide_alerts");

  driver::post(GetDlgItem(dialog, kServicesBox), BM_CLICK);
  ASSERT_TRUE(poll([&] { return get_value(HKEY_CURRENT_USER, kOptions, "HideServices") == "0"; }));
  ASSERT_TRUE(poll([&] { return !IsWindowEnabled(GetDlgItem(dialog, kServicesAllow)); }));

  driver::post(GetDlgItem(dialog, kStartupBox), BM_CLICK);
  ASSERT_TRUE(poll([&] { return get_value(HKEY_CURRENT_USER, kOptions, "HideStartup") == "1"; }));
  ASSERT_TRUE(poll([&] { return IsWindowEnabled(GetDlgItem(dialog, kStartupPrevent)) != FALSE; }));
  driver::post(GetDlgItem(dialog, kStartupPrevent), BM_CLICK);
  ASSERT_TRUE(poll([&] { return get_value(HKEY_CURRENT_USER, kOptions, "HideStartup") == "2"; }));
  driver::press(dialog, IDOK);
  ASSERT_TRUE(driver::wait_until_gone(dialog));
  EXPECT_EQ(quit_explorer(e), 0);
}

}  // namespace
}  // namespace kestrom::e2e
