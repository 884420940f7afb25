// The Startup Programs page's actions as a user meets them: select a row, press Disable,
// Enable, Remove and Add in the real explorer, and the registry holds what the user chose.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "tests/e2e/e2e_support_win.hpp"

namespace kestrom::e2e {
namespace {

using test::delete_value;
using test::get_value;
using test::poll;
using test::set_value;

constexpr int kListId = 1000, kRemove = 1003, kEnable = 10, kDisable = 11, kAdd = 1064;
constexpr const char* kTitle = "Probe Page Entry";
constexpr const char* kDisabledStore = "Software\\Orvane\\Kestrom\\Disabled";
constexpr const char* kSnapshot = "Software\\Orvane\\Kestrom\\Run";
constexpr const char* kAddedTitle = "Agent Helper";  // kt_agent.exe's file description

// The row showing `title` with this type text, -1 when none.
int row_of(HWND list, const std::string& title, const std::string& type) {
  const auto rows = driver::read_list_view(list, 5);
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].size() == 5 && rows[i][0] == title && rows[i][3] == type) return static_cast<int>(i);
  return -1;
}

// Every value of the user's Run key whose data is `data`.
std::vector<std::string> run_values_with(const std::string& data) {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kUserRun, 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    char name[256];
    BYTE value[1024];
    DWORD name_size = sizeof name, value_size = sizeof value - 1, type = 0;
    if (RegEnumValueA(key, i, name, &name_size, nullptr, &type, value, &value_size) != ERROR_SUCCESS) break;
    value[value_size] = 0;
    if (type == REG_SZ && data == reinterpret_cast<const char*>(value)) names.emplace_back(name, name_size);
  }
  RegCloseKey(key);
  return names;
}

class StartupPageActions : public ::testing::Test {
 protected:
  void SetUp() override { clean(); }
  void TearDown() override { clean(); }
  void clean() {
    reset_state();
    for (const char* n : {kTitle, kAddedTitle, "Agent Helper (2)"}) delete_value(HKEY_CURRENT_USER, kUserRun, n);
    delete_value(HKEY_LOCAL_MACHINE, kMachineRun, kTitle);
    test::delete_tree(HKEY_LOCAL_MACHINE, kDisabledStore);
  }
  static constexpr const char* kMachineRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
};

