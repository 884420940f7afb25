// The Delay List against the real registry: moving startup entries into it and back, the
// options, forgetting, refused writes staged as a standard user meets HKLM, and the launcher
// starting the recorder programs.
#include <gtest/gtest.h>

#include "common/history_log.hpp"
#include "common/registry.hpp"
#include "common/text.hpp"
#include "startup/delay_store.hpp"
#include "startup/snapshot.hpp"
#include "tests/wine/startup_test_support.hpp"
#include "tools/denied_key.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kWowRun = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kDelay = "Software\\Orvane\\Kestrom\\Delay";
constexpr const char* kRecorder = "Software\\KestromTest\\Recorder";
const std::string kTime = std::string(kDelay) + "\\Time";
const std::string kParameters = std::string(kDelay) + "\\Parameters";
const std::string kShortcuts = std::string(kDelay) + "\\Shortcuts";
const std::string kApplet = std::string(kDelay) + "\\Applet";
const std::string kTitle = std::string(kDelay) + "\\Title";
const std::string kOpenAs = std::string(kDelay) + "\\OpenAs";

class Delay : public ::testing::Test {
 protected:
  void SetUp() override { clean(); }
  void TearDown() override { clean(); }
  void clean() {
    clean_startup_state();
    delete_tree(HKEY_LOCAL_MACHINE, kDelay);
    delete_tree(HKEY_CURRENT_USER, kDelay);
    delete_tree(HKEY_CURRENT_USER, kRecorder);
    clear_values(HKEY_LOCAL_MACHINE, kWowRun);
    DeleteFileA(history_file_path().c_str());
  }
  std::vector<HistoryRecord> history() { return read_history(history_file_path()); }
  // The startup listing's item of a Run value.
  StartupItem listed(const std::string& title) {
    list_all(list, true);
    const StartupItem* item = find_title(list, title);
    return item ? *item : StartupItem{};
  }
  StartupItem delayed(const std::string& title) {
    ItemList d;
    delay::list_delayed_programs(d, system_item_rules());
    const StartupItem* item = find_title(d, title);
    return item ? *item : StartupItem{};
  }
  static DWORD recorder_starts() {
    DWORD n = 0, size = sizeof n;
    if (RegGetValueA(HKEY_CURRENT_USER, kRecorder, "Starts", RRF_RT_REG_DWORD, nullptr, &n, &size) != ERROR_SUCCESS)
      return 0;
    return n;
  }
  ComScope com;
  ItemList list;
  const std::string agent = fixture("kt_agent.exe");  // in "C:\Program Files\Test Programs"
  const std::string agent_name = to_upper(agent);
};

}  // namespace

TEST_F(Delay, UserEntryMovesIntoTheListAndBackWithItsQuotedCommand) {
  const std::string command = "\"" + agent + "\" /tray -x";
  set_value(HKEY_CURRENT_USER, kRun, "kt_user", command);
  const StartupItem item = listed("kt_user");
  ASSERT_EQ(item.code, 11);

  EXPECT_EQ(delay::delay_entry(item), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "kt_user"), "<missing>");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kDelay, agent_name), "11");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kTime, agent_name), "30");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kParameters, agent_name), "/tray -x");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kTitle, agent_name), "kt_user");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kApplet, agent_name), "<missing>");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDelay, agent_name), "<missing>");
  EXPECT_EQ(snapshot_lookup(item.file, item.title), code::kRemovedMarker);
  const auto records = history();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].action, action::kStartRemove);
  EXPECT_EQ(records[0].path, item.file);

  const StartupItem entry = delayed("kt_user");
  ASSERT_TRUE(iequals(entry.file, agent_name)) << entry.file;
  EXPECT_EQ(entry.value, delay::kUserIndex);
  EXPECT_EQ(entry.code, 11);

  set_value(HKEY_CURRENT_USER, kOpenAs, agent_name, "2");
  EXPECT_EQ(delay::undelay_entry(entry), ActionResult::Done);
  // The program as the list names it (its long form), quoted for its blanks.
  EXPECT_TRUE(iequals(get_value(HKEY_CURRENT_USER, kRun, "kt_user"), "\"" + agent + "\" /tray -x"));
  for (const std::string& key : {std::string(kDelay), kTime, kParameters, kShortcuts, kTitle})
    EXPECT_EQ(get_value(HKEY_CURRENT_USER, key, agent_name), "<missing>") << key;
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOpenAs, agent_name), "2");  // kept for the next time
  // The entry back in its place is accepted: the monitor does not ask about it.
  const StartupItem back = listed("kt_user");
  EXPECT_TRUE(snapshot_accepts(snapshot_lookup(back.file, back.title))) << back.file;
}

// The monitor's put-back answer Yes forgets the program an entry with parameters starts.
TEST_F(Delay, ProgramOfAnEntryIsTheNameItsValuesCarry) {
  set_value(HKEY_CURRENT_USER, kRun, "kt_back", "\"" + agent + "\" /back");
  const StartupItem item = listed("kt_back");
  ASSERT_EQ(delay::delay_entry(item), ActionResult::Done);
  EXPECT_EQ(delay::program_of(item.file), agent_name);
  EXPECT_TRUE(delay::forget_delayed_program(delay::program_of(item.file), false));
  EXPECT_FALSE(delay::program_delayed(agent_name));
}

