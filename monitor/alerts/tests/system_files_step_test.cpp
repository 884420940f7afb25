// The watched system files against the real files and registry of the test prefix: recording
// with the Vault copy, the change check, Accept and Reject by scripted answers and by the real
// File Change Alert (189), and the faults: a record never runs ahead of its Vault copy, and an
// empty file's size "0" is a size. Dates have minute resolution, so the tests move a file's
// last-write time with SetFileTime instead of waiting.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "categories/system_files_win.hpp"
#include "common/paths.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "monitor/alert_rules.hpp"
#include "monitor/alerts/system_files_step.hpp"
#include "platform/handles.hpp"
#include "tools/driver_win.hpp"
#include "tools/test_support_win.hpp"

namespace {

using namespace kestrom;
using namespace kestrom::alerts;

const std::string kName = "KtWatched.txt";
const std::string kKey = std::string(keys::kSysfiles) + "\\" + kName;

std::string temp_path(const std::string& name) {
  char buf[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof buf, buf);
  return std::string(buf, n) + name;
}

void write_file(const std::string& path, const std::string& bytes) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Moves the file's last-write time by whole days (dates are kept to the minute).
void move_write_time(const std::string& path, int days) {
  platform::UniqueFile f(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(f);
  FILETIME ft{};
  ASSERT_TRUE(GetFileTime(f.get(), nullptr, nullptr, &ft));
  ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}};
  t.QuadPart += static_cast<ULONGLONG>(days) * 24ULL * 3600ULL * 10000000ULL;
  ft = {t.LowPart, t.HighPart};
  ASSERT_TRUE(SetFileTime(f.get(), nullptr, nullptr, &ft));
}

class SystemFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::delete_tree(HKEY_LOCAL_MACHINE, kKey);
    path = temp_path(kName);
    write_file(path, "first accepted\r\n");
    file = {kName, path, "A file the tests watch."};
    ASSERT_EQ(record_system_file(file), ActionResult::Done);
    options = Options::defaults(Program::Monitor);
    options[Opt::HideSystemFiles] = 0;
    options[Opt::ShowAlerts] = 0;
    options[Opt::Sound] = 0;
  }
  void TearDown() override {
    test::delete_tree(HKEY_LOCAL_MACHINE, kKey);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    DeleteFileA(system_file_vault_copy(kName).c_str());
  }

  void change(const std::string& bytes, int days = 1) {
    write_file(path, bytes);
    move_write_time(path, days);
  }
  std::string recorded(const std::string& name) { return test::get_value(HKEY_LOCAL_MACHINE, kKey, name); }

  // Runs the step with one scripted answer; how many files were asked about.
  int step(FileChangeAnswer answer, int* errors = nullptr) {
    int asked = 0;
    SystemFilesSignals s;
    s.ask = [&](const WatchedSystemFile& f) {
      EXPECT_EQ(f.name, kName);
      ++asked;
      return answer;
    };
    s.show_system_error = [errors] {
      if (errors) ++*errors;
    };
    s.tell_user = [](const std::string& text) { ADD_FAILURE() << "told: " << text; };
    run_system_files_step(nullptr, options, s);
    return asked;
  }

  std::string path;
  WatchedSystemFile file;
  Options options;
};

