#include "reports/scan_log.hpp"

#include <gtest/gtest.h>

#include <sstream>

using namespace kestrom;
using namespace kestrom::reports;

namespace {

std::string lines(std::initializer_list<std::string_view> each) {
  std::string out;
  for (auto l : each) {
    out += l;
    out += "\r\n";
  }
  return out;
}

// Every category filled once, with texts that try to start lines of their own.
ScanFacts sample() {
  ScanFacts f;
  f.product_title = "Kestrom";
  f.program_version = "17.0.2010";
  f.time = LocalTime{2026, 3, 9, 14, 5, 7};
  f.platform = "Windows 7 SP1 (WinNT 6.01.7601)";
  f.msie = ProductVersion{"Internet Explorer", "8.00.7600.16385"};
  f.processes = {"C:\\Windows\\system32\\winlogon.exe", "C:\\evil.exe\r\nO4 - HKLM\\..\\Run: [fake] x"};
  f.browser_pages[1] = "http://start.example/";
  f.browser_pages[4] = "";
  f.system_shell = "explorer.exe";
  f.win_load = "loader.exe";
  f.userinit = "C:\\Windows\\system32\\userinit.exe,";
  f.current_user_run = "";
  f.hosts = "# comment\r\n127.0.0.1\tlocalhost\r\n::1 localhost\r\n10.0.0.1 bank.example\r\n0.0.0.0 ads.example\r\n"
            "x\r\n10.1.2.3 last.example";
  f.helpers = {{"Helper", "{11111111-1111-1111-1111-111111111111}", "C:\\h.dll"}};
  f.toolbars = {{"Bar", "{22222222-2222-2222-2222-222222222222}", "C:\\bar.dll"}};
  f.run_entries = {{1, "Agent", "C:\\agent.exe"}, {17, "Odd", "C:\\odd.exe"}, {11, "Me\nO1 - Hosts: 1.2.3.4 x", "C:\\me.exe"}};
  f.folder_entries = {{"C:\\Startup\\Tool.lnk", "C:\\tool.exe", false}, {"C:\\All\\Startup\\All.lnk", "C:\\all.exe", true}};
  f.inetcpl = "no";
  f.restrictions = true;
  f.system_policies = {std::uint32_t{1}, std::nullopt, std::uint32_t{0x1ff}};
  f.menu_extensions = {{"&Search", "res://x.dll/201"}};
  f.extra_buttons = {{"{33333333-3333-3333-3333-333333333333}", "", "C:\\b.exe", std::string("Tools item"), true},
                     {"{44444444-4444-4444-4444-444444444444}", "Gone", "", std::nullopt, false}};
  f.options_groups = {{"Group", "C:\\dir\\bits.bmp", "x.hlp"}, {"Skip", "b", "IEXPLORE.HLP#1"}};
  f.plugins = {{".pdf", "C:\\pdf.dll"}};
  f.default_prefix = "http://";
  f.www_prefix = "http://";
  f.www_dot_prefix = "http://";
  f.iereset_start_page = "http://reset.example/";
  f.iereset_file = "HKCU,\"Software\\Microsoft\\Internet Explorer\\Main\",\"Start Page\",0,http://a.example/\r\n"
                   "no comma Search Page\r\nHKLM,x,\"Search Page\",0,http://b.example/";
  f.trusted_domains = {"trusted.example"};
  f.downloads = {{"{55555555-5555-5555-5555-555555555555}", "Control", "http://dl.example/c.cab"}};
  f.dns[1].name_server = "10.0.0.53";
  f.dns[1].tcpip_domain = "corp.example";
  f.appinit_dlls = "C:\\inject.dll";
  f.delay_loads = {{"Tray", "Tray Object", "{E6FB5E20-de35-11cf-9c87-00aa005127ed}", "C:\\tray.dll"},
                   {"Own", "Own Object", "{66666666-6666-6666-6666-666666666666}", "C:\\own.dll"}};
  f.shared_task_schedulers = {{"Browseui", "{1}", "C:\\Windows\\BROWSEUI.DLL"}, {"Other", "{2}", "C:\\o.dll"}};
  f.services = {{"Agent Service", "Acme, Inc", "C:\\svc.exe"}};
  f.desktop_components = {{"My Current Home Page", "About:Home"}, {"Clock", "http://clock.example/"}, {"", "x"}, {"After", "y"}};
  f.aol = std::pair<std::string, std::string>{"9.0", "C:\\aol.exe"};
  f.mozilla = {{"Firefox", "3.6", "C:\\Program Files\\Mozilla Firefox"}};
  f.ie_cookies = CookieCount{12, "C:\\Cookies"};
  f.boot_execute[0] = {"autocheck autochk *", "evil.exe"};
  f.pending_renames[1] = {"\\??\\C:\\a.tmp", "", "\\??\\C:\\b.tmp", "!\\??\\C:\\c.tmp"};
  f.comspec = "%SystemRoot%\\system32\\cmd.exe";
  f.auto_update = 4;
  f.auto_update_text = "Automatically download recommended updates for my computer and install them.";
  f.delayed = {{"Late", "C:\\late.exe", "", "", 0}};
  f.tasks = {{"Nightly.job", "C:\\night.exe", "", "03/08/2026 2:00 AM", 0}};
  f.activex = {{"Control", "C:\\c.ocx", "{7}", "detail", 0}, {"Killed", "C:\\k.ocx", "{8}", "d", kKillBit | 1}};
  f.hidden_files = {{"", "C:\\hidden.dat", "", "", 0}};
  f.file_types = {{"Shell", "C:\\open.exe", "", ".exe", 0}};
  f.memory = MemoryStatus{42, 2147483648ull, 1024, 8796093022208ull};
  return f;
}

}  // namespace

