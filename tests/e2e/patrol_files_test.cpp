// The monitor's file and setting watches as a user meets them: a new hidden file in a scanned
// folder raises the New Hidden File alert, a changed HOSTS file raises the File Change Alert
// (with the monitor set to run as Windows XP, where that check runs) and Reject brings the old
// content back, and a changed start page is asked about and No restores it. A Run value written
// from outside makes the monitor check at once (its realtime notification); the startup
// programs it finds are approved.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "categories/hidden_files.hpp"
#include "tests/e2e/e2e_support_win.hpp"

using namespace kestrom;
using namespace kestrom::e2e;

namespace {

const std::string kIEMain = "Software\\Microsoft\\Internet Explorer\\Main";
const std::string kAppDefaults = "Software\\Wine\\AppDefaults\\Kestrom.exe";

void set_option(const char* name, const char* text) { test::set_value(HKEY_CURRENT_USER, kOptions, name, text); }

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string temp_file(const char* name) {
  char buf[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof buf, buf);
  return std::string(buf, n) + name;
}

// A visible window of the process with this caption whose texts hold `part`.
HWND window_saying(DWORD pid, const char* caption, const std::string& part) {
  driver::WindowQuery q;
  q.title = caption;
  q.process_id = pid;
  q.visible_only = true;
  for (HWND w : driver::find_windows(q))
    if (driver::all_texts(w).find(part) != std::string::npos) return w;
  return nullptr;
}

class PatrolFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_state();
    set_option("Debug", "1");
    DeleteFileA(trace().c_str());
  }
  static std::string trace() { return program_folder("alone") + "\\send2ov.txt"; }
  void TearDown() override {
    if (monitor) {
      wait_exit(start_monitor("alone", "-Q"));
      wait_exit(monitor);
    }
    for (int i = 0; i < 2; ++i) test::delete_value(HKEY_CURRENT_USER, kUserRun, "KtPatrolPoke" + std::to_string(i));
    reset_state();
  }

  void start() {
    monitor = start_monitor("alone");
    ASSERT_TRUE(monitor);
    ASSERT_NE(monitor_window(monitor.pid), nullptr);
    // The start-up trace point closes after the product's start-up, which builds the snapshots
    // and takes the copies.
    ASSERT_TRUE(test::poll([] { return read_file(trace()).find("From Initialize to Post") != std::string::npos; }));
  }

  // Pokes the Run key until the monitor shows the window asked for.
  HWND poke_until(const char* caption, const std::string& part) {
    HWND found = nullptr;
    int n = 0;
    test::poll(
        [&] {
          test::set_value(HKEY_CURRENT_USER, kUserRun, "KtPatrolPoke" + std::to_string(n++ % 2), "C:\\tools\\a.exe");
          return test::poll(
              [&] {
                // The poke itself is a new startup program: approve it when it is asked about.
                if (HWND poke = window_saying(monitor.pid, "Kestrom New Program Alert", "a.exe")) driver::press(poke, 6);
                return (found = window_saying(monitor.pid, caption, part)) != nullptr;
              },
              3000);
        },
        4 * kWaitMs);
    return found;
  }

  Process monitor;
};

}  // namespace

