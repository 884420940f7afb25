#include "monitor/startup_step.hpp"

#include <string>

#include "common/locations.hpp"
#include "common/text.hpp"
#include "startup/snapshot.hpp"

namespace kestrom {
namespace {

// Clears the alert-showing guard however the question ends.
class AlertShowing {
 public:
  explicit AlertShowing(StartupStepOperations& ops) : ops_(ops) { ops_.set_alert_showing(true); }
  ~AlertShowing() { ops_.set_alert_showing(false); }
  AlertShowing(const AlertShowing&) = delete;
  AlertShowing& operator=(const AlertShowing&) = delete;

 private:
  StartupStepOperations& ops_;
};

// An entry already in the Disabled Store is left alone: disabling it again would overwrite
// its saved command.
// False when Windows refused it (the user has been told).
bool disable(const StartupItem& item, StartupStepOperations& ops) {
  if (ops.disabled_marker_exists(item.title)) return true;
  if (ops.disable_entry(item) != ActionResult::Refused) return true;
  ops.tell_refused(item, RefusedAction::Disable);
  return false;
}

void handle_put_back(const StartupItem& item, const std::string& key, const StartupStepOptions& options,
                     StartupStepOperations& ops, StartupAsker& asker) {
  AlertShowing showing(ops);
  const int answer = alert_is_shown(options.hide_startup, options.show_alerts) ? asker.ask_put_back(item)
                                                                               : silent_answer(options.hide_startup);
  if (answer == kAnswerYes) {
    ops.write_snapshot(key, item.code);
    // Codes up to 10 are the machine-wide places, whose programs were delayed under HKLM.
    if (!ops.forget_delayed_program(item.file, item.code <= code::kCurrentBase))
      ops.tell_refused(item, RefusedAction::ForgetDelayed);
  } else if (answer == kAnswerNo) {
    ops.write_snapshot(key, item.code);
    disable(item, ops);
  }
}

void handle_new_entry(const StartupItem& item, const std::string& key, const StartupStepOptions& options,
                      StartupStepOperations& ops, StartupAsker& asker) {
  ops.note_first_sighting(item.file);
  ops.show_alert_icon();
  AlertShowing showing(ops);
  int answer;
  if (alert_is_shown(options.hide_startup, options.show_alerts)) {
    ops.play_alert_sound();
    answer = asker.ask_new_program(item);
  } else {
    answer = silent_answer(options.hide_startup);
  }
  switch (answer) {
    case kAnswerYes:
      ops.write_snapshot(key, item.code);
      break;
    case kAnswerNo:
      ops.end_program(item.title, item.file);
      // A refused removal is no removal: the entry that stayed is accepted, so it is not
      // asked about at every check until it changes.
      if (ops.remove_startup_entry(key, item.title, item.command, item.code) == ActionResult::Refused) {
        ops.write_snapshot(key, item.code);
        ops.tell_refused(item, RefusedAction::Remove);
        break;
      }
      ops.delete_snapshot(key);
      ops.delete_snapshot(item.title);
      break;
    case kAnswerDisable:
      ops.end_program(item.title, item.file);
      // Not written to the snapshot: a disabled entry never accepted is asked about again
      // when it is listed from the Disabled Store. One that stayed active because Windows
      // refused is accepted, like a refused removal, so the question does not come back at
      // every check.
      if (!disable(item, ops)) ops.write_snapshot(key, item.code);
      break;
    case kAnswerNotShown:
      break;  // nothing was asked, so nothing is done; the entry is asked about next time
    default:
      break;
  }
}

}  // namespace

StartupStepOptions startup_step_options(const Options& options) noexcept {
  return {options[Opt::HideStartup], options[Opt::ShowAlerts], options[Opt::HideRunOnce]};
}

bool is_hidden_run_once_place(int code) noexcept {
  return code == 2 || code == 3 || code == 12 || code == 13 || code == 22;
}

void check_startup_entries(const std::vector<StartupItem>& items, const StartupStepOptions& options,
                           StartupStepOperations& ops, StartupAsker& asker) {
  // By index and by copy: a question's message loop runs timer work that may refill the
  // list; the loop then ends at the new size instead of reading freed records.
  for (std::size_t i = 0; i < items.size(); ++i) {
    const StartupItem item = items[i];
    const std::string key = snapshot_key(item.file);
    int value = ops.snapshot_value(key);
    if (value == 0) value = ops.snapshot_value(item.title);

    if (value == code::kRemovedMarker) {
      handle_put_back(item, key, options, ops, asker);
      continue;
    }
    if (value != 0) continue;  // accepted

    if (contains(item.title, kMcAfeeCleanupTitle)) continue;
    if (options.hide_run_once != 0 && is_hidden_run_once_place(item.code)) continue;
    handle_new_entry(item, key, options, ops, asker);
  }
}

bool run_startup_step(ItemList& list, const StartupStepOptions& options, StartupStepOperations& ops,
                      StartupAsker& asker) {
  if (!ops.startup_changed(list)) return false;
  check_startup_entries(list.items(), options, ops, asker);
  return true;
}

}  // namespace kestrom
