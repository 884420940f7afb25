// One first half and one second half of the Patrol Cycle, run in-process by the monitor's own
// window code and wiring, with every startup place holding entries (a few hundred in all) and
// a snapshot that already approves each of them, so no question opens. The baseline makes the
// same enumerations with plain loops (RegEnumValue, FindFirstFile, GetProfileString, shell-link
// loads) and reads each entry's snapshot value once, in the same run. Rounds alternate and the
// medians are compared.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "kestrompro/kestrompro.hpp"
#include "monitor/monitor_win.hpp"
#include "monitor/wiring_win.hpp"
#include "startup/actions.hpp"
#include "startup/enumerate.hpp"
#include "startup/locations.hpp"

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
  if (on) {
    char buf[4096] = {};
    GetProfileStringA("windows", "run", "", buf, sizeof buf);
    p.win_run = buf;
    GetProfileStringA("windows", "load", "", buf, sizeof buf);
    p.win_load = buf;
    std::string run, load;
    for (int i = 0; i < kWinIniEntries; ++i, ++id) {
      run += "C:\\windows\\" + n(id) + ".exe ";
      load += "C:\\windows\\" + n(id + 1000) + ".exe ";
    }
    WriteProfileStringA("windows", "run", run.c_str());
    WriteProfileStringA("windows", "load", load.c_str());
  } else {
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
  if (on) {
    p.appinit = get_text(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs");
    std::string dlls;
    for (int i = 0; i < kAppInitDlls; ++i, ++id) dlls += (i ? "," : "") + std::string("kt") + std::to_string(i) + ".dll";
    set_text(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs", dlls);
  } else {
    set_text(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs", p.appinit);
  }
}

// ---- Baseline: the same places with plain loops ------------------------------------------

struct Baseline {
  HKEY snapshot = nullptr;
  std::size_t entries = 0;

  // The one read per entry that the change test makes.
  void known(const std::string& file) {
    char data[40];
    DWORD size = sizeof data;
    RegQueryValueExA(snapshot, file.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    ++entries;
  }

  void values(HKEY root, const std::string& key, bool long_path) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | k64, &k) != ERROR_SUCCESS) return;
    char name[512];
    BYTE data[512];
    for (DWORD i = 0;; ++i) {
      DWORD nlen = sizeof name, dlen = sizeof data, type = 0;
      const LONG rc = RegEnumValueA(k, i, name, &nlen, nullptr, &type, data, &dlen);
      if (rc == ERROR_NO_MORE_ITEMS) break;
      if (rc != ERROR_SUCCESS) continue;
      std::string file;
      for (const char* c = reinterpret_cast<const char*>(data); *c; ++c)
        if (*c != '"') file += *c;
      if (long_path) {
        char out[MAX_PATH];
        GetLongPathNameA(file.c_str(), out, MAX_PATH);
      }
      known(file);
    }
    RegCloseKey(k);
  }

  void clsid_server(const std::string& id) {
    char buf[MAX_PATH];
    DWORD size = sizeof buf;
    RegGetValueA(HKEY_CLASSES_ROOT, ("CLSID\\" + id + "\\InprocServer32").c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                 buf, &size);
  }

  void run(const Places& p) {
    entries = 0;
    RegOpenKeyExA(HKEY_CURRENT_USER, kSnapshot, 0, KEY_QUERY_VALUE, &snapshot);
    for (const auto& [root, key] : p.run_keys) values(root, key, true);
    for (const auto& folder : startup_folders()) {
      WIN32_FIND_DATAA fd{};
      HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &fd);
      if (find == INVALID_HANDLE_VALUE) continue;
      do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::string path = folder + "\\" + fd.cFileName;
        std::string target = path;
        if (path.size() > 4 && _stricmp(path.c_str() + path.size() - 4, ".lnk") == 0) {
          IShellLinkA* link = nullptr;
          IPersistFile* file = nullptr;
          if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                         reinterpret_cast<void**>(&link)))) {
            if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
              std::wstring w(path.begin(), path.end());
              char out[MAX_PATH] = {};
              if (SUCCEEDED(file->Load(w.c_str(), STGM_READ)) && SUCCEEDED(link->GetPath(out, MAX_PATH, nullptr, 0)))
                target = out;
              file->Release();
            }
            link->Release();
          }
        }
        known(target);
      } while (FindNextFileA(find, &fd));
      FindClose(find);
    }
    for (const char* key : {"run", "load"}) {
      char buf[4096];
      GetProfileStringA("windows", key, "", buf, sizeof buf);
      std::string line = buf;
      std::size_t at = 0;
      while (at < line.size()) {
        std::size_t end = line.find_first_of(" ,", at);
        if (end == std::string::npos) end = line.size();
        if (end > at) known(line.substr(at, end - at));
        at = end + 1;
      }
    }
    values(HKEY_LOCAL_MACHINE, std::string(kDisabledStore) + "\\Run", false);
    for (const char* key : {kDelayLoad, kTaskScheduler, kExecuteHooks}) {
      HKEY k = nullptr;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) continue;
      char name[256];
      char data[256];
      for (DWORD i = 0;; ++i) {
        DWORD nlen = sizeof name, dlen = sizeof data;
        if (RegEnumValueA(k, i, name, &nlen, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &dlen) != ERROR_SUCCESS)
          break;
        clsid_server(key == kDelayLoad ? data : name);
        known(name);
      }
      RegCloseKey(k);
    }
    known(get_text(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs"));
    HKEY notify = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNotify, 0, KEY_READ, &notify) == ERROR_SUCCESS) {
      char sub[256];
      for (DWORD i = 0;; ++i) {
        DWORD len = sizeof sub;
        if (RegEnumKeyExA(notify, i, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        known(get_text(HKEY_LOCAL_MACHINE, std::string(kNotify) + "\\" + sub, "DllName"));
      }
      RegCloseKey(notify);
    }
    if (snapshot) RegCloseKey(snapshot);
    snapshot = nullptr;
  }
};

