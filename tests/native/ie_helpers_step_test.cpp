#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "monitor/alert_rules.hpp"
#include "monitor/ie_helpers_step.hpp"

namespace kestrom {
namespace {

struct Registered {
  std::string title, file, command;
  int code = 900;
};

// What both fakes record around a question.
struct Signals {
  std::vector<std::string> told;
  int sounds = 0, icons = 0;
  bool showing = false;
};

class FakeHelpers final : public HelperStepOperations {
 public:
  std::vector<Registered> registered;
  std::map<std::string, int> snapshot;
  ActionResult removal = ActionResult::Done;
  std::vector<std::string> noted, ended, removed;
  Signals s;

  void list_helpers(ItemList& list) override {
    list.clear();
    for (const auto& r : registered) list.add(r.title, r.file, r.command, "", r.code, 0, ItemRules{});
  }
  bool approved(std::string_view title) override {
    auto at = snapshot.find(std::string(title));
    return at != snapshot.end() && at->second != 0;
  }
  void write_snapshot(std::string_view title, int code) override { snapshot[std::string(title)] = code; }
  void delete_snapshot(std::string_view title) override { snapshot.erase(std::string(title)); }
  void note_first_sighting(std::string_view file) override { noted.emplace_back(file); }
  void end_program(const StartupItem& helper) override { ended.push_back(helper.file); }
  ActionResult remove_helper(const StartupItem& helper) override {
    removed.push_back(helper.command);
    if (removal == ActionResult::Done) std::erase_if(registered, [&](const Registered& r) { return r.command == helper.command; });
    return removal;
  }
  void show_status_icon() override { ++s.icons; }
  void play_alert_sound() override { ++s.sounds; }
  void set_alert_showing(bool on) override { s.showing = on; }
  void tell_refused(const StartupItem& item) override { s.told.push_back(item.title); }
};

class FakeControls final : public ActiveXStepOperations {
 public:
  std::vector<Registered> used;
  std::map<std::string, int> seen_values;
  std::map<std::string, unsigned> flags;
  ActionResult kill = ActionResult::Done;
  std::vector<std::string> noted;
  Signals s;

