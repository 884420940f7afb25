// The pages a user manages startup programs and services from, at 144 dots per inch, and the
// explorer's dialogs at 96 and 144 (the explorer reads the setting when it starts): each page's
// or dialog's controls stay inside it and no button covers another; the pictures are looked at
// as well.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/e2e_support_win.hpp"

namespace kestrom::e2e {
namespace {

using test::poll;

constexpr const char* kDesktop = "Control Panel\\Desktop";

RECT rect_in(HWND parent, HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool overlap(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The page on show: the visible child dialog of the sheet holding buttons.
HWND page_on_show(HWND sheet) {
  HWND found = nullptr;
  poll([&] {
    for (const auto& c : driver::children(sheet))
      if (c.class_name == "#32770" && IsWindowVisible(c.hwnd) && GetParent(c.hwnd) == sheet)
        return (found = c.hwnd) != nullptr;
    return false;
  });
  return found;
}

class Pages144Dpi : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    reset_state();
    ASSERT_TRUE(test::set_dword(HKEY_CURRENT_USER, kDesktop, "LogPixels", 144));
  }
  void TearDown() override { reset_state(); }
  test::SavedValue dpi_{HKEY_CURRENT_USER, kDesktop, "LogPixels"};
};

// Every visible control of `window` lies inside its client area, and no button covers another
// or a list (group boxes frame other controls by design); then the picture is saved.
void expect_laid_out(HWND window, const std::string& shot) {
  RECT client{};
  GetClientRect(window, &client);
  struct Placed {
    int id;
    std::string class_name;
    RECT r;
  };
  std::vector<Placed> shown;
  for (const auto& c : driver::children(window)) {
    if (GetParent(c.hwnd) != window || !IsWindowVisible(c.hwnd)) continue;
    const RECT r = rect_in(window, c.hwnd);
    if (r.right <= r.left || r.bottom <= r.top) continue;
    SCOPED_TRACE(c.id);
    EXPECT_GE(r.left, 0) << c.text;
    EXPECT_GE(r.top, 0) << c.text;
    EXPECT_LE(r.right, client.right) << c.text;
    EXPECT_LE(r.bottom, client.bottom) << c.text;
    shown.push_back({c.id, c.class_name, r});
  }
  for (std::size_t i = 0; i < shown.size(); ++i)
    for (std::size_t j = i + 1; j < shown.size(); ++j) {
      const bool a_button = shown[i].class_name == "Button", b_button = shown[j].class_name == "Button";
      const bool a_list = shown[i].class_name == "SysListView32", b_list = shown[j].class_name == "SysListView32";
      if (!((a_button && (b_button || b_list)) || (a_list && b_button))) continue;
      const LONG style_a = GetWindowLongA(GetDlgItem(window, shown[i].id), GWL_STYLE) & BS_TYPEMASK;
      const LONG style_b = GetWindowLongA(GetDlgItem(window, shown[j].id), GWL_STYLE) & BS_TYPEMASK;
      if ((a_button && style_a == BS_GROUPBOX) || (b_button && style_b == BS_GROUPBOX)) continue;
      EXPECT_FALSE(overlap(shown[i].r, shown[j].r)) << shown[i].id << " covers " << shown[j].id;
    }
  EXPECT_TRUE(test::screenshot(shot));
}

TEST_P(Pages144Dpi, ControlsStayOnThePageAndApart) {
  const std::string page_switch = GetParam();
  Process e = start_explorer(page_switch);
  ASSERT_TRUE(e);
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND page = page_on_show(sheet);
  ASSERT_NE(page, nullptr);
  // The page fills its list (or options) before the picture.
  ASSERT_TRUE(poll([&] { return driver::children(page).size() > 3; }));
  std::string name = page_switch.substr(1);
  for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  expect_laid_out(page, "page_" + name + "_144dpi");
  EXPECT_EQ(quit_explorer(e), 0);
}

INSTANTIATE_TEST_SUITE_P(ManagingPages, Pages144Dpi, ::testing::Values("-START", "-SERVICE", "-TASK", "-OPTION"),
                         [](const auto& info) { return std::string(info.param + 1); });

// The explorer's dialogs and a monitor alert at the usual 96 and at 144 dots per inch: each is
// opened the way a user meets it, its controls stay inside it and apart, and it is pictured.
class DialogsAtDpi : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    reset_state();
    ASSERT_TRUE(test::set_dword(HKEY_CURRENT_USER, kDesktop, "LogPixels", static_cast<DWORD>(GetParam())));
  }
  void TearDown() override { reset_state(); }
  // A dialog of the explorer with this caption, waited for.
  HWND dialog_titled(const char* title) const {
    driver::WindowQuery q;
    q.class_name = "#32770";
    q.title = title;
    q.process_id = e_.pid;
    return driver::wait_for_window(q);
  }
  // Starts the explorer on a page and gives the page holding control `id` of this class.
  HWND open_page(const char* page_switch, int id, const char* class_name = nullptr) {
    e_ = start_explorer(page_switch);
    HWND sheet = dialog_of(e_.pid);
    return sheet ? page_with(sheet, id, class_name) : nullptr;
  }
  // Checks and pictures the dialog, closes it with `close_id` and ends the explorer.
  void check_then_close(HWND dialog, const std::string& name, int close_id) {
    expect_laid_out(dialog, name + "_" + std::to_string(GetParam()) + "dpi");
    driver::press(dialog, close_id);
    EXPECT_TRUE(driver::wait_until_gone(dialog));
    EXPECT_EQ(quit_explorer(e_), 0);
  }
  test::SavedValue dpi_{HKEY_CURRENT_USER, kDesktop, "LogPixels"};
  Process e_;
};

