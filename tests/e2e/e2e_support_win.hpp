// Helpers of the end-to-end tests: start and end the real monitor and explorer, find their
// windows, and read what the stand-in explorer recorded.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "tools/driver_win.hpp"
#include "tools/test_support_win.hpp"

namespace kestrom::e2e {

using test::kWaitMs;
using test::Process;
using test::wait_exit;
using test::still_running;
using test::explorer_starts;
using test::pending_operations;
using test::wait_explorer_starts;

inline constexpr const char* kProduct = "Software\\Orvane\\Kestrom";
inline constexpr const char* kOptions = "Software\\Orvane\\Kestrom\\Options";
inline constexpr const char* kUserRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Folder holding Kestrom.exe without an explorer ("alone"), with the stand-in ("paired") or
// with the real one ("loop").
std::string program_folder(std::string_view layout);
// Starts <folder>\Kestrom.exe with the given arguments.
Process start_monitor(std::string_view layout, std::string_view arguments = {});
// Starts the monitor ("alone") with the services step on and no sound, and waits until its
// start-up snapshot has approved `before`, a service made ahead of it: the snapshot's values
// are written only after the whole listing, so a service made from then on is new to it.
// Empty when the monitor or that snapshot does not come.
Process start_monitor_for_new_services(const test::TestService& before);
// Starts the real explorer with the given arguments.
Process start_explorer(std::string_view arguments);
// Asks the explorer to end as a second start with "-Q" would, and waits for it.
long quit_explorer(const Process& explorer);

// The monitor's hidden window of this process (class "Kestrom"), waiting for it.
HWND monitor_window(DWORD pid);
// A visible dialog of the process with this caption (a message box, the sheet), waiting for it.
HWND dialog_of(DWORD pid, const char* caption = "Kestrom", DWORD timeout_ms = kWaitMs);
// The text of a message box: its static texts.
std::string message_text(HWND box);
// Windows of this class in any process.
std::size_t window_count(const char* class_name);

// Ends every monitor and explorer and everything they left open, deletes the product keys,
// the start entries a first run writes and the stand-in's record: the known state every test
// starts from.
// The Options tab is the last of the sheet, however many category tabs come before it.
int options_tab(HWND sheet);

void reset_state();

// Wine's stand-alone notification area window is shown while it holds an icon.
bool tray_icon_shown();
bool wait_tray_icon(bool shown);

// The list view of the page on show, or null while none shows.
HWND shown_list(HWND sheet);
// The same, waited for; the list `other_than` (of the page shown before) is passed over.
HWND page_list(HWND sheet, HWND other_than = nullptr);

// The page of the sheet that shows a control with this id (and class, when given), waited for.
HWND page_with(HWND sheet, int id, const char* class_name = nullptr);

// The first visible dialog box of `pid` with a text holding `part`, waited for.
HWND box_saying(DWORD pid, const std::string& part);

}  // namespace kestrom::e2e
