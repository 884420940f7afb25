// The scan log and the registry backup as a user makes them: the Options page's buttons, and
// an explorer whose file is named "hijack...".
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>

#include "explorer/resource_ids.h"
#include "tests/e2e/e2e_support_win.hpp"

namespace kestrom::e2e {
namespace {

using test::poll;

std::string user() {
  char name[257] = {};
  DWORD n = sizeof name;
  GetUserNameA(name, &n);
  return name;
}

bool file_there(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The shell may open the log in a text viewer; the viewer's window is closed with the test.
void close_viewers(const char* title_part) {
  driver::WindowQuery q;
  q.visible_only = true;
  for (HWND w : driver::find_windows(q))
    if (driver::text_of(w).find(title_part) != std::string::npos) PostMessageA(w, WM_CLOSE, 0, 0);
}

HWND options_page(HWND sheet) {
  const int options = options_tab(sheet);
  if (options <= 0) return nullptr;
  PostMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(options), 0);
  return page_with(sheet, IDC_OPT_HIJACK_LOG);
}

class ReportButtons : public ::testing::Test {
 protected:
  void SetUp() override { clean(); }
  void TearDown() override {
    close_viewers("HijackKestrom");
    clean();
  }
  void clean() {
    reset_state();
    DeleteFileA(log_.c_str());
    DeleteFileA(backup_.c_str());
    DeleteFileA(renamed_.c_str());
  }
  std::string folder_ = test::test_program_folder();
  std::string log_ = folder_ + "\\HijackKestrom.log";
  std::string backup_ = folder_ + "\\" + user() + "-Kestrom.reg";
  std::string renamed_ = folder_ + "\\hijackthis-KestromEx.exe";
};

}  // namespace

TEST_F(ReportButtons, ExportSettingsSavesTheFileThenNamesIt) {
  test::set_value(HKEY_CURRENT_USER, kProduct, "Marker", "C:\\marker \"1\"");
  Process e = start_explorer("-OPTIONS");
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND page = options_page(sheet);
  ASSERT_NE(page, nullptr);
  driver::post(GetDlgItem(page, IDC_OPT_EXPORT), BM_CLICK);
  driver::WindowQuery note;
  note.class_name = "#32770";
  note.process_id = e.pid;
  note.visible_only = true;
  HWND box = nullptr;
  ASSERT_TRUE(poll([&] {
    for (HWND w : driver::find_windows(note))
      if (driver::all_texts(w).find("have been saved as the following file") != std::string::npos) return (box = w) != nullptr;
    return false;
  }));
  // The message comes only after the file is complete: it is there, and names it.
  EXPECT_TRUE(file_there(backup_));
  EXPECT_NE(driver::all_texts(box).find("-Kestrom.reg"), std::string::npos) << driver::all_texts(box);
  test::screenshot("export_settings_saved");
  driver::press(box, IDOK);
  EXPECT_EQ(quit_explorer(e), 0);
}

TEST_F(ReportButtons, HijackLogButtonWritesTheLog) {
  Process e = start_explorer("-OPTIONS");
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND page = options_page(sheet);
  ASSERT_NE(page, nullptr);
  driver::post(GetDlgItem(page, IDC_OPT_HIJACK_LOG), BM_CLICK);
  ASSERT_TRUE(poll([&] { return file_there(log_); }, 3 * kWaitMs));
  EXPECT_EQ(quit_explorer(e), 0);
}

TEST_F(ReportButtons, AnExplorerNamedHijackWritesTheLogBeforeItsSheet) {
  ASSERT_TRUE(CopyFileA(test::fixture("KestromEx.exe").c_str(), renamed_.c_str(), FALSE));
  Process e = test::start_process(renamed_, "-START");
  ASSERT_TRUE(e);
  ASSERT_TRUE(poll([&] { return file_there(log_); }, 3 * kWaitMs));
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(quit_explorer(e), 0);
}

}  // namespace kestrom::e2e
