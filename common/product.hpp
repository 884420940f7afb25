// Product initialisation run by both programs at start-up, the start-with-Windows entry of
// the monitor and the Windows Explorer context-menu entry.
#pragma once
#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "common/options_table.hpp"

namespace kestrom {

inline constexpr const char* kProductVersion = "17.0.2010.0";
inline constexpr int kMachineRunCode = 1;            // location code of HKLM ...\Run

// Steps that belong to later parts of the system; each may be empty (a missing hook does nothing).
struct InitHooks {
  std::function<void()> initialise_register;           // First-Detected Register
  std::function<void()> build_missing_category_snapshots;  // services, hidden files, ActiveX
  std::function<void()> take_setting_copies;           // watched system settings
  std::function<void()> build_system_files_snapshot;   // when Sysfiles has no default value
  std::function<void()> fill_snapshots;                // startup (Run), IE helpers, tasks
  std::function<void()> initialise_file_types;
  std::function<int()> load_delayed_programs;          // returns the number of delayed programs
  // Removes the startup entry titled `title` with location `code` (used by first-run set-up
  // and by `set always run` off); returns true when one was found.
  std::function<bool(const std::string& title, int code)> remove_startup_entry;
  // `set always run` off: removes every entry whose command contains the text.
  std::function<bool(const std::string& command_part)> remove_entries_containing;
  std::function<void()> clear_item_list;               // empties the Item List
};

struct ProductState {
  Options options;
  bool wow64_view = false;       // HKLM\Software\Wow6432Node\...\Run can be opened
  unsigned long init_tick = 0;   // tick count at initialisation (time of the last cycle)
  bool always_run = false;
  int delay_count = 0;
};

// Runs the start-up steps in their order. The returned options are the loaded Options Store;
// the monitor sets its patrol countdowns from them.
ProductState initialise_product(Program program, const InitHooks& hooks);
// Fills the three snapshots after deleting and recreating their keys.
void reset_snapshots(const InitHooks& hooks);
// First use or a new version: fill the snapshots, drop the old "Kestrom VANT" start entry and
// install the monitor's own start-with-Windows entry.
void first_run_setup(const InitHooks& hooks);

Options load_all_options(Program program);
void save_all_options(const Options& options);  // the explorer's list, in its order
int read_option(Opt id, Program program = Program::Monitor);
// Writes the decimal text, then Update = "1" (except when the option written is Update itself).
// True when the option itself was written.
bool write_option(Opt id, int value);
// Numbers kept beside the options that are not options of the table (the lists' column widths
// and sort orders), read and written by the same rules.
int read_setting(std::string_view name, int default_value);
bool write_setting(std::string_view name, int value);

// A window's remembered place (left, top, width, height) as stored texts; empty when missing.
std::array<std::string, 4> read_window_position(WindowFamily family);
void write_window_position(WindowFamily family, int left, int top, int width, int height);

bool always_run_state();
// True when the state became `on`: on, the Run value was written; off, at least one of the
// programs' start entries was found and removed. The caller keeps the state.
bool set_always_run(bool on, const InitHooks& hooks);
// The command the monitor's start-with-Windows entry runs (empty without a program folder).
std::string always_run_command();
bool add_explorer_menu_entry();
bool remove_explorer_menu_entry();

}  // namespace kestrom
