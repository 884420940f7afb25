// The report commands as a user gives them: the Options page's "Kestrom &Log" and
// "&Spreadsheet Report" buttons and command 9 of a list page write their files, which the
// shell then opens (here in the stand-in); a report file that cannot be created is told.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/e2e/e2e_support_win.hpp"

namespace kestrom::e2e {
namespace {

using test::poll;
using test::set_value;

constexpr int kHideRusko = 1025, kLogButton = 1108, kSpreadsheetButton = 1110, kList = 1000, kLogCommand = 9;
constexpr const char* kDocClass = "KtReportDocument";
constexpr const char* kHostile = "<img src=x onerror=alert(1)>";

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class ReportButtons : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_state();
    CreateDirectoryA(folder_.c_str(), nullptr);
    RemoveDirectoryA((folder_ + "\\KestromLog.html").c_str());
    for (const std::string& f : {folder_ + "\\KestromLog.html", folder_ + "\\KestromLog.txt", csv_})
      DeleteFileA(f.c_str());
    const std::string command = "\"" + test::fixture("fixtures\\fake_explorer.exe") + "\" \"%1\"";
    set_value(HKEY_CLASSES_ROOT, std::string(kDocClass) + "\\shell\\open\\command", "", command);
    for (const char* ext : {".html", ".txt", ".csv"}) set_value(HKEY_CLASSES_ROOT, ext, "", kDocClass);
    set_value(HKEY_CURRENT_USER, kUserRun, kHostile, "\"" + test::fixture("kt_agent.exe") + "\"");
  }
  void TearDown() override {
    if (explorer_) quit_explorer(explorer_);
    reset_state();
    test::delete_tree(HKEY_CLASSES_ROOT, kDocClass);
    test::delete_value(HKEY_CURRENT_USER, kUserRun, kHostile);
    RemoveDirectoryA((folder_ + "\\KestromLog.html").c_str());
  }

  // The explorer on a page, working in the report folder.
  HWND open(const char* page_switch) {
    explorer_ = test::start_process(test::fixture("KestromEx.exe"), page_switch, folder_);
    return explorer_ ? dialog_of(explorer_.pid) : nullptr;
  }

  bool opened(const std::string& name) {
    return poll([&] {
      for (const auto& s : explorer_starts())
        if (s.find(name) != std::string::npos) return true;
      return false;
    });
  }

  const std::string folder_ = test::test_program_folder() + "\\report-e2e";
  const std::string csv_ = test::test_program_folder() + "\\KestromLog.csv";
  test::SavedValue html_{HKEY_CLASSES_ROOT, ".html", ""};
  test::SavedValue txt_{HKEY_CLASSES_ROOT, ".txt", ""};
  test::SavedValue csv_ext_{HKEY_CLASSES_ROOT, ".csv", ""};
  Process explorer_;
};

}  // namespace

TEST_F(ReportButtons, OptionsPageButtonsWriteAndOpenTheReportAndTheSpreadsheetLog) {
  set_value(HKEY_CURRENT_USER, kOptions, "Format", "0");
  HWND sheet = open("-OPTIONS");
  ASSERT_NE(sheet, nullptr);
  HWND page = page_with(sheet, kHideRusko);
  ASSERT_NE(page, nullptr);

  driver::post(GetDlgItem(page, kLogButton), BM_CLICK);
  ASSERT_TRUE(opened("KestromLog.html")) << "the report was not opened";
  const std::string html = read_file(folder_ + "\\KestromLog.html");
  EXPECT_NE(html.find("<A href='KestromLog.html#A6'>Services </A><br>"), std::string::npos);
  EXPECT_NE(html.find("<center><b><BIG><BIG> \x95 Startup Programs \x95 </BIG></BIG></b></center>"),
            std::string::npos);
  EXPECT_NE(html.find("<li><b>&lt;img src=x onerror=alert(1)&gt;</b>"), std::string::npos);
  EXPECT_TRUE(html.ends_with("</body></html>\r\n"));

  driver::post(GetDlgItem(page, kSpreadsheetButton), BM_CLICK);
  ASSERT_TRUE(opened("KestromLog.csv")) << "the CSV log was not opened";
  const std::string csv = read_file(csv_);
  EXPECT_NE(csv.find("\r\nType,SubType,Title,Filename,Company,First Detected,Path,Description, Version\r\n"),
            std::string::npos);
  EXPECT_NE(csv.find("\r\nHKCU,Run," + std::string(kHostile) + ", kt_agent.exe,Fixture Works,"), std::string::npos);
  test::screenshot("report_buttons_options");
}

TEST_F(ReportButtons, CommandNineOfAListPageWritesTheTextFormAndAFailureIsTold) {
  set_value(HKEY_CURRENT_USER, kOptions, "Format", "1");
  HWND sheet = open("-START");
  ASSERT_NE(sheet, nullptr);
  HWND page = page_with(sheet, kList);
  ASSERT_NE(page, nullptr);
  driver::post(page, WM_COMMAND, kLogCommand, 0);
  ASSERT_TRUE(opened("KestromLog.txt"));
  const std::string text = read_file(folder_ + "\\KestromLog.txt");
  EXPECT_TRUE(text.starts_with("Title\tProgram\tDescription\tVersion\tCopyright\tLocation\tPath\r\nStartup Programs\r\n"));
  EXPECT_NE(text.find(std::string(kHostile) + "\tkt_agent.exe\tAgent Helper\t1.2.3.4\t"), std::string::npos);

  // A folder where the report should go: the file cannot be created.
  set_value(HKEY_CURRENT_USER, kOptions, "Format", "0");
  ASSERT_TRUE(CreateDirectoryA((folder_ + "\\KestromLog.html").c_str(), nullptr));
  test::forget_explorer_starts();
  driver::post(page, WM_COMMAND, kLogCommand, 0);
  HWND box = nullptr;
  ASSERT_TRUE(poll([&] {
    driver::WindowQuery q;
    q.class_name = "#32770";
    q.process_id = explorer_.pid;
    q.visible_only = true;
    for (HWND w : driver::find_windows(q))
      if (message_text(w).find("could not be written") != std::string::npos) return (box = w) != nullptr;
    return false;
  })) << "no message about the report";
  EXPECT_NE(message_text(box).find("KestromLog.html"), std::string::npos) << message_text(box);
  test::screenshot("report_not_written");
  driver::press(box, IDOK);
  EXPECT_TRUE(explorer_starts().empty()) << "a report that was not written was opened";
}

}  // namespace kestrom::e2e
