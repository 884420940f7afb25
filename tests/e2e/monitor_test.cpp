// The monitor as a user meets it: started, started again, asked to exit, its tray menu
// commands, and junk in its options.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/e2e_support_win.hpp"
#include "tools/driver_win.hpp"

using namespace kestrom;
using namespace kestrom::e2e;

namespace {

constexpr const char* kExitQuestion = "Do you want Kestrom.exe to Exit?";
constexpr const char* kExplorerMissing = "KestromEx.exe must exist in the same folder as Kestrom.exe";
constexpr UINT kTrayCallback = 6035;
constexpr WPARAM kTrayIconId = 6036;

class Monitor : public ::testing::Test {
 protected:
  void SetUp() override { reset_state(); }
  void TearDown() override { reset_state(); }

  // Starts a monitor and waits for its hidden window.
  Started start(std::string_view layout, std::string_view args = {}) {
    Started p = start_monitor(layout, args);
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
  Started m = start("alone");
  ASSERT_NE(window_, nullptr);
  EXPECT_FALSE(IsWindowVisible(window_)) << "the monitor window is never shown";
  EXPECT_EQ(driver::text_of(window_), "Kestrom");

  char first_use[256] = {};
  DWORD size = sizeof first_use;
  EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\Orvane\\Kestrom", nullptr, RRF_RT_REG_SZ, nullptr, first_use,
                         &size),
            ERROR_SUCCESS);
  EXPECT_GT(std::string(first_use).size(), 0u) << "the first-use date is the product key's default value";
  HKEY options = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Orvane\\Kestrom\\Options", 0, KEY_READ, &options),
            ERROR_SUCCESS);
  RegCloseKey(options);

  EXPECT_TRUE(wait_tray_icon(true));
  EXPECT_TRUE(screenshot("monitor_tray_icon"));
  EXPECT_TRUE(still_running(m));
}

TEST_F(Monitor, QuitSwitchEndsTheRunningMonitor) {
  Started m = start("alone");
  Started q = start_monitor("alone", "-Q");
  EXPECT_EQ(wait_exit(q), 0);
  EXPECT_EQ(wait_exit(m), 0) << "the running monitor ends on the second start's -Q";
  EXPECT_TRUE(wait_tray_icon(false)) << "the tray icon goes with it";
}

TEST_F(Monitor, QuitSwitchWithoutARunningMonitorCreatesNoWindow) {
  Started q = start_monitor("alone", "-q");
  EXPECT_EQ(wait_exit(q), 0);
  driver::WindowQuery any;
  any.class_name = "Kestrom";
  EXPECT_TRUE(driver::find_windows(any).empty());
}

TEST_F(Monitor, SecondStartWithNoOpenEndsSilently) {
  Started m = start("paired");
  Started second = start_monitor("paired", "-NoOpen");
  EXPECT_EQ(wait_exit(second), 0);
  driver::WindowQuery any;
  any.class_name = "Kestrom";
  EXPECT_EQ(driver::find_windows(any).size(), 1u) << "no second monitor window";
  EXPECT_TRUE(explorer_starts().empty()) << "nothing opened";
  EXPECT_EQ(message_box_of(second.pid, 500), nullptr);
  EXPECT_TRUE(still_running(m));
}

TEST_F(Monitor, SecondStartOpensTheExplorerOnTheStartupPage) {
  Started m = start("paired");
  Started second = start_monitor("paired");
  EXPECT_EQ(wait_exit(second), 0);
  ASSERT_TRUE(wait_explorer_starts(1));
  EXPECT_EQ(explorer_starts(), std::vector<std::string>{"-START"});
  EXPECT_TRUE(still_running(m));
}

TEST_F(Monitor, ProgramOrLibraryOnTheCommandLineNeverStartsAMonitor) {
  for (const char* args : {"\"C:\\Program Files\\Tool\\agent.exe\"", "C:\\windows\\system32\\x.DLL"}) {
    Started p = start_monitor("alone", args);
    EXPECT_EQ(wait_exit(p), 0) << args;
    driver::WindowQuery any;
    any.class_name = "Kestrom";
    EXPECT_TRUE(driver::find_windows(any).empty()) << args;
  }
}

