// The monitor window in-process, with its hooks scripted: the realtime path from message
// 9024 to the Patrol Cycle, the cycle's guards, and the exit command.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "monitor/monitor_win.hpp"
#include "tools/driver_win.hpp"

using namespace kestrom::monitor;

namespace {

constexpr DWORD kWaitMs = 20000;
constexpr const char* kTestClass = "KestromWindowTest";

// Dispatches this thread's messages until the condition holds; false after the timeout.
template <typename F>
bool pump_until(F&& condition, DWORD timeout_ms = kWaitMs) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  while (!condition()) {
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 100)), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return true;
}

class MonitorWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Orvane");
    hooks.initialise = [] { return kestrom::ProductState{}; };
    hooks.count_processes = [this] { return ++process_count; };
    hooks.patrol_step = [this](PatrolStep s, Monitor& m) {
      steps.push_back(s);
      busy_during_step = m.patrol_busy;
    };
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Orvane"); }

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
  RegSetKeyValueA(HKEY_CURRENT_USER, options, "RealtimeStartup", REG_SZ, "0", 2);
  RegSetKeyValueA(HKEY_CURRENT_USER, options, "Update", REG_SZ, "1", 2);
  PostMessageA(m.window(), kRealtimeMessage, 0, 0);
  ASSERT_TRUE(pump_until([&] { return !steps.empty(); }));
  EXPECT_EQ(steps, (std::vector<PatrolStep>{PatrolStep::IEHelpers, PatrolStep::ActiveX, PatrolStep::SystemFiles,
                                            PatrolStep::DefaultPages}));
  char update[16] = {};
  DWORD size = sizeof update;
  ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, options, "Update", RRF_RT_REG_SZ, nullptr, update, &size), ERROR_SUCCESS);
  EXPECT_STREQ(update, "0");
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

TEST_F(MonitorWindow, DelayedProgramsAreLaunchedOnEverySixthTickWithGrowingTimes) {
  std::vector<int> times;
  hooks.initialise = [] {
    kestrom::ProductState state;
    state.delay_count = 2;
    return state;
  };
  hooks.launch_delayed = [&](int time) {
    times.push_back(time);
    return static_cast<int>(times.size());  // one program per call
  };
  Monitor m(GetModuleHandleA(nullptr), hooks);
  ASSERT_TRUE(m.create(kTestClass, "Kestrom", false));
  m.initialise();
  ASSERT_TRUE(pump_until([&] { return times.size() >= 2; }, 60000));
  EXPECT_EQ(times, (std::vector<int>{10, 20}));
}

TEST_F(MonitorWindow, PatrolCycleGuardsAndEarlyExit) {
  Monitor m(GetModuleHandleA(nullptr), hooks);
  ASSERT_TRUE(m.create(kTestClass, "Kestrom", false));
  m.initialise();
  m.alert_showing = true;
  EXPECT_EQ(m.patrol_cycle(), 1);
  m.alert_showing = false;
  m.patrol_busy = true;
  EXPECT_EQ(m.patrol_cycle(), 1);
  m.patrol_busy = false;
  // The initialisation counts as the last cycle: a cycle right after it leaves early.
  EXPECT_EQ(m.patrol_cycle(), 0);
  EXPECT_TRUE(steps.empty());
  EXPECT_FALSE(m.patrol_busy);
}

TEST_F(MonitorWindow, ExitCommandEndsTheMessageLoopWithCodeZero) {
  Monitor m(GetModuleHandleA(nullptr), hooks);
  ASSERT_TRUE(m.create(kTestClass, "Kestrom", false));
  m.initialise();
  PostMessageA(m.window(), WM_COMMAND, cmd::kQuit, 0);
  EXPECT_EQ(m.run_message_loop(), 0);
}

namespace {

// Answers the first "System Error" box of this process from a second thread (the box is
// modal on the test's own thread) and keeps its text.
struct BoxAnswer {
  std::string text;
  bool found = false;
};

DWORD WINAPI answer_system_error(void* param) {
  auto* answer = static_cast<BoxAnswer*>(param);
  kestrom::driver::WindowQuery q;
  q.class_name = "#32770";
  q.title = "System Error";
  q.process_id = GetCurrentProcessId();
  q.visible_only = true;
  HWND box = kestrom::driver::wait_for_window(q, kWaitMs);
  if (!box) return 1;
  answer->found = true;
  for (const auto& c : kestrom::driver::children(box))
    if (c.class_name == "Static") answer->text += c.text;
  kestrom::driver::press(box, IDOK);
  return 0;
}

}  // namespace

TEST_F(MonitorWindow, SystemErrorBoxShowsTheCodeAndTheSystemText) {
  Monitor m(GetModuleHandleA(nullptr), hooks);
  ASSERT_TRUE(m.create(kTestClass, "Kestrom", false));
  BoxAnswer answer;
  HANDLE thread = CreateThread(nullptr, 0, &answer_system_error, &answer, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  SetLastError(ERROR_ACCESS_DENIED);
  m.show_system_error();
  WaitForSingleObject(thread, kWaitMs);
  CloseHandle(thread);
  ASSERT_TRUE(answer.found) << "no System Error box";
  char system_text[512] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_ACCESS_DENIED, 0,
                 system_text, sizeof system_text, nullptr);
  std::string expected = "5  " + std::string(system_text);
  while (!expected.empty() && (expected.back() == '\n' || expected.back() == '\r')) expected.pop_back();
  EXPECT_EQ(answer.text.substr(0, expected.size()), expected);
}
