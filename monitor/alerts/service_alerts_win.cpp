#include <utility>

#include "categories/services_win.hpp"
#include "common/detected.hpp"
#include "common/msgbox.hpp"
#include "common/sound.hpp"
#include "common/string_ids.h"
#include "common/textloader.hpp"
#include "monitor/alerts/services_step_system.hpp"
#include "monitor/alerts/startup_step_system.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::alerts {
namespace {

class NewServiceAlert final : public AlertDialog {
 public:
  NewServiceAlert(AlertItem item, AlertContext& context)
      : AlertDialog(kServiceDialog, IDS_NEW_PROGRAM_TITLE, std::move(item), context) {}

 private:
  void open() override {
    set_text(kNameControl, item().name);
    const int start = services::service_start_type(item().name);
    set_text(kQuestionControl,
             new_service_question(text::load(IDS_NEW_SERVICE_MESSAGE), text::load(IDS_NEW_SERVICE_QUESTION),
                                  text::load(services::alert_start_type_string(start)),
                                  services::service_status_text(item().name)));
    set_text_string(kCommandInfo, IDS_INFO_BUTTON);
    set_text_string(kCommandYes, IDS_YES);
    set_text_string(kCommandNo, IDS_NO);
  }
};

class SystemServicesOperations final : public ServicesStepOperations {
 public:
  SystemServicesOperations(HWND owner, AlertContext& context, ServicesStepSignals signals)
      : owner_(owner), context_(context), signals_(std::move(signals)), rules_(system_item_rules()) {}

  bool services_changed(ItemList& list) override { return services::services_changed(list, rules_); }
  void list_services(ItemList& list) override { services::list_services(list, services::ListMode::Full, rules_); }
  bool approved(std::string_view name) override { return services::service_approved(name); }
  void approve(std::string_view name, int code) override { services::approve_service(name, code); }
  void note_first_sighting(std::string_view file) override {
    kestrom::note_first_sighting(file, detected::kServices);
  }
  void show_alert_icon() override {
    if (signals_.show_alert_icon) signals_.show_alert_icon();
  }
  void play_alert_sound() override {
    if (signals_.play_alert_sound) signals_.play_alert_sound();
  }
  void set_alert_showing(bool on) override {
    if (signals_.set_alert_showing) signals_.set_alert_showing(on);
  }
  int ask_new_service(const StartupItem& item) override {
    return alerts::ask_new_service(owner_, context_, alert_item_of(item));
  }
  ActionResult refuse_service(const StartupItem& item) override { return services::refuse_new_service(item); }
  void tell_refused(const StartupItem& item) override {
    const std::string text = fill_question(text::load(IDS_SERVICE_DISABLE_REFUSED), item.title);
    if (signals_.tell_user)
      signals_.tell_user(text);
    else
      message_box(nullptr, text, MB_OK | MB_ICONEXCLAMATION);
  }

 private:
  HWND owner_;
  AlertContext& context_;
  ServicesStepSignals signals_;
  ItemRules rules_;
};

}  // namespace

int ask_new_service(HWND owner, AlertContext& context, const AlertItem& item) {
  NewServiceAlert dialog(item, context);
  return dialog.run(owner);
}

bool run_services_step_with_alerts(HWND owner, AlertContext& context, ItemList& list, const Options& options,
                                   ServicesStepSignals signals) {
  if (!signals.play_alert_sound) {
    const int sound = options[Opt::Sound];
    signals.play_alert_sound = [sound] { play_sound(1, sound); };
  }
  SystemServicesOperations ops(owner, context, std::move(signals));
  return run_services_step(list, services_step_options(options), ops);
}

}  // namespace kestrom::alerts
