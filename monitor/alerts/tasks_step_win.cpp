#include <string>
#include <utility>

#include "categories/tasks.hpp"
#include "common/detected.hpp"
#include "common/history.hpp"
#include "common/locations.hpp"
#include "common/msgbox.hpp"
#include "common/sound.hpp"
#include "common/textloader.hpp"
#include "monitor/alerts/tasks_step_system.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::alerts {
namespace {

class NewTaskAlert final : public AlertDialog {
 public:
  NewTaskAlert(AlertItem item, std::string next_run, AlertContext& context)
      : AlertDialog(kTaskDialog, IDS_NEW_PROGRAM_TITLE, std::move(item), context), next_run_(std::move(next_run)) {}

 private:
  void open() override {
    std::string name = task_alert_name(item().name);
    if (name.empty()) name = version().product_name;
    set_text(kNameControl, name);
    set_text_string(kNextRunLabel, IDS_TASK_NEXT_RUN_LABEL);
    set_text(kNextRunControl, next_run_);
    set_text_string(kQuestionControl, IDS_TASK_QUESTION);
    set_text_string(kCommandInfo, IDS_INFO_BUTTON);
    set_text_string(kCommandYes, IDS_YES);
    set_text_string(kCommandNo, IDS_NO);
    if (context().services.write_history)
      context().services.write_history(item().name, program_file(), version().file_description,
                                       code::kTaskScheduled, action::kTaskAlert);
  }

  std::string next_run_;
};

class SystemTasksOperations final : public TasksStepOperations {
 public:
  explicit SystemTasksOperations(TasksStepSignals signals) : signals_(std::move(signals)) {}

  bool scheduler_running() override { return kestrom::scheduler_running(); }
  TaskListing list_tasks(ItemList& list) override { return kestrom::list_tasks(list, system_item_rules()); }
  int snapshot_value(std::string_view title) override { return task_snapshot_value(title); }
  void write_snapshot(std::string_view title) override { write_task_snapshot(title); }
  void delete_snapshot(std::string_view title) override { delete_task_snapshot(title); }
  void note_first_sighting(std::string_view file) override { kestrom::note_first_sighting(file, detected::kTasks); }
  TaskDeletionResult delete_task(std::string_view name) override { return kestrom::delete_task(name); }
  void tell_not_deleted(const StartupItem& item, const TaskDeletionResult& result) override {
    const std::string text = fill_question(text::load(task_not_deleted_string(result)), item.title);
    if (signals_.tell_user)
      signals_.tell_user(text);
    else
      message_box(nullptr, text, MB_OK | MB_ICONEXCLAMATION);
  }
  void show_alert_icon() override {
    if (signals_.show_alert_icon) signals_.show_alert_icon();
  }
  void play_alert_sound() override {
    if (signals_.play_alert_sound) signals_.play_alert_sound();
  }
  void set_alert_showing(bool on) override {
    if (signals_.set_alert_showing) signals_.set_alert_showing(on);
  }

 private:
  TasksStepSignals signals_;
};

class DialogTasksAsker final : public TasksAsker {
 public:
  DialogTasksAsker(HWND owner, AlertContext& context) : owner_(owner), context_(context) {}
  int ask_new_task(const StartupItem& item) override {
    return alerts::ask_new_task(owner_, context_, item, item.command);
  }

 private:
  HWND owner_;
  AlertContext& context_;
};

}  // namespace

int ask_new_task(HWND owner, AlertContext& context, const StartupItem& task, const std::string& next_run) {
  AlertItem item;
  item.path = task.file.substr(0, kMaxAlertText);
  item.name = task.title.substr(0, kMaxAlertText);
  // The information lookup of a task is asked with the category code 0.
  item.code = 0;
  NewTaskAlert dialog(std::move(item), next_run, context);
  return dialog.run(owner);
}

bool run_tasks_step_with_alerts(HWND owner, AlertContext& context, ItemList& list, const Options& options,
                                TasksStepSignals signals) {
  if (!signals.play_alert_sound) {
    const int sound = options[Opt::Sound];
    signals.play_alert_sound = [sound] { play_sound(3, sound); };
  }
  SystemTasksOperations ops(std::move(signals));
  DialogTasksAsker asker(owner, context);
  return run_tasks_step(list, tasks_step_options(options), ops, asker);
}

}  // namespace kestrom::alerts
