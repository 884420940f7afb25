#include "reports/scan_log_win.hpp"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "categories/active_tasks.hpp"
#include "categories/activex_win.hpp"
#include "categories/cookies_win.hpp"
#include "categories/file_types_win.hpp"
#include "categories/hidden_files_win.hpp"
#include "categories/services_win.hpp"
#include "categories/system_files.hpp"
#include "categories/tasks.hpp"
#include "common/item_list.hpp"
#include "common/locations.hpp"
#include "common/product.hpp"
#include "common/paths.hpp"
#include "common/registry.hpp"
#include "common/text.hpp"
#include "platform/handles.hpp"
#include "platform/process.hpp"
#include "platform/reg_key.hpp"
#include "reports/report_text_win.hpp"
#include "startup/actions.hpp"
#include "startup/delay_store.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::reports {

namespace {

constexpr std::string_view kIeMain = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr std::string_view kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr std::string_view kBhoKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
constexpr std::string_view kToolbarKey = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
constexpr std::string_view kWindowsNtWindows = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr std::string_view kPoliciesSystem = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr std::string_view kIePolicies = "Software\\Policies\\Microsoft\\Internet Explorer";
constexpr std::string_view kMenuExt = "Software\\Microsoft\\Internet Explorer\\MenuExt";
constexpr std::string_view kExtensions = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
constexpr std::string_view kAdvancedOptions = "SOFTWARE\\Microsoft\\Internet Explorer\\AdvancedOptions";
constexpr std::string_view kPlugins = "SOFTWARE\\Microsoft\\Internet Explorer\\Plugins\\Extension";
constexpr std::string_view kDefaultPrefix = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\DefaultPrefix";
constexpr std::string_view kPrefixes = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes";
constexpr std::string_view kZoneDomains = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains";
constexpr std::string_view kDistributionUnits = "SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units";
constexpr std::string_view kStyles = "Software\\Microsoft\\Internet Explorer\\Styles";
constexpr std::string_view kMachineWindows = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr std::string_view kDelayLoad = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
constexpr std::string_view kSharedTaskScheduler =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler";
constexpr std::string_view kDesktopKey = "Software\\Microsoft\\Internet Explorer\\Desktop\\Components\\";
constexpr std::string_view kWindowsNt = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::string_view kAutoUpdate = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update";
constexpr std::string_view kFixedIereset = "C:\\WINDOWS\\inf\\iereset.inf";
constexpr std::size_t kFriendlyNameLimit = 512;
constexpr std::size_t kSourceLimit = 1024;

// A value's text when the value exists (it may be empty).
std::optional<std::string> existing_text(HKEY root, std::string_view key, std::string_view name) {
  const platform::RegKey k = platform::RegKey::open_read(root, key);
  if (!k) return std::nullopt;
  const auto raw = k.query(name);
  if (!raw) return std::nullopt;
  return reg::read_text(*raw, reg::kLongestText);
}

std::string text_of(HKEY root, std::string_view key, std::string_view name, std::size_t limit = reg::kLongestText) {
  return reg::read_text(root, key, name, limit);
}

std::string ini_text(const std::string& file, const char* section, const char* key) {
  char buffer[1024] = {};
  GetPrivateProfileStringA(section, key, "", buffer, sizeof buffer, file.c_str());
  return buffer;
}

std::optional<std::string> file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The class registered under `id`: its name, and the server file that implements it.
struct RegisteredClass {
  bool registered = false;
  std::string name, file;
};
RegisteredClass registered_class(std::string_view id) {
  const std::string key = "CLSID\\" + std::string(id);
  RegisteredClass c;
  c.registered = reg::key_exists(HKEY_CLASSES_ROOT, key);
  if (!c.registered) return c;
  c.name = text_of(HKEY_CLASSES_ROOT, key, "");
  c.file = text_of(HKEY_CLASSES_ROOT, key + "\\InprocServer32", "");
  return c;
}

std::optional<ProductVersion> internet_explorer() {
  std::string folder = text_of(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "IEXPLORE.EXE", "Path");
  if (!folder.empty() && folder.back() == ';') folder.pop_back();
  const std::string file = folder + "\\IExplore.exe";
  if (folder.empty() || !file_exists(std::string_view(file))) return std::nullopt;
  const VersionInfo v = version_information(file);
  return ProductVersion{v.file_description, v.product_version};
}

void gather_browser_objects(ScanFacts& f) {
  for (const std::string& id : reg::subkey_names(HKEY_LOCAL_MACHINE, kBhoKey)) {
    const RegisteredClass c = registered_class(id);
    if (c.registered) f.helpers.push_back({c.name, id, c.file});
  }
  for (const std::string& id : reg::value_names(HKEY_LOCAL_MACHINE, kToolbarKey)) {
    const RegisteredClass c = registered_class(id);
    if (c.registered) f.toolbars.push_back({c.name, id, c.file});
  }
  ItemList list;
  list_startup_programs(list, StartupScan{false, 0, wow64_view_present()}, system_item_rules());
  for (const StartupItem& item : list.items()) {
    if (item.code > 0 && item.code < code::kWinLoad) f.run_entries.push_back({item.code, item.title, item.file});
    // The entry's own path: the shortcut or program itself, or the file (other kinds keep no command).
    if (item.code == code::kGroupStartup)
      f.folder_entries.push_back(
          {item.command, item.file, in_common_startup_folder(item.command.empty() ? item.file : item.command)});
  }
  f.inetcpl = existing_text(HKEY_CURRENT_USER, "Control Panel\\don't load", "inetcpl.cpl");
  f.restrictions = !reg::value_names(HKEY_CURRENT_USER, std::string(kIePolicies) + "\\Restrictions").empty();
  f.control_panel = !reg::value_names(HKEY_CURRENT_USER, std::string(kIePolicies) + "\\Control Panel").empty();
  const platform::RegKey policies = platform::RegKey::open_read(HKEY_CURRENT_USER, kPoliciesSystem);
  constexpr std::array<std::string_view, 3> policy_names{"DisableRegistryTools", "DisableRegEdit", "DisableTaskMgr"};
  for (std::size_t i = 0; i < policy_names.size(); ++i) {
    const auto raw = policies ? policies.query(policy_names[i]) : std::nullopt;
    if (raw && !raw->data.empty()) f.system_policies[i] = static_cast<unsigned char>(raw->data[0]);
  }
  for (const std::string& name : reg::subkey_names(HKEY_CURRENT_USER, kMenuExt)) {
    const std::string target = text_of(HKEY_CURRENT_USER, std::string(kMenuExt) + "\\" + name, "");
    if (!target.empty()) f.menu_extensions.emplace_back(name, target);
  }
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const std::string& id : reg::subkey_names(root, kExtensions)) {
      const std::string key = std::string(kExtensions) + "\\" + id;
      ExtraButton b;
      b.id = id;
      b.current_user = root == HKEY_CURRENT_USER;
      b.target = text_of(root, key, "script");
      if (b.target.empty()) b.target = text_of(root, key, "exec");
      if (b.target.empty()) b.target = registered_class(id).file;
      b.button_text = text_of(root, key, "ButtonText");
      b.menu_text = existing_text(root, key, "MenuText");
      f.extra_buttons.push_back(std::move(b));
    }
  }
  for (const std::string& name : reg::subkey_names(HKEY_LOCAL_MACHINE, kAdvancedOptions)) {
    const std::string key = std::string(kAdvancedOptions) + "\\" + name;
    f.options_groups.push_back(
        {text_of(HKEY_LOCAL_MACHINE, key, "Text"), text_of(HKEY_LOCAL_MACHINE, key, "Bitmap"), text_of(HKEY_LOCAL_MACHINE, key, "HelpID")});
  }
  for (const std::string& extension : reg::subkey_names(HKEY_LOCAL_MACHINE, kPlugins)) {
    const std::string location = text_of(HKEY_LOCAL_MACHINE, std::string(kPlugins) + "\\" + extension, "Location");
    if (!location.empty()) f.plugins.emplace_back(extension, location);
  }
}