// The same title under HKLM and HKCU: every action acts on the row chosen, not on the first
// entry of that title.
TEST_F(StartupPageActions, DisableEnableRemoveAndAddChangeTheRegistryOfTheChosenRow) {
  const std::string agent = test::fixture("kt_agent.exe");
  const std::string user_command = "\"" + agent + "\" /user";
  const std::string machine_command = "\"" + agent + "\" /machine";
  set_value(HKEY_CURRENT_USER, kUserRun, kTitle, user_command);
  set_value(HKEY_LOCAL_MACHINE, kMachineRun, kTitle, machine_command);

  Process e = start_explorer("-START");
  ASSERT_TRUE(e);
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = page_list(sheet);
  ASSERT_NE(list, nullptr);
  HWND page = GetParent(list);
  int row = -1;
  ASSERT_TRUE(poll([&] { return (row = row_of(list, kTitle, "HKCU_RUN")) >= 0; }));

  // Disable the user's entry: it leaves the user's Run key for the Disabled Store; the
  // machine's entry of the same title stays.
  ASSERT_TRUE(driver::select_list_row(list, row));
  ASSERT_TRUE(poll([&] { return IsWindowVisible(GetDlgItem(page, kDisable)) && IsWindowEnabled(GetDlgItem(page, kDisable)); }));
  driver::press(page, kDisable);
  ASSERT_TRUE(poll([&] { return get_value(HKEY_CURRENT_USER, kUserRun, kTitle) == "<missing>"; }));
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, std::string(kDisabledStore) + "\\Run", kTitle), user_command);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledStore, kTitle), "11");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kMachineRun, kTitle), machine_command);

  // The disabled row shows "Enable" in the shared slot; Enable puts the entry back.
  ASSERT_TRUE(poll([&] { return (row = row_of(list, kTitle, "   Disabled")) >= 0; }));
  ASSERT_TRUE(driver::select_list_row(list, row));
  ASSERT_TRUE(poll([&] { return IsWindowVisible(GetDlgItem(page, kEnable)) && !IsWindowVisible(GetDlgItem(page, kDisable)); }));
  test::screenshot("startup_page_disabled_row");
  driver::press(page, kEnable);
  ASSERT_TRUE(poll([&] { return get_value(HKEY_CURRENT_USER, kUserRun, kTitle) == user_command; }));
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledStore, kTitle), "<missing>");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kMachineRun, kTitle), machine_command);

  // Remove the machine's entry: one question, then only that value goes.
  ASSERT_TRUE(poll([&] { return (row = row_of(list, kTitle, "HKLM_RUN")) >= 0; }));
  ASSERT_TRUE(driver::select_list_row(list, row));
  driver::press(page, kRemove);
  HWND question = box_saying(e.pid, "You have chosen to remove");
  ASSERT_NE(question, nullptr);
  test::screenshot("startup_page_remove_question");
  driver::press(question, IDYES);
  ASSERT_TRUE(poll([&] { return get_value(HKEY_LOCAL_MACHINE, kMachineRun, kTitle) == "<missing>"; }));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kUserRun, kTitle), user_command);
  ASSERT_TRUE(poll([&] { return row_of(list, kTitle, "HKLM_RUN") < 0 && row_of(list, kTitle, "HKCU_RUN") >= 0; }));

  // Add: a name already taken by another command is not written over; the path, which holds
  // blanks, is quoted; the snapshot accepts it under its snapshot key.
  set_value(HKEY_CURRENT_USER, kUserRun, kAddedTitle, "C:\\Other\\agent.exe");
  driver::press(page, kAdd);
  driver::WindowQuery open;
  open.class_name = "#32770";
  open.title = "Add AutoStart Program";
  open.process_id = e.pid;
  HWND dialog = driver::wait_for_window(open);
  ASSERT_NE(dialog, nullptr);
  test::screenshot("startup_page_add_dialog");
  HWND name_box = nullptr;
  ASSERT_TRUE(poll([&] {
    for (const auto& c : driver::children(dialog))
      if (c.class_name == "Edit" && IsWindowVisible(c.hwnd)) return (name_box = c.hwnd) != nullptr;
    return false;
  }));
  SendMessageTimeoutA(name_box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(agent.c_str()), SMTO_ABORTIFHUNG, 5000, nullptr);
  driver::press(dialog, IDOK);
  const std::string quoted = "\"" + agent + "\"";
  ASSERT_TRUE(poll([&] { return !run_values_with(quoted).empty(); })) << "nothing added";
  EXPECT_EQ(run_values_with(quoted), std::vector<std::string>{"Agent Helper (2)"});
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kUserRun, kAddedTitle), "C:\\Other\\agent.exe");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kSnapshot, agent), "1");
  ASSERT_TRUE(poll([&] { return row_of(list, "Agent Helper (2)", "HKCU_RUN") >= 0; }));
  test::screenshot("startup_page_after_add");
  EXPECT_EQ(quit_explorer(e), 0);
}

}  // namespace
}  // namespace kestrom::e2e

