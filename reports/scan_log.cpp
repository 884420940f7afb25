#include "reports/scan_log.hpp"

#include <algorithm>
#include <cstdio>

#include "common/pathtext.hpp"
#include "common/text.hpp"
#include "reports/report_text.hpp"

namespace kestrom::reports {

namespace {

constexpr std::string_view kEnd = "\r\n";
constexpr std::string_view kIeMain = "\\Software\\Microsoft\\Internet Explorer\\Main,";
constexpr std::string_view kPolicySystem = "O7 - HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System, ";

// The class identifiers of the system's own delay-loaded shell objects.
constexpr std::array<std::string_view, 4> kSystemDelayLoads{
    "{7849596a-48ea-486e-8937-a2a3009f31a9}", "{fbeb8a05-beee-4442-804e-409d6c4515e9}",
    "{E6FB5E20-DE35-11CF-9C87-00AA005127ED}", "{35CEC8A3-2BE6-11D2-8773-92E220524153}"};
constexpr std::array<std::string_view, 3> kHiddenHostsAddresses{"127.0.0.1", "::1", "0.0.0.0"};
constexpr std::array<std::string_view, 4> kIeresetNames{"Start Page", "Default_Page_URL", "Default_Search_URL",
                                                        "Search Page"};

// A line: the literal parts as they are, every text from the system cleaned.
class Log {
 public:
  Log& raw(std::string_view text) {
    out_ += text;
    return *this;
  }
  Log& field(std::string_view text) {
    out_ += without_control_characters(text);
    return *this;
  }
  Log& number(long long n) {
    out_ += std::to_string(n);
    return *this;
  }
  Log& end() { return raw(kEnd); }
  std::string take() { return std::move(out_); }

 private:
  std::string out_;
};

// Case-insensitive search without the length limit of `contains`: file lines may be long.
bool has_text(std::string_view text, std::string_view part) {
  if (part.empty() || part.size() > text.size()) return false;
  for (std::size_t i = 0; i + part.size() <= text.size(); ++i)
    if (iequals(text.substr(i, part.size()), part)) return true;
  return false;
}

std::string_view first_token(std::string_view line) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  std::size_t begin = 0;
  while (begin < line.size() && blank(line[begin])) ++begin;
  std::size_t end = begin;
  while (end < line.size() && !blank(line[end]) && line[end] != '\r' && line[end] != '\n') ++end;
  return line.substr(begin, end - begin);
}

void write_browser_lines(Log& log, const ScanFacts& f) {
  struct Page {
    std::string_view code, hive, name;
  };
  constexpr std::array<Page, 6> pages{{{"R1 - ", "HKCU", "Default_Page_URL = "},
                                       {"R0 - ", "HKCU", "Start Page = "},
                                       {"R1 - ", "HKLM", "Default_Page_URL = "},
                                       {"R0 - ", "HKLM", "Start Page = "},
                                       {"R1 - ", "HKCU", "Window Title = "},
                                       {"R0 - ", "HKLM", "Window Title = "}}};
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (!f.browser_pages[i]) continue;
    log.raw(pages[i].code).raw(pages[i].hive).raw(kIeMain).raw(pages[i].name).field(*f.browser_pages[i]).end();
  }
}

void write_msie(Log& log, const std::optional<ProductVersion>& msie) {
  if (msie)
    log.raw("MSIE: ").field(msie->description).raw(" (").field(msie->version).raw(")").end();
  else
    log.raw("MSIE: Internet Explorer Not found.").end();
}

void write_files_and_hosts(Log& log, const ScanFacts& f) {
  if (!f.system_shell.empty() && !iequals(f.system_shell, "Explorer.exe"))
    log.raw("F0 - system.ini: Shell=").field(f.system_shell).end();
  if (!f.win_run.empty()) log.raw("F1 - win.ini: run=").field(f.win_run).end();
  if (!f.win_load.empty()) log.raw("F1 - win.ini: load=").field(f.win_load).end();
  if (!f.userinit.empty()) log.raw("F2 - REG: system.ini: UserInit=").field(f.userinit).end();
  if (f.current_user_load) log.raw("F3 - HKCU Load=").field(*f.current_user_load).end();
  if (f.current_user_run) log.raw("F3 - HKCU Run=").field(*f.current_user_run).end();
  if (f.hosts) log.raw(hosts_lines(*f.hosts));
}