// The dialogs a button of a page opens, checked as they first show.
TEST_P(DialogsAtDpi, SetPatrolTimeAndHideAlerts) {
  constexpr int kMonitorImage = 1112, kHideRusko = 1025, kHideAlerts = 1236;
  struct Opened {
    const char* page_switch;
    int page_control, button;
    const char* title;
    const char* shot;
    int close_id;
  };
  for (const Opened& o : {Opened{"-START", kMonitorImage, kMonitorImage, "Patrol Time for Startup Programs",
                                 "set_patrol_time", IDCANCEL},
                          Opened{"-OPTIONS", kHideRusko, kHideAlerts, "Kestrom - Hide Alert Messages", "hide_alerts",
                                 IDOK}}) {
    SCOPED_TRACE(o.title);
    HWND page = open_page(o.page_switch, o.page_control);
    ASSERT_NE(page, nullptr);
    driver::press(page, o.button);
    HWND dialog = dialog_titled(o.title);
    ASSERT_NE(dialog, nullptr);
    check_then_close(dialog, o.shot, o.close_id);
  }
}

TEST_P(DialogsAtDpi, HistoryViewer) {
  constexpr int kViewHistory = 1104, kRecords = 1000;
  const std::string history = test::fixture("history.txt");
  {
    HANDLE f = CreateFileA(history.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    const std::string line =
        "01/02/2026  1:00 PM\t*START_Remove\tHKCU_RUN\tProbe Page Entry\t"
        "C:\\Program Files\\Probe\\probe.exe /tray\t\r\n";
    DWORD written = 0;
    WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(f);
  }
  test::set_value(HKEY_CURRENT_USER, kOptions, "History", "1");
  HWND options = open_page("-OPTIONS", kViewHistory, "Button");
  ASSERT_NE(options, nullptr);
  driver::press(options, kViewHistory);
  HWND viewer = dialog_titled("Kestrom History");
  ASSERT_NE(viewer, nullptr);
  ASSERT_TRUE(poll([&] { return driver::read_list_view(GetDlgItem(viewer, kRecords), 4).size() == 1; }));
  check_then_close(viewer, "history_viewer", IDOK);
  DeleteFileA(history.c_str());
}

// A protected startup place (ShellServiceObjectDelayLoad): Remove shows the default warning.
TEST_P(DialogsAtDpi, DefaultWarning) {
  constexpr const char* kDelayLoad = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
  constexpr const char* kClass = "CLSID\\{6B1E2F00-5A1B-4C2D-9E3F-0A1B2C3D4E5F}";
  constexpr const char* kClassId = "{6B1E2F00-5A1B-4C2D-9E3F-0A1B2C3D4E5F}";
  constexpr const char* kEntry = "Probe Delay Load";
  constexpr int kListId = 1000, kRemove = 1003, kCheck = 1152;
  test::set_value(HKEY_CLASSES_ROOT, std::string(kClass) + "\\InprocServer32", "", test::fixture("kt_agent.exe"));
  test::set_value(HKEY_LOCAL_MACHINE, kDelayLoad, kEntry, kClassId);
  test::set_value(HKEY_CURRENT_USER, kOptions, "ShowAllStartup", "1");
  HWND page = open_page("-START", kListId, "SysListView32");
  ASSERT_NE(page, nullptr);
  HWND list = GetDlgItem(page, kListId);
  int row = -1;
  ASSERT_TRUE(poll([&] {
    const auto rows = driver::read_list_view(list, 1);
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (!rows[i].empty() && rows[i][0] == kEntry) return (row = static_cast<int>(i)) >= 0;
    return false;
  }));
  ASSERT_TRUE(driver::select_list_row(list, row));
  driver::press(page, kRemove);
  driver::WindowQuery q;
  q.class_name = "#32770";
  q.process_id = e_.pid;
  q.visible_only = true;
  HWND dialog = nullptr;
  ASSERT_TRUE(poll([&] {
    for (HWND w : driver::find_windows(q))
      if (GetDlgItem(w, kCheck)) return (dialog = w) != nullptr;
    return false;
  }));
  check_then_close(dialog, "default_warning", IDOK);  // the box unticked: the entry stays
  EXPECT_EQ(test::get_value(HKEY_LOCAL_MACHINE, kDelayLoad, kEntry), kClassId);
  test::delete_value(HKEY_LOCAL_MACHINE, kDelayLoad, kEntry);
  test::delete_tree(HKEY_CLASSES_ROOT, kClass);
}

// The monitor's alert for a new service (the monitor reads the setting when it starts too).
TEST_P(DialogsAtDpi, NewServiceAlert) {
  constexpr UINT kRealtimeMessage = 9024;
  constexpr DWORD kPatrolWaitMs = 120000;  // two Patrol Cycles at most before the services step runs
  constexpr int kAllow = 6;
  test::TestService early("KtFixtureEarly", "Fixture Early Service", test::fixture("kt_service.exe"));
  ASSERT_TRUE(early);
  Process m = start_monitor_for_new_services(early);
  ASSERT_TRUE(m);
  HWND window = monitor_window(m.pid);
  ASSERT_NE(window, nullptr);
  test::TestService service("KtFixturePatrol", "Fixture Patrol Service", test::fixture("kt_service.exe"));
  ASSERT_TRUE(service);
  ASSERT_TRUE(service.start());
  PostMessageA(window, kRealtimeMessage, 0, 0);
  HWND alert = dialog_of(m.pid, "Kestrom New Program Alert", kPatrolWaitMs);
  ASSERT_NE(alert, nullptr);
  expect_laid_out(alert, "alert_new_service_" + std::to_string(GetParam()) + "dpi");
  ASSERT_TRUE(driver::press(alert, kAllow));
  ASSERT_TRUE(driver::wait_until_gone(alert, kWaitMs));
  EXPECT_EQ(wait_exit(start_monitor("alone", "-Q")), 0);
  EXPECT_EQ(wait_exit(m), 0);
}

INSTANTIATE_TEST_SUITE_P(ExplorerAndMonitor, DialogsAtDpi, ::testing::Values(96, 144),
                         [](const auto& info) { return std::to_string(info.param) + "dpi"; });

}  // namespace
}  // namespace kestrom::e2e
