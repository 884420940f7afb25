// Scheduled tasks: the work items of the Task Scheduler as items of the Item List (code 800),
// the Tasks snapshot of approved tasks, and removing a task. The texts and rules are pure; the
// scheduler is reached in tasks_win.cpp, one COM apartment per operation.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/item_list.hpp"

namespace kestrom {

// A run time as the scheduler gives it; year, month and day all 0 mean "never".
struct RunTime {
  unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

// "MM/DD/YYYY  h:mm AM|PM" on a 12-hour clock (hour 0 shows as 12 AM, 12 as 12 PM), or `never`
// when the date is all zero.
std::string run_time_text(const RunTime& time, std::string_view never);

// The scheduler's status codes that have a text of their own.
inline constexpr std::int32_t kTaskRunning = 0x00041301;
inline constexpr std::int32_t kTaskNotScheduled = 0x00041305;
// String number of a status text: Ready (the default), Running, Not Scheduled.
int task_status_string(std::int32_t status) noexcept;

// Tasks snapshot rule: approved when the stored number is non-zero, or whatever is stored when
// the title names McAfee.com in any letter case.
inline constexpr std::string_view kAlwaysApprovedTask = "McAfee.com";
bool task_approved(std::string_view title, int stored) noexcept;

// The name an alert shows: the title without its four-character job-file ending when it is
// longer than three characters, else the title.
std::string task_alert_name(std::string_view title);

// What `delete task` came to.
enum class TaskDeletion {
  Deleted,
  NoMatch,               // no work item has that name
  SchedulerUnavailable,  // the scheduler was not running and could not be started
  Failed,                // the scheduler refused (error in `error`)
};
struct TaskDeletionResult {
  TaskDeletion outcome = TaskDeletion::Failed;
  std::uint32_t error = 0;  // Win32 error or COM result; 0 when deleted or not found
};

// String number of the message that says a task was not deleted (0 when it was, or when
// there was none to delete).
int task_not_deleted_string(const TaskDeletionResult& result) noexcept;

// ---- The system (tasks_win.cpp) -------------------------------------------------------

// The task scheduler service's name.
inline constexpr std::string_view kSchedulerService = "Schedule";

// A listing: the items went into the Item List; `names` holds, index for index, the name the
// scheduler gave each work item (the item's title may have been shortened or renamed).
struct TaskListing {
  std::vector<std::string> names;
  std::size_t count() const noexcept { return names.size(); }
};

// True when the scheduler service runs (never starts it).
bool scheduler_running();
// Starts the scheduler service unless it runs; 0, or the Win32 error of the step that failed.
// A scheduler started here is left running.
std::uint32_t ensure_scheduler_running();
// `list tasks`: clears the list and adds every work item (code 800, file = application,
// command = next run text, detail = last run text). An empty listing when the scheduler cannot
// be started or enumerated; work items that cannot be opened are skipped.
TaskListing list_tasks(ItemList& list, const ItemRules& rules);
// The next run text of the work item named `name` (case-insensitive); empty when none.
std::string task_next_run(std::string_view name);
// The status text's string number of the work item `name`; 0 when none.
int task_status_of(std::string_view name);
// Deletes the work item the scheduler names `name` (case-insensitive, the first match).
TaskDeletionResult delete_task(std::string_view name);

// The Tasks snapshot (HKCU\Software\Orvane\Kestrom\Tasks), values named by the task's title.
int task_snapshot_value(std::string_view title);  // 0 when missing or not a number
bool write_task_snapshot(std::string_view title);  // "800"
bool delete_task_snapshot(std::string_view title);
// Writes every listed task into the Tasks snapshot (part of the approve-all step); the list is
// left holding the tasks.
void fill_task_snapshot(ItemList& list, const ItemRules& rules);
// The product start-up's part: the Tasks snapshot of the tasks listed now.
void fill_task_snapshot_hook();
// The application files of the tasks: the category's source for the First-Detected Register.
std::vector<std::string> task_files();

}  // namespace kestrom