TEST(ScanLog, GoldenLogOfEveryCategory) {
  const std::string expected = lines({
      "Log created by Kestrom version 17.0.2010",
      "Scan saved at  2:05:07 PM, on  3/09/2026",
      "Platform: Windows 7 SP1 (WinNT 6.01.7601)",
      "MSIE: Internet Explorer (8.00.7600.16385)",
      "Boot mode: Normal",
      "",
      "Running processes:",
      "C:\\Windows\\system32\\winlogon.exe",
      "C:\\evil.exeO4 - HKLM\\..\\Run: [fake] x",
      "",
      "R0 - HKCU\\Software\\Microsoft\\Internet Explorer\\Main,Start Page = http://start.example/",
      "R1 - HKCU\\Software\\Microsoft\\Internet Explorer\\Main,Window Title = ",
      "F1 - win.ini: load=loader.exe",
      "F2 - REG: system.ini: UserInit=C:\\Windows\\system32\\userinit.exe,",
      "F3 - HKCU Run=",
      "O1 - Hosts: 10.0.0.1 bank.example",
      "O1 - Hosts: 10.1.2.3 last.example",
      "O2 - BHO: Helper - {11111111-1111-1111-1111-111111111111} - C:\\h.dll",
      "O3 - Toolbar: Bar - {22222222-2222-2222-2222-222222222222} - C:\\bar.dll",
      "O4 - HKLM\\..\\Run: [Agent]C:\\agent.exe",
      "O4 - Other Run: [Odd]C:\\odd.exe",
      "O4 - HKCU\\..\\Run: [MeO1 - Hosts: 1.2.3.4 x]C:\\me.exe",
      "O4 - Startup: Tool.lnk=C:\\tool.exe",
      "O4 - Global Startup: All.lnk=C:\\all.exe",
      "O5 - control.ini: inetcpl.cpl=no",
      "O6 - HKCU\\Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions present",
      "O7 - HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System, DisableRegistryTools =1",
      "O7 - HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System, DisableTaskMgr =-1",
      "O8 - Extra context menu item: &Search - res://x.dll/201",
      "O9 - Extra button: (no name) - {33333333-3333-3333-3333-333333333333} - C:\\b.exe (HKCU)",
      "O9 - Extra 'Tools' menuitem: Tools item - {33333333-3333-3333-3333-333333333333} - C:\\b.exe (HKCU)",
      "O11 - Options group: [Group] Group - C:\\dir",
      "O12 - Plugin for .pdf: C:\\pdf.dll",
      "O13 - DefaultPrefix: http://",
      "O13 - WWW Prefix: http://",
      "O13 -  WWW. Prefix: http://",
      "O14 - IERESET.INF: START_PAGE_URL = http://reset.example/",
      "O14 - IERESET.INF:HKCU, Start Page = http://a.example/",
      "O14 - IERESET.INF:HKLM, Search Page = http://b.example/",
      "O15 - Trusted Zone: trusted.example",
      "O16 - DPF: {55555555-5555-5555-5555-555555555555} (Control) - http://dl.example/c.cab",
      "O17 - HKLM\\System\\CCS\\Services\\Tcpip\\Parameters: NameServer = 10.0.0.53",
      "O17 - HKLM\\System\\CCS\\Services\\Tcpip\\Parameters: Domain = corp.example",
      "O20 - AppInit_DLLs: C:\\inject.dll",
      "O21 - Own - Own Object - {66666666-6666-6666-6666-666666666666} - C:\\own.dll",
      "O22 - SharedTaskScheduler: (Other) - {2} - C:\\o.dll",
      "O23 - Service: Agent Service - Acme, Inc - C:\\svc.exe",
      "O24 -  Desktop Component 1: Clock - http://clock.example/",
      "---  Additional Kestrom Info  ---",
      "Browser: Unable to find default browser.",
      "MSIE: Internet Explorer (8.00.7600.16385)",
      "America Online version 9.0 running C:\\aol.exe",
      "Firefox 3.6 installed in C:\\Program Files\\Mozilla Firefox.",
      "12 IE Cookies in Folder: C:\\Cookies",
      "KT00 - HKLM\\CS1: BootExecute = autocheck autochk *",
      "KT00 - HKLM\\CS1: BootExecute = evil.exe",
      "KT01 - HKLM\\CCS: PendingFileRenameOperations = \\??\\C:\\a.tmp",
      "KT01 - HKLM\\CCS: PendingFileRenameOperations = ",
      "KT01 - HKLM\\CCS: PendingFileRenameOperations = \\??\\C:\\b.tmp",
      "KT01 - HKLM\\CCS: PendingFileRenameOperations = !\\??\\C:\\c.tmp",
      "KT02 - HKLM\\CCS: Command = %SystemRoot%\\system32\\cmd.exe",
      "",
      "KT03 - Windows Automatic Update = 4:Automatically download recommended updates for my computer and install them.",
      "KT06 - Delayed Start: [Late]C:\\late.exe",
      "",
      "KT08 - HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\DefaultPrefix: Default = http://",
      "KT08 - HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes: www = http://",
      "",
      "KT31 - Scheduled Tasks: [Nightly.job]C:\\night.exe 03/08/2026 2:00 AM",
      "KT16 - ActiveX: {7} [Control] C:\\c.ocx detail",
      "KT32 - Hidden File: C:\\hidden.dat",
      "KT33 - File Type .exe: [Shell]C:\\open.exe",
      "",
      "Memory currently in use: 42%",
      "Physical Memory Free: 2,097,152 KB",
      "Paging File Free: 1 KB",
      "Virtual Memory Free: 8,589,934,592 KB",
      "",
      "",
      "--",
      "End of file",
  });
  EXPECT_EQ(scan_log_text(sample()), expected);
}