TEST_F(Monitor, ConfirmExitAskedAndNoKeepsItRunning) {
  set_option_text("ConfirmExit", "1");
  Started m = start("alone");
  Started q = start_monitor("alone", "-Q");
  EXPECT_EQ(wait_exit(q), 0);
  HWND question = message_box_of(m.pid);
  ASSERT_NE(question, nullptr) << "the exit question did not appear";
  EXPECT_NE(message_text(question).find(kExitQuestion), std::string::npos) << message_text(question);
  EXPECT_TRUE(screenshot("monitor_exit_question"));
  answer(question, IDNO);

  // No starts the explorer on its restart page; it is missing here, which says so.
  HWND missing = message_box_of(m.pid);
  ASSERT_NE(missing, nullptr) << "string 795 did not appear";
  EXPECT_NE(message_text(missing).find(kExplorerMissing), std::string::npos) << message_text(missing);
  answer(missing, IDOK);
  EXPECT_TRUE(still_running(m));
  EXPECT_TRUE(IsWindow(window_));
}

TEST_F(Monitor, ConfirmExitNoRestartsTheExplorerAndYesEnds) {
  set_option_text("ConfirmExit", "1");
  Started m = start("paired");
  ASSERT_TRUE(driver::post_command(window_, 6030));
  HWND question = message_box_of(m.pid);
  ASSERT_NE(question, nullptr);
  answer(question, IDNO);
  ASSERT_TRUE(wait_explorer_starts(1));
  EXPECT_EQ(explorer_starts(), std::vector<std::string>{"-RESTART"});
  EXPECT_TRUE(still_running(m));

  ASSERT_TRUE(driver::post_command(window_, 6030));
  question = message_box_of(m.pid);
  ASSERT_NE(question, nullptr);
  answer(question, IDYES);
  EXPECT_EQ(wait_exit(m), 0);
}

TEST_F(Monitor, CloseFromOutsideAsksAndNoKeepsTheWindow) {
  set_option_text("ConfirmExit", "1");
  Started m = start("paired");
  ASSERT_TRUE(driver::post(window_, WM_CLOSE));
  HWND question = message_box_of(m.pid);
  ASSERT_NE(question, nullptr);
  answer(question, IDNO);
  ASSERT_TRUE(wait_explorer_starts(1));
  EXPECT_TRUE(IsWindow(window_)) << "a monitor that stays keeps its window, timer and icon";
  EXPECT_TRUE(tray_icon_shown());
  EXPECT_TRUE(still_running(m));
}

TEST_F(Monitor, TrayMenuCommandsOpenTheirExplorerPages) {
  Started m = start("paired");
  const std::vector<std::pair<int, std::string>> pages{
      {6026, "-START"},    {6028, "-NUTS"},      {6029, "-TASK"},   {6033, "-OPTIONS"},
      {6038, "-SERVICE"},  {6039, "-SCHEDULE"},  {6040, "-BHO"},    {6042, "-FILETYPES"},
      {6052, "-HIDDEN"},   {6055, "-DELAY"},     {6056, "-ACTIVEX"}, {6060, "-RECENT"}};
  std::vector<std::string> expected;
  for (const auto& [command, page] : pages) {
    // One at a time: the stand-in counts its starts in the registry.
    ASSERT_TRUE(driver::post_command(window_, command));
    expected.push_back(page);
    ASSERT_TRUE(wait_explorer_starts(expected.size())) << command;
  }
  EXPECT_EQ(explorer_starts(), expected);
  // Numbers outside the table and in its gaps are ignored.
  for (int ignored : {6027, 6032, 6061, 100})
    ASSERT_TRUE(driver::post_command(window_, ignored));
  ASSERT_TRUE(driver::post_command(window_, 6026));
  ASSERT_TRUE(wait_explorer_starts(expected.size() + 1));
  EXPECT_EQ(explorer_starts().size(), expected.size() + 1);
  EXPECT_TRUE(still_running(m));
}

TEST_F(Monitor, TrayMenuCommandsWithoutTheExplorerShowWhereItMustBe) {
  Started m = start("alone");
  for (int command : {6026, 6033, 6060}) {
    ASSERT_TRUE(driver::post_command(window_, command));
    HWND missing = message_box_of(m.pid);
    ASSERT_NE(missing, nullptr) << command;
    EXPECT_NE(message_text(missing).find(kExplorerMissing), std::string::npos);
    answer(missing, IDOK);
  }
  EXPECT_TRUE(still_running(m));
}

