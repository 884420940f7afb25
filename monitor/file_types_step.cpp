#include "monitor/file_types_step.hpp"

#include <algorithm>
#include <string>

#include "common/pathtext.hpp"
#include "common/text.hpp"
#include "monitor/alert_rules.hpp"

namespace kestrom {

namespace {

using file_types::Association;
using file_types::Recorded;

void restore(const Association& current, const Recorded& old, FileTypesStepOperations& ops) {
  if (ops.restore(current, old) == ActionResult::Refused) ops.tell_not_restored(current);
}

FileTypeAnswer decide(const Association& current, const Recorded& old, const FileTypesStepOptions& options,
                      FileTypesStepOperations& ops, FileTypesAsker& asker) {
  if (!alert_is_shown(options.hide_file_type, options.show_alerts))
    return {silent_answer(options.hide_file_type), false};
  ops.play_alert_sound();
  ops.set_alert_showing(true);
  const FileTypeAnswer answer = asker.ask_changed(current, old);
  ops.set_alert_showing(false);
  return answer;
}

}  // namespace

FileTypesStepOptions file_types_step_options(const Options& options) noexcept {
  return {options[Opt::HideFileType], options[Opt::ShowAlerts], options[Opt::LockFileTypes]};
}

int run_file_types_step(const FileTypesStepOptions& options, FileTypesStepOperations& ops, FileTypesAsker& asker) {
  int changes = 0;
  // Extensions the user stopped watching during this step: their other sources are not
  // recorded afresh from the listing taken before.
  std::vector<std::string> stopped;
  for (const Association& current : ops.list_associations()) {
    if (std::any_of(stopped.begin(), stopped.end(), [&](const std::string& e) { return iequals(e, current.extension); }))
      continue;
    const Recorded old = ops.recorded(current.extension, current.source);
    if (file_types::nothing_recorded(old)) {
      ops.record(current);
      continue;
    }
    if (file_types::same_program(old.command, current.command)) continue;
    ++changes;
    if (options.lock_file_types != 0) {
      restore(current, old, ops);
      continue;
    }
    ops.note_first_sighting(strip_quotes(old.command));
    ops.note_first_sighting(strip_quotes(current.command));
    ops.show_alert_icon();
    const FileTypeAnswer answer = decide(current, old, options, ops, asker);
    if (answer.stop_watching) {
      ops.stop_watching(current.extension);
      stopped.push_back(current.extension);
    } else if (answer.answer == kAnswerYes) {
      ops.record(current);
    } else if (answer.answer == kAnswerNo) {
      restore(current, old, ops);
    }
  }
  return changes;
}

}  // namespace kestrom
