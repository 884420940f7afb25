#include <string>
#include <utility>

#include "categories/active_tasks.hpp"
#include "categories/activex_win.hpp"
#include "categories/ie_helpers_win.hpp"
#include "common/detected.hpp"
#include "common/history.hpp"
#include "common/locations.hpp"
#include "common/msgbox.hpp"
#include "common/sound.hpp"
#include "common/text.hpp"
#include "common/textloader.hpp"
#include "monitor/alerts/ie_helpers_step_system.hpp"
#include "monitor/ie_helpers_step.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::alerts {
namespace {

constexpr int kAlertSound = 4;

// Both alerts: the library with its version texts, the item's title as name, the question,
// and IEHELPER_Alert under the helper objects' code when the dialog opens.
class BrowserAlert final : public AlertDialog {
 public:
  BrowserAlert(int resource, int question, AlertItem item, AlertContext& context)
      : AlertDialog(resource, IDS_NEW_PROGRAM_TITLE, std::move(item), context), question_(question) {}

 private:
  void open() override {
    set_text(kNameControl, item().name);
    set_text_string(kQuestionControl, question_);
    set_text_string(kCommandInfo, IDS_INFO_BUTTON);
    set_text_string(kCommandYes, IDS_YES);
    set_text_string(kCommandNo, IDS_NO);
    if (context().services.write_history)
      context().services.write_history(item().name, program_file(), version().file_description, code::kTypeBho,
                                       action::kIEHelperAlert);
  }

  int question_;
};

AlertItem alert_item(const StartupItem& item) {
  AlertItem a;
  a.path = item.file.substr(0, kMaxAlertText);
  a.name = item.title.substr(0, kMaxAlertText);
  a.code = item.code;
  return a;
}

int ask_with(int resource, int question, HWND owner, AlertContext& context, const AlertItem& item) {
  BrowserAlert dialog(resource, question, item, context);
  return dialog.run(owner);
}

// The signals both steps share.
class SystemSignals {
 public:
  SystemSignals(HWND owner, BrowserStepSignals signals, int refused_string)
      : owner_(owner), signals_(std::move(signals)), refused_string_(refused_string) {}
  void show_status_icon() const {
    if (signals_.show_status_icon) signals_.show_status_icon();
  }
  void play_alert_sound() const {
    if (signals_.play_alert_sound) signals_.play_alert_sound();
  }
  void set_alert_showing(bool on) const {
    if (signals_.set_alert_showing) signals_.set_alert_showing(on);
  }
  void tell_refused(const StartupItem& item) const {
    const std::string text = fill_question(text::load(refused_string_), item.title);
    if (signals_.tell_user)
      signals_.tell_user(text);
    else
      message_box(owner_, text, MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
  }

 private:
  HWND owner_;
  BrowserStepSignals signals_;
  int refused_string_;
};

class SystemHelperOperations final : public HelperStepOperations {
 public:
  SystemHelperOperations(HWND owner, BrowserStepSignals signals)
      : signals_(owner, std::move(signals), IDS_HELPER_REMOVE_REFUSED) {}
  void list_helpers(ItemList& list) override { helpers::list_ie_helpers(list, system_item_rules()); }
  bool approved(std::string_view title) override {
    // Opened once for the whole step (again while the key does not exist yet).
    if (!snapshot_) snapshot_ = helpers::open_helper_snapshot();
    return helpers::helper_approved(snapshot_, title);
  }
  void write_snapshot(std::string_view title, int code) override { helpers::write_helper_snapshot(title, code); }
  void delete_snapshot(std::string_view title) override { helpers::delete_helper_snapshot(title); }
  void note_first_sighting(std::string_view file) override {
    kestrom::note_first_sighting(file, detected::kIEHelper);
  }
  void end_program(const StartupItem& helper) override {
    if (!helper.file.empty()) kestrom::end_program(helper.title, helper.file);
  }
  ActionResult remove_helper(const StartupItem& helper) override {
    return helpers::remove_ie_helper(helper.code, helper.command, system_item_rules());
  }
  void show_status_icon() override { signals_.show_status_icon(); }
  void play_alert_sound() override { signals_.play_alert_sound(); }
  void set_alert_showing(bool on) override { signals_.set_alert_showing(on); }
  void tell_refused(const StartupItem& item) override { signals_.tell_refused(item); }

