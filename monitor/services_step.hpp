// The services step of the patrol, in two stages: a quick test by key names (`services
// changed`), then every listed service that the Services snapshot does
// not approve is asked about (or answered by HideServices) and the answer carried out once.
// Pure: the system and the dialog come in through the interface below.
#pragma once
#include <string>
#include <string_view>

#include "common/item_list.hpp"
#include "common/options_table.hpp"
#include "startup/actions.hpp"

namespace kestrom {

struct ServicesStepOptions {
  int hide_services = 0;  // HideServices: 0 ask, 1 approve silently, other values refuse silently
  int show_alerts = 0;    // ShowAlerts: non-zero always asks
};
ServicesStepOptions services_step_options(const Options& options) noexcept;

class ServicesStepOperations {
 public:
  virtual ~ServicesStepOperations() = default;
  // First stage; true when the second must run.
  virtual bool services_changed(ItemList& list) = 0;
  // The full listing into `list`.
  virtual void list_services(ItemList& list) = 0;
  virtual bool approved(std::string_view display_name) = 0;
  virtual void approve(std::string_view display_name, int code) = 0;
  // First-Detected Register, category "Services".
  virtual void note_first_sighting(std::string_view file) = 0;
  virtual void show_alert_icon() = 0;    // tray icon 161 with tooltip 821
  virtual void play_alert_sound() = 0;   // sound 1
  virtual void set_alert_showing(bool on) = 0;
  // The new-service question (dialog 171): 6, 7, or 0 when it could not be shown.
  virtual int ask_new_service(const StartupItem& item) = 0;
  // Stops and disables the service, with its History records.
  virtual ActionResult refuse_service(const StartupItem& item) = 0;
  // Says in words that Windows refused to disable the service.
  virtual void tell_refused(const StartupItem& item) = 0;
};

// The new-service question: the message, a blank line, then the question with its first two
// "%s" replaced by the start-type and the status text (inserted texts are not scanned again).
std::string new_service_question(std::string_view message, std::string_view question_template,
                                 std::string_view start_type_text, std::string_view status_text);

// Returns false when the first stage found nothing to check.
bool run_services_step(ItemList& list, const ServicesStepOptions& options, ServicesStepOperations& ops);

}  // namespace kestrom
