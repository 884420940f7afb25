// The monitor as a user meets it: started, started again, asked to exit, its tray menu
// commands, and junk in its options.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/e2e/e2e_support_win.hpp"

using namespace kestrom;
using namespace kestrom::e2e;

namespace {

constexpr const char* kExitQuestion = "Do you want Kestrom.exe to Exit?";
constexpr const char* kExplorerMissing = "KestromEx.exe must exist in the same folder as Kestrom.exe";
constexpr UINT kTrayCallback = 6035;
constexpr WPARAM kTrayIconId = 6036;

void set_option(const char* name, const char* text) { test::set_value(HKEY_CURRENT_USER, kOptions, name, text); }

class Monitor : public ::testing::Test {
 protected:
  void SetUp() override { reset_state(); }
  void TearDown() override { reset_state(); }

  // Starts a monitor and waits for its hidden window.
  Process start(std::string_view layout, std::string_view args = {}) {
    Process p = start_monitor(layout, args);
    EXPECT_TRUE(p) << "Kestrom.exe could not be started from " << program_folder(layout);
    window_ = p ? monitor_window(p.pid) : nullptr;
    EXPECT_NE(window_, nullptr) << "no window of class Kestrom";
    return p;
  }
  // Answers a message box of the process and waits until it is gone.
  static void answer(HWND box, int button) {
    ASSERT_TRUE(driver::press(box, button));
    ASSERT_TRUE(driver::wait_until_gone(box, kWaitMs));
  }
  HWND window_ = nullptr;
};

}  // namespace

TEST_F(Monitor, FirstStartCreatesTheProductKeysAndStaysRunningInTheTray) {
  Process m = start("alone");
  ASSERT_NE(window_, nullptr);
  EXPECT_FALSE(IsWindowVisible(window_)) << "the monitor window is never shown";
  EXPECT_EQ(driver::text_of(window_), "Kestrom");

  EXPECT_TRUE(test::value_exists(HKEY_CURRENT_USER, kProduct, "")) << "the first-use date is the product key's default";
  EXPECT_TRUE(test::key_exists(HKEY_CURRENT_USER, kOptions));

  EXPECT_TRUE(wait_tray_icon(true));
  EXPECT_TRUE(test::screenshot("monitor_tray_icon"));
  EXPECT_TRUE(still_running(m));
}

TEST_F(Monitor, QuitSwitchEndsTheRunningMonitor) {
  Process m = start("alone");
  Process q = start_monitor("alone", "-Q");
  EXPECT_EQ(wait_exit(q), 0);
  EXPECT_EQ(wait_exit(m), 0) << "the running monitor ends on the second start's -Q";
  EXPECT_TRUE(wait_tray_icon(false)) << "the tray icon goes with it";
}

TEST_F(Monitor, QuitSwitchWithoutARunningMonitorCreatesNoWindow) {
  Process q = start_monitor("alone", "-q");
  EXPECT_EQ(wait_exit(q), 0);
  EXPECT_EQ(window_count("Kestrom"), 0u);
}

TEST_F(Monitor, SecondStartWithNoOpenEndsSilently) {
  Process m = start("paired");
  Process second = start_monitor("paired", "-NoOpen");
  EXPECT_EQ(wait_exit(second), 0);
  EXPECT_EQ(window_count("Kestrom"), 1u) << "no second monitor window";
  EXPECT_TRUE(explorer_starts().empty()) << "nothing opened";
  EXPECT_EQ(dialog_of(second.pid, "Kestrom", 0), nullptr);
  EXPECT_TRUE(still_running(m));
}

TEST_F(Monitor, SecondStartOpensTheExplorerOnTheStartupPage) {
  Process m = start("paired");
  Process second = start_monitor("paired");
  EXPECT_EQ(wait_exit(second), 0);
  ASSERT_TRUE(wait_explorer_starts(1));
  EXPECT_EQ(explorer_starts(), std::vector<std::string>{"-START"});
  EXPECT_TRUE(still_running(m));
}

