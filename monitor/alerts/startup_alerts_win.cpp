// The two alerts of the startup programs step: a new startup program, and a delayed program
// that has put itself back into a startup place.
#include <utility>

#include "common/info_server.hpp"
#include "common/textloader.hpp"
#include "monitor/alerts/alert_dialog.hpp"
#include "startup/places.hpp"

namespace kestrom::alerts {
namespace {

class NewProgramAlert final : public AlertDialog {
 public:
  NewProgramAlert(AlertItem item, AlertContext& context)
      : AlertDialog(kNewProgramDialog, IDS_NEW_PROGRAM_TITLE, std::move(item), context) {}

 private:
  void open() override {
    const HWND box = GetDlgItem(window(), kHiddenCheckBox);
    if (box) {
      EnableWindow(box, FALSE);
      ShowWindow(box, SW_HIDE);
    }
    set_text(kNameControl, new_program_name_text(version().product_name, item().code));
    context().repeat.note(item().path);

    const std::string type_text = text::load(startup_type_text_number(item().code));
    set_text(kQuestionControl, fill_question(text::load(IDS_NEW_PROGRAM_QUESTION), type_text));
    set_text_string(kCommandInfo, IDS_INFO_BUTTON);
    set_text_string(kCommandYes, IDS_YES);
    set_text_string(kCommandNo, IDS_NO);

    if (context().services.write_history)
      context().services.write_history(item().name, program_file(), version().file_description, item().code,
                                       kStartAlertAction);
  }

  int command(int id) override {
    RepeatMemory& repeat = context().repeat;
    const NewProgramOutcome out = new_program_command(id, repeat.count(), item().code);
    if (out.open_help) {
      // The same program keeps coming back however it is answered: disable it and explain.
      if (context().services.open_help_page)
        context().services.open_help_page(info_server::localised_help_page(info_server::kDefaultHelpPage, text::load(IDS_LANGUAGE_CODE)));
      repeat.clear();
    }
    return out.answer;
  }
};

class PutBackAlert final : public AlertDialog {
 public:
  PutBackAlert(AlertItem item, AlertContext& context)
      : AlertDialog(kPutBackDialog, IDS_PUT_BACK_TITLE, std::move(item), context) {}

 private:
  void open() override {
    set_text_string(kQuestionControl, IDS_PUT_BACK_QUESTION);
    set_text_string(kCommandInfo, IDS_INFO_BUTTON);
    set_text_string(kCommandYes, IDS_YES);
    set_text_string(kCommandNo, IDS_DISABLE);
  }
};

}  // namespace

int ask_new_program(HWND owner, AlertContext& context, const AlertItem& item) {
  NewProgramAlert dialog(item, context);
  return dialog.run(owner);
}

int ask_put_back(HWND owner, AlertContext& context, const AlertItem& item) {
  PutBackAlert dialog(item, context);
  return dialog.run(owner);
}

}  // namespace kestrom::alerts