void write_browser_objects(Log& log, const ScanFacts& f) {
  for (const auto& e : f.helpers) log.raw("O2 - BHO: ").field(e.name).raw(" - ").field(e.id).raw(" - ").field(e.file).end();
  for (const auto& e : f.toolbars)
    log.raw("O3 - Toolbar: ").field(e.name).raw(" - ").field(e.id).raw(" - ").field(e.file).end();
  for (const auto& e : f.run_entries) log.raw(o4_line(e.code, e.title, e.file));
  for (const auto& e : f.folder_entries) {
    log.raw(e.everyone ? "O4 - Global Startup: " : "O4 - Startup: ")
        .field(file_name_of_path(e.command))
        .raw("=")
        .field(e.file)
        .end();
  }
  if (f.inetcpl && f.inetcpl->find("no") != std::string::npos)
    log.raw("O5 - control.ini: inetcpl.cpl=").field(*f.inetcpl).end();
  if (f.restrictions) log.raw("O6 - HKCU\\Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions present").end();
  if (f.control_panel)
    log.raw("O6 - HKCU\\Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel present").end();
  constexpr std::array<std::string_view, 3> policy_names{"DisableRegistryTools =", "DisableRegEdit=", "DisableTaskMgr ="};
  for (std::size_t i = 0; i < policy_names.size(); ++i) {
    if (!f.system_policies[i]) continue;
    const auto low_byte = static_cast<signed char>(static_cast<unsigned char>(*f.system_policies[i] & 0xff));
    log.raw(kPolicySystem).raw(policy_names[i]).number(low_byte).end();
  }
  for (const auto& [name, target] : f.menu_extensions)
    log.raw("O8 - Extra context menu item: ").field(name).raw(" - ").field(target).end();
  for (const auto& b : f.extra_buttons) {
    if (b.target.empty()) continue;
    const std::string target = b.current_user ? b.target + " (HKCU)" : b.target;
    log.raw("O9 - Extra button: ")
        .field(b.button_text.empty() ? "(no name)" : b.button_text)
        .raw(" - ")
        .field(b.id)
        .raw(" - ")
        .field(target)
        .end();
    if (b.menu_text)
      log.raw("O9 - Extra 'Tools' menuitem: ").field(*b.menu_text).raw(" - ").field(b.id).raw(" - ").field(target).end();
  }
  for (const auto& g : f.options_groups) {
    if (has_text(g.help_id, "iexplore.hlp")) continue;
    const std::size_t slash = g.bitmap.rfind('\\');
    const std::string_view bitmap =
        slash == std::string::npos ? std::string_view(g.bitmap) : std::string_view(g.bitmap).substr(0, slash);
    log.raw("O11 - Options group: [").field(g.text).raw("] ").field(g.text).raw(" - ").field(bitmap).end();
  }
  for (const auto& [extension, location] : f.plugins)
    log.raw("O12 - Plugin for ").field(extension).raw(": ").field(location).end();
}

