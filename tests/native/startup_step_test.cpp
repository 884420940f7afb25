#include "monitor/startup_step.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using kestrom::StartupItem;

StartupItem item(std::string title, std::string file, int code, std::string command = {}) {
  StartupItem it;
  it.title = std::move(title);
  it.file = std::move(file);
  it.command = std::move(command);
  it.code = code;
  return it;
}

// Records every operation in order, with a snapshot and a Disabled Store in memory.
class FakeOps : public kestrom::StartupStepOperations {
 public:
  std::map<std::string, int> snapshot;
  std::set<std::string> disabled;
  std::vector<std::string> log;
  bool changed = true;
  std::vector<StartupItem> fill;
  bool showing = false;
  int showing_at_ask = -1;

  bool startup_changed(kestrom::ItemList&) override {
    log.push_back("changed");
    return changed;
  }
  int snapshot_value(std::string_view name) override {
    auto it = snapshot.find(std::string(name));
    return it == snapshot.end() ? 0 : it->second;
  }
  void write_snapshot(std::string_view name, int code) override {
    snapshot[std::string(name)] = code;
    log.push_back("write " + std::string(name) + "=" + std::to_string(code));
  }
  void delete_snapshot(std::string_view name) override {
    snapshot.erase(std::string(name));
    log.push_back("delete " + std::string(name));
  }
  bool disabled_marker_exists(std::string_view title) override { return disabled.count(std::string(title)) > 0; }
  void note_first_sighting(std::string_view file) override { log.push_back("note " + std::string(file)); }
  void end_program(std::string_view title, std::string_view file) override {
    log.push_back("end " + std::string(title) + "|" + std::string(file));
  }
  kestrom::ActionResult removal = kestrom::ActionResult::Done;
  kestrom::ActionResult disabling = kestrom::ActionResult::Done;
  kestrom::ActionResult remove_startup_entry(std::string_view file, std::string_view title, std::string_view command,
                                             int code) override {
    log.push_back("remove " + std::string(file) + "|" + std::string(title) + "|" + std::string(command) + "|" +
                  std::to_string(code));
    return removal;
  }
  kestrom::ActionResult disable_entry(const StartupItem& it) override {
    if (disabling == kestrom::ActionResult::Done) disabled.insert(it.title);
    log.push_back("disable " + it.title + "|" + it.command + "|" + it.file + "|" + std::to_string(it.code));
    return disabling;
  }
  void tell_refused(const StartupItem& it, kestrom::RefusedAction what) override {
    const char* told = what == kestrom::RefusedAction::Remove    ? "told remove "
                       : what == kestrom::RefusedAction::Disable ? "told disable "
                                                                 : "told forget ";
    log.push_back(told + it.title);
  }
  bool forgetting = true;
  bool forget_delayed_program(std::string_view name, bool machine) override {
    log.push_back("forget " + std::string(name) + (machine ? " HKLM" : " HKCU"));
    return forgetting;
  }
  void show_alert_icon() override { log.push_back("icon"); }
  void play_alert_sound() override { log.push_back("sound"); }
  void set_alert_showing(bool on) override {
    showing = on;
    log.push_back(on ? "showing on" : "showing off");
  }
};

class ScriptedAsker : public kestrom::StartupAsker {
 public:
  explicit ScriptedAsker(FakeOps& ops) : ops_(ops) {}
  std::deque<int> answers;
  std::vector<std::string> asked;  // "new:<title>" or "back:<title>"
  std::function<void()> while_open;

  int ask_new_program(const StartupItem& it) override { return answer("new:" + it.title); }
  int ask_put_back(const StartupItem& it) override { return answer("back:" + it.title); }

 private:
  int answer(std::string what) {
    ops_.log.push_back("ask " + what);
    EXPECT_TRUE(ops_.showing) << "the alert-showing guard must be set while " << what << " is open";
    asked.push_back(std::move(what));
    if (while_open) while_open();
    if (answers.empty()) {
      ADD_FAILURE() << "asked more often than scripted";
      return kestrom::kAnswerYes;
    }
    int a = answers.front();
    answers.pop_front();
    return a;
  }
  FakeOps& ops_;
};

