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

HWND options_page(HWND sheet) {
  HWND found = nullptr;
  poll([&] {
    for (const auto& c : driver::children(sheet))
      if (c.id == kHideRusko && IsWindowVisible(c.hwnd)) return (found = GetParent(c.hwnd)) != nullptr;
    return false;
  });
  return found;
}

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
  HWND page = options_page(sheet);
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
