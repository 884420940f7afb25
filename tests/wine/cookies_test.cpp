// Cookies on the system: the filter list in the registry, the Internet Explorer folder walk and
// the SQLite stores of Chrome and Firefox found through the product's folder values.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "categories/cookies_win.hpp"
#include "common/paths.hpp"
#include "common/product_keys.hpp"
#include "startup/enumerate.hpp"
#include "tests/cookie_stores.hpp"
#include "tools/test_support_win.hpp"

using namespace kestrom;
using namespace kestrom::cookies;
using namespace kestrom::test;

namespace {

const std::string kProductKey(keys::kProduct);
const std::string kNutsKey(keys::kNuts);
const std::string kCookiesKey(keys::kCookies);

std::string temp_folder(const char* name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + name + "\\";
}

void remove_folder(const std::string& folder) {
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        remove_folder(folder + name + "\\");
      } else {
        SetFileAttributesA((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA((folder + name).c_str());
      }
    } while (FindNextFileA(find, &fd));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

void write_file(const std::string& path, const std::string& text, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  { std::ofstream(path, std::ios::binary) << text; }
  SetFileAttributesA(path.c_str(), attributes);
}

std::string read_all(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> titles(const ItemList& list) {
  std::vector<std::string> out;
  for (const auto& item : list.items()) out.push_back(item.title);
  return out;
}

class Cookies : public ::testing::Test {
 protected:
  void SetUp() override {
    delete_tree(HKEY_CURRENT_USER, kNutsKey);
    delete_tree(HKEY_CURRENT_USER, kCookiesKey);
    remove_folder(root_);
    CreateDirectoryA(root_.c_str(), nullptr);
  }
  void TearDown() override {
    delete_tree(HKEY_CURRENT_USER, kNutsKey);
    delete_tree(HKEY_CURRENT_USER, kCookiesKey);
    remove_folder(root_);
  }
  const std::string root_ = temp_folder("kestrom cookie tests");
  SavedValue ie_folder_{HKEY_CURRENT_USER, kProductKey, "IECookieFolder"};
  SavedValue chrome_folder_{HKEY_CURRENT_USER, kProductKey, "ChromeCookieFolder"};
  SavedValue firefox_folder_{HKEY_CURRENT_USER, kProductKey, "CookieFolder"};
  ItemRules rules_ = system_item_rules();
  ItemList list_;
};

}  // namespace

TEST_F(Cookies, BlankFiltersAreRefusedAndSkippedWhenLoaded) {
  EXPECT_EQ(add_filter("   "), AddFilter::Refused);
  EXPECT_EQ(add_filter(""), AddFilter::Refused);
  EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, kNutsKey) && value_exists(HKEY_CURRENT_USER, kNutsKey, "   "));
  ASSERT_EQ(add_filter("tracker"), AddFilter::Added);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kNutsKey, "tracker"), "1");
  set_value(HKEY_CURRENT_USER, kNutsKey, " ", "1");  // written by an older version
  set_value(HKEY_CURRENT_USER, kNutsKey, "gone", "2");
  auto loaded = load_filters();
  ASSERT_EQ(loaded.size(), 2u);
  cookie_filter_cleanup();
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kNutsKey, "gone"));
  EXPECT_TRUE(value_exists(HKEY_CURRENT_USER, kNutsKey, "tracker"));
  EXPECT_TRUE(remove_filter("tracker"));
  EXPECT_EQ(load_filters().size(), 0u);
}

