// The services step: two stages, the question or the HideServices answer, and a No that acts
// and logs once.
#include "monitor/services_step.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using kestrom::ActionResult;
using kestrom::ItemList;
using kestrom::StartupItem;

class FakeServices : public kestrom::ServicesStepOperations {
 public:
  bool changed = true;
  std::vector<StartupItem> services;
  std::map<std::string, int> snapshot;
  std::vector<std::string> log;
  std::vector<int> answers;  // given by the dialog, in order
  ActionResult refusal = ActionResult::Done;
  bool showing = false;
  bool showing_at_ask = false;

  bool services_changed(ItemList&) override { return changed; }
  void list_services(ItemList& list) override {
    list.clear();
    kestrom::ItemRules rules;
    rules.long_path = [](std::string_view p) { return std::string(p); };
    for (const auto& s : services) list.add(s.title, s.file, s.command, {}, s.code, 0, rules);
    log.push_back("list");
  }
  bool approved(std::string_view name) override {
    auto it = snapshot.find(std::string(name));
    return it != snapshot.end() && it->second != 0;
  }
  void approve(std::string_view name, int code) override {
    snapshot[std::string(name)] = code;
    log.push_back("approve " + std::string(name));
  }
  void note_first_sighting(std::string_view file) override { log.push_back("note " + std::string(file)); }
  void show_alert_icon() override { log.push_back("icon"); }
  void play_alert_sound() override { log.push_back("sound"); }
  void set_alert_showing(bool on) override { showing = on; }
  int ask_new_service(const StartupItem& item) override {
    showing_at_ask = showing;
    log.push_back("ask " + item.title);
    if (answers.empty()) return 0;
    int a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
  ActionResult refuse_service(const StartupItem& item) override {
    log.push_back("refuse " + item.title);
    return refusal;
  }
  void tell_refused(const StartupItem& item) override { log.push_back("tell " + item.title); }
};

StartupItem service(std::string title, std::string file, int code = 700) {
  StartupItem s;
  s.title = std::move(title);
  s.file = std::move(file);
  s.command = "Manual";
  s.code = code;
  return s;
}

using Log = std::vector<std::string>;

}  // namespace

TEST(ServicesStep, SecondStageRunsOnlyWhenTheFirstFindsSomething) {
  FakeServices ops;
  ops.changed = false;
  ops.services = {service("New Agent", "C:\\agent.exe")};
  ItemList list;
  EXPECT_FALSE(kestrom::run_services_step(list, {0, 0}, ops));
  EXPECT_TRUE(ops.log.empty());
}

TEST(ServicesStep, OnlyUnapprovedServicesAreAskedAndBothAnswersApprove) {
  FakeServices ops;
  ops.services = {service("Known", "C:\\known.exe"), service("New Agent", "C:\\agent.exe"),
                  service("New Host", "C:\\host.dll", 701)};
  ops.snapshot["Known"] = 700;
  ops.snapshot["New Host"] = 0;  // a zero value approves nothing
  ops.answers = {6, 7};
  ItemList list;
  EXPECT_TRUE(kestrom::run_services_step(list, {0, 0}, ops));
  EXPECT_EQ(ops.log, (Log{"list", "note C:\\agent.exe", "icon", "sound", "ask New Agent", "approve New Agent",
                          "note C:\\host.dll", "icon", "sound", "ask New Host", "refuse New Host",
                          "approve New Host"}));
  EXPECT_TRUE(ops.showing_at_ask);
  EXPECT_FALSE(ops.showing);
  EXPECT_EQ(ops.snapshot["New Host"], 701);
  // Approved now: the next check asks nothing.
  ops.log.clear();
  kestrom::run_services_step(list, {0, 0}, ops);
  EXPECT_EQ(ops.log, Log{"list"});
}

TEST(ServicesStep, HideServicesAnswersWithoutAskingAndANoActsOnce) {
  for (int hide : {1, 2, 5}) {
    FakeServices ops;
    ops.services = {service("New Agent", "C:\\agent.exe")};
    ItemList list;
    kestrom::run_services_step(list, {hide, 0}, ops);
    Log expected{"list", "note C:\\agent.exe", "icon"};
    if (hide != 1) expected.push_back("refuse New Agent");
    expected.push_back("approve New Agent");
    EXPECT_EQ(ops.log, expected) << hide;
  }
  // ShowAlerts always asks, whatever HideServices says.
  FakeServices ops;
  ops.services = {service("New Agent", "C:\\agent.exe")};
  ops.answers = {7};
  ItemList list;
  kestrom::run_services_step(list, {1, 1}, ops);
  EXPECT_EQ(ops.log, (Log{"list", "note C:\\agent.exe", "icon", "sound", "ask New Agent", "refuse New Agent",
                          "approve New Agent"}));
}

TEST(ServicesStep, ARefusedNoIsToldAndAQuestionNotShownChangesNothing) {
  FakeServices ops;
  ops.services = {service("New Agent", "C:\\agent.exe")};
  ops.refusal = ActionResult::Refused;
  ItemList list;
  kestrom::run_services_step(list, {2, 0}, ops);
  EXPECT_EQ(ops.log, (Log{"list", "note C:\\agent.exe", "icon", "refuse New Agent", "tell New Agent",
                          "approve New Agent"}));

  FakeServices unshown;
  unshown.services = {service("New Agent", "C:\\agent.exe")};
  kestrom::run_services_step(list, {0, 0}, unshown);
  EXPECT_FALSE(unshown.approved("New Agent"));
  EXPECT_EQ(unshown.log.back(), "ask New Agent");
}

TEST(ServicesStep, QuestionFillsStartTypeThenStatusAndNothingElse) {
  EXPECT_EQ(kestrom::new_service_question("New.", "Startup: %s\nActive: %s.", "Manual", "Running"),
            "New.\n\nStartup: Manual\nActive: Running.");
  // A text that itself holds "%s" is not filled again; a translation without "%s" stays whole.
  EXPECT_EQ(kestrom::new_service_question("M", "%s/%s/%s", "a%s", "b"), "M\n\na%s/b/%s");
  EXPECT_EQ(kestrom::new_service_question("M", "no inserts", "a", "b"), "M\n\nno inserts");
}
