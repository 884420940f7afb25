// The startup programs step bound to the real system: the snapshot and the Disabled Store in
// the registry, the startup places, the First-Detected Register, running programs, and the
// alert dialogs as the asker. The monitor supplies its tray icon, sound and guard.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "monitor/alerts/alert_dialog.hpp"
#include "monitor/startup_step.hpp"
#include "startup/actions.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::alerts {

// The monitor's part of a question; an empty function is skipped.
struct StartupStepSignals {
  std::function<void()> show_alert_icon;          // tray icon 161 with tooltip 821
  std::function<void()> play_alert_sound;         // sound 1
  std::function<void(bool on)> set_alert_showing;  // the patrol's alert-showing guard
  // Shows the text that says what Windows refused; empty: a message box.
  std::function<void(const std::string& text)> tell_user;
};


class SystemStartupOperations final : public StartupStepOperations {
 public:
  SystemStartupOperations(StartupScan scan, ItemRules rules, ConfirmRemoval confirm, StartupStepSignals signals);

  bool startup_changed(ItemList& list) override;
  int snapshot_value(std::string_view name) override;
  void write_snapshot(std::string_view name, int code) override;
  void delete_snapshot(std::string_view name) override;
  bool disabled_marker_exists(std::string_view title) override;
  void note_first_sighting(std::string_view file) override;
  void end_program(std::string_view title, std::string_view file) override;
  ActionResult remove_startup_entry(std::string_view file, std::string_view title, std::string_view command,
                                    int code) override;
  ActionResult disable_entry(const StartupItem& item) override;
  void tell_refused(const StartupItem& item, RefusedAction what) override;
  bool forget_delayed_program(std::string_view file, bool machine) override;
  void show_alert_icon() override;
  void play_alert_sound() override;
  void set_alert_showing(bool on) override;

 private:
  StartupScan scan_;
  ItemRules rules_;
  ConfirmRemoval confirm_;
  StartupStepSignals signals_;
};

// Asks with the new-program and put-back dialogs, owned by the monitor window.
class DialogStartupAsker final : public StartupAsker {
 public:
  DialogStartupAsker(HWND owner, AlertContext& context) : owner_(owner), context_(context) {}
  int ask_new_program(const StartupItem& item) override;
  int ask_put_back(const StartupItem& item) override;

 private:
  HWND owner_;
  AlertContext& context_;
};

// The monitor's startup programs step: `startup changed`, then every new or put-back entry
// asked about with the dialogs (owned by `owner`) or answered by the Hide options. An empty
// sound signal plays sound 1 with the Sound option.
bool run_startup_step_with_alerts(HWND owner, AlertContext& context, ItemList& list, const Options& options,
                                  const StartupScan& scan, StartupStepSignals signals);

// The current item of an alert about a startup entry.
AlertItem alert_item_of(const StartupItem& item);

}  // namespace kestrom::alerts