  void list_controls(ItemList& list) override {
    list.clear();
    for (const auto& r : used) list.add(r.title, r.file, r.command, "", 1200, 0, ItemRules{});
  }
  bool seen(std::string_view clsid) override { return seen_values.count(std::string(clsid)) != 0; }
  void write_seen(std::string_view clsid) override { seen_values[std::string(clsid)] = 1200; }
  void note_first_sighting(std::string_view file) override { noted.emplace_back(file); }
  ActionResult set_kill_bit(std::string_view clsid) override {
    if (kill == ActionResult::Done) flags[std::string(clsid)] |= 0x400;
    return kill;
  }
  void show_status_icon() override { ++s.icons; }
  void play_alert_sound() override { ++s.sounds; }
  void set_alert_showing(bool on) override { s.showing = on; }
  void tell_refused(const StartupItem& item) override { s.told.push_back(item.title); }
};

class ScriptedAsker final : public BrowserAsker {
 public:
  explicit ScriptedAsker(int a, const Signals* s = nullptr) : answer(a), signals(s) {}
  int answer;
  const Signals* signals;
  std::vector<std::string> asked;
  bool showing_while_asked = false;
  int ask(const StartupItem& item) override {
    asked.push_back(item.title);
    if (signals) showing_while_asked = signals->showing;
    return answer;
  }
};

TEST(IEHelpersStep, OnlyUnapprovedHelpersAreAskedAndYesApprovesWithTheirKind) {
  FakeHelpers ops;
  ops.registered = {{"Known", "C:\\k.dll", "{K}"}, {"New Bar", "C:\\n.dll", "{N}", 901}, {"Zeroed", "C:\\z.dll", "{Z}"}};
  ops.snapshot = {{"Known", 900}, {"Zeroed", 0}};
  ScriptedAsker asker(kAnswerYes, &ops.s);
  ItemList list;
  run_ie_helpers_step(list, {0, 0}, ops, asker);
  EXPECT_EQ(asker.asked, (std::vector<std::string>{"New Bar", "Zeroed"}));
  EXPECT_TRUE(asker.showing_while_asked);
  EXPECT_FALSE(ops.s.showing);
  EXPECT_EQ(ops.s.sounds, 2);
  EXPECT_EQ(ops.noted, (std::vector<std::string>{"C:\\n.dll", "C:\\z.dll"}));
  EXPECT_EQ(ops.snapshot["New Bar"], 901);
  EXPECT_EQ(ops.snapshot["Zeroed"], 900);
  EXPECT_TRUE(ops.removed.empty());
}

// No on either step: the helper's program ends and its registration goes, or the control gets
// its kill bit. A refused action is told and leaves the item unmarked, so it is asked again;
// a removed helper that comes back is new again.
TEST(BrowserSteps, NoActsOnTheItemAndARefusalIsToldAndAskedAgain) {
  for (const bool activex : {false, true}) {
    for (const ActionResult result : {ActionResult::Done, ActionResult::Refused}) {
      const bool refused = result == ActionResult::Refused;
      SCOPED_TRACE(testing::Message() << "ActiveX " << activex << ", refused " << refused);
      ScriptedAsker asker(kAnswerNo);
      ItemList list;
      FakeHelpers helpers;
      helpers.removal = result;
      FakeControls controls;
      controls.kill = result;
      controls.used = {{"Viewer", "C:\\v.ocx", "{V}"}};
      for (std::size_t run = 1; run <= 2; ++run) {
        helpers.registered = {{"Viewer", "C:\\v.dll", "{V}"}};
        if (activex) run_activex_step(list, {0, 0}, controls, asker);
        else run_ie_helpers_step(list, {0, 0}, helpers, asker);
        EXPECT_EQ((activex ? controls.s : helpers.s).told.size(), refused ? run : 0u);
      }
      if (activex) {
        EXPECT_EQ(controls.flags["{V}"], refused ? 0u : 0x400u);
        EXPECT_EQ(controls.seen("{V}"), !refused);
      } else {
        EXPECT_EQ(helpers.ended, (std::vector<std::string>{"C:\\v.dll", "C:\\v.dll"}));
        EXPECT_EQ(helpers.removed, (std::vector<std::string>{"{V}", "{V}"}));
        EXPECT_FALSE(helpers.approved("Viewer"));
      }
      EXPECT_EQ(asker.asked.size(), activex && !refused ? 1u : 2u);
    }
  }
}

TEST(IEHelpersStep, HideOptionsAnswerSilentlyAndANotShownDialogDoesNothing) {
  FakeHelpers ops;
  ops.registered = {{"Quiet", "C:\\q.dll", "{Q}"}};
  ScriptedAsker asker(kAnswerNo);
  ItemList list;
  run_ie_helpers_step(list, {1, 0}, ops, asker);  // approve silently
  EXPECT_TRUE(asker.asked.empty());
  EXPECT_EQ(ops.s.sounds, 0);
  EXPECT_EQ(ops.s.icons, 1);
  EXPECT_TRUE(ops.approved("Quiet"));

  ops.snapshot.clear();
  run_ie_helpers_step(list, {2, 0}, ops, asker);  // remove silently
  EXPECT_EQ(ops.removed, std::vector<std::string>{"{Q}"});

  ops.registered = {{"Quiet", "C:\\q.dll", "{Q}"}};
  ops.removed.clear();
  ScriptedAsker broken(kAnswerNotShown);
  run_ie_helpers_step(list, {2, 1}, ops, broken);  // ShowAlerts asks, but nothing opened
  EXPECT_EQ(broken.asked.size(), 1u);
  EXPECT_TRUE(ops.removed.empty());
  EXPECT_EQ(ops.ended.size(), 1u);  // the silent removal's only
  EXPECT_FALSE(ops.approved("Quiet"));
}

TEST(ActiveXStep, OnlyUnseenControlsAreAskedWhileTheAlertShows) {
  FakeControls ops;
  ops.used = {{"Viewer", "C:\\v.ocx", "{V}"}, {"Known", "C:\\k.ocx", "{K}"}};
  ops.seen_values = {{"{K}", 1200}};
  ScriptedAsker asker(kAnswerNo, &ops.s);
  ItemList list;
  run_activex_step(list, {0, 0}, ops, asker);
  EXPECT_EQ(asker.asked, std::vector<std::string>{"Viewer"});
  EXPECT_TRUE(asker.showing_while_asked);
  EXPECT_EQ(ops.noted, std::vector<std::string>{"C:\\v.ocx"});
}

TEST(ActiveXStep, YesAndSilentAnswersMarkTheControlSeenAndANotShownDialogDoesNot) {
  FakeControls ops;
  ops.used = {{"Viewer", "C:\\v.ocx", "{V}"}};
  ScriptedAsker broken(kAnswerNotShown);
  ItemList list;
  run_activex_step(list, {0, 0}, ops, broken);
  EXPECT_FALSE(ops.seen("{V}"));
  ScriptedAsker yes(kAnswerYes);
  run_activex_step(list, {0, 0}, ops, yes);
  EXPECT_TRUE(ops.seen("{V}"));
  EXPECT_EQ(ops.flags["{V}"], 0u);

  ops.seen_values.clear();
  ScriptedAsker unused(kAnswerYes);
  run_activex_step(list, {3, 0}, ops, unused);  // any Hide value but 1 undoes silently
  EXPECT_TRUE(unused.asked.empty());
  EXPECT_EQ(ops.flags["{V}"], 0x400u);
  EXPECT_EQ(ops.s.sounds, 2);
}

}  // namespace
}  // namespace kestrom
