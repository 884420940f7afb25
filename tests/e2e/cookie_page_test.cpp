// The Cookies page and the cookie list window as a user meets them, on stores made with the
// browsers' real formats: a filter added on the page removes the matching cookies at once from
// the chosen browser's store and leaves the others intact (a filter that reads like SQL removes
// nothing), and the cookie list window removes exactly the ticked cookies by the host and name
// kept from the store.
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
constexpr char kFirefoxPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe";
constexpr char kEdgePath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\msedge.exe";
constexpr int kRadioExplorer = 1127;
constexpr int kRadioMozilla = 1128;
constexpr int kRadioEdge = 1133;

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

  // The menu's "VANT Info..." for a store's row sends the cookie's title: the row names no file.
  test::SavedValue browser(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", "");
  test::set_value(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", "",
                  "\"" + test::fixture("fixtures\\fake_explorer.exe") + "\" \"%1\"");
  test::SavedValue server(HKEY_LOCAL_MACHINE, kProduct, "InfoServer");
  test::set_value(HKEY_LOCAL_MACHINE, kProduct, "InfoServer", "http://info.test");
  test::forget_explorer_starts();
  rows = driver::read_list_view(list, 5);
  int shop = -1;
  for (std::size_t r = 0; r < rows.size(); ++r)
    if (rows[r][0] == "shop.example / 100%") shop = static_cast<int>(r);
  ASSERT_GE(shop, 0);
  ASSERT_TRUE(driver::select_list_row(list, shop));
  driver::post_command(window, 1067);
  ASSERT_TRUE(test::wait_explorer_starts(1)) << "the lookup opened nothing";
  const std::string address = test::explorer_starts()[0];
  EXPECT_NE(address.find("http://info.test/cgi-bin/vantinfo.pl?program=shop.example%20/%20100%25&"), std::string::npos)
      << address;
  EXPECT_NE(address.find("&Type=504&"), std::string::npos) << address;
  driver::press(window, IDCANCEL);
  ASSERT_TRUE(driver::wait_until_gone(window));
  EXPECT_EQ(quit_explorer(e), 0);
}

}  // namespace
}  // namespace kestrom::e2e

namespace kestrom::e2e {
namespace {

void write_file(const std::string& path, const std::string& text, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
  SetFileAttributesA(path.c_str(), attributes);
}

std::string read_file(const std::string& path) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return "(missing)";
  std::string text;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) text.append(buf, got);
  CloseHandle(f);
  return text;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void remove_tree(const std::string& folder) {
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        remove_tree(folder + name + "\\");
      } else {
        SetFileAttributesA((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA((folder + name).c_str());
      }
    } while (FindNextFileA(find, &fd));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

// Every other kind of store: Internet Explorer's cookie files, current Firefox's WAL database,
// the cookies.txt of a Firefox before version 3, and Edge's Chromium database.
class EveryStore : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_state();
    remove_tree(root);
    for (const std::string& f : {temp_folder(), root, ie, firefox, edge, edge + "Network\\"})
      CreateDirectoryA(f.c_str(), nullptr);
    write_file(ie + "index.dat", "index");
    write_file(ie + "user@tracker[1].txt", "t", FILE_ATTRIBUTE_READONLY);
    write_file(ie + "user@tracker[2].txt", "s", FILE_ATTRIBUTE_SYSTEM);  // system files are never touched
    write_file(ie + "user@news[1].txt", "n");
    test::make_store(firefox + "cookies.sqlite", test::Schema::FirefoxCurrent,
                     {{".tracker.example", "uid", "1", "/", 1'700'000'000'000, 1, ""},
                      {"news.example", "sid", "2", "/", std::int64_t{1} << 31, 0, ""},
                      {"shop.example", "100%_\\", "3", "/", 0, 0, ""}});
    write_file(firefox + "cookies.txt", kCookiesTxt);
    test::make_store(edge + "Network\\Cookies", test::Schema::ChromeCurrent,
                     {{"tracker.example", "id", "", "/", 0, 1, std::string("v10\x03", 4)},
                      {"news.example", "o'brien", "v", "/", 0, 0, ""}});
    test::delete_tree(HKEY_CURRENT_USER, kNuts);
    test::set_value(HKEY_CURRENT_USER, kProduct, "IECookieFolder", ie);
    test::set_value(HKEY_CURRENT_USER, kProduct, "CookieFolder", firefox);
    test::set_value(HKEY_CURRENT_USER, kProduct, "EdgeCookieFolder", edge);
    test::set_value(HKEY_CURRENT_USER, kOptions, "Browser", "1");
    // No program file behind it: the version reads as 0, so the profile's store is cookies.sqlite.
    test::set_value(HKEY_LOCAL_MACHINE, kFirefoxPath, "", "C:\\Program Files\\Firefox\\firefox.exe");
    test::set_value(HKEY_LOCAL_MACHINE, kEdgePath, "", "C:\\Program Files\\Edge\\msedge.exe");
  }
  void TearDown() override {
    reset_state();
    test::delete_tree(HKEY_CURRENT_USER, kNuts);
    test::delete_tree(HKEY_LOCAL_MACHINE, kFirefoxPath);
    test::delete_tree(HKEY_LOCAL_MACHINE, kEdgePath);
    remove_tree(root);
    RemoveDirectoryA(temp_folder().c_str());
  }

