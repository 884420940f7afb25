// The program report and the CSV log written on the prefix: fixed sections against golden
// files, the real listings with a hostile Run value, the form chosen by Format, the shell's
// "open" only for a complete file, and a file that cannot be created.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "categories/services_win.hpp"
#include "common/info_server_win.hpp"
#include "platform/com.hpp"
#include "reports/csv_log_win.hpp"
#include "reports/program_report_win.hpp"
#include "startup/enumerate.hpp"
#include "tools/test_support_win.hpp"

using namespace kestrom;
using namespace kestrom::reports;
using namespace kestrom::test;

namespace {

constexpr const char* kUserRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kOptions = "Software\\Orvane\\Kestrom\\Options";
constexpr const char* kDetectedStartup = "Software\\Orvane\\Detected\\Startup";
constexpr const char* kHostileName = "<img src=x onerror=alert(1)>";
constexpr const char* kDocClass = "KtReportDocument";

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Compares with the golden file beside the test programs; a difference leaves the actual text
// beside it as "<name>.actual" for review.
void expect_golden(const std::string& name, const std::string& actual) {
  const std::string path = test_program_folder() + "\\golden\\" + name;
  const std::string expected = read_file(path);
  EXPECT_EQ(actual, expected) << "differs from " << path;
  if (actual != expected) std::ofstream(path + ".actual", std::ios::binary) << actual;
}

void replace_all(std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return;
  for (std::size_t p = text.find(from); p != std::string::npos; p = text.find(from, p + to.size()))
    text.replace(p, from.size(), to);
}

ProgramReportTexts texts() {
  return {{"Startup Programs", " Delayed Start ", " Active Tasks ", " Scheduled Tasks ", " IE Helpers ", " File Types ",
           " Services ", " Hidden Files ", " ActiveX "},
          "Location"};
}

void add(ItemList& list, std::string_view title, std::string_view file, int code, int value = 0,
         std::string_view command = {}) {
  list.add(title, file, command, {}, code, value, system_item_rules());
}

class Reports : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = test_program_folder() + "\\report-run";
    CreateDirectoryA(folder_.c_str(), nullptr);
    for (const char* name : {"KestromLog.html", "KestromLog.txt", "KestromLog.csv"})
      DeleteFileA((folder_ + "\\" + name).c_str());
    RemoveDirectoryA((folder_ + "\\KestromLog.html").c_str());
    GetCurrentDirectoryA(MAX_PATH, old_folder_);
    SetCurrentDirectoryA(folder_.c_str());
    // Documents open in the stand-in, which records what it was given.
    const std::string command = "\"" + fixture("fixtures\\fake_explorer.exe") + "\" \"%1\"";
    set_value(HKEY_CLASSES_ROOT, std::string(kDocClass) + "\\shell\\open\\command", "", command);
    for (const char* ext : {".html", ".txt", ".csv"}) set_value(HKEY_CLASSES_ROOT, ext, "", kDocClass);
    forget_explorer_starts();
    for (const std::string& f : {agent_, nodesc_}) delete_value(HKEY_CURRENT_USER, kDetectedStartup, f);
  }
  void TearDown() override {
    SetCurrentDirectoryA(old_folder_);
    delete_tree(HKEY_CLASSES_ROOT, kDocClass);
    delete_value(HKEY_CURRENT_USER, kUserRun, kHostileName);
    forget_explorer_starts();
  }

  std::string folder_;
  char old_folder_[MAX_PATH + 1] = {};
  const std::string agent_ = fixture("kt_agent.exe");
  const std::string nodesc_ = fixture("kt_nodesc.exe");
  SavedValue html_{HKEY_CLASSES_ROOT, ".html", ""};
  SavedValue txt_{HKEY_CLASSES_ROOT, ".txt", ""};
  SavedValue csv_{HKEY_CLASSES_ROOT, ".csv", ""};
  SavedValue format_{HKEY_CURRENT_USER, kOptions, "Format"};
};

// Fixed items with known version texts in three sections; the rest list nothing.
SectionListers fixed_listers(const std::string& agent, const std::string& nodesc) {
  SectionListers l;
  l[kStartupSection] = [=](ItemList& list) {
    add(list, kHostileName, "\"" + agent + "\" /min", 11);
    add(list, "", nodesc, 1);
  };
  l[kServicesSection] = [=](ItemList& list) { add(list, "Kt No Such Service", agent, 700, 0, "Manual"); };
  l[kIEHelpersSection] = [=](ItemList& list) { add(list, "Kt Toolbar", agent, 901, 0, "{KT-CLSID}"); };
  return l;
}

}  // namespace

