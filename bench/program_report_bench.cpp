// The program report over every category with a few thousand items in total against the same
// enumerations without formatting, in the same process, alternately; the medians are compared
// (goal: at most 1.3). The items are Run values of the current user (a third pointing at real
// program files with version resources, the rest at files that do not exist) and services
// that are registry keys only, on top of what the prefix itself has.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/com.hpp"
#include "reports/program_report_win.hpp"

using namespace kestrom;
using namespace kestrom::reports;

namespace {

constexpr int kRunValues = 2400;
constexpr int kServices = 400;
constexpr int kRounds = 5;
constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kServicesKey = "SYSTEM\\CurrentControlSet\\Services";

void set_text(HKEY k, const std::string& name, const std::string& text, DWORD type = REG_SZ) {
  RegSetValueExA(k, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
}

void fill(bool on) {
  HKEY run = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, kRun, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &run, nullptr);
  const char* real[] = {"C:\\windows\\system32\\notepad.exe", "C:\\windows\\system32\\regedit.exe",
                        "C:\\windows\\system32\\cmd.exe"};
  for (int i = 0; i < kRunValues; ++i) {
    const std::string name = "kt_report_bench_" + std::to_string(i);
    if (!on) {
      RegDeleteValueA(run, name.c_str());
      continue;
    }
    set_text(run, name, i % 3 == 0 ? "\"" + std::string(real[i % 9 / 3]) + "\" /arg" + std::to_string(i)
                                   : "C:\\Program Files\\Bench\\agent" + std::to_string(i) + ".exe -x");
  }
  RegCloseKey(run);
  for (int i = 0; i < kServices; ++i) {
    const std::string key = std::string(kServicesKey) + "\\kt_report_bench_" + std::to_string(i);
    if (!on) {
      RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
      continue;
    }
    HKEY k = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    set_text(k, "ImagePath", "\"C:\\Program Files\\Bench\\service" + std::to_string(i) + ".exe\"", REG_EXPAND_SZ);
    set_text(k, "DisplayName", "Report Bench Service " + std::to_string(i));
    DWORD start = 3, type = 0x10;
    RegSetValueExA(k, "Start", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&start), sizeof start);
    RegSetValueExA(k, "Type", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&type), sizeof type);
    RegCloseKey(k);
  }
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main() {
  platform::ComApartment com;
  fill(true);
  const SectionListers listers = system_section_listers();
  ProgramReportTexts texts;
  for (int s = 0; s < kSectionCount; ++s) texts.titles[static_cast<std::size_t>(s)] = "Section " + std::to_string(s);
  texts.location_word = "Location";
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string path = std::string(temp) + "kt_report_bench.html";

  std::size_t items = 0;
  std::vector<double> plain, report;
  for (int round = 0; round < kRounds; ++round) {
    auto t0 = std::chrono::steady_clock::now();
    items = 0;
    for (const auto& lister : listers) {
      ItemList list;
      if (lister) lister(list);
      items += list.size();
    }
    auto t1 = std::chrono::steady_clock::now();
    const bool written = write_program_report_file(path, true, texts, listers);
    auto t2 = std::chrono::steady_clock::now();
    if (!written) std::printf("the report was not written\n");
    plain.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    report.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
  }
  // Where the report's time goes: the report with one section's listing at a time (the head
  // with the system header is in each) beside that section's plain listing.
  for (int s = -1; s < kSectionCount; ++s) {
    SectionListers one;
    if (s >= 0) one[static_cast<std::size_t>(s)] = listers[static_cast<std::size_t>(s)];
    auto t0 = std::chrono::steady_clock::now();
    ItemList list;
    if (s >= 0 && one[static_cast<std::size_t>(s)]) one[static_cast<std::size_t>(s)](list);
    auto t1 = std::chrono::steady_clock::now();
    write_program_report_file(path, true, texts, one);
    auto t2 = std::chrono::steady_clock::now();
    std::printf("%s %d: %zu items, listing %.1f ms, report %.1f ms\n", s < 0 ? "head only" : "section", s,
                list.size(), std::chrono::duration<double, std::milli>(t1 - t0).count(),
                std::chrono::duration<double, std::milli>(t2 - t1).count());
  }
  DeleteFileA(path.c_str());
  fill(false);
  const double p = median(plain), r = median(report);
  std::printf("items listed: %zu\nplain enumerations: %.1f ms (median of %d)\nprogram report: %.1f ms\n"
              "ratio: %.2f (goal at most 1.30)\n",
              items, p, kRounds, r, r / p);
  return 0;
}
