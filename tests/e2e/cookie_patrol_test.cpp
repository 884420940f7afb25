// The monitor's cookie filter as a user meets it: with a patrol time set for the cookie filter,
// the real monitor removes the Internet Explorer cookie files that a filter names while the
// default browser is Internet Explorer; once the default browser is Firefox it leaves that
// folder alone and puts the filtered copy of cookies.txt in place instead (no Firefox window
// is open).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/e2e/e2e_support_win.hpp"

using namespace kestrom;
using namespace kestrom::e2e;

namespace {

constexpr const char* kLayout = "loop";
constexpr const char* kNuts = "Software\\Orvane\\Kestrom\\Nuts";
constexpr const char* kBrowserCommand = "SOFTWARE\\Classes\\HTTP\\shell\\open\\command";
// The filter step runs in every second patrol (each 34 seconds) once its interval is 1; the
// machine is shared.
constexpr DWORD kPatrolWaitMs = 200000;

std::string temp_folder() {
  char buf[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof buf, buf);
  return std::string(buf, n) + "kt_e2e_cookie_patrol\\";
}

void write_file(const std::string& path, const std::string& text) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
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

class CookiePatrol : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_state();
    clean();
    for (const std::string& f : {root, ie, profile}) CreateDirectoryA(f.c_str(), nullptr);
    write_file(ie + "index.dat", "index");
    write_file(ie + "user@tracker[1].txt", "t");
    write_file(ie + "user@news[1].txt", "n");
    write_file(profile + "cookies.txt", "news.example\tFALSE\t/\tFALSE\t0\tsid\t1\r\n.tracker.example\tTRUE\t/\tFALSE\t0\tid\t2\r\n");
    write_file(profile + "cookiesnew.txt", "news.example\tFALSE\t/\tFALSE\t0\tsid\t1\r\n");
  }
  void TearDown() override {
    if (monitor_.pid) {
      Process q = start_monitor(kLayout, "-Q");
      wait_exit(q);
      wait_exit(monitor_);
    }
    reset_state();
    clean();
  }
  void clean() {
    test::delete_tree(HKEY_CURRENT_USER, kNuts);
    for (const std::string& f : {ie + "index.dat", ie + "user@tracker[1].txt", ie + "user@news[1].txt",
                                 profile + "cookies.txt", profile + "cookiesnew.txt"})
      DeleteFileA(f.c_str());
    for (const std::string& f : {ie, profile, root}) RemoveDirectoryA(f.c_str());
  }

  const std::string root = temp_folder();
  const std::string ie = root + "Cookies\\";
  const std::string profile = root + "profile\\";
  test::SavedValue browser_{HKEY_LOCAL_MACHINE, kBrowserCommand, ""};
  Process monitor_;
};

}  // namespace

TEST_F(CookiePatrol, FilterStepCleansTheInternetExplorerFolderThenPutsTheFilteredCookiesTxtInPlace) {
  test::set_value(HKEY_LOCAL_MACHINE, kBrowserCommand, "", "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" %1");
  test::set_value(HKEY_CURRENT_USER, kProduct, "IECookieFolder", ie);
  test::set_value(HKEY_CURRENT_USER, kProduct, "CookieFolder", profile);
  monitor_ = start_monitor(kLayout);
  ASSERT_TRUE(monitor_);
  ASSERT_NE(monitor_window(monitor_.pid), nullptr);
  ASSERT_TRUE(wait_tray_icon(true));
  // After the first start, as the Cookies page and the Options page would leave them.
  test::set_value(HKEY_CURRENT_USER, kNuts, "tracker", "1");
  test::set_value(HKEY_CURRENT_USER, kOptions, "UpdateCookieFile", "1");
  test::set_value(HKEY_CURRENT_USER, kOptions, "Nuts", "1");
  test::set_value(HKEY_CURRENT_USER, kOptions, "Update", "1");

  ASSERT_TRUE(test::poll([&] { return !exists(ie + "user@tracker[1].txt"); }, kPatrolWaitMs))
      << "the monitor's filter step did not clean the Internet Explorer folder";
  EXPECT_TRUE(exists(ie + "user@news[1].txt"));
  EXPECT_TRUE(exists(ie + "index.dat"));
  // Internet Explorer's kind never puts the copy over cookies.txt.
  EXPECT_NE(read_file(profile + "cookies.txt"), read_file(profile + "cookiesnew.txt"));

  test::set_value(HKEY_LOCAL_MACHINE, kBrowserCommand, "", "\"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" -url %1");
  ASSERT_TRUE(test::poll([&] { return !test::value_exists(HKEY_CURRENT_USER, kOptions, "UpdateCookieFile"); },
                         kPatrolWaitMs))
      << "the filtered cookies.txt was not put in place";
  EXPECT_EQ(read_file(profile + "cookies.txt"), "news.example\tFALSE\t/\tFALSE\t0\tsid\t1\r\n");
  EXPECT_FALSE(exists(profile + "cookies.txt.kestrom-new"));
  EXPECT_TRUE(test::value_exists(HKEY_CURRENT_USER, kNuts, "tracker"));
}