TEST_F(SystemFilesTest, FirstUseRecordsTheHostsFileWithItsVaultCopy) {
  const std::string sysfiles(keys::kSysfiles);
  test::SavedValue created(HKEY_LOCAL_MACHINE, sysfiles, "");
  test::delete_tree(HKEY_LOCAL_MACHINE, sysfiles + "\\HOSTS");
  test::delete_value(HKEY_LOCAL_MACHINE, sysfiles, "");
  std::string hosts = windows_folder() + "\\system32\\drivers\\etc\\hosts";
  ASSERT_NE(GetFileAttributesA(hosts.c_str()), INVALID_FILE_ATTRIBUTES) << "the prefix has no HOSTS file";

  build_system_file_set();
  EXPECT_NE(test::get_value(HKEY_LOCAL_MACHINE, sysfiles, ""), "<missing>");
  const std::string key = sysfiles + "\\HOSTS";
  EXPECT_EQ(_stricmp(test::get_value(HKEY_LOCAL_MACHINE, key, "Location").c_str(), hosts.c_str()), 0);
  EXPECT_EQ(test::get_value(HKEY_LOCAL_MACHINE, key, "Type"), "0");
  EXPECT_EQ(test::get_value(HKEY_LOCAL_MACHINE, key, "Size"), std::to_string(read_file(hosts).size()));
  EXPECT_EQ(test::get_value(HKEY_LOCAL_MACHINE, key, "Comment"),
            "HOST file can be used to protect or redirect domain access.");
  EXPECT_EQ(read_file(system_file_vault_copy("HOSTS")), read_file(hosts));
  // Autoexec.bat and Config.sys do not exist here: their subkeys are there, with no Location.
  EXPECT_TRUE(test::key_exists(HKEY_LOCAL_MACHINE, sysfiles + "\\Config.sys"));
  for (const auto& f : watched_system_files()) EXPECT_NE(f.name, "Config.sys");
}

TEST_F(SystemFilesTest, RejectBringsThePreviousContentBackByteForByte) {
  change("127.0.0.1 bank.example\r\n");
  EXPECT_EQ(step({kAnswerNo, false}), 1);
  EXPECT_EQ(read_file(path), "first accepted\r\n");
  // The restored file is the accepted one: nothing is asked again.
  EXPECT_EQ(step({kAnswerYes, false}), 0);
}

TEST_F(SystemFilesTest, AcceptKeepsTheNewContentAsTheOneToGoBackTo) {
  change("the second version\r\n");
  EXPECT_EQ(step({kAnswerYes, false}), 1);
  EXPECT_EQ(read_file(system_file_vault_copy(kName)), "the second version\r\n");
  EXPECT_EQ(recorded("Size"), "20");
  EXPECT_EQ(step({kAnswerYes, false}), 0);

  change("third\r\n", 2);
  EXPECT_EQ(step({kAnswerNo, false}), 1);
  EXPECT_EQ(read_file(path), "the second version\r\n");
}

