#include "reports/scan_log_win.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <windows.h>
#include <shlobj.h>

#include "categories/file_types_win.hpp"
#include "common/paths.hpp"
#include "tools/test_support_win.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kSession = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const std::string kBho = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
const std::string kClass = "{0B5E1D7A-7E57-4C1A-9E57-5CA11065CA11}";
const std::string kIeMain = "Software\\Microsoft\\Internet Explorer\\Main";
const std::string kDelay = "Software\\Orvane\\Kestrom\\Delay";

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
void write_file(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}
std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", start)) {
    out.push_back(text.substr(start, at - start));
    start = at + 2;
  }
  EXPECT_EQ(start, text.size()) << "the log ends without its last line end";
  return out;
}
bool has_line(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class ScanLog : public ::testing::Test {
 protected:
  void SetUp() override {
    hosts_before_ = read_file(hosts_);
    delete_tree(HKEY_LOCAL_MACHINE, kBho + "\\" + kClass);
    delete_tree(HKEY_CLASSES_ROOT, "CLSID\\" + kClass);
  }
  void TearDown() override {
    write_file(hosts_, hosts_before_);
    delete_value(HKEY_CURRENT_USER, kRun, "Scan Agent");
    delete_value(HKEY_CURRENT_USER, kRun, "Forged\r\nO4 - HKLM\\..\\Run: [fake]");
    delete_tree(HKEY_LOCAL_MACHINE, kBho + "\\" + kClass);
    delete_tree(HKEY_CLASSES_ROOT, "CLSID\\" + kClass);
    DeleteFileA(log_.c_str());
    delete_tree(HKEY_CURRENT_USER, kDelay);
    for (std::string_view key :
         {file_types::kExtKey, file_types::kExtAppKey, file_types::kExtProgIdKey, file_types::kClassKey})
      delete_tree(HKEY_CURRENT_USER, std::string(key));
  }
  std::string hosts_ = windows_folder() + "\\system32\\drivers\\etc\\hosts";
  std::string hosts_before_;
  std::string log_ = test_program_folder() + "\\HijackKestrom.log";
  SavedValue boot_{HKEY_LOCAL_MACHINE, kSession, "BootExecute"};
  SavedValue start_page_{HKEY_CURRENT_USER, kIeMain, "Start Page"};
};

}  // namespace

TEST_F(ScanLog, LogOfAPrefixWithEntries) {
  const std::string agent = fixture("kt_agent.exe");
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kRun, "Scan Agent", agent));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kRun, "Forged\r\nO4 - HKLM\\..\\Run: [fake]", agent));
  write_file(hosts_, "# comment\r\n127.0.0.1\tlocalhost\r\n::1 localhost\r\n10.0.0.1 bank.example\r\n"
                     "0.0.0.0 ads.example\r\n10.1.2.3 last.example");
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, kBho + "\\" + kClass, "", ""));
  ASSERT_TRUE(set_value(HKEY_CLASSES_ROOT, "CLSID\\" + kClass, "", "Scan Helper"));
  ASSERT_TRUE(set_value(HKEY_CLASSES_ROOT, "CLSID\\" + kClass + "\\InprocServer32", "", "C:\\helper.dll"));
  const char boot[] = "autocheck autochk *\0scan.exe \"x\"\0\0";
  ASSERT_TRUE(set_raw(HKEY_LOCAL_MACHINE, kSession, "BootExecute", REG_MULTI_SZ, boot, sizeof boot - 1));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kIeMain, "Start Page", "http://start.example/\r\nO2 - BHO: fake"));

  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kDelay, agent, "11"));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kDelay + "\\Time", agent, "30"));

  // As the explorer's start-up does, so the watched associations are listed.
  file_types::build_file_type_snapshot();

  reports::ScanTexts texts;
  texts.product_title = "Kestrom";
  texts.auto_update[4] = "Automatic.";
  ASSERT_TRUE(reports::save_scan_log(log_, texts));
  const std::string text = read_file(log_);
  const std::vector<std::string> lines = lines_of(text);
  ASSERT_GE(lines.size(), 20u);
  EXPECT_EQ(lines[0].rfind("Log created by Kestrom version ", 0), 0u);
  EXPECT_EQ(lines[1].rfind("Scan saved at ", 0), 0u);
  EXPECT_EQ(lines[5], "");
  EXPECT_EQ(lines[6], "Running processes:");
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.find("wine_reports_scan_log_test.exe") != std::string::npos; }));

  // The HOSTS lines: the address compared as a whole, on the last line too.
  std::vector<std::string> o1;
  for (const auto& l : lines)
    if (l.rfind("O1 - ", 0) == 0) o1.push_back(l);
  EXPECT_EQ(o1, (std::vector<std::string>{"O1 - Hosts: 10.0.0.1 bank.example", "O1 - Hosts: 10.1.2.3 last.example"}));

  EXPECT_TRUE(has_line(lines, "O2 - BHO: Scan Helper - " + kClass + " - C:\\helper.dll"));
  EXPECT_TRUE(has_line(lines, "O4 - HKCU\\..\\Run: [Scan Agent]" + agent));
  EXPECT_TRUE(has_line(lines, "O4 - HKCU\\..\\Run: [ForgedO4 - HKLM\\..\\Run: [fake]]" + agent));
  EXPECT_TRUE(has_line(lines,
                       "R0 - HKCU\\Software\\Microsoft\\Internet Explorer\\Main,Start Page = http://start.example/O2 - BHO: fake"));
  EXPECT_FALSE(has_line(lines, "O2 - BHO: fake"));
  EXPECT_TRUE(has_line(lines, "KT00 - HKLM\\CCS: BootExecute = autocheck autochk *"));
  EXPECT_TRUE(has_line(lines, "KT00 - HKLM\\CCS: BootExecute = scan.exe \"x\""));
  EXPECT_TRUE(has_line(lines, "---  Additional Kestrom Info  ---"));
  EXPECT_FALSE(std::any_of(lines.begin(), lines.end(),
                           [](const std::string& l) { return l.rfind("America Online", 0) == 0; }));
  // The delayed program, and the empty line after the delayed list.
  const auto delayed = std::find_if(lines.begin(), lines.end(),
                                    [](const std::string& l) { return l.rfind("KT06 - Delayed Start: [", 0) == 0; });
  ASSERT_NE(delayed, lines.end());
  EXPECT_EQ(delayed->substr(delayed->size() - agent.size()), agent) << *delayed;
  ASSERT_NE(delayed + 1, lines.end());
  EXPECT_EQ(*(delayed + 1), "");

  // The prefix's own associations of the watched extensions (".rtf" opens in WordPad).
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.rfind("KT33 - File Type .", 0) == 0; }))
      << text;

  // The trailer, and the memory lines in groups of three digits.
  ASSERT_GE(lines.size(), 8u);
  const std::size_t n = lines.size();
  EXPECT_EQ(lines[n - 4], "");
  EXPECT_EQ(lines[n - 3], "");
  EXPECT_EQ(lines[n - 2], "--");
  EXPECT_EQ(lines[n - 1], "End of file");
  EXPECT_EQ(lines[n - 8].rfind("Memory currently in use: ", 0), 0u);
  EXPECT_EQ(lines[n - 7].rfind("Physical Memory Free: ", 0), 0u);
  EXPECT_NE(lines[n - 7].find(','), std::string::npos) << lines[n - 7];
  EXPECT_EQ(lines[n - 5].substr(lines[n - 5].size() - 3), " KB");
}

