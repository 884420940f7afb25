#include <windows.h>
#include <mstask.h>

#include <functional>

#include "categories/tasks.hpp"
#include "common/locations.hpp"
#include "common/options_table.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/text.hpp"
#include "common/textloader.hpp"
#include "common/string_ids.h"
#include "platform/com.hpp"
#include "platform/service_control.hpp"
#include "platform/wide_text.hpp"
#include "startup/enumerate.hpp"

namespace kestrom {

namespace {

// The scheduler's class and interfaces, named here so no import library is needed.
constexpr CLSID kTaskSchedulerClass = {0x148BD52A, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
constexpr IID kTaskSchedulerInterface = {0x148BD527, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
constexpr IID kTaskInterface = {0x148BD524, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};

// Names asked of the enumerator at a time.
constexpr ULONG kNamesPerBlock = 5;
constexpr std::size_t kSnapshotValueLimit = 32;

// A string the scheduler allocated, freed with the COM task allocator.
struct TaskMemText {
  LPWSTR text = nullptr;
  TaskMemText() = default;
  TaskMemText(const TaskMemText&) = delete;
  TaskMemText& operator=(const TaskMemText&) = delete;
  ~TaskMemText() { CoTaskMemFree(text); }
  std::wstring_view view() const { return text ? std::wstring_view(text) : std::wstring_view(); }
};

// Visits every work item's name; return false to stop. The COM result of the enumeration.
using WorkItemVisitor = std::function<bool(ITaskScheduler& scheduler, const std::wstring& name)>;

HRESULT visit_work_items(const WorkItemVisitor& visit) {
  auto scheduler = platform::create_instance<ITaskScheduler>(kTaskSchedulerClass, kTaskSchedulerInterface);
  if (!scheduler) return REGDB_E_CLASSNOTREG;
  IEnumWorkItems* raw = nullptr;
  const HRESULT hr = scheduler->Enum(&raw);
  if (FAILED(hr) || !raw) return FAILED(hr) ? hr : E_FAIL;
  auto items = platform::ComPtr<IEnumWorkItems>::adopt(raw);
  for (;;) {
    LPWSTR* names = nullptr;
    ULONG fetched = 0;
    if (FAILED(items->Next(kNamesPerBlock, &names, &fetched)) || fetched == 0) {
      CoTaskMemFree(names);
      return S_OK;
    }
    bool go_on = true;
    for (ULONG i = 0; i < fetched; ++i) {
      // Every name is freed, also those after a stop.
      if (go_on && names[i]) go_on = visit(*scheduler.get(), names[i]);
      CoTaskMemFree(names[i]);
    }
    CoTaskMemFree(names);
    if (!go_on) return S_OK;
  }
}

// The enumerator names work items with their job-file ending; some schedulers want the name
// without it to open or delete one, so that form is tried second.
std::wstring without_job_ending(const std::wstring& name) {
  constexpr std::wstring_view kEnding = L".job";
  if (name.size() > kEnding.size() &&
      CompareStringOrdinal(name.c_str() + name.size() - kEnding.size(), static_cast<int>(kEnding.size()),
                           kEnding.data(), static_cast<int>(kEnding.size()), TRUE) == CSTR_EQUAL)
    return name.substr(0, name.size() - kEnding.size());
  return {};
}

platform::ComPtr<ITask> activate(ITaskScheduler& scheduler, const std::wstring& name) {
  for (const std::wstring& form : {name, without_job_ending(name)}) {
    IUnknown* raw = nullptr;
    if (!form.empty() && SUCCEEDED(scheduler.Activate(form.c_str(), kTaskInterface, &raw)) && raw)
      return platform::ComPtr<ITask>::adopt(static_cast<ITask*>(static_cast<void*>(raw)));
  }
  return {};
}

HRESULT delete_work_item(ITaskScheduler& scheduler, const std::wstring& name) {
  HRESULT hr = scheduler.Delete(name.c_str());
  const std::wstring shorter = without_job_ending(name);
  if (FAILED(hr) && !shorter.empty()) hr = scheduler.Delete(shorter.c_str());
  return hr;
}

// A run time the scheduler reports only with S_OK; any other answer (never ran, no trigger)
// reads as "never".
RunTime run_time_of(HRESULT hr, const SYSTEMTIME& t) {
  if (hr != S_OK) return {};
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute};
}

std::string next_run_text(ITask& task, const std::string& never) {
  SYSTEMTIME t{};
  return run_time_text(run_time_of(task.GetNextRunTime(&t), t), never);
}

std::string last_run_text(ITask& task, const std::string& never) {
  SYSTEMTIME t{};
  return run_time_text(run_time_of(task.GetMostRecentRunTime(&t), t), never);
}

// Runs `visit` on the work item named `name`; false when none has that name.
bool with_task(std::string_view name, const std::function<void(ITask&)>& visit) {
  bool found = false;
  visit_work_items([&](ITaskScheduler& scheduler, const std::wstring& item) {
    if (!iequals(platform::from_wide(item), name)) return true;
    found = true;
    if (auto task = activate(scheduler, item)) visit(*task.get());
    return false;
  });
  return found;
}

}  // namespace

bool scheduler_running() {
  const auto state = platform::service_state(kSchedulerService);
  return state && *state == SERVICE_RUNNING;
}

std::uint32_t ensure_scheduler_running() { return platform::start_service(kSchedulerService); }

TaskListing list_tasks(ItemList& list, const ItemRules& rules) {
  list.clear();
  TaskListing listing;
  if (ensure_scheduler_running() != 0) return listing;
  platform::ComApartment com;
  const std::string never = text::load(IDS_NEVER);
  visit_work_items([&](ITaskScheduler& scheduler, const std::wstring& name) {
    auto task = activate(scheduler, name);
    if (!task) return true;
    TaskMemText application;
    if (FAILED(task->GetApplicationName(&application.text))) return true;
    const std::string title = platform::from_wide(name);
    if (list.add(title, platform::from_wide(application.view()), next_run_text(*task.get(), never),
                 last_run_text(*task.get(), never), code::kTaskScheduled, 0, rules))
      listing.names.push_back(title);
    return !list.full();
  });
  return listing;
}

std::string task_next_run(std::string_view name) {
  if (ensure_scheduler_running() != 0) return {};
  platform::ComApartment com;
  std::string text;
  with_task(name, [&](ITask& task) { text = next_run_text(task, text::load(IDS_NEVER)); });
  return text;
}

int task_status_of(std::string_view name) {
  if (ensure_scheduler_running() != 0) return 0;
  platform::ComApartment com;
  int string_number = 0;
  with_task(name, [&](ITask& task) {
    HRESULT status = 0;
    string_number = task_status_string(SUCCEEDED(task.GetStatus(&status)) ? status : 0);
  });
  return string_number;
}

TaskDeletionResult delete_task(std::string_view name) {
  if (const auto error = ensure_scheduler_running(); error != 0)
    return {TaskDeletion::SchedulerUnavailable, error};
  platform::ComApartment com;
  TaskDeletionResult result{TaskDeletion::NoMatch, 0};
  const HRESULT listed = visit_work_items([&](ITaskScheduler& scheduler, const std::wstring& item) {
    if (!iequals(platform::from_wide(item), name)) return true;
    const HRESULT hr = delete_work_item(scheduler, item);
    result = SUCCEEDED(hr) ? TaskDeletionResult{TaskDeletion::Deleted, 0}
                           : TaskDeletionResult{TaskDeletion::Failed, static_cast<std::uint32_t>(hr)};
    return false;
  });
  if (FAILED(listed)) return {TaskDeletion::Failed, static_cast<std::uint32_t>(listed)};
  return result;
}

int task_snapshot_value(std::string_view title) {
  return decimal_value(reg::read_string(HKEY_CURRENT_USER, keys::kTasks, title, kSnapshotValueLimit));
}

bool write_task_snapshot(std::string_view title) {
  return reg::write_string(HKEY_CURRENT_USER, keys::kTasks, title, std::to_string(code::kTaskScheduled));
}

bool delete_task_snapshot(std::string_view title) {
  return reg::delete_value(HKEY_CURRENT_USER, keys::kTasks, title) ||
         !reg::value_exists(HKEY_CURRENT_USER, keys::kTasks, title);
}

void fill_task_snapshot(ItemList& list, const ItemRules& rules) {
  list_tasks(list, rules);
  for (const auto& item : list.items()) write_task_snapshot(item.title);
}

void fill_task_snapshot_hook() {
  ItemList list;
  fill_task_snapshot(list, system_item_rules());
}

std::vector<std::string> task_files() {
  ItemList list;
  list_tasks(list, system_item_rules());
  return list.files();
}

}  // namespace kestrom