TEST_F(SystemFilesTest, AnAcceptWhoseVaultCopyFailsRecordsNothing) {
  const std::string size_before = recorded("Size"), date_before = recorded("Date");
  change("new content that could not be kept\r\n");
  int errors = 0;
  {
    // The Vault copy held open without write sharing: the copy into it fails.
    platform::UniqueFile held(CreateFileA(system_file_vault_copy(kName).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    EXPECT_EQ(step({kAnswerYes, false}, &errors), 1);
  }
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(recorded("Size"), size_before);
  EXPECT_EQ(recorded("Date"), date_before);
  // Still a change, and Reject still has the accepted content to go back to.
  EXPECT_EQ(step({kAnswerNo, false}), 1);
  EXPECT_EQ(read_file(path), "first accepted\r\n");
}

TEST_F(SystemFilesTest, SizeAndDateRules) {
  // A new date alone is no change while Type is 0, and is one with a non-zero Type.
  move_write_time(path, 1);
  EXPECT_FALSE(system_file_changed(file));
  test::set_value(HKEY_LOCAL_MACHINE, kKey, "Type", "1");
  EXPECT_TRUE(system_file_changed(file));
  test::set_value(HKEY_LOCAL_MACHINE, kKey, "Type", "0");

  // An empty file's recorded size "0" is a size: writing into it is a change.
  write_file(path, "");
  ASSERT_EQ(record_system_file(file), ActionResult::Done);
  EXPECT_EQ(recorded("Size"), "0");
  change("now with content\r\n");
  EXPECT_TRUE(system_file_changed(file));
  EXPECT_EQ(recorded("Size"), "0");

  // A size that is really missing is recorded, and the file compared with it.
  test::delete_value(HKEY_LOCAL_MACHINE, kKey, "Size");
  EXPECT_FALSE(system_file_changed(file));
  EXPECT_EQ(recorded("Size"), "18");
  // A missing date is recorded: no change that time.
  test::delete_value(HKEY_LOCAL_MACHINE, kKey, "Date");
  change("x", 3);
  EXPECT_FALSE(system_file_changed(file));
  EXPECT_NE(recorded("Date"), "<missing>");

  // A watched file that has gone is skipped.
  DeleteFileA(path.c_str());
  EXPECT_FALSE(system_file_changed(file));
}

TEST_F(SystemFilesTest, SilentAnswersAndEndingTheWatch) {
  options[Opt::HideSystemFiles] = 2;  // reject without asking
  change("silently rejected\r\n");
  EXPECT_EQ(step({}), 0);
  EXPECT_EQ(read_file(path), "first accepted\r\n");

  options[Opt::HideSystemFiles] = 1;  // accept without asking
  change("silently accepted\r\n", 2);
  EXPECT_EQ(step({}), 0);
  EXPECT_EQ(read_file(system_file_vault_copy(kName)), "silently accepted\r\n");

  // Reject with the watch ended: the content comes back and the file is watched no more.
  options[Opt::HideSystemFiles] = 0;
  change("unexpected\r\n", 3);
  EXPECT_EQ(step({kAnswerNo, true}), 1);
  EXPECT_EQ(read_file(path), "silently accepted\r\n");
  EXPECT_FALSE(test::key_exists(HKEY_LOCAL_MACHINE, kKey));
}

TEST_F(SystemFilesTest, ReadOnlyFilesAreRestoredAndStayReadOnly) {
  change("changed\r\n");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(step({kAnswerNo, false}), 1);
  EXPECT_EQ(read_file(path), "first accepted\r\n");
  EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
}

// The real dialog, answered from a second thread.
FileChangeAnswer answer_dialog(const WatchedSystemFile& f, const std::function<void(HWND)>& user_action) {
  SystemFilesSignals signals;
  test::UserThread user([&] {
    driver::WindowQuery q;
    q.title = "Kestrom: File Change Alert";
    q.process_id = GetCurrentProcessId();
    q.visible_only = true;
    HWND dialog = driver::wait_for_window(q);
    if (!dialog) return;
    user_action(dialog);
    if (!driver::wait_until_gone(dialog)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  FileChangeAnswer a = ask_file_change(nullptr, f, signals);
  EXPECT_TRUE(user.join());
  return a;
}

TEST_F(SystemFilesTest, FileChangeAlertShowsTheFileAndAnswers) {
  std::string name, location, comment;
  auto a = answer_dialog(file, [&](HWND d) {
    name = driver::text_of(GetDlgItem(d, kSysNameControl));
    location = driver::text_of(GetDlgItem(d, kSysPathControl));
    comment = driver::text_of(GetDlgItem(d, kSysCommentControl));
    SendMessageA(GetDlgItem(d, kSysStopWatching), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(test::screenshot("file_change_alert"));
    PostMessageA(d, WM_COMMAND, MAKEWPARAM(kSysReject, BN_CLICKED), 0);
  });
  EXPECT_EQ(a.answer, kAnswerNo);
  EXPECT_TRUE(a.stop_watching);
  EXPECT_EQ(name, kName);
  EXPECT_EQ(location, path);
  EXPECT_EQ(comment, "A file the tests watch.");

  a = answer_dialog(file, [](HWND d) { PostMessageA(d, WM_COMMAND, MAKEWPARAM(kSysAccept, BN_CLICKED), 0); });
  EXPECT_EQ(a.answer, kAnswerYes);
  EXPECT_FALSE(a.stop_watching);
  // Closed without an answer: nothing is done, the change is found again.
  a = answer_dialog(file, [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); });
  EXPECT_EQ(a.answer, 0);
  EXPECT_NE(test::get_value(HKEY_CURRENT_USER, std::string(keys::kProduct), "xPosSysFiles"), "<missing>");
}

}  // namespace
