#include <gtest/gtest.h>

#include "categories/tasks.hpp"
#include "common/string_ids.h"

namespace kestrom {
namespace {

TEST(TaskRunTime, TwelveHourClockAroundMidnightAndNoon) {
  EXPECT_EQ(run_time_text({2026, 3, 7, 0, 5}, "Never"), "03/07/2026  12:05 AM");
  EXPECT_EQ(run_time_text({2026, 3, 7, 12, 0}, "Never"), "03/07/2026  12:00 PM");
  EXPECT_EQ(run_time_text({2026, 12, 31, 23, 59}, "Never"), "12/31/2026  11:59 PM");
  EXPECT_EQ(run_time_text({2026, 1, 2, 11, 59}, "Never"), "01/02/2026  11:59 AM");
  EXPECT_EQ(run_time_text({2026, 1, 2, 13, 1}, "Never"), "01/02/2026  1:01 PM");
}

TEST(TaskRunTime, AnAllZeroDateIsNeverWhateverTheHour) {
  EXPECT_EQ(run_time_text({0, 0, 0, 0, 0}, "Never"), "Never");
  EXPECT_EQ(run_time_text({0, 0, 0, 14, 30}, "Nie"), "Nie");
  // Only the date decides: a year alone is a date.
  EXPECT_EQ(run_time_text({1999, 0, 0, 0, 0}, "Never"), "00/00/1999  12:00 AM");
}

TEST(TaskStatus, RunningAndNotScheduledHaveTextsEverythingElseIsReady) {
  EXPECT_EQ(task_status_string(0x00041301), IDS_TASK_STATUS_RUNNING);
  EXPECT_EQ(task_status_string(0x00041305), IDS_TASK_STATUS_NOT_SCHEDULED);
  EXPECT_EQ(task_status_string(0x00041300), IDS_TASK_STATUS_READY);
  EXPECT_EQ(task_status_string(0), IDS_TASK_STATUS_READY);
  EXPECT_EQ(task_status_string(static_cast<std::int32_t>(0x80041318)), IDS_TASK_STATUS_READY);
}

TEST(TaskSnapshot, ApprovedByAStoredNumberOrByTheMcAfeeName) {
  EXPECT_TRUE(task_approved("Backup.job", 800));
  EXPECT_TRUE(task_approved("Backup.job", -3));
  EXPECT_FALSE(task_approved("Backup.job", 0));
  EXPECT_TRUE(task_approved("mcafee.COM Update.job", 0));
  EXPECT_TRUE(task_approved("Scan by McAfee.com.job", 0));
  EXPECT_FALSE(task_approved("McAfee com.job", 0));
}

TEST(TaskAlertName, DropsTheJobEndingOnlyFromTitlesLongerThanThree) {
  EXPECT_EQ(task_alert_name("Backup.job"), "Backup");
  EXPECT_EQ(task_alert_name(".job"), "");
  EXPECT_EQ(task_alert_name("abc"), "abc");
  EXPECT_EQ(task_alert_name(""), "");
}

TEST(TaskDeletionMessage, OnlyATaskThatStayedHasOne) {
  EXPECT_EQ(task_not_deleted_string({TaskDeletion::SchedulerUnavailable, 1058}), IDS_TASK_SCHEDULER_UNAVAILABLE);
  EXPECT_EQ(task_not_deleted_string({TaskDeletion::Failed, 0x80070005}), IDS_TASK_DELETE_FAILED);
  EXPECT_EQ(task_not_deleted_string({TaskDeletion::Deleted, 0}), 0);
  EXPECT_EQ(task_not_deleted_string({TaskDeletion::NoMatch, 0}), 0);
}

}  // namespace
}  // namespace kestrom
