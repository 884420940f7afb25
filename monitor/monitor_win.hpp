// The monitor window: a hidden window that owns the tray icon and the 2-second timer and
// answers the command messages of the tray menu and of the explorer. All its state lives in
// one Monitor object bound to the window.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/options_table.hpp"
#include "common/product.hpp"
#include "monitor/commands.hpp"
#include "monitor/patrol_schedule.hpp"
#include "monitor/tick.hpp"
#include "platform/com.hpp"

namespace kestrom::monitor {

class Monitor;

// The options as last loaded, with the two the window itself acts on.
struct MonitorOptions {
  Options all = Options::defaults(Program::Monitor);
  bool hide_icon = false;  // HideRusko 1: no tray icon at all
  int tray_icon = icon::kNormal;
};
MonitorOptions load_monitor_options();

// Work that belongs to other parts of the system, plugged in by the program. An empty hook
// does nothing (count_processes then reports 0).
struct MonitorHooks {
  // Program information lookup for a file named on the command line (type 460 or 470).
  std::function<void(const std::string& command_line, int type)> information_lookup;
  // The later parts of the product initialisation (snapshots, delay list, ...).
  InitHooks product;
  // Replaces the whole product initialisation (tests); empty: the real one with `product`.
  std::function<ProductState()> initialise;
  // Starts the delayed programs due at `time` seconds; returns how many are started by now.
  std::function<int(int time)> launch_delayed;
  // One step of the Patrol Cycle; it may use the Monitor's tray, guards and schedule.
  std::function<void(PatrolStep, Monitor&)> patrol_step;
  // A cycle that ran while a realtime notification was pending notes the running programs.
  std::function<void()> note_running_programs;
  // Running processes, for the realtime check.
  std::function<int()> count_processes;
  // Shutdown: empty the Item List and the cookie filter list.
  std::function<void()> release_lists;
  // Command 6025: the alerts' memory of the program last asked about starts over.
  std::function<void()> clear_alert_memory;
};

// Counts running processes with EnumProcesses.
int count_running_processes();

// Class name and window title are loaded into buffers of this size (31 characters).
inline constexpr std::size_t kNameSize = 32;

class Monitor {
 public:
  Monitor(HINSTANCE instance, MonitorHooks hooks);
  Monitor(const Monitor&) = delete;
  Monitor& operator=(const Monitor&) = delete;
  ~Monitor();

  // Registers the class and creates the hidden window; false when either fails.
  bool create(const std::string& class_name, const std::string& title, bool express_boot);
  // Runs the product initialisation and hands the window to kestrompro, then posts 6025.
  void initialise();
  int run_message_loop();

  HWND window() const noexcept { return hwnd_; }
  const MonitorOptions& options() const noexcept { return options_; }
  // `load all options`: also resets the patrol countdowns and makes the next cycle a first half.
  void reload_options();
  // Reloads the options and clears `Update` when an option write has set it.
  void take_up_option_changes();
  PatrolSchedule& patrol_schedule() noexcept { return patrol_; }
  // One Patrol Cycle: 1 when it ran or was turned away by a guard, 0 when it left early.
  int patrol_cycle();

  // Tray icon, for the Patrol Cycle and the alerts.
  void add_tray_icon();
  void delete_tray_icon();
  void show_tray_state(int icon_resource, int tooltip_string);
  // Guards the Patrol Cycle and the alerts set while they run.
  bool alert_showing = false;
  bool patrol_busy = false;
  bool realtime_pending() const noexcept { return tick_.realtime_pending(); }

  // Starts KestromEx.exe with one switch; string 795 when that fails.
  void start_explorer(std::string_view explorer_switch);
  // The last error's code and text in a message box ("System Error").
  void show_system_error();

 private:
  // Runs inside the guard (platform/callback_guard.hpp): the window class gets the guarded one.
  static LRESULT window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
  void on_command(int command, LPARAM lp);
  void start_of_run();
  void on_tick();
  void realtime_check();
  void on_tray(WPARAM wp, LPARAM lp);
  void show_tray_menu();
  void exit_request(WPARAM wp);
  void shutdown();
  HICON load_icon(int resource) const;
  bool set_tray(DWORD action, int icon_resource, int tooltip_string);

  HINSTANCE instance_;
  MonitorHooks hooks_;
  HWND hwnd_ = nullptr;
  std::string class_name_;
  MonitorOptions options_;
  TickSchedule tick_;
  PatrolSchedule patrol_;
  bool express_boot_ = false;
  UINT taskbar_created_ = 0;
  UINT_PTR timer_ = 0;
  bool menu_busy_ = false;
  bool always_run_ = false;
  bool icon_added_ = false;
  bool asking_exit_ = false;
  bool shut_down_ = false;
  std::optional<platform::ComApartment> com_;  // from create() until shutdown
  int last_process_count_ = 0;
};

// The whole program: command line, single instance, window, loop. Returns the exit code.
int run_monitor(HINSTANCE instance, std::string_view command_line, MonitorHooks hooks);

}  // namespace kestrom::monitor
