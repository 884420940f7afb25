// The explorer's process-wide context: created by WinMain, handed to every window and page
// through their creation parameters, never reached through globals.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/item_list.hpp"
#include "common/options_table.hpp"
#include "common/product.hpp"
#include "explorer/info_window.hpp"
#include "explorer/list_rules.hpp"
#include "platform/handles.hpp"

namespace kestrom::explorer {

// Steps that belong to other parts of the system; each may be empty.
struct ExplorerHooks {
  std::function<void()> undelay_all;           // "-Restore": every delayed program back to startup
  std::function<void()> refresh_active_tasks;  // 6029 while the sheet is open
  std::function<void(const std::string& path)> write_scan_log;  // when the program is named "hijack..."
  // The Options page's reports and tools, written by the report writers.
  std::function<void()> program_report;      // "Kestrom &Log"
  std::function<void()> spreadsheet_report;  // "&Spreadsheet Report": KestromLog.csv
  std::function<void()> export_settings;     // "E&xport Settings"
};

struct App {
  HINSTANCE instance = nullptr;
  std::string command_line;
  std::string class_name;    // string 9
  std::string title;         // string 833, then the product title (string 2)
  HWND owner = nullptr;
  HWND sheet = nullptr;
  bool sheet_open = false;
  bool show_cookies = false;
  int current_page = 0;      // Page Command of the page on show
  Options options = Options::defaults(Program::Explorer);
  SortDirections directions;  // one flag per column position for the whole run
  info::ExpandState info_expand;  // the information window's expanded flag for the whole run
  std::vector<platform::UniqueGdi> fonts;
  ExplorerHooks hooks;
  InitHooks init_hooks;  // the startup steps the shared start-up and always-run need
};

inline constexpr std::size_t kMaxTitleBuffer = 32;

// Runs the modal sheet on `page_command`, or brings it forward when it is already open.
void open_sheet(App& app, int page_command);

// Tells the user what Windows refused (string `what`) and, on Yes, starts the explorer again
// as administrator on the page on show.
void offer_elevated_restart(App& app, int what);

// The program's message dialog (template 184) with one string-table text.
void show_message_dialog(App& app, int string_number);

}  // namespace kestrom::explorer
