#include "monitor/ie_helpers_step.hpp"

#include <vector>

#include "monitor/alert_rules.hpp"

namespace kestrom {

namespace {

int decide(const StartupItem& item, const BrowserStepOptions& options, BrowserStepCommon& signals,
           BrowserAsker& asker) {
  signals.show_status_icon();
  if (!alert_is_shown(options.hide, options.show_alerts)) return silent_answer(options.hide);
  signals.play_alert_sound();
  signals.set_alert_showing(true);
  const int answer = asker.ask(item);
  signals.set_alert_showing(false);
  return answer;
}

}  // namespace

BrowserStepOptions ie_helpers_step_options(const Options& options) noexcept {
  return {options[Opt::HideIEHelper], options[Opt::ShowAlerts]};
}

BrowserStepOptions activex_step_options(const Options& options) noexcept {
  return {options[Opt::HideActiveX], options[Opt::ShowAlerts]};
}

void run_ie_helpers_step(ItemList& list, const BrowserStepOptions& options, HelperStepOperations& ops,
                         BrowserAsker& asker) {
  ops.list_helpers(list);
  // By copy: a question's message loop may refill the list.
  const std::vector<StartupItem> items = list.items();
  for (const StartupItem& item : items) {
    if (ops.approved(item.title)) continue;
    ops.note_first_sighting(item.file);
    const int answer = decide(item, options, ops, asker);
    if (answer == kAnswerYes) {
      ops.write_snapshot(item.title, item.code);
    } else if (answer == kAnswerNo) {
      ops.end_program(item);
      ops.delete_snapshot(item.title);
      if (ops.remove_helper(item) == ActionResult::Refused) ops.tell_refused(item);
    }
  }
}

void run_activex_step(ItemList& list, const BrowserStepOptions& options, ActiveXStepOperations& ops,
                      BrowserAsker& asker) {
  ops.list_controls(list);
  const std::vector<StartupItem> items = list.items();
  for (const StartupItem& item : items) {
    if (ops.seen(item.command)) continue;
    ops.note_first_sighting(item.file);
    const int answer = decide(item, options, ops, asker);
    if (answer == kAnswerYes) {
      ops.write_seen(item.command);
    } else if (answer == kAnswerNo) {
      if (ops.set_kill_bit(item.command) == ActionResult::Refused)
        ops.tell_refused(item);
      else
        ops.write_seen(item.command);
    }
  }
}

}  // namespace kestrom
