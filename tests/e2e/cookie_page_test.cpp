// The Cookies page and the cookie list window as a user meets them, on a Chrome store made with
// the current schema: a filter added on the page removes the matching cookies at once and
// leaves the others intact (a filter that reads like SQL removes nothing), and the cookie list
// window removes exactly the ticked cookies by the host and name kept from the store.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/cookie_stores.hpp"
#include "tests/e2e/e2e_support_win.hpp"
#include "tools/denied_key.hpp"

namespace kestrom::e2e {
namespace {

using test::poll;

constexpr int kList = 1000;
constexpr int kEntry = 1004;
constexpr int kAdd = 1064;
constexpr int kView = 1129;
constexpr int kRemoveChecked = 1103;
constexpr char kNuts[] = "Software\\Orvane\\Kestrom\\Nuts";
constexpr char kKept[] = "Software\\Orvane\\Kestrom\\Cookies";
constexpr char kChromePath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\chrome.exe";

std::string temp_folder() {
  char buf[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof buf, buf);
  return std::string(buf, n) + "kt_e2e_cookies\\";
}

// The Cookies tab's window: the page holding the filter entry.
HWND cookies_page(HWND sheet) { return page_with(sheet, kEntry, "Edit"); }

HWND box_of(DWORD pid, const std::string& part) {
  driver::WindowQuery q;
  q.class_name = "#32770";
  q.process_id = pid;
  q.visible_only = true;
  HWND found = nullptr;
  poll([&] {
    for (HWND w : driver::find_windows(q))
      for (const auto& c : driver::children(w))
        if (c.class_name == "Static" && c.text.find(part) != std::string::npos) return (found = w) != nullptr;
    return false;
  });
  return found;
}

class CookiesPage : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_state();
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA(profile.c_str(), nullptr);
    CreateDirectoryA((profile + "Network").c_str(), nullptr);
    test::make_store(db, test::Schema::ChromeCurrent,
                     {{"ads.example", "id", "", "/", 0, 1, std::string("v10\x01", 4)},
                      {"news.example", "o'brien", "v", "/", 0, 0, ""},
                      {"tracker.example", "uid", "t", "/", 0, 0, ""},
                      {"shop.example", "100%", "z", "/", 0, 0, ""}});
    test::delete_tree(HKEY_CURRENT_USER, kNuts);
    test::delete_tree(HKEY_CURRENT_USER, kKept);
    test::set_value(HKEY_CURRENT_USER, kProduct, "ChromeCookieFolder", profile);
    test::set_value(HKEY_CURRENT_USER, kOptions, "Browser", "8");
    test::set_value(HKEY_LOCAL_MACHINE, kChromePath, "", "C:\\Program Files\\Chrome\\chrome.exe");
  }
  void TearDown() override {
    reset_state();
    test::delete_tree(HKEY_CURRENT_USER, kNuts);
    test::delete_tree(HKEY_CURRENT_USER, kKept);
    test::delete_tree(HKEY_LOCAL_MACHINE, kChromePath);
    DeleteFileA(db.c_str());
    RemoveDirectoryA((profile + "Network").c_str());
    RemoveDirectoryA(profile.c_str());
    RemoveDirectoryA(root.c_str());
  }
  std::vector<std::string> left() const { return test::rows_left(db, test::Schema::ChromeCurrent); }

  const std::string root = temp_folder();
  const std::string profile = root + "Default\\";
  const std::string db = profile + "Network\\Cookies";
};

TEST_F(CookiesPage, AddedFilterRemovesTheMatchingCookiesAtOnce) {
  Process e = start_explorer("-NUT");
  ASSERT_TRUE(e);
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND page = cookies_page(sheet);
  ASSERT_NE(page, nullptr) << "no Cookies tab";
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, 1132))) << "Chrome is installed: its button shows";

  // A filter that reads like SQL is only a text: nothing matches it.
  SendMessageTimeoutA(GetDlgItem(page, kEntry), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x' OR 1=1 --"),
                      SMTO_ABORTIFHUNG, 5000, nullptr);
  driver::press(page, kAdd);
  ASSERT_TRUE(poll([] { return test::value_exists(HKEY_CURRENT_USER, kNuts, "x' OR 1=1 --"); }));
  SendMessageTimeoutA(GetDlgItem(page, kEntry), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("TRACKER"), SMTO_ABORTIFHUNG,
                      5000, nullptr);
  driver::press(page, kAdd);
  ASSERT_TRUE(poll([&] { return left().size() == 3; })) << "the filter pass did not run";
  EXPECT_EQ(left(), (std::vector<std::string>{"ads.example|id", "news.example|o'brien", "shop.example|100%"}));
  EXPECT_EQ(test::integrity(db), "ok");
  EXPECT_EQ(test::get_value(HKEY_CURRENT_USER, kNuts, "TRACKER"), "1");
  EXPECT_TRUE(poll([&] { return SendDlgItemMessageA(page, kList, LB_GETCOUNT, 0, 0) == 2; }));
  EXPECT_TRUE(test::screenshot("cookies_page"));
  EXPECT_EQ(quit_explorer(e), 0);
}