TEST_F(Cookies, InternetExplorerFilterPassLooksAtFileNamesOnly) {
  // The folder's own path holds "Cookies", as the real one does: a filter must not take it all.
  const std::string folder = root_ + "Cookies\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  set_value(HKEY_CURRENT_USER, kProductKey, "IECookieFolder", folder.substr(0, folder.size() - 1));
  write_file(folder + "index.dat", "index");
  write_file(folder + "user@news[1].txt", "a");
  write_file(folder + "user@cookie-ads[1].txt", "b", FILE_ATTRIBUTE_READONLY);
  write_file(folder + "user@system-ads[1].txt", "c", FILE_ATTRIBUTE_SYSTEM);
  write_file(folder + "user@shop[2].txt", "d");
  ASSERT_TRUE(ie_cookie_folder().found);
  EXPECT_EQ(ie_cookie_folder().path, folder);

  ASSERT_EQ(list_cookies(kKindExplorer, list_, rules_).count, 3u);
  // Each file is dated as the file facts date it, though the walk opens none of them.
  FileFacts facts;
  ASSERT_TRUE(file_facts(folder + "user@news[1].txt", facts));
  const auto news = std::find_if(list_.items().begin(), list_.items().end(),
                                 [](const StartupItem& item) { return item.title == "user@news[1].txt"; });
  ASSERT_NE(news, list_.items().end());
  EXPECT_EQ(news->detail, facts.date);
  EXPECT_FALSE(news->detail.empty());
  EXPECT_EQ(news->file, folder + "user@news[1].txt");
  ASSERT_EQ(add_filter("COOKIE"), AddFilter::Added);
  const auto pass = cookie_filter_pass(kKindExplorer, list_, rules_);
  EXPECT_EQ(pass.count, 2u);
  EXPECT_FALSE(exists(folder + "user@cookie-ads[1].txt"));  // read-only, deleted all the same
  EXPECT_TRUE(exists(folder + "user@news[1].txt"));
  EXPECT_TRUE(exists(folder + "user@system-ads[1].txt"));  // system files are never touched
  EXPECT_TRUE(exists(folder + "index.dat"));

  ItemRules limited = rules_;
  limited.cookie_limit = 1;
  EXPECT_EQ(list_cookies(kKindExplorer, list_, limited).count, 1u);
}

TEST_F(Cookies, NoIndexDatMeansNoInternetExplorerFolder) {
  set_value(HKEY_CURRENT_USER, kProductKey, "IECookieFolder", root_);
  write_file(root_ + "user@news[1].txt", "a");
  SavedValue shell(HKEY_CURRENT_USER, std::string(keys::kShellFolders), "Cookies");
  delete_value(HKEY_CURRENT_USER, std::string(keys::kShellFolders), "Cookies");
  EXPECT_NE(ie_cookie_folder().path, root_);
}

