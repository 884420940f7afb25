#include "monitor/tasks_step.hpp"

#include <string>

#include "monitor/alert_rules.hpp"

namespace kestrom {

namespace {

void handle_new_task(const StartupItem& item, const std::string& name, const TasksStepOptions& options,
                     TasksStepOperations& ops, TasksAsker& asker) {
  ops.note_first_sighting(item.file);
  ops.show_alert_icon();
  int answer = 0;
  if (alert_is_shown(options.hide_tasks, options.show_alerts)) {
    ops.play_alert_sound();
    ops.set_alert_showing(true);
    answer = asker.ask_new_task(item);
    ops.set_alert_showing(false);
  } else {
    answer = silent_answer(options.hide_tasks);
  }
  if (answer == kAnswerYes) {
    ops.write_snapshot(item.title);
  } else if (answer == kAnswerNo) {
    const auto result = ops.delete_task(name);
    if (result.outcome == TaskDeletion::Deleted || result.outcome == TaskDeletion::NoMatch) {
      ops.delete_snapshot(item.title);
    } else {
      // A task that stayed is accepted, as a refused startup removal is, so the question does
      // not come back at every check; the user is told it stayed.
      ops.write_snapshot(item.title);
      ops.tell_not_deleted(item, result);
    }
  }
}

}  // namespace

TasksStepOptions tasks_step_options(const Options& options) noexcept {
  return {options[Opt::HideTasks], options[Opt::ShowAlerts]};
}

bool run_tasks_step(ItemList& list, const TasksStepOptions& options, TasksStepOperations& ops, TasksAsker& asker) {
  if (!ops.scheduler_running()) return false;
  const TaskListing listing = ops.list_tasks(list);
  // By copy: a question's message loop may refill the list.
  const std::vector<StartupItem> items = list.items();
  for (std::size_t i = 0; i < items.size() && i < listing.names.size(); ++i) {
    const StartupItem& item = items[i];
    if (task_approved(item.title, ops.snapshot_value(item.title))) continue;
    handle_new_task(item, listing.names[i], options, ops, asker);
  }
  return true;
}

}  // namespace kestrom
