#include <windows.h>
#include <shellapi.h>

#include <string>
#include <utility>

#include "categories/file_types_win.hpp"
#include "common/detected.hpp"
#include "common/history.hpp"
#include "common/history_log.hpp"
#include "common/info_server.hpp"
#include "common/msgbox.hpp"
#include "common/paths.hpp"
#include "common/sound.hpp"
#include "common/textloader.hpp"
#include "monitor/alerts/file_types_step_system.hpp"

namespace kestrom::alerts {
namespace {

using file_types::Association;
using file_types::Recorded;

constexpr int kFileTypeSound = 5;

std::string shown_extension(std::string_view extension) { return to_upper(file_types::dotted(extension)); }

// The item the shared steps show is the new program; the recorded one is shown beside it.
class FileTypeChangeAlert final : public AlertDialog {
 public:
  FileTypeChangeAlert(AlertItem item, std::string extension, AlertContext& context)
      : AlertDialog(kFileTypeDialog, IDS_FILE_TYPE_TITLE, std::move(item), context),
        extension_(std::move(extension)) {}

  bool stop_watching() const noexcept { return stop_watching_; }

 private:
  void open() override {
    set_text(kExtensionControl, extension_);
    SendDlgItemMessageA(window(), kExtensionControl, WM_SETFONT,
                        reinterpret_cast<WPARAM>(context().fonts.name_font()), TRUE);
    set_text_string(kFileTypeIntro, IDS_FILE_TYPE_INTRO);
    set_text_string(kFileTypeOldLabel, IDS_FILE_TYPE_OLD_LABEL);
    set_text_string(kFileTypeNewLabel, IDS_FILE_TYPE_NEW_LABEL);
    set_text_string(kFileTypeQuestion, IDS_FILE_TYPE_QUESTION);
    // The shared steps gave 1026, here a label, the path's bold font: it gets the dialog's back.
    SendDlgItemMessageA(window(), kFileTypeOldLabel, WM_SETFONT, SendMessageA(window(), WM_GETFONT, 0, 0), TRUE);
    set_text_string(kCommandInfo, IDS_FILE_TYPE_INFO_BUTTON);
    set_text_string(kCommandOldInfo, IDS_FILE_TYPE_INFO_BUTTON);
    set_text_string(kStopWatchingCheckBox, IDS_FILE_TYPE_STOP_WATCHING);
    set_text_string(kCommandYes, IDS_YES);
    set_text_string(kCommandNo, IDS_NO);
    set_text(kNewCommandControl, item().path);
    set_text(kOldCommandControl, item().file);
    show_old_program();
    if (context().services.write_history)
      context().services.write_history(extension_, item().path, item().file, file_types::kFileTypeCode,
                                       action::kFileTypeAlert);
  }

  void show_old_program() {
    const std::string old_file = command_to_file(item().file);
    const VersionInfo vi = version_information(old_file);
    SendDlgItemMessageA(window(), kOldNameControl, WM_SETFONT, reinterpret_cast<WPARAM>(context().fonts.name_font()),
                        TRUE);
    set_text(kOldNameControl, vi.product_name);
    if (!vi.company_name.empty()) set_text(kOldCompanyControl, vi.company_name);
    if (!file_exists(std::string_view(old_file))) return;
    HICON icon = ExtractIconA(GetModuleHandleA(nullptr), old_file.c_str(), 0);
    if (icon == nullptr || icon == reinterpret_cast<HICON>(1)) return;
    old_icon_.reset(icon);
    SendDlgItemMessageA(window(), kOldIconButton, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
  }

  int command(int id) override {
    if (id == kCommandOldInfo) {
      if (context().services.look_up_program)
        context().services.look_up_program(info_server::kFromFileTypes, item().file, item().name);
      SetWindowPos(window(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      return 0;
    }
    if (id == kStopWatchingCheckBox) {
      if (IsDlgButtonChecked(window(), kStopWatchingCheckBox) != BST_CHECKED) return 0;
      stop_watching_ = true;
      return kAnswerNo;
    }
    return AlertDialog::command(id);
  }

  std::string extension_;
  platform::UniqueIcon old_icon_;
  bool stop_watching_ = false;
};

class SystemFileTypesOperations final : public FileTypesStepOperations {
 public:
  explicit SystemFileTypesOperations(FileTypesStepSignals signals) : signals_(std::move(signals)) {}

  std::vector<Association> list_associations() override { return file_types::list_associations(); }
  Recorded recorded(std::string_view extension, int source) override { return records_.read(extension, source); }
  void record(const Association& current) override { file_types::record_file_type(current); }
  ActionResult restore(const Association& current, const Recorded& old) override {
    const ActionResult result = file_types::restore_file_type(current.extension, current.source);
    if (result == ActionResult::Done)
      write_history(shown_extension(current.extension), old.command, current.command, file_types::kFileTypeCode,
                    action::kFileTypeRestore);
    return result;
  }
  void tell_not_restored(const Association& current) override {
    const std::string text =
        fill_question(text::load(IDS_FILE_TYPE_RESTORE_REFUSED), shown_extension(current.extension));
    if (signals_.tell_user)
      signals_.tell_user(text);
    else
      message_box(nullptr, text, MB_OK | MB_ICONEXCLAMATION);
  }
  void stop_watching(std::string_view extension) override { file_types::stop_watching_file_type(extension); }
  void note_first_sighting(std::string_view command) override {
    kestrom::note_first_sighting(command, detected::kFileTypes);
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

 private:
  FileTypesStepSignals signals_;
  // Opened once for the step; records written meanwhile are read through the same keys.
  file_types::RecordReader records_;
};

class DialogFileTypesAsker final : public FileTypesAsker {
 public:
  DialogFileTypesAsker(HWND owner, AlertContext& context) : owner_(owner), context_(context) {}
  FileTypeAnswer ask_changed(const Association& current, const Recorded& old) override {
    return ask_file_type_change(owner_, context_, current, old);
  }

 private:
  HWND owner_;
  AlertContext& context_;
};

}  // namespace

FileTypeAnswer ask_file_type_change(HWND owner, AlertContext& context, const Association& current,
                                    const Recorded& old) {
  AlertItem item;
  item.path = current.command.substr(0, kMaxAlertText);
  item.file = old.command.substr(0, kMaxAlertText);
  item.name = current.name.substr(0, kMaxAlertText);
  // Its lookups are those of file types (1000 + 400).
  item.code = file_types::kFileTypeCode;
  FileTypeChangeAlert dialog(std::move(item), shown_extension(current.extension), context);
  const int answer = dialog.run(owner);
  return {answer, answer != 0 && dialog.stop_watching()};
}

int run_file_types_step_with_alerts(HWND owner, AlertContext& context, const Options& options,
                                    FileTypesStepSignals signals) {
  if (!signals.play_alert_sound) {
    const int sound = options[Opt::Sound];
    signals.play_alert_sound = [sound] { play_sound(kFileTypeSound, sound); };
  }
  SystemFileTypesOperations ops(std::move(signals));
  DialogFileTypesAsker asker(owner, context);
  return run_file_types_step(file_types_step_options(options), ops, asker);
}

}  // namespace kestrom::alerts
