#include "startup/enumerate.hpp"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/paths.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/string_ids.h"
#include "common/text.hpp"
#include "common/textloader.hpp"
#include "platform/com.hpp"
#include "platform/handles.hpp"
#include "platform/reg_key.hpp"
#include "startup/actions.hpp"
#include "startup/places.hpp"
#include "startup/startup_keys.hpp"

namespace kestrom {

namespace {

constexpr std::size_t kRunNameBuffer = 512;   // characters, terminator included
constexpr std::size_t kRunDataBuffer = 512;   // bytes, terminator included
constexpr std::size_t kShellFolderLimit = 259;
constexpr std::size_t kExtensionNameLimit = 255;
constexpr std::size_t kExtensionValueLimit = 255;
constexpr std::size_t kDisabledNameLimit = 254;
constexpr std::size_t kDisabledDataLimit = 255;
constexpr std::size_t kWinlogonValueLimit = 259;
// A run= or load= line is read whole: a cut line would list the piece at the cut as a
// program that does not exist.
constexpr DWORD kWinIniLineBuffer = 32768;
constexpr DWORD kShortcutResolveMs = 500;

// The pair of the last Run-family value that reached the listing step; an identical pair
// right after it (the same entry seen through HKLM and HKCU) is listed once.
struct LastPair {
  std::string name, data;
};

// Values of one Run-family key, read the way the listing needs them: 512-character name and
// data buffers, strings only. Values are collected first, because re-disabling an entry
// deletes values from the key and would shift the enumeration index.
std::vector<reg::Value> run_key_values(HKEY root, const std::string& path) {
  auto values = reg::values(root, path, kRunNameBuffer - 1, kRunDataBuffer - 1);
  // Numbers, binary data and string lists are no command line; read as text they would
  // list junk.
  std::erase_if(values, [](const reg::Value& v) { return !v.is_text(); });
  return values;
}

// Names of the disabled markers, read once per enumeration instead of once per Run value
// (a registry open and query each). Only the enumeration's own re-disabling changes them,
// and that keeps the marker of the name it handles.
// A marker holds the code of the place its entry was disabled from: only a value that came
// back at that place is the disabled entry; the same title at another place is another entry.
class MarkerNames {
 public:
  MarkerNames() {
    for (const auto& v : reg::values(HKEY_LOCAL_MACHINE, keys::kDisabled, kRunNameBuffer - 1, kMarkerLimitRemove))
      if (!v.data.empty()) codes_.emplace(to_upper(v.name), std::atoi(v.data.c_str()));
  }
  bool has(const std::string& name, int code) const {
    if (codes_.empty()) return false;
    auto it = codes_.find(to_upper(name));
    return it != codes_.end() && it->second == code;
  }

 private:
  std::unordered_map<std::string, int> codes_;
};

void list_run_key(ItemList& list, HKEY root, const std::string& path, int code, LastPair& last,
                  const MarkerNames& markers, const ItemRules& rules) {
  for (const auto& v : run_key_values(root, path)) {
    if (iequals(v.name, last.name) && iequals(v.data, last.data)) continue;
    if (markers.has(v.name, code)) {
      // Came back after being disabled: disabled again, so the current command is kept in
      // the Disabled Store and the Run value goes; the Disabled Store listing shows it.
      disable_run_value(v.name, code);
      continue;
    }
    last = {v.name, v.data};
    if (v.name.size() > 1 && v.data.size() > 4 && static_cast<unsigned char>(v.name[0]) < 0x80) {
      auto rule = rundll32_rule(std::string_view(v.data).substr(0, kMaxFileText));
      list.add(v.name, rule.text, "", "", code, rule.flag, rules);
    }
  }
}

void list_run_family(ItemList& list, const StartupScan& scan, const ItemRules& rules) {
  LastPair last;
  MarkerNames markers;
  struct Pass {
    HKEY root;
    int base;
  };
  std::vector<Pass> passes{{HKEY_LOCAL_MACHINE, code::kMachineBase}, {HKEY_CURRENT_USER, code::kCurrentBase}};
  if (scan.wow64_view) passes.push_back({HKEY_LOCAL_MACHINE, code::kWow64Base});
  for (const auto& pass : passes)
    for (int i = 1; i <= kRunKeysPerPass; ++i)
      list_run_key(list, pass.root, run_family_key(pass.base + i), pass.base + i, last, markers, rules);
}

// Target, description and whether the shell reported a link it did not resolve.
struct Shortcut {
  std::string target, description;
  bool unresolved = false;
};

std::wstring wide(const std::string& s) {
  int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
  if (n <= 0) return {};
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
  w.resize(static_cast<std::size_t>(n - 1));
  return w;
}

// Creates the shell's link object once and loads each shortcut of a folder into it in turn.
class ShortcutReader {
 public:
  Shortcut read(const std::string& link) {
    Shortcut out;
    if (!ready()) return out;
    if (FAILED(file_->Load(wide(link).c_str(), STGM_READ))) return out;
    HRESULT hr = link_->Resolve(nullptr, SLR_NO_UI | SLR_NOUPDATE | (kShortcutResolveMs << 16));
    if (hr == S_FALSE) {
      out.unresolved = true;
      return out;
    }
    char path[MAX_PATH + 1] = {};
    WIN32_FIND_DATAA fd{};
    if (SUCCEEDED(link_->GetPath(path, MAX_PATH, &fd, SLGP_RAWPATH))) out.target = path;
    char desc[MAX_PATH + 1] = {};
    if (SUCCEEDED(link_->GetDescription(desc, MAX_PATH))) out.description = desc;
    return out;
  }