namespace kestrom::e2e {
namespace {

// The monitor image opens Set Patrol Time: Close changes nothing (the real-time box clicked
// meanwhile is put back); OK stores the typed minutes, which the slider's range does not limit.
TEST_F(StartupPageActions, MonitorImageSetsThePatrolTimeOfStartupPrograms) {
  constexpr int kMonitorImage = 1112, kBox = 1165, kRealTime = 1014;
  set_value(HKEY_CURRENT_USER, kOptions, "Start", "5");
  set_value(HKEY_CURRENT_USER, kOptions, "RealtimeStartup", "0");
  Process e = start_explorer("-START");
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = page_list(sheet);
  ASSERT_NE(list, nullptr);
  HWND page = GetParent(list);
  driver::WindowQuery q;
  q.class_name = "#32770";
  q.title = "Patrol Time for Startup Programs";
  q.process_id = e.pid;

  driver::press(page, kMonitorImage);
  HWND dialog = driver::wait_for_window(q);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(driver::text_of(GetDlgItem(dialog, kBox)), "5");
  test::screenshot("set_patrol_time");
  driver::post(GetDlgItem(dialog, kRealTime), BM_CLICK);
  ASSERT_TRUE(poll([&] { return get_value(HKEY_CURRENT_USER, kOptions, "RealtimeStartup") == "1"; }));
  driver::press(dialog, IDCANCEL);
  ASSERT_TRUE(driver::wait_until_gone(dialog));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOptions, "RealtimeStartup"), "0");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOptions, "Start"), "5");

  driver::press(page, kMonitorImage);
  dialog = driver::wait_for_window(q);
  ASSERT_NE(dialog, nullptr);
  SendMessageTimeoutA(GetDlgItem(dialog, kBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("45"), SMTO_ABORTIFHUNG, 5000,
                      nullptr);
  driver::press(dialog, IDOK);
  ASSERT_TRUE(driver::wait_until_gone(dialog));
  ASSERT_TRUE(poll([&] { return get_value(HKEY_CURRENT_USER, kOptions, "Start") == "45"; }));
  EXPECT_EQ(quit_explorer(e), 0);
}

}  // namespace
}  // namespace kestrom::e2e

namespace kestrom::e2e {
namespace {

// Remove an entry on the Startup page, then undo it in the History viewer: the Run value is
// back byte for byte, quotes and all. A record whose file has no Vault copy says it cannot be
// restored.
TEST_F(StartupPageActions, RemovedEntryComesBackByteForByteFromTheHistoryViewer) {
  constexpr int kRestore = 1104, kViewHistory = 1104;
  const std::string history = test::fixture("history.txt");
  DeleteFileA(history.c_str());
  set_value(HKEY_CURRENT_USER, kOptions, "History", "1");
  const std::string original = "\"" + test::fixture("kt_agent.exe") + "\"  /tray";
  set_value(HKEY_CURRENT_USER, kUserRun, kTitle, original);

  Process e = start_explorer("-START");
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = page_list(sheet);
  ASSERT_NE(list, nullptr);
  int row = -1;
  ASSERT_TRUE(poll([&] { return (row = row_of(list, kTitle, "HKCU_RUN")) >= 0; }));
  ASSERT_TRUE(driver::select_list_row(list, row));
  driver::press(GetParent(list), kRemove);
  HWND question = box_saying(e.pid, "You have chosen to remove");
  ASSERT_NE(question, nullptr);
  driver::press(question, IDYES);
  ASSERT_TRUE(poll([&] { return get_value(HKEY_CURRENT_USER, kUserRun, kTitle) == "<missing>"; }));

  // A deleted hidden file without a copy in the Vault, as an older log may hold.
  {
    HANDLE f = CreateFileA(history.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    const std::string line = "01/02/2026  1:00 PM\t*HIDDEN_DeleteFile\tHIDDEN_FILES\tgone\tC:\\Windows\\gone.dll\t\r\n";
    DWORD written = 0;
    WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(f);
  }

  PostMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(options_tab(sheet)), 0);
  HWND options = page_with(sheet, kViewHistory, "Button");
  ASSERT_NE(options, nullptr);
  driver::press(options, kViewHistory);
  driver::WindowQuery q;
  q.class_name = "#32770";
  q.title = "Kestrom History";
  q.process_id = e.pid;
  HWND viewer = driver::wait_for_window(q);
  ASSERT_NE(viewer, nullptr);
  HWND records = GetDlgItem(viewer, kListId);
  std::vector<std::vector<std::string>> rows;
  ASSERT_TRUE(poll([&] { return (rows = driver::read_list_view(records, 4)).size() == 2; }));
  EXPECT_EQ(rows[0][0], kTitle);
  EXPECT_EQ(rows[0][1], "*START_Remove");
  EXPECT_EQ(rows[1][1], "*HIDDEN_DeleteFile");
  test::screenshot("history_viewer");

  ASSERT_TRUE(driver::select_list_row(records, 1));
  ASSERT_TRUE(poll([&] { return IsWindowEnabled(GetDlgItem(viewer, kRestore)) != FALSE; }));
  driver::press(viewer, kRestore);
  HWND refusal = box_saying(e.pid, "no saved copy of it is in the Vault");
  ASSERT_NE(refusal, nullptr);
  driver::press(refusal, IDOK);

  ASSERT_TRUE(driver::select_list_row(records, 0));
  ASSERT_TRUE(poll([&] { return IsWindowEnabled(GetDlgItem(viewer, kRestore)) != FALSE; }));
  driver::press(viewer, kRestore);
  ASSERT_TRUE(poll([&] { return get_value(HKEY_CURRENT_USER, kUserRun, kTitle) == original; }))
      << get_value(HKEY_CURRENT_USER, kUserRun, kTitle);
  driver::press(viewer, IDOK);
  ASSERT_TRUE(driver::wait_until_gone(viewer));
  EXPECT_EQ(quit_explorer(e), 0);
  DeleteFileA(history.c_str());
}

}  // namespace
}  // namespace kestrom::e2e