TEST_F(Delay, ASecondParameterSetForTheSameProgramIsRefused) {
  set_value(HKEY_CURRENT_USER, kRun, "kt_first", agent + " /first");
  set_value(HKEY_CURRENT_USER, kRun, "kt_second", agent + " /second");
  ASSERT_EQ(delay::delay_entry(listed("kt_first")), ActionResult::Done);
  const StartupItem second = listed("kt_second");
  EXPECT_EQ(delay::refusal_of(second), delay::Refusal::AlreadyDelayed);
  EXPECT_EQ(delay::delay_entry(second), ActionResult::NotDone);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kParameters, agent_name), "/first");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "kt_second"), agent + " /second");
  // The monitor itself and the protected places stay where they are.
  set_value(HKEY_CURRENT_USER, kRun, "kt_monitor", "C:\\Tools\\Kestrom.exe");
  EXPECT_EQ(delay::delay_entry(listed("kt_monitor")), ActionResult::NotDone);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "kt_monitor"), "C:\\Tools\\Kestrom.exe");
}

TEST_F(Delay, MachineEntryRefusedByTheListOrByItsRunKeyStaysWhereItWas) {
  set_value(HKEY_LOCAL_MACHINE, kRun, "kt_machine", agent + " /m");
  {
    DeniedKey denied(HKEY_LOCAL_MACHINE, kDelay);
    ASSERT_TRUE(denied.denied);
    EXPECT_EQ(delay::delay_entry(listed("kt_machine")), ActionResult::Refused);
  }
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kRun, "kt_machine"), agent + " /m");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDelay, agent_name), "<missing>");
  // The list takes it but its Run key refuses to let it go: the list gives it up again. (A
  // user's entry: a refused HKLM removal would also open the explorer for the user.)
  set_value(HKEY_CURRENT_USER, kRun, "kt_user", agent + " /u");
  {
    DeniedKey denied(HKEY_CURRENT_USER, kRun);
    ASSERT_TRUE(denied.denied);
    EXPECT_EQ(delay::delay_entry(listed("kt_user")), ActionResult::Refused);
  }
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "kt_user"), agent + " /u");
  for (const std::string& key : {std::string(kDelay), kTime, kParameters, kShortcuts, kTitle})
    EXPECT_EQ(get_value(HKEY_CURRENT_USER, key, agent_name), "<missing>") << key;
  EXPECT_TRUE(history().empty());
  delete_value(HKEY_CURRENT_USER, kRun, "kt_user");

  // Allowed, it goes to the machine's list, and a refused way back keeps it there.
  ASSERT_EQ(delay::delay_entry(listed("kt_machine")), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDelay, agent_name), "1");
  const StartupItem entry = delayed("kt_machine");
  ASSERT_EQ(entry.value, delay::kMachineIndex);
  {
    DeniedKey denied(HKEY_LOCAL_MACHINE, kRun);
    ASSERT_TRUE(denied.denied);
    EXPECT_EQ(delay::undelay_entry(entry), ActionResult::Refused);
  }
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kRun, "kt_machine"), "<missing>");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDelay, agent_name), "1");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kParameters, agent_name), "/m");
  EXPECT_EQ(delay::undelay_entry(entry), ActionResult::Done);
  EXPECT_TRUE(iequals(get_value(HKEY_LOCAL_MACHINE, kRun, "kt_machine"), "\"" + agent + "\" /m"));
}

TEST_F(Delay, ThirtyTwoBitViewEntryComesBackIntoItsOwnRunKey) {
  set_value(HKEY_LOCAL_MACHINE, kWowRun, "kt_wow", agent);
  const StartupItem item = listed("kt_wow");
  ASSERT_EQ(item.code, 21);
  ASSERT_EQ(delay::delay_entry(item), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kWowRun, "kt_wow"), "<missing>");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kDelay, agent_name), "21");
  EXPECT_EQ(delay::undelay_entry(delayed("kt_wow")), ActionResult::Done);
  EXPECT_TRUE(iequals(get_value(HKEY_LOCAL_MACHINE, kWowRun, "kt_wow"), "\"" + agent + "\""));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kDelay, agent_name), "<missing>");
}

TEST_F(Delay, OptionsAreWrittenUnderTheEntrysRootAndNoDelayMeansTheShortest) {
  set_value(HKEY_LOCAL_MACHINE, kDelay, agent_name, "1");
  set_value(HKEY_LOCAL_MACHINE, kTime, agent_name, "90");
  StartupItem entry = delayed("Agent Suite");
  ASSERT_EQ(entry.value, delay::kMachineIndex);
  delay::DelayOptions o = delay::read_delay_options(entry);
  EXPECT_EQ(o.minutes, 1);
  EXPECT_EQ(o.seconds, 30);
  o.minutes = 0;
  o.seconds = 0;
  o.window_mode = 1;
  o.title = "Agent later";
  o.parameters = "/late";
  EXPECT_EQ(delay::set_delay_options(entry, o), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kTime, agent_name), "10");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kOpenAs, agent_name), "1");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kTitle, agent_name), "Agent later");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOpenAs, agent_name), "<missing>");
  {
    DeniedKey denied(HKEY_LOCAL_MACHINE, kTime);
    ASSERT_TRUE(denied.denied);
    o.title = "Refused";
    o.window_mode = 2;
    EXPECT_EQ(delay::set_delay_options(entry, o), ActionResult::Refused);
  }
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kOpenAs, agent_name), "1");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kTitle, agent_name), "Agent later");
}