 private:
  SystemSignals signals_;
  platform::RegKey snapshot_;
};

class SystemActiveXOperations final : public ActiveXStepOperations {
 public:
  SystemActiveXOperations(HWND owner, BrowserStepSignals signals)
      : signals_(owner, std::move(signals), IDS_KILL_BIT_REFUSED) {}
  void list_controls(ItemList& list) override {
    activex::list_activex(list, activex::ListMode::Statistics, system_item_rules());
  }
  bool seen(std::string_view clsid) override {
    if (!snapshot_) snapshot_ = activex::open_activex_snapshot();
    return activex::activex_seen(snapshot_, clsid);
  }
  void write_seen(std::string_view clsid) override { activex::write_activex_seen(clsid); }
  void note_first_sighting(std::string_view file) override {
    kestrom::note_first_sighting(file, detected::kActiveX);
  }
  ActionResult set_kill_bit(std::string_view clsid) override { return activex::set_kill_bit(clsid); }
  void show_status_icon() override { signals_.show_status_icon(); }
  void play_alert_sound() override { signals_.play_alert_sound(); }
  void set_alert_showing(bool on) override { signals_.set_alert_showing(on); }
  void tell_refused(const StartupItem& item) override { signals_.tell_refused(item); }

 private:
  SystemSignals signals_;
  platform::RegKey snapshot_;
};

class DialogAsker final : public BrowserAsker {
 public:
  DialogAsker(HWND owner, AlertContext& context, int resource, int question,
              std::function<int(const AlertItem&)> scripted)
      : owner_(owner), context_(context), resource_(resource), question_(question), scripted_(std::move(scripted)) {}
  int ask(const StartupItem& item) override {
    const AlertItem a = alert_item(item);
    return scripted_ ? scripted_(a) : ask_with(resource_, question_, owner_, context_, a);
  }

 private:
  HWND owner_;
  AlertContext& context_;
  int resource_, question_;
  std::function<int(const AlertItem&)> scripted_;
};

void with_default_sound(BrowserStepSignals& signals, const Options& options) {
  if (signals.play_alert_sound) return;
  const int sound = options[Opt::Sound];
  signals.play_alert_sound = [sound] { play_sound(kAlertSound, sound); };
}

}  // namespace

int ask_new_helper(HWND owner, AlertContext& context, const AlertItem& item) {
  return ask_with(kHelperDialog, IDS_HELPER_QUESTION, owner, context, item);
}

int ask_new_activex(HWND owner, AlertContext& context, const AlertItem& item) {
  return ask_with(kActiveXDialog, IDS_ACTIVEX_QUESTION, owner, context, item);
}

void run_ie_helpers_step_with_alerts(HWND owner, AlertContext& context, ItemList& list, const Options& options,
                                     BrowserStepSignals signals) {
  with_default_sound(signals, options);
  DialogAsker asker(owner, context, kHelperDialog, IDS_HELPER_QUESTION, signals.ask);
  SystemHelperOperations ops(owner, std::move(signals));
  run_ie_helpers_step(list, ie_helpers_step_options(options), ops, asker);
}

void run_activex_step_with_alerts(HWND owner, AlertContext& context, ItemList& list, const Options& options,
                                  BrowserStepSignals signals) {
  with_default_sound(signals, options);
  DialogAsker asker(owner, context, kActiveXDialog, IDS_ACTIVEX_QUESTION, signals.ask);
  SystemActiveXOperations ops(owner, std::move(signals));
  run_activex_step(list, activex_step_options(options), ops, asker);
}

}  // namespace kestrom::alerts