void write_settings(Log& log, const ScanFacts& f) {
  if (f.default_prefix) log.raw("O13 - DefaultPrefix: ").field(*f.default_prefix).end();
  if (f.www_prefix) log.raw("O13 - WWW Prefix: ").field(*f.www_prefix).end();
  if (f.www_dot_prefix) log.raw("O13 -  WWW. Prefix: ").field(*f.www_dot_prefix).end();
  if (!f.iereset_start_page.empty()) log.raw("O14 - IERESET.INF: START_PAGE_URL = ").field(f.iereset_start_page).end();
  if (!f.iereset_search_page.empty())
    log.raw("O14 - IERESET.INF: SEARCH_PAGE_URL = ").field(f.iereset_search_page).end();
  if (f.iereset_file) log.raw(iereset_lines(*f.iereset_file));
  for (const auto& d : f.trusted_domains) log.raw("O15 - Trusted Zone: ").field(d).end();
  for (const auto& d : f.downloads)
    log.raw("O16 - DPF: ").field(d.name).raw(" (").field(d.class_name).raw(") - ").field(d.codebase).end();
  for (std::size_t i = 0; i < f.dns.size(); ++i) {
    const ControlSetDns& s = f.dns[i];
    const std::string parameters = "System\\" + std::string(kControlSetNames[i]) + "\\Services\\Tcpip\\Parameters";
    if (s.search_list) log.raw("O17 - HKLM\\").raw(parameters).raw(": SearchList = ").field(*s.search_list).end();
    if (s.name_server) log.raw("O17 - HKLM\\").raw(parameters).raw(": NameServer = ").field(*s.name_server).end();
    if (s.vxd_domain)
      log.raw("O17 - HKLM\\System\\").raw(kControlSetNames[i]).raw("\\Services\\VxD\\MSTCP: Domain = ").field(*s.vxd_domain).end();
    if (s.tcpip_domain)
      log.raw("O17 - HKLM\\System\\")
          .raw(kControlSetNames[i])
          .raw("\\Services\\Tcpip\\Parameters: Domain = ")
          .field(*s.tcpip_domain)
          .end();
  }
  if (f.user_stylesheet) log.raw("O19 -  User style sheet: ").field(*f.user_stylesheet).end();
  if (f.appinit_dlls) log.raw("O20 - AppInit_DLLs: ").field(*f.appinit_dlls).end();
  for (const auto& d : f.delay_loads) {
    if (std::any_of(kSystemDelayLoads.begin(), kSystemDelayLoads.end(), [&](auto id) { return iequals(id, d.id); })) continue;
    log.raw("O21 - ").field(d.name).raw(" - ").field(d.class_name).raw(" - ").field(d.id).raw(" - ").field(d.file).end();
  }
  for (const auto& e : f.shared_task_schedulers) {
    if (has_text(e.file, "browseui.dll")) continue;
    log.raw("O22 - SharedTaskScheduler: (").field(e.name).raw(") - ").field(e.id).raw(" - ").field(e.file).end();
  }
  for (const auto& s : f.services)
    log.raw("O23 - Service: ").field(s.title).raw(" - ").field(s.company).raw(" - ").field(s.file).end();
  for (std::size_t n = 0; n < f.desktop_components.size() && n < kDesktopComponents; ++n) {
    const DesktopComponent& c = f.desktop_components[n];
    if (c.friendly_name.empty()) break;
    if (has_text(c.friendly_name, "Current Home Page")) continue;
    log.raw("O24 -  Desktop Component ")
        .number(static_cast<long long>(n))
        .raw(": ")
        .field(c.friendly_name)
        .raw(" - ")
        .field(c.source)
        .end();
  }
}