 private:
  bool ready() {
    if (file_) return true;
    if (failed_) return false;
    link_ = platform::create_instance<IShellLinkA>(CLSID_ShellLink, IID_IShellLinkA);
    file_ = link_.query<IPersistFile>(IID_IPersistFile);
    failed_ = !file_;
    return !failed_;
  }

  platform::ComPtr<IShellLinkA> link_;
  platform::ComPtr<IPersistFile> file_;
  bool failed_ = false;
};

// Version information read at most once per file text in one listing: the same server or
// target often stands behind many entries.
class VersionCache {
 public:
  const VersionInfo& of(const std::string& file) {
    auto it = read_.find(file);
    if (it == read_.end()) it = read_.emplace(file, version_information(file)).first;
    return it->second;
  }

 private:
  std::unordered_map<std::string, VersionInfo> read_;
};

std::string last_three(const std::string& s) { return s.size() >= 3 ? to_upper(s.substr(s.size() - 3)) : to_upper(s); }

}  // namespace

ItemRules system_item_rules() {
  ItemRules r;
  r.long_path = [](std::string_view p) { return long_path(p); };
  std::string name = text::load(IDS_PRODUCT_NAME);
  if (!name.empty()) r.display_name = name;
  return r;
}

bool wow64_view_present() { return reg::key_exists(HKEY_LOCAL_MACHINE, run_family_key(code::kWow64Run)); }

struct LocationTexts::State {
  std::optional<platform::RegKey> markers;  // the Disabled Store's key, opened at first need
  std::unordered_map<int, std::string> texts;
  const std::string& text(int number) {
    auto [it, fresh] = texts.try_emplace(number);
    if (fresh) it->second = text::load(number);
    return it->second;
  }
};

LocationTexts::LocationTexts() : state_(std::make_unique<State>()) {}
LocationTexts::~LocationTexts() = default;

std::string LocationTexts::of(const StartupItem& item) {
  State& s = *state_;
  const int string_number = location_text_string(item.code);
  bool disabled = false;
  if (item.code <= code::kWinlogonNotify) {
    if (!s.markers) s.markers = platform::RegKey::open_read(HKEY_LOCAL_MACHINE, keys::kDisabled);
    const auto raw = *s.markers ? s.markers->query(item.title) : std::nullopt;
    const std::string marker = raw ? reg::read_text(*raw, kMarkerLimitToggle) : std::string();
    disabled = !marker.empty() && std::atoi(marker.c_str()) != 0;
  }
  return location_text(item.code, disabled, disabled ? s.text(IDS_DISABLED_TYPE) : std::string(),
                       string_number ? s.text(string_number) : std::string());
}

std::string item_location_text(const StartupItem& item) { return LocationTexts{}.of(item); }

std::string startup_type_text(int code) { return text::load(startup_type_text_number(code)); }

std::string disabled_folder() { return program_folder() + "\\Disabled"; }

namespace {

void list_folder(ItemList& list, const std::string& folder, const ItemRules& rules, VersionCache& versions) {
  if (folder.empty()) return;
  WIN32_FIND_DATAA fd{};
  platform::UniqueFind find(FindFirstFileA((folder + "\\*.*").c_str(), &fd));
  if (!find) return;
  ShortcutReader shortcuts;
  do {
    std::string name = fd.cFileName;
    // Subfolders hold nothing Windows starts from here (and "." and ".." are no files).
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string path = folder + "\\" + name;
    std::string kind = last_three(path);
    if (kind == "INI") continue;
    if (kind == "LNK") {
      Shortcut s = shortcuts.read(path);
      if (s.unresolved) continue;
      std::string title = s.description;
      if (title.empty() && !s.target.empty()) {
        const auto& v = versions.of(s.target);
        title = v.file_description.empty() ? v.product_name : v.file_description;
      }
      list.add(title, s.target, path, "", code::kGroupStartup, 0, rules);
    } else if (kind == "EXE") {
      const auto& v = versions.of(path);
      list.add(v.file_description.empty() ? v.product_name : v.file_description, path, path, "", code::kGroupStartup,
               0, rules);
    } else {
      list.add("", path, "", "", code::kGroupStartup, 0, rules);
    }
  } while (FindNextFileA(find.get(), &fd));
}

}  // namespace

void list_startup_folder(ItemList& list, const std::string& folder, const ItemRules& rules) {
  VersionCache versions;
  list_folder(list, folder, rules, versions);
}

FoundCommand userinit_command() {
  return userinit_command_from(reg::read_text(HKEY_LOCAL_MACHINE, keys::kWinlogon, "UserInit", kWinlogonValueLimit));
}

FoundCommand shell_command() {
  return shell_command_from(reg::read_text(HKEY_LOCAL_MACHINE, keys::kWinlogon, "Shell", kWinlogonValueLimit));
}

namespace {

void list_startup_folders(ItemList& list, const ItemRules& rules, VersionCache& versions) {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
    for (std::string_view value : {"Startup", "Common Startup"}) {
      std::string folder = reg::read_text(root, keys::kShellFolders, value, kShellFolderLimit, reg::Expand::Yes);
      if (!folder.empty()) list_folder(list, folder, rules, versions);
    }
}

void list_win_ini(ItemList& list, const ItemRules& rules, VersionCache& versions) {
  std::vector<char> buf(kWinIniLineBuffer);
  for (auto [key, code] : {std::pair<const char*, int>{"run", code::kWinRun}, {"load", code::kWinLoad}}) {
    DWORD n = GetProfileStringA("windows", key, "", buf.data(), kWinIniLineBuffer);
    for (const auto& piece : profile_list_pieces(std::string_view(buf.data(), n))) {
      std::string title = versions.of(piece).product_name;
      if (title.empty()) title = key;
      list.add(title, piece, "", "", code, 0, rules);
    }
  }
}

void list_disabled_store(ItemList& list, const ItemRules& rules, VersionCache& versions) {
  // The markers' key opened once instead of once per disabled entry.
  const auto markers = platform::RegKey::open_read(HKEY_LOCAL_MACHINE, keys::kDisabled);
  auto marker_of = [&markers](const std::string& name) {
    auto raw = markers ? markers.query(name) : std::nullopt;
    std::string s = raw ? reg::read_text(*raw, kMarkerLimitRemove) : std::string();
    return s.empty() ? 0 : std::atoi(s.c_str());
  };
  for (std::string_view sub : kDisabledCommandSubkeys) {
    std::string key = std::string(keys::kDisabled) + "\\" + std::string(sub);
    for (const auto& v : reg::values(HKEY_LOCAL_MACHINE, key, kDisabledNameLimit, kDisabledDataLimit)) {
      if (v.name.empty() || !v.is_text()) continue;
      int marker = marker_of(v.name);
      if (marker > 0) list.add(v.name, v.data, "", "", marker, 0, rules);
    }
  }
  list_folder(list, disabled_folder(), rules, versions);
}

std::string class_key(std::string id) {
  if (id.empty() || id.front() != '{') id = "{" + id + "}";
  return "CLSID\\" + id;
}
std::string class_server(const std::string& id) {
  return reg::read_text(HKEY_CLASSES_ROOT, class_key(id) + "\\InprocServer32", "", kExtensionValueLimit,
                        reg::Expand::Yes);
}
// Read only where an entry's title needs it.
std::string class_name(const std::string& id) {
  return reg::read_text(HKEY_CLASSES_ROOT, class_key(id), "", kExtensionValueLimit);
}

void list_extension_points(ItemList& list, const ItemRules& rules, VersionCache& versions) {
  for (const auto& v : reg::values(HKEY_LOCAL_MACHINE, keys::kDelayLoad, kExtensionNameLimit, kExtensionValueLimit)) {
    if (!v.is_text()) continue;
    const std::string server = class_server(v.data);
    list.add(v.name, server, v.data, versions.of(server).product_version, code::kDelayLoad, 0, rules);
  }
  for (auto [key, code] : {std::pair<std::string_view, int>{keys::kSharedTaskScheduler, code::kTaskScheduler},
                           {keys::kShellExecuteHooks, code::kShellExecuteHook}}) {
    for (const auto& v : reg::values(HKEY_LOCAL_MACHINE, key, kExtensionNameLimit, kExtensionValueLimit)) {
      if (v.name.empty()) continue;
      const std::string server = class_server(v.name);
      std::string data = v.is_text() ? v.data : std::string();
      list.add(data.empty() ? class_name(v.name) : data, server, v.name, versions.of(server).product_version, code, 0,
               rules);
    }
  }
  std::string appinit =
      reg::read_text(HKEY_LOCAL_MACHINE, keys::kWindowsNtWindows, "AppInit_Dlls", kExtensionValueLimit);
  for (const auto& dll : appinit_pieces(appinit)) {
    const auto& ver = versions.of(dll);
    list.add(ver.product_name, dll, ver.company_name, ver.product_version, code::kAppInitDlls, 0, rules);
  }
  for (const auto& sub : reg::subkey_names(HKEY_LOCAL_MACHINE, keys::kWinlogonNotify, kExtensionNameLimit)) {
    if (sub.empty()) continue;
    std::string dll = reg::read_text(HKEY_LOCAL_MACHINE, std::string(keys::kWinlogonNotify) + "\\" + sub, "DllName",
                                     kWinlogonValueLimit);
    if (dll.empty()) continue;
    const auto& ver = versions.of(dll);
    list.add(sub, dll, ver.file_description, ver.product_version, code::kWinlogonNotify, 0, rules);
  }
}

}  // namespace

std::size_t list_startup_programs(ItemList& list, const StartupScan& scan, const ItemRules& given) {
  list.clear();
  // One text stands behind many entries (a program started from several places, a server
  // behind several extensions, a shortcut target): its long form is asked once per listing.
  std::unordered_map<std::string, std::string> long_forms;
  ItemRules rules = given;
  if (given.long_path)
    rules.long_path = [&long_forms, &given](std::string_view path) {
      auto it = long_forms.find(std::string(path));
      if (it == long_forms.end()) it = long_forms.emplace(std::string(path), given.long_path(path)).first;
      return it->second;
    };
  VersionCache versions;
  list_run_family(list, scan, rules);
  list_startup_folders(list, rules, versions);
  list_win_ini(list, rules, versions);
  list_disabled_store(list, rules, versions);
  bool show_protected = !scan.advanced || scan.show_all_startup > 0;
  if (show_protected) {
    // Every x64 Windows is of the NT family, where Winlogon reads these values.
    if (auto u = userinit_command(); u.found)
      list.add(text::load(IDS_WINLOGON_USERINIT), u.text, "", "", code::kWinlogonUserinit, 0, rules);
    if (auto s = shell_command(); s.found) list.add(text::load(IDS_WINLOGON_SHELL), s.text, "", "", code::kWinlogonShell, 0, rules);
    list_extension_points(list, rules, versions);
  }
  return list.size();
}

std::vector<std::string> startup_program_files(bool wow64_view) {
  ItemList list;
  StartupScan scan;
  scan.wow64_view = wow64_view;
  list_startup_programs(list, scan, system_item_rules());
  return list.files();
}

}  // namespace kestrom
