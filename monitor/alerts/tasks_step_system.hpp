// The scheduled-tasks step bound to the real system: the Task Scheduler, the Tasks snapshot,
// the First-Detected Register and the new-task alert (dialog 138) as the asker.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "monitor/alerts/alert_dialog.hpp"
#include "monitor/tasks_step.hpp"

namespace kestrom::alerts {

// Control numbers of the new-task alert's next-run line.
inline constexpr int kNextRunLabel = 1098;
inline constexpr int kNextRunControl = 1099;

// The monitor's part of a question; an empty function is skipped.
struct TasksStepSignals {
  std::function<void()> show_alert_icon;           // tray icon 161 with tooltip 823
  std::function<void()> play_alert_sound;          // sound 3
  std::function<void(bool on)> set_alert_showing;  // the patrol's alert-showing guard
  // Shows the text that says a task stayed; empty: a message box.
  std::function<void(const std::string& text)> tell_user;
};

// The new-task question (resource 138): 6 approve, 7 delete; 0 when it could not open.
// `next_run` is the task's next run text.
int ask_new_task(HWND owner, AlertContext& context, const StartupItem& task, const std::string& next_run);

// The monitor's scheduled-tasks step; false when the scheduler was not running. An empty sound
// signal plays sound 3 with the Sound option.
bool run_tasks_step_with_alerts(HWND owner, AlertContext& context, ItemList& list, const Options& options,
                                TasksStepSignals signals);

}  // namespace kestrom::alerts