void write_additional(Log& log, const ScanFacts& f) {
  log.raw("---  Additional Kestrom Info  ---").end();
  if (f.default_browser)
    log.raw("Default Browser: ")
        .field(f.default_browser->product)
        .raw(" - ")
        .field(f.default_browser->description)
        .raw(" version ")
        .field(f.default_browser->version)
        .end();
  else
    log.raw("Browser: Unable to find default browser.").end();
  write_msie(log, f.msie);
  if (f.aol) log.raw("America Online version ").field(f.aol->first).raw(" running ").field(f.aol->second).end();
  for (const auto& m : f.mozilla)
    log.raw(m.product).raw(" ").field(m.version).raw(" installed in ").field(m.folder).raw(".").end();
  if (f.ie_cookies) log.number(f.ie_cookies->count).raw(" IE Cookies in Folder: ").field(f.ie_cookies->folder).end();
  if (f.mozilla_cookies)
    log.number(f.mozilla_cookies->count).raw(" Mozilla Cookies in Folder: ").field(f.mozilla_cookies->folder).end();

  bool session_lines = false;
  const auto session = [&](const std::array<std::vector<std::string>, 4>& values, std::string_view code,
                           std::string_view name) {
    for (std::size_t i = 0; i < values.size(); ++i) {
      for (const std::string& s : values[i]) {
        log.raw(code).raw(" - HKLM\\").raw(kControlSetNames[i]).raw(": ").raw(name).raw(" = ").field(s).end();
        session_lines = true;
      }
    }
  };
  session(f.boot_execute, "KT00", "BootExecute");
  session(f.pending_renames, "KT01", "PendingFileRenameOperations");
  if (!f.comspec.empty()) {
    log.raw("KT02 - HKLM\\CCS: Command = ").field(f.comspec).end();
    session_lines = true;
  }
  if (session_lines) log.end();
  if (f.auto_update != 0)
    log.raw("KT03 - Windows Automatic Update = ").number(f.auto_update).raw(":").field(f.auto_update_text).end();
  for (const auto& e : f.delayed) log.raw("KT06 - Delayed Start: [").field(e.title).raw("]").field(e.file).end();
  log.end();
  if (f.default_prefix)
    log.raw("KT08 - HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\DefaultPrefix: Default = ")
        .field(*f.default_prefix)
        .end();
  if (f.www_prefix)
    log.raw("KT08 - HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes: www = ").field(*f.www_prefix).end();
  if (f.default_prefix || f.www_prefix) log.end();
  for (const auto& e : f.tasks)
    log.raw("KT31 - Scheduled Tasks: [").field(e.title).raw("]").field(e.file).raw(" ").field(e.detail).end();
  for (const auto& e : f.activex) {
    if (e.flags & kKillBit) continue;
    log.raw("KT16 - ActiveX: ").field(e.command).raw(" [").field(e.title).raw("] ").field(e.file).raw(" ").field(e.detail).end();
  }
  for (std::size_t i = 0; i < f.hidden_files.size() && i < kMaxHiddenFileLines; ++i)
    log.raw("KT32 - Hidden File: ").field(f.hidden_files[i].file).end();
  for (const auto& e : f.file_types)
    log.raw("KT33 - File Type ").field(e.detail).raw(": [").field(e.title).raw("]").field(e.file).end();
  log.end();
  log.raw("Memory currently in use: ").raw(digit_groups(f.memory.load_percent)).raw("%").end();
  log.raw("Physical Memory Free: ").raw(digit_groups(f.memory.physical_free / 1024)).raw(" KB").end();
  log.raw("Paging File Free: ").raw(digit_groups(f.memory.paging_free / 1024)).raw(" KB").end();
  log.raw("Virtual Memory Free: ").raw(digit_groups(f.memory.virtual_free / 1024)).raw(" KB").end();
  log.end().end().raw("--").end().raw("End of file").end();
}

}  // namespace

std::string without_control_characters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 32) out += c;
  return out;
}

