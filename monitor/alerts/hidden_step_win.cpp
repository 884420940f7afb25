#include "monitor/alerts/hidden_step.hpp"

#include <utility>

#include "categories/hidden_files_win.hpp"
#include "common/detected.hpp"
#include "common/msgbox.hpp"
#include "common/sound.hpp"
#include "common/string_ids.h"
#include "common/textloader.hpp"
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

int run_hidden_step(HWND owner, AlertContext& context, ItemList& list, const Options& options,
                    HiddenStepSignals signals) {
  if (!signals.play_alert_sound) {
    const int sound = options[Opt::Sound];
    signals.play_alert_sound = [sound] { play_sound(kHiddenSound, sound); };
  }
  list_hidden_files(list, system_item_rules());
  // The list is refilled by whatever the answers start (an ended program), so work on a copy.
  const std::vector<StartupItem> items = list.items();
  int found = 0;
  for (const auto& item : items) {
    if (hidden_file_approved(item.file)) continue;
    ++found;
    note_first_sighting(item.file, detected::kHidden);
    if (signals.show_status_icon) signals.show_status_icon();
    if (signals.set_alert_showing) signals.set_alert_showing(true);
    int answer = silent_answer(options[Opt::HideHidden]);
    if (alert_is_shown(options[Opt::HideHidden], options[Opt::ShowAlerts])) {
      signals.play_alert_sound();
      AlertItem alert{item.file, item.title, item.file, "", item.code};
      answer = signals.ask ? signals.ask(alert) : ask_new_hidden_file(owner, context, alert);
    }
    if (answer == kAnswerNo) {
      if (delete_hidden_file(item.file, item.title) == ActionResult::Refused) {
        const std::string text = fill_question(text::load(IDS_HIDDEN_DELETE_REFUSED), item.file);
        if (signals.tell_user)
          signals.tell_user(text);
        else
          message_box(owner, text, MB_OK | MB_ICONEXCLAMATION);
      }
    } else if (answer == kAnswerYes) {
      approve_hidden_file(item.file);
    }
    // A question that could not be shown leaves the file unapproved: it is asked about again.
    if (signals.set_alert_showing) signals.set_alert_showing(false);
  }
  return found;
}

}  // namespace kestrom::alerts
