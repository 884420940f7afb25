#include "reports/program_report_win.hpp"

#include <map>
#include <optional>

#include "categories/active_tasks.hpp"
#include "categories/activex_win.hpp"
#include "categories/file_types_win.hpp"
#include "categories/cookies_win.hpp"
#include "categories/hidden_files_win.hpp"
#include "categories/ie_helpers_win.hpp"
#include "categories/services_win.hpp"
#include "categories/tasks.hpp"
#include "common/detected.hpp"
#include "common/info_server_win.hpp"
#include "common/product.hpp"
#include "common/paths.hpp"
#include "common/registry.hpp"
#include "common/string_ids.h"
#include "common/textloader.hpp"
#include "platform/process.hpp"
#include "reports/report_text_win.hpp"
#include "startup/delay_store.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::reports {

namespace {

constexpr std::string_view kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr std::string_view kIEMain = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr std::string_view kWinlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr std::string_view kHttpOpen = "http\\shell\\open\\command";

std::optional<std::string> value_if_present(HKEY root, std::string_view key, std::string_view name) {
  if (!reg::value_exists(root, key, name)) return std::nullopt;
  return reg::read_string(root, key, name);
}

// What one report reads once rather than once per item: version facts by program (a program
// behind many items, the shared service host, is read once), the folders a command's program is
// found with, the register's and the Disabled Store's keys, the place texts, the services' states.
struct ReportContext {
  VersionCache versions;
  CommandFiles command_files;
  Sightings sightings;
  LocationTexts locations;
  std::optional<services::ServiceStateTexts> states;
};

ReportEntry gather_entry(int section, const StartupItem& item, ReportContext& context) {
  VersionCache& versions = context.versions;
  ReportEntry e;
  e.item = item;
  const std::string program = context.command_files(item.file);
  if (!program.empty()) {
    e.program_name = std::string(file_name_of_path(program));
    const VersionInfo& vi = versions.of(program);
    e.product_version = vi.product_version;
    e.company = vi.company_name;
    e.description = vi.file_description;
    e.copyright = vi.legal_copyright;
  }
  e.location = context.locations.of(item);
  e.detected = context.sightings.of(item.file, item.code);
  if (section == kServicesSection) {
    if (!context.states) context.states.emplace();
    e.service_state = context.states->text_of(item.title);
  }
  if (section == kHiddenFilesSection) {
    FileTimes times;
    file_times(item.file, times);
    e.created = times.created;
    e.accessed = times.accessed;
    e.written = times.written;
    FileFacts facts;
    if (file_facts(item.file, facts)) e.size = facts.size;
  }
  return e;
}

}  // namespace

SectionListers system_section_listers() {
  const bool wow64 = wow64_view_present();
  SectionListers l;
  l[kStartupSection] = [wow64](ItemList& list) {
    list_startup_programs(list, StartupScan{false, 0, wow64}, system_item_rules());
  };
  l[kDelayedSection] = [](ItemList& list) { delay::list_delayed_programs(list, system_item_rules()); };
  l[kActiveTasksSection] = [](ItemList& list) { list_active_tasks(list, system_item_rules()); };
  l[kScheduledTasksSection] = [](ItemList& list) { list_tasks(list, system_item_rules()); };
  l[kIEHelpersSection] = [](ItemList& list) { helpers::list_ie_helpers(list, system_item_rules()); };
  l[kActiveXSection] = [](ItemList& list) {
    const bool all = read_option(Opt::ActiveXListAll, Program::Explorer) != 0;
    activex::list_activex(list, all ? activex::ListMode::All : activex::ListMode::Statistics, system_item_rules());
  };
  l[kServicesSection] = [](ItemList& list) {
    services::list_services(list, services::ListMode::Full, system_item_rules());
  };
  l[kHiddenFilesSection] = [](ItemList& list) { list_hidden_files(list, system_item_rules()); };
  l[kFileTypesSection] = [](ItemList& list) { file_types::list_file_types(list, system_item_rules()); };
  return l;
}

ReportEntry gather_report_entry(int section, const StartupItem& item) {
  ReportContext context;
  return gather_entry(section, item, context);
}

