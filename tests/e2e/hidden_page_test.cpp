// The Hidden Files page as a user meets it: a hidden file of the temporary folder is listed,
// Unhide makes it visible, and Delete (after its question) removes it through the product, which
// keeps its copy in the Vault.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "categories/hidden_files.hpp"
#include "common/paths.hpp"
#include "tests/e2e/e2e_support_win.hpp"
#include "tools/denied_key.hpp"

namespace kestrom::e2e {
namespace {

using test::poll;

constexpr int kUnhide = 1012;
constexpr int kDelete = 1184;
constexpr int kDeleteOnReboot = 1144;
constexpr int kMonitorImage = 1112;
constexpr char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
// Sorted by its first column, the file's name puts it on the first row, which the page selects.
const std::string kName = "!kt_page.hid";

std::string temp_file() {
  char buf[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof buf, buf);
  return std::string(buf, n) + kName;
}

bool first_row_is_the_file(HWND list) {
  const auto rows = driver::read_list_view(list, 5);
  return !rows.empty() && rows[0].size() >= 2 && rows[0][0] == kName &&
         _stricmp(rows[0][1].c_str(), temp_file().c_str()) == 0;
}

class HiddenFilesPage : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_state();
    path = temp_file();
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "hidden page\r\n";
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    test::set_value(HKEY_CURRENT_USER, kOptions, "SortHidden", "1");
  }
  void TearDown() override {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    const std::string copy = hidden_vault_copy(vault_folder(), path);
    DeleteFileA(copy.c_str());
    reset_state();
  }
  std::string path;
};

TEST_F(HiddenFilesPage, ListsUnhidesAndDeletesThroughTheVault) {
  Process e = start_explorer("-HIDDEN");
  ASSERT_TRUE(e);
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = nullptr;
  ASSERT_TRUE(poll([&] { return (list = shown_list(sheet)) != nullptr && first_row_is_the_file(list); }))
      << "the hidden file is not on the first row";
  EXPECT_TRUE(test::screenshot("hidden_files_page"));
  HWND page = GetParent(list);

  // Unhide: hidden, system and read-only flags go, and the file leaves the list.
  PostMessageA(page, WM_COMMAND, MAKEWPARAM(kUnhide, BN_CLICKED), 0);
  ASSERT_TRUE(poll([&] {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  }));
  EXPECT_TRUE(poll([&] { return !first_row_is_the_file(list); }));

  // Hidden again and refreshed; Delete asks, then deletes with a copy kept.
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
  PostMessageA(page, WM_COMMAND, MAKEWPARAM(1006, BN_CLICKED), 0);
  ASSERT_TRUE(poll([&] { return first_row_is_the_file(list); }));
  PostMessageA(page, WM_COMMAND, MAKEWPARAM(kDelete, BN_CLICKED), 0);
  HWND box = box_saying(e.pid, "Adware");
  ASSERT_NE(box, nullptr) << "no question before deleting";
  driver::press(box, IDYES);
  EXPECT_TRUE(poll([&] { return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; }));
  std::ifstream copy(hidden_vault_copy(vault_folder(), path), std::ios::binary);
  std::ostringstream bytes;
  bytes << copy.rdbuf();
  EXPECT_EQ(bytes.str(), "hidden page\r\n");
  EXPECT_TRUE(poll([&] { return !first_row_is_the_file(list); }));
  EXPECT_EQ(quit_explorer(e), 0);
}

// Delete File on Reboot from the page's menu: asked first; a refusal by Windows is told and
// schedules nothing; allowed, the file is in the system's list.
TEST_F(HiddenFilesPage, DeleteFileOnRebootIsAskedToldWhenRefusedAndScheduled) {
  test::SavedValue saved(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations");
  test::delete_value(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations");
  std::string upper_name = kName;
  for (char& c : upper_name) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  Process e = start_explorer("-HIDDEN");
  ASSERT_TRUE(e);
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = nullptr;
  ASSERT_TRUE(poll([&] { return (list = shown_list(sheet)) != nullptr && first_row_is_the_file(list); }));
  HWND page = GetParent(list);
  const DWORD before = GetFileAttributesA(path.c_str());
  {
    test::DeniedKey denied(HKEY_LOCAL_MACHINE, kSessionManager);
    ASSERT_TRUE(denied.denied);
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(kDeleteOnReboot, 0), 0);
    HWND question = box_saying(e.pid, "before Windows is fully loaded");
    ASSERT_NE(question, nullptr);
    driver::press(question, IDYES);
    HWND told = box_saying(e.pid, "did not let Kestrom Explorer schedule");
    ASSERT_NE(told, nullptr) << "a refused deletion at restart is not told";
    test::screenshot("hidden_page_reboot_refused");
    driver::press(told, IDNO);  // no restart as administrator
    ASSERT_TRUE(driver::wait_until_gone(told));
  }
  EXPECT_EQ(pending_operations().find(upper_name), std::string::npos);
  EXPECT_EQ(GetFileAttributesA(path.c_str()), before);

  PostMessageA(page, WM_COMMAND, MAKEWPARAM(kDeleteOnReboot, 0), 0);
  HWND question = box_saying(e.pid, "before Windows is fully loaded");
  ASSERT_NE(question, nullptr);
  driver::press(question, IDYES);
  EXPECT_TRUE(poll([&] { return pending_operations().find(upper_name) != std::string::npos; })) << "not scheduled";
  EXPECT_EQ(quit_explorer(e), 0);
}

// The monitor image sets the hidden files' patrol time, with the page's own caption.
TEST_F(HiddenFilesPage, MonitorImageSetsThePatrolTimeOfHiddenFiles) {
  constexpr int kBox = 1165;
  test::set_value(HKEY_CURRENT_USER, kOptions, "Hidden", "0");
  Process e = start_explorer("-HIDDEN");
  ASSERT_TRUE(e);
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND list = nullptr;
  ASSERT_TRUE(poll([&] { return (list = shown_list(sheet)) != nullptr; }));
  HWND page = GetParent(list);
  driver::WindowQuery q;
  q.class_name = "#32770";
  q.title = "Patrol Time for checking hidden files.";
  q.process_id = e.pid;
  driver::press(page, kMonitorImage);
  HWND dialog = driver::wait_for_window(q);
  ASSERT_NE(dialog, nullptr) << "no Set Patrol Time with the hidden files' caption";
  EXPECT_EQ(driver::text_of(GetDlgItem(dialog, kBox)), "0");
  SendMessageTimeoutA(GetDlgItem(dialog, kBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("12"), SMTO_ABORTIFHUNG, 5000,
                      nullptr);
  driver::press(dialog, IDOK);
  ASSERT_TRUE(driver::wait_until_gone(dialog));
  EXPECT_TRUE(poll([&] { return test::get_value(HKEY_CURRENT_USER, kOptions, "Hidden") == "12"; }));
  EXPECT_EQ(quit_explorer(e), 0);
}

}  // namespace
}  // namespace kestrom::e2e
