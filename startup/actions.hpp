// Disable, enable, remove and restore startup entries. The Disabled Store lives under
// HKLM\Software\Orvane\Kestrom\Disabled: a marker per disabled entry (its title, data = the
// location code) and the saved command in the subkey of its place; disabled startup-folder
// files move into the "Disabled" folder beside the program.
//
// Every write is checked. A standard user may not write under HKLM (the Disabled Store among
// it), so an action that Windows refuses half way is undone: the entry stays where it was and
// no History record claims otherwise.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/item_list.hpp"

namespace kestrom {

inline constexpr std::size_t kMarkerLimitToggle = 256;
inline constexpr std::size_t kMarkerLimitRemove = 16;   // also used by the enumeration
inline constexpr std::size_t kMarkerLimitPatrol = 32;

// What an action on a startup entry came to. One meaning for every action below.
enum class ActionResult {
  Done,     // every write held (and what the action records is recorded)
  NotDone,  // nothing to do: the entry was not found, the user declined, or the place has no such action
  Refused,  // Windows refused a write; everything is as it was (administrator rights are needed)
};

// The disabled marker named `title` as a number; 0 when missing or longer than `limit`.
int disabled_marker(std::string_view title, std::size_t limit = kMarkerLimitRemove);
bool has_disabled_marker(std::string_view title, std::size_t limit = kMarkerLimitRemove);

// Disabling and enabling, one pair per family of places. None writes a History record.
//
// Run-family values (codes 1..7, 11..17, 21..25). The command saved is the value's data as it
// stands in the Run key, read there: whatever the listing made of it (quotes taken off, a
// RUNDLL32 entry cut to its library) never goes back into a Run key.
ActionResult disable_run_value(std::string_view title, int code);
ActionResult enable_run_value(std::string_view title, int code);
// win.ini load= (100) and run= (101) entries; `token` is the piece of the line.
ActionResult disable_winini_entry(std::string_view title, std::string_view token, int code);
ActionResult enable_winini_entry(std::string_view title, int code);
// Startup-folder files (200): `path` is the file (the item's command field); it moves into
// the Disabled folder and back into the user's startup folder.
ActionResult disable_folder_entry(std::string_view title, std::string_view path);
ActionResult enable_folder_entry(std::string_view title, std::string_view path);
// Winlogon Notify entries (256): `name` is the Notify subkey, `dll` its DLL name.
ActionResult disable_notify_entry(std::string_view name, std::string_view dll);
ActionResult enable_notify_entry(std::string_view name);

// The pair above that fits the item's place (its code); NotDone for places without one.
// Enabling also switches the entry on in Windows' own state (startup/approved.hpp), first, so
// that a refusal there changes nothing and an enabled entry really starts.
ActionResult disable_startup_entry(const StartupItem& item);
ActionResult enable_startup_entry(const StartupItem& item);

// Windows' own state of an entry (startup/approved.hpp): true when it is switched off there.
bool switched_off_by_windows(const StartupItem& item);
// Switches the entry on in Windows' state where it is switched off: Done when written, NotDone
// when it was not off (or its place has no such state), Refused when Windows refused the write.
// `undo`, when given, receives what puts the old state back.
using ApprovedUndo = std::function<void()>;
ActionResult switch_on_in_windows(const StartupItem& item, ApprovedUndo* undo = nullptr);
ActionResult switch_on_in_windows(int code, std::string_view title, std::string_view folder_file, bool common_folder,
                                  ApprovedUndo* undo = nullptr);

// Asks before a protected entry (codes 252..255) is removed; true = remove. The monitor
// plugs in confirm_protected_removal_box, the explorer its warning dialog.
using ConfirmRemoval = std::function<bool(std::string_view title, std::string_view file, int code)>;

// The monitor's question (string 1013, stop icon, No default); asks only when
// `hide_startup` (option "HideStartup") is 0.
ConfirmRemoval monitor_confirmation(int hide_startup);

// Deletes the entry from its place (or from the Disabled Store), writes "*START_Remove"
// unless the file names the product, and deletes the entry's snapshot values. Codes
// 250..255 go to remove_protected_entry with `confirm`.
// Refused: nothing is recorded and the snapshot is left alone; an HKLM Run value that stayed
// is accepted into the snapshot under `file` (not asked about again until it changes) and,
// on Vista and later, the explorer is opened for the user to remove it there.
ActionResult remove_startup_entry(std::string_view file, std::string_view title, std::string_view command, int code,
                                  const ConfirmRemoval& confirm);
// 250/251 reset Winlogon's value; 252..255 ask `confirm` first (an empty one asks nobody
// and removes, as the monitor does with HideStartup set).
ActionResult remove_protected_entry(std::string_view title, std::string_view file, std::string_view command,
                                    int code, const ConfirmRemoval& confirm);
// Writes a removed entry back (explorer); NotDone for places that cannot be restored.
ActionResult restore_startup_entry(std::string_view command, int code, std::string_view title, std::string_view file);

bool reset_userinit();
bool reset_shell();
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

// The startup folders as the Shell Folders values name them, the user's own first; a disabled
// file goes back into the first.
std::vector<std::string> startup_folders();
// The startup folders that hold entries (user and common, as the Shell Folders values name
// them) and the Disabled folder: the only folders a removal deletes files from.
bool lies_in_startup_folder(std::string_view path);
// Whether the file lies in the all-users startup folder ("Common Startup" under HKLM), whose
// entries start for everyone who logs on.
bool in_common_startup_folder(std::string_view path);

}  // namespace kestrom