struct StepTest : ::testing::Test {
  FakeOps ops;
  ScriptedAsker asker{ops};
  kestrom::StartupStepOptions options;
  std::vector<StartupItem> items;

  void check() { kestrom::check_startup_entries(items, options, ops, asker); }
};

using Log = std::vector<std::string>;

TEST_F(StepTest, YesApprovesNewEntryUnderItsSnapshotKey) {
  items = {item("Updater", "C:\\App\\upd.exe /x=1", 11, "cmd")};
  asker.answers = {6};
  check();
  EXPECT_EQ(ops.log, (Log{"note C:\\App\\upd.exe /x=1", "icon", "showing on", "sound", "ask new:Updater",
                          "write C:\\App\\upd.exe /x:1=11", "showing off"}));
}

TEST_F(StepTest, NoEndsProgramRemovesEntryAndForgetsBothSnapshotNames) {
  items = {item("Bad", "C:\\bad.exe -a=b", 1, "C:\\bad.exe")};
  ops.snapshot["Bad"] = 0;  // reads as 0: still new
  asker.answers = {7};
  check();
  EXPECT_EQ(ops.log, (Log{"note C:\\bad.exe -a=b", "icon", "showing on", "sound", "ask new:Bad",
                          "end Bad|C:\\bad.exe -a=b", "remove C:\\bad.exe -a:b|Bad|C:\\bad.exe|1",
                          "delete C:\\bad.exe -a:b", "delete Bad", "showing off"}));
}

TEST_F(StepTest, DisableEndsProgramTogglesOnceAndLeavesSnapshotUnwritten) {
  items = {item("Nag", "C:\\nag.exe", 11, "cmdfield"), item("Nag2", "C:\\nag2.exe", 11)};
  ops.disabled.insert("Nag2");  // already in the Disabled Store: not toggled back on
  asker.answers = {11, 11};
  check();
  EXPECT_EQ(ops.log, (Log{"note C:\\nag.exe", "icon", "showing on", "sound", "ask new:Nag", "end Nag|C:\\nag.exe",
                          "disable Nag|cmdfield|C:\\nag.exe|11", "showing off", "note C:\\nag2.exe", "icon",
                          "showing on", "sound", "ask new:Nag2", "end Nag2|C:\\nag2.exe", "showing off"}));
  EXPECT_TRUE(ops.snapshot.empty());
}

TEST_F(StepTest, KnownEntriesAreNotAskedWhetherUnderKeyOrTitle) {
  items = {item("A", "C:\\a.exe", 1), item("B", "C:\\b=x.exe", 1), item("C", "C:\\c.exe", 1)};
  ops.snapshot["C:\\a.exe"] = 1;
  ops.snapshot["C:\\b:x.exe"] = 11;
  ops.snapshot["C:\\c.exe"] = 0;  // zero under the key falls back to the title
  ops.snapshot["C"] = 200;
  check();
  EXPECT_TRUE(ops.log.empty());
}

TEST_F(StepTest, HideOptionsAnswerWithoutAskingUnlessShowAlerts) {
  items = {item("Q", "C:\\q.exe", 11)};
  options.hide_startup = 1;
  check();
  EXPECT_TRUE(asker.asked.empty());
  EXPECT_EQ(ops.snapshot["C:\\q.exe"], 11);
  EXPECT_EQ(std::count(ops.log.begin(), ops.log.end(), "sound"), 0) << "no sound without a dialog";

  ops = FakeOps();
  options.hide_startup = 2;  // any value other than 1 removes
  check();
  EXPECT_TRUE(asker.asked.empty());
  EXPECT_EQ(ops.log[4], "remove C:\\q.exe|Q||11");

  ops = FakeOps();
  options.show_alerts = 1;
  asker.answers = {6};
  check();
  EXPECT_EQ(asker.asked, (std::vector<std::string>{"new:Q"}));
  EXPECT_EQ(ops.snapshot["C:\\q.exe"], 11);
}