namespace kestrom::e2e {
namespace {

// A protected startup place (ShellServiceObjectDelayLoad): Remove shows the default warning;
// OK without the box ticked keeps the entry, with it ticked removes it.
TEST_F(StartupPageActions, ProtectedEntryIsRemovedOnlyWithTheWarningsBoxTicked) {
  constexpr const char* kDelayLoad = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
  constexpr const char* kClass = "CLSID\\{6B1E2F00-5A1B-4C2D-9E3F-0A1B2C3D4E5F}";
  constexpr const char* kClassId = "{6B1E2F00-5A1B-4C2D-9E3F-0A1B2C3D4E5F}";
  constexpr const char* kEntry = "Probe Delay Load";
  constexpr int kCheck = 1152;
  set_value(HKEY_CLASSES_ROOT, std::string(kClass) + "\\InprocServer32", "", test::fixture("kt_agent.exe"));
  set_value(HKEY_LOCAL_MACHINE, kDelayLoad, kEntry, kClassId);
  set_value(HKEY_CURRENT_USER, kOptions, "ShowAllStartup", "1");

  Process e = start_explorer("-START");
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = page_list(sheet);
  ASSERT_NE(list, nullptr);
  HWND page = GetParent(list);
  auto row_titled = [&] {
    const auto rows = driver::read_list_view(list, 1);
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (!rows[i].empty() && rows[i][0] == kEntry) return static_cast<int>(i);
    return -1;
  };
  int row = -1;
  ASSERT_TRUE(poll([&] { return (row = row_titled()) >= 0; }));
  driver::WindowQuery q;
  q.class_name = "#32770";
  q.process_id = e.pid;
  q.visible_only = true;
  auto warning = [&] {
    HWND found = nullptr;
    poll([&] {
      for (HWND w : driver::find_windows(q))
        if (GetDlgItem(w, kCheck)) return (found = w) != nullptr;
      return false;
    });
    return found;
  };

  ASSERT_TRUE(driver::select_list_row(list, row));
  ASSERT_TRUE(poll([&] { return !IsWindowEnabled(GetDlgItem(page, kDisable)); }));  // protected: no toggling
  driver::press(page, kRemove);
  HWND dialog = warning();
  ASSERT_NE(dialog, nullptr);
  test::screenshot("startup_page_default_warning");
  driver::press(dialog, IDOK);
  ASSERT_TRUE(driver::wait_until_gone(dialog));
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDelayLoad, kEntry), kClassId);

  ASSERT_TRUE(poll([&] { return (row = row_titled()) >= 0; }));
  ASSERT_TRUE(driver::select_list_row(list, row));
  driver::press(page, kRemove);
  dialog = warning();
  ASSERT_NE(dialog, nullptr);
  driver::post(GetDlgItem(dialog, kCheck), BM_CLICK);
  ASSERT_TRUE(poll([&] { return IsDlgButtonChecked(dialog, kCheck) == BST_CHECKED; }));
  driver::press(dialog, IDOK);
  ASSERT_TRUE(poll([&] { return get_value(HKEY_LOCAL_MACHINE, kDelayLoad, kEntry) == "<missing>"; }));
  EXPECT_EQ(quit_explorer(e), 0);
  test::delete_tree(HKEY_CLASSES_ROOT, kClass);
}

}  // namespace
}  // namespace kestrom::e2e

