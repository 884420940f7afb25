// The Scheduled Tasks page as a user meets it: a job saved from outside is listed with its
// program and run times, and Remove (after its question) deletes the job the scheduler knows,
// even when the listed title was renamed to the product's name, and forgets its approval.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/service_control.hpp"
#include "tests/e2e/e2e_support_win.hpp"

namespace kestrom::e2e {
namespace {

using test::poll;

constexpr int kRemoveButton = 1003;
constexpr const char* kJob = "Kestrom Nightly Job";
constexpr const char* kTasksSnapshot = "Software\\Orvane\\Kestrom\\Tasks";

bool job_exists() {
  const auto names = test::job_names();
  return std::find(names.begin(), names.end(), std::string(kJob) + ".job") != names.end();
}

class TasksPage : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_state();
    test::delete_job_file(kJob);
    ASSERT_EQ(platform::start_service("Schedule"), 0u);
  }
  void TearDown() override {
    test::delete_job_file(kJob);
    test::delete_value(HKEY_CURRENT_USER, kTasksSnapshot, "Kestrom");
    reset_state();
  }
};

}  // namespace

TEST_F(TasksPage, ListsAJobAndRemovesItByTheSchedulersName) {
  const std::string program = test::fixture("kt_sleeper.exe");
  ASSERT_TRUE(test::make_job("Kestrom Nightly Job", program));
  ASSERT_TRUE(job_exists());

  Process explorer = start_explorer("-SCHEDULE");
  ASSERT_TRUE(explorer);
  HWND sheet = dialog_of(explorer.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = nullptr;
  std::vector<std::vector<std::string>> rows;
  ASSERT_TRUE(poll([&] {
    list = shown_list(sheet);
    if (!list) return false;
    rows = driver::read_list_view(list, 5);
    return !rows.empty();
  }));
  ASSERT_EQ(rows.size(), 1u) << "the prefix schedules nothing else";
  ASSERT_EQ(rows[0].size(), 5u);
  EXPECT_EQ(rows[0][0], "Kestrom");  // a title naming the product shows its display name
  EXPECT_EQ(rows[0][1], "kt_sleeper.exe");
  EXPECT_EQ(rows[0][2], "Fixture Works");
  EXPECT_EQ(rows[0][3], "Never");
  EXPECT_EQ(rows[0][4], "Never");
  EXPECT_TRUE(test::screenshot("explorer_scheduled_tasks_page"));

  // The approval the monitor would have written under the listed title.
  test::set_value(HKEY_CURRENT_USER, kTasksSnapshot, "Kestrom", "800");
  HWND remove = nullptr;
  for (const auto& c : driver::children(sheet))
    if (c.id == kRemoveButton && IsWindowVisible(c.hwnd)) remove = c.hwnd;
  ASSERT_NE(remove, nullptr);
  PostMessageA(GetParent(remove), WM_COMMAND, MAKEWPARAM(kRemoveButton, BN_CLICKED), reinterpret_cast<LPARAM>(remove));
  HWND question = box_saying(explorer.pid, "remove this scheduled task");
  ASSERT_NE(question, nullptr);
  driver::press(question, IDYES);
  EXPECT_TRUE(poll([] { return !job_exists(); })) << "the job the scheduler knows was not deleted";
  EXPECT_TRUE(poll([] { return !test::value_exists(HKEY_CURRENT_USER, kTasksSnapshot, "Kestrom"); }));
  EXPECT_TRUE(poll([&] { return driver::read_list_view(list, 5).empty(); }));
  EXPECT_EQ(quit_explorer(explorer), 0);
}

}  // namespace kestrom::e2e
