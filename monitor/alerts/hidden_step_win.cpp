#include "monitor/alerts/hidden_step.hpp"

#include <utility>

#include "categories/hidden_files_win.hpp"
#include "common/detected.hpp"
#include "common/msgbox.hpp"
#include "common/sound.hpp"
#include "common/string_ids.h"
#include "common/textloader.hpp"
#include "monitor/hidden_files_step.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::alerts {
namespace {

constexpr int kHiddenSound = 4;

class HiddenFileAlert final : public AlertDialog {
 public:
  HiddenFileAlert(AlertItem item, AlertContext& context)
      : AlertDialog(kHiddenFileDialog, IDS_NEW_PROGRAM_TITLE, std::move(item), context) {}

 private:
  void open() override {
    // The name is the item's title: the product name, else the file name.
    set_text(kNameControl, item().name);
    set_text_string(kQuestionControl, IDS_HIDDEN_QUESTION);
    set_text_string(kCommandInfo, IDS_INFO_BUTTON);
    set_text_string(kCommandHiddenDelete, IDS_HIDDEN_DELETE);
    if (context().services.write_history)
      context().services.write_history(item().name, item().path, "", item().code, kHiddenAlertAction);
  }
};

}  // namespace

int ask_new_hidden_file(HWND owner, AlertContext& context, const AlertItem& item) {
  HiddenFileAlert dialog(item, context);
  return dialog.run(owner);
}

namespace {

class SystemHiddenOperations final : public HiddenStepOperations, public HiddenAsker {
 public:
  SystemHiddenOperations(HWND owner, AlertContext& context, HiddenStepSignals signals)
      : owner_(owner), context_(context), signals_(std::move(signals)) {}
  void list_hidden_files(ItemList& list) override { kestrom::list_hidden_files(list, system_item_rules()); }
  bool approved(std::string_view file) override { return hidden_file_approved(file); }
  void approve(std::string_view file) override { approve_hidden_file(file); }
  void note_first_sighting(std::string_view file) override { kestrom::note_first_sighting(file, detected::kHidden); }
  ActionResult delete_file(const StartupItem& item) override { return delete_hidden_file(item.file, item.title); }
  void tell_not_deleted(const StartupItem& item) override {
    const std::string text = fill_question(text::load(IDS_HIDDEN_DELETE_REFUSED), item.file);
    if (signals_.tell_user)
      signals_.tell_user(text);
    else
      message_box(owner_, text, MB_OK | MB_ICONEXCLAMATION);
  }
  void show_status_icon() override {
    if (signals_.show_status_icon) signals_.show_status_icon();
  }
  void play_alert_sound() override { signals_.play_alert_sound(); }
  void set_alert_showing(bool on) override {
    if (signals_.set_alert_showing) signals_.set_alert_showing(on);
  }
  int ask_new_hidden_file(const StartupItem& item) override {
    AlertItem alert{item.file, item.title, item.file, "", item.code};
    return signals_.ask ? signals_.ask(alert) : alerts::ask_new_hidden_file(owner_, context_, alert);
  }

 private:
  HWND owner_;
  AlertContext& context_;
  HiddenStepSignals signals_;
};

}  // namespace

int run_hidden_step(HWND owner, AlertContext& context, ItemList& list, const Options& options,
                    HiddenStepSignals signals) {
  if (!signals.play_alert_sound) {
    const int sound = options[Opt::Sound];
    signals.play_alert_sound = [sound] { play_sound(kHiddenSound, sound); };
  }
  SystemHiddenOperations ops(owner, context, std::move(signals));
  return run_hidden_files_step(list, hidden_step_options(options), ops, ops);
}

}  // namespace kestrom::alerts
