// The startup programs step of the patrol: every entry of the Item List that the Startup
// Snapshot does not know is asked about (or answered by the Hide options) and the answer is
// carried out; an entry that was delayed and has put itself back raises the put-back question.
// Pure: the registry, the processes and the dialogs come in through the two interfaces below.
#pragma once
#include <string_view>
#include <vector>

#include "common/item_list.hpp"
#include "common/options_table.hpp"
#include "monitor/alert_rules.hpp"
#include "startup/actions.hpp"

namespace kestrom {

// The title of an installer's clean-up entry that is never asked about.
inline constexpr std::string_view kMcAfeeCleanupTitle = "McAfee Application Installer Cleanup";

// The run-once places that the HideRunOnce option keeps quiet.
bool is_hidden_run_once_place(int code) noexcept;

// What Windows refused to do with an entry, for the message that says so.
enum class RefusedAction { Remove, Disable, ForgetDelayed };

// The three options the step reads.
struct StartupStepOptions {
  int hide_startup = 0;   // HideStartup: 0 ask, 1 approve silently, other values remove silently
  int show_alerts = 0;    // ShowAlerts: non-zero always asks
  int hide_run_once = 0;  // HideRunOnce: non-zero never asks about new run-once entries
};
StartupStepOptions startup_step_options(const Options& options) noexcept;

// What the step does to the system. Every operation is silent on failure.
class StartupStepOperations {
 public:
  virtual ~StartupStepOperations() = default;

  // `startup changed`: refills the list; true when some entry is new or marked 1103.
  virtual bool startup_changed(ItemList& list) = 0;
  // The number stored in the snapshot under `name`; 0 when missing, too long or not a number.
  virtual int snapshot_value(std::string_view name) = 0;
  virtual void write_snapshot(std::string_view name, int code) = 0;
  virtual void delete_snapshot(std::string_view name) = 0;
  // True when the Disabled Store has a marker named `title`.
  virtual bool disabled_marker_exists(std::string_view title) = 0;
  // First-Detected Register, category "Startup".
  virtual void note_first_sighting(std::string_view file) = 0;
  // Ends the program when it is running.
  virtual void end_program(std::string_view title, std::string_view file) = 0;
  virtual ActionResult remove_startup_entry(std::string_view file, std::string_view title, std::string_view command,
                                            int code) = 0;
  // Moves the entry into the Disabled Store (the family's disable of startup/actions.hpp).
  virtual ActionResult disable_entry(const StartupItem& item) = 0;
  // Tells the user in words that Windows refused to remove or disable the entry and that
  // this needs administrator rights.
  virtual void tell_refused(const StartupItem& item, RefusedAction what) = 0;
  // `forget delayed program` of the program the entry's file text starts, under
  // HKEY_LOCAL_MACHINE (machine) or HKEY_CURRENT_USER. False when Windows refused to change the
  // list (HKLM for a standard user).
  virtual bool forget_delayed_program(std::string_view file, bool machine) = 0;
  // Tray icon 161 with the startup tooltip.
  virtual void show_alert_icon() = 0;
  // The "Startup Alert" sound (sound 1).
  virtual void play_alert_sound() = 0;
  // The monitor's alert-showing guard, set while a question is open.
  virtual void set_alert_showing(bool on) = 0;
};

// Asks the user; each call returns an answer value (6, 7 or 11), or kAnswerNotShown when the
// question could not be shown, which changes nothing.
class StartupAsker {
 public:
  virtual ~StartupAsker() = default;
  virtual int ask_new_program(const StartupItem& item) = 0;
  virtual int ask_put_back(const StartupItem& item) = 0;
};

// The whole step: `startup changed`, then the check of every listed entry. Returns false when
// nothing was new or marked (the list is then left as `startup changed` filled it).
bool run_startup_step(ItemList& list, const StartupStepOptions& options, StartupStepOperations& ops,
                      StartupAsker& asker);

// The check of the entries already in the list (`startup check`). `items` may change while a
// question is open (timer work runs in its message loop); the check goes on by index.
void check_startup_entries(const std::vector<StartupItem>& items, const StartupStepOptions& options,
                           StartupStepOperations& ops, StartupAsker& asker);

}  // namespace kestrom