TEST_F(Monitor, TrayRightClickShowsTheMenuAndDoubleClickOpensTheStartupPage) {
  Started m = start("paired");
  ASSERT_TRUE(wait_tray_icon(true));
  ASSERT_TRUE(driver::post(window_, kTrayCallback, kTrayIconId, WM_RBUTTONUP));
  driver::WindowQuery menu_query;
  menu_query.class_name = "#32768";
  menu_query.process_id = m.pid;
  menu_query.visible_only = true;
  HWND menu = driver::wait_for_window(menu_query, kWaitMs);
  ASSERT_NE(menu, nullptr) << "no pop-up menu";
  EXPECT_TRUE(screenshot("monitor_tray_menu"));
  // Cancelling the menu is what a click elsewhere does.
  ASSERT_TRUE(driver::post(window_, WM_CANCELMODE));
  EXPECT_TRUE(driver::wait_until_gone(menu, kWaitMs) || !IsWindowVisible(menu));

  ASSERT_TRUE(driver::post(window_, kTrayCallback, kTrayIconId, WM_LBUTTONDBLCLK));
  ASSERT_TRUE(wait_explorer_starts(1));
  EXPECT_EQ(explorer_starts(), std::vector<std::string>{"-START"});
  EXPECT_TRUE(still_running(m));
}

TEST_F(Monitor, ExplorerHidesAndShowsTheTrayIconUnlessHideRuskoIsSet) {
  Started m = start("alone");
  ASSERT_TRUE(wait_tray_icon(true));
  ASSERT_TRUE(driver::post_command(window_, 6053, 1));
  EXPECT_TRUE(wait_tray_icon(false));
  ASSERT_TRUE(driver::post_command(window_, 6053, 0));
  EXPECT_TRUE(wait_tray_icon(true));
  // The taskbar coming back brings the icon back too (and only one).
  ASSERT_TRUE(driver::post(window_, RegisterWindowMessageA("TaskbarCreated")));
  EXPECT_TRUE(wait_tray_icon(true));
  Started q = start_monitor("alone", "-Q");
  EXPECT_EQ(wait_exit(m), 0);
  EXPECT_TRUE(wait_tray_icon(false));

  set_option_text("HideRusko", "1");
  Started hidden = start("alone");
  ASSERT_TRUE(driver::post_command(window_, 6053, 0));
  ASSERT_TRUE(driver::post(window_, RegisterWindowMessageA("TaskbarCreated")));
  // Give the posted messages their turn: a message round-trip through the monitor's queue.
  ASSERT_TRUE(driver::post_command(window_, 6033));
  HWND missing = message_box_of(hidden.pid);
  ASSERT_NE(missing, nullptr);
  answer(missing, IDOK);
  EXPECT_FALSE(tray_icon_shown()) << "HideRusko 1: no icon, and 6053 does nothing";
}

TEST_F(Monitor, RealtimeNotificationsAreAccepted) {
  Started m = start("alone");
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(driver::post(window_, 9024));
  ASSERT_TRUE(driver::post_command(window_, 6026));
  HWND missing = message_box_of(m.pid);
  ASSERT_NE(missing, nullptr);
  answer(missing, IDOK);
  EXPECT_TRUE(still_running(m));
}

// Junk in the options: the monitor runs with the defaults and nothing asks.
TEST_F(Monitor, JunkOptionsFallBackToDefaults) {
  struct Case {
    const char* name;
    const char* text;  // nullptr: written as a number value instead
    DWORD number;
  };
  const Case cases[] = {{"TrayIcon", "abc", 0},   {"TrayIcon", "5555", 0}, {"TrayIcon", "-7", 0},
                        {"ConfirmExit", "x", 0},  {"TrayIcon", nullptr, 157},
                        {"ConfirmExit", nullptr, 1}, {"HideRusko", "yes", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " = " + (c.text ? c.text : "number " + std::to_string(c.number)));
    reset_state();
    if (c.text)
      set_option_text(c.name, c.text);
    else
      set_option_dword(c.name, c.number);
    Started m = start("alone");
    ASSERT_NE(window_, nullptr);
    EXPECT_TRUE(wait_tray_icon(true)) << "the default icon stands in";
    Started q = start_monitor("alone", "-Q");
    EXPECT_EQ(wait_exit(q), 0);
    EXPECT_EQ(wait_exit(m), 0) << "no exit question: ConfirmExit reads as its default 0";
  }
}