// A filter Windows does not let the explorer write is told; nothing is added or filtered.
TEST_F(CookiesPage, RefusedFilterWriteIsToldAndFiltersNothing) {
  Process e = start_explorer("-NUT");
  ASSERT_TRUE(e);
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND page = cookies_page(sheet);
  ASSERT_NE(page, nullptr);
  {
    test::DeniedKey denied(HKEY_CURRENT_USER, kNuts);
    ASSERT_TRUE(denied.denied);
    SendMessageTimeoutA(GetDlgItem(page, kEntry), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("tracker"), SMTO_ABORTIFHUNG,
                        5000, nullptr);
    driver::post_command(page, kAdd);
    HWND told = box_of(e.pid, "did not let Kestrom Explorer save this cookie filter");
    ASSERT_NE(told, nullptr) << "a refused filter is not told";
    test::screenshot("cookies_page_filter_refused");
    driver::press(told, IDOK);
    ASSERT_TRUE(driver::wait_until_gone(told));
  }
  EXPECT_FALSE(test::value_exists(HKEY_CURRENT_USER, kNuts, "tracker"));
  EXPECT_EQ(left().size(), 4u);
  EXPECT_EQ(SendDlgItemMessageA(page, kList, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(quit_explorer(e), 0);
}

TEST_F(CookiesPage, CookieListWindowRemovesTheTickedCookies) {
  Process e = start_explorer("-NUT");
  ASSERT_TRUE(e);
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND page = cookies_page(sheet);
  ASSERT_NE(page, nullptr);
  driver::post_command(page, kView);
  driver::WindowQuery q;
  q.class_name = "#32770";
  q.title = " Cookies ";
  q.process_id = e.pid;
  HWND window = driver::wait_for_window(q);
  ASSERT_NE(window, nullptr) << "no cookie list window";
  HWND list = GetDlgItem(window, kList);
  std::vector<std::vector<std::string>> rows;
  ASSERT_TRUE(poll([&] { return (rows = driver::read_list_view(list, 5)).size() == 4; }));
  // The encrypted value is shown as such, never decrypted; the secure flag in words.
  int news = -1, ads = -1;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (rows[r][0] == "news.example / o'brien") news = static_cast<int>(r);
    if (rows[r][0] == "ads.example / id") ads = static_cast<int>(r);
  }
  ASSERT_GE(news, 0);
  ASSERT_GE(ads, 0);
  EXPECT_EQ(rows[static_cast<std::size_t>(ads)][4], "True");
  EXPECT_FALSE(driver::list_checked(list, news));

  ASSERT_TRUE(driver::set_list_check(list, news, true));
  ASSERT_TRUE(driver::set_list_check(list, ads, true));
  EXPECT_TRUE(test::screenshot("cookie_list_window"));
  driver::post_command(window, kRemoveChecked);
  HWND question = box_of(e.pid, "you checked to be removed");
  ASSERT_NE(question, nullptr);
  driver::press(question, IDYES);
  ASSERT_TRUE(poll([&] { return left().size() == 2; })) << "the ticked cookies were not removed";
  EXPECT_EQ(left(), (std::vector<std::string>{"tracker.example|uid", "shop.example|100%"}));
  EXPECT_EQ(test::integrity(db), "ok");
  EXPECT_TRUE(poll([&] { return driver::read_list_view(list, 5).size() == 2; }));
  driver::press(window, IDCANCEL);
  ASSERT_TRUE(driver::wait_until_gone(window));
  EXPECT_EQ(quit_explorer(e), 0);
}

}  // namespace
}  // namespace kestrom::e2e
