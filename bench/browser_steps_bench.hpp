// The IE helpers and ActiveX steps of the first half, each through the monitor's wiring, with
// a few hundred helper objects and used controls that the snapshots already approve (so no
// question opens), against plain loops of the calls the steps cannot do without:
//  - helpers: the helper-object subkeys enumerated; per helper its class's InprocServer32, the
//    library's long path (every listing keeps long paths) and its version texts (product name
//    and version), then one snapshot query;
//  - controls: the statistics subkeys enumerated; per control its class's name and library,
//    its long path, the version texts (product, version, description, company), its "iexplore" Type, its
//    "Compatibility Flags" and one snapshot query.
// Included by patrol_bench.cpp, whose main runs it after the cycle rounds.
#pragma once
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "categories/activex_win.hpp"
#include "categories/ie_helpers_win.hpp"
#include "common/paths.hpp"
#include "monitor/monitor_win.hpp"
#include "monitor/patrol_schedule.hpp"
#include "monitor/wiring_win.hpp"
#include "startup/enumerate.hpp"

namespace browser_bench {

constexpr int kHelpers = 300;
constexpr int kControls = 300;
constexpr int kRounds = 7;
constexpr const char* kBho = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
constexpr const char* kStats = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats";
constexpr const char* kCompat = "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility";
constexpr const char* kHelperSnapshot = "Software\\Orvane\\Kestrom\\IEHelpers";
constexpr const char* kActiveXSnapshot = "Software\\Orvane\\Kestrom\\ActiveX";
constexpr const char* kLibraries[] = {"kernel32.dll", "user32.dll", "shell32.dll", "ole32.dll", "comctl32.dll"};

inline std::string clsid(int i) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "{6B2E7A20-0000-4000-8000-%012d}", i);
  return buf;
}

inline void put(HKEY root, const std::string& key, const char* name, const std::string& text) {
  HKEY k = nullptr;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &k, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(text.size() + 1));
  RegCloseKey(k);
}

inline std::string text(HKEY root, const std::string& key, const char* name) {
  char buf[1024] = {};
  DWORD size = sizeof buf - 1;
  if (RegGetValueA(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS) return {};
  return buf;
}

inline std::vector<std::string> subkeys(HKEY root, const char* key) {
  std::vector<std::string> out;
  HKEY k = nullptr;
  if (RegOpenKeyExA(root, key, 0, KEY_ENUMERATE_SUB_KEYS | KEY_WOW64_64KEY, &k) != ERROR_SUCCESS) return out;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD len = sizeof name;
    if (RegEnumKeyExA(k, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    out.emplace_back(name, len);
  }
  RegCloseKey(k);
  return out;
}

inline std::string library(int i) {
  char sys[MAX_PATH] = {};
  GetSystemDirectoryA(sys, MAX_PATH);
  return std::string(sys) + "\\" + kLibraries[i % (sizeof kLibraries / sizeof *kLibraries)];
}

// The version texts the listings read, the plain way.
inline std::size_t version_texts(const std::string& file, std::initializer_list<const char*> names) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
  if (size == 0) return 0;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(file.c_str(), 0, size, data.data())) return 0;
  struct Lang { WORD language, codepage; }* langs = nullptr;
  UINT len = 0;
  if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&langs), &len) || len < 4)
    return 0;
  std::size_t total = 0;
  for (const char* name : names) {
    char path[128];
    std::snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", langs[0].language, langs[0].codepage, name);
    char* value = nullptr;
    if (VerQueryValueA(data.data(), path, reinterpret_cast<void**>(&value), &len)) total += len;
  }
  return total;
}

