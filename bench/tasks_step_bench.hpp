// The scheduled-tasks step through the monitor's wiring, with a few hundred work items saved
// through the Task Scheduler that the Tasks snapshot already approves (so no question opens),
// against a plain loop of the calls the step cannot do without: the scheduler service's state,
// the work items enumerated in blocks, each one activated with its program, next and last run
// times, the program's long path (every listing keeps long paths) and one snapshot query.
// Included by patrol_bench.cpp, whose main runs it after the browser steps.
#pragma once
#include <windows.h>
#include <mstask.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/browser_steps_bench.hpp"
#include "categories/tasks.hpp"
#include "monitor/monitor_win.hpp"
#include "monitor/patrol_schedule.hpp"
#include "monitor/wiring_win.hpp"
#include "platform/com.hpp"
#include "startup/enumerate.hpp"
#include "tools/test_support_win.hpp"

namespace tasks_bench {

constexpr int kTasks = 200;
constexpr int kRounds = 7;
constexpr ULONG kBlock = 5;
constexpr const char* kSnapshot = "Software\\Orvane\\Kestrom\\Tasks";
constexpr CLSID kSchedulerClass = {0x148BD52A, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
constexpr IID kSchedulerInterface = {0x148BD527, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
constexpr IID kTaskInterface = {0x148BD524, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};

// Not "Kestrom...": the Item List gives every title holding the product's name the display name.
inline std::string name(int i) { return "PatrolBenchTask" + std::to_string(i); }

inline bool scheduler_running_plain() {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!manager) return false;
  SC_HANDLE service = OpenServiceA(manager, "Schedule", SERVICE_QUERY_STATUS);
  SERVICE_STATUS status{};
  const bool running = service && QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING;
  if (service) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return running;
}

inline std::size_t baseline() {
  std::size_t found = 0;
  if (!scheduler_running_plain()) return 0;
  kestrom::platform::ComApartment com;
  ITaskScheduler* scheduler = nullptr;
  if (FAILED(CoCreateInstance(kSchedulerClass, nullptr, CLSCTX_INPROC_SERVER, kSchedulerInterface,
                              reinterpret_cast<void**>(&scheduler))))
    return 0;
  HKEY snapshot = nullptr;
  RegOpenKeyExA(HKEY_CURRENT_USER, kSnapshot, 0, KEY_QUERY_VALUE, &snapshot);
  IEnumWorkItems* items = nullptr;
  if (SUCCEEDED(scheduler->Enum(&items))) {
    LPWSTR* names = nullptr;
    ULONG fetched = 0;
    while (SUCCEEDED(items->Next(kBlock, &names, &fetched)) && fetched > 0) {
      for (ULONG i = 0; i < fetched; ++i) {
        IUnknown* raw = nullptr;
        // Wine's scheduler opens a work item only by its name without the ".job" ending.
        std::wstring item = names[i];
        if (item.size() > 4 && item.compare(item.size() - 4, 4, L".job") == 0) item.resize(item.size() - 4);
        if (SUCCEEDED(scheduler->Activate(item.c_str(), kTaskInterface, &raw)) && raw) {
          auto* task = static_cast<ITask*>(static_cast<void*>(raw));
          LPWSTR application = nullptr;
          if (SUCCEEDED(task->GetApplicationName(&application))) {
            SYSTEMTIME t{};
            task->GetNextRunTime(&t);
            task->GetMostRecentRunTime(&t);
            wchar_t long_form[MAX_PATH];
            GetLongPathNameW(application, long_form, MAX_PATH);
            char title[256];
            WideCharToMultiByte(CP_ACP, 0, names[i], -1, title, sizeof title, nullptr, nullptr);
            char value[64];
            DWORD size = sizeof value;
            if (snapshot && RegQueryValueExA(snapshot, title, nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                                             &size) == ERROR_SUCCESS)
              ++found;
            CoTaskMemFree(application);
          }
          task->Release();
        }
        CoTaskMemFree(names[i]);
      }
      CoTaskMemFree(names);
      names = nullptr;
    }
    CoTaskMemFree(names);
    items->Release();
  }
  if (snapshot) RegCloseKey(snapshot);
  scheduler->Release();
  return found;
}

// Runs the rounds and prints the ratio.
inline void run(kestrom::monitor::MonitorWiring& wiring, kestrom::monitor::Monitor& monitor) {
  using kestrom::monitor::PatrolStep;
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  int made = 0;
  for (int i = 0; i < kTasks; ++i) made += kestrom::test::make_job(name(i), std::string(system) + "\\notepad.exe") ? 1 : 0;
  // Every task approved, as the approve-all step does.
  {
    kestrom::ItemList list;
    kestrom::fill_task_snapshot(list, kestrom::system_item_rules());
  }
  std::vector<double> step, base;
  std::size_t approved = 0;
  for (int r = 0; r < kRounds; ++r) {
    auto t = std::chrono::steady_clock::now();
    approved = baseline();
    base.push_back(browser_bench::ms_since(t));
    t = std::chrono::steady_clock::now();
    wiring.patrol_step(PatrolStep::ScheduledTasks, monitor);
    step.push_back(browser_bench::ms_since(t));
  }
  for (int i = 0; i < kTasks; ++i) kestrom::test::delete_job_file(name(i));
  const double s = browser_bench::median_of(step), b = browser_bench::median_of(base);
  std::printf("tasks step (%d tasks saved, %zu found approved by the baseline): %8.1f ms, baseline %8.1f ms, ratio %.2f\n",
              made, approved, s, b, s / b);
}

}  // namespace tasks_bench
