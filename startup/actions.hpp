// Disable, enable, remove and restore startup entries. The Disabled Store lives under
// HKLM\Software\Orvane\Kestrom\Disabled: a marker per disabled entry (its title, data = the
// location code) and the saved command in the subkey of its place; disabled startup-folder
// files move into the "Disabled" folder beside the program.
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace kestrom {

inline constexpr std::size_t kMarkerLimitToggle = 256;
inline constexpr std::size_t kMarkerLimitRemove = 16;   // also used by the enumeration
inline constexpr std::size_t kMarkerLimitPatrol = 32;

// The disabled marker named `title` as a number; 0 when missing or longer than `limit`.
int disabled_marker(std::string_view title, std::size_t limit = kMarkerLimitRemove);
bool has_disabled_marker(std::string_view title, std::size_t limit = kMarkerLimitRemove);

// Marker present: puts the entry back (enable); absent: moves it into the Disabled Store.
// `path` is the startup-folder file (code 200; callers pass the item's command), `data` the
// text to keep (Run value data, win.ini token, Notify DLL name). Writes no History record.
bool toggle_disabled(std::string_view title, std::string_view path, std::string_view data, int code);

// Asks before a protected entry (codes 252..255) is removed; true = remove. The monitor
// plugs in confirm_protected_removal_box, the explorer its warning dialog.
using ConfirmRemoval = std::function<bool(std::string_view title, std::string_view file, int code)>;

// The monitor's question (string 1013, stop icon, No default); asks only when
// `hide_startup` (option "HideStartup") is 0.
ConfirmRemoval monitor_confirmation(int hide_startup);

// Deletes the entry from its place (or from the Disabled Store), writes "*START_Remove"
// unless the file names the product, and deletes the entry's snapshot values. Codes
// 250..255 go to remove_protected_entry with `confirm`.
bool remove_startup_entry(std::string_view file, std::string_view title, std::string_view command, int code,
                          const ConfirmRemoval& confirm);
// 250/251 reset Winlogon's value; 252..255 ask `confirm` first (an empty one asks nobody
// and removes, as the monitor does with HideStartup set). Always true.
bool remove_protected_entry(std::string_view title, std::string_view file, std::string_view command, int code,
                            const ConfirmRemoval& confirm);
// Writes a removed entry back (explorer); true when the place is restorable.
bool restore_startup_entry(std::string_view command, int code, std::string_view title, std::string_view file);

void reset_userinit();
void reset_shell();
bool appinit_remove(std::string_view dll);
bool appinit_add(std::string_view dll);
bool notify_disable(std::string_view name);
bool notify_enable(std::string_view name);

// The load= and run= lines of win.ini's [windows] section; both clear win.ini's read-only
// attribute first. `key_name` is "load" or "run".
bool winini_list_add(std::string_view key_name, std::string_view entry);
bool winini_list_remove(std::string_view key_name, std::string_view entry);

// Creates the shortcut `link_path` pointing at `target` (COM must be initialised).
bool create_shortcut(const std::string& link_path, const std::string& target);

}  // namespace kestrom
