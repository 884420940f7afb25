// Rules of the monitor's alert dialogs that need no window: answers, placement, the name and
// question texts, the repeat memory of the new-program alert and the help page name. Pure.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "common/text.hpp"

namespace kestrom {

// What a question about a new or changed item ends with.
inline constexpr int kAnswerYes = 6;       // accept the change
inline constexpr int kAnswerNo = 7;        // undo it
inline constexpr int kAnswerDisable = 11;  // startup entries only
// The question could not be shown (the dialog did not open): no answer, so nothing is done.
inline constexpr int kAnswerNotShown = 0;

// Alert dialog resources and the commands their buttons send.
inline constexpr int kNewProgramDialog = 131;
inline constexpr int kPutBackDialog = 192;
inline constexpr int kServiceDialog = 171;
inline constexpr int kTaskDialog = 138;
inline constexpr int kHelperDialog = 140;
inline constexpr int kActiveXDialog = 193;
inline constexpr int kHiddenFileDialog = 191;
inline constexpr int kFileTypeDialog = 143;

inline constexpr int kCommandOk = 1;
inline constexpr int kCommandEscape = 2;
inline constexpr int kCommandYes = 6;
inline constexpr int kCommandNo = 7;
inline constexpr int kCommandInfo = 1067;
// The hidden-file alert's "&Delete" button: not the cancel command, so closing never deletes.
inline constexpr int kCommandHiddenDelete = kCommandNo;

// The current-item texts hold at most this many characters (260-character buffers).
inline constexpr std::size_t kMaxAlertText = 259;

// The Hide options decide whether a question is shown at all: it is shown when the user
// chose to be asked (Hide option 0) or ShowAlerts is on.
bool alert_is_shown(int hide_option, int show_alerts) noexcept;
// The answer given without asking: Yes for Hide option 1, No for any other value.
int silent_answer(int hide_option) noexcept;

// The answer a button command gives in a dialog; 0 when the command does not end it.
int answer_for_command(int dialog, int command) noexcept;

// ---- Placement -----------------------------------------------------------------------------
struct ScreenMetrics {
  int virtual_left = 0, virtual_top = 0, virtual_width = 0, virtual_height = 0;
  int primary_width = 0, primary_height = 0;
};
struct AlertPlace {
  int x = 0, y = 0;
};
// With a remembered position (both values present) the dialog goes there, a coordinate
// outside the virtual screen being pulled to the middle of the primary screen; without one
// it is centred horizontally at a third of the free height.
AlertPlace place_alert(bool has_saved, int saved_x, int saved_y, int dialog_width, int dialog_height,
                       const ScreenMetrics& screen) noexcept;

// ---- New-program dialog --------------------------------------------------------------------
// The name shown in the name control: the Winlogon and shell-extension places show the name of
// the setting instead of the product name; without a product name it stays empty.
std::string new_program_name_text(std::string_view product_name, int code);


// Which program the user was last asked about and how often in a row.
class RepeatMemory {
 public:
  // Called when the dialog opens; the count grows while the same path (ignoring case) is
  // asked about again and starts over with another path.
  void note(std::string_view path);
  void clear() noexcept;
  int count() const noexcept { return count_; }
  const std::string& last_path() const noexcept { return last_path_; }

 private:
  std::string last_path_;
  int count_ = 0;
};

inline constexpr int kRepeatLimit = 2;  // a third question in a row disables the program

struct NewProgramOutcome {
  int answer = 0;          // 0: the command does not end the dialog
  bool open_help = false;  // the help page is opened and the repeat memory cleared
};
// Yes, No or Escape pressed in the new-program dialog with the given repeat count.
NewProgramOutcome new_program_command(int command, int repeat_count, int code) noexcept;

}  // namespace kestrom
