// The hidden-files step with a scripted system: what each answer does, and that a question
// that could not be shown (the check program's answer) changes nothing.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "monitor/alert_rules.hpp"
#include "monitor/hidden_files_step.hpp"

namespace {

using namespace kestrom;

struct FakeHidden final : HiddenStepOperations, HiddenAsker {
  std::vector<std::string> files;
  std::set<std::string> approved_files;
  std::vector<std::string> noted, deleted, asked, told;
  std::vector<int> answers;
  ActionResult deletion = ActionResult::Done;
  bool showing = false;

  void list_hidden_files(ItemList& list) override {
    list.clear();
    for (const auto& f : files) list.add(f, f, f, "", 370, 0, ItemRules{});
  }
  bool approved(std::string_view file) override { return approved_files.count(std::string(file)) > 0; }
  void approve(std::string_view file) override { approved_files.insert(std::string(file)); }
  void note_first_sighting(std::string_view file) override { noted.emplace_back(file); }
  ActionResult delete_file(const StartupItem& item) override {
    deleted.push_back(item.file);
    return deletion;
  }
  void tell_not_deleted(const StartupItem& item) override { told.push_back(item.file); }
  void show_status_icon() override {}
  void play_alert_sound() override {}
  void set_alert_showing(bool on) override { showing = on; }
  int ask_new_hidden_file(const StartupItem& item) override {
    asked.push_back(item.file);
    const int a = answers.empty() ? kAnswerNotShown : answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return a;
  }
};

TEST(HiddenFilesStep, AnswersApproveOrDeleteAndARefusedDeletionIsTold) {
  FakeHidden fake;
  fake.files = {"C:\\a.dat", "C:\\b.dat", "C:\\c.dat"};
  fake.approved_files = {"C:\\b.dat"};
  fake.answers = {kAnswerYes, kAnswerNo};
  fake.deletion = ActionResult::Refused;
  ItemList list;
  EXPECT_EQ(run_hidden_files_step(list, {0, 0}, fake, fake), 2);
  EXPECT_EQ(fake.asked, (std::vector<std::string>{"C:\\a.dat", "C:\\c.dat"}));
  EXPECT_TRUE(fake.approved_files.count("C:\\a.dat"));
  EXPECT_EQ(fake.deleted, (std::vector<std::string>{"C:\\c.dat"}));
  EXPECT_EQ(fake.told, (std::vector<std::string>{"C:\\c.dat"}));
  EXPECT_FALSE(fake.approved_files.count("C:\\c.dat"));  // refused is not approved
  EXPECT_FALSE(fake.showing);
}

TEST(HiddenFilesStep, NotShownChangesNothingAndHideAnswersWithoutAsking) {
  FakeHidden fake;
  fake.files = {"C:\\a.dat"};
  ItemList list;
  run_hidden_files_step(list, {0, 0}, fake, fake);  // no answer given: not shown
  EXPECT_EQ(fake.asked.size(), 1u);
  EXPECT_TRUE(fake.deleted.empty());
  EXPECT_FALSE(fake.approved_files.count("C:\\a.dat"));

  fake.asked.clear();
  run_hidden_files_step(list, {2, 0}, fake, fake);  // HideHidden 2: deleted silently
  EXPECT_TRUE(fake.asked.empty());
  EXPECT_EQ(fake.deleted, (std::vector<std::string>{"C:\\a.dat"}));
  run_hidden_files_step(list, {1, 1}, fake, fake);  // ShowAlerts asks whatever Hide says
  EXPECT_EQ(fake.asked.size(), 1u);
}

}  // namespace
