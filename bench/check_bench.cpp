// The whole check (every category, as kestromcheck.exe runs it, nothing accepted) against the
// sum of the same category listings, each made as its patrol step makes it, in the same process,
// alternately; the medians are compared. The prefix holds a few hundred startup entries of
// which one in twenty is new to the snapshot, the usual state of a machine a fleet checks: the
// check's own cost is the snapshot lookups and the facts and SHA-256 of the few findings.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "categories/activex_win.hpp"
#include "categories/file_types_win.hpp"
#include "categories/hidden_files_win.hpp"
#include "categories/ie_helpers_win.hpp"
#include "categories/services_win.hpp"
#include "categories/setting_watch_win.hpp"
#include "categories/tasks.hpp"
#include "check/check_win.hpp"
#include "startup/enumerate.hpp"
#include "startup/snapshot.hpp"

using namespace kestrom;

namespace {

constexpr int kEntries = 300;
constexpr int kNewEvery = 20;
constexpr int kRounds = 9;
constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kPrefix = "kt_check_bench_";

// Each entry starts a program of its own: a copy of a small system program per entry, so every
// finding's file is read and hashed as a fleet's would be.
std::string program_of(int i) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + "kt_check_bench\\agent" + std::to_string(i) + ".exe";
}

void make_programs(bool on) {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string source = std::string(system) + "\\notepad.exe";
  std::string folder = program_of(0);
  folder.resize(folder.rfind('\\'));
  if (on) CreateDirectoryA(folder.c_str(), nullptr);
  for (int i = 0; i < kEntries; ++i) {
    if (on)
      CopyFileA(source.c_str(), program_of(i).c_str(), FALSE);
    else
      DeleteFileA(program_of(i).c_str());
  }
  if (!on) RemoveDirectoryA(folder.c_str());
}

void fill(bool on) {
  HKEY k = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, kRun, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
  make_programs(on);
  for (int i = 0; i < kEntries; ++i) {
    const std::string name = kPrefix + std::to_string(i);
    if (!on) {
      RegDeleteValueA(k, name.c_str());
      continue;
    }
    const std::string data = "\"" + program_of(i) + "\" /entry" + std::to_string(i);
    RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
  }
  RegCloseKey(k);
  if (!on) return;
  // Everything approved, as after the monitor's first start and answers (the check's own
  // --accept), then a few entries forgotten again: those are the findings.
  ItemList list;
  build_startup_snapshot(list, StartupScan{}, system_item_rules());
  const check::CheckRun accepted = check::run_check({}, true);
  if (accepted.error)
    std::printf("approving failed (message %d: %s)\n", accepted.error->message, accepted.error->subject.c_str());
  // The snapshot names an entry by its file text, which is the command without its quotes.
  for (int i = 0; i < kEntries; i += kNewEvery) snapshot_delete(snapshot_key(program_of(i) + " /entry" + std::to_string(i)));
}

// The listings the check's steps make, without comparing or reporting anything.
std::size_t listings() {
  const ItemRules rules = system_item_rules();
  std::size_t n = 0;
  ItemList list;
  StartupScan scan;
  scan.wow64_view = wow64_view_present();
  n += list_startup_programs(list, scan, rules);
  if (scheduler_running()) n += list_tasks(list, rules).names.size();
  n += services::list_services(list, services::ListMode::Quick, rules, false);
  // The services step's first stage compares key names with a snapshot of display names, so it
  // says yes on nearly every machine (this prefix included) and the step lists in full as well.
  n += services::list_services(list, services::ListMode::Full, rules);
  n += helpers::list_ie_helpers(list, rules);
  n += activex::list_activex(list, activex::ListMode::Statistics, rules);
  n += file_types::list_associations().size();
  n += list_hidden_files(list, rules);
  for (const auto& page : watched_pages()) n += read_live_page(page) ? 1 : 0;
  n += static_cast<std::size_t>(read_live_update_level() != 0) + read_live_prefix().size();
  return n;
}

double ms_since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double check_ms(std::size_t& findings) {
  const auto t = std::chrono::steady_clock::now();
  const check::CheckRun run = check::run_check({}, false);
  if (run.error) std::printf("the check could not run (message %d: %s)\n", run.error->message, run.error->subject.c_str());
  findings = run.findings.size();
  const double ms = ms_since(t);
  static bool told = false;
  if (!told) {
    told = true;
    for (const auto& c : check::count_findings(run.categories, run.findings))
      if (c.count) std::printf("  %s: %zu finding(s)\n", c.category.c_str(), c.count);
    for (const auto& f : run.findings)
      if (f.category != "Startup") std::printf("    %s %s code %d file %s\n", f.category.c_str(), f.title.c_str(), f.code, f.file.c_str());
  }
  return ms;
}

}  // namespace

int main() {
  fill(true);
  // First with the forgotten entries to report, then with everything approved again.
  for (const bool with_findings : {true, false}) {
    if (!with_findings) check::run_check({}, true);
    std::vector<double> ours, base;
    std::size_t findings = 0, listed = 0;
    for (int r = 0; r < kRounds; ++r) {
      ours.push_back(check_ms(findings));
      const auto t = std::chrono::steady_clock::now();
      listed = listings();
      base.push_back(ms_since(t));
    }
    const double o = median(ours), b = median(base);
    std::printf("startup entries added: %d, findings: %zu, items listed by the baseline: %zu\n", kEntries, findings,
                listed);
    std::printf("full check:        %.1f ms (median of %d)\n", o, kRounds);
    std::printf("sum of listings:   %.1f ms (median of %d)\n", b, kRounds);
    std::printf("ratio: %.2f (goal <= 1.10)\n", o / b);
  }
  fill(false);
  return 0;
}