TEST_F(Reports, FixedSectionsMatchTheGoldenFilesInBothForms) {
  const std::string html_path = folder_ + "\\fixed.html";
  ASSERT_TRUE(write_program_report_file(html_path, true, texts(), fixed_listers(agent_, nodesc_)));
  std::string html = read_file(html_path);
  ASSERT_TRUE(html.starts_with("<html><head><title>\r\nKestrom Report Log</title></head>\r\n")) << html.substr(0, 200);
  // The system header depends on the machine and the clock; everything from the sections on does not.
  const auto sections = html.find("<A NAME=\"A0\">");
  ASSERT_NE(sections, std::string::npos);
  html.erase(0, sections);
  replace_all(html, info_server::programs_build_text(), "BUILD");
  replace_all(html, info_server::configured_server_base(), "BASE");
  expect_golden("program_report_sections.html", html);

  const std::string text_path = folder_ + "\\fixed.txt";
  ASSERT_TRUE(write_program_report_file(text_path, false, texts(), fixed_listers(agent_, nodesc_)));
  expect_golden("program_report_sections.txt", read_file(text_path));
}

TEST_F(Reports, FormatChoosesTheFormTheHostileRunValueShowsAsTextAndTheFileIsOpened) {
  set_value(HKEY_CURRENT_USER, kUserRun, kHostileName, "\"" + agent_ + "\"");
  set_value(HKEY_CURRENT_USER, kOptions, "Format", "0");
  platform::ComApartment com;
  ReportOutcome out = write_program_report(nullptr, texts());
  ASSERT_TRUE(out.written);
  EXPECT_EQ(out.path, folder_ + "\\KestromLog.html");
  const std::string html = read_file(out.path);
  EXPECT_NE(html.find("<li><b>&lt;img src=x onerror=alert(1)&gt;</b>"), std::string::npos);
  EXPECT_EQ(html.find("<img"), std::string::npos);
  EXPECT_NE(html.find("Report created by "), std::string::npos);
  for (int s = 0; s < kSectionCount; ++s)
    EXPECT_NE(html.find("<A NAME=\"A" + std::to_string(s) + "\">"), std::string::npos) << s;
  EXPECT_TRUE(html.ends_with("</body></html>\r\n"));
  ASSERT_TRUE(wait_explorer_starts(1)) << "the report was not opened";
  EXPECT_NE(explorer_starts()[0].find("KestromLog.html"), std::string::npos) << explorer_starts()[0];

  forget_explorer_starts();
  set_value(HKEY_CURRENT_USER, kOptions, "Format", "1");
  out = write_program_report(nullptr, texts());
  ASSERT_TRUE(out.written);
  EXPECT_EQ(out.path, folder_ + "\\KestromLog.txt");
  const std::string text = read_file(out.path);
  EXPECT_TRUE(text.starts_with("Title\tProgram\tDescription\tVersion\tCopyright\tLocation\tPath\r\nStartup Programs\r\n"));
  EXPECT_NE(text.find(std::string(kHostileName) + "\tkt_agent.exe\tAgent Helper\t1.2.3.4\t"), std::string::npos);
  ASSERT_TRUE(wait_explorer_starts(1));
  EXPECT_NE(explorer_starts()[0].find("KestromLog.txt"), std::string::npos);
}

TEST_F(Reports, AFileThatCannotBeCreatedIsReportedAndNothingIsOpened) {
  // A folder in the file's place: creating the file fails as on a folder one may not write to.
  ASSERT_TRUE(CreateDirectoryA((folder_ + "\\KestromLog.html").c_str(), nullptr));
  set_value(HKEY_CURRENT_USER, kOptions, "Format", "0");
  platform::ComApartment com;
  EXPECT_FALSE(write_program_report(nullptr, texts()).written);
  EXPECT_FALSE(write_csv_log(nullptr, folder_ + "\\KestromLog.html"));
  EXPECT_FALSE(write_csv_log(nullptr, folder_ + "\\no such folder\\KestromLog.csv"));
  // The stand-in would have recorded an opening by now; a fresh opening proves it is alive.
  ASSERT_TRUE(write_csv_log(nullptr, folder_ + "\\KestromLog.csv"));
  ASSERT_TRUE(wait_explorer_starts(1));
  const auto starts = explorer_starts();
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_NE(starts[0].find("KestromLog.csv"), std::string::npos) << starts[0];
  RemoveDirectoryA((folder_ + "\\KestromLog.html").c_str());
}