inline void fill(bool on) {
  for (int i = 0; i < kHelpers; ++i) {
    const std::string c = clsid(i);
    if (on) {
      put(HKEY_CLASSES_ROOT, "CLSID\\" + c, nullptr, "Bench Helper " + std::to_string(i));
      put(HKEY_CLASSES_ROOT, "CLSID\\" + c + "\\InprocServer32", nullptr, library(i));
      put(HKEY_LOCAL_MACHINE, std::string(kBho) + "\\" + c, nullptr, "");
    } else {
      RegDeleteTreeA(HKEY_CLASSES_ROOT, ("CLSID\\" + c).c_str());
      RegDeleteKeyA(HKEY_CLASSES_ROOT, ("CLSID\\" + c).c_str());
      RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kBho) + "\\" + c).c_str());
    }
  }
  for (int i = kHelpers; i < kHelpers + kControls; ++i) {
    const std::string c = clsid(i);
    if (on) {
      put(HKEY_CLASSES_ROOT, "CLSID\\" + c, nullptr, "Bench Control " + std::to_string(i));
      put(HKEY_CLASSES_ROOT, "CLSID\\" + c + "\\InprocServer32", nullptr, library(i));
      put(HKEY_CURRENT_USER, std::string(kStats) + "\\" + c + "\\iexplore", nullptr, "");
      put(HKEY_CURRENT_USER, kActiveXSnapshot, c.c_str(), "1200");
    } else {
      RegDeleteTreeA(HKEY_CLASSES_ROOT, ("CLSID\\" + c).c_str());
      RegDeleteKeyA(HKEY_CLASSES_ROOT, ("CLSID\\" + c).c_str());
      RegDeleteTreeA(HKEY_CURRENT_USER, (std::string(kStats) + "\\" + c).c_str());
      RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kStats) + "\\" + c).c_str());
    }
  }
}

inline std::size_t baseline_helpers() {
  std::size_t found = 0;
  HKEY snapshot = nullptr;
  RegOpenKeyExA(HKEY_CURRENT_USER, kHelperSnapshot, 0, KEY_QUERY_VALUE, &snapshot);
  for (const auto& c : subkeys(HKEY_LOCAL_MACHINE, kBho)) {
    const std::string file = text(HKEY_CLASSES_ROOT, "CLSID\\" + c + "\\InprocServer32", nullptr);
    if (file.empty()) continue;
    char long_form[MAX_PATH];
    GetLongPathNameA(file.c_str(), long_form, MAX_PATH);
    version_texts(file, {"ProductName", "ProductVersion"});
    char value[64];
    DWORD size = sizeof value;
    if (snapshot && RegQueryValueExA(snapshot, file.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) ==
                        ERROR_SUCCESS)
      ++found;
    ++found;
  }
  if (snapshot) RegCloseKey(snapshot);
  return found;
}

