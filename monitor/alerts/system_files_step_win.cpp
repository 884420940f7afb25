#include "monitor/alerts/system_files_step.hpp"

#include <array>
#include <utility>

#include "categories/system_files_win.hpp"
#include "common/msgbox.hpp"
#include "common/product.hpp"
#include "common/sound.hpp"
#include "common/textloader.hpp"
#include "monitor/alert_rules.hpp"
#include "monitor/string_ids.h"
#include "platform/callback_guard.hpp"
#include "platform/process.hpp"

namespace kestrom::alerts {
namespace {

constexpr int kSystemFileSound = 6;

struct DialogState {
  const WatchedSystemFile* file;
  const SystemFilesSignals* signals;
  FileChangeAnswer result;
};

void tell_system_error(const SystemFilesSignals& signals, HWND owner, DWORD error) {
  SetLastError(error);
  if (signals.show_system_error) {
    signals.show_system_error();
    return;
  }
  message_box(owner, std::to_string(error), MB_OK | MB_ICONINFORMATION);
}

void view(HWND dialog, const std::string& path, const SystemFilesSignals& signals) {
  if (path.empty() || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    tell_system_error(signals, dialog, ERROR_FILE_NOT_FOUND);
    return;
  }
  platform::StartOptions options;
  options.verb = "open";
  options.owner = dialog;
  const std::array<std::string, 1> arguments{path};
  if (const auto started = platform::start_program("notepad.exe", arguments, options); !started)
    tell_system_error(signals, dialog, started.error);
}

void place(HWND dialog) {
  const auto [x, y, dx, dy] = read_window_position(WindowFamily::SysFiles);
  RECT r{};
  GetWindowRect(dialog, &r);
  const AlertPlace p = place_alert(!x.empty() && !y.empty(), decimal_value(x), decimal_value(y), r.right - r.left,
                                   r.bottom - r.top,
                                   {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                    GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
                                    GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  SetWindowPos(dialog, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void set(HWND dialog, int control, const std::string& text) { SetDlgItemTextA(dialog, control, text.c_str()); }

INT_PTR file_change_body(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lp);
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (!state) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      SetWindowTextA(dialog, text::load(IDS_FILE_CHANGE_TITLE).c_str());
      for (int id : {IDS_FILE_CHANGE_TEXT, IDS_FILE_CHANGE_ACCEPT_TEXT, IDS_FILE_CHANGE_REJECT_TEXT,
                     IDS_FILE_CHANGE_NAME_LABEL, IDS_FILE_CHANGE_PATH_LABEL, IDS_FILE_CHANGE_VIEW_NEW,
                     IDS_FILE_CHANGE_VIEW_PREVIOUS, IDS_FILE_CHANGE_ACCEPT, IDS_FILE_CHANGE_REJECT,
                     IDS_FILE_CHANGE_STOP_WATCHING})
        set(dialog, id, text::load(id));
      set(dialog, kSysNameControl, state->file->name);
      set(dialog, kSysPathControl, state->file->location);
      set(dialog, kSysCommentControl, state->file->comment);
      place(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case kSysViewNew:
          view(dialog, state->file->location, *state->signals);
          return TRUE;
        case kSysViewPrevious:
          view(dialog, system_file_vault_copy(state->file->name), *state->signals);
          return TRUE;
        case kSysAccept:
        case kSysReject:
          state->result.answer = LOWORD(wp) == kSysAccept ? kAnswerYes : kAnswerNo;
          state->result.stop_watching = IsDlgButtonChecked(dialog, kSysStopWatching) == BST_CHECKED;
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:  // closed without an answer: nothing changes, the change is found again
          EndDialog(dialog, 1);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_DESTROY: {
      RECT r{};
      if (GetWindowRect(dialog, &r))
        write_window_position(WindowFamily::SysFiles, r.left, r.top, r.right - r.left, r.bottom - r.top);
      return FALSE;
    }
    default:
      (void)lp;
      return FALSE;
  }
}

}  // namespace

FileChangeAnswer ask_file_change(HWND owner, const WatchedSystemFile& file, const SystemFilesSignals& signals) {
  DialogState state{&file, &signals, {}};
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kFileChangeDialog), owner,
                  &platform::dialog_procedure<&file_change_body>, reinterpret_cast<LPARAM>(&state));
  return state.result;
}

int run_system_files_step(HWND owner, const Options& options, SystemFilesSignals signals) {
  if (!signals.play_alert_sound) {
    const int sound = options[Opt::Sound];
    signals.play_alert_sound = [sound] { play_sound(kSystemFileSound, sound); };
  }
  int changed = 0;
  for (const auto& file : watched_system_files()) {
    if (!system_file_changed(file)) continue;
    ++changed;
    if (signals.show_status_icon) signals.show_status_icon();
    if (signals.set_alert_showing) signals.set_alert_showing(true);
    FileChangeAnswer answer{silent_answer(options[Opt::HideSystemFiles]), false};
    if (alert_is_shown(options[Opt::HideSystemFiles], options[Opt::ShowAlerts])) {
      signals.play_alert_sound();
      answer = signals.ask ? signals.ask(file) : ask_file_change(owner, file, signals);
    }
    ActionResult result = ActionResult::Done;
    if (answer.answer != 0 && answer.stop_watching) result = stop_watching_system_file(file.name);
    if (result != ActionResult::Refused) {
      if (answer.answer == kAnswerYes) result = accept_system_file_change(file);
      if (answer.answer == kAnswerNo) result = reject_system_file_change(file);
    }
    if (result == ActionResult::Refused) {
      const std::string text = fill_question(text::load(IDS_SYSTEM_FILE_REFUSED), file.location);
      if (signals.tell_user)
        signals.tell_user(text);
      else
        message_box(owner, text, MB_OK | MB_ICONEXCLAMATION);
    } else if (result == ActionResult::NotDone) {
      tell_system_error(signals, owner, ERROR_FILE_NOT_FOUND);
    }
    if (signals.set_alert_showing) signals.set_alert_showing(false);
  }
  return changed;
}

}  // namespace kestrom::alerts