TEST_F(Cookies, ChromeCurrentStoreListsFiltersAndDeletesByStoredKeys) {
  const std::string profile = root_ + "Default\\";
  CreateDirectoryA(profile.c_str(), nullptr);
  CreateDirectoryA((profile + "Network").c_str(), nullptr);
  const std::string db = profile + "Network\\Cookies";
  make_store(db, Schema::ChromeCurrent,
             {{"ads.example", "id", "", "/", 0, 1, std::string("v10\x01", 4)},
              {"news.example", "o'brien", "v", "/", 0, 0, ""},
              {"news.example", "x' OR 1=1 --", "w", "/", (kSecondsFrom1601To1970 + 2'000'000'000LL) * 1'000'000, 0, ""},
              {"shop.example", "100%", "z", "/", 0, 0, ""}});
  set_value(HKEY_CURRENT_USER, kProductKey, "ChromeCookieFolder", profile);

  const auto listing = list_cookies(kKindChromeStore, list_, rules_);
  ASSERT_EQ(listing.outcome.status, StoreStatus::Ok) << listing.outcome.error;
  ASSERT_EQ(listing.count, 4u);
  EXPECT_EQ(listing.store_path, db);
  EXPECT_EQ(list_[0].title, "ads.example / id");
  EXPECT_EQ(list_[0].value, 1);
  EXPECT_EQ(list_[0].command, "(encrypted)");
  EXPECT_EQ(list_[1].command, "v");
  EXPECT_FALSE(list_[2].detail.empty());  // the expiry as a date
  EXPECT_TRUE(list_[1].detail.empty());   // a session cookie

  ASSERT_EQ(add_filter("ADS."), AddFilter::Added);
  ASSERT_EQ(add_filter("x' OR 1=1 --"), AddFilter::Added);
  const auto pass = cookie_filter_pass(kKindChromeStore, list_, rules_);
  ASSERT_EQ(pass.outcome.status, StoreStatus::Ok) << pass.outcome.error;
  EXPECT_EQ(rows_left(db, Schema::ChromeCurrent), (std::vector<std::string>{"news.example|o'brien", "shop.example|100%"}));
  EXPECT_EQ(titles(list_), (std::vector<std::string>{"news.example / o'brien", "shop.example / 100%"}));
  EXPECT_EQ(integrity(db), "ok");

  ASSERT_EQ(pass.keys.size(), 2u);
  EXPECT_EQ(delete_cookies(kKindChromeStore, {pass.keys[0]}).changed, 1u);
  EXPECT_EQ(rows_left(db, Schema::ChromeCurrent), (std::vector<std::string>{"shop.example|100%"}));
}

TEST_F(Cookies, FirefoxWalStoreIsFilteredAndAMissingOneStaysMissing) {
  set_value(HKEY_CURRENT_USER, kProductKey, "CookieFolder", root_);
  const std::string db = root_ + "cookies.sqlite";
  EXPECT_EQ(list_cookies(kKindFirefox, list_, rules_).count, 0u);
  EXPECT_FALSE(exists(db));

  make_store(db, Schema::FirefoxCurrent,
             {{".tracker.example", "uid", "1", "/", 1'700'000'000'000, 1, ""},
              {"news.example", "a_b", "2", "/", std::int64_t{1} << 31, 0, ""}});
  ASSERT_EQ(add_filter("_"), AddFilter::Added);  // matches only a literal underscore
  ASSERT_EQ(add_filter("TRACKER"), AddFilter::Added);
  const auto pass = cookie_filter_pass(kKindFirefox, list_, rules_);
  ASSERT_EQ(pass.outcome.status, StoreStatus::Ok) << pass.outcome.error;
  EXPECT_EQ(pass.count, 0u);
  EXPECT_TRUE(rows_left(db, Schema::FirefoxCurrent).empty());
  EXPECT_EQ(integrity(db), "ok");
}

TEST_F(Cookies, CorruptStoreIsReportedAndLeftAsItWas) {
  const std::string profile = root_ + "Default\\";
  CreateDirectoryA(profile.c_str(), nullptr);
  set_value(HKEY_CURRENT_USER, kProductKey, "ChromeCookieFolder", profile);
  const std::string db = profile + "Cookies";
  write_file(db, std::string(4096, 'x'));
  ASSERT_EQ(add_filter("x"), AddFilter::Added);
  const auto pass = cookie_filter_pass(kKindChromeStore, list_, rules_);
  EXPECT_EQ(pass.outcome.status, StoreStatus::Failed);
  EXPECT_EQ(read_all(db), std::string(4096, 'x'));
  EXPECT_EQ(list_.size(), 0u);
}

TEST_F(Cookies, KeepSnapshotRemembersTitles) {
  EXPECT_FALSE(cookie_kept("news.example / o'brien"));
  ASSERT_TRUE(keep_cookie("news.example / o'brien"));
  EXPECT_TRUE(cookie_kept("news.example / o'brien"));
  forget_kept_cookie("news.example / o'brien");
  EXPECT_FALSE(cookie_kept("news.example / o'brien"));
}

TEST_F(Cookies, FirefoxCookiesTxtIsFilteredWholeAndReplacedOnceFirefoxCloses) {
  // A Firefox before version 3 keeps cookies.txt; the fixture's product version is 1.2.
  const std::string app_path = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe";
  SavedValue firefox(HKEY_LOCAL_MACHINE, app_path, "");
  SavedValue update(HKEY_CURRENT_USER, std::string(keys::kOptions), "UpdateCookieFile");
  set_value(HKEY_LOCAL_MACHINE, app_path, "", fixture("fixtures\\version_multi.exe"));
  ASSERT_EQ(firefox_major_version(), 1);
  set_value(HKEY_CURRENT_USER, kProductKey, "CookieFolder", root_);
  ASSERT_EQ(firefox_store_file(firefox_profile_folder(kKindFirefox)), root_ + "cookies.txt");

  std::string content = "# Netscape HTTP Cookie File\r\n";
  std::string expected = content;
  for (int i = 0; i < 6000; ++i) {
    const std::string line = ".site" + std::to_string(i) + ".example\tTRUE\t/\tFALSE\t2147483648\tn\tv\r\n";
    content += line;
    expected += line;
    if (i % 1500 == 0) content += ".ads.example\tTRUE\t/\tFALSE\t0\tid\t" + std::to_string(i) + "\r\n";
  }
  content += "kept.example\tFALSE\t/\tTRUE\t0\tnamed\tz\n";  // its title is itself a filter
  ASSERT_GT(content.size(), 0x41800u);
  write_file(root_ + "cookies.txt", content);

  ASSERT_EQ(list_cookies(kKindFirefox, list_, rules_).count, kMaxItems);
  EXPECT_EQ(list_[0].title, "site0.example - n");
  EXPECT_FALSE(list_[0].detail.empty());

  ASSERT_EQ(add_filter("ADS.example"), AddFilter::Added);
  ASSERT_EQ(add_filter("kept.example - named"), AddFilter::Added);
  set_value(HKEY_CURRENT_USER, kNutsKey, "old filter", "2");
  cookie_filter_pass(kKindFirefox, list_, rules_);
  EXPECT_EQ(read_all(root_ + "cookiesnew.txt"), expected);
  EXPECT_EQ(read_all(root_ + "cookies.txt"), content);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, std::string(keys::kOptions), "UpdateCookieFile"), "1");

  // While a Firefox window is open the copy waits.
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "MozillaWindowClass";
  RegisterClassA(&wc);
  HWND browser = CreateWindowA("MozillaWindowClass", "Firefox", 0, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_TRUE(browser);
  const Folder profile = firefox_profile_folder(kKindFirefox);
  EXPECT_FALSE(replace_cookie_file(profile));
  EXPECT_EQ(read_all(root_ + "cookies.txt"), content);
  DestroyWindow(browser);
  EXPECT_TRUE(replace_cookie_file(profile));
  EXPECT_EQ(read_all(root_ + "cookies.txt"), expected);
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, std::string(keys::kOptions), "UpdateCookieFile"));
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kNutsKey, "old filter"));
  EXPECT_TRUE(value_exists(HKEY_CURRENT_USER, kNutsKey, "ADS.example"));
}