TEST_F(ScanLog, AFileThatCannotBeCreatedIsNotReported) {
  reports::ScanTexts texts;
  EXPECT_FALSE(reports::save_scan_log(test_program_folder() + "\\no such folder\\HijackKestrom.log", texts));
}

namespace {

const std::string kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

LRESULT CALLBACK plain_window(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

}  // namespace

// A program in the user's own startup folder starts for that user only ("Startup"); one in the
// all-users folder for everyone ("Global Startup"). An open America Online window and an
// Internet Explorer cookie folder give their lines.
TEST_F(ScanLog, StartupFoldersByWhoTheyStartForAolWindowAndCookieCount) {
  const std::string user = get_value(HKEY_CURRENT_USER, kShellFolders, "Startup");
  const std::string everyone = get_value(HKEY_LOCAL_MACHINE, kShellFolders, "Common Startup");
  ASSERT_NE(user, "<missing>");
  ASSERT_NE(everyone, "<missing>");
  SHCreateDirectoryExA(nullptr, user.c_str(), nullptr);
  SHCreateDirectoryExA(nullptr, everyone.c_str(), nullptr);
  const std::string mine = user + "\\scan_user.exe", all = everyone + "\\scan_all.exe";
  ASSERT_TRUE(CopyFileA(fixture("kt_agent.exe").c_str(), mine.c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(fixture("kt_agent.exe").c_str(), all.c_str(), FALSE));

  SavedValue cookie_folder(HKEY_CURRENT_USER, "Software\\Orvane\\Kestrom", "IECookieFolder");
  const std::string cookies = test_program_folder() + "\\scan_cookies";
  CreateDirectoryA(cookies.c_str(), nullptr);
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, "Software\\Orvane\\Kestrom", "IECookieFolder", cookies));
  for (const char* name : {"index.dat", "user@news[1].txt", "user@shop[2].txt"}) write_file(cookies + "\\" + name, "x");

  WNDCLASSA wc{};
  wc.lpfnWndProc = plain_window;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "AOL Frame25";
  RegisterClassA(&wc);
  HWND aol = CreateWindowA("AOL Frame25", "America Online", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                           wc.hInstance, nullptr);
  ASSERT_NE(aol, nullptr);

  reports::ScanTexts texts;
  const bool saved = reports::save_scan_log(log_, texts);
  DestroyWindow(aol);
  DeleteFileA(mine.c_str());
  DeleteFileA(all.c_str());
  for (const char* name : {"index.dat", "user@news[1].txt", "user@shop[2].txt"}) DeleteFileA((cookies + "\\" + name).c_str());
  RemoveDirectoryA(cookies.c_str());
  ASSERT_TRUE(saved);
  const std::string text = read_file(log_);
  const std::vector<std::string> lines = lines_of(text);

  EXPECT_TRUE(has_line(lines, "O4 - Startup: scan_user.exe=" + mine)) << text;
  EXPECT_TRUE(has_line(lines, "O4 - Global Startup: scan_all.exe=" + all)) << text;
  EXPECT_TRUE(has_line(lines, "2 IE Cookies in Folder: " + cookies + "\\")) << text;
  const auto line = std::find_if(lines.begin(), lines.end(),
                                 [](const std::string& l) { return l.rfind("America Online version ", 0) == 0; });
  ASSERT_NE(line, lines.end()) << text;
  // The window's own program: this test.
  EXPECT_NE(line->find(" running "), std::string::npos);
  EXPECT_NE(line->find("wine_reports_scan_log_test.exe"), std::string::npos) << *line;
}
