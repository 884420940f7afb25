// One first half and one second half of the Patrol Cycle, run in-process by the monitor's own
// window code and wiring, with every startup place holding entries (a few hundred in all) and
// a snapshot that already approves each of them, so no question opens. Rounds alternate with
// a baseline in the same run and the medians are compared.
//
// The baseline makes, with plain loops, the system calls the listing and the change test
// cannot do without for these entries, and no more:
//  - every place read once the way the listing reads it: the Run-family keys (value count,
//    then values by index), the Disabled Store's markers once, the four Shell Folders values,
//    each startup folder and the folder "Disabled" beside the program, run= and load= of
//    win.ini, the nine Disabled Store subkeys, Userinit and Shell, the three shell-extension
//    keys, AppInit_DLLs and the Notify subkeys;
//  - a disabled entry's marker number, one query each on the Disabled key opened once;
//  - per shortcut a load and a resolve with no user interface and 500 ms (one link object per
//    folder), then its target and description;
//  - version information where an entry needs it (win.ini pieces, shortcut targets without a
//    description, shell-extension servers, AppInit and Notify DLLs), read once per file;
//  - a class's server file for each shell extension, its name only where the title needs it;
//  - the long path of every file text of 4 or more characters and of the non-empty second
//    text beside it, asked once per text in a pass;
//  - one snapshot query per entry on the snapshot key opened once.
// After the rounds, pieces of the listing are timed alone (startup folders, snapshot lookups,
// version reads, disabled markers) to show where the time beyond the baseline goes.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/browser_steps_bench.hpp"
#include "common/paths.hpp"
#include "kestrompro/kestrompro.hpp"
#include "monitor/monitor_win.hpp"
#include "monitor/wiring_win.hpp"
#include "startup/actions.hpp"
#include "startup/enumerate.hpp"
#include "startup/places.hpp"
#include "startup/snapshot.hpp"
#include "platform/com.hpp"

using namespace kestrom;

namespace {

constexpr int kRounds = 7;
constexpr int kPerRunKey = 8;         // values in each Run-family key
constexpr int kShortcuts = 16;        // per startup folder
constexpr int kOtherFiles = 6;        // per startup folder
constexpr int kWinIniEntries = 8;     // on each of run= and load=
constexpr int kDisabled = 16;
constexpr int kPerExtensionKey = 8;   // DelayLoad, SharedTaskScheduler, ShellExecuteHooks, Notify
constexpr int kAppInitDlls = 4;
constexpr const char* kPrefix = "kt_pbench_";
constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kDisabledStore = "Software\\Orvane\\Kestrom\\Disabled";
constexpr const char* kSnapshot = "Software\\Orvane\\Kestrom\\Run";
constexpr const char* kDelayLoad = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
constexpr const char* kTaskScheduler = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler";
constexpr const char* kExecuteHooks = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks";
constexpr const char* kNotify = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify";
constexpr const char* kWindowsNt = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr const char* kWinlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr REGSAM k64 = KEY_WOW64_64KEY;

std::string n(int i) { return kPrefix + std::to_string(i); }

void set_text(HKEY root, const std::string& key, const std::string& name, const std::string& text) {
  HKEY k = nullptr;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | k64, nullptr, &k, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(k, name.empty() ? nullptr : name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(k);
}

std::string get_text(HKEY root, const std::string& key, const char* name) {
  char buf[1024] = {};
  DWORD size = sizeof buf - 1;
  if (RegGetValueA(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &size) !=
      ERROR_SUCCESS)
    return {};
  return buf;
}

void delete_tree(HKEY root, const std::string& key) {
  RegDeleteTreeA(root, key.c_str());
  RegDeleteKeyA(root, key.c_str());
}

std::string clsid(int i) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "{6B2E7A10-0000-4000-8000-%012d}", i);
  return buf;
}

std::vector<std::string> startup_folders() {
  std::vector<std::string> out;
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
    for (const char* value : {"Startup", "Common Startup"}) {
      std::string f = get_text(root, kShellFolders, value);
      if (!f.empty() && std::find(out.begin(), out.end(), f) == out.end()) out.push_back(f);
    }
  return out;
}

struct Places {
  std::vector<std::pair<HKEY, std::string>> run_keys;
  std::string win_run, win_load, appinit;
  bool saved = false;  // win.ini and AppInit were saved by fill(p, true) and are restored
  std::vector<std::string> files;
};

