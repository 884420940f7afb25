// What Kestrom.exe plugs into its window: the startup core (product initialisation hooks,
// the startup programs step with its alert dialogs), the running-program list, the program
// information lookup and the alerts' help page. One object lives for the whole run and owns
// the Item List, the alert fonts and the alerts' repeat memory.
#pragma once
#include <windows.h>

#include <array>
#include <string>

#include "common/item_list.hpp"
#include "monitor/alerts/alert_dialog.hpp"
#include "monitor/alerts/setting_watchers.hpp"
#include "monitor/monitor_win.hpp"

namespace kestrom::monitor {

class MonitorWiring {
 public:
  MonitorWiring();
  MonitorWiring(const MonitorWiring&) = delete;
  MonitorWiring& operator=(const MonitorWiring&) = delete;

  // Hooks that refer to this object, which must outlive the monitor they are given to.
  MonitorHooks hooks();

  // One step of the Patrol Cycle through the step table; later categories are no-ops.
  void patrol_step(PatrolStep step, Monitor& monitor);

  ItemList& item_list() noexcept { return list_; }
  alerts::AlertContext& alert_context() noexcept { return alerts_; }
  bool wow64_view() const noexcept { return wow64_view_; }

 private:
  using Step = void (MonitorWiring::*)(Monitor&);
  void startup_step(Monitor& monitor);
  void cookie_filter_step(Monitor& monitor);
  void mozilla_cookie_step(Monitor& monitor);
  void new_cookies_step(Monitor& monitor);
  void tasks_step(Monitor& monitor);
  void hidden_step(Monitor& monitor);
  void system_files_step(Monitor& monitor);
  void default_pages_step(Monitor& monitor);
  alerts::SettingWatchSignals setting_signals(Monitor& monitor, int tooltip);
  void services_step(Monitor& monitor);
  void file_types_step(Monitor& monitor);
  void ie_helpers_step(Monitor& monitor);
  void activex_step(Monitor& monitor);
  InitHooks product_hooks();

  bool wow64_view_;
  ItemList list_;
  alerts::AlertFonts fonts_;
  alerts::AlertContext alerts_;
  // In the order of PatrolStep; a null entry is a step whose category is not built in yet.
  std::array<Step, kPatrolStepCount> steps_{};
  // The browser kind the cookie steps work on: Firefox (3) once the default browser was found
  // to be of the Mozilla family, else Internet Explorer (1).
  int cookie_mode_ = 1;
  // Delayed programs the launcher has counted as started in this run.
  int delay_started_ = 0;
};

}  // namespace kestrom::monitor
