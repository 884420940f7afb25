// The Services tab as a user meets it: the services with their program, company, state and
// start type, and the choice to list non-Microsoft services only, kept in the options.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/e2e_support_win.hpp"

namespace kestrom::e2e {
namespace {

constexpr int kNonMicrosoftOnly = 1014;

// The row whose first column is `title`; empty when there is none.
std::vector<std::string> row_of(HWND list, const std::string& title) {
  for (auto& row : driver::read_list_view(list))
    if (!row.empty() && row[0] == title) return row;
  return {};
}

class ExplorerServices : public ::testing::Test {
 protected:
  void SetUp() override { reset_state(); }
  void TearDown() override { reset_state(); }
};

}  // namespace

TEST_F(ExplorerServices, ListsServicesAndTheNonMicrosoftChoiceRefillsAndIsKept) {
  test::TestService mine("KtFixturePage", "Fixture Page Service", test::fixture("kt_service.exe"));
  test::TestService microsoft("KtFixturePageMs", "Fixture Page Microsoft", test::fixture("kt_msservice.exe"));
  ASSERT_TRUE(mine && microsoft);
  ASSERT_TRUE(mine.start());

  Process e = start_explorer("-SERVICE");
  ASSERT_TRUE(e);
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = page_list(sheet);
  ASSERT_NE(list, nullptr);
  std::vector<std::string> row;
  ASSERT_TRUE(test::poll([&] { return !(row = row_of(list, "Fixture Page Service")).empty(); }));
  ASSERT_GE(row.size(), 6u);
  EXPECT_NE(row[1].find("kt_service.exe"), std::string::npos) << row[1];
  EXPECT_EQ(row[2], "Fixture Works");
  EXPECT_EQ(row[3], "Running");
  EXPECT_EQ(row[4], "Manual");
  EXPECT_FALSE(row[5].empty()) << "first-detected date";
  // By default the Microsoft program is left out.
  EXPECT_TRUE(row_of(list, "Fixture Page Microsoft").empty());
  EXPECT_TRUE(test::screenshot("explorer_services_page"));

  HWND page = GetParent(list);
  ASSERT_TRUE(driver::post(GetDlgItem(page, kNonMicrosoftOnly), BM_CLICK));
  EXPECT_TRUE(test::poll([&] { return !row_of(list, "Fixture Page Microsoft").empty(); }));
  EXPECT_EQ(test::get_value(HKEY_CURRENT_USER, kOptions, "HideMicrosoftServices"), "0");
  EXPECT_EQ(quit_explorer(e), 0);

  // The choice survives a restart.
  Process again = start_explorer("-SERVICE");
  HWND sheet2 = dialog_of(again.pid);
  ASSERT_NE(sheet2, nullptr);
  HWND list2 = page_list(sheet2);
  ASSERT_NE(list2, nullptr);
  EXPECT_TRUE(test::poll([&] { return !row_of(list2, "Fixture Page Microsoft").empty(); }));
  EXPECT_EQ(quit_explorer(again), 0);
}

}  // namespace kestrom::e2e
