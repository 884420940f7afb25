#include "monitor/services_step.hpp"

#include "monitor/alert_rules.hpp"

namespace kestrom {

namespace {

class AlertShowing {
 public:
  explicit AlertShowing(ServicesStepOperations& ops) : ops_(ops) { ops_.set_alert_showing(true); }
  ~AlertShowing() { ops_.set_alert_showing(false); }
  AlertShowing(const AlertShowing&) = delete;
  AlertShowing& operator=(const AlertShowing&) = delete;

 private:
  ServicesStepOperations& ops_;
};

void handle_new_service(const StartupItem& item, const ServicesStepOptions& options, ServicesStepOperations& ops) {
  ops.note_first_sighting(item.file);
  ops.show_alert_icon();
  AlertShowing showing(ops);
  int answer;
  if (alert_is_shown(options.hide_services, options.show_alerts)) {
    ops.play_alert_sound();
    answer = ops.ask_new_service(item);
  } else {
    answer = silent_answer(options.hide_services);
  }
  if (answer == kAnswerNotShown) return;  // asked again at the next check
  // The dialog only answers; the step acts, so a No stops and disables the service once and
  // logs it once, whether the user or HideServices said it.
  if (answer != kAnswerYes && ops.refuse_service(item) == ActionResult::Refused) ops.tell_refused(item);
  // Either way the service is not asked about again.
  ops.approve(item.title, item.code);
}

}  // namespace

ServicesStepOptions services_step_options(const Options& options) noexcept {
  return {options[Opt::HideServices], options[Opt::ShowAlerts]};
}

std::string new_service_question(std::string_view message, std::string_view question_template,
                                 std::string_view start_type_text, std::string_view status_text) {
  std::string out(message);
  out += "\n\n";
  const std::string_view inserts[] = {start_type_text, status_text};
  std::string_view rest = question_template;
  for (const auto insert : inserts) {
    const auto at = rest.find("%s");
    if (at == std::string_view::npos) break;
    out.append(rest.substr(0, at));
    out.append(insert);
    rest.remove_prefix(at + 2);
  }
  out.append(rest);
  return out;
}

bool run_services_step(ItemList& list, const ServicesStepOptions& options, ServicesStepOperations& ops) {
  if (!ops.services_changed(list)) return false;
  ops.list_services(list);
  // A copy: the question's own message loop must not see the list change under it.
  const auto items = list.items();
  for (const auto& item : items)
    if (!ops.approved(item.title)) handle_new_service(item, options, ops);
  return true;
}

}  // namespace kestrom