TEST_F(StepTest, HiddenRunOnceEntriesAreSkippedAndTheRestStillChecked) {
  items = {item("Once", "C:\\o.exe", 2), item("Once3", "C:\\o3.exe", 13), item("Once23", "C:\\o23.exe", 23),
           item("Later", "C:\\l.exe", 11)};
  options.hide_run_once = 1;
  asker.answers = {6, 6};
  check();
  // 23 is not one of the places the option names, so it is still asked about.
  EXPECT_EQ(asker.asked, (std::vector<std::string>{"new:Once23", "new:Later"}));
  EXPECT_EQ(std::count(ops.log.begin(), ops.log.end(), "note C:\\o.exe"), 0) << "skipped before any sighting";

  options.hide_run_once = 0;
  asker.asked.clear();
  ops = FakeOps();
  asker.answers = {6, 6, 6, 6};
  check();
  EXPECT_EQ(asker.asked.size(), 4u);
}

TEST_F(StepTest, McAfeeInstallerCleanupIsNeverAsked) {
  items = {item("mcafee application installer cleanup (0123)", "C:\\m.exe", 2), item("X", "C:\\x.exe", 1)};
  asker.answers = {6};
  check();
  EXPECT_EQ(asker.asked, (std::vector<std::string>{"new:X"}));
}

TEST_F(StepTest, PutBackYesAcceptsAndForgetsTheDelayedProgramUnderTheRootOfItsPlace) {
  items = {item("M", "C:\\m.exe", 10), item("U", "C:\\u.exe", 11)};
  ops.snapshot["C:\\m.exe"] = 1103;
  ops.snapshot["U"] = 1103;  // marked under the title only
  asker.answers = {6, 6};
  check();
  EXPECT_EQ(ops.log, (Log{"showing on", "ask back:M", "write C:\\m.exe=10", "forget C:\\m.exe HKLM", "showing off",
                          "showing on", "ask back:U", "write C:\\u.exe=11", "forget C:\\u.exe HKCU",
                          "showing off"}));
}

// The Delay List names its values by the program of the entry's own file text; the snapshot
// key (with "=" turned into ":") would name another program.
TEST_F(StepTest, PutBackYesForgetsTheEntrysOwnFileNotItsSnapshotKey) {
  items = {item("Q", "C:\\q.exe -a=b", 11)};
  ops.snapshot["C:\\q.exe -a:b"] = 1103;
  asker.answers = {6};
  check();
  EXPECT_EQ(ops.log, (Log{"showing on", "ask back:Q", "write C:\\q.exe -a:b=11", "forget C:\\q.exe -a=b HKCU",
                          "showing off"}));
}

TEST_F(StepTest, PutBackDisableAcceptsAndMovesEntryToDisabledStoreOnce) {
  items = {item("P", "C:\\p.exe", 1, "pcmd")};
  ops.snapshot["C:\\p.exe"] = 1103;
  asker.answers = {7};
  check();
  EXPECT_EQ(ops.log, (Log{"showing on", "ask back:P", "write C:\\p.exe=1", "disable P|pcmd|C:\\p.exe|1",
                          "showing off"}));

  ops.log.clear();
  ops.snapshot["C:\\p.exe"] = 1103;
  asker.answers = {7};
  check();  // marker exists now: no second toggle, which would re-enable it
  EXPECT_EQ(ops.log, (Log{"showing on", "ask back:P", "write C:\\p.exe=1", "showing off"}));
}

