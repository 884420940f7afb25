// The Delay List's rules that need no system call: how a startup entry's command splits into
// the program (the name of its values) and its parameters, the delay times the dialog offers,
// the window modes, and the command written back when a program leaves the list. Pure.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestrom::delay {

// Every Delay List value is named by the program; the list keeps its keys below each root.
inline constexpr std::string_view kDelayKey = "Software\\Orvane\\Kestrom\\Delay";
inline constexpr std::string_view kTimeKey = "Software\\Orvane\\Kestrom\\Delay\\Time";
inline constexpr std::string_view kParametersKey = "Software\\Orvane\\Kestrom\\Delay\\Parameters";
inline constexpr std::string_view kShortcutsKey = "Software\\Orvane\\Kestrom\\Delay\\Shortcuts";
inline constexpr std::string_view kAppletKey = "Software\\Orvane\\Kestrom\\Delay\\Applet";
inline constexpr std::string_view kTitleKey = "Software\\Orvane\\Kestrom\\Delay\\Title";
inline constexpr std::string_view kOpenAsKey = "Software\\Orvane\\Kestrom\\Delay\\OpenAs";
inline constexpr std::string_view kApplet = "RunDLL32.exe";

inline constexpr int kFirstDelay = 30;       // seconds given to a newly delayed entry
inline constexpr int kSecondsStep = 10;      // the launcher's clock moves in these steps
inline constexpr int kMaxMinutes = 60;       // the options dialog's minutes list: 0..60
inline constexpr int kSecondsChoices = 6;    // its seconds list: 0, 10, ... 50
inline constexpr std::size_t kMaxNameLength = 254;  // longer value names are not listed
inline constexpr std::size_t kMaxOptionText = 255;  // title and parameters of the dialog

// The program part of an entry's file text and what follows it.
struct SplitCommand {
  std::string program;     // the `command to file` form: upper case, folders resolved
  std::string parameters;  // the rest of the text without the blanks before it; may be empty
};
// `to_file` is `command to file` (common/paths.hpp), which the program part goes through. A quoted program ends at its closing quote; otherwise at ".EXE"-like endings,
// and also at a ".PIF"- or ".CPL"-like one (a point with a P one or two places on) when that
// ending closes the last part of the path, so "C:\Tools.App\run.exe" keeps its folder.
using ToFile = std::function<std::string(std::string_view)>;
SplitCommand split_command(std::string_view file, const ToFile& to_file);

// The stored delay: a multiple of 10 seconds, at least 10. The launcher's first call is at 10
// seconds, so a delay of 0 would never start the program.
int delay_seconds(int minutes, int seconds);
// The dialog's list positions for a stored delay (minutes index, seconds index), clamped to the
// lists.
struct DelayChoice {
  int minutes = 0;
  int seconds_index = 0;
};
DelayChoice delay_choice(int seconds);
// A stored Time text as a number of seconds; nullopt when it is missing or not a plain number.
std::optional<int> stored_delay(std::string_view text);

// The list's delay column: "1 Min. : 30 Sec." or "40 Sec." with the loaded unit texts.
std::string delay_text(int seconds, std::string_view minutes_unit, std::string_view seconds_unit);

// Window mode index (OpenAs): 0 normal, 1 minimized, 2 maximized; anything else is normal.
int window_mode(std::string_view open_as_text);
// The show code a window mode starts the program with (SW_SHOWNORMAL, SW_MINIMIZE, SW_MAXIMIZE).
int show_code(int window_mode);

// The command written back into the startup place: the program (quoted when it holds a blank),
// a blank and the parameters
// (no blank before parameters that begin with ","), all behind the applet when there was one.
std::string rebuilt_command(std::string_view program, std::string_view parameters, std::string_view applet);

// Where a startup entry's delayed program is kept: HKLM for the machine's Run family (codes
// below 10), HKCU for all others.
bool machine_root(int code) noexcept;
// Why an entry cannot be delayed.
enum class Refusal {
  None,
  MustStay,        // Winlogon and shell extension points, or the monitor itself
  AlreadyDelayed,  // the program is in the list already (its parameters would be lost)
};
Refusal delay_refusal(int code, std::string_view file, bool program_already_delayed);

}  // namespace kestrom::delay
