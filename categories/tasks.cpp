#include "categories/tasks.hpp"

#include <cstdio>

#include "common/string_ids.h"
#include "common/text.hpp"

namespace kestrom {

namespace {
constexpr unsigned kNoon = 12;
constexpr std::size_t kJobEndingLength = 4;
}  // namespace

std::string run_time_text(const RunTime& t, std::string_view never) {
  if (t.year + t.month + t.day == 0) return std::string(never);
  const bool pm = t.hour >= kNoon;
  unsigned hour = pm ? t.hour - kNoon : t.hour;
  if (hour == 0) hour = kNoon;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%02u/%02u/%04u  %u:%02u %s", t.month, t.day, t.year, hour, t.minute,
                pm ? "PM" : "AM");
  return buffer;
}

int task_status_string(std::int32_t status) noexcept {
  if (status == kTaskRunning) return IDS_TASK_STATUS_RUNNING;
  if (status == kTaskNotScheduled) return IDS_TASK_STATUS_NOT_SCHEDULED;
  return IDS_TASK_STATUS_READY;
}

bool task_approved(std::string_view title, int stored) noexcept {
  return stored != 0 || contains(title, kAlwaysApprovedTask);
}

int task_not_deleted_string(const TaskDeletionResult& result) noexcept {
  switch (result.outcome) {
    case TaskDeletion::SchedulerUnavailable: return IDS_TASK_SCHEDULER_UNAVAILABLE;
    case TaskDeletion::Failed: return IDS_TASK_DELETE_FAILED;
    default: return 0;
  }
}

std::string task_alert_name(std::string_view title) {
  if (title.size() > kJobEndingLength - 1) title.remove_suffix(kJobEndingLength);
  return std::string(title);
}

}  // namespace kestrom