TEST(ScanLog, NoTextFromTheSystemCanStartALine) {
  const std::string log = scan_log_text(sample());
  std::istringstream in(log);
  std::string line;
  int o1 = 0, o4 = 0;
  while (std::getline(in, line)) {
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.back(), '\r');  // every line break is a CR LF of the log itself
    if (line.rfind("O1 - ", 0) == 0) ++o1;
    if (line.rfind("O4 - ", 0) == 0) ++o4;
  }
  EXPECT_EQ(o1, 2);
  EXPECT_EQ(o4, 5);
}

TEST(ScanLog, HostsAddressIsComparedAsAWholeToken) {
  EXPECT_TRUE(hosts_address_hidden("127.0.0.1 localhost"));
  EXPECT_TRUE(hosts_address_hidden("  ::1\tlocalhost"));
  EXPECT_TRUE(hosts_address_hidden("0.0.0.0 ads.example"));
  EXPECT_FALSE(hosts_address_hidden("10.0.0.1 bank.example"));    // holds "0.0.0"
  EXPECT_FALSE(hosts_address_hidden("127.0.0.10 other.example"));  // holds "127.0.0.1"
  EXPECT_FALSE(hosts_address_hidden("192.168.1.1 x127.0.0.1"));
  EXPECT_FALSE(hosts_address_hidden("fe80::1 router"));
  // The last line, without a line feed, follows the same rule; a LF-only file works alike.
  EXPECT_EQ(hosts_lines("10.0.0.1 a\n0.0.0.0 b"), "O1 - Hosts: 10.0.0.1 a\r\n");
  EXPECT_EQ(hosts_lines("1.2.3.4 b\n127.0.0.1 c"), "O1 - Hosts: 1.2.3.4 b\r\n");
  // Short, long and comment lines are skipped; a stray CR cannot end a line early.
  const std::string long_line = "1.2.3.4 " + std::string(490, 'a');
  EXPECT_EQ(hosts_lines("1.2\n12\n#1.2.3.4 x\n" + long_line + "\n1.2.3.4 a\rb\n"), "O1 - Hosts: 1.2\r\nO1 - Hosts: 1.2.3.4 ab\r\n");
  EXPECT_EQ(hosts_lines("1.2.3.4 " + std::string(489, 'a') + "\n").size(), 12u + 497u + 2u);
}

