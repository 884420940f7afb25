// The Active Tasks tab: Kill Task ends the process of the selected row, not another program
// with the same file name.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "common/text.hpp"
#include "tests/e2e/e2e_support_win.hpp"

namespace kestrom::e2e {
namespace {

constexpr int kKillTask = 1007;

HWND status_bar(HWND sheet) {
  for (const auto& c : driver::children(sheet))
    if (c.class_name == "msctls_statusbar32") return c.hwnd;
  return nullptr;
}

std::vector<int> rows_named(HWND list, std::string_view name) {
  std::vector<int> out;
  const auto rows = driver::read_list_view(list);
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (!rows[i].empty() && iequals(rows[i][0], name)) out.push_back(static_cast<int>(i));
  return out;
}

class ExplorerTasks : public ::testing::Test {
 protected:
  void SetUp() override { reset_state(); }
  void TearDown() override { reset_state(); }
};

}  // namespace

TEST_F(ExplorerTasks, KillTaskEndsTheSelectedRowsOwnProcess) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "KtTwinTasks";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string twin = folder + "\\kt_sleeper.exe";
  ASSERT_TRUE(CopyFileA(test::fixture("kt_sleeper.exe").c_str(), twin.c_str(), FALSE));
  Process original = test::start_process(test::fixture("kt_sleeper.exe"));
  Process copy = test::start_process(twin);
  ASSERT_TRUE(original && copy);

  Process e = start_explorer("-TASK");
  ASSERT_TRUE(e);
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = page_list(sheet);
  ASSERT_NE(list, nullptr);
  std::vector<int> rows;
  ASSERT_TRUE(test::poll([&] { return (rows = rows_named(list, "kt_sleeper.exe")).size() == 2; }));
  EXPECT_TRUE(test::screenshot("explorer_active_tasks_page"));

  // The row of the copy: the status bar shows the selected row's program path.
  HWND status = status_bar(sheet);
  ASSERT_NE(status, nullptr);
  int copy_row = -1;
  for (int row : rows) {
    ASSERT_TRUE(driver::select_list_row(list, row));
    if (test::poll([&] { return contains(driver::text_of(status), "KtTwinTasks"); }, 2000)) copy_row = row;
    if (copy_row >= 0) break;
  }
  ASSERT_GE(copy_row, 0) << "no row shows the copy's path";

  ASSERT_TRUE(driver::press(GetParent(list), kKillTask));
  EXPECT_GE(wait_exit(copy), 0);
  EXPECT_TRUE(still_running(original)) << "the other program with the same file name was ended";
  EXPECT_EQ(quit_explorer(e), 0);
  test::end_process(original);
  DeleteFileA(twin.c_str());
  RemoveDirectoryA(folder.c_str());
}

}  // namespace kestrom::e2e
