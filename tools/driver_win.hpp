// The test driver: finds windows of other processes, reads their texts and presses their
// buttons. Everything that acts on another window is posted, never sent: a sent click waits
// for the other side, and without a window manager that wait can last seconds.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrom::driver {

inline constexpr DWORD kDefaultTimeoutMs = 20000;  // generous: the machine is shared
inline constexpr DWORD kPollMs = 25;

struct WindowQuery {
  std::string class_name;     // empty: any class
  std::string title;          // empty: any title
  DWORD process_id = 0;       // 0: any process
  bool visible_only = false;
};

// Polls until the condition holds; false when the time is up. The only way the tests wait.
bool poll(const std::function<bool()>& condition, DWORD timeout_ms = kDefaultTimeoutMs);

// Top-level windows matching the query, in the system's z-order.
std::vector<HWND> find_windows(const WindowQuery& query);
// Polls until a matching window exists; null after the timeout.
HWND wait_for_window(const WindowQuery& query, DWORD timeout_ms = kDefaultTimeoutMs);
// Polls until the window is gone; false after the timeout.
bool wait_until_gone(HWND window, DWORD timeout_ms = kDefaultTimeoutMs);

struct Control {
  HWND hwnd = nullptr;
  int id = 0;
  std::string class_name;
  std::string text;
};
// Every descendant control of a window, in creation order.
std::vector<Control> children(HWND window);
// A window's text (WM_GETTEXT with a time-out, so a busy window cannot hang the driver).
std::string text_of(HWND window);
std::string class_of(HWND window);
// All texts of a window's children joined by line breaks (a message box's question, say).
std::string all_texts(HWND window);

// Presses the button with this id in a dialog by posting WM_COMMAND, as the button would.
bool press(HWND dialog, int button_id);
// Posts a menu command (WM_COMMAND, id in the low word) and an optional second parameter.
bool post_command(HWND window, int command, LPARAM lp = 0);

// Posts any message (a tray callback, say).
bool post(HWND window, UINT message, WPARAM wp = 0, LPARAM lp = 0);

// Reads a report-style list view of another process: rows of column texts.
std::vector<std::vector<std::string>> read_list_view(HWND list_view, int max_columns = 16);
// Selects exactly this row of another process's list view (and focuses it), as a click would;
// the list sends its owner the usual change notifications.
bool select_list_row(HWND list_view, int row);
// Ticks or clears the check box of a row of another process's list view, as a click on the box
// would; and whether a row's box is ticked.
bool set_list_check(HWND list_view, int row, bool checked);
bool list_checked(HWND list_view, int row);
// Double-clicks the middle of this row's label (the row should be selected first).
bool double_click_list_row(HWND list_view, int row);
// Right-clicks the middle of this row's label, as a user opening its context menu.
bool right_click_list_row(HWND list_view, int row);

// Presses and releases a key in a window of another process (WM_KEYDOWN, WM_KEYUP posted to
// it, as the focused window would get them); the window's dialog keys apply as for a real key.
bool press_key(HWND window, UINT virtual_key);
// Types a character into a window (WM_CHAR): a menu's mnemonic, say.
bool type_char(HWND window, char c);

// The pop-up menu on show in a process (class "#32768"), or null after the time-out.
HWND wait_for_popup_menu(DWORD process_id, DWORD timeout_ms = kDefaultTimeoutMs);

}  // namespace kestrom::driver