  // Chooses the browser on the page and adds the filter there, which filters its store at once.
  void add_filter_for(HWND page, int radio, const char* filter) {
    driver::press(page, radio);
    SendMessageTimeoutA(GetDlgItem(page, kEntry), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(filter), SMTO_ABORTIFHUNG,
                        5000, nullptr);
    driver::press(page, kAdd);
  }

  static constexpr char kCookiesTxt[] =
      "# Netscape HTTP Cookie File\r\n"
      ".tracker.example\tTRUE\t/\tFALSE\t2147483648\tuid\t1\r\n"
      "news.example\tFALSE\t/\tFALSE\t253402300799\tsid\t2\r\n"
      "\tTRUE\t/\tFALSE\t0\tno domain\tkept as it is\r\n"
      "caf\xc3\xa9.example\tFALSE\t/\tTRUE\t0\tx' OR 1=1 --\t3";
  const std::string root = temp_folder() + "every store\\";
  const std::string ie = root + "Cookies\\";
  const std::string firefox = root + "k3st.default-release\\";
  const std::string edge = root + "Edge Default\\";
};

TEST_F(EveryStore, FilterAddedOnThePageRemovesTheMatchingCookiesOfEachStoreKind) {
  Process e = start_explorer("-NUT");
  ASSERT_TRUE(e);
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND page = cookies_page(sheet);
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, kRadioEdge))) << "Edge is installed: its button shows";
  EXPECT_TRUE(test::screenshot("cookies_page_browsers"));

  // Internet Explorer: the file named for the tracker goes, read-only or not; the folder's own
  // name ("Cookies") is no match for the filter "cookie" that follows.
  add_filter_for(page, kRadioExplorer, "TRACKER");
  ASSERT_TRUE(poll([&] { return !exists(ie + "user@tracker[1].txt"); })) << "the Internet Explorer pass did not run";
  add_filter_for(page, kRadioExplorer, "cookie");
  ASSERT_TRUE(poll([&] { return test::value_exists(HKEY_CURRENT_USER, kNuts, "cookie"); }));

  // Current Firefox (version unknown, WAL database).
  add_filter_for(page, kRadioMozilla, "x' OR 1=1 --");
  ASSERT_TRUE(poll([&] { return test::rows_left(firefox + "cookies.sqlite", test::Schema::FirefoxCurrent).size() == 2; }))
      << "the Firefox pass did not run";
  EXPECT_EQ(test::rows_left(firefox + "cookies.sqlite", test::Schema::FirefoxCurrent),
            (std::vector<std::string>{"news.example|sid", "shop.example|100%_\\"}));
  EXPECT_EQ(test::integrity(firefox + "cookies.sqlite"), "ok");

  // A Firefox before version 3: the filtered copy waits beside cookies.txt for Firefox to close.
  test::set_value(HKEY_LOCAL_MACHINE, kFirefoxPath, "", test::fixture("fixtures\\version_multi.exe"));
  add_filter_for(page, kRadioMozilla, "tracker");
  ASSERT_TRUE(poll([&] { return exists(firefox + "cookiesnew.txt"); })) << "the cookies.txt pass did not run";
  // Every line whose text holds a filter goes, the comment naming "Cookie" too; "x' OR 1=1 --"
  // is a filter now and matches itself; the line without a domain stays as it was.
  EXPECT_EQ(read_file(firefox + "cookiesnew.txt"),
            "news.example\tFALSE\t/\tFALSE\t253402300799\tsid\t2\r\n"
            "\tTRUE\t/\tFALSE\t0\tno domain\tkept as it is\r\n");
  EXPECT_EQ(read_file(firefox + "cookies.txt"), kCookiesTxt);
  EXPECT_EQ(test::get_value(HKEY_CURRENT_USER, kOptions, "UpdateCookieFile"), "1");

  // Edge.
  add_filter_for(page, kRadioEdge, "TRACKER");
  ASSERT_TRUE(poll([&] { return test::rows_left(edge + "Network\\Cookies", test::Schema::ChromeCurrent).size() == 1; }))
      << "the Edge pass did not run";
  EXPECT_EQ(test::rows_left(edge + "Network\\Cookies", test::Schema::ChromeCurrent),
            (std::vector<std::string>{"news.example|o'brien"}));
  EXPECT_EQ(test::integrity(edge + "Network\\Cookies"), "ok");
  EXPECT_EQ(test::get_value(HKEY_CURRENT_USER, kOptions, "Browser"), "9");
  // The Internet Explorer files no filter names are still there after every pass.
  EXPECT_TRUE(exists(ie + "user@tracker[2].txt"));
  EXPECT_TRUE(exists(ie + "user@news[1].txt"));
  EXPECT_TRUE(exists(ie + "index.dat"));
  EXPECT_EQ(quit_explorer(e), 0);
}

