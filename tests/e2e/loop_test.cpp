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

#include "platform/handles.hpp"
#include "tests/e2e/e2e_support_win.hpp"
#include "tests/wine/wine_test_support.hpp"
#include "tools/driver_win.hpp"

using namespace kestrom;
using namespace kestrom::e2e;

namespace {

constexpr const char* kLayout = "loop";
constexpr const char* kUserRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kSnapshot = "Software\\Orvane\\Kestrom\\Run";
constexpr const char* kProduct = "Software\\Orvane\\Kestrom";
constexpr const char* kDisabled = "Software\\Orvane\\Kestrom\\Disabled";
constexpr const char* kDisabledRun = "Software\\Orvane\\Kestrom\\Disabled\\Run";
constexpr const char* kHttpOpen = "http\\shell\\open\\command";
constexpr const char* kNewProgramTitle = "Kestrom New Program Alert";
constexpr const char* kPutBackTitle = "This Program doesn't want to be Delayed";
constexpr UINT kRealtime = 9024;
constexpr int kShowStartupCommand = 6026;
constexpr int kQuitCommand = 6030;
constexpr int kInfoButton = 1067;
constexpr int kYes = 6;
constexpr int kNo = 7;
// A patrol needs a realtime check and a tick or two; the machine is shared.
constexpr DWORD kAlertWaitMs = 60000;
constexpr DWORD kRepostMs = 3000;

// The entries this file writes into the user's Run key.
constexpr const char* kEntries[] = {"KtLoopSleeper", "KtLoopAgent", "KtLoopRepeat", "KtLoopDelayed", "KtLoopQuiet",
                                    "KtLoopQuietToo"};

template <typename F>
bool poll(F&& condition, DWORD timeout_ms = kWaitMs) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(driver::kPollMs);
  }
}

std::string fixture(const char* name) { return test::test_program_folder() + "\\" + name; }

std::string read_text(HKEY root, const char* key, const char* name, bool* exists = nullptr) {
  char buf[1024] = {};
  DWORD size = sizeof buf - 1;
  const bool ok = RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, buf, &size) == ERROR_SUCCESS;
  if (exists) *exists = ok;
  return ok ? std::string(buf) : std::string();
}

bool value_exists(HKEY root, const char* key, const std::string& name) {
  bool exists = false;
  read_text(root, key, name.c_str(), &exists);
  return exists;
}

void write_text(HKEY root, const char* key, const std::string& name, const std::string& text) {
  RegSetKeyValueA(root, key, name.empty() ? nullptr : name.c_str(), REG_SZ, text.c_str(),
                  static_cast<DWORD>(text.size() + 1));
}

std::string history_file() { return program_folder(kLayout) + "\\history.txt"; }
std::string trace_file() { return program_folder(kLayout) + "\\send2ov.txt"; }

std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string history_text() { return file_text(history_file()); }

// The History Log's lines that name `what` and hold the action.
std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// File texts come back in the case the system reports them (Wine gives upper case), so they
// are compared ignoring case.
bool has_text(const std::string& text, const std::string& part) {
  return lower(text).find(lower(part)) != std::string::npos;
}

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

struct Process {
  platform::UniqueHandle handle;
  DWORD pid = 0;
};

Process start_program(const std::string& path, const std::string& arguments = {}) {
  std::string command = "\"" + path + "\"";
  if (!arguments.empty()) command += " " + arguments;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  Process p;
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return p;
  CloseHandle(pi.hThread);
  p.handle.reset(pi.hProcess);
  p.pid = pi.dwProcessId;
  return p;
}

bool ended(const Process& p, DWORD timeout_ms = kWaitMs) {
  return p.handle && WaitForSingleObject(p.handle.get(), timeout_ms) == WAIT_OBJECT_0;
}

void stop(Process& p) {
  if (p.handle && !ended(p, 0)) {
    TerminateProcess(p.handle.get(), 1);
    WaitForSingleObject(p.handle.get(), kWaitMs);
  }
  p.handle.reset();
}

struct Alert {
  HWND window = nullptr;
  std::string name, path, question, info, yes, no;
};

Alert read_alert(HWND w) {
  Alert a;
  a.window = w;
  for (const auto& c : driver::children(w)) {
    switch (c.id) {
      case 100: a.name = c.text; break;
      case 1026: a.path = c.text; break;
      case 1036: a.question = c.text; break;
      case kInfoButton: a.info = c.text; break;
      case kYes: a.yes = c.text; break;
      case kNo: a.no = c.text; break;
      default: break;
    }
  }
  return a;
}