TEST_F(Monitor, ConfirmExitAskedAndNoKeepsItRunning) {
  set_option("ConfirmExit", "1");
  Process m = start("alone");
  Process q = start_monitor("alone", "-Q");
  EXPECT_EQ(wait_exit(q), 0);
  HWND question = dialog_of(m.pid);
  ASSERT_NE(question, nullptr) << "the exit question did not appear";
  EXPECT_NE(message_text(question).find(kExitQuestion), std::string::npos) << message_text(question);
  EXPECT_TRUE(test::screenshot("monitor_exit_question"));
  answer(question, IDNO);

  // No starts the explorer on its restart page; it is missing here, which says so.
  HWND missing = dialog_of(m.pid);
  ASSERT_NE(missing, nullptr) << "string 795 did not appear";
  EXPECT_NE(message_text(missing).find(kExplorerMissing), std::string::npos) << message_text(missing);
  answer(missing, IDOK);
  EXPECT_TRUE(still_running(m));
  EXPECT_TRUE(IsWindow(window_));
}

TEST_F(Monitor, ConfirmExitNoRestartsTheExplorerAndYesEnds) {
  set_option("ConfirmExit", "1");
  Process m = start("paired");
  ASSERT_TRUE(driver::post_command(window_, 6030));
  HWND question = dialog_of(m.pid);
  ASSERT_NE(question, nullptr);
  answer(question, IDNO);
  ASSERT_TRUE(wait_explorer_starts(1));
  EXPECT_EQ(explorer_starts(), std::vector<std::string>{"-RESTART"});
  EXPECT_TRUE(still_running(m));

  ASSERT_TRUE(driver::post_command(window_, 6030));
  question = dialog_of(m.pid);
  ASSERT_NE(question, nullptr);
  answer(question, IDYES);
  EXPECT_EQ(wait_exit(m), 0);
}

TEST_F(Monitor, CloseFromOutsideAsksAndNoKeepsTheWindow) {
  set_option("ConfirmExit", "1");
  Process m = start("paired");
  ASSERT_TRUE(driver::post(window_, WM_CLOSE));
  HWND question = dialog_of(m.pid);
  ASSERT_NE(question, nullptr);
  answer(question, IDNO);
  ASSERT_TRUE(wait_explorer_starts(1));
  EXPECT_TRUE(IsWindow(window_)) << "a monitor that stays keeps its window, timer and icon";
  EXPECT_TRUE(tray_icon_shown());
  EXPECT_TRUE(still_running(m));
}

TEST_F(Monitor, TrayMenuCommandsOpenTheirExplorerPagesAndOthersAreIgnored) {
  Process m = start("paired");
  // Numbers outside the table and in its gaps open nothing; the commands after them still work.
  for (int ignored : {6027, 6032, 6061, 100}) ASSERT_TRUE(driver::post_command(window_, ignored));
  ASSERT_TRUE(driver::post_command(window_, 6033));
  ASSERT_TRUE(wait_explorer_starts(1));
  ASSERT_TRUE(driver::post_command(window_, 6060));
  ASSERT_TRUE(wait_explorer_starts(2));
  EXPECT_EQ(explorer_starts(), (std::vector<std::string>{"-OPTIONS", "-RECENT"}));
  EXPECT_TRUE(still_running(m));
}

TEST_F(Monitor, TrayRightClickShowsTheMenuAndDoubleClickOpensTheStartupPage) {
  Process m = start("paired");
  ASSERT_TRUE(wait_tray_icon(true));
  ASSERT_TRUE(driver::post(window_, kTrayCallback, kTrayIconId, WM_RBUTTONUP));
  driver::WindowQuery menu_query;
  menu_query.class_name = "#32768";
  menu_query.process_id = m.pid;
  menu_query.visible_only = true;
  HWND menu = driver::wait_for_window(menu_query, kWaitMs);
  ASSERT_NE(menu, nullptr) << "no pop-up menu";
  EXPECT_TRUE(test::screenshot("monitor_tray_menu"));
  // Cancelling the menu is what a click elsewhere does.
  ASSERT_TRUE(driver::post(window_, WM_CANCELMODE));
  EXPECT_TRUE(driver::wait_until_gone(menu, kWaitMs) || !IsWindowVisible(menu));

  ASSERT_TRUE(driver::post(window_, kTrayCallback, kTrayIconId, WM_LBUTTONDBLCLK));
  ASSERT_TRUE(wait_explorer_starts(1));
  EXPECT_EQ(explorer_starts(), std::vector<std::string>{"-START"});
  EXPECT_TRUE(still_running(m));
}