TEST_F(PatrolFiles, NewHiddenFileRaisesItsAlertAndDeleteKeepsAVaultCopy) {
  set_option("RealtimeHidden", "1");
  const std::string path = temp_file("kt_e2e_new.hid");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
  start();
  // The snapshot is built at start-up; the file comes after it.
  ASSERT_EQ(test::get_value(HKEY_CURRENT_USER, "Software\\Orvane\\Kestrom\\Hidden", ""), "P");
  write_file(path, "new hidden\r\n");
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));

  HWND alert = poke_until("Kestrom New Program Alert", "kt_e2e_new.hid");
  if (!alert) test::screenshot("e2e_hidden_file_alert_missing");
  ASSERT_NE(alert, nullptr) << "no hidden-file alert; trace:\n" << read_file(trace());
  EXPECT_NE(driver::all_texts(alert).find("HIDDEN"), std::string::npos);
  EXPECT_TRUE(test::screenshot("e2e_hidden_file_alert"));
  ASSERT_TRUE(driver::press(alert, 7));  // "&Delete"
  EXPECT_TRUE(test::poll([&] { return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; }));
  const std::string app_data = test::get_value(
      HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "AppData");
  // The Vault as the product names it from the application-data folder, the copy's place by the rule.
  const std::string copy = hidden_vault_copy(app_data + "\\Kestrom\\vault", path);
  EXPECT_EQ(read_file(copy), "new hidden\r\n");
  DeleteFileA(copy.c_str());
  RemoveDirectoryA(copy.substr(0, copy.rfind('\\')).c_str());
}

TEST_F(PatrolFiles, ChangedHostsFileRaisesTheFileChangeAlertAndRejectRestoresIt) {
  // The check runs only where Windows reports version 5 or lower: the monitor runs as XP
  // (x64 edition, the one Wine offers a 64-bit program).
  test::SavedValue version(HKEY_CURRENT_USER, kAppDefaults, "Version");
  test::set_value(HKEY_CURRENT_USER, kAppDefaults, "Version", "winxp64");
  set_option("RealtimeSysFiles", "1");
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string hosts = std::string(windows) + "\\system32\\drivers\\etc\\hosts";
  const std::string before = read_file(hosts);
  start();
  ASSERT_TRUE(test::poll([] {
    return test::value_exists(HKEY_LOCAL_MACHINE, "Software\\Orvane\\Kestrom\\Sysfiles\\HOSTS", "Size");
  })) << "HOSTS was not recorded at start-up";

  write_file(hosts, before + "10.6.6.6 bank.example\r\n");
  // Dates are kept to the minute: move the write time rather than wait.
  {
    HANDLE f = CreateFileA(hosts.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    FILETIME ft{};
    GetFileTime(f, nullptr, nullptr, &ft);
    ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}};
    t.QuadPart += 24ULL * 3600ULL * 10000000ULL;
    ft = {t.LowPart, t.HighPart};
    SetFileTime(f, nullptr, nullptr, &ft);
    CloseHandle(f);
  }
  HWND alert = poke_until("Kestrom: File Change Alert", "HOSTS");
  if (!alert) write_file(hosts, before);
  ASSERT_NE(alert, nullptr) << "no File Change Alert; trace:\n" << read_file(trace());
  EXPECT_TRUE(test::screenshot("e2e_file_change_alert"));
  ASSERT_TRUE(driver::press(alert, 1009));  // "&Reject Change"
  EXPECT_TRUE(test::poll([&] { return read_file(hosts) == before; }));
  if (read_file(hosts) != before) write_file(hosts, before);
}

TEST_F(PatrolFiles, ChangedStartPageIsAskedAndNoRestoresIt) {
  test::SavedValue page(HKEY_CURRENT_USER, kIEMain, "Start Page");
  test::set_value(HKEY_CURRENT_USER, kIEMain, "Start Page", "http://home.example/");
  set_option("RealtimeStartPage", "1");
  start();
  ASSERT_TRUE(test::poll([] { return test::value_exists(HKEY_CURRENT_USER, "Software\\Orvane\\Kestrom", "StartPage"); }));
  test::set_value(HKEY_CURRENT_USER, kIEMain, "Start Page", "http://hijack.example/");
  HWND box = poke_until("Kestrom", "hijack.example");
  ASSERT_NE(box, nullptr) << "no start page question";
  EXPECT_TRUE(test::screenshot("e2e_start_page_question"));
  ASSERT_TRUE(driver::press(box, IDNO));
  EXPECT_TRUE(test::poll([&] { return test::get_value(HKEY_CURRENT_USER, kIEMain, "Start Page") == "http://home.example/"; }));
}