// A standard user may not change HKLM: what Windows refused is no removal and no disabling.
TEST_F(StepTest, RefusedRemovalOrDisablingIsToldAndTheEntryAcceptedNotForgotten) {
  items = {item("Bad", "C:\\bad.exe -a=b", 1, "C:\\bad.exe"), item("Nag", "C:\\nag.exe", 1)};
  ops.removal = kestrom::ActionResult::Refused;
  ops.disabling = kestrom::ActionResult::Refused;
  asker.answers = {7, 11};
  check();
  EXPECT_EQ(ops.log, (Log{"note C:\\bad.exe -a=b", "icon", "showing on", "sound", "ask new:Bad",
                          "end Bad|C:\\bad.exe -a=b", "remove C:\\bad.exe -a:b|Bad|C:\\bad.exe|1",
                          "write C:\\bad.exe -a:b=1", "told remove Bad", "showing off", "note C:\\nag.exe", "icon",
                          "showing on", "sound", "ask new:Nag", "end Nag|C:\\nag.exe", "disable Nag||C:\\nag.exe|1",
                          "told disable Nag", "write C:\\nag.exe=1", "showing off"}));
  // Accepted, so the next check does not ask again until the entry changes.
  ops.log.clear();
  check();
  EXPECT_TRUE(ops.log.empty());

  // A delayed machine-wide program kept: its Delay List entry under HKLM may not be deleted.
  items = {item("M", "C:\\m.exe", 1)};
  ops.snapshot["C:\\m.exe"] = 1103;
  ops.forgetting = false;
  asker.answers = {6};
  ops.log.clear();
  check();
  EXPECT_EQ(ops.log, (Log{"showing on", "ask back:M", "write C:\\m.exe=1", "forget C:\\m.exe HKLM", "told forget M",
                          "showing off"}));
}

TEST_F(StepTest, AQuestionThatCouldNotBeShownChangesNothing) {
  items = {item("New", "C:\\new.exe", 1), item("Back", "C:\\back.exe", 11)};
  ops.snapshot["C:\\back.exe"] = 1103;
  asker.answers = {kestrom::kAnswerNotShown, kestrom::kAnswerNotShown};
  check();
  for (const auto& line : ops.log)
    for (const char* acted : {"end ", "remove ", "disable ", "write ", "delete ", "forget "})
      EXPECT_NE(line.rfind(acted, 0), 0u) << line;
  EXPECT_EQ(ops.snapshot["C:\\back.exe"], 1103);
}

TEST_F(StepTest, PutBackFollowsHideStartupWithoutSoundOrSighting) {
  items = {item("P", "C:\\p.exe", 11)};
  ops.snapshot["C:\\p.exe"] = 1103;
  options.hide_startup = 2;
  check();
  EXPECT_TRUE(asker.asked.empty());
  EXPECT_EQ(ops.log, (Log{"showing on", "write C:\\p.exe=11", "disable P||C:\\p.exe|11", "showing off"}));
}

TEST_F(StepTest, AListRefilledWhileAQuestionIsOpenEndsTheLoopSafely) {
  items = {item("A", "C:\\a.exe", 1), item("B", "C:\\b.exe", 1), item("C", "C:\\c.exe", 1)};
  asker.answers = {6};
  asker.while_open = [&] { items.resize(1); };
  check();
  EXPECT_EQ(asker.asked, (std::vector<std::string>{"new:A"}));
  EXPECT_EQ(ops.snapshot["C:\\a.exe"], 1);
}

TEST_F(StepTest, StepStopsWhenNothingChanged) {
  kestrom::ItemList list;
  ops.changed = false;
  EXPECT_FALSE(kestrom::run_startup_step(list, options, ops, asker));
  EXPECT_EQ(ops.log, (Log{"changed"}));
  ops.changed = true;
  EXPECT_TRUE(kestrom::run_startup_step(list, options, ops, asker));
}

TEST(StartupStepRules, OptionsComeFromTheirOwnEntries) {
  kestrom::Options o = kestrom::Options::defaults(kestrom::Program::Monitor);
  o[kestrom::Opt::HideStartup] = 2;
  o[kestrom::Opt::ShowAlerts] = 1;
  o[kestrom::Opt::HideRunOnce] = 3;
  const kestrom::StartupStepOptions s = kestrom::startup_step_options(o);
  EXPECT_EQ(s.hide_startup, 2);
  EXPECT_EQ(s.show_alerts, 1);
  EXPECT_EQ(s.hide_run_once, 3);
}

TEST(StartupStepRules, RunOncePlacesNamedByTheOption) {
  for (int code : {2, 3, 12, 13, 22}) EXPECT_TRUE(kestrom::is_hidden_run_once_place(code)) << code;
  for (int code : {1, 5, 11, 15, 23, 25, 100, 200}) EXPECT_FALSE(kestrom::is_hidden_run_once_place(code)) << code;
}

}  // namespace
