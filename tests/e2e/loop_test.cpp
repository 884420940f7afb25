// The whole loop as a user meets it: a program adds itself to the user's Run key from outside,
// the real monitor finds it on its next patrol, asks with the new-program alert, and the answer
// is carried out in the registry, the Disabled Store and the History Log; the real explorer
// then lists what stayed. The browser is a recording stand-in, so the lookup and the help page
// can be checked without a network.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support_win.hpp"

using namespace kestrom;
using namespace kestrom::e2e;

namespace {

constexpr const char* kLayout = "loop";
constexpr const char* kSnapshot = "Software\\Orvane\\Kestrom\\Run";
constexpr const char* kHttpOpen = "http\\shell\\open\\command";
constexpr const char* kNewProgramTitle = "Kestrom New Program Alert";
constexpr UINT kRealtime = 9024;
constexpr int kShowStartupCommand = 6026;
constexpr int kInfoButton = 1067;
constexpr int kYes = 6;
constexpr int kNo = 7;
// A patrol needs a realtime check and a tick or two; the machine is shared.
constexpr DWORD kAlertWaitMs = 60000;
constexpr DWORD kRepostMs = 3000;

// The entries this file writes into the user's Run key.
constexpr const char* kEntries[] = {"KtLoopSleeper", "KtLoopAgent"};

using test::end_process;
using test::fixture;
using test::get_value;
using test::poll;
using test::set_value;
using test::value_exists;

std::string history_file() { return program_folder(kLayout) + "\\history.txt"; }
std::string trace_file() { return program_folder(kLayout) + "\\send2ov.txt"; }

std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string history_text() { return file_text(history_file()); }

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// File texts come back in the case the system reports them (Wine gives upper case), so they
// are compared ignoring case.
bool has_text(const std::string& text, const std::string& part) {
  return lower(text).find(lower(part)) != std::string::npos;
}

// Whether a line of the History Log holds the action and names `what`.
bool history_has(const std::string& action, const std::string& what) {
  const std::string text = history_text();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    if (line.find("\t" + action + "\t") != std::string::npos && has_text(line, what)) return true;
    start = end + 1;
  }
  return false;
}

struct Alert {
  std::string name, path, no;
};

Alert read_alert(HWND w) {
  return {driver::text_of(GetDlgItem(w, 100)), driver::text_of(GetDlgItem(w, 1026)),
          driver::text_of(GetDlgItem(w, kNo))};
}

class Loop : public ::testing::Test {
 protected:
  void SetUp() override {
    reset();
    // Every address the monitor opens lands in the stand-in's record instead of a browser.
    set_value(HKEY_CLASSES_ROOT, kHttpOpen, "", "\"" + fixture("fixtures\\fake_explorer.exe") + "\" \"%1\"");
    set_value(HKEY_LOCAL_MACHINE, kProduct, "InfoServer", "http://info.test");
  }
  void TearDown() override {
    if (monitor_.pid) {
      Process q = start_monitor(kLayout, "-Q");
      wait_exit(q);
      wait_exit(monitor_);
    }
    for (Process& p : programs_) end_process(p);
    reset();
  }
  static void reset() {
    reset_state();
    for (const char* name : kEntries) test::delete_value(HKEY_CURRENT_USER, kUserRun, name);
    DeleteFileA(history_file().c_str());
    DeleteFileA(trace_file().c_str());
  }

  // Starts the monitor and waits until it patrols: its tray icon comes after the product
  // initialisation and after kestrompro has the window.
  void start() {
    monitor_ = start_monitor(kLayout);
    ASSERT_TRUE(monitor_);
    window_ = monitor_window(monitor_.pid);
    ASSERT_NE(window_, nullptr);
    ASSERT_TRUE(wait_tray_icon(true));
  }

  // A program that keeps running, as a startup program would after its installer ran it. A
  // new running program also changes the count the realtime check compares.
  const Process& run_sleeper() {
    programs_.push_back(test::start_process(fixture("kt_sleeper.exe")));
    EXPECT_TRUE(programs_.back());
    return programs_.back();
  }