TEST(ScanLog, NumbersAndStartupPlaces) {
  EXPECT_EQ(digit_groups(0), "0");
  EXPECT_EQ(digit_groups(999), "999");
  EXPECT_EQ(digit_groups(1000), "1,000");
  EXPECT_EQ(digit_groups(123456789012ull), "123,456,789,012");
  EXPECT_EQ(o4_line(7, "t", "f"), "O4 - HKLM\\..\\Policies\\Explorer\\Run: [t]f\r\n");
  EXPECT_EQ(o4_line(24, "t", "f"), "O4 - HKU\\..\\RunService: [t]f\r\n");
  EXPECT_EQ(o4_line(17, "t", "f"), "O4 - Other Run: [t]f\r\n");
  EXPECT_EQ(o4_line(250, "t", "f"), "O4 - Other Run: [t]f\r\n");
}

TEST(ScanLog, ShellLineAndHiddenFileLimit) {
  ScanFacts f;
  f.system_shell = "Explorer.exe other.exe";
  for (int i = 0; i < 50; ++i) f.hidden_files.push_back({"", "C:\\h" + std::to_string(i), "", "", 0});
  const std::string log = scan_log_text(f);
  EXPECT_NE(log.find("\r\nF0 - system.ini: Shell=Explorer.exe other.exe\r\n"), std::string::npos);
  std::size_t count = 0;
  for (std::size_t at = log.find("KT32 - "); at != std::string::npos; at = log.find("KT32 - ", at + 1)) ++count;
  EXPECT_EQ(count, kMaxHiddenFileLines);
  EXPECT_NE(log.find("KT32 - Hidden File: C:\\h40\r\n"), std::string::npos);
}

TEST(ScanLog, MultiStringsKeepEveryStringAndEmptyOnesBetween) {
  EXPECT_EQ(multi_strings(std::string("a\0b\0\0", 5)), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(multi_strings(std::string("x\0\0y\0!z\0\0", 10)), (std::vector<std::string>{"x", "", "y", "!z"}));
  EXPECT_EQ(multi_strings("single"), (std::vector<std::string>{"single"}));
  EXPECT_TRUE(multi_strings(std::string("\0\0", 2)).empty());
}
