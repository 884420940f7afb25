// Helpers of the end-to-end tests: start and end the real monitor, clear its registry, read
// what the stand-in explorer recorded, and take screenshots of the virtual display.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/handles.hpp"

namespace kestrom::e2e {

inline constexpr DWORD kWaitMs = 20000;  // generous: the machine is shared

// Folder holding Kestrom.exe without an explorer ("alone") or with the stand-in ("paired").
std::string program_folder(std::string_view layout);

struct Started {
  platform::UniqueHandle process;
  DWORD pid = 0;
  explicit operator bool() const noexcept { return static_cast<bool>(process); }
};
// Starts <folder>\Kestrom.exe with the given arguments.
Started start_monitor(std::string_view layout, std::string_view arguments = {});
// Waits for the process to end; its exit code, or -1 when it did not end in time.
long wait_exit(const Started& p, DWORD timeout_ms = kWaitMs);
bool still_running(const Started& p);

// The monitor's hidden window of this process (class "Kestrom"), waiting for it.
HWND monitor_window(DWORD pid, DWORD timeout_ms = kWaitMs);
// A message box of the process with the monitor's caption, waiting for it.
HWND message_box_of(DWORD pid, DWORD timeout_ms = kWaitMs);
// The text of a message box: its static texts.
std::string message_text(HWND box);

// Ends every monitor and everything it left open, deletes the product keys, the start entries
// a first run writes and the stand-in's record: the known state every test starts from.
void reset_state();

// Options Store values written the way a user or a broken tool would.
void set_option_text(std::string_view name, std::string_view text);
void set_option_dword(std::string_view name, DWORD value);

// What the stand-in explorer recorded: one switch per start, in order.
std::vector<std::string> explorer_starts();
// Polls until the stand-in has recorded `count` starts.
bool wait_explorer_starts(std::size_t count, DWORD timeout_ms = kWaitMs);

// Wine's stand-alone notification area window is shown while it holds an icon.
bool tray_icon_shown();
bool wait_tray_icon(bool shown, DWORD timeout_ms = kWaitMs);

// Saves the whole virtual display as build/win/screenshots/<name>.png (ImageMagick's import,
// started on the Linux side); true when the file was written.
bool screenshot(std::string_view name);

}  // namespace kestrom::e2e