  // Waits for an alert of the monitor. kestrompro reports the Run change; a notification that
  // arrives on the tick of a patrol is spent by it, so it is repeated until the alert shows.
  HWND wait_alert(const char* title) {
    HWND w = nullptr;
    poll(
        [&] {
          if ((w = dialog_of(monitor_.pid, title, kRepostMs)) != nullptr) return true;
          PostMessageA(window_, kRealtime, 0, 0);
          return false;
        },
        kAlertWaitMs);
    return w;
  }

  void answer(HWND alert, int button) {
    ASSERT_TRUE(driver::press(alert, button));
    ASSERT_TRUE(driver::wait_until_gone(alert, kWaitMs));
  }

  Process monitor_;
  HWND window_ = nullptr;
  std::vector<Process> programs_;
  test::SavedValue browser_{HKEY_CLASSES_ROOT, kHttpOpen, ""};
};

}  // namespace

TEST_F(Loop, NoEndsTheProgramRemovesTheEntryAndLogsAlertRemovalAndKill) {
  start();
  const std::string sleeper = fixture("kt_sleeper.exe");
  const Process& running = run_sleeper();
  set_value(HKEY_CURRENT_USER, kUserRun, "KtLoopSleeper", "\"" + sleeper + "\"");

  HWND w = wait_alert(kNewProgramTitle);
  ASSERT_NE(w, nullptr) << "no new-program alert";
  const Alert a = read_alert(w);
  EXPECT_EQ(a.name, "Sleeper Suite");
  EXPECT_EQ(a.path, sleeper) << "the entry's file field, without the quotes";
  // Its texts are the alert tests' (monitor/alerts/tests); here: the right dialog came up.
  EXPECT_EQ(a.no, "&No");
  EXPECT_TRUE(test::screenshot("loop_new_program_alert"));
  // The alert record is written when the question opens.
  EXPECT_TRUE(history_has("START_Alert", "KtLoopSleeper")) << history_text();

  // The info button opens the lookup for the entry and leaves the question open, out of the
  // topmost band so the browser can come forward.
  ASSERT_TRUE(driver::press(w, kInfoButton));
  ASSERT_TRUE(wait_explorer_starts(1)) << "the lookup opened nothing";
  const std::string address = explorer_starts()[0];
  EXPECT_TRUE(has_text(address, "http://info.test/cgi-bin/vantinfo.pl?program=kt_sleeper.exe&")) << address;
  EXPECT_NE(address.find("&Type=1011&"), std::string::npos) << address;
  EXPECT_NE(address.find("&vendor=Fixture%20Works&"), std::string::npos) << address;
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_TRUE(poll([&] { return (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0; }));

  answer(w, kNo);
  EXPECT_TRUE(poll([&] { return !still_running(running); })) << "the rejected program is still running";
  EXPECT_TRUE(poll([] { return !value_exists(HKEY_CURRENT_USER, kUserRun, "KtLoopSleeper"); }))
      << "the Run value is still there";
  EXPECT_TRUE(poll([] { return history_has("*START_Remove", "KtLoopSleeper"); })) << history_text();
  EXPECT_TRUE(history_has("TASK_Kill", "kt_sleeper.exe")) << history_text();
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kSnapshot, sleeper));
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kSnapshot, "KtLoopSleeper"));
}

