// `list startup programs` over 4096 Run values spread over HKLM, HKCU and Wow6432Node,
// against a baseline that makes only the system calls those values need: open the same
// keys, enumerate every value and ask for the long path of every distinct file text once.
// Both run in the same process, alternately, and the medians are compared.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/com.hpp"
#include "startup/enumerate.hpp"
#include "startup/places.hpp"

using namespace kestrom;

namespace {

constexpr int kValues = 4096;
constexpr int kRounds = 9;
constexpr const char* kPrefix = "kt_bench_";

struct Place {
  HKEY root;
  int code;
};
const Place kPlaces[] = {{HKEY_LOCAL_MACHINE, 1}, {HKEY_CURRENT_USER, 11}, {HKEY_LOCAL_MACHINE, 21}};

void each_value(const Place& p, int index, std::string& name, std::string& data) {
  name = kPrefix + std::to_string(p.code) + "_" + std::to_string(index);
  // Half plain program paths, half command lines with arguments, as Run keys hold them.
  data = index % 2 ? "C:\\windows\\system32\\notepad.exe" : "\"C:\\windows\\system32\\cmd.exe\" /c bench" +
                                                               std::to_string(index);
}

void fill(bool on) {
  for (std::size_t p = 0; p < 3; ++p) {
    HKEY k = nullptr;
    RegCreateKeyExA(kPlaces[p].root, run_family_key(kPlaces[p].code).c_str(), 0, nullptr, 0,
                    KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &k, nullptr);
    int share = kValues / 3 + (p == 0 ? kValues % 3 : 0);
    for (int i = 0; i < share; ++i) {
      std::string name, data;
      each_value(kPlaces[p], i, name, data);
      if (on)
        RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
      else
        RegDeleteValueA(k, name.c_str());
    }
    RegCloseKey(k);
  }
}

// Only the calls the values need.
std::size_t baseline() {
  std::size_t seen = 0;
  std::unordered_set<std::string> asked;  // a text's long form is asked once per pass
  for (const auto& p : kPlaces) {
    for (int i = 1; i <= kRunKeysPerPass; ++i) {
      int code = p.code - 1 + i;
      HKEY k = nullptr;
      if (RegOpenKeyExA(p.root, run_family_key(code).c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &k) !=
          ERROR_SUCCESS)
        continue;
      DWORD count = 0;
      RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                       nullptr);
      char name[512];
      BYTE data[512];
      for (DWORD v = 0; v < count; ++v) {
        DWORD nlen = sizeof name, dlen = sizeof data, type = 0;
        if (RegEnumValueA(k, v, name, &nlen, nullptr, &type, data, &dlen) != ERROR_SUCCESS) continue;
        // The file text is the command without its quotes.
        std::string file;
        for (const char* c = reinterpret_cast<const char*>(data); *c; ++c)
          if (*c != '"') file += *c;
        if (asked.insert(file).second) {
          char out[MAX_PATH];
          GetLongPathNameA(file.c_str(), out, MAX_PATH);
        }
        ++seen;
      }
      RegCloseKey(k);
    }
  }
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
  const platform::ComApartment com;
  fill(true);
  ItemList list;
  StartupScan scan;
  scan.wow64_view = wow64_view_present();
  auto rules = system_item_rules();
  std::vector<double> ours, base;
  std::size_t listed = 0, enumerated = 0;
  for (int r = 0; r < kRounds; ++r) {
    auto t = std::chrono::steady_clock::now();
    enumerated = baseline();
    base.push_back(ms_since(t));
    t = std::chrono::steady_clock::now();
    listed = list_startup_programs(list, scan, rules);
    ours.push_back(ms_since(t));
  }
  fill(false);
  double o = median(ours), b = median(base);
  std::printf("values enumerated by the baseline: %zu, items listed: %zu (64-bit view flag %d)\n", enumerated, listed,
              scan.wow64_view ? 1 : 0);
  std::printf("list startup programs: %.1f ms (median of %d)\n", o, kRounds);
  std::printf("baseline:              %.1f ms (median of %d)\n", b, kRounds);
  std::printf("ratio: %.2f (goal <= 1.30)\n", o / b);
  return 0;
}
