#include <string>
#include <utility>

#include "categories/active_tasks.hpp"
#include "common/detected.hpp"
#include "common/msgbox.hpp"
#include "common/options_table.hpp"
#include "common/paths.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/sound.hpp"
#include "common/string_ids.h"
#include "common/textloader.hpp"
#include "monitor/alerts/startup_step_system.hpp"
#include "startup/delay_store.hpp"
#include "startup/snapshot.hpp"

namespace kestrom::alerts {

AlertItem alert_item_of(const StartupItem& item) {
  AlertItem a;
  a.path = item.file.substr(0, kMaxAlertText);
  a.name = item.title.substr(0, kMaxAlertText);
  a.code = item.code;
  return a;
}

SystemStartupOperations::SystemStartupOperations(StartupScan scan, ItemRules rules, ConfirmRemoval confirm,
                                                 StartupStepSignals signals)
    : scan_(scan), rules_(std::move(rules)), confirm_(std::move(confirm)), signals_(std::move(signals)) {}

bool SystemStartupOperations::startup_changed(ItemList& list) { return kestrom::startup_changed(list, scan_, rules_); }

int SystemStartupOperations::snapshot_value(std::string_view name) { return snapshot_number(name); }

void SystemStartupOperations::write_snapshot(std::string_view name, int code) { snapshot_write(name, code); }

void SystemStartupOperations::delete_snapshot(std::string_view name) { snapshot_delete(name); }

bool SystemStartupOperations::disabled_marker_exists(std::string_view title) {
  return has_disabled_marker(title, kMarkerLimitPatrol);
}

void SystemStartupOperations::note_first_sighting(std::string_view file) {
  kestrom::note_first_sighting(file, detected::kStartup);
}

void SystemStartupOperations::end_program(std::string_view title, std::string_view file) {
  kestrom::end_program(title, command_to_file(file));
}

ActionResult SystemStartupOperations::remove_startup_entry(std::string_view file, std::string_view title,
                                                           std::string_view command, int code) {
  return kestrom::remove_startup_entry(file, title, command, code, confirm_);
}

ActionResult SystemStartupOperations::disable_entry(const StartupItem& item) {
  return disable_startup_entry(item);
}

void SystemStartupOperations::tell_refused(const StartupItem& item, RefusedAction what) {
  const int string_number = what == RefusedAction::Remove    ? IDS_REMOVE_REFUSED
                            : what == RefusedAction::Disable ? IDS_DISABLE_REFUSED
                                                             : IDS_FORGET_DELAYED_REFUSED;
  const std::string text = fill_question(text::load(string_number), item.title);
  if (signals_.tell_user)
    signals_.tell_user(text);
  else
    message_box(nullptr, text, MB_OK | MB_ICONEXCLAMATION);
}

bool SystemStartupOperations::forget_delayed_program(std::string_view file, bool machine) {
  // The list names its values by the program alone, without the entry's parameters.
  return delay::forget_delayed_program(delay::program_of(file), machine);
}

void SystemStartupOperations::show_alert_icon() {
  if (signals_.show_alert_icon) signals_.show_alert_icon();
}

void SystemStartupOperations::play_alert_sound() {
  if (signals_.play_alert_sound) signals_.play_alert_sound();
}

void SystemStartupOperations::set_alert_showing(bool on) {
  if (signals_.set_alert_showing) signals_.set_alert_showing(on);
}

bool run_startup_step_with_alerts(HWND owner, AlertContext& context, ItemList& list, const Options& options,
                                  const StartupScan& scan, StartupStepSignals signals) {
  if (!signals.play_alert_sound) {
    const int sound = options[Opt::Sound];
    signals.play_alert_sound = [sound] { play_sound(1, sound); };
  }
  SystemStartupOperations ops(scan, system_item_rules(), monitor_confirmation(options[Opt::HideStartup]),
                              std::move(signals));
  DialogStartupAsker asker(owner, context);
  return run_startup_step(list, startup_step_options(options), ops, asker);
}

int DialogStartupAsker::ask_new_program(const StartupItem& item) {
  return alerts::ask_new_program(owner_, context_, alert_item_of(item));
}

int DialogStartupAsker::ask_put_back(const StartupItem& item) {
  return alerts::ask_put_back(owner_, context_, alert_item_of(item));
}

}  // namespace kestrom::alerts