TEST_F(Cookies, CurrentFirefoxProfileIsFoundThroughProfilesIni) {
  const std::string app_data = get_value(HKEY_CURRENT_USER, std::string(keys::kShellFolders), "AppData");
  ASSERT_FALSE(app_data.empty());
  const std::string firefox = app_data + "\\Mozilla\\Firefox\\";
  const std::string profile = firefox + "Profiles\\k3st.default-release";
  for (const std::string& f : {app_data + "\\Mozilla", firefox, firefox + "Profiles", profile})
    CreateDirectoryA(f.c_str(), nullptr);
  write_file(firefox + "profiles.ini",
             "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/k3st.default-release\r\n"
             "[Install4F96D1932A9F858E]\r\nDefault=Profiles/k3st.default-release\r\n");
  make_store(profile + "\\cookies.sqlite", Schema::FirefoxCurrent, {{"news.example", "sid", "1", "/", 0, 0, ""}});
  delete_value(HKEY_CURRENT_USER, kProductKey, "CookieFolder");

  const Folder found = firefox_profile_folder(kKindFirefox);
  const auto listing = list_cookies(kKindFirefox, list_, rules_);
  remove_folder(app_data + "\\Mozilla\\");
  ASSERT_TRUE(found.found);
  EXPECT_EQ(found.path, profile + "\\");
  EXPECT_EQ(titles(list_), (std::vector<std::string>{"news.example / sid"}));
}

