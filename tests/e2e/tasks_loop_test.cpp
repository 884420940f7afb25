// A scheduled task saved from outside while the real monitor runs: its patrol raises the
// new-task alert, and No deletes the task from the Task Scheduler and logs the alert.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/service_control.hpp"
#include "tests/e2e/e2e_support_win.hpp"

using namespace kestrom;
using namespace kestrom::e2e;

namespace {

constexpr const char* kLayout = "loop";
constexpr const char* kJob = "KtLoopTask";
constexpr const char* kTitle = "Kestrom New Program Alert";
constexpr int kNo = 7;
// The tasks step runs in every second patrol (each 34 seconds) once its interval is 1; the
// machine is shared.
constexpr DWORD kAlertWaitMs = 150000;

bool job_exists() {
  const auto names = test::job_names();
  return std::find(names.begin(), names.end(), std::string(kJob) + ".job") != names.end();
}

std::string history_text() {
  std::ifstream in(program_folder(kLayout) + "\\history.txt", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TasksLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_state();
    test::delete_job_file(kJob);
    DeleteFileA((program_folder(kLayout) + "\\history.txt").c_str());
    ASSERT_EQ(platform::start_service("Schedule"), 0u);
  }
  void TearDown() override {
    if (monitor_.pid) {
      Process q = start_monitor(kLayout, "-Q");
      wait_exit(q);
      wait_exit(monitor_);
    }
    test::delete_job_file(kJob);
    reset_state();
  }
  Process monitor_;
};

}  // namespace

TEST_F(TasksLoop, ANewTaskIsAskedAboutAndNoDeletesIt) {
  monitor_ = start_monitor(kLayout);
  ASSERT_TRUE(monitor_);
  ASSERT_NE(monitor_window(monitor_.pid), nullptr);
  ASSERT_TRUE(wait_tray_icon(true));
  // After the first start, whose snapshot approves what is scheduled then.
  test::set_value(HKEY_CURRENT_USER, kOptions, "Tasks", "1");
  test::set_value(HKEY_CURRENT_USER, kOptions, "Update", "1");
  ASSERT_TRUE(test::make_job(kJob, test::fixture("kt_sleeper.exe")));

  HWND alert = dialog_of(monitor_.pid, kTitle, kAlertWaitMs);
  ASSERT_NE(alert, nullptr) << "no new-task alert";
  EXPECT_EQ(driver::text_of(GetDlgItem(alert, 100)), kJob);
  EXPECT_TRUE(test::screenshot("loop_new_task_alert"));
  EXPECT_NE(history_text().find("\tTASK_Alert\t"), std::string::npos) << history_text();
  ASSERT_TRUE(driver::press(alert, kNo));
  ASSERT_TRUE(driver::wait_until_gone(alert, kWaitMs));
  EXPECT_TRUE(test::poll([] { return !job_exists(); })) << "the task is still scheduled";
  EXPECT_FALSE(test::value_exists(HKEY_CURRENT_USER, "Software\\Orvane\\Kestrom\\Tasks", std::string(kJob) + ".job"));
}