void gather_settings(ScanFacts& f) {
  f.default_prefix = existing_text(HKEY_LOCAL_MACHINE, kDefaultPrefix, "");
  f.www_prefix = existing_text(HKEY_LOCAL_MACHINE, kPrefixes, "www");
  f.www_dot_prefix = existing_text(HKEY_LOCAL_MACHINE, kPrefixes, "www.");
  const std::string iereset = windows_folder() + "\\inf\\iereset.inf";
  f.iereset_start_page = ini_text(iereset, "Strings", "START_PAGE_URL");
  f.iereset_search_page = ini_text(iereset, "Strings", "SEARCH_PAGE_URL");
  f.iereset_file = file_text(std::string(kFixedIereset));
  f.trusted_domains = reg::subkey_names(HKEY_CURRENT_USER, kZoneDomains);
  for (const std::string& name : reg::subkey_names(HKEY_LOCAL_MACHINE, kDistributionUnits)) {
    const std::string codebase =
        text_of(HKEY_LOCAL_MACHINE, std::string(kDistributionUnits) + "\\" + name + "\\DownloadInformation", "CODEBASE");
    if (!codebase.empty()) f.downloads.push_back({name, registered_class(name).name, codebase});
  }
  for (std::size_t i = 0; i < kControlSets.size(); ++i) {
    const std::string set = "SYSTEM\\" + std::string(kControlSets[i]) + "\\Services\\";
    const std::string tcpip = set + "Tcpip\\Parameters";
    ControlSetDns& d = f.dns[i];
    d.search_list = existing_text(HKEY_LOCAL_MACHINE, tcpip, "SearchList");
    d.name_server = existing_text(HKEY_LOCAL_MACHINE, tcpip, "NameServer");
    d.vxd_domain = existing_text(HKEY_LOCAL_MACHINE, set + "VxD\\MSTCP", "Domain");
    d.tcpip_domain = existing_text(HKEY_LOCAL_MACHINE, tcpip, "Domain");
  }
  f.user_stylesheet = existing_text(HKEY_CURRENT_USER, kStyles, "User Stylesheet");
  f.appinit_dlls = existing_text(HKEY_LOCAL_MACHINE, kMachineWindows, "AppInit_DLLs");
  for (const reg::Value& v : reg::values(HKEY_LOCAL_MACHINE, kDelayLoad, 255, reg::kMaxString)) {
    const RegisteredClass c = registered_class(v.data);
    if (!c.file.empty()) f.delay_loads.push_back({v.name, c.name, v.data, c.file});
  }
  for (const std::string& id : reg::value_names(HKEY_LOCAL_MACHINE, kSharedTaskScheduler)) {
    const RegisteredClass c = registered_class(id);
    if (!c.file.empty()) f.shared_task_schedulers.push_back({c.name, id, c.file});
  }
  ItemList list;
  services::list_services(list, services::ListMode::Full, system_item_rules());
  for (const StartupItem& item : list.items())
    f.services.push_back({item.title, version_information(item.file).company_name, item.file});
  for (int n = 0; n < kDesktopComponents; ++n) {
    const std::string key = std::string(kDesktopKey) + std::to_string(n);
    DesktopComponent c{text_of(HKEY_CURRENT_USER, key, "FriendlyName", kFriendlyNameLimit),
                       text_of(HKEY_CURRENT_USER, key, "Source", kSourceLimit)};
    if (c.friendly_name.empty()) break;
    f.desktop_components.push_back(std::move(c));
  }
}

