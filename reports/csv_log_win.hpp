// The CSV log on this system: the startup, delayed, running, helper, ActiveX, service and
// scheduled-task items, one row each, listed into a list of the log's own.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "common/item_list.hpp"

namespace kestrom::reports {

// One listing per category; a category not built in lists nothing and writes no rows.
struct CsvListers {
  std::function<void(ItemList&)> startup, delayed, active_tasks, ie_helpers, activex, services, tasks;
};
CsvListers system_csv_listers();

// Writes the log at `path`; false when the file could not be created or not completely written.
bool write_csv_log_file(const std::string& path, const CsvListers& listers);

// The Options page's command: the log at `path` with the wait cursor, then opened with the
// shell. False (nothing opened) when it could not be written.
bool write_csv_log(HWND owner, const std::string& path);

}  // namespace kestrom::reports