std::string digit_groups(std::uint64_t number) {
  std::string digits = std::to_string(number);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string o4_line(int code, std::string_view title, std::string_view file) {
  std::string_view place;
  switch (code) {
    case 1: place = "HKLM\\..\\Run"; break;
    case 2: place = "HKLM\\..\\RunOnce"; break;
    case 3: place = "HKLM\\..\\RunOnceEx"; break;
    case 4: place = "HKLM\\..\\RunServices"; break;
    case 5: place = "HKLM\\..\\RunServicesOnce"; break;
    case 6: place = "HKLM\\..\\RunOnceSetup"; break;
    case 7: place = "HKLM\\..\\Policies\\Explorer\\Run"; break;
    case 11: place = "HKCU\\..\\Run"; break;
    case 12: place = "HKCU\\..\\RunOnce"; break;
    case 13: place = "HKCU\\..\\RunOnceEx"; break;
    case 14: place = "HKCU\\..\\RunServices"; break;
    case 15: place = "HKCU\\..\\RunServicesOnce"; break;
    case 16: place = "HKCU\\..\\RunOnceSetup"; break;
    case 21: place = "HKU\\..\\Run"; break;
    case 22: place = "HKU\\..\\RunOnce"; break;
    case 23: place = "HKU\\..\\RunOnceEx"; break;
    case 24: place = "HKU\\..\\RunService"; break;
    case 25: place = "HKU\\..\\RunServicesOnce"; break;
    case 26: place = "HKU\\..\\RunOnceSetup"; break;
    default: place = "Other Run"; break;
  }
  return Log().raw("O4 - ").raw(place).raw(": [").field(title).raw("]").field(file).end().take();
}

bool hosts_address_hidden(std::string_view line) {
  const std::string_view address = first_token(line);
  return std::any_of(kHiddenHostsAddresses.begin(), kHiddenHostsAddresses.end(),
                     [&](std::string_view hidden) { return address == hidden; });
}

std::string hosts_lines(std::string_view content) {
  Log log;
  std::string raw_line;  // as read, for the address
  const auto examine = [&] {
    const std::string line = without_control_characters(raw_line) + "\r\n";
    // The address is read before the tabs between the fields are dropped.
    const bool hidden = hosts_address_hidden(raw_line);
    raw_line.clear();
    if (line.front() == '#' || line.size() >= kMaxHostsLineLength || line.size() < kMinHostsLineLength) return;
    if (hidden) return;
    log.raw("O1 - Hosts: ").raw(line);
  };
  for (char c : content) {
    if (c == '\n')
      examine();
    else
      raw_line += c;
  }
  if (!raw_line.empty()) examine();
  return log.take();
}

std::string iereset_lines(std::string_view content) {
  Log log;
  const auto examine = [&](std::string_view line) {
    const std::size_t comma = line.rfind(',');
    if (comma == std::string_view::npos) return;
    const std::string_view label = has_text(line, "HKCU") ? "HKCU," : has_text(line, "HKLM") ? "HKLM," : "";
    for (std::string_view name : kIeresetNames) {
      if (!has_text(line, name)) continue;
      log.raw("O14 - IERESET.INF:").raw(label).raw(" ").raw(name).raw(" = ").raw(line.substr(comma + 1)).end();
    }
  };
  std::string line;
  for (char c : content) {
    if (c == '\n') {
      examine(line);
      line.clear();
    } else if (static_cast<unsigned char>(c) >= 32) {
      line += c;
    }
  }
  if (!line.empty()) examine(line);
  return log.take();
}

std::vector<std::string> multi_strings(std::string_view data) {
  // Split by the data's size, not at the first empty string: a rename list holds empty ones.
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= data.size(); ++i) {
    if (i == data.size() || data[i] == '\0') {
      out.emplace_back(data.substr(start, i - start));
      start = i + 1;
    }
  }
  while (!out.empty() && out.back().empty()) out.pop_back();
  return out;
}

std::string scan_log_text(const ScanFacts& f) {
  Log log;
  log.raw("Log created by ").field(f.product_title).raw(" version ").field(f.program_version).end();
  log.raw("Scan saved at ").raw(report_clock_text(f.time)).raw(", on ").raw(report_date_text(f.time)).end();
  log.raw("Platform: ").field(f.platform).end();
  write_msie(log, f.msie);
  switch (f.boot_mode) {
    case 0: log.raw("Boot mode: Normal").end(); break;
    case 1: log.raw("Boot mode: Safe").end(); break;
    case 2: log.raw("Boot mode: Safe with Network").end(); break;
    default: log.raw("Boot mode: Unknown").end(); break;
  }
  log.end().field(f.processes_heading).end();
  for (const auto& p : f.processes) log.field(p).end();
  log.end();
  write_browser_lines(log, f);
  write_files_and_hosts(log, f);
  write_browser_objects(log, f);
  write_settings(log, f);
  write_additional(log, f);
  return log.take();
}

}  // namespace kestrom::reports