// Edge keeps Chrome's current store in its own profile folder: listed, filtered and deleted from
// by stored host and name there, while Chrome's store beside it is left alone.
TEST_F(Cookies, EdgeStoreInItsDefaultProfileIsHandledApartFromChromes) {
  const std::string local = get_value(HKEY_CURRENT_USER, std::string(keys::kShellFolders), "Local AppData");
  ASSERT_FALSE(local.empty());
  const std::string microsoft = local + "\\Microsoft\\", edge = microsoft + "Edge\\";
  const std::string profile = edge + "User Data\\Default\\";
  for (const std::string& f : {microsoft, edge, edge + "User Data\\", profile, profile + "Network\\"})
    CreateDirectoryA(f.c_str(), nullptr);
  const std::string db = profile + "Network\\Cookies";
  make_store(db, Schema::ChromeCurrent,
             {{"ads.example", "id", "", "/", 0, 1, std::string("v10\x02", 4)},
              {"news.example", "sid", "C:\\PROGRA~1", "C:\\PROGRA~1", 0, 0, ""},
              {"news.example", "ads", "w", "/", 0, 0, ""}});
  const std::string chrome = root_ + "Chrome\\";
  CreateDirectoryA(chrome.c_str(), nullptr);
  make_store(chrome + "Cookies", Schema::ChromeOld, {{"ads.example", "id", "c", "/", 0, 0, ""}});
  set_value(HKEY_CURRENT_USER, kProductKey, "ChromeCookieFolder", chrome);
  SavedValue edge_folder(HKEY_CURRENT_USER, kProductKey, "EdgeCookieFolder");
  delete_value(HKEY_CURRENT_USER, kProductKey, "EdgeCookieFolder");

  const Folder found = edge_cookie_folder();
  EXPECT_TRUE(found.found);
  EXPECT_EQ(found.path, profile);
  const auto listing = list_cookies(kKindEdgeStore, list_, rules_);
  EXPECT_EQ(listing.store_path, db);
  EXPECT_EQ(titles(list_), (std::vector<std::string>{"ads.example / id", "news.example / sid", "news.example / ads"}));
  EXPECT_EQ(list_.size() ? list_[0].command : "", "(encrypted)");
  // A value and a path that read like a short path are shown as stored, not as a long path.
  EXPECT_EQ(list_.size() > 1 ? list_[1].command : "", "C:\\PROGRA~1");
  EXPECT_EQ(list_.size() > 1 ? list_[1].file : "", "C:\\PROGRA~1");

  ASSERT_EQ(add_filter("ADS"), AddFilter::Added);
  const auto pass = cookie_filter_pass(kKindEdgeStore, list_, rules_);
  EXPECT_EQ(pass.outcome.status, StoreStatus::Ok) << pass.outcome.error;
  EXPECT_EQ(rows_left(db, Schema::ChromeCurrent), (std::vector<std::string>{"news.example|sid"}));
  EXPECT_EQ(integrity(db), "ok");
  EXPECT_EQ(rows_left(chrome + "Cookies", Schema::ChromeOld), (std::vector<std::string>{"ads.example|id"}));

  EXPECT_EQ(delete_cookies(kKindEdgeStore, {{"news.example", "sid"}}).changed, 1u);
  EXPECT_TRUE(rows_left(db, Schema::ChromeCurrent).empty());
  EXPECT_EQ(integrity(db), "ok");
  remove_folder(edge);
  // Without its folder Edge has no store, and none is made; Internet Explorer's files are not
  // taken for Edge's cookies either.
  const std::string ie = root_ + "IE\\";
  CreateDirectoryA(ie.c_str(), nullptr);
  write_file(ie + "index.dat", "index");
  write_file(ie + "user@ads[1].txt", "a");
  set_value(HKEY_CURRENT_USER, kProductKey, "IECookieFolder", ie);
  EXPECT_FALSE(edge_cookie_folder().found);
  EXPECT_EQ(list_cookies(kKindEdgeStore, list_, rules_).count, 0u);
  EXPECT_EQ(cookie_filter_pass(kKindEdgeStore, list_, rules_).count, 0u);
  EXPECT_TRUE(exists(ie + "user@ads[1].txt"));
  EXPECT_FALSE(exists(db));
}