TEST_F(Loop, YesKeepsTheEntryAndTheExplorerListsIt) {
  set_value(HKEY_CURRENT_USER, kOptions, "Debug", "1");
  start();
  const std::string agent = fixture("kt_agent.exe");
  set_value(HKEY_CURRENT_USER, kUserRun, "KtLoopAgent", "\"" + agent + "\" /tray");
  run_sleeper();

  HWND w = wait_alert(kNewProgramTitle);
  ASSERT_NE(w, nullptr) << "no new-program alert";
  const Alert a = read_alert(w);
  EXPECT_EQ(a.name, "Agent Suite");
  EXPECT_EQ(a.path, agent + " /tray");
  answer(w, kYes);

  // The snapshot names the entry by its file field and holds the HKCU Run location code.
  const std::string key = agent + " /tray";
  EXPECT_TRUE(poll([&] { return get_value(HKEY_CURRENT_USER, kSnapshot, key.c_str()) == "11"; }))
      << get_value(HKEY_CURRENT_USER, kSnapshot, key.c_str());
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kUserRun, "KtLoopAgent"), "\"" + agent + "\" /tray");
  EXPECT_TRUE(history_has("START_Alert", "KtLoopAgent")) << history_text();
  EXPECT_FALSE(history_has("*START_Remove", "KtLoopAgent"));
  // The cycle's trace points: the realtime check, the cycle, and the startup step, which
  // reports that it asked instead of how long the user took to answer.
  auto traced = [](const std::string& point) {
    const std::string trace = file_text(trace_file());
    for (std::size_t at = trace.find(point); at != std::string::npos; at = trace.find(point, at + 1)) {
      const std::size_t after = at + point.size();
      if (after == trace.size() || !std::isdigit(static_cast<unsigned char>(trace[after]))) return true;
    }
    return false;
  };
  EXPECT_TRUE(poll([&] { return traced("Exit Normal Verify"); })) << file_text(trace_file());
  for (const char* point : {"Check for Task Change", "Enter Verify function", "NanoCycles: Startup Programs = 1"})
    // The monitor rewrites the trace file whole, so a read can catch it half written.
    EXPECT_TRUE(poll([&] { return traced(point); })) << point << " not in " << file_text(trace_file());

  // The monitor's "Display Startup Info" opens the real explorer on its Startup Programs page.
  ASSERT_TRUE(driver::post_command(window_, kShowStartupCommand));
  HWND sheet = dialog_of(0);
  ASSERT_NE(sheet, nullptr) << "the explorer did not open";
  std::vector<std::string> row;
  HWND list = nullptr;
  ASSERT_TRUE(poll([&] {
    for (const auto& c : driver::children(sheet))
      if (c.id == 1000 && c.class_name == "SysListView32" && IsWindowVisible(c.hwnd)) list = c.hwnd;
    if (!list) return false;
    for (const auto& r : driver::read_list_view(list, 5))
      if (!r.empty() && r[0] == "KtLoopAgent") {
        row = r;
        return true;
      }
    return false;
  })) << "the explorer does not list the accepted entry";
  ASSERT_GE(row.size(), 4u);
  EXPECT_EQ(row[1].rfind("kt_agent.exe", 0), 0u) << row[1];
  EXPECT_EQ(row[3], "HKCU_RUN");
  EXPECT_TRUE(test::screenshot("loop_explorer_startup_page"));
}

TEST_F(Loop, ProgramOrLibraryOnTheCommandLineOpensTheLookup) {
  const std::string agent = fixture("kt_agent.exe");
  Process exe = start_monitor(kLayout, "\"" + agent + "\"");
  EXPECT_EQ(wait_exit(exe), 0);
  ASSERT_TRUE(wait_explorer_starts(1));
  EXPECT_TRUE(has_text(explorer_starts()[0], "program=kt_agent.exe&vendor=Fixture%20Works&")) << explorer_starts()[0];
  EXPECT_NE(explorer_starts()[0].find("&Type=460&"), std::string::npos) << explorer_starts()[0];

  Process dll = start_monitor(kLayout, fixture("kt_applet.dll"));
  EXPECT_EQ(wait_exit(dll), 0);
  ASSERT_TRUE(wait_explorer_starts(2));
  EXPECT_TRUE(has_text(explorer_starts()[1], "program=kt_applet.dll&")) << explorer_starts()[1];
  EXPECT_TRUE(has_text(explorer_starts()[1], "&Type=470&Loc=en&ext=dll")) << explorer_starts()[1];
  driver::WindowQuery any;
  any.class_name = "Kestrom";
  EXPECT_TRUE(driver::find_windows(any).empty()) << "no monitor was started";
}
