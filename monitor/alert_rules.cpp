#include "monitor/alert_rules.hpp"

#include "common/text.hpp"

namespace kestrom {

bool alert_is_shown(int hide_option, int show_alerts) noexcept { return hide_option == 0 || show_alerts != 0; }

int silent_answer(int hide_option) noexcept { return hide_option == 1 ? kAnswerYes : kAnswerNo; }

int answer_for_command(int dialog, int command) noexcept {
  if (dialog == kHiddenFileDialog) {
    // Closing the dialog (Escape, the close box) keeps the file like OK: only the "&Delete"
    // button, which has a command of its own, deletes.
    if (command == kCommandOk || command == kCommandEscape) return kAnswerYes;
    if (command == kCommandHiddenDelete) return kAnswerNo;
    return 0;
  }
  if (command == kCommandYes) return kAnswerYes;
  if (command == kCommandNo) return kAnswerNo;
  if (command == kCommandEscape) return dialog == kServiceDialog ? kAnswerNo : kAnswerYes;
  return 0;
}

AlertPlace place_alert(bool has_saved, int saved_x, int saved_y, int dialog_width, int dialog_height,
                       const ScreenMetrics& screen) noexcept {
  AlertPlace p;
  if (!has_saved) {
    p.x = (screen.primary_width - dialog_width) / 2;
    p.y = (screen.primary_height - dialog_height) / 3;
    return p;
  }
  // Left of or above the virtual screen is out of sight as well: a window that was minimised
  // when its place was stored reports -32000.
  const long long right = static_cast<long long>(screen.virtual_left) + screen.virtual_width;
  const long long bottom = static_cast<long long>(screen.virtual_top) + screen.virtual_height;
  p.x = (saved_x >= right || saved_x < screen.virtual_left) ? screen.primary_width / 2 : saved_x;
  p.y = (saved_y >= bottom || saved_y < screen.virtual_top) ? screen.primary_height / 2 : saved_y;
  return p;
}

std::string new_program_name_text(std::string_view product_name, int code) {
  if (product_name.empty()) return {};
  // Names of the Windows settings themselves, the same in every language.
  switch (code) {
    case 250: return "WinLogon:UserInit";
    case 251: return "WinLogon:Shell";
    case 252: return "ObjectDelayLoad";
    case 253: return "SharedTaskScheduler";
    case 255: return "AppInit_DLLs";
    default: return std::string(product_name);
  }
}

void RepeatMemory::note(std::string_view path) {
  const std::string_view kept = path.substr(0, kMaxAlertText);
  if (!last_path_.empty() && iequals(kept, last_path_)) {
    ++count_;
  } else {
    count_ = 0;
  }
  last_path_.assign(kept);
}

void RepeatMemory::clear() noexcept {
  last_path_.clear();
  count_ = 0;
}

NewProgramOutcome new_program_command(int command, int repeat_count, int code) noexcept {
  const bool again = repeat_count >= kRepeatLimit;
  if (command == kCommandYes || command == kCommandEscape) {
    if (!again) return {kAnswerYes, false};
    return {kAnswerDisable, true};
  }
  if (command == kCommandNo) {
    // A Winlogon Notify entry cannot be removed from its place, only disabled.
    if (!again) return {code == 256 ? kAnswerDisable : kAnswerNo, false};
    return {kAnswerDisable, true};
  }
  return {};
}

}  // namespace kestrom