SystemHeader gather_system_header() {
  SystemHeader h;
  h.product_title = text::load(IDS_PRODUCT_NAME);
  h.version = running_program_version();
  h.now = local_now();
  h.platform = platform_description();

  std::string browser = command_to_file(reg::read_string(HKEY_CLASSES_ROOT, kHttpOpen, ""));
  if (!browser.empty() && file_exists(browser)) {
    const VersionInfo vi = version_information(browser);
    h.browser_found = true;
    h.browser_product = vi.product_name;
    h.browser_description = vi.file_description;
    h.browser_version = vi.product_version;
  }

  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  if (GlobalMemoryStatusEx(&memory)) h.memory_load = memory.dwMemoryLoad;

  std::string ie_folder = reg::read_string(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "IEXPLORE.EXE", "Path");
  while (!ie_folder.empty() && ie_folder.back() == ';') ie_folder.pop_back();
  std::string ie = ie_folder + "\\IExplore.exe";
  if (!ie_folder.empty() && file_exists(ie)) {
    const VersionInfo vi = version_information(ie);
    h.ie_found = true;
    h.ie_description = vi.file_description;
    h.ie_version = vi.product_version;
    h.ie_cookie_path = cookies::ie_cookie_folder().path;
  }

  static constexpr std::array<std::string_view, 4> kOthers{"AOL.EXE", "firefox.exe", "Mozilla.exe", "Netscp.exe"};
  for (std::size_t i = 0; i < kOthers.size(); ++i) {
    const std::string key = std::string(kAppPaths) + std::string(kOthers[i]);
    if (!reg::key_exists(HKEY_LOCAL_MACHINE, key)) continue;
    const std::string program = reg::read_string(HKEY_LOCAL_MACHINE, key, "");
    h.browsers[i] = SystemHeader::Installed{version_information(strip_quotes(program)).product_version,
                                            reg::read_string(HKEY_LOCAL_MACHINE, key, "Path")};
  }

  h.ie_main[0] = value_if_present(HKEY_CURRENT_USER, kIEMain, "Window Title");
  h.ie_main[1] = value_if_present(HKEY_CURRENT_USER, kIEMain, "Default_Page_URL");
  h.ie_main[2] = value_if_present(HKEY_LOCAL_MACHINE, kIEMain, "Default_Page_URL");
  h.ie_main[3] = value_if_present(HKEY_CURRENT_USER, kIEMain, "Start Page");
  h.ie_main[4] = value_if_present(HKEY_LOCAL_MACHINE, kIEMain, "Start Page");
  static constexpr std::array<std::string_view, 4> kLogon{"DefaultUserName", "DefaultDomainName", "Shell", "UserInit"};
  for (std::size_t i = 0; i < kLogon.size(); ++i) h.winlogon[i] = value_if_present(HKEY_LOCAL_MACHINE, kWinlogon, kLogon[i]);
  return h;
}

LinkParts report_link_parts() {
  return {info_server::configured_server_base(), info_server::programs_build_text(), text::load(IDS_LANGUAGE_CODE, 16)};
}

bool write_program_report_file(const std::string& path, bool html, const ProgramReportTexts& texts,
                               const SectionListers& listers) {
  ReportFile file(path);
  if (!file.created()) return false;
  const LinkParts link = html ? report_link_parts() : LinkParts{};
  if (html)
    file.write(html_head(gather_system_header(), texts.titles));
  else
    file.write(text_head());
  // The report's own list: the pages' lists keep pointing at their own items.
  ItemList list;
  ReportContext context;
  for (int s = 0; s < kSectionCount; ++s) {
    list.clear();
    if (listers[static_cast<std::size_t>(s)]) listers[static_cast<std::size_t>(s)](list);
    const std::string& title = texts.titles[static_cast<std::size_t>(s)];
    file.write(html ? html_section_head(s, title) : text_section_head(title));
    for (const StartupItem& item : list.items()) {
      if (report_skips(item)) continue;
      const ReportEntry e = gather_entry(s, item, context);
      file.write(html ? html_entry(s, e, link, texts.location_word) : text_entry(e));
    }
  }
  if (html) file.write(html_end());
  return file.close();
}

ReportOutcome write_program_report(HWND owner, const ProgramReportTexts& texts) {
  const bool html = read_option(Opt::Format, Program::Explorer) == 0;
  ReportOutcome out;
  out.path = current_folder_path(html ? kHtmlReportName : kTextReportName);
  out.written = write_program_report_file(out.path, html, texts, system_section_listers());
  if (out.written) platform::open_in_shell(owner, out.path);
  return out;
}

}  // namespace kestrom::reports