Places places(bool wow64) {
  Places p;
  std::vector<int> bases{code::kMachineBase, code::kCurrentBase};
  if (wow64) bases.push_back(code::kWow64Base);
  for (int base : bases)
    for (int i = 1; i <= kRunKeysPerPass; ++i)
      p.run_keys.push_back({run_family_root(base + i) == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                            run_family_key(base + i)});
  return p;
}

// Deletes the values of a key whose name or text starts with the bench's prefix.
void sweep(HKEY root, const std::string& key) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE | k64, &k) != ERROR_SUCCESS) return;
  std::vector<std::string> doomed;
  char name[512];
  char data[512];
  for (DWORD i = 0;; ++i) {
    DWORD nlen = sizeof name, dlen = sizeof data - 1;
    const LONG rc = RegEnumValueA(k, i, name, &nlen, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &dlen);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) continue;
    data[dlen] = 0;
    const std::size_t n = std::strlen(kPrefix);
    if (std::strncmp(name, kPrefix, n) == 0 || std::strncmp(data, kPrefix, n) == 0) doomed.emplace_back(name, nlen);
  }
  for (const auto& d : doomed) RegDeleteValueA(k, d.c_str());
  RegCloseKey(k);
}

// Fills every place; `on` false takes everything out again and restores win.ini and AppInit.
void fill(Places& p, bool on) {
  const std::string sys = "C:\\windows\\system32\\";
  int id = 0;
  for (const auto& [root, key] : p.run_keys)
    for (int i = 0; i < kPerRunKey; ++i, ++id) {
      if (on)
        set_text(root, key, n(id), i % 2 ? sys + "notepad.exe" : "\"" + sys + "cmd.exe\" /c " + n(id));
      else
        RegDeleteKeyValueA(root, key.c_str(), n(id).c_str());
    }
  for (const auto& folder : startup_folders()) {
    CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < kShortcuts + kOtherFiles; ++i, ++id) {
      const std::string file = folder + "\\" + n(id) + (i < kShortcuts ? ".lnk" : ".bat");
      if (!on) {
        DeleteFileA(file.c_str());
      } else if (i < kShortcuts) {
        create_shortcut(file, sys + (i % 2 ? "notepad.exe" : "regedit.exe"));
      } else {
        HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
      }
    }
  }
  // win.ini lists are ";"-separated: each piece is one entry. The numbers are taken in both
  // directions, so the places after win.ini are emptied under the names they were filled with.
  std::string run, load;
  for (int i = 0; i < kWinIniEntries; ++i, ++id) {
    run += "C:\\windows\\" + n(id) + ".exe;";
    load += "C:\\windows\\" + n(id + 1000) + ".exe;";
  }
  if (on) {
    char buf[4096] = {};
    GetProfileStringA("windows", "run", "", buf, sizeof buf);
    p.win_run = buf;
    GetProfileStringA("windows", "load", "", buf, sizeof buf);
    p.win_load = buf;
    WriteProfileStringA("windows", "run", run.c_str());
    WriteProfileStringA("windows", "load", load.c_str());
  } else if (p.saved) {
    WriteProfileStringA("windows", "run", p.win_run.empty() ? nullptr : p.win_run.c_str());
    WriteProfileStringA("windows", "load", p.win_load.empty() ? nullptr : p.win_load.c_str());
  }
  for (int i = 0; i < kDisabled; ++i, ++id) {
    const std::string run_store = std::string(kDisabledStore) + "\\Run";
    if (on) {
      set_text(HKEY_LOCAL_MACHINE, kDisabledStore, n(id), "11");
      set_text(HKEY_LOCAL_MACHINE, run_store, n(id), sys + n(id) + ".exe");
    } else {
      RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kDisabledStore, n(id).c_str());
      RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, run_store.c_str(), n(id).c_str());
    }
  }
  for (const char* key : {kDelayLoad, kTaskScheduler, kExecuteHooks})
    for (int i = 0; i < kPerExtensionKey; ++i, ++id) {
      const std::string c = clsid(id);
      if (on) {
        set_text(HKEY_CLASSES_ROOT, "CLSID\\" + c, "", n(id));
        set_text(HKEY_CLASSES_ROOT, "CLSID\\" + c + "\\InprocServer32", "", sys + "shell32.dll");
        if (key == kDelayLoad)
          set_text(HKEY_LOCAL_MACHINE, key, n(id), c);
        else
          set_text(HKEY_LOCAL_MACHINE, key, c, n(id));
      } else {
        delete_tree(HKEY_CLASSES_ROOT, "CLSID\\" + c);
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, key, key == kDelayLoad ? n(id).c_str() : c.c_str());
      }
    }
  for (int i = 0; i < kPerExtensionKey; ++i, ++id) {
    const std::string sub = std::string(kNotify) + "\\" + n(id);
    if (on)
      set_text(HKEY_LOCAL_MACHINE, sub, "DllName", sys + n(id) + ".dll");
    else
      delete_tree(HKEY_LOCAL_MACHINE, sub);
  }
  std::string dlls;
  for (int i = 0; i < kAppInitDlls; ++i, ++id) dlls += (i ? "," : "") + std::string("kt") + std::to_string(i) + ".dll";
  if (on) {
    p.appinit = get_text(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs");
    if (p.appinit == dlls) p.appinit.clear();  // left by an earlier run
    p.saved = true;
    set_text(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs", dlls);
  } else if (p.saved) {
    set_text(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs", p.appinit);
  }
}

double ms_since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// ---- Baseline: the same places with plain loops ------------------------------------------

// The calls the header lists, nothing else.
struct Baseline {
  HKEY snapshot = nullptr;
  HKEY disabled = nullptr;
  std::size_t entries = 0;
  std::vector<std::string> versions_read;  // files whose version information this pass read
  std::vector<double> folders_ms;          // the startup folders' part of each pass
  std::unordered_map<std::string, std::string> long_forms;  // asked this pass

  std::string long_path(const std::string& text) {
    auto it = long_forms.find(text);
    if (it == long_forms.end()) it = long_forms.emplace(text, ask_long_path(text)).first;
    return it->second;
  }

  static std::string ask_long_path(const std::string& text) {
    char out[MAX_PATH + 1];
    const DWORD got = GetLongPathNameA(text.c_str(), out, sizeof out);
    return got == 0 || got >= sizeof out ? text : std::string(out, got);
  }

  // One entry: the long paths and the snapshot read.
  void add(std::string file, const std::string& command = "") {
    file.erase(std::remove(file.begin(), file.end(), '"'), file.end());
    if (file.size() >= 4) {
      file = long_path(file);
      if (!command.empty()) long_path(command);
    }
    std::replace(file.begin(), file.end(), '=', ':');
    char data[40];
    DWORD size = sizeof data;
    RegQueryValueExA(snapshot, file.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    ++entries;
  }

  void version(const std::string& file) {
    if (std::find(versions_read.begin(), versions_read.end(), file) != versions_read.end()) return;
    versions_read.push_back(file);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
    if (size == 0) return;
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, data.data())) return;
    void* p = nullptr;
    UINT len = 0;
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &p, &len) || len < 4) return;
    const WORD* pair = static_cast<const WORD*>(p);
    for (const char* what : {"ProductName", "ProductVersion", "CompanyName", "FileDescription"}) {
      char query[96];
      std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", pair[0], pair[1], what);
      VerQueryValueA(data.data(), query, &p, &len);
    }
  }

  std::vector<std::pair<std::string, std::string>> values(HKEY root, const std::string& key) {
    std::vector<std::pair<std::string, std::string>> out;
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | k64, &k) != ERROR_SUCCESS) return out;
    DWORD count = 0;
    RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                     nullptr);
    char name[512];
    char data[512];
    for (DWORD i = 0; i < count; ++i) {
      DWORD nlen = sizeof name, dlen = sizeof data - 1;
      if (RegEnumValueA(k, i, name, &nlen, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &dlen) != ERROR_SUCCESS)
        continue;
      data[dlen] = 0;
      out.emplace_back(std::string(name, nlen), data);
    }
    RegCloseKey(k);
    return out;
  }

  std::string text(HKEY root, const std::string& key, const char* name) {
    char buf[1024] = {};
    DWORD size = sizeof buf - 1;
    if (RegGetValueA(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &size) !=
        ERROR_SUCCESS)
      return {};
    return buf;
  }

  void folder(const std::string& folder) {
    WIN32_FIND_DATAA fd{};
    HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return;
    platform::ComPtr<IShellLinkA> link;
    platform::ComPtr<IPersistFile> file;
    do {
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      const std::string path = folder + "\\" + fd.cFileName;
      const std::string kind = path.substr(path.size() - 3);
      if (_stricmp(kind.c_str(), "ini") == 0) continue;
      if (_stricmp(kind.c_str(), "lnk") == 0) {
        if (!link && (link = platform::create_instance<IShellLinkA>(CLSID_ShellLink, IID_IShellLinkA)))
          file = link.query<IPersistFile>(IID_IPersistFile);
        std::string target;
        if (file) {
          std::wstring w(path.begin(), path.end());
          if (SUCCEEDED(file->Load(w.c_str(), STGM_READ))) {
            // A link the shell reports as not resolved is no entry.
            if (link->Resolve(nullptr, SLR_NO_UI | SLR_NOUPDATE | (500 << 16)) == S_FALSE) continue;
            char out[MAX_PATH + 1] = {};
            WIN32_FIND_DATAA found{};
            link->GetPath(out, MAX_PATH, &found, SLGP_RAWPATH);
            target = out;
            char description[MAX_PATH + 1] = {};
            link->GetDescription(description, MAX_PATH);
            if (!*description && !target.empty()) version(target);
          }
        }
        add(target, path);
      } else {
        if (_stricmp(kind.c_str(), "exe") == 0) version(path);
        add(path, path);
      }
    } while (FindNextFileA(find, &fd));
    FindClose(find);
  }

  // The server file of a class; its name only when the title needs it.
  std::string server(const std::string& id, bool name_too) {
    if (name_too) text(HKEY_CLASSES_ROOT, "CLSID\\" + id, nullptr);
    return text(HKEY_CLASSES_ROOT, "CLSID\\" + id + "\\InprocServer32", nullptr);
  }

  void run(const Places& p) {
    entries = 0;
    versions_read.clear();
    long_forms.clear();
    RegOpenKeyExA(HKEY_CURRENT_USER, kSnapshot, 0, KEY_QUERY_VALUE, &snapshot);
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDisabledStore, 0, KEY_QUERY_VALUE | k64, &disabled);
    values(HKEY_LOCAL_MACHINE, kDisabledStore);  // the markers a Run value may be named like
    for (const auto& [root, key] : p.run_keys)
      for (const auto& [name, data] : values(root, key)) add(data);
    const auto folders_start = std::chrono::steady_clock::now();
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
      for (const char* value : {"Startup", "Common Startup"})
        if (std::string f = text(root, kShellFolders, value); !f.empty()) folder(f);
    folders_ms.push_back(ms_since(folders_start));
    for (const char* key : {"run", "load"}) {
      std::vector<char> buf(32768);
      const DWORD got = GetProfileStringA("windows", key, "", buf.data(), static_cast<DWORD>(buf.size()));
      const std::string line(buf.data(), got);
      for (std::size_t at = 0; at < line.size();) {
        std::size_t end = line.find(';', at);
        if (end == std::string::npos) end = line.size();
        if (end > at) {
          version(line.substr(at, end - at));
          add(line.substr(at, end - at));
        }
        at = end + 1;
      }
    }
    for (const char* sub :
         {"Run", "RunOnce", "RunOnceEx", "RunServices", "RunServicesOnce", "RunSetup", "Policy", "WinLoad", "WinRun"})
      for (const auto& [name, data] : values(HKEY_LOCAL_MACHINE, std::string(kDisabledStore) + "\\" + sub)) {
        char marker[40];
        DWORD size = sizeof marker;
        RegQueryValueExA(disabled, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(marker), &size);
        add(data);
      }
    char module[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string program = module;
    folder(program.substr(0, program.find_last_of('\\')) + "\\Disabled");
    {
      HKEY winlogon = nullptr;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWinlogon, 0, KEY_QUERY_VALUE | k64, &winlogon) == ERROR_SUCCESS) {
        for (const char* name : {"UserInit", "Shell"}) {
          char buf[MAX_PATH + 1] = {};
          DWORD size = MAX_PATH;
          if (RegQueryValueExA(winlogon, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size) ==
              ERROR_SUCCESS)
            add(buf);
        }
        RegCloseKey(winlogon);
      }
    }
    for (const char* key : {kDelayLoad, kTaskScheduler, kExecuteHooks})
      for (const auto& [name, data] : values(HKEY_LOCAL_MACHINE, key)) {
        const bool delay = key == kDelayLoad;
        const std::string dll = server(delay ? data : name, !delay && data.empty());
        version(dll);
        add(dll, delay ? data : name);
      }
    for (std::string dlls = text(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs"); !dlls.empty();) {
      const std::size_t end = std::min(dlls.find_first_of(", "), dlls.size());
      if (end > 0) {
        const std::string dll = dlls.substr(0, end);
        version(dll);
        add(dll);
      }
      dlls.erase(0, end + 1);
    }
    HKEY notify = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNotify, 0, KEY_ENUMERATE_SUB_KEYS | k64, &notify) == ERROR_SUCCESS) {
      char sub[256];
      for (DWORD i = 0;; ++i) {
        DWORD len = sizeof sub;
        if (RegEnumKeyExA(notify, i, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        const std::string dll = text(HKEY_LOCAL_MACHINE, std::string(kNotify) + "\\" + sub, "DllName");
        if (dll.empty()) continue;
        version(dll);
        add(dll);
      }
      RegCloseKey(notify);
    }
    RegCloseKey(disabled);
    disabled = nullptr;
    if (snapshot) RegCloseKey(snapshot);
    snapshot = nullptr;
  }
};

