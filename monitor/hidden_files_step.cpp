#include "monitor/hidden_files_step.hpp"

#include <vector>

#include "monitor/alert_rules.hpp"

namespace kestrom {

HiddenStepOptions hidden_step_options(const Options& options) noexcept {
  return {options[Opt::HideHidden], options[Opt::ShowAlerts]};
}

int run_hidden_files_step(ItemList& list, const HiddenStepOptions& options, HiddenStepOperations& ops,
                          HiddenAsker& asker) {
  ops.list_hidden_files(list);
  // The list is refilled by whatever the answers start (an ended program), so work on a copy.
  const std::vector<StartupItem> items = list.items();
  int found = 0;
  for (const auto& item : items) {
    if (ops.approved(item.file)) continue;
    ++found;
    ops.note_first_sighting(item.file);
    ops.show_status_icon();
    ops.set_alert_showing(true);
    int answer = silent_answer(options.hide_hidden);
    if (alert_is_shown(options.hide_hidden, options.show_alerts)) {
      ops.play_alert_sound();
      answer = asker.ask_new_hidden_file(item);
    }
    if (answer == kAnswerNo) {
      if (ops.delete_file(item) == ActionResult::Refused) ops.tell_not_deleted(item);
    } else if (answer == kAnswerYes) {
      ops.approve(item.file);
    }
    ops.set_alert_showing(false);
  }
  return found;
}

}  // namespace kestrom
