// The full service listing over a few hundred services against a plain loop of the same
// registry and service-manager calls: enumerate the Services key, read each service's values,
// ask the manager for its display name, read "ServiceDll" for the shared host, and ask for the
// long path of every distinct file text once. Both run in the same process, alternately, and
// the medians are compared. The added services are registry keys only (the service manager
// of the session does not load them), so the display-name lookup fails for them as it does
// for any key the manager does not know, in both loops alike.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

#include "categories/services_win.hpp"
#include "startup/enumerate.hpp"

using namespace kestrom;

namespace {

constexpr int kServices = 400;
constexpr int kRounds = 9;
constexpr const char* kKey = "SYSTEM\\CurrentControlSet\\Services";
constexpr const char* kPrefix = "kt_bench_";

std::string name_of(int i) { return kPrefix + std::to_string(i); }

void set_text(HKEY k, const char* name, const std::string& text, DWORD type = REG_SZ) {
  RegSetValueExA(k, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(text.size() + 1));
}

void fill(bool on) {
  for (int i = 0; i < kServices; ++i) {
    const std::string key = std::string(kKey) + "\\" + name_of(i);
    if (!on) {
      RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
      continue;
    }
    HKEY k = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    // A third each: programs, shared-host services with a library, drivers.
    const int kind = i % 3;
    set_text(k, "ImagePath",
             kind == 0   ? "\"C:\\Program Files\\Bench\\agent" + std::to_string(i) + ".exe\" -service"
             : kind == 1 ? std::string("%SystemRoot%\\system32\\svchost.exe -k bench")
                         : "System32\\drivers\\bench" + std::to_string(i) + ".sys",
             REG_EXPAND_SZ);
    set_text(k, "DisplayName", "Bench Service " + std::to_string(i));
    set_text(k, "Description", "A service of the benchmark, number " + std::to_string(i) + ".");
    DWORD start = 2 + i % 3;
    RegSetValueExA(k, "Start", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&start), sizeof start);
    if (kind == 1) {
      HKEY p = nullptr;
      RegCreateKeyExA(k, "Parameters", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &p, nullptr);
      set_text(p, "ServiceDll", "%SystemRoot%\\system32\\bench" + std::to_string(i) + ".dll", REG_EXPAND_SZ);
      RegCloseKey(p);
    }
    RegCloseKey(k);
  }
}

std::string read(HKEY k, const char* name) {
  char data[4100];
  DWORD size = sizeof data, type = 0;
  if (RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS) return {};
  std::string text(data, strnlen(data, size));
  if (type != REG_EXPAND_SZ) return text;
  char out[1024];
  DWORD n = ExpandEnvironmentStringsA(text.c_str(), out, sizeof out);
  return n && n <= sizeof out ? std::string(out) : std::string();
}

// Only the calls the services need.
std::size_t baseline() {
  std::size_t seen = 0;
  std::unordered_set<std::string> asked;
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  HKEY services = nullptr;
  RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &services);
  DWORD count = 0;
  RegQueryInfoKeyA(services, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   nullptr);
  for (DWORD i = 0; i < count; ++i) {
    char name[256];
    DWORD len = sizeof name;
    if (RegEnumKeyExA(services, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) continue;
    HKEY k = nullptr;
    if (RegOpenKeyExA(services, name, 0, KEY_READ, &k) != ERROR_SUCCESS) continue;
    std::string image = read(k, "ImagePath");
    std::string lower = image;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    const bool host = lower.find("svchost") != std::string::npos;
    if (!image.empty() && (host || lower.find(".exe") != std::string::npos)) {
      char display[4097];
      DWORD size = sizeof display;
      if (!GetServiceDisplayNameA(manager, name, display, &size)) read(k, "DisplayName");
      read(k, "Description");
      DWORD start = 0, ssize = sizeof start;
      RegQueryValueExA(k, "Start", nullptr, nullptr, reinterpret_cast<BYTE*>(&start), &ssize);
      std::string file = image;
      if (host) {
        HKEY p = nullptr;
        if (RegOpenKeyExA(k, "Parameters", 0, KEY_READ, &p) == ERROR_SUCCESS) {
          std::string dll = read(p, "ServiceDll");
          if (!dll.empty()) file = dll;
          RegCloseKey(p);
        }
      }
      file.erase(std::remove(file.begin(), file.end(), '"'), file.end());
      if (asked.insert(file).second) {
        char out[MAX_PATH];
        GetLongPathNameA(file.c_str(), out, MAX_PATH);
      }
      ++seen;
    }
    RegCloseKey(k);
  }
  RegCloseKey(services);
  CloseServiceHandle(manager);
  return seen;
}

double ms_since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main() {
  fill(true);
  ItemList list;
  auto rules = system_item_rules();
  std::vector<double> ours, base;
  std::size_t listed = 0, counted = 0;
  for (int r = 0; r < kRounds; ++r) {
    auto t = std::chrono::steady_clock::now();
    counted = baseline();
    base.push_back(ms_since(t));
    t = std::chrono::steady_clock::now();
    listed = services::list_services(list, services::ListMode::Full, rules, false);
    ours.push_back(ms_since(t));
  }
  fill(false);
  double o = median(ours), b = median(base);
  std::printf("services counted by the baseline: %zu, items listed: %zu\n", counted, listed);
  std::printf("list services (full): %.1f ms (median of %d)\n", o, kRounds);
  std::printf("baseline:             %.1f ms (median of %d)\n", b, kRounds);
  std::printf("ratio: %.2f (goal <= 1.30)\n", o / b);
  return 0;
}