// Rows of cookies.txt removed from the cookie list go by host and name; the file is replaced
// whole (the copy still waiting to go over it too), and a file Windows will not replace is left
// exactly as it was.
TEST_F(Cookies, CookiesTxtRowsAreRemovedAndTheFileReplacedWholeOrNotAtAll) {
  const std::string app_path = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe";
  SavedValue firefox(HKEY_LOCAL_MACHINE, app_path, "");
  SavedValue update(HKEY_CURRENT_USER, std::string(keys::kOptions), "UpdateCookieFile");
  set_value(HKEY_LOCAL_MACHINE, app_path, "", fixture("fixtures\\version_multi.exe"));
  set_value(HKEY_CURRENT_USER, kProductKey, "CookieFolder", root_);
  const std::string file = root_ + "cookies.txt", pending = root_ + "cookiesnew.txt";
  const std::string head = "# Netscape HTTP Cookie File\r\n\tTRUE\t/\tFALSE\t0\tid\tno domain\r\n";
  const std::string news = "news.example\tFALSE\t/\tFALSE\t0\tsid\t1\r\n";
  const std::string ads = ".ads.example\tTRUE\t/\tFALSE\t0\tid\t2\r\n";
  const std::string odd = "shop.example\tFALSE\t/\tFALSE\t0\tx' OR 1=1 --\t3";
  write_file(file, head + ads + news + odd);
  write_file(pending, head + ads + news);
  set_value(HKEY_CURRENT_USER, std::string(keys::kOptions), "UpdateCookieFile", "1");

  const auto listing = list_cookies(kKindFirefox, list_, rules_);
  ASSERT_EQ(titles(list_), (std::vector<std::string>{"ads.example - id", "news.example - sid", "shop.example - x' OR 1=1 --"}));
  ASSERT_EQ(listing.keys.size(), 3u);
  const auto removed = delete_cookies(kKindFirefox, {listing.keys[0], listing.keys[2]});
  EXPECT_EQ(removed.status, StoreStatus::Ok) << removed.error;
  EXPECT_EQ(removed.changed, 2u);
  EXPECT_EQ(read_all(file), head + news);
  EXPECT_EQ(read_all(pending), head + news);  // the copy would otherwise bring them back
  EXPECT_FALSE(exists(file + ".kestrom-new"));

  // Held open by a browser that does not share it for deletion: Windows refuses to replace it;
  // nothing is cut or lost.
  HANDLE held = CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const auto refused = delete_cookies(kKindFirefox, {listing.keys[1]});
  CloseHandle(held);
  EXPECT_EQ(refused.status, StoreStatus::Failed);
  EXPECT_EQ(refused.changed, 0u);
  EXPECT_EQ(read_all(file), head + news);
  EXPECT_FALSE(exists(file + ".kestrom-new"));

  DeleteFileA(file.c_str());
  EXPECT_EQ(delete_cookies(kKindFirefox, {listing.keys[1]}).status, StoreStatus::Missing);
  EXPECT_FALSE(exists(file));
}

// A browser that holds its store's lock: the pass is reported, waits no longer than its busy
// time, and leaves every row; once the lock is gone the same pass goes through.
TEST_F(Cookies, LockedFirefoxStoreIsReportedAndLeftWhole) {
  set_value(HKEY_CURRENT_USER, kProductKey, "CookieFolder", root_);
  const std::string db = root_ + "cookies.sqlite";
  make_store(db, Schema::FirefoxCurrent,
             {{".tracker.example", "uid", "1", "/", 0, 1, ""}, {"news.example", "sid", "2", "/", 0, 0, ""}});
  ASSERT_EQ(add_filter("tracker"), AddFilter::Added);
  {
    Db browser(db);
    browser.exec("BEGIN EXCLUSIVE");
    const auto pass = cookie_filter_pass(kKindFirefox, list_, rules_);
    EXPECT_EQ(pass.outcome.status, StoreStatus::Failed);
    EXPECT_EQ(list_.size(), 0u);
    EXPECT_EQ(delete_cookies(kKindFirefox, {{"news.example", "sid"}}).status, StoreStatus::Failed);
    browser.exec("ROLLBACK");
  }
  EXPECT_EQ(rows_left(db, Schema::FirefoxCurrent), (std::vector<std::string>{".tracker.example|uid", "news.example|sid"}));
  EXPECT_EQ(integrity(db), "ok");
  const auto pass = cookie_filter_pass(kKindFirefox, list_, rules_);
  EXPECT_EQ(pass.outcome.status, StoreStatus::Ok) << pass.outcome.error;
  EXPECT_EQ(titles(list_), (std::vector<std::string>{"news.example / sid"}));
}