// ---- Where the listing's time goes -------------------------------------------------------

// Pieces of the first half timed on their own through the same functions the listing and the
// change test use, each next to what the baseline does for the same entries.
struct Sections {
  std::vector<double> folders, lookups, versions_each, versions_once, markers, long_paths;

  void run(const ItemList& listed, const std::vector<std::string>& disabled_names) {
    const ItemRules rules = system_item_rules();
    auto t = std::chrono::steady_clock::now();
    ItemList scratch;
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
      for (const char* value : {"Startup", "Common Startup"})
        if (std::string f = get_text(root, kShellFolders, value); !f.empty()) list_startup_folder(scratch, f, rules);
    folders.push_back(ms_since(t));

    t = std::chrono::steady_clock::now();
    for (const auto& item : listed.items()) snapshot_lookup(item.file, item.title);
    lookups.push_back(ms_since(t));

    // The version reads the listing makes: shortcut targets, win.ini pieces, extension servers
    // and DLLs (one per such entry), then the same files each read once.
    std::vector<std::string> files;
    for (const auto& item : listed.items())
      if ((item.code == code::kGroupStartup && item.command.size() > 4 &&
           _stricmp(item.command.c_str() + item.command.size() - 4, ".lnk") == 0) ||
          item.code == code::kWinRun || item.code == code::kWinLoad || item.code >= code::kDelayLoad)
        files.push_back(item.file);
    VersionInfo info;
    t = std::chrono::steady_clock::now();
    for (const auto& f : files) version_information(f, info);
    versions_each.push_back(ms_since(t));
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    t = std::chrono::steady_clock::now();
    for (const auto& f : files) version_information(f, info);
    versions_once.push_back(ms_since(t));

    t = std::chrono::steady_clock::now();
    for (const auto& name : disabled_names) disabled_marker(name);
    markers.push_back(ms_since(t));

    // The long-path question every listed file text (and second text beside it) is asked.
    t = std::chrono::steady_clock::now();
    for (const auto& item : listed.items()) {
      if (item.file.size() < 4) continue;
      rules.long_path(item.file);
      if (!item.command.empty()) rules.long_path(item.command);
    }
    long_paths.push_back(ms_since(t));
  }
};

}  // namespace

