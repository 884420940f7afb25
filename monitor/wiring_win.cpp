#include "monitor/wiring_win.hpp"

#include <utility>

#include "categories/active_tasks.hpp"
#include "categories/register_sources.hpp"
#include "common/detected.hpp"
#include "common/history_log.hpp"
#include "common/info_server_win.hpp"
#include "common/trace.hpp"
#include "monitor/alerts/services_step_system.hpp"
#include "monitor/alerts/startup_step_system.hpp"
#include "monitor/string_ids.h"
#include "startup/enumerate.hpp"
#include "startup/snapshot.hpp"

namespace kestrom::monitor {

MonitorWiring::MonitorWiring() : wow64_view_(wow64_view_present()), alerts_(fonts_) {
  steps_[static_cast<std::size_t>(PatrolStep::Startup)] = &MonitorWiring::startup_step;
  steps_[static_cast<std::size_t>(PatrolStep::Services)] = &MonitorWiring::services_step;
  alerts_.services.look_up_program = [](int type, const std::string& path, const std::string& name) {
    // The dialog leaves the topmost band itself so that the browser can come to the front.
    info_server::look_up_program(nullptr, type, path, name);
  };
  alerts_.services.open_help_page = [](const std::string& page) { info_server::open_help_page(nullptr, page); };
  alerts_.services.write_history = [](const std::string& title, const std::string& path, const std::string& third,
                                      int code, int action) { write_history(title, path, third, code, action); };
}

InitHooks MonitorWiring::product_hooks() {
  InitHooks h;
  const bool wow64 = wow64_view_;
  h.initialise_register = [wow64] { initialise_register(detected_register_sources(wow64)); };
  h.fill_snapshots = [wow64] { fill_startup_snapshot_hook(wow64); };
  h.build_missing_category_snapshots = [] { build_missing_category_snapshots(); };
  h.remove_startup_entry = [wow64](const std::string& title, int code) {
    return remove_titled_entry_hook(title, code, wow64);
  };
  h.remove_entries_containing = [wow64](const std::string& part) {
    return remove_entries_containing_hook(part, wow64);
  };
  h.clear_item_list = [this] { list_.clear(); };
  return h;
}

MonitorHooks MonitorWiring::hooks() {
  MonitorHooks h;
  h.information_lookup = [](const std::string& command_line, int type) {
    info_server::look_up_program(nullptr, type, command_line);
  };
  h.product = product_hooks();
  h.patrol_step = [this](PatrolStep step, Monitor& monitor) { patrol_step(step, monitor); };
  h.note_running_programs = [] { note_active_tasks(); };
  h.count_processes = [this] {
    return static_cast<int>(active_tasks_count(list_, system_item_rules()));
  };
  h.release_lists = [this] { list_.clear(); };
  h.clear_alert_memory = [this] { alerts_.repeat.clear(); };
  return h;
}

void MonitorWiring::patrol_step(PatrolStep step, Monitor& monitor) {
  const auto index = static_cast<std::size_t>(step);
  if (index < steps_.size() && steps_[index]) (this->*steps_[index])(monitor);
}

void MonitorWiring::startup_step(Monitor& monitor) {
  StartupScan scan;
  scan.wow64_view = wow64_view_;
  alerts::StartupStepSignals signals;
  signals.show_alert_icon = [&monitor] { monitor.show_tray_state(icon::kAlert, IDS_TIP_STARTUP); };
  signals.set_alert_showing = [&monitor](bool on) {
    monitor.alert_showing = on;
    // The step's trace point then reports the question instead of the time the user took.
    if (on) trace::note_alert_shown();
  };
  alerts::run_startup_step_with_alerts(monitor.window(), alerts_, list_, monitor.options().all, scan,
                                       std::move(signals));
}

void MonitorWiring::services_step(Monitor& monitor) {
  alerts::ServicesStepSignals signals;
  signals.show_alert_icon = [&monitor] { monitor.show_tray_state(icon::kAlert, IDS_TIP_STARTUP); };
  signals.set_alert_showing = [&monitor](bool on) {
    monitor.alert_showing = on;
    if (on) trace::note_alert_shown();
  };
  alerts::run_services_step_with_alerts(monitor.window(), alerts_, list_, monitor.options().all, std::move(signals));
}

}  // namespace kestrom::monitor
