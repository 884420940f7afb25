#include "monitor/wiring_win.hpp"

#include <algorithm>
#include <utility>

#include "categories/active_tasks.hpp"
#include "categories/cookies_win.hpp"
#include "categories/file_types_win.hpp"
#include "categories/hidden_files_win.hpp"
#include "categories/setting_watch_win.hpp"
#include "categories/system_files_win.hpp"
#include "categories/ie_helpers_win.hpp"
#include "categories/register_sources.hpp"
#include "categories/tasks.hpp"
#include "common/detected.hpp"
#include "common/history_log.hpp"
#include "common/info_server_win.hpp"
#include "common/msgbox.hpp"
#include "common/sound.hpp"
#include "common/trace.hpp"
#include "monitor/alerts/file_types_step_system.hpp"
#include "monitor/alerts/hidden_step.hpp"
#include "monitor/alerts/ie_helpers_step_system.hpp"
#include "monitor/alerts/setting_watchers.hpp"
#include "monitor/alerts/system_files_step.hpp"
#include "monitor/alerts/services_step_system.hpp"
#include "monitor/alerts/startup_step_system.hpp"
#include "monitor/alerts/tasks_step_system.hpp"
#include "monitor/string_ids.h"
#include "startup/delay_store.hpp"
#include "startup/enumerate.hpp"
#include "startup/snapshot.hpp"

