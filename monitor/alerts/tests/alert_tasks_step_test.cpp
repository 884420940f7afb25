// The scheduled-tasks step with the real new-task dialog, answered by a second thread, against
// jobs saved in the test prefix's Task Scheduler: what each answer leaves in the scheduler, the
// Tasks snapshot and the History Log.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "categories/tasks.hpp"
#include "common/detected.hpp"
#include "common/history_log.hpp"
#include "common/locations.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/text.hpp"
#include "monitor/alerts/tasks_step_system.hpp"
#include "platform/service_control.hpp"
#include "startup/enumerate.hpp"
#include "tools/driver_win.hpp"
#include "tools/test_support_win.hpp"

namespace {

using namespace kestrom;

const char* const kJobs[] = {"KtStepTaskNo", "KtStepTaskYes", "KtStepMcAfee", "KtStep McAfee.com Update"};

bool job_exists(const std::string& name) {
  const auto names = test::job_names();
  return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return iequals(n, name + ".job"); });
}

bool poll_job(const std::string& name) {
  return test::poll([&] { return job_exists(name); });
}

class TasksStepSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(platform::start_service(kSchedulerService), 0u);
    for (const char* job : kJobs) test::delete_job_file(job);
    reg::delete_key_tree(HKEY_CURRENT_USER, keys::kTasks);
    reg::delete_key_tree(HKEY_CURRENT_USER, std::string(keys::kDetected) + "\\Tasks");
    DeleteFileA(history_file_path().c_str());
    // Whatever the prefix already schedules is approved, so only this test's jobs are new.
    fill_task_snapshot(list, system_item_rules());
    context.services.write_history = [](const std::string& title, const std::string& path,
                                        const std::string& third, int code, int action) {
      write_history(title, path, third, code, action);
    };
    options[Opt::HideTasks] = 0;
  }
  void TearDown() override {
    for (const char* job : kJobs) test::delete_job_file(job);
    reg::delete_key_tree(HKEY_CURRENT_USER, keys::kTasks);
  }

  // Runs the step; a second thread answers the `expected` new-task dialogs with `command` and
  // notes the names and next-run texts they showed.
  bool step_answering(int command, std::size_t expected) {
    shown_names.clear();
    shown_next_runs.clear();
    test::UserThread user([&] {
      driver::WindowQuery q;
      q.title = "Kestrom New Program Alert";
      q.process_id = GetCurrentProcessId();
      q.visible_only = true;
      for (std::size_t i = 0; i < expected; ++i) {
        HWND dialog = driver::wait_for_window(q);
        if (!dialog) return;
        shown_names.push_back(driver::text_of(GetDlgItem(dialog, alerts::kNameControl)));
        shown_next_runs.push_back(driver::text_of(GetDlgItem(dialog, alerts::kNextRunControl)));
        if (i == 0) test::screenshot("alert_new_task");
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
        if (!driver::wait_until_gone(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
      }
    });
    const bool ran = alerts::run_tasks_step_with_alerts(
        nullptr, context, list, options,
        {nullptr, [&] { ++sounds; }, nullptr, [&](const std::string& t) { told.push_back(t); }});
    EXPECT_TRUE(user.join());
    return ran;
  }

  std::string snapshot(std::string_view title) {
    return reg::read_string(HKEY_CURRENT_USER, keys::kTasks, title);
  }

  ItemList list;
  alerts::AlertFonts fonts;
  alerts::AlertContext context{fonts};
  Options options = Options::defaults(Program::Monitor);
  std::vector<std::string> shown_names, shown_next_runs, told;
  int sounds = 0;
};

}  // namespace

TEST_F(TasksStepSystemTest, NoDeletesTheNewTaskAndLogsTheAlertWhileMcAfeeTasksAreNeverAsked) {
  const std::string program = test::fixture("alert_fixture_app.exe");
  ASSERT_TRUE(test::make_job("KtStepTaskNo", program));
  ASSERT_TRUE(test::make_job("KtStepMcAfee", program));
  ASSERT_TRUE(test::rename_job_file("KtStepMcAfee", "KtStep McAfee.com Update"));
  ASSERT_TRUE(poll_job("KtStep McAfee.com Update"));
  ASSERT_TRUE(step_answering(kCommandNo, 1));

  EXPECT_EQ(shown_names, std::vector<std::string>{"KtStepTaskNo"});
  EXPECT_EQ(shown_next_runs, std::vector<std::string>{"Never"});
  EXPECT_EQ(sounds, 1);
  EXPECT_FALSE(job_exists("KtStepTaskNo"));
  EXPECT_TRUE(job_exists("KtStep McAfee.com Update"));
  EXPECT_FALSE(reg::value_exists(HKEY_CURRENT_USER, keys::kTasks, "KtStepTaskNo.job"));
  EXPECT_TRUE(told.empty());
  const auto records = read_history(history_file_path());
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].action, action::kTaskAlert);
  EXPECT_EQ(records[0].code, code::kTaskScheduled);
  EXPECT_EQ(records[0].title, "KtStepTaskNo.job");
  EXPECT_TRUE(iequals(records[0].path, program)) << records[0].path;
  EXPECT_FALSE(first_sighting(program, code::kTaskScheduled).empty());

  // The same name added again is asked about again.
  ASSERT_TRUE(test::make_job("KtStepTaskNo", program));
  ASSERT_TRUE(step_answering(kCommandYes, 1));
  EXPECT_EQ(shown_names, std::vector<std::string>{"KtStepTaskNo"});
}

TEST_F(TasksStepSystemTest, YesOrEscapeApprovesTheTaskSoItIsNotAskedAgain) {
  ASSERT_TRUE(test::make_job("KtStepTaskYes", test::fixture("alert_fixture_app.exe")));
  ASSERT_TRUE(step_answering(kCommandEscape, 1));
  EXPECT_EQ(shown_names.size(), 1u);
  EXPECT_EQ(snapshot("KtStepTaskYes.job"), "800");
  EXPECT_TRUE(job_exists("KtStepTaskYes"));

  options[Opt::HideTasks] = 2;  // would delete silently, but the task is approved
  ASSERT_TRUE(step_answering(kCommandNo, 0));
  EXPECT_TRUE(shown_names.empty());
  EXPECT_TRUE(job_exists("KtStepTaskYes"));
}
