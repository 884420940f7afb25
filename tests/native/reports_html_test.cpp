// The program report's and the CSV log's lines against golden files, with hostile texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "reports/csv_log.hpp"
#include "reports/program_report.hpp"
#include "reports/report_text.hpp"

using namespace kestrom;
using namespace kestrom::reports;

namespace {

// Compares with the golden file, or writes it when KESTROM_UPDATE_GOLDEN is set.
void expect_golden(const std::string& name, const std::string& actual) {
  const std::string path = std::string(KESTROM_GOLDEN_DIR) + "/" + name;
  if (std::getenv("KESTROM_UPDATE_GOLDEN")) {
    std::ofstream(path, std::ios::binary) << actual;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << "missing golden file " << path;
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_EQ(actual, ss.str()) << "differs from " << path;
}

// RFC 4180 records: fields split at commas outside quotes, doubled quotes read as one.
std::vector<std::vector<std::string>> parse_csv(const std::string& text) {
  std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        rows.back().back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        rows.back().back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rows.back().emplace_back();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
      if (i + 1 < text.size()) rows.emplace_back(1);
    } else {
      rows.back().back() += c;
    }
  }
  return rows;
}

ReportEntry entry(std::string title, std::string file, int code) {
  ReportEntry e;
  e.item.title = std::move(title);
  e.item.file = std::move(file);
  e.item.code = code;
  e.program_name = std::string(e.item.file.substr(e.item.file.rfind('\\') + 1));
  return e;
}

const LinkParts kLink{"https://info.example", "17.0.2010.0:17.0.2010.0", "us"};

SectionTitles titles() {
  return {"Startup Programs", " Delayed Start ",  " Active Tasks ",   " Scheduled Tasks ", " IE Helpers ",
          " File Types ",     " Services ",        " Hidden Files ",   " ActiveX <x> "};
}

// One entry or more for every section, hostile texts among them.
std::vector<std::vector<ReportEntry>> sample_sections() {
  std::vector<std::vector<ReportEntry>> s(kSectionCount);
  auto hostile = entry("<img src=x onerror=alert(1)>", "C:\\Evil\\a'b\"<c>.exe", 1);
  hostile.company = "Acme & <Sons>";
  hostile.product_version = "1.0'\"";
  hostile.description = "desc\twith\r\nbreaks";
  hostile.copyright = "(c) <script>x</script>";
  hostile.location = "HKLM\\...\\Run";
  hostile.detected = "3/9/2026 9:01:00 AM";
  s[kStartupSection].push_back(hostile);
  auto bare = entry("", "C:\\Tools\\noversion.exe", 11);  // no title, no version information
  bare.location = "HKCU\\...\\Run";
  s[kStartupSection].push_back(bare);
  s[kStartupSection].push_back(entry("", "", 11));  // skipped
  auto named = entry("No File Here", "", 200);
  named.program_name.clear();
  s[kStartupSection].push_back(named);
  s[kDelayedSection].push_back(entry("Later", "C:\\Later\\later.exe", 1));
  s[kActiveTasksSection].push_back(entry("agent.exe", "C:\\Agent\\agent.exe", 600));
  s[kScheduledTasksSection].push_back(entry("Nightly", "C:\\Jobs\\nightly.exe", 800));
  auto toolbar = entry("Toolbar", "C:\\Bars\\bar.dll", 901);
  toolbar.item.detail = "{CLSID}";
  s[kIEHelpersSection].push_back(toolbar);
  s[kFileTypesSection].push_back(entry(".txt", "C:\\Windows\\notepad.exe", 1400));
  auto service = entry("Spooler", "C:\\Windows\\system32\\spoolsv.exe", 700);
  service.item.command = "Automatic";
  service.service_state = "Running";
  s[kServicesSection].push_back(service);
  auto quiet = entry("Quiet", "C:\\q.exe", 700);
  quiet.item.command = "Manual";
  s[kServicesSection].push_back(quiet);
  auto hidden = entry("hidden.dat", "C:\\Users\\me\\hidden.dat", 370);
  hidden.created = "2026/03/01 10:00";
  hidden.accessed = "2026/03/02 11:00";
  hidden.written = "2026/03/03 12:00";
  hidden.size = "1024";
  s[kHiddenFilesSection].push_back(hidden);
  s[kActiveXSection].push_back(entry("Control", "C:\\ax\\ctl.ocx", 1155));
  return s;
}