TEST_F(Monitor, ExplorerHidesAndShowsTheTrayIconUnlessHideRuskoIsSet) {
  Process m = start("alone");
  ASSERT_TRUE(wait_tray_icon(true));
  ASSERT_TRUE(driver::post_command(window_, 6053, 1));
  EXPECT_TRUE(wait_tray_icon(false));
  ASSERT_TRUE(driver::post_command(window_, 6053, 0));
  EXPECT_TRUE(wait_tray_icon(true));
  // The taskbar coming back brings the icon back too (and only one).
  ASSERT_TRUE(driver::post(window_, RegisterWindowMessageA("TaskbarCreated")));
  EXPECT_TRUE(wait_tray_icon(true));
  Process q = start_monitor("alone", "-Q");
  EXPECT_EQ(wait_exit(m), 0);
  EXPECT_TRUE(wait_tray_icon(false));

  set_option("HideRusko", "1");
  Process hidden = start("alone");
  ASSERT_TRUE(driver::post_command(window_, 6053, 0));
  ASSERT_TRUE(driver::post(window_, RegisterWindowMessageA("TaskbarCreated")));
  // Give the posted messages their turn: a message round-trip through the monitor's queue.
  ASSERT_TRUE(driver::post_command(window_, 6033));
  HWND missing = dialog_of(hidden.pid);
  ASSERT_NE(missing, nullptr);
  answer(missing, IDOK);
  EXPECT_FALSE(tray_icon_shown()) << "HideRusko 1: no icon, and 6053 does nothing";
}

// Junk in the options: the monitor runs with the defaults and nothing asks.
TEST_F(Monitor, JunkOptionsFallBackToDefaults) {
  struct Case {
    const char* name;
    const char* text;  // nullptr: written as a number value instead
    DWORD number;
  };
  // How junk reads is the option rules' (native tests); here: the monitor lives with it.
  const Case cases[] = {{"TrayIcon", "5555", 0}, {"TrayIcon", nullptr, 157}, {"ConfirmExit", nullptr, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " = " + (c.text ? c.text : "number " + std::to_string(c.number)));
    reset_state();
    if (c.text)
      set_option(c.name, c.text);
    else
      test::set_dword(HKEY_CURRENT_USER, kOptions, c.name, c.number);
    Process m = start("alone");
    ASSERT_NE(window_, nullptr);
    EXPECT_TRUE(wait_tray_icon(true)) << "the default icon stands in";
    Process q = start_monitor("alone", "-Q");
    EXPECT_EQ(wait_exit(q), 0);
    EXPECT_EQ(wait_exit(m), 0) << "no exit question: ConfirmExit reads as its default 0";
  }
}

// kestrompro in the real monitor: a Run value that another program adds makes it check at once.
TEST_F(Monitor, RunValueAddedFromOutsideMakesTheMonitorCheckAtOnce) {
  const std::string trace = program_folder("alone") + "\\send2ov.txt";
  DeleteFileA(trace.c_str());
  auto checked = [&] {
    std::ifstream in(trace, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.find("Check for Task Change") != std::string::npos;
  };
  set_option("Debug", "1");
  Process m = start("alone");
  ASSERT_NE(window_, nullptr);
  // Nothing in the monitor itself sends 9024: until a Run key changes, no realtime check runs.
  EXPECT_FALSE(checked());

  // The window appears before the monitor hands it to kestrompro, and a tick that runs the
  // Patrol Cycle spends a pending notification: write again until the check shows.
  int n = 0;
  EXPECT_TRUE(test::poll(
      [&] {
        test::set_value(HKEY_CURRENT_USER, kUserRun, "KestromProTest" + std::to_string(n++ % 2), "C:\\tools\\a.exe");
        return test::poll(checked, 3000);
      },
      3 * kWaitMs))
      << "no realtime check traced in " << trace;
  test::delete_value(HKEY_CURRENT_USER, kUserRun, "KestromProTest0");
  test::delete_value(HKEY_CURRENT_USER, kUserRun, "KestromProTest1");

  // Shutdown stops the watcher first; the monitor still ends cleanly and at once.
  EXPECT_EQ(wait_exit(start_monitor("alone", "-Q")), 0);
  EXPECT_EQ(wait_exit(m), 0);
  DeleteFileA(trace.c_str());
}