double ms_since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main() {
  using namespace kestrom::monitor;
  // A start from scratch: the first run builds the snapshot from what the places hold.
  delete_tree(HKEY_CURRENT_USER, "Software\\Orvane");
  // The startup step every first half; the other intervals stay at their defaults.
  set_text(HKEY_CURRENT_USER, "Software\\Orvane\\Kestrom\\Options", "Start", "1");

  MonitorWiring wiring;
  Places p = places(wiring.wow64_view());
  CoInitialize(nullptr);
  fill(p, true);

  Monitor monitor(GetModuleHandleA(nullptr), wiring.hooks(), Family::Nt);
  if (!monitor.create("KestromPatrolBench", "Kestrom", false)) {
    std::fprintf(stderr, "no monitor window\n");
    return 1;
  }
  monitor.initialise();  // the real product initialisation, snapshot included

  ItemList count_list;
  const std::size_t listed = list_startup_programs(count_list, StartupScan{false, 0, wiring.wow64_view()},
                                                   system_item_rules());

  Baseline baseline;
  std::vector<double> first, second, base, listing;
  int asked = 0;
  for (int r = 0; r < kRounds; ++r) {
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
  }
  KestromProStop();
  fill(p, false);
  RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, run_family_key(code::kMachineRun).c_str(), "Kestrom");
  delete_tree(HKEY_CURRENT_USER, "Software\\Orvane");
  CoUninitialize();

  const double f = median(first), s = median(second), b = median(base), l = median(listing);
  std::printf("startup entries listed: %zu; baseline entries read: %zu (64-bit view %d); questions: %d\n", listed,
              baseline.entries, wiring.wow64_view() ? 1 : 0, asked);
  std::printf("patrol first half:  %8.1f ms (median of %d)\n", f, kRounds);
  std::printf("patrol second half: %8.1f ms (median of %d; its categories are not built in yet)\n", s, kRounds);
  std::printf("  of which list startup programs alone: %.1f ms\n", l);
  std::printf("baseline:           %8.1f ms (median of %d)\n", b, kRounds);
  std::printf("ratio (first + second half) / baseline: %.2f\n", (f + s) / b);
  return 0;
}
