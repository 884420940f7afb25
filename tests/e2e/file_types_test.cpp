// File type associations through the real programs: an association changed from outside while
// the monitor runs raises the File Type Change Alert, and No puts the recorded program back;
// the explorer's File Types page lists a watched association, Remove stops watching it and
// Add (through its dialog) watches it again.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support_win.hpp"

namespace kestrom::e2e {
namespace {

using test::poll;

constexpr const char* kLayout = "loop";
constexpr const char* kExtKey = "Software\\Orvane\\Kestrom\\Ext";
constexpr const char* kClassKey = "Software\\Orvane\\Kestrom\\Class";
constexpr const char* kDotted = "Software\\Classes\\.kt8";
constexpr const char* kClassName = "Software\\Classes\\kt8file";
constexpr const char* kCommandKey = "Software\\Classes\\kt8file\\shell\\open\\command";
constexpr const char* kAlertTitle = "Kestrom File Type Change Alert";
constexpr int kListId = 1000;
constexpr int kAddButton = 1064;
constexpr int kRemoveButton = 1003;
constexpr int kAddEdit = 1052;
constexpr int kNo = 7;
// The file-types step runs in every first half (each 68 seconds) once its interval is 1; the
// machine is shared.
constexpr DWORD kAlertWaitMs = 180000;

std::string history_text() {
  std::ifstream in(program_folder(kLayout) + "\\history.txt", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

HWND visible_child(HWND sheet, int id, const char* class_name = nullptr) {
  for (const auto& c : driver::children(sheet))
    if (c.id == id && IsWindowVisible(c.hwnd) && (!class_name || c.class_name == class_name)) return c.hwnd;
  return nullptr;
}

void click(HWND button) {
  PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

class FileTypesEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_state();
    clean();
    old_command = "\"" + test::fixture("kt_sleeper.exe") + "\" \"%1\"";
    new_command = "\"" + test::fixture("kt_agent.exe") + "\" /open \"%1\"";
    test::set_value(HKEY_LOCAL_MACHINE, kDotted, "", "kt8file");
    test::set_value(HKEY_LOCAL_MACHINE, kClassName, "", "KT Eight Document");
    test::set_value(HKEY_LOCAL_MACHINE, kCommandKey, "", old_command);
    DeleteFileA((program_folder(kLayout) + "\\history.txt").c_str());
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
  static void clean() {
    test::delete_tree(HKEY_LOCAL_MACHINE, kDotted);
    test::delete_tree(HKEY_LOCAL_MACHINE, kClassName);
  }
  // The snapshot as the products leave it, watching only .kt8 with its program recorded.
  void watch_kt8() {
    test::set_value(HKEY_CURRENT_USER, kExtKey, "", "Do not edit.");
    test::set_value(HKEY_CURRENT_USER, kExtKey, ".kt8", "kt8file");
    test::set_value(HKEY_CURRENT_USER, kClassKey, "kt8file", old_command);
    test::set_value(HKEY_CURRENT_USER, kClassKey, "", "KT8;");
  }
  std::string old_command, new_command;
  Process monitor_;
};

}  // namespace

TEST_F(FileTypesEndToEnd, AChangedAssociationIsAskedAboutAndNoPutsTheOldProgramBack) {
  monitor_ = start_monitor(kLayout);
  ASSERT_TRUE(monitor_);
  ASSERT_NE(monitor_window(monitor_.pid), nullptr);
  ASSERT_TRUE(wait_tray_icon(true));
  // After the first start, which built the snapshot of the default list.
  watch_kt8();
  test::set_value(HKEY_CURRENT_USER, kOptions, "FileType", "1");
  test::set_value(HKEY_CURRENT_USER, kOptions, "Update", "1");
  test::set_value(HKEY_LOCAL_MACHINE, kCommandKey, "", new_command);

  HWND alert = dialog_of(monitor_.pid, kAlertTitle, kAlertWaitMs);
  ASSERT_NE(alert, nullptr) << "no file type alert";
  EXPECT_EQ(driver::text_of(GetDlgItem(alert, 1024)), ".KT8");
  EXPECT_EQ(driver::text_of(GetDlgItem(alert, 1043)), old_command);
  EXPECT_EQ(driver::text_of(GetDlgItem(alert, 1045)), new_command);
  EXPECT_TRUE(test::screenshot("loop_file_type_alert"));
  EXPECT_NE(history_text().find("\tFILETYPE_Alert\tTYPE_FILETYPE\t.KT8\t"), std::string::npos) << history_text();
  ASSERT_TRUE(driver::press(alert, kNo));
  ASSERT_TRUE(driver::wait_until_gone(alert, kWaitMs));
  EXPECT_TRUE(poll([&] { return test::get_value(HKEY_LOCAL_MACHINE, kCommandKey, "") == old_command; }))
      << test::get_value(HKEY_LOCAL_MACHINE, kCommandKey, "");
  EXPECT_TRUE(poll([] { return history_text().find("\tFILETYPE_Restore\t") != std::string::npos; })) << history_text();
  EXPECT_EQ(test::get_value(HKEY_CURRENT_USER, kClassKey, "kt8file"), old_command);
}

TEST_F(FileTypesEndToEnd, ThePageListsTheAssociationRemoveStopsWatchingAndAddWatchesAgain) {
  watch_kt8();
  Process explorer = start_explorer("-FILETYPES");
  ASSERT_TRUE(explorer);
  HWND sheet = dialog_of(explorer.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = nullptr;
  std::vector<std::vector<std::string>> rows;
  ASSERT_TRUE(poll([&] {
    list = visible_child(sheet, kListId, "SysListView32");
    if (!list) return false;
    rows = driver::read_list_view(list, 6);
    return !rows.empty();
  }));
  ASSERT_EQ(rows.size(), 1u);
  ASSERT_EQ(rows[0].size(), 6u);
  EXPECT_EQ(rows[0][0], "KT Eight Document");
  EXPECT_EQ(rows[0][1], "kt_sleeper.exe");  // the program, without the command's arguments
  EXPECT_EQ(rows[0][2], "Fixture Works");
  EXPECT_EQ(rows[0][3], "kt8file");
  EXPECT_EQ(rows[0][4], ".KT8");
  EXPECT_EQ(rows[0][5], "1");
  EXPECT_TRUE(test::screenshot("explorer_file_types_page"));

  HWND remove = visible_child(sheet, kRemoveButton);
  ASSERT_NE(remove, nullptr);
  click(remove);
  EXPECT_TRUE(poll([&] { return driver::read_list_view(list, 6).empty(); }));
  EXPECT_EQ(test::get_value(HKEY_CURRENT_USER, kClassKey, ""), "");
  EXPECT_FALSE(test::value_exists(HKEY_CURRENT_USER, kExtKey, ".kt8"));
  // The association itself is left as it is.
  EXPECT_EQ(test::get_value(HKEY_LOCAL_MACHINE, kCommandKey, ""), old_command);

  HWND add = visible_child(sheet, kAddButton);
  ASSERT_NE(add, nullptr);
  click(add);
  HWND dialog = dialog_of(explorer.pid, "Add File Type Extension");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(test::screenshot("explorer_add_file_type"));
  SendMessageA(GetDlgItem(dialog, kAddEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(".kt8"));
  ASSERT_TRUE(driver::press(dialog, IDOK));
  ASSERT_TRUE(driver::wait_until_gone(dialog, kWaitMs));
  EXPECT_TRUE(poll([&] { return driver::read_list_view(list, 6).size() == 1; }));
  EXPECT_EQ(test::get_value(HKEY_CURRENT_USER, kClassKey, ""), "KT8;");
  EXPECT_EQ(test::get_value(HKEY_CURRENT_USER, kClassKey, "kt8file"), old_command);

  // Once more: it is already watched, which the program's message dialog says.
  click(add);
  dialog = dialog_of(explorer.pid, "Add File Type Extension");
  ASSERT_NE(dialog, nullptr);
  SendMessageA(GetDlgItem(dialog, kAddEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("KT8"));
  driver::press(dialog, IDOK);
  HWND message = nullptr;
  EXPECT_TRUE(poll([&] {
    driver::WindowQuery q;
    q.class_name = "#32770";
    q.process_id = explorer.pid;
    q.visible_only = true;
    for (HWND w : driver::find_windows(q))
      if (driver::all_texts(w).find("already being monitored") != std::string::npos) return (message = w) != nullptr;
    return false;
  }));
  if (message) driver::press(message, IDOK);
  driver::press(dialog, IDCANCEL);
  EXPECT_EQ(test::get_value(HKEY_CURRENT_USER, kClassKey, ""), "KT8;");
  EXPECT_EQ(quit_explorer(explorer), 0);
}

}  // namespace kestrom::e2e