SystemHeader sample_header() {
  SystemHeader h;
  h.product_title = "Kestrom";
  h.version = "17.0";
  h.now = LocalTime{2026, 3, 9, 14, 5, 9};
  h.platform = "Windows 10 <Pro>";
  h.browser_found = true;
  h.browser_product = "Fox & Co";
  h.browser_description = "Browser";
  h.browser_version = "1.2";
  h.memory_load = 42;
  h.ie_found = true;
  h.ie_description = "Internet Explorer";
  h.ie_version = "11.0";
  h.ie_cookie_path = "C:\\Users\\me\\Cookies\\";
  h.browsers[1] = SystemHeader::Installed{"115.0", "C:\\Program Files\\Mozilla Firefox"};
  h.ie_main[0] = "Title</title><script>";
  h.ie_main[3] = "http://start.example/?a=1&b=2";
  h.winlogon[2] = "explorer.exe";
  h.winlogon[3] = "C:\\Windows\\system32\\userinit.exe,";
  return h;
}

}  // namespace

TEST(ReportText, EscapingQuotingAndTheTwelveHourClock) {
  EXPECT_EQ(html_escape("<img src=x onerror=alert(1)>"), "&lt;img src=x onerror=alert(1)&gt;");
  EXPECT_EQ(html_escape("a&b'c\"d"), "a&amp;b&#39;c&quot;d");
  EXPECT_EQ(csv_field("plain"), "plain");
  EXPECT_EQ(csv_field("Acme, Inc"), "\"Acme, Inc\"");
  EXPECT_EQ(csv_field("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(csv_field("two\r\nlines"), "\"two\r\nlines\"");
  EXPECT_EQ(csv_field("=1+1"), "'=1+1");
  EXPECT_EQ(csv_field("+1"), "'+1");
  EXPECT_EQ(csv_field("-2"), "'-2");
  EXPECT_EQ(csv_field("@SUM(A1)"), "'@SUM(A1)");
  EXPECT_EQ(csv_field("=HYPERLINK(\"x\",\"y\")"), "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\"");
  EXPECT_EQ(csv_field("a=1"), "a=1");
  EXPECT_EQ(csv_field("-x", " "), " '-x");
  EXPECT_EQ(csv_field("a,b", " "), "\" a,b\"");
  EXPECT_EQ(csv_field(""), "");

  EXPECT_EQ(report_clock_text({2026, 3, 9, 14, 5, 9}), " 2:05:09 PM");
  EXPECT_EQ(report_clock_text({2026, 3, 9, 12, 0, 1}), "12:00:01 PM");
  EXPECT_EQ(report_clock_text({2026, 3, 9, 0, 30, 0}), "12:30:00 AM");
  EXPECT_EQ(report_clock_text({2026, 3, 9, 11, 59, 59}), "11:59:59 AM");
  EXPECT_EQ(report_date_text({2026, 3, 9, 0, 0, 0}), " 3/09/2026");
}

TEST(ProgramReport, HtmlFormAgainstGoldenFile) {
  const auto sections = sample_sections();
  const SectionTitles t = titles();
  std::string doc = html_head(sample_header(), t);
  for (int s = 0; s < kSectionCount; ++s) {
    doc += html_section_head(s, t[static_cast<std::size_t>(s)]);
    for (const auto& e : sections[static_cast<std::size_t>(s)])
      if (!report_skips(e.item)) doc += html_entry(s, e, kLink, "Location");
  }
  doc += html_end();
  expect_golden("program_report.html", doc);

  // No text from the system opens an element.
  EXPECT_EQ(doc.find("<img"), std::string::npos);
  EXPECT_EQ(doc.find("<script"), std::string::npos);
  EXPECT_EQ(doc.find("<Sons"), std::string::npos);
  EXPECT_EQ(doc.find("<x>"), std::string::npos);
}

TEST(ProgramReport, EntryLinesFollowTheirConditions) {
  auto service = sample_sections()[kServicesSection];
  const std::string running = html_entry(kServicesSection, service[0], kLink, "Location");
  EXPECT_NE(running.find("\tStartup Type: Automatic<br>\r\n\tService Status: Running<br>\r\n"), std::string::npos);
  EXPECT_EQ(html_entry(kServicesSection, service[1], kLink, "Location").find("Service Status"), std::string::npos);
  const auto startup = sample_sections()[kStartupSection];
  EXPECT_EQ(html_entry(kStartupSection, startup[0], kLink, "Location").find("Startup Type"), std::string::npos);
  // No version information: "<br>" stands for description and copyright.
  const std::string bare = html_entry(kStartupSection, startup[1], kLink, "Location");
  EXPECT_NE(bare.find("<li><b>No Description available</b>"), std::string::npos);
  EXPECT_NE(bare.find("&nbsp\r\n<br>\tLocation: "), std::string::npos);
  EXPECT_TRUE(report_skips(startup[2].item));
  const auto toolbar = sample_sections()[kIEHelpersSection][0];
  EXPECT_NE(html_entry(kIEHelpersSection, toolbar, kLink, "Location")
                .find("Location: \"HKLM\\SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar\"<br>\r\n"),
            std::string::npos);
}

TEST(ProgramReport, InformationLinkEncodesEveryFieldAndStaysInItsAttribute) {
  auto named = sample_sections()[kStartupSection][3];  // no file: the title names the program
  named.item.title = "My Tool & <x>'";
  const std::string link = information_link(named, kLink);
  EXPECT_EQ(link,
            "https://info.example/cgi-bin/vantinfo.pl?program=My%20Tool%20+%20%3Cx%3E'&vendor=&version="
            "&build=17.0.2010.0:17.0.2010.0&Type=200&Loc=us");
  const std::string line = html_entry(kStartupSection, named, kLink, "Location");
  EXPECT_NE(line.find("<A href='https://info.example/cgi-bin/vantinfo.pl?program=My%20Tool%20+%20%3Cx%3E&#39;&amp;"
                      "vendor=&amp;"),
            std::string::npos);
  LinkParts no_language = kLink;
  no_language.language.clear();
  EXPECT_NE(information_link(named, no_language).find("&Loc=en"), std::string::npos);
}

TEST(ProgramReport, TextFormAgainstGoldenFileWithOneLinePerItem) {
  const auto sections = sample_sections();
  const SectionTitles t = titles();
  std::string doc(text_head());
  std::size_t items = 0;
  for (int s = 0; s < kSectionCount; ++s) {
    doc += text_section_head(t[static_cast<std::size_t>(s)]);
    for (const auto& e : sections[static_cast<std::size_t>(s)])
      if (!report_skips(e.item)) {
        const std::string line = text_entry(e);
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 6) << line;
        EXPECT_EQ(line.find('\n'), line.size() - 1) << line;
        doc += line;
        ++items;
      }
  }
  expect_golden("program_report.txt", doc);
  EXPECT_EQ(std::count(doc.begin(), doc.end(), '\n'), static_cast<long>(1 + kSectionCount + items));
}