class Loop : public ::testing::Test {
 protected:
  void SetUp() override {
    clean();
    browser_ = read_text(HKEY_CLASSES_ROOT, kHttpOpen, nullptr);
    // Every address the monitor opens lands in the stand-in's record instead of a browser.
    write_text(HKEY_CLASSES_ROOT, kHttpOpen, "", "\"" + fixture("fixtures\\fake_explorer.exe") + "\" \"%1\"");
    write_text(HKEY_LOCAL_MACHINE, kProduct, "InfoServer", "http://info.test");
  }
  void TearDown() override {
    if (monitor_.pid) {
      Started q = start_monitor(kLayout, "-Q");
      wait_exit(q);
      wait_exit(monitor_);
    }
    for (Process& p : programs_) stop(p);
    write_text(HKEY_CLASSES_ROOT, kHttpOpen, "", browser_);
    clean();
  }
  static void clean() {
    driver::WindowQuery explorers;
    explorers.class_name = "KestromEx";
    for (HWND w : driver::find_windows(explorers)) {
      PostMessageA(w, WM_COMMAND, kQuitCommand, 0);
      driver::wait_until_gone(w, kWaitMs);
    }
    reset_state();
    for (const char* name : kEntries) {
      RegDeleteKeyValueA(HKEY_CURRENT_USER, kUserRun, name);
      RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kDisabled, name);
      RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kDisabledRun, name);
    }
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kProduct, "InfoServer");
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
    programs_.push_back(start_program(fixture("kt_sleeper.exe")));
    EXPECT_TRUE(programs_.back().handle);
    return programs_.back();
  }

  // Waits for an alert of the monitor. kestrompro reports the Run change; a notification that
  // arrives on the tick of a patrol is spent by it, so it is repeated until the alert shows.
  HWND wait_alert(const char* title) {
    driver::WindowQuery q;
    q.class_name = "#32770";
    q.title = title;
    q.process_id = monitor_.pid;
    q.visible_only = true;
    const ULONGLONG end = GetTickCount64() + kAlertWaitMs;
    while (GetTickCount64() < end) {
      if (HWND w = driver::wait_for_window(q, kRepostMs)) return w;
      PostMessageA(window_, kRealtime, 0, 0);
    }
    return nullptr;
  }

  void answer(HWND alert, int button) {
    ASSERT_TRUE(driver::press(alert, button));
    ASSERT_TRUE(driver::wait_until_gone(alert, kWaitMs));
  }

  Started monitor_;
  HWND window_ = nullptr;
  std::vector<Process> programs_;
  std::string browser_;
};

}  // namespace

TEST_F(Loop, NoEndsTheProgramRemovesTheEntryAndLogsAlertRemovalAndKill) {
  start();
  const std::string sleeper = fixture("kt_sleeper.exe");
  const Process& running = run_sleeper();
  write_text(HKEY_CURRENT_USER, kUserRun, "KtLoopSleeper", "\"" + sleeper + "\"");

  HWND w = wait_alert(kNewProgramTitle);
  ASSERT_NE(w, nullptr) << "no new-program alert";
  const Alert a = read_alert(w);
  EXPECT_EQ(a.name, "Sleeper Suite");
  EXPECT_EQ(a.path, sleeper) << "the entry's file field, without the quotes";
  EXPECT_NE(a.question.find("A new auto Startup Program has been detected."), std::string::npos) << a.question;
  EXPECT_NE(a.question.find("This program will run each time you login or restart your machine."),
            std::string::npos)
      << a.question;
  EXPECT_EQ(a.info, "VANT &Info...");
  EXPECT_EQ(a.yes, "&Yes");
  EXPECT_EQ(a.no, "&No");
  EXPECT_TRUE(screenshot("loop_new_program_alert"));
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
  EXPECT_TRUE(ended(running)) << "the rejected program is still running";
  EXPECT_TRUE(poll([] { return !value_exists(HKEY_CURRENT_USER, kUserRun, "KtLoopSleeper"); }))
      << "the Run value is still there";
  EXPECT_TRUE(poll([] { return history_has("*START_Remove", "KtLoopSleeper"); })) << history_text();
  EXPECT_TRUE(history_has("TASK_Kill", "kt_sleeper.exe")) << history_text();
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kSnapshot, sleeper));
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kSnapshot, "KtLoopSleeper"));
}

