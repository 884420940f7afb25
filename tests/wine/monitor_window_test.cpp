// The monitor window in-process, with its hooks scripted: the realtime path from message
// 9024 to the Patrol Cycle, and the system error box.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "monitor/monitor_win.hpp"
#include "tools/test_support_win.hpp"

using namespace kestrom::monitor;

namespace {

using namespace kestrom::test;

constexpr const char* kTestClass = "KestromWindowTest";

class MonitorWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    delete_tree(HKEY_CURRENT_USER, "Software\\Orvane");
    hooks.initialise = [] { return kestrom::ProductState{}; };
    hooks.count_processes = [this] { return ++process_count; };
    hooks.patrol_step = [this](PatrolStep s, Monitor& m) {
      steps.push_back(s);
      busy_during_step = m.patrol_busy;
    };
  }
  void TearDown() override { delete_tree(HKEY_CURRENT_USER, "Software\\Orvane"); }

  MonitorHooks hooks;
  int process_count = 100;
  std::vector<PatrolStep> steps;
  bool busy_during_step = false;
};

}  // namespace

TEST_F(MonitorWindow, RealtimeNotificationBringsTheRealtimeStepsForwardToTheNextTick) {
  Monitor m(GetModuleHandleA(nullptr), hooks);
  ASSERT_TRUE(m.create(kTestClass, "Kestrom", false));
  m.initialise();
  PostMessageA(m.window(), kRealtimeMessage, 0, 0);
  ASSERT_TRUE(pump_until([&] { return !steps.empty(); })) << "no Patrol Cycle after the realtime check";
  EXPECT_GE(process_count, 101) << "the realtime check counted the processes";
  // The first-half steps whose Realtime option is on by default, in cycle order.
  EXPECT_EQ(steps, (std::vector<PatrolStep>{PatrolStep::Startup, PatrolStep::IEHelpers, PatrolStep::ActiveX,
                                            PatrolStep::SystemFiles, PatrolStep::DefaultPages}));
  EXPECT_TRUE(busy_during_step);
  EXPECT_FALSE(m.patrol_busy);
  EXPECT_EQ(m.patrol_schedule().half(), 1);
}

TEST_F(MonitorWindow, RealtimeCheckReloadsChangedOptionsFirstAndClearsUpdate) {
  Monitor m(GetModuleHandleA(nullptr), hooks);
  ASSERT_TRUE(m.create(kTestClass, "Kestrom", false));
  m.initialise();
  // The explorer switches RealtimeStartup off while the monitor runs.
  const char* options = "Software\\Orvane\\Kestrom\\Options";
  set_value(HKEY_CURRENT_USER, options, "RealtimeStartup", "0");
  set_value(HKEY_CURRENT_USER, options, "Update", "1");
  PostMessageA(m.window(), kRealtimeMessage, 0, 0);
  ASSERT_TRUE(pump_until([&] { return !steps.empty(); }));
  EXPECT_EQ(steps, (std::vector<PatrolStep>{PatrolStep::IEHelpers, PatrolStep::ActiveX, PatrolStep::SystemFiles,
                                            PatrolStep::DefaultPages}));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, options, "Update"), "0");
}

TEST_F(MonitorWindow, EveryCycleTakesUpChangedOptionsEvenWithoutARealtimeCheck) {
  hooks.count_processes = [] { return 100; };  // the running programs never change
  Monitor m(GetModuleHandleA(nullptr), hooks);
  ASSERT_TRUE(m.create(kTestClass, "Kestrom", false));
  m.initialise();
  const char* options = "Software\\Orvane\\Kestrom\\Options";
  RegSetKeyValueA(HKEY_CURRENT_USER, options, "HideRusko", REG_SZ, "1", 2);
  RegSetKeyValueA(HKEY_CURRENT_USER, options, "Update", REG_SZ, "1", 2);
  m.patrol_cycle();
  EXPECT_TRUE(m.options().hide_icon) << "the explorer's change was not taken up";
  char update[16] = {};
  DWORD size = sizeof update;
  ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, options, "Update", RRF_RT_REG_SZ, nullptr, update, &size), ERROR_SUCCESS);
  EXPECT_STREQ(update, "0");
}

TEST_F(MonitorWindow, SystemErrorBoxShowsTheCodeAndTheSystemText) {
  Monitor m(GetModuleHandleA(nullptr), hooks);
  ASSERT_TRUE(m.create(kTestClass, "Kestrom", false));
  // The box is modal on this thread: a second one answers it and keeps its text.
  std::string text;
  UserThread user([&] {
    kestrom::driver::WindowQuery q;
    q.class_name = "#32770";
    q.title = "System Error";
    q.process_id = GetCurrentProcessId();
    q.visible_only = true;
    if (HWND box = kestrom::driver::wait_for_window(q)) {
      for (const auto& c : kestrom::driver::children(box))
        if (c.class_name == "Static") text += c.text;
      kestrom::driver::press(box, IDOK);
    }
  });
  SetLastError(ERROR_ACCESS_DENIED);
  m.show_system_error();
  ASSERT_TRUE(user.join());
  ASSERT_FALSE(text.empty()) << "no System Error box";
  char system_text[512] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_ACCESS_DENIED, 0,
                 system_text, sizeof system_text, nullptr);
  std::string expected = "5  " + std::string(system_text);
  while (!expected.empty() && (expected.back() == '\n' || expected.back() == '\r')) expected.pop_back();
  EXPECT_EQ(text.substr(0, expected.size()), expected);
}
