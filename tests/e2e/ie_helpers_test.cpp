// Browser helpers and ActiveX controls end to end. A helper object and a used control
// registered from outside while the real monitor runs raise their alerts; No removes the
// helper (its library's unregistration leaves a marker) and switches the control off. The
// explorer's IE Helpers and ActiveX pages list them, and their Remove, Disable and Delete File
// on Reboot work.
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
constexpr const char* kTitle = "Kestrom New Program Alert";
constexpr int kNo = 7;
constexpr int kRemoveButton = 1003;
constexpr int kDisableButton = 11;
constexpr int kDeleteOnReboot = 1144;
constexpr const char* kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
// Both steps run in every first-half patrol (each 68 seconds) once their intervals are 1; the
// machine is shared.
constexpr DWORD kAlertWaitMs = 200000;

const std::string kHelper = "{6B7C1A01-0000-4000-8000-00000000E001}";
const std::string kControl = "{6B7C1A01-0000-4000-8000-00000000E002}";
const std::string kHelperKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\" + kHelper;
const std::string kStatsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\" + kControl;
const std::string kCompatKey = "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\" + kControl;

std::string history_text() {
  std::ifstream in(program_folder(kLayout) + "\\history.txt", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool exists(const std::string& file) { return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

void click(HWND sheet, int id) {
  for (const auto& c : driver::children(sheet))
    if (c.id == id && IsWindowVisible(c.hwnd)) {
      PostMessageA(GetParent(c.hwnd), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(c.hwnd));
      return;
    }
  ADD_FAILURE() << "no visible control " << id;
}

// The rows of the page's list once it holds `title`.
std::vector<std::string> row_of(HWND sheet, const std::string& title, int columns) {
  std::vector<std::string> found;
  poll([&] {
    HWND list = shown_list(sheet);
    if (!list) return false;
    for (auto& row : driver::read_list_view(list, columns))
      if (!row.empty() && row[0] == title) return !(found = row).empty();
    return false;
  });
  return found;
}

class BrowserHelpers : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_state();
    clean();
  }
  void TearDown() override {
    if (monitor_.pid) {
      Process q = start_monitor(kLayout, "-Q");
      wait_exit(q);
      wait_exit(monitor_);
    }
    clean();
    reset_state();
  }
  void clean() {
    for (const auto& c : {kHelper, kControl}) test::unregister_test_class(c);
    test::delete_tree(HKEY_LOCAL_MACHINE, kHelperKey);
    test::delete_tree(HKEY_CURRENT_USER, kStatsKey);
    test::delete_tree(HKEY_LOCAL_MACHINE, kCompatKey);
    DeleteFileA(marker.c_str());
    DeleteFileA((program_folder(kLayout) + "\\history.txt").c_str());
  }
  void register_helper() {
    ASSERT_TRUE(test::register_test_class(kHelper, "Fixture Helper", library));
    ASSERT_TRUE(test::set_value(HKEY_LOCAL_MACHINE, kHelperKey, "", ""));
  }
  void register_control() {
    ASSERT_TRUE(test::register_test_class(kControl, "Fixture Viewer Control", library));
    ASSERT_TRUE(test::set_value(HKEY_CURRENT_USER, kStatsKey, "", ""));
  }

  const std::string library = test::fixture("kt_browser_helper.dll");
  const std::string marker = library + ".unregistered";
  Process monitor_;
};

}  // namespace