inline std::size_t baseline_controls() {
  std::size_t found = 0;
  HKEY snapshot = nullptr;
  RegOpenKeyExA(HKEY_CURRENT_USER, kActiveXSnapshot, 0, KEY_QUERY_VALUE, &snapshot);
  for (const auto& c : subkeys(HKEY_CURRENT_USER, kStats)) {
    const std::string key = "CLSID\\" + c;
    text(HKEY_CLASSES_ROOT, key, nullptr);
    const std::string file = text(HKEY_CLASSES_ROOT, key + "\\InprocServer32", nullptr);
    if (file.empty()) continue;
    char long_form[MAX_PATH];
    GetLongPathNameA(file.c_str(), long_form, MAX_PATH);
    version_texts(file, {"ProductName", "ProductVersion", "FileDescription", "CompanyName"});
    DWORD type = 0, size = sizeof type;
    RegGetValueA(HKEY_CURRENT_USER, (std::string(kStats) + "\\" + c + "\\iexplore").c_str(), "Type", RRF_RT_REG_DWORD,
                 nullptr, &type, &size);
    DWORD flags = 0;
    size = sizeof flags;
    RegGetValueA(HKEY_LOCAL_MACHINE, (std::string(kCompat) + "\\" + c).c_str(), "Compatibility Flags",
                 RRF_RT_REG_DWORD, nullptr, &flags, &size);
    char value[64];
    size = sizeof value;
    if (snapshot &&
        RegQueryValueExA(snapshot, c.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS)
      ++found;
  }
  if (snapshot) RegCloseKey(snapshot);
  return found;
}

inline double ms_since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

inline double median_of(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Where a step's time goes: each part of the listing and the snapshot test timed on its own,
// over the same classes, so a ratio above the goal points at its cause.
struct Phase {
  explicit Phase(const char* n) : name(n) {}
  const char* name;
  std::vector<double> ms;
};

template <class F>
void time_phase(Phase& phase, F&& body) {
  const auto t = std::chrono::steady_clock::now();
  body();
  phase.ms.push_back(ms_since(t));
}

inline void print_phases(const char* title, std::vector<Phase>& phases) {
  std::printf("  %s, per part (median):\n", title);
  for (auto& p : phases) std::printf("    %-44s %8.1f ms\n", p.name, median_of(p.ms));
}

inline void measure_phases(std::vector<Phase>& helper_parts, std::vector<Phase>& control_parts) {
  const auto helpers = subkeys(HKEY_LOCAL_MACHINE, kBho);
  const auto controls = subkeys(HKEY_CURRENT_USER, kStats);
  std::vector<std::string> files;
  for (const auto& c : helpers) files.push_back(kestrom::helpers::class_server(c).library);
  kestrom::ItemList list;
  const auto rules = kestrom::system_item_rules();
  time_phase(helper_parts[0], [&] { kestrom::helpers::list_ie_helpers(list, rules); });
  time_phase(helper_parts[1], [&] {
    for (const auto& item : list.items()) kestrom::helpers::helper_approved(item.title);
  });
  time_phase(helper_parts[2], [&] {
    for (const auto& c : helpers) kestrom::helpers::class_server(c);
  });
  time_phase(helper_parts[3], [&] {
    for (const auto& f : files) kestrom::command_to_file(f);
  });
  time_phase(helper_parts[4], [&] {
    for (const auto& f : files) kestrom::version_information(f);
  });
  time_phase(helper_parts[5], [&] {
    for (const auto& f : files) kestrom::long_path(f);
  });
  time_phase(helper_parts[6], [&] {
    for (const auto& c : helpers) kestrom::long_path(c);
  });
  time_phase(helper_parts[7], [&] {
    for (const auto& f : files) kestrom::version_information(kestrom::command_to_file(f));
  });
  time_phase(control_parts[0], [&] {
    kestrom::activex::list_activex(list, kestrom::activex::ListMode::Statistics, 0, rules);
  });
  time_phase(control_parts[1], [&] {
    for (const auto& item : list.items()) kestrom::activex::activex_seen(item.command);
  });
  time_phase(control_parts[2], [&] {
    for (const auto& c : controls) kestrom::activex::activex_flags(c);
  });
}

// Runs the rounds and prints the two ratios.
inline void run(kestrom::monitor::MonitorWiring& wiring, kestrom::monitor::Monitor& monitor) {
  using kestrom::monitor::PatrolStep;
  fill(true);
  // Every helper approved under its title, as the approve-all step does.
  {
    kestrom::ItemList list;
    kestrom::helpers::fill_helper_snapshot(list, kestrom::system_item_rules());
  }
  std::vector<double> helpers, helpers_base, controls, controls_base;
  std::vector<Phase> helper_parts{Phase("list IE helpers"),
                                  Phase("snapshot tests of the listed helpers"),
                                  Phase("class registrations (name and library)"),
                                  Phase("command to file of the libraries"),
                                  Phase("version texts of the libraries"),
                                  Phase("long paths of the libraries"),
                                  Phase("long paths of the class identifiers"),
                                  Phase("version texts, upper-case paths")};
  std::vector<Phase> control_parts{Phase("list ActiveX controls"), Phase("snapshot tests of the listed controls"),
                                   Phase("kill-bit flags")};
  for (int r = 0; r < kRounds; ++r) {
    auto t = std::chrono::steady_clock::now();
    baseline_helpers();
    helpers_base.push_back(ms_since(t));
    t = std::chrono::steady_clock::now();
    wiring.patrol_step(PatrolStep::IEHelpers, monitor);
    helpers.push_back(ms_since(t));
    t = std::chrono::steady_clock::now();
    baseline_controls();
    controls_base.push_back(ms_since(t));
    t = std::chrono::steady_clock::now();
    wiring.patrol_step(PatrolStep::ActiveX, monitor);
    controls.push_back(ms_since(t));
    measure_phases(helper_parts, control_parts);
  }
  fill(false);
  const double h = median_of(helpers), hb = median_of(helpers_base);
  const double c = median_of(controls), cb = median_of(controls_base);
  std::printf("IE helpers step (%d helpers): %8.1f ms, baseline %8.1f ms, ratio %.2f\n", kHelpers, h, hb, h / hb);
  std::printf("ActiveX step (%d controls):   %8.1f ms, baseline %8.1f ms, ratio %.2f\n", kControls, c, cb, c / cb);
  print_phases("IE helpers", helper_parts);
  print_phases("ActiveX", control_parts);
}

}  // namespace browser_bench