TEST_F(Reports, CsvRowsOfFixedItemsMatchTheGoldenFile) {
  CsvListers l;
  l.startup = [&](ItemList& list) {
    add(list, "Acme, Inc \"Agent\"", "\"" + agent_ + "\" /a,b", 2);
    add(list, "=1+1", agent_, 7);
    add(list, "Folder Item", agent_, 200);
    add(list, "Not Run Family", agent_, 101);
  };
  l.ie_helpers = [&](ItemList& list) {
    add(list, "Kt Toolbar", agent_, 901, 0, "{T}");
    add(list, "Kt Helper", nodesc_, 900, 0, "{B}");
  };
  l.activex = [&](ItemList& list) {
    add(list, "Killed Control", agent_, 1200, 0x400, "{K}");
    add(list, "Live Control", agent_, 1200, 0x1, "{L}");
  };
  l.services = [&](ItemList& list) { add(list, "Kt No Such Service", agent_, 700, 0, "Manual"); };
  const std::string path = folder_ + "\\fixed.csv";
  ASSERT_TRUE(write_csv_log_file(path, l));
  std::string csv = read_file(path);
  ASSERT_TRUE(csv.starts_with("Log created by Kestrom version ")) << csv.substr(0, 100);
  // The two head lines carry the version and the clock.
  csv.erase(0, csv.find("\r\n", csv.find("\r\n") + 2) + 2);
  expect_golden("csv_log_rows.csv", csv);
}

// The files the real clients read (tests/clients): the real system header and a hostile item in
// every section, under the name the table of contents points at.
TEST_F(Reports, SampleReportsForTheClients) {
  const std::string folder = folder_ + "\\clients";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string hidden = folder + "\\hidden.dat";
  std::ofstream(hidden) << "x";
  SectionListers l;
  for (int s = 0; s < kSectionCount; ++s) {
    l[static_cast<std::size_t>(s)] = [=, this](ItemList& list) {
      const int code = s == kServicesSection ? 700 : s == kIEHelpersSection ? 900 : 1;
      add(list, "<img src=x onerror=alert(1)>", "\"" + agent_ + "\" /x", code, 0, "Manual");
      add(list, "<script>alert('s" + std::to_string(s) + "')</script> & \"q\"", nodesc_, code);
      add(list, "Plain", s == kHiddenFilesSection ? hidden : agent_, code);
    };
  }
  platform::ComApartment com;
  ASSERT_TRUE(write_program_report_file(folder + "\\KestromLog.html", true, texts(), l));

  CsvListers c;
  c.startup = [&](ItemList& list) {
    add(list, "Acme, Inc \"Agent\"", "\"" + agent_ + "\" /a,b", 2);
    add(list, "=1+1", agent_, 11);
    add(list, "@SUM(1;2)", "rundll32 " + agent_ + ",Entry", 7);
    add(list, "Folder Item", agent_, 200);
  };
  c.tasks = [&](ItemList& list) { add(list, "two\nlines", agent_, 800); };
  c.services = [&](ItemList& list) { add(list, "-Service", agent_, 700); };
  ASSERT_TRUE(write_csv_log_file(folder + "\\KestromLog.csv", c));
}

TEST_F(Reports, HiddenFileEntriesCarryTheFilesTimesAndSizeServicesTheirState) {
  const std::string file = folder_ + "\\times.dat";
  std::ofstream(file, std::ios::binary) << "12345";
  SYSTEMTIME before;
  GetLocalTime(&before);
  StartupItem item;
  item.title = "times.dat";
  item.file = file;
  item.code = 370;
  const ReportEntry e = gather_report_entry(kHiddenFilesSection, item);
  SYSTEMTIME after;
  GetLocalTime(&after);
  // Midnight of New Year's Eve may pass in between.
  for (const std::string* t : {&e.created, &e.accessed, &e.written})
    EXPECT_TRUE(t->starts_with(std::to_string(before.wYear) + "/") || t->starts_with(std::to_string(after.wYear) + "/"))
        << *t;
  EXPECT_EQ(e.size, "5");
  EXPECT_EQ(e.service_state, "");

  item.file = folder_ + "\\gone.dat";
  const ReportEntry gone = gather_report_entry(kHiddenFilesSection, item);
  EXPECT_EQ(gone.created, "");
  EXPECT_EQ(gone.size, "");
  item.title = "Kt No Such Service";
  item.code = 700;
  EXPECT_EQ(gather_report_entry(kServicesSection, item).service_state, "Stopped");
}

TEST_F(Reports, ServiceStatesFromOneEnumerationAgreeWithTheOneByOneQuery) {
  TestService service("KtReportService", "Kt Report Service", fixture("kt_service.exe"));
  ASSERT_TRUE(service);
  {
    const services::ServiceStateTexts stopped;
    EXPECT_EQ(stopped.text_of("Kt Report Service"), services::service_status_text("Kt Report Service"));
    EXPECT_EQ(stopped.text_of("Kt Report Service"), "Stopped");
  }
  ASSERT_TRUE(service.start());
  const services::ServiceStateTexts running;
  EXPECT_EQ(running.text_of("kt report SERVICE"), "Running");
  EXPECT_EQ(running.text_of("Kt Report Service"), services::service_status_text("Kt Report Service"));
  EXPECT_EQ(running.text_of("Kt Service Nobody Made"), services::service_status_text("Kt Service Nobody Made"));
}