TEST_F(BrowserHelpers, NewHelperAndControlAreAskedAboutAndNoUndoesThem) {
  monitor_ = start_monitor(kLayout);
  ASSERT_TRUE(monitor_);
  ASSERT_NE(monitor_window(monitor_.pid), nullptr);
  ASSERT_TRUE(wait_tray_icon(true));
  // After the first start, whose snapshots approve what is registered then.
  test::set_value(HKEY_CURRENT_USER, kOptions, "IEHelpers", "1");
  test::set_value(HKEY_CURRENT_USER, kOptions, "ActiveX", "1");
  test::set_value(HKEY_CURRENT_USER, kOptions, "Update", "1");
  register_helper();

  HWND alert = dialog_of(monitor_.pid, kTitle, kAlertWaitMs);
  ASSERT_NE(alert, nullptr) << "no new-helper alert";
  EXPECT_EQ(driver::text_of(GetDlgItem(alert, 100)), "Helper Suite");
  EXPECT_NE(driver::text_of(GetDlgItem(alert, 1036)).find("Internet Explorer Add-On"), std::string::npos);
  EXPECT_TRUE(test::screenshot("loop_new_helper_alert"));
  EXPECT_NE(history_text().find("\tIEHELPER_Alert\t"), std::string::npos) << history_text();
  ASSERT_TRUE(driver::press(alert, kNo));
  ASSERT_TRUE(driver::wait_until_gone(alert, kWaitMs));
  EXPECT_TRUE(poll([&] { return !test::key_exists(HKEY_LOCAL_MACHINE, kHelperKey); })) << "still registered";
  EXPECT_TRUE(poll([&] { return exists(marker); })) << "regsvr32 never reached " << library;
  EXPECT_NE(history_text().find("\tIEHELPER_Remove\t"), std::string::npos) << history_text();
  EXPECT_FALSE(test::value_exists(HKEY_CURRENT_USER, "Software\\Orvane\\Kestrom\\IEHelpers", "Helper Suite"));

  register_control();
  alert = dialog_of(monitor_.pid, kTitle, kAlertWaitMs);
  ASSERT_NE(alert, nullptr) << "no new-control alert";
  EXPECT_EQ(driver::text_of(GetDlgItem(alert, 100)), "Fixture Viewer Control");
  EXPECT_NE(driver::text_of(GetDlgItem(alert, 1036)).find("ActiveX"), std::string::npos);
  EXPECT_TRUE(test::screenshot("loop_new_activex_alert"));
  ASSERT_TRUE(driver::press(alert, kNo));
  ASSERT_TRUE(driver::wait_until_gone(alert, kWaitMs));
  EXPECT_TRUE(poll([&] { return test::get_value(HKEY_LOCAL_MACHINE, kCompatKey, "Compatibility Flags") != "<missing>"; }));
  std::uint32_t flags = 0;
  DWORD size = sizeof flags;
  EXPECT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, kCompatKey.c_str(), "Compatibility Flags", RRF_RT_REG_DWORD, nullptr,
                         &flags, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(flags, 0x400u);
  EXPECT_TRUE(poll([&] {
    return test::get_value(HKEY_CURRENT_USER, "Software\\Orvane\\Kestrom\\ActiveX", kControl) == "1200";
  }));
}

TEST_F(BrowserHelpers, ThePagesListAndRemoveAHelperAndDisableAControl) {
  register_helper();
  register_control();
  Process explorer = start_explorer("-BHO");
  ASSERT_TRUE(explorer);
  HWND sheet = dialog_of(explorer.pid);
  ASSERT_NE(sheet, nullptr);
  auto row = row_of(sheet, "Helper Suite", 5);
  ASSERT_EQ(row.size(), 5u) << "the helper is not listed";
  EXPECT_EQ(row[1], "kt_browser_helper.dll");
  EXPECT_EQ(row[2], "Fixture Works");
  EXPECT_EQ(row[3], "Internet Explorer - Browser Helper Object");
  EXPECT_FALSE(row[4].empty());  // first detected now
  EXPECT_TRUE(test::screenshot("explorer_ie_helpers_page"));
  {
    // Delete File on Reboot from the page's menu: asked first, then the library is in the
    // system's list of deletions at restart.
    test::SavedValue saved(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations");
    test::delete_value(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations");
    PostMessageA(GetParent(shown_list(sheet)), WM_COMMAND, MAKEWPARAM(kDeleteOnReboot, 0), 0);
    HWND asked = box_saying(explorer.pid, "before Windows is fully loaded");
    ASSERT_NE(asked, nullptr);
    driver::press(asked, IDYES);
    EXPECT_TRUE(poll([] { return pending_operations().find("KT_BROWSER_HELPER.DLL") != std::string::npos; }))
        << pending_operations();
  }
  click(sheet, kRemoveButton);
  HWND question = box_saying(explorer.pid, "remove this Internet Explorer Add-On");
  ASSERT_NE(question, nullptr);
  driver::press(question, IDYES);
  EXPECT_TRUE(poll([&] { return !test::key_exists(HKEY_LOCAL_MACHINE, kHelperKey); }));
  EXPECT_TRUE(poll([&] { return exists(marker); }));
  EXPECT_EQ(quit_explorer(explorer), 0);

  explorer = start_explorer("-ACTIVEX");
  ASSERT_TRUE(explorer);
  sheet = dialog_of(explorer.pid);
  ASSERT_NE(sheet, nullptr);
  row = row_of(sheet, "Fixture Viewer Control", 6);
  ASSERT_EQ(row.size(), 6u) << "the control is not listed";
  EXPECT_EQ(row[3], "Enabled");
  EXPECT_EQ(row[5], kControl);
  click(sheet, kDisableButton);
  question = box_saying(explorer.pid, "Disabling an ActiveX control");
  ASSERT_NE(question, nullptr);
  driver::press(question, IDYES);
  EXPECT_TRUE(poll([&] { return row_of(sheet, "Fixture Viewer Control", 6).size() == 6u &&
                                row_of(sheet, "Fixture Viewer Control", 6)[3] == "Disabled"; }));
  EXPECT_TRUE(test::screenshot("explorer_activex_page"));
  EXPECT_EQ(quit_explorer(explorer), 0);
}

}  // namespace kestrom::e2e
