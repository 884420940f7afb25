// The scan log ("HijackKestrom.log"): a line-per-finding inventory in a fixed format that other
// tools read. Pure: the Windows side gathers the findings into ScanFacts, the lines are made
// here. Every text from the system is written without control characters, so no value can
// start a line of its own.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/datetext.hpp"

namespace kestrom::reports {

inline constexpr std::string_view kScanLogName = "HijackKestrom.log";
inline constexpr std::size_t kMaxHiddenFileLines = 41;   // KT32 lines
inline constexpr std::size_t kMaxHostsLineLength = 500;  // with its CR LF; longer lines are skipped
inline constexpr std::size_t kMinHostsLineLength = 5;    // with its CR LF; shorter lines are skipped
inline constexpr std::uint32_t kKillBit = 0x400;
inline constexpr int kDesktopComponents = 9;

struct ProductVersion {
  std::string description, version;
};
struct ClassEntry {  // O2, O3, O22: class name, class identifier, server file
  std::string name, id, file;
};
struct RunEntry {  // O4 of the Run-key family
  int code = 0;
  std::string title, file;
};
struct FolderEntry {  // O4 of the startup folders
  std::string command, file;
  bool everyone = false;  // in the all-users folder: "Global Startup"
};
struct ExtraButton {  // O9
  std::string id, button_text, target;
  std::optional<std::string> menu_text;
  bool current_user = false;
};
struct OptionsGroup {  // O11
  std::string text, bitmap, help_id;
};
struct Download {  // O16
  std::string name, class_name, codebase;
};
struct ControlSetDns {  // O17, one control set
  std::optional<std::string> search_list, name_server, vxd_domain, tcpip_domain;
};
struct DelayLoad {  // O21
  std::string name, class_name, id, file;
};
struct ServiceEntry {  // O23
  std::string title, company, file;
};
struct DesktopComponent {  // O24, in component order
  std::string friendly_name, source;
};
struct Browser {
  std::string product, description, version;
};
struct MozillaInstall {  // "Firefox", "Mozilla" or "Netscape"
  std::string product, version, folder;
};
struct CookieCount {
  long count = 0;
  std::string folder;
};
struct ItemEntry {  // KT06, KT31, KT16, KT33: the Item List's fields
  std::string title, file, command, detail;
  std::uint32_t flags = 0;
};
struct MemoryStatus {
  std::uint64_t load_percent = 0, physical_free = 0, paging_free = 0, virtual_free = 0;  // bytes
};

// The control sets, in the log's order, with the names the log gives them.
inline constexpr std::array<std::string_view, 4> kControlSets{"ControlSet001", "CurrentControlSet", "ControlSet002",
                                                              "ControlSet003"};
inline constexpr std::array<std::string_view, 4> kControlSetNames{"CS1", "CCS", "CS2", "CS3"};

struct ScanFacts {
  std::string product_title, program_version;
  LocalTime time;
  std::string platform;
  std::optional<ProductVersion> msie;
  int boot_mode = 0;
  std::string processes_heading = "Running processes:";  // string 818
  std::vector<std::string> processes;
  // R1 HKCU Default_Page_URL, R0 HKCU Start Page, R1 HKLM Default_Page_URL, R0 HKLM Start Page,
  // R1 HKCU Window Title, R0 HKLM Window Title.
  std::array<std::optional<std::string>, 6> browser_pages;
  std::string system_shell, win_run, win_load, userinit;  // INI entries; empty: none
  std::optional<std::string> current_user_load, current_user_run;
  std::optional<std::string> hosts;  // the HOSTS file's content
  std::vector<ClassEntry> helpers, toolbars;
  std::vector<RunEntry> run_entries;
  std::vector<FolderEntry> folder_entries;
  std::optional<std::string> inetcpl;
  bool restrictions = false, control_panel = false;
  std::array<std::optional<std::uint32_t>, 3> system_policies;  // DisableRegistryTools, DisableRegEdit, DisableTaskMgr
  std::vector<std::pair<std::string, std::string>> menu_extensions;
  std::vector<ExtraButton> extra_buttons;
  std::vector<OptionsGroup> options_groups;
  std::vector<std::pair<std::string, std::string>> plugins;  // extension, location
  std::optional<std::string> default_prefix, www_prefix, www_dot_prefix;
  std::string iereset_start_page, iereset_search_page;  // INI entries
  std::optional<std::string> iereset_file;             // the whole fixed-path file
  std::vector<std::string> trusted_domains;
  std::vector<Download> downloads;
  std::array<ControlSetDns, 4> dns;
  std::optional<std::string> user_stylesheet, appinit_dlls;
  std::vector<DelayLoad> delay_loads;
  std::vector<ClassEntry> shared_task_schedulers;
  std::vector<ServiceEntry> services;
  std::vector<DesktopComponent> desktop_components;
  std::optional<Browser> default_browser;
  std::optional<std::pair<std::string, std::string>> aol;  // version, running program
  std::vector<MozillaInstall> mozilla;
  std::optional<CookieCount> ie_cookies, mozilla_cookies;
  std::array<std::vector<std::string>, 4> boot_execute, pending_renames;  // every string of the value
  std::string comspec;
  int auto_update = 0;
  std::string auto_update_text;  // string 1050 + auto_update
  std::vector<ItemEntry> delayed, tasks, activex, hidden_files, file_types;
  MemoryStatus memory;
};

// The whole log, every line ending in CR LF.
std::string scan_log_text(const ScanFacts& facts);

// Parts with rules of their own, for the tests.
std::string digit_groups(std::uint64_t number);            // 1234567 -> "1,234,567"
std::string o4_line(int code, std::string_view title, std::string_view file);
std::string hosts_lines(std::string_view content);         // the O1 lines
std::string iereset_lines(std::string_view content);       // the third O14 template's lines
bool hosts_address_hidden(std::string_view line);          // loopback and null-route entries
std::string without_control_characters(std::string_view text);
// The strings of a multi-string value's data (the empty last one left out).
std::vector<std::string> multi_strings(std::string_view data);

}  // namespace kestrom::reports