std::optional<Browser> default_browser() {
  const std::string command = text_of(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", "");
  if (command.empty()) return std::nullopt;
  const std::string file = command_to_file(command);
  if (!file_exists(std::string_view(file))) return std::nullopt;
  const VersionInfo v = version_information(file);
  return Browser{v.product_name, v.file_description, v.product_version};
}

// The America Online client's main window, when one is open: its program's version and path.
std::optional<std::pair<std::string, std::string>> running_aol() {
  HWND window = nullptr;
  for (const char* name : {"AOL Frame25", "AOL Frame"})
    if (!window) window = FindWindowA(name, nullptr);
  for (const char* title : {"America Online", "America  Online", "AOL Canada"})
    if (!window) window = FindWindowA(nullptr, title);
  if (!window) return std::nullopt;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  std::string program;
  enumerate_processes([&](std::uint32_t id, std::uint32_t, const std::string& file) {
    if (id == pid) program = file;
    return program.empty();
  });
  if (program.empty()) return std::nullopt;
  return std::pair{version_information(program).product_version, program};
}

// The cookie counts: Internet Explorer's folder, then the Firefox store, each when found.
void gather_cookies(ScanFacts& f, const ItemRules& rules) {
  ItemList list;
  if (const cookies::Folder ie = cookies::ie_cookie_folder(); ie.found) {
    cookies::list_cookies(cookies::kKindExplorer, list, rules);
    f.ie_cookies = CookieCount{static_cast<long>(list.size()), ie.path};
  }
  const cookies::Folder profile = cookies::firefox_profile_folder(cookies::kKindFirefox);
  const std::string store = cookies::firefox_store_file(profile);
  if (!store.empty() && file_exists(std::string_view(store))) {
    const cookies::CookieListing listing = cookies::list_cookies(cookies::kKindFirefox, list, rules);
    f.mozilla_cookies = CookieCount{static_cast<long>(listing.count), store};
  }
}

std::vector<std::string> session_strings(std::string_view set, std::string_view name) {
  const platform::RegKey k =
      platform::RegKey::open_read(HKEY_LOCAL_MACHINE, "SYSTEM\\" + std::string(set) + "\\Control\\Session Manager");
  const auto raw = k ? k.query(name) : std::nullopt;
  if (!raw || (raw->type != REG_MULTI_SZ && raw->type != REG_SZ && raw->type != REG_EXPAND_SZ)) return {};
  return multi_strings(raw->data);
}

void gather_additional(ScanFacts& f, const ScanTexts& texts) {
  f.default_browser = default_browser();
  constexpr std::array<std::pair<std::string_view, std::string_view>, 3> mozilla{
      {{"Firefox", "firefox.exe"}, {"Mozilla", "Mozilla.exe"}, {"Netscape", "Netscp.exe"}}};
  for (const auto& [product, program] : mozilla) {
    const std::string key = std::string(kAppPaths) + std::string(program);
    const std::string file = text_of(HKEY_LOCAL_MACHINE, key, "");
    if (file.empty()) continue;
    std::string folder = text_of(HKEY_LOCAL_MACHINE, key, "Path");
    if (folder.empty()) folder = std::string(file.substr(0, file.size() - file_name_of_path(file).size()));
    f.mozilla.push_back({std::string(product), version_information(file).product_version, folder});
  }
  f.aol = running_aol();
  gather_cookies(f, system_item_rules());
  for (std::size_t i = 0; i < kControlSets.size(); ++i) {
    f.boot_execute[i] = session_strings(kControlSets[i], "BootExecute");
    f.pending_renames[i] = session_strings(kControlSets[i], "PendingFileRenameOperations");
  }
  f.comspec = text_of(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", "ComSpec");
  const platform::RegKey au = platform::RegKey::open_read(HKEY_LOCAL_MACHINE, kAutoUpdate);
  const auto level = au ? au.query("AUOptions") : std::nullopt;
  if (level && level->type == REG_DWORD && level->data.size() == 4) {
    f.auto_update = static_cast<int>(static_cast<unsigned char>(level->data[0]));
    if (f.auto_update >= 1 && f.auto_update <= 4) f.auto_update_text = texts.auto_update[static_cast<std::size_t>(f.auto_update)];
  }
  ItemList list;
  const ItemRules rules = system_item_rules();
  delay::list_delayed_programs(list, rules);
  for (const StartupItem& item : list.items()) f.delayed.push_back({item.title, item.file, item.command, item.detail, 0});
  list_tasks(list, rules);
  for (const StartupItem& item : list.items()) f.tasks.push_back({item.title, item.file, item.command, item.detail, 0});
  {
    const bool all = read_option(Opt::ActiveXListAll, Program::Explorer) != 0;
    activex::list_activex(list, all ? activex::ListMode::All : activex::ListMode::Statistics, rules);
    for (const StartupItem& item : list.items())
      f.activex.push_back({item.title, item.file, item.command, item.detail, static_cast<std::uint32_t>(item.value)});
  }
  list_hidden_files(list, rules);
  for (const StartupItem& item : list.items()) f.hidden_files.push_back({item.title, item.file, item.command, item.detail, 0});
  file_types::list_file_types(list, rules);
  for (const StartupItem& item : list.items()) f.file_types.push_back({item.title, item.file, item.command, item.detail, 0});
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  if (GlobalMemoryStatusEx(&memory))
    f.memory = {memory.dwMemoryLoad, memory.ullAvailPhys, memory.ullAvailPageFile, memory.ullAvailVirtual};
}

}  // namespace

ScanFacts gather_scan_facts(const ScanTexts& texts) {
  ScanFacts f;
  f.product_title = texts.product_title;
  f.program_version = running_program_version();
  f.time = local_now();
  f.platform = platform_description();
  f.msie = internet_explorer();
  f.boot_mode = GetSystemMetrics(SM_CLEANBOOT);
  f.processes_heading = texts.processes_heading;
  enumerate_processes([&](std::uint32_t, std::uint32_t, const std::string& file) {
    f.processes.push_back(file);
    return true;
  });
  const std::array<std::pair<HKEY, std::string_view>, 6> pages{{{HKEY_CURRENT_USER, "Default_Page_URL"},
                                                                   {HKEY_CURRENT_USER, "Start Page"},
                                                                   {HKEY_LOCAL_MACHINE, "Default_Page_URL"},
                                                                   {HKEY_LOCAL_MACHINE, "Start Page"},
                                                                   {HKEY_CURRENT_USER, "Window Title"},
                                                                   {HKEY_LOCAL_MACHINE, "Window Title"}}};
  for (std::size_t i = 0; i < pages.size(); ++i) f.browser_pages[i] = existing_text(pages[i].first, kIeMain, pages[i].second);
  const std::string system_ini = windows_folder() + "\\system.ini";
  f.system_shell = ini_text(system_ini, "Boot", "Shell");
  f.userinit = ini_text(system_ini, "Boot", "UserInit");
  const std::string win_ini = windows_folder() + "\\win.ini";
  f.win_run = ini_text(win_ini, "Windows", "run");
  f.win_load = ini_text(win_ini, "Windows", "load");
  f.current_user_load = existing_text(HKEY_CURRENT_USER, kWindowsNtWindows, "Load");
  f.current_user_run = existing_text(HKEY_CURRENT_USER, kWindowsNtWindows, "Run");
  f.hosts = file_text(hosts_path(windows_folder()));
  gather_browser_objects(f);
  gather_settings(f);
  gather_additional(f, texts);
  return f;
}

bool save_scan_log(const std::string& path, const ScanTexts& texts) {
  ReportFile file(path);
  if (!file.created()) return false;
  file.write(scan_log_text(gather_scan_facts(texts)));
  return file.close();
}

bool write_scan_log(HWND owner, const std::string& path, const ScanTexts& texts) {
  bool written = false;
  {
    const WaitCursor wait;
    written = save_scan_log(path, texts);
  }
  if (written) platform::open_in_shell(owner, path);
  return written;
}

}  // namespace kestrom::reports
