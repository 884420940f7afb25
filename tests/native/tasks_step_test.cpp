#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "monitor/alert_rules.hpp"
#include "monitor/tasks_step.hpp"

namespace kestrom {
namespace {

struct Job {
  std::string name, file;
};

// A scheduler and registry in memory; records what the step did.
class FakeTasks final : public TasksStepOperations {
 public:
  bool running = true;
  std::vector<Job> jobs;
  std::map<std::string, int> snapshot;
  TaskDeletionResult deletion{TaskDeletion::Deleted, 0};
  std::vector<std::string> noted, deleted, told;
  int sounds = 0, icons = 0;
  bool showing = false;

  bool scheduler_running() override { return running; }
  TaskListing list_tasks(ItemList& list) override {
    list.clear();
    TaskListing listing;
    for (const auto& job : jobs)
      if (list.add(job.name, job.file, "Never", "Never", 800, 0, ItemRules{})) listing.names.push_back(job.name);
    return listing;
  }
  int snapshot_value(std::string_view title) override {
    auto at = snapshot.find(std::string(title));
    return at == snapshot.end() ? 0 : at->second;
  }
  void write_snapshot(std::string_view title) override { snapshot[std::string(title)] = 800; }
  void delete_snapshot(std::string_view title) override { snapshot.erase(std::string(title)); }
  void note_first_sighting(std::string_view file) override { noted.emplace_back(file); }
  TaskDeletionResult delete_task(std::string_view name) override {
    deleted.emplace_back(name);
    return deletion;
  }
  void tell_not_deleted(const StartupItem& item, const TaskDeletionResult&) override { told.push_back(item.title); }
  void show_alert_icon() override { ++icons; }
  void play_alert_sound() override { ++sounds; }
  void set_alert_showing(bool on) override { showing = on; }
};

class ScriptedAsker final : public TasksAsker {
 public:
  explicit ScriptedAsker(int a) : answer(a) {}
  int answer;
  std::vector<std::string> asked;
  bool showing_while_asked = false;
  FakeTasks* ops = nullptr;
  int ask_new_task(const StartupItem& item) override {
    asked.push_back(item.title);
    if (ops) showing_while_asked = ops->showing;
    return answer;
  }
};

TEST(TasksStep, AStoppedSchedulerMeansNoCheckAndNoListing) {
  FakeTasks ops;
  ops.running = false;
  ops.jobs = {{"New.job", "C:\\new.exe"}};
  ScriptedAsker asker(kAnswerNo);
  ItemList list;
  EXPECT_FALSE(run_tasks_step(list, {0, 0}, ops, asker));
  EXPECT_TRUE(asker.asked.empty());
  EXPECT_EQ(list.size(), 0u);
}

TEST(TasksStep, OnlyUnapprovedTasksAreAskedAndNoDeletesByTheSchedulersName) {
  FakeTasks ops;
  // The listed title of the first becomes the product's display name.
  ops.jobs = {{"Kestrom Updater.job", "C:\\k.exe"}, {"Old.job", "C:\\old.exe"}, {"mcafee.com scan.job", "C:\\m.exe"}};
  ops.snapshot["Old.job"] = 800;
  ScriptedAsker asker(kAnswerNo);
  asker.ops = &ops;
  ItemList list;
  ASSERT_TRUE(run_tasks_step(list, {0, 0}, ops, asker));
  ASSERT_EQ(asker.asked, std::vector<std::string>{"Kestrom"});
  EXPECT_TRUE(asker.showing_while_asked);
  EXPECT_FALSE(ops.showing);
  EXPECT_EQ(ops.deleted, std::vector<std::string>{"Kestrom Updater.job"});
  EXPECT_EQ(ops.noted, std::vector<std::string>{"C:\\k.exe"});
  EXPECT_EQ(ops.sounds, 1);
  EXPECT_EQ(ops.snapshot.count("Kestrom"), 0u);
  EXPECT_TRUE(ops.told.empty());
}

TEST(TasksStep, YesApprovesAndANotShownDialogChangesNothing) {
  FakeTasks ops;
  ops.jobs = {{"New.job", "C:\\new.exe"}};
  ItemList list;
  ScriptedAsker not_shown(kAnswerNotShown);
  run_tasks_step(list, {0, 0}, ops, not_shown);
  EXPECT_TRUE(ops.snapshot.empty());
  EXPECT_TRUE(ops.deleted.empty());
  ScriptedAsker yes(kAnswerYes);
  run_tasks_step(list, {0, 0}, ops, yes);
  EXPECT_EQ(ops.snapshot["New.job"], 800);
  ScriptedAsker again(kAnswerNo);
  run_tasks_step(list, {0, 0}, ops, again);
  EXPECT_TRUE(again.asked.empty());
}

TEST(TasksStep, HideTasksAnswersSilentlyUnlessShowAlertsIsOn) {
  ItemList list;
  {
    FakeTasks ops;
    ops.jobs = {{"New.job", "C:\\new.exe"}};
    ScriptedAsker asker(kAnswerNo);
    run_tasks_step(list, {1, 0}, ops, asker);
    EXPECT_TRUE(asker.asked.empty());
    EXPECT_EQ(ops.sounds, 0);
    EXPECT_EQ(ops.snapshot["New.job"], 800);
  }
  {
    FakeTasks ops;
    ops.jobs = {{"New.job", "C:\\new.exe"}};
    ScriptedAsker asker(kAnswerYes);
    run_tasks_step(list, {2, 0}, ops, asker);
    EXPECT_TRUE(asker.asked.empty());
    EXPECT_EQ(ops.deleted, std::vector<std::string>{"New.job"});
  }
  {
    FakeTasks ops;
    ops.jobs = {{"New.job", "C:\\new.exe"}};
    ScriptedAsker asker(kAnswerYes);
    run_tasks_step(list, {2, 1}, ops, asker);
    EXPECT_EQ(asker.asked.size(), 1u);
    EXPECT_TRUE(ops.deleted.empty());
  }
}

TEST(TasksStep, ATaskThatCouldNotBeDeletedIsToldAndNotAskedAgain) {
  for (auto outcome : {TaskDeletion::SchedulerUnavailable, TaskDeletion::Failed}) {
    FakeTasks ops;
    ops.jobs = {{"New.job", "C:\\new.exe"}};
    ops.deletion = {outcome, 5};
    ScriptedAsker asker(kAnswerNo);
    ItemList list;
    run_tasks_step(list, {0, 0}, ops, asker);
    EXPECT_EQ(ops.told, std::vector<std::string>{"New.job"});
    EXPECT_EQ(ops.snapshot["New.job"], 800);
  }
  FakeTasks ops;
  ops.jobs = {{"New.job", "C:\\new.exe"}};
  ops.deletion = {TaskDeletion::NoMatch, 0};
  ScriptedAsker asker(kAnswerNo);
  ItemList list;
  run_tasks_step(list, {0, 0}, ops, asker);
  EXPECT_TRUE(ops.told.empty());
  EXPECT_TRUE(ops.snapshot.empty());
}

}  // namespace
}  // namespace kestrom