TEST_F(EveryStore, CookieListWindowRemovesTickedCookiesTxtRowsAndKeepsTheRest) {
  test::set_value(HKEY_LOCAL_MACHINE, kFirefoxPath, "", test::fixture("fixtures\\version_multi.exe"));
  test::set_value(HKEY_CURRENT_USER, kOptions, "Browser", "6");
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
  ASSERT_TRUE(poll([&] { return (rows = driver::read_list_view(list, 5)).size() == 3; }));
  int tracker = -1, odd = -1;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (rows[r][0] == "tracker.example - uid") tracker = static_cast<int>(r);
    if (rows[r][0].starts_with("caf") && rows[r][0].ends_with(".example - x' OR 1=1 --")) odd = static_cast<int>(r);
  }
  ASSERT_GE(tracker, 0);
  ASSERT_GE(odd, 0);
  ASSERT_TRUE(driver::set_list_check(list, tracker, true));
  ASSERT_TRUE(driver::set_list_check(list, odd, true));
  EXPECT_TRUE(test::screenshot("cookie_list_window_cookies_txt"));
  driver::post_command(window, kRemoveChecked);
  HWND question = box_of(e.pid, "you checked to be removed");
  ASSERT_NE(question, nullptr);
  driver::press(question, IDYES);
  const std::string expected =
      "# Netscape HTTP Cookie File\r\n"
      "news.example\tFALSE\t/\tFALSE\t253402300799\tsid\t2\r\n"
      "\tTRUE\t/\tFALSE\t0\tno domain\tkept as it is\r\n";
  ASSERT_TRUE(poll([&] { return read_file(firefox + "cookies.txt") == expected; }))
      << "the ticked rows were not removed: " << read_file(firefox + "cookies.txt");
  EXPECT_FALSE(exists(firefox + "cookies.txt.kestrom-new"));
  EXPECT_TRUE(poll([&] { return driver::read_list_view(list, 5).size() == 1; }));
  driver::press(window, IDCANCEL);
  ASSERT_TRUE(driver::wait_until_gone(window));
  EXPECT_EQ(quit_explorer(e), 0);
}

}  // namespace
}  // namespace kestrom::e2e
