// The scheduled-tasks step of the patrol: while the scheduler runs, every listed task that the
// Tasks snapshot does not approve is asked about (or answered by HideTasks); No deletes the
// task, Yes approves it. Pure: the scheduler, the registry and the dialog come in below.
#pragma once
#include <string_view>

#include "categories/tasks.hpp"
#include "common/item_list.hpp"
#include "common/options_table.hpp"

namespace kestrom {

struct TasksStepOptions {
  int hide_tasks = 0;   // HideTasks: 0 ask, 1 approve silently, other values delete silently
  int show_alerts = 0;  // ShowAlerts: non-zero always asks
};
TasksStepOptions tasks_step_options(const Options& options) noexcept;

// What the step does to the system; every operation is silent on failure.
class TasksStepOperations {
 public:
  virtual ~TasksStepOperations() = default;
  // Never starts the scheduler: a stopped one means no check.
  virtual bool scheduler_running() = 0;
  virtual TaskListing list_tasks(ItemList& list) = 0;
  virtual int snapshot_value(std::string_view title) = 0;
  virtual void write_snapshot(std::string_view title) = 0;
  virtual void delete_snapshot(std::string_view title) = 0;
  // First-Detected Register, category "Tasks".
  virtual void note_first_sighting(std::string_view file) = 0;
  virtual TaskDeletionResult delete_task(std::string_view name) = 0;
  // Tells the user in words that the task could not be deleted.
  virtual void tell_not_deleted(const StartupItem& item, const TaskDeletionResult& result) = 0;
  virtual void show_alert_icon() = 0;    // tray icon 161 with tooltip 823
  virtual void play_alert_sound() = 0;   // sound 3
  virtual void set_alert_showing(bool on) = 0;
};

class TasksAsker {
 public:
  virtual ~TasksAsker() = default;
  // 6 or 7, or kAnswerNotShown when the dialog could not open.
  virtual int ask_new_task(const StartupItem& item) = 0;
};

// The whole step; false when the scheduler is not running (nothing was listed).
bool run_tasks_step(ItemList& list, const TasksStepOptions& options, TasksStepOperations& ops, TasksAsker& asker);

}  // namespace kestrom
