// Helpers for the startup-programs tests under Wine: a clean registry, win.ini and startup
// folders before each test, fixture program paths and item lookups.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/item_list.hpp"
#include "platform/com.hpp"
#include "startup/enumerate.hpp"
#include "startup/places.hpp"
#include "tools/test_support_win.hpp"

namespace kestrom::test {

inline constexpr const char* kDisabledStoreKey = "Software\\Orvane\\Kestrom\\Disabled";
inline constexpr const char* kSnapshotKey = "Software\\Orvane\\Kestrom\\Run";
inline constexpr const char* kOptionsKey = "Software\\Orvane\\Kestrom\\Options";
inline constexpr const char* kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* kWinlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
inline constexpr const char* kNtWindows = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

inline std::string startup_folder(HKEY root, const char* value) { return get_value(root, kShellFoldersKey, value); }

inline void write_file(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}
inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
inline bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline void empty_folder(const std::string& folder) {
  WIN32_FIND_DATAA fd{};
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string p = folder + "\\" + fd.cFileName;
    SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(p.c_str());
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

inline std::string winini(const char* key) {
  char buf[8192] = {};
  DWORD n = GetProfileStringA("windows", key, "", buf, sizeof buf);
  return std::string(buf, n);
}
inline void set_winini(const char* key, const std::string& line) { WriteProfileStringA("windows", key, line.c_str()); }

// Every startup place back to empty: the enumeration reads the whole system, so each test
// starts from nothing but what it writes itself.
inline void clean_startup_state() {
  for (int base : {code::kMachineBase, code::kCurrentBase, code::kWow64Base})
    for (int i = 1; i <= kRunKeysPerPass; ++i)
      clear_values(base == code::kCurrentBase ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, run_family_key(base + i));
  delete_tree(HKEY_LOCAL_MACHINE, kDisabledStoreKey);
  delete_tree(HKEY_CURRENT_USER, kSnapshotKey);
  delete_tree(HKEY_CURRENT_USER, kOptionsKey);
  set_winini("run", "");
  set_winini("load", "");
  for (auto [root, value] : {std::pair<HKEY, const char*>{HKEY_LOCAL_MACHINE, "Startup"},
                             {HKEY_LOCAL_MACHINE, "Common Startup"},
                             {HKEY_CURRENT_USER, "Startup"},
                             {HKEY_CURRENT_USER, "Common Startup"}}) {
    std::string f = startup_folder(root, value);
    if (f != "<missing>" && !f.empty()) empty_folder(f);
  }
  empty_folder(disabled_folder());
  clear_values(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad");
  clear_values(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler");
  clear_values(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks");
  delete_tree(HKEY_LOCAL_MACHINE, std::string(kWinlogon) + "\\Notify");
  delete_value(HKEY_LOCAL_MACHINE, kWinlogon, "Userinit");
  delete_value(HKEY_LOCAL_MACHINE, kNtWindows, "AppInit_Dlls");
  // What a fresh prefix holds stays as the prefix had it.
  set_value(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", "explorer.exe");
  set_value(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices", "winemenubuilder",
            "C:\\windows\\system32\\winemenubuilder.exe -a -r");
}

// The prefix's own RunServices entry sits between HKLM\...\Run and HKCU\...\Run.
inline void without_prefix_run_services() {
  delete_value(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices", "winemenubuilder");
}

inline const StartupItem* find_title(const ItemList& list, const std::string& title) {
  for (const auto& item : list.items())
    if (item.title == title) return &item;
  return nullptr;
}
inline int count_title(const ItemList& list, const std::string& title) {
  int n = 0;
  for (const auto& item : list.items()) n += item.title == title;
  return n;
}

inline std::size_t list_all(ItemList& list, bool wow64 = false) {
  StartupScan scan;
  scan.wow64_view = wow64;
  return list_startup_programs(list, scan, system_item_rules());
}

using ComScope = platform::ComApartment;

inline bool make_shortcut(const std::string& link, const std::string& target, const std::string& description) {
  auto sl = platform::create_instance<IShellLinkA>(CLSID_ShellLink, IID_IShellLinkA);
  if (!sl) return false;
  sl->SetPath(target.c_str());
  if (!description.empty()) sl->SetDescription(description.c_str());
  auto pf = sl.query<IPersistFile>(IID_IPersistFile);
  if (!pf) return false;
  std::wstring w(link.begin(), link.end());
  return SUCCEEDED(pf->Save(w.c_str(), TRUE));
}

}  // namespace kestrom::test