// "browser" as the only argument runs the browser steps' rounds alone.
int main(int argc, char** argv) {
  using namespace kestrom::monitor;
  const bool browser_only = argc == 2 && std::strcmp(argv[1], "browser") == 0;
  // A start from scratch: the first run builds the snapshot from what the places hold.
  delete_tree(HKEY_CURRENT_USER, "Software\\Orvane");
  // The startup step every first half; the other intervals stay at their defaults.
  set_text(HKEY_CURRENT_USER, "Software\\Orvane\\Kestrom\\Options", "Start", "1");

  MonitorWiring wiring;
  Places p = places(wiring.wow64_view());
  const platform::ComApartment com;
  // A run cut short leaves entries behind, numbered for either view: take out every value
  // that carries the bench's prefix in its name or data, so each run starts from one state.
  for (bool view : {false, true}) {
    Places old = places(view);
    fill(old, false);
    for (const auto& [root, key] : old.run_keys) sweep(root, key);
  }
  for (const char* key : {kDisabledStore, "Software\\Orvane\\Kestrom\\Disabled\\Run", kDelayLoad, kTaskScheduler,
                          kExecuteHooks})
    sweep(HKEY_LOCAL_MACHINE, key);
  {
    std::vector<std::string> doomed;
    HKEY notify = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNotify, 0, KEY_ENUMERATE_SUB_KEYS | k64, &notify) == ERROR_SUCCESS) {
      char sub[256];
      for (DWORD i = 0;; ++i) {
        DWORD len = sizeof sub;
        if (RegEnumKeyExA(notify, i, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (std::strncmp(sub, kPrefix, std::strlen(kPrefix)) == 0) doomed.emplace_back(sub, len);
      }
      RegCloseKey(notify);
    }
    for (const auto& sub : doomed) delete_tree(HKEY_LOCAL_MACHINE, std::string(kNotify) + "\\" + sub);
  }
  fill(p, true);

  Monitor monitor(GetModuleHandleA(nullptr), wiring.hooks());
  if (!monitor.create("KestromPatrolBench", "Kestrom", false)) {
    std::fprintf(stderr, "no monitor window\n");
    return 1;
  }
  monitor.initialise();  // the real product initialisation, snapshot included

  ItemList count_list;
  const std::size_t listed = list_startup_programs(count_list, StartupScan{false, 0, wiring.wow64_view()},
                                                   system_item_rules());

  Baseline baseline;
  Sections sections;
  std::vector<std::string> disabled_names;
  for (const auto& item : count_list.items())
    if (item.code != code::kGroupStartup && disabled_marker(item.title) > 0) disabled_names.push_back(item.title);
  std::vector<double> first, second, base, listing;
  int asked = 0;
  for (int r = 0; r < (browser_only ? 0 : kRounds); ++r) {
    auto t = std::chrono::steady_clock::now();
    baseline.run(p);
    base.push_back(ms_since(t));
    // A cycle within a second of the last one leaves early: wait outside the timed part.
    Sleep(1100);
    t = std::chrono::steady_clock::now();
    monitor.patrol_cycle();  // first half
    first.push_back(ms_since(t));
    Sleep(1100);
    t = std::chrono::steady_clock::now();
    monitor.patrol_cycle();  // second half
    second.push_back(ms_since(t));
    if (monitor.alert_showing) ++asked;
    // Where the first half's time goes: the enumeration alone, without the snapshot test.
    t = std::chrono::steady_clock::now();
    list_startup_programs(count_list, StartupScan{false, 0, wiring.wow64_view()}, system_item_rules());
    listing.push_back(ms_since(t));
    sections.run(count_list, disabled_names);
  }
  // The browser steps alone, against their own baseline.
  browser_bench::run(wiring, monitor);
  KestromProStop();
  fill(p, false);
  RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, run_family_key(code::kMachineRun).c_str(), "Kestrom");
  delete_tree(HKEY_CURRENT_USER, "Software\\Orvane");
  if (browser_only) return 0;

  const double f = median(first), s = median(second), b = median(base), l = median(listing);
  std::printf("startup entries listed: %zu; baseline entries read: %zu (64-bit view %d); questions: %d\n", listed,
              baseline.entries, wiring.wow64_view() ? 1 : 0, asked);
  std::printf("patrol first half:  %8.1f ms (median of %d)\n", f, kRounds);
  std::printf("patrol second half: %8.1f ms (median of %d; its categories are not built in yet)\n", s, kRounds);
  std::printf("  of which list startup programs alone: %.1f ms\n", l);
  std::printf("    startup folders alone:                  %7.1f ms (baseline's part: %.1f ms)\n",
              median(sections.folders), median(baseline.folders_ms));
  std::printf("    snapshot lookups of the listed entries: %7.1f ms\n", median(sections.lookups));
  std::printf("    version reads, one per entry needing it: %6.1f ms (each file once: %.1f ms)\n",
              median(sections.versions_each), median(sections.versions_once));
  std::printf("    disabled markers of %zu disabled entries: %5.1f ms\n", disabled_names.size(),
              median(sections.markers));
  std::printf("    long paths of the listed texts:         %7.1f ms\n", median(sections.long_paths));
  std::printf("baseline:           %8.1f ms (median of %d)\n", b, kRounds);
  std::printf("ratio (first + second half) / baseline: %.2f\n", (f + s) / b);
  return 0;
}