TEST_F(Loop, YesKeepsTheEntryAndTheExplorerListsIt) {
  set_option_text("Debug", "1");
  start();
  const std::string agent = fixture("kt_agent.exe");
  write_text(HKEY_CURRENT_USER, kUserRun, "KtLoopAgent", "\"" + agent + "\" /tray");
  run_sleeper();

  HWND w = wait_alert(kNewProgramTitle);
  ASSERT_NE(w, nullptr) << "no new-program alert";
  const Alert a = read_alert(w);
  EXPECT_EQ(a.name, "Agent Suite");
  EXPECT_EQ(a.path, agent + " /tray");
  answer(w, kYes);

  // The snapshot names the entry by its file field and holds the HKCU Run location code.
  const std::string key = agent + " /tray";
  EXPECT_TRUE(poll([&] { return read_text(HKEY_CURRENT_USER, kSnapshot, key.c_str()) == "11"; }))
      << read_text(HKEY_CURRENT_USER, kSnapshot, key.c_str());
  EXPECT_EQ(read_text(HKEY_CURRENT_USER, kUserRun, "KtLoopAgent"), "\"" + agent + "\" /tray");
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
    EXPECT_TRUE(traced(point)) << point << " not in " << file_text(trace_file());

  // The monitor's "Display Startup Info" opens the real explorer on its Startup Programs page.
  ASSERT_TRUE(driver::post_command(window_, kShowStartupCommand));
  driver::WindowQuery sheets;
  sheets.class_name = "#32770";
  sheets.title = "Kestrom";
  sheets.visible_only = true;
  HWND sheet = driver::wait_for_window(sheets, kWaitMs);
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
  EXPECT_TRUE(screenshot("loop_explorer_startup_page"));
}

TEST_F(Loop, TheThirdQuestionInARowDisablesTheProgramAndOpensTheHelpPage) {
  start();
  const std::string sleeper = fixture("kt_sleeper.exe");
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE("question " + std::to_string(round));
    // The program puts itself back each time, as some do. It runs in every other round only:
    // the realtime check acts when the number of running programs differs from the last one.
    const bool runs = round != 2;
    if (runs) run_sleeper();
    write_text(HKEY_CURRENT_USER, kUserRun, "KtLoopRepeat", sleeper);
    HWND w = wait_alert(kNewProgramTitle);
    ASSERT_NE(w, nullptr);
    answer(w, kNo);
    if (runs) {
      EXPECT_TRUE(ended(programs_.back()));
    }
    ASSERT_TRUE(poll([] { return !value_exists(HKEY_CURRENT_USER, kUserRun, "KtLoopRepeat"); }));
    if (round < 3) {
      EXPECT_FALSE(value_exists(HKEY_LOCAL_MACHINE, kDisabled, "KtLoopRepeat")) << "removed, not disabled";
      EXPECT_TRUE(explorer_starts().empty()) << "no help page before the third question";
    }
  }
  // The third No disabled it: the marker and the kept command are in the Disabled Store, and
  // the removal record was written only for the first two.
  EXPECT_TRUE(poll([] { return !read_text(HKEY_LOCAL_MACHINE, kDisabled, "KtLoopRepeat").empty(); }));
  EXPECT_EQ(read_text(HKEY_LOCAL_MACHINE, kDisabled, "KtLoopRepeat"), "11");
  EXPECT_EQ(lower(read_text(HKEY_LOCAL_MACHINE, kDisabledRun, "KtLoopRepeat")), lower(sleeper));
  ASSERT_TRUE(wait_explorer_starts(1)) << "the help page was not opened";
  EXPECT_NE(explorer_starts()[0].find("http://info.test/helpme.html"), std::string::npos) << explorer_starts()[0];
  const std::string log = history_text();
  auto count = [&](const std::string& action) {
    std::size_t n = 0;
    for (std::size_t at = log.find("\t" + action + "\t"); at != std::string::npos;
         at = log.find("\t" + action + "\t", at + 1))
      ++n;
    return n;
  };
  EXPECT_EQ(count("START_Alert"), 3u) << log;
  EXPECT_EQ(count("*START_Remove"), 2u) << log;
}