namespace kestrom::e2e {
namespace {

std::string raw_value(HKEY root, const std::string& key, const char* name) {
  DWORD type = 0, size = 0;
  if (RegGetValueA(root, key.c_str(), name, RRF_RT_ANY, &type, nullptr, &size) != ERROR_SUCCESS) return "<missing>";
  std::string data(size, '\0');
  if (RegGetValueA(root, key.c_str(), name, RRF_RT_ANY, &type, data.data(), &size) != ERROR_SUCCESS) return "<missing>";
  data.resize(size);
  return data;
}

// An entry that Task Manager switched off shows as off in Windows and offers Enable, which
// switches it on there; "Delete File on Reboot" asks first and then schedules the program.
TEST_F(StartupPageActions, EntryOffInWindowsIsEnabledAndAFileIsScheduledForDeletion) {
  const std::string approved = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
  const unsigned char off[12] = {3, 0, 0, 0, 0x30, 0x8f, 0x4b, 0x1c, 0x65, 0x2a, 0xda, 0x01};
  const std::string victim = test::fixture("kt_reboot_victim.exe");
  CopyFileA(test::fixture("kt_agent.exe").c_str(), victim.c_str(), FALSE);
  set_value(HKEY_CURRENT_USER, kUserRun, kTitle, "\"" + victim + "\"");
  ASSERT_TRUE(test::set_raw(HKEY_CURRENT_USER, approved, kTitle, REG_BINARY, off, sizeof off));

  Process e = start_explorer("-START");
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = page_list(sheet);
  ASSERT_NE(list, nullptr);
  HWND page = GetParent(list);
  int row = -1;
  ASSERT_TRUE(poll([&] { return (row = row_of(list, kTitle, "   Off in Windows")) >= 0; }));
  ASSERT_TRUE(driver::select_list_row(list, row));
  ASSERT_TRUE(poll([&] { return IsWindowVisible(GetDlgItem(page, kEnable)) && IsWindowEnabled(GetDlgItem(page, kEnable)); }));
  test::screenshot("startup_page_off_in_windows");
  driver::press(page, kEnable);
  const std::string on = std::string(1, '\x02') + std::string(11, '\0');
  ASSERT_TRUE(poll([&] { return raw_value(HKEY_CURRENT_USER, approved, kTitle) == on; }));
  ASSERT_TRUE(poll([&] { return (row = row_of(list, kTitle, "HKCU_RUN")) >= 0; }));

  ASSERT_TRUE(driver::select_list_row(list, row));
  driver::post_command(page, 1144);
  HWND question = box_saying(e.pid, "Are you sure you want this file deleted?");
  ASSERT_NE(question, nullptr);
  driver::press(question, IDYES);
  const char* session = "System\\CurrentControlSet\\Control\\Session Manager";
  // Read wide: the value holds NT paths in pairs.
  auto pending = [&] {
    DWORD size = 0;
    const wchar_t* key = L"System\\CurrentControlSet\\Control\\Session Manager";
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, L"PendingFileRenameOperations", RRF_RT_ANY | RRF_NOEXPAND, nullptr,
                     nullptr, &size) != ERROR_SUCCESS)
      return std::string();
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, L"PendingFileRenameOperations", RRF_RT_ANY | RRF_NOEXPAND, nullptr,
                     data.data(), &size) != ERROR_SUCCESS)
      return std::string();
    std::string narrow;
    // Wine keeps the path in capitals.
    for (wchar_t c : data) narrow += c < 128 ? static_cast<char>(toupper(c)) : '?';
    return narrow;
  };
  ASSERT_TRUE(poll([&] { return pending().find("KT_REBOOT_VICTIM.EXE") != std::string::npos; })) << "not scheduled" << test::screenshot("startup_page_delete_on_reboot");
  EXPECT_EQ(quit_explorer(e), 0);
  RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, session, "PendingFileRenameOperations");
  test::delete_tree(HKEY_CURRENT_USER, approved);
  DeleteFileA(victim.c_str());
}

}  // namespace
}  // namespace kestrom::e2e