namespace kestrom::monitor {

MonitorWiring::MonitorWiring() : wow64_view_(wow64_view_present()), alerts_(fonts_) {
  steps_[static_cast<std::size_t>(PatrolStep::Startup)] = &MonitorWiring::startup_step;
  steps_[static_cast<std::size_t>(PatrolStep::CookieFilter)] = &MonitorWiring::cookie_filter_step;
  steps_[static_cast<std::size_t>(PatrolStep::MozillaCookies)] = &MonitorWiring::mozilla_cookie_step;
  steps_[static_cast<std::size_t>(PatrolStep::NewCookies)] = &MonitorWiring::new_cookies_step;
  steps_[static_cast<std::size_t>(PatrolStep::ScheduledTasks)] = &MonitorWiring::tasks_step;
  steps_[static_cast<std::size_t>(PatrolStep::HiddenFiles)] = &MonitorWiring::hidden_step;
  steps_[static_cast<std::size_t>(PatrolStep::SystemFiles)] = &MonitorWiring::system_files_step;
  steps_[static_cast<std::size_t>(PatrolStep::DefaultPages)] = &MonitorWiring::default_pages_step;
  steps_[static_cast<std::size_t>(PatrolStep::Services)] = &MonitorWiring::services_step;
  steps_[static_cast<std::size_t>(PatrolStep::FileTypes)] = &MonitorWiring::file_types_step;
  steps_[static_cast<std::size_t>(PatrolStep::IEHelpers)] = &MonitorWiring::ie_helpers_step;
  steps_[static_cast<std::size_t>(PatrolStep::ActiveX)] = &MonitorWiring::activex_step;
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
  h.fill_snapshots = [wow64] {
    fill_startup_snapshot_hook(wow64);
    fill_task_snapshot_hook();
    helpers::fill_helper_snapshot_hook();
  };
  h.build_missing_category_snapshots = [] {
    build_missing_category_snapshots();
    build_hidden_snapshot();
  };
  h.build_system_files_snapshot = [] { build_system_file_set(); };
  h.initialise_file_types = [] { file_types::build_file_type_snapshot(); };
  h.take_setting_copies = [] { take_setting_copies(vista_or_later()); };
  h.remove_startup_entry = [wow64](const std::string& title, int code) {
    return remove_titled_entry_hook(title, code, wow64);
  };
  h.remove_entries_containing = [wow64](const std::string& part) {
    return remove_entries_containing_hook(part, wow64);
  };
  h.clear_item_list = [this] { list_.clear(); };
  h.load_delayed_programs = [this] {
    return static_cast<int>(delay::list_delayed_programs(list_, system_item_rules()));
  };
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
  h.launch_delayed = [this](int time) {
    delay_started_ = delay::launch_delayed_programs(
        time, delay_started_, [](std::string_view program) { return find_program_process(program) != 0; });
    return delay_started_;
  };
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

namespace {

// The monitor lists at most MaxCookie Internet Explorer cookies.
ItemRules cookie_rules(const Monitor& monitor) {
  ItemRules rules = system_item_rules();
  const int limit = std::clamp(monitor.options().all[Opt::MaxCookie], 0, static_cast<int>(kMaxItems));
  rules.cookie_limit = static_cast<std::size_t>(limit);
  return rules;
}

}  // namespace

// Mozilla-family browsers keep their cookie file open, so their filter pass runs from the
// explorer and this step only remembers the kind; every other kind gets the Internet
// Explorer folder's pass.
void MonitorWiring::cookie_filter_step(Monitor& monitor) {
  if (cookies::mozilla_family(cookies::default_browser_kind())) {
    cookie_mode_ = cookies::kKindFirefox;
    return;
  }
  cookie_mode_ = cookies::kKindExplorer;
  cookies::cookie_filter_pass(cookies::kKindExplorer, list_, cookie_rules(monitor));
}

// Puts the filtered copy of cookies.txt in place once Firefox has closed.
void MonitorWiring::mozilla_cookie_step(Monitor&) {
  if (cookie_mode_ != cookies::kKindFirefox) return;
  const cookies::Folder profile = cookies::firefox_profile_folder(cookies::kKindFirefox);
  if (profile.found) cookies::replace_cookie_file(profile);
}

void MonitorWiring::new_cookies_step(Monitor& monitor) {
  cookies::list_cookies(cookie_mode_, list_, cookie_rules(monitor));
  std::vector<std::string> titles;
  for (const StartupItem& item : list_.items()) titles.push_back(item.title);
  if (!cookies::first_new_cookie(titles, [](std::string_view title) { return cookies::cookie_kept(title); })) return;
  monitor.show_tray_state(icon::kAlert, IDS_TIP_COOKIES);
  monitor.alert_showing = true;
  trace::note_alert_shown();
  play_sound(2, monitor.options().all[Opt::Sound]);
  const int answer =
      message_box_string(monitor.window(), IDS_NEW_COOKIES_QUESTION, MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST);
  monitor.alert_showing = false;
  if (answer == IDYES) monitor.start_explorer("-COOKIES");
}

void MonitorWiring::tasks_step(Monitor& monitor) {
  alerts::TasksStepSignals signals;
  signals.show_alert_icon = [&monitor] { monitor.show_tray_state(icon::kAlert, IDS_TIP_SCHEDULED_TASKS); };
  signals.set_alert_showing = [&monitor](bool on) {
    monitor.alert_showing = on;
    if (on) trace::note_alert_shown();
  };
  alerts::run_tasks_step_with_alerts(monitor.window(), alerts_, list_, monitor.options().all, std::move(signals));
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

// The step takes up option changes first, so that a LockFileTypes just set applies now.
void MonitorWiring::file_types_step(Monitor& monitor) {
  monitor.take_up_option_changes();
  alerts::FileTypesStepSignals signals;
  signals.show_alert_icon = [&monitor] { monitor.show_tray_state(icon::kAlert, IDS_TIP_FILE_TYPES); };
  signals.set_alert_showing = [&monitor](bool on) {
    monitor.alert_showing = on;
    if (on) trace::note_alert_shown();
  };
  alerts::run_file_types_step_with_alerts(monitor.window(), alerts_, monitor.options().all, std::move(signals));
}

void MonitorWiring::hidden_step(Monitor& monitor) {
  alerts::HiddenStepSignals signals;
  signals.show_status_icon = [&monitor] { monitor.show_tray_state(icon::kSecondHalf, IDS_TIP_IE_HELPERS); };
  signals.set_alert_showing = [&monitor](bool on) {
    monitor.alert_showing = on;
    if (on) trace::note_alert_shown();
  };
  alerts::run_hidden_step(monitor.window(), alerts_, list_, monitor.options().all, std::move(signals));
}

void MonitorWiring::system_files_step(Monitor& monitor) {
  if (!vista_or_later()) {
    alerts::SystemFilesSignals signals;
    signals.show_status_icon = [&monitor] { monitor.show_tray_state(icon::kAlert, IDS_TIP_HOSTS); };
    signals.set_alert_showing = [&monitor](bool on) {
      monitor.alert_showing = on;
      if (on) trace::note_alert_shown();
    };
    signals.show_system_error = [&monitor] { monitor.show_system_error(); };
    alerts::run_system_files_step(monitor.window(), monitor.options().all, std::move(signals));
  }
  alerts::run_setting_watchers(monitor.window(), setting_signals(monitor, IDS_TIP_HOSTS));
}

alerts::SettingWatchSignals MonitorWiring::setting_signals(Monitor& monitor, int tooltip) {
  alerts::SettingWatchSignals signals;
  signals.show_status_icon = [&monitor, tooltip] { monitor.show_tray_state(icon::kAlert, tooltip); };
  signals.set_alert_showing = [&monitor](bool on) {
    monitor.alert_showing = on;
    if (on) trace::note_alert_shown();
  };
  signals.start_explorer = [&monitor](std::string_view explorer_switch) { monitor.start_explorer(explorer_switch); };
  signals.vista_or_later = vista_or_later();
  return signals;
}

void MonitorWiring::default_pages_step(Monitor& monitor) {
  alerts::run_default_pages_step(monitor.window(), monitor.options().all, setting_signals(monitor, IDS_TIP_START_PAGES));
}

namespace {

alerts::BrowserStepSignals browser_signals(Monitor& monitor) {
  alerts::BrowserStepSignals signals;
  signals.show_status_icon = [&monitor] { monitor.show_tray_state(icon::kSecondHalf, IDS_TIP_IE_HELPERS); };
  signals.set_alert_showing = [&monitor](bool on) {
    monitor.alert_showing = on;
    if (on) trace::note_alert_shown();
  };
  return signals;
}

}  // namespace

void MonitorWiring::ie_helpers_step(Monitor& monitor) {
  alerts::run_ie_helpers_step_with_alerts(monitor.window(), alerts_, list_, monitor.options().all,
                                          browser_signals(monitor));
}

void MonitorWiring::activex_step(Monitor& monitor) {
  alerts::run_activex_step_with_alerts(monitor.window(), alerts_, list_, monitor.options().all,
                                       browser_signals(monitor));
}

}  // namespace kestrom::monitor