TEST_F(Loop, DelayedProgramThatPutItselfBackIsAskedAboutAndDisabled) {
  const std::string agent = fixture("kt_agent.exe");
  // Accepted at the first start, then moved to the delayed-start list (the removed marker)...
  write_text(HKEY_CURRENT_USER, kUserRun, "KtLoopDelayed", agent);
  start();
  ASSERT_TRUE(poll([&] { return value_exists(HKEY_CURRENT_USER, kSnapshot, agent); }))
      << "the first start approves what is there";
  write_text(HKEY_CURRENT_USER, kSnapshot, agent, "1103");
  run_sleeper();

  // ...and now found in its Run key again.
  HWND w = wait_alert(kPutBackTitle);
  ASSERT_NE(w, nullptr) << "no put-back alert";
  const Alert a = read_alert(w);
  EXPECT_EQ(a.name, "Agent Suite");
  EXPECT_NE(a.question.find("This program has put itself back into the regular Windows Startup Programs list."),
            std::string::npos)
      << a.question;
  EXPECT_EQ(a.yes, "&Yes");
  EXPECT_EQ(a.no, "Disable");
  EXPECT_TRUE(screenshot("loop_put_back_alert"));
  answer(w, kNo);

  EXPECT_TRUE(poll([&] { return read_text(HKEY_CURRENT_USER, kSnapshot, agent.c_str()) == "11"; }));
  EXPECT_TRUE(poll([] { return !value_exists(HKEY_CURRENT_USER, kUserRun, "KtLoopDelayed"); }));
  EXPECT_EQ(read_text(HKEY_LOCAL_MACHINE, kDisabled, "KtLoopDelayed"), "11");
  EXPECT_EQ(read_text(HKEY_LOCAL_MACHINE, kDisabledRun, "KtLoopDelayed"), agent);
}

TEST_F(Loop, HideOptionsAnswerWithoutAskingAndAnOptionChangeIsTakenUpOnTheNextCheck) {
  // The user chose to have new entries removed without a question.
  set_option_text("HideStartup", "2");
  set_option_text("ShowAlerts", "0");
  start();
  const std::string agent = fixture("kt_agent.exe");
  run_sleeper();
  write_text(HKEY_CURRENT_USER, kUserRun, "KtLoopQuiet", agent + " /one");
  const ULONGLONG end = GetTickCount64() + kAlertWaitMs;
  while (value_exists(HKEY_CURRENT_USER, kUserRun, "KtLoopQuiet") && GetTickCount64() < end) {
    Sleep(kRepostMs);
    PostMessageA(window_, kRealtime, 0, 0);
  }
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kUserRun, "KtLoopQuiet")) << "not removed";
  EXPECT_TRUE(poll([] { return history_has("*START_Remove", "KtLoopQuiet"); })) << history_text();
  EXPECT_FALSE(history_has("START_Alert", "KtLoopQuiet")) << "no question, so no alert record";

  // The explorer switches to silent approval (every option write sets Update); the monitor
  // reloads its options on the next realtime check that sees the running programs change.
  set_option_text("HideStartup", "1");
  set_option_text("Update", "1");
  stop(programs_.back());
  write_text(HKEY_CURRENT_USER, kUserRun, "KtLoopQuietToo", agent + " /two");
  const std::string key = agent + " /two";
  EXPECT_TRUE(poll(
      [&] {
        if (read_text(HKEY_CURRENT_USER, kSnapshot, key.c_str()) == "11") return true;
        PostMessageA(window_, kRealtime, 0, 0);
        Sleep(kRepostMs);
        return false;
      },
      kAlertWaitMs))
      << "not approved silently";
  EXPECT_TRUE(value_exists(HKEY_CURRENT_USER, kUserRun, "KtLoopQuietToo"));
  EXPECT_EQ(read_text(HKEY_CURRENT_USER, "Software\\Orvane\\Kestrom\\Options", "Update"), "0");
  driver::WindowQuery alerts;
  alerts.class_name = "#32770";
  alerts.process_id = monitor_.pid;
  alerts.visible_only = true;
  EXPECT_TRUE(driver::find_windows(alerts).empty()) << "a question was shown";
}

TEST_F(Loop, ProgramOrLibraryOnTheCommandLineOpensTheLookup) {
  const std::string agent = fixture("kt_agent.exe");
  Started exe = start_monitor(kLayout, "\"" + agent + "\"");
  EXPECT_EQ(wait_exit(exe), 0);
  ASSERT_TRUE(wait_explorer_starts(1));
  EXPECT_TRUE(has_text(explorer_starts()[0], "program=kt_agent.exe&vendor=Fixture%20Works&")) << explorer_starts()[0];
  EXPECT_NE(explorer_starts()[0].find("&Type=460&"), std::string::npos) << explorer_starts()[0];

  Started dll = start_monitor(kLayout, fixture("kt_applet.dll"));
  EXPECT_EQ(wait_exit(dll), 0);
  ASSERT_TRUE(wait_explorer_starts(2));
  EXPECT_TRUE(has_text(explorer_starts()[1], "program=kt_applet.dll&")) << explorer_starts()[1];
  EXPECT_TRUE(has_text(explorer_starts()[1], "&Type=470&Loc=en&ext=dll")) << explorer_starts()[1];
  driver::WindowQuery any;
  any.class_name = "Kestrom";
  EXPECT_TRUE(driver::find_windows(any).empty()) << "no monitor was started";
}