TEST(CsvLog, GoldenFileEveryRowKeepsItsNineFields) {
  std::vector<CsvRow> rows{
      {"HKLM", "RunOnce", "Acme, Inc Agent", "agent,x.exe", "Acme, Inc", "3/9/2026", "C:\\Acme\\agent,x.exe",
       "Agent, the", "1,0"},
      {"HKCU", "Run", "=1+1", "-cmd.exe", "@corp", "", "rundll32 x.dll,Entry", "+desc", "-1"},
      {"Services", "Running", "say \"hi\"", "q.exe", "", "", "C:\\q.exe \"arg\"", "line\r\nbreak", "2"},
      {"Startup", "Folder", "multi\nline", "a.lnk", "", "", "C:\\Start\\a.lnk", "", ""},
  };
  std::string doc = csv_head("Kestrom", "17.0", LocalTime{2026, 3, 9, 0, 5, 9});
  for (const auto& r : rows) doc += csv_row(r);
  expect_golden("csv_log.csv", doc);

  const auto records = parse_csv(doc);
  ASSERT_EQ(records.size(), 3 + rows.size());
  EXPECT_EQ(records[1][0], "Scan saved at 12:05:09 AM");
  EXPECT_EQ(records[2].size(), 9u);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& f = records[3 + i];
    ASSERT_EQ(f.size(), 9u) << i;
    EXPECT_EQ(f[0], rows[i].type);
    EXPECT_EQ(f[6], rows[i].path);
  }
  EXPECT_EQ(records[3][2], "Acme, Inc Agent");
  EXPECT_EQ(records[3][3], " agent x.exe");  // commas in the Filename, Company, Description and Version become blanks
  EXPECT_EQ(records[3][4], "Acme  Inc");
  EXPECT_EQ(records[4][2], "'=1+1");
  EXPECT_EQ(records[4][3], " '-cmd.exe");
  EXPECT_EQ(records[4][4], "'@corp");
  EXPECT_EQ(records[5][2], "say \"hi\"");
  EXPECT_EQ(records[5][7], "line\r\nbreak");
}

TEST(CsvLog, RunEntryTypesAndSubTypes) {
  EXPECT_EQ(run_entry_type(2), "HKLM");
  EXPECT_EQ(run_entry_subtype(2), "RunOnce");
  EXPECT_EQ(run_entry_type(7), "UnknownKey");
  EXPECT_EQ(run_entry_subtype(7), "Run");
  EXPECT_EQ(run_entry_type(14), "HKCU");
  EXPECT_EQ(run_entry_subtype(14), "RunServices");
  EXPECT_EQ(run_entry_subtype(15), "RunServicesOnce");
  EXPECT_EQ(run_entry_type(23), "HKLM");
  EXPECT_EQ(run_entry_subtype(25), "RunServiceOnce");
  EXPECT_EQ(run_entry_subtype(16), "RunOnceSetup");
}