TEST_F(Delay, ForgettingKeepsTheWindowModeAndARefusalKeepsEverything) {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    set_value(root, kDelay, agent_name, "1");
    set_value(root, kTime, agent_name, "30");
    set_value(root, kParameters, agent_name, "/p");
    set_value(root, kOpenAs, agent_name, "1");
  }
  {
    DeniedKey denied(HKEY_LOCAL_MACHINE, kParameters);
    ASSERT_TRUE(denied.denied);
    EXPECT_FALSE(delay::forget_delayed_program(agent_name, true));
  }
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDelay, agent_name), "1");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kTime, agent_name), "30");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kParameters, agent_name), "/p");
  EXPECT_TRUE(delay::forget_delayed_program(agent_name, false));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kDelay, agent_name), "<missing>");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kTime, agent_name), "<missing>");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOpenAs, agent_name), "1");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDelay, agent_name), "1");
}

TEST_F(Delay, AddedProgramsGoUnderTheChosenRootOnce) {
  EXPECT_EQ(delay::add_delayed_program(agent, false), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kDelay, agent), "11");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kTime, agent), "30");
  EXPECT_EQ(delay::add_delayed_program(agent, true), ActionResult::NotDone);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDelay, agent), "<missing>");
  {
    const std::string other = fixture("kt_nodesc.exe");
    DeniedKey denied(HKEY_LOCAL_MACHINE, kTime);
    ASSERT_TRUE(denied.denied);
    EXPECT_EQ(delay::add_delayed_program(other, true), ActionResult::Refused);
    EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDelay, other), "<missing>");
  }
}

TEST_F(Delay, LauncherStartsWhatIsDueInItsWindowModeAndCountsWhatRunsAlready) {
  const std::string recorder = fixture("kt_recorder.exe");
  const std::string name = to_upper(recorder);
  set_value(HKEY_LOCAL_MACHINE, kDelay, name, "1");
  set_value(HKEY_LOCAL_MACHINE, kTime, name, "20");
  set_value(HKEY_LOCAL_MACHINE, kParameters, name, "/from machine \"two words\"");
  set_value(HKEY_LOCAL_MACHINE, kOpenAs, name, "2");
  set_value(HKEY_CURRENT_USER, kOpenAs, name, "1");  // another root's mode is not this entry's

  EXPECT_EQ(delay::launch_delayed_programs(10, 0, {}), 0);
  EXPECT_EQ(delay::launch_delayed_programs(20, 0, {}), 1);
  ASSERT_TRUE(poll([] { return recorder_starts() == 1; }));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRecorder, "Show1"), "3");  // SW_MAXIMIZE
  const std::string args = get_value(HKEY_CURRENT_USER, kRecorder, "Args1");
  EXPECT_NE(args.find("\"" + name + "\""), std::string::npos) << args;
  EXPECT_NE(args.find("/from machine \"two words\""), std::string::npos) << args;

  // Already running: counted, not started again.
  std::string asked;
  EXPECT_EQ(delay::launch_delayed_programs(20, 4, [&](std::string_view p) { asked = p; return true; }), 5);
  EXPECT_EQ(asked, name);

  // A user's entry without a window mode starts normally; an applet through RUNDLL32.
  delete_tree(HKEY_LOCAL_MACHINE, kDelay);
  set_value(HKEY_CURRENT_USER, kDelay, name, "11");
  set_value(HKEY_CURRENT_USER, kTime, name, "30");
  delete_value(HKEY_CURRENT_USER, kOpenAs, name);
  const std::string applet = to_upper(fixture("kt_recorder_applet.dll"));
  set_value(HKEY_CURRENT_USER, kDelay, applet, "11");
  set_value(HKEY_CURRENT_USER, kTime, applet, "30");
  set_value(HKEY_CURRENT_USER, kParameters, applet, ",Record note");
  set_value(HKEY_CURRENT_USER, kApplet, applet, "RunDLL32.exe");
  EXPECT_EQ(delay::launch_delayed_programs(30, 1, {}), 3);
  ASSERT_TRUE(poll([] { return recorder_starts() == 3; }));
  std::vector<std::string> seen{get_value(HKEY_CURRENT_USER, kRecorder, "Args2"),
                                get_value(HKEY_CURRENT_USER, kRecorder, "Args3")};
  const bool applet_second = seen[1] == "note";
  EXPECT_EQ(seen[applet_second ? 1 : 0], "note");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRecorder, applet_second ? "Show2" : "Show3"), "1");  // SW_SHOWNORMAL
}
