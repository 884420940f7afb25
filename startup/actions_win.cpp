#include "startup/actions.hpp"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <versionhelpers.h>

#include <cstdlib>
#include <initializer_list>
#include <utility>
#include <vector>

#include "common/history_log.hpp"
#include "common/msgbox.hpp"
#include "common/paths.hpp"
#include "common/pathtext.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/string_ids.h"
#include "common/text.hpp"
#include "common/textloader.hpp"
#include "platform/com.hpp"
#include "platform/process.hpp"
#include "startup/enumerate.hpp"
#include "startup/places.hpp"
#include "startup/rules.hpp"
#include "startup/run_family_root.hpp"
#include "startup/snapshot.hpp"
#include "startup/startup_keys.hpp"

namespace kestrom {

namespace {

constexpr std::size_t kAppInitLimit = 255;
constexpr std::size_t kNotifyValueLimit = 259;
constexpr std::size_t kFolderLimit = 259;

std::string disabled_key(int code) { return std::string(keys::kDisabled) + "\\" + std::string(disabled_subkey(code)); }

// Deleting something that is not there leaves it gone as well; only a refused delete of a
// value that stays counts as failure.
bool gone(HKEY root, std::string_view key, std::string_view name) {
  return reg::delete_value(root, key, name) || !reg::value_exists(root, key, name);
}

bool write_marker(std::string_view title, int code) {
  return reg::write_string(HKEY_LOCAL_MACHINE, keys::kDisabled, title, std::to_string(code));
}

// A value as it was before an action touched it, so that a later step that Windows refuses
// can put it back and the action leaves everything as it found it.
class Prior {
 public:
  Prior(HKEY root, std::string key, std::string_view name)
      : root_(root), key_(std::move(key)), name_(name), existed_(reg::value_exists(root_, key_, name_)) {
    if (existed_) text_ = reg::read_text(root_, key_, name_, reg::kLongestText);
  }
  void put_back() const {
    if (existed_)
      reg::write_string(root_, key_, name_, text_);
    else
      reg::delete_value(root_, key_, name_);
  }

 private:
  HKEY root_;
  std::string key_;
  std::string name_;
  bool existed_;
  std::string text_;
};

void put_back(std::initializer_list<const Prior*> priors) {
  for (const Prior* p : priors) p->put_back();
}

bool toggleable_run_code(int code) { return is_run_family(code) && !(code > code::kWow64Base + 5); }
bool machine_run_code(int code) { return toggleable_run_code(code) && run_family_root_key(code) == HKEY_LOCAL_MACHINE; }
bool winini_code(int code) { return code == code::kWinLoad || code == code::kWinRun; }

std::string_view winini_key(int code) { return code == code::kWinLoad ? "load" : "run"; }

}  // namespace

std::vector<std::string> startup_folders() {
  std::vector<std::string> out;
  for (auto [root, value] : {std::pair<HKEY, std::string_view>{HKEY_CURRENT_USER, "Startup"},
                             {HKEY_LOCAL_MACHINE, "Startup"},
                             {HKEY_LOCAL_MACHINE, "Common Startup"},
                             {HKEY_CURRENT_USER, "Common Startup"}}) {
    std::string f = reg::read_text(root, keys::kShellFolders, value, kFolderLimit, reg::Expand::Yes);
    if (!f.empty()) out.push_back(std::move(f));
  }
  return out;
}

namespace {

std::string user_startup_folder() {
  auto folders = startup_folders();
  return folders.empty() ? std::string() : folders.front();
}

std::string folder_part(std::string_view path) {
  auto slash = path.find_last_of('\\');
  return std::string(slash == std::string_view::npos ? std::string_view() : path.substr(0, slash));
}

bool same_folder(const std::string& a, const std::string& b) {
  return iequals(a, b) || iequals(long_path(a), long_path(b));
}

bool move_file(const std::string& from, const std::string& to) { return MoveFileA(from.c_str(), to.c_str()) != 0; }

// A list value that exists but does not fit the read limit reads as empty; writing a list
// built from that would drop every DLL in it.
bool appinit_readable(std::string& list) {
  list = reg::read_text(HKEY_LOCAL_MACHINE, keys::kWindowsNtWindows, "AppInit_Dlls", kAppInitLimit);
  if (!list.empty()) return true;
  return reg::read_text(HKEY_LOCAL_MACHINE, keys::kWindowsNtWindows, "AppInit_Dlls", reg::kLongestText).empty();
}

void start_explorer() {
  std::string folder = program_folder();
  std::string exe = folder + "\\KestromEx.exe";
  if (file_exists(std::string_view(exe)))
    platform::open_in_shell(nullptr, exe, folder);
}

bool vista_or_later() { return IsWindowsVistaOrGreater(); }

ActionResult result_of(bool held) { return held ? ActionResult::Done : ActionResult::Refused; }

}  // namespace

int disabled_marker(std::string_view title, std::size_t limit) {
  std::string s = reg::read_text(HKEY_LOCAL_MACHINE, keys::kDisabled, title, limit);
  return s.empty() ? 0 : std::atoi(s.c_str());
}

bool has_disabled_marker(std::string_view title, std::size_t limit) {
  return !title.empty() && !reg::read_text(HKEY_LOCAL_MACHINE, keys::kDisabled, title, limit).empty();
}

bool lies_in_startup_folder(std::string_view path) {
  const std::string folder = folder_part(path);
  if (folder.empty()) return false;
  if (same_folder(folder, disabled_folder())) return true;
  for (const auto& f : startup_folders())
    if (same_folder(folder, f)) return true;
  return false;
}

// The entry must live somewhere at every moment: it is written to its new place first and
// taken from the old one only when that write held; a later step that is refused undoes the
// earlier ones.

ActionResult disable_run_value(std::string_view title, int code) {
  if (!toggleable_run_code(code) || title.empty()) return ActionResult::NotDone;
  const HKEY root = run_family_root_key(code);
  const std::string k = run_family_key(code);
  const std::string data = reg::read_text(root, k, title, reg::kLongestText);
  if (data.empty()) return ActionResult::NotDone;
  // The Disabled Store keeps one copy per title: while an entry of this title from another
  // place is parked there, parking this one would write over that entry's command.
  const int parked = disabled_marker(title, kMarkerLimitToggle);
  if (parked != 0 && parked != code) return ActionResult::NotDone;
  const std::string x = disabled_key(code);
  const Prior saved(HKEY_LOCAL_MACHINE, x, title), marker(HKEY_LOCAL_MACHINE, std::string(keys::kDisabled), title);
  if (!reg::create_key(HKEY_LOCAL_MACHINE, x) || !reg::write_string(HKEY_LOCAL_MACHINE, x, title, data) ||
      !write_marker(title, code) || !reg::delete_value(root, k, title)) {
    put_back({&saved, &marker});
    return ActionResult::Refused;
  }
  return ActionResult::Done;
}

ActionResult enable_run_value(std::string_view title, int code) {
  if (!toggleable_run_code(code) || title.empty()) return ActionResult::NotDone;
  const std::string x = disabled_key(code);
  const std::string data = reg::read_text(HKEY_LOCAL_MACHINE, x, title, reg::kLongestText);
  if (data.empty()) return ActionResult::NotDone;
  const HKEY root = run_family_root_key(code);
  const std::string k = run_family_key(code);
  const Prior active(root, k, title), saved(HKEY_LOCAL_MACHINE, x, title),
      marker(HKEY_LOCAL_MACHINE, std::string(keys::kDisabled), title);
  if (!reg::write_string(root, k, title, data) || !gone(HKEY_LOCAL_MACHINE, keys::kDisabled, title) ||
      !gone(HKEY_LOCAL_MACHINE, x, title)) {
    put_back({&marker, &saved, &active});
    return ActionResult::Refused;
  }
  return ActionResult::Done;
}

ActionResult disable_winini_entry(std::string_view title, std::string_view token, int code) {
  if (!winini_code(code) || title.empty() || token.empty()) return ActionResult::NotDone;
  if (!reg::profile_list_contains(winini_key(code), token)) return ActionResult::NotDone;
  const std::string x = disabled_key(code);
  const Prior saved(HKEY_LOCAL_MACHINE, x, title), marker(HKEY_LOCAL_MACHINE, std::string(keys::kDisabled), title);
  if (!reg::create_key(HKEY_LOCAL_MACHINE, x) || !reg::write_string(HKEY_LOCAL_MACHINE, x, title, token) ||
      !write_marker(title, code) || !winini_list_remove(winini_key(code), token)) {
    put_back({&saved, &marker});
    return ActionResult::Refused;
  }
  return ActionResult::Done;
}

ActionResult enable_winini_entry(std::string_view title, int code) {
  if (!winini_code(code) || title.empty()) return ActionResult::NotDone;
  const std::string x = disabled_key(code);
  const std::string token = reg::read_text(HKEY_LOCAL_MACHINE, x, title, reg::kLongestText);
  if (token.empty()) return ActionResult::NotDone;
  if (!winini_list_add(winini_key(code), token)) return ActionResult::Refused;
  const Prior saved(HKEY_LOCAL_MACHINE, x, title), marker(HKEY_LOCAL_MACHINE, std::string(keys::kDisabled), title);
  if (!gone(HKEY_LOCAL_MACHINE, keys::kDisabled, title) || !gone(HKEY_LOCAL_MACHINE, x, title)) {
    put_back({&marker, &saved});
    winini_list_remove(winini_key(code), token);
    return ActionResult::Refused;
  }
  return ActionResult::Done;
}

ActionResult disable_folder_entry(std::string_view title, std::string_view path) {
  const std::string from(path);
  if (title.empty() || !file_exists(std::string_view(from))) return ActionResult::NotDone;
  const std::string folder = disabled_folder();
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string parked = folder + "\\" + std::string(file_name_of_path(path));
  if (!move_file(from, parked)) return ActionResult::Refused;
  // The marker goes only with the file: a marker without it would show an active entry as off.
  const Prior marker(HKEY_LOCAL_MACHINE, std::string(keys::kDisabled), title);
  if (!write_marker(title, code::kGroupStartup)) {
    marker.put_back();
    move_file(parked, from);
    return ActionResult::Refused;
  }
  return ActionResult::Done;
}

ActionResult enable_folder_entry(std::string_view title, std::string_view path) {
  const std::string parked = disabled_folder() + "\\" + std::string(file_name_of_path(path));
  const std::string startup = user_startup_folder();
  if (title.empty() || startup.empty() || !file_exists(std::string_view(parked))) return ActionResult::NotDone;
  const std::string back = startup + "\\" + std::string(file_name_of_path(path));
  if (!move_file(parked, back)) return ActionResult::Refused;
  if (!gone(HKEY_LOCAL_MACHINE, keys::kDisabled, title)) {
    move_file(back, parked);
    return ActionResult::Refused;
  }
  return ActionResult::Done;
}

ActionResult disable_notify_entry(std::string_view name, std::string_view dll) {
  if (name.empty() || dll.empty()) return ActionResult::NotDone;
  const std::string x = disabled_key(code::kWinlogonNotify);
  const std::string dll_text(dll);
  const Prior saved(HKEY_LOCAL_MACHINE, x, name), marker(HKEY_LOCAL_MACHINE, std::string(keys::kDisabled), name),
      accepted(HKEY_CURRENT_USER, std::string(keys::kRunSnapshot), dll);
  if (!reg::create_key(HKEY_LOCAL_MACHINE, x) || !reg::write_string(HKEY_LOCAL_MACHINE, x, name, dll) ||
      !write_marker(name, code::kWinlogonNotify) || !snapshot_write(dll, code::kWinlogonNotify) ||
      !notify_disable(name)) {
    put_back({&saved, &marker, &accepted});
    return ActionResult::Refused;
  }
  return ActionResult::Done;
}

ActionResult enable_notify_entry(std::string_view name) {
  if (name.empty()) return ActionResult::NotDone;
  const std::string key = std::string(keys::kWinlogonNotify) + "\\" + std::string(name);
  if (reg::read_text(HKEY_LOCAL_MACHINE, key, "OldName", kNotifyValueLimit).empty()) return ActionResult::NotDone;
  if (!notify_enable(name)) return ActionResult::Refused;
  const std::string x = disabled_key(code::kWinlogonNotify);
  const Prior saved(HKEY_LOCAL_MACHINE, x, name), marker(HKEY_LOCAL_MACHINE, std::string(keys::kDisabled), name);
  if (!gone(HKEY_LOCAL_MACHINE, keys::kDisabled, name) || !gone(HKEY_LOCAL_MACHINE, x, name)) {
    put_back({&marker, &saved});
    notify_disable(name);
    return ActionResult::Refused;
  }
  return ActionResult::Done;
}

ActionResult disable_startup_entry(const StartupItem& item) {
  if (toggleable_run_code(item.code)) return disable_run_value(item.title, item.code);
  if (winini_code(item.code)) return disable_winini_entry(item.title, item.file, item.code);
  if (item.code == code::kGroupStartup) return disable_folder_entry(item.title, item.command);
  if (item.code == code::kWinlogonNotify) return disable_notify_entry(item.title, item.file);
  return ActionResult::NotDone;
}

namespace {

ActionResult enable_in_place(const StartupItem& item) {
  if (toggleable_run_code(item.code)) return enable_run_value(item.title, item.code);
  if (winini_code(item.code)) return enable_winini_entry(item.title, item.code);
  if (item.code == code::kGroupStartup) return enable_folder_entry(item.title, item.command);
  if (item.code == code::kWinlogonNotify) return enable_notify_entry(item.title);
  return ActionResult::NotDone;
}

}  // namespace

ActionResult enable_startup_entry(const StartupItem& item) {
  // A folder file that Kestrom parked goes back into the user's own startup folder, so that
  // is where Windows' state for it counts.
  const bool parked = item.code == code::kGroupStartup && has_disabled_marker(item.title, kMarkerLimitToggle);
  ApprovedUndo undo;
  const ActionResult windows = parked ? switch_on_in_windows(item.code, item.title, item.command, false, &undo)
                                      : switch_on_in_windows(item, &undo);
  if (windows == ActionResult::Refused) return windows;
  const ActionResult own = enable_in_place(item);
  if (own == ActionResult::Refused) {
    if (undo) undo();
    return own;
  }
  return own == ActionResult::Done || windows == ActionResult::Done ? ActionResult::Done : ActionResult::NotDone;
}

ConfirmRemoval monitor_confirmation(int hide_startup) {
  return [hide_startup](std::string_view, std::string_view, int) {
    if (hide_startup != 0) return true;
    return message_box(nullptr, text::load(IDS_REMOVE_KEY_LOCATION_QUESTION), MB_YESNO | MB_DEFBUTTON2 | MB_ICONSTOP) == IDYES;
  };
}

namespace {

// Removing a disabled entry: its marker first (so a refused delete changes nothing), then the
// saved copy; a refused second step puts the marker back.
ActionResult remove_disabled_copy(std::string_view title, int code) {
  const Prior marker(HKEY_LOCAL_MACHINE, std::string(keys::kDisabled), title);
  if (!gone(HKEY_LOCAL_MACHINE, keys::kDisabled, title)) return ActionResult::Refused;
  if (!gone(HKEY_LOCAL_MACHINE, disabled_key(code), title)) {
    marker.put_back();
    return ActionResult::Refused;
  }
  return ActionResult::Done;
}

ActionResult remove_run_value(std::string_view file, std::string_view title, int code) {
  if (has_disabled_marker(title, kMarkerLimitRemove)) return remove_disabled_copy(title, code);
  const HKEY root = run_family_root_key(code);
  const std::string k = run_family_key(code);
  if (reg::delete_value(root, k, title)) return ActionResult::Done;
  if (!reg::value_exists(root, k, title)) return ActionResult::NotDone;
  if (machine_run_code(code)) {
    // Without the rights to change HKLM the entry stays; it is accepted so that it is not
    // asked about again until it changes, and the user can remove it in the explorer.
    snapshot_write(file, code);
    if (vista_or_later()) start_explorer();
  }
  return ActionResult::Refused;
}

ActionResult remove_winini_token(std::string_view file, std::string_view title, int code) {
  if (has_disabled_marker(title, kMarkerLimitRemove)) {
    if (ActionResult r = remove_disabled_copy(title, code); r == ActionResult::Refused) return r;
  }
  if (!reg::profile_list_contains(winini_key(code), file)) return ActionResult::Done;
  return result_of(winini_list_remove(winini_key(code), file));
}

// Only the file that lies in a startup folder (or, disabled, in the Disabled folder) is the
// entry. The item's file field names the program a shortcut starts, which stays.
ActionResult remove_folder_file(std::string_view title, std::string_view command) {
  const Prior marker(HKEY_LOCAL_MACHINE, std::string(keys::kDisabled), title);
  if (has_disabled_marker(title, kMarkerLimitRemove) && !gone(HKEY_LOCAL_MACHINE, keys::kDisabled, title))
    return ActionResult::Refused;
  std::string target(command);
  if (target.empty() || !file_exists(std::string_view(target)) || !lies_in_startup_folder(target))
    return ActionResult::NotDone;
  const DWORD attributes = GetFileAttributesA(target.c_str());
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!DeleteFileA(target.c_str())) {
    SetFileAttributesA(target.c_str(), attributes);
    marker.put_back();
    return ActionResult::Refused;
  }
  return ActionResult::Done;
}

// Deletes a value of a shell-extension place under HKLM.
ActionResult remove_machine_value(std::string_view key, std::string_view name) {
  if (reg::delete_value(HKEY_LOCAL_MACHINE, key, name)) return ActionResult::Done;
  return reg::value_exists(HKEY_LOCAL_MACHINE, key, name) ? ActionResult::Refused : ActionResult::NotDone;
}

}  // namespace

ActionResult remove_startup_entry(std::string_view file, std::string_view title, std::string_view command, int code,
                                  const ConfirmRemoval& confirm) {
  ActionResult result = ActionResult::NotDone;
  // A Run value's data as stored (quotes and all) goes into the record, so that Restore
  // writes back exactly what was there rather than the listing's unquoted file text.
  std::string recorded(command);
  if (toggleable_run_code(code)) {
    if (recorded.empty()) {
      recorded = has_disabled_marker(title, kMarkerLimitRemove)
                     ? reg::read_text(HKEY_LOCAL_MACHINE, disabled_key(code), title, reg::kLongestText)
                     : reg::read_text(run_family_root_key(code), run_family_key(code), title, reg::kLongestText);
    }
    result = remove_run_value(file, title, code);
  } else if (winini_code(code)) {
    result = remove_winini_token(file, title, code);
  } else if (code == code::kGroupStartup) {
    result = remove_folder_file(title, command);
  } else if (code >= code::kWinlogonUserinit && code <= code::kAppInitDlls) {
    return remove_protected_entry(title, file, command, code, confirm);
  }
  // A refused removal is no removal: nothing is recorded and the entry keeps its snapshot.
  if (result == ActionResult::Refused) return result;
  if (!contains(file, "Kestrom")) write_history(title, file, recorded, code, action::kStartRemove);
  snapshot_delete(file);
  snapshot_delete(snapshot_key(file));
  snapshot_delete(title);
  return result;
}

ActionResult remove_protected_entry(std::string_view title, std::string_view file, std::string_view command,
                                    int code, const ConfirmRemoval& confirm) {
  if (code == code::kWinlogonUserinit) {
    if (!reset_userinit()) return ActionResult::Refused;
    write_history(title, file, command, code, action::kResetUserinit);
    return ActionResult::Done;
  }
  if (code == code::kWinlogonShell) {
    if (!reset_shell()) return ActionResult::Refused;
    write_history(title, file, command, code, action::kResetShell);
    return ActionResult::Done;
  }
  if (code < code::kDelayLoad || code > code::kAppInitDlls) return ActionResult::NotDone;
  if (confirm && !confirm(title, file, code)) return ActionResult::NotDone;
  ActionResult result;
  int record = action::kStartRemove;
  switch (code) {
    case code::kDelayLoad:
      result = remove_machine_value(keys::kDelayLoad, title);
      record = action::kRemoveDelayLoad;
      break;
    case code::kTaskScheduler:
      result = remove_machine_value(keys::kSharedTaskScheduler, command);
      record = action::kRemoveTaskScheduler;
      break;
    case code::kShellExecuteHook:
      result = remove_machine_value(keys::kShellExecuteHooks, command);
      record = action::kRemoveTaskScheduler;
      break;
    default:
      result = result_of(appinit_remove(file));
      break;
  }
  if (result == ActionResult::Refused) return result;
  snapshot_delete(file);
  write_history(title, file, command, code, record);
  return result;
}

ActionResult restore_startup_entry(std::string_view command, int code, std::string_view title,
                                   std::string_view file) {
  bool written = false;
  if (toggleable_run_code(code)) {
    // Records of removed Run values hold the stored data; older ones only the file text. The
    // 32-bit view's Run keys take their entries back as well (a delayed one comes back there).
    written = reg::write_string(run_family_root_key(code), run_family_key(code), title, command.empty() ? file : command);
  } else if (winini_code(code)) {
    written = winini_list_add(winini_key(code), file);
  } else if (code == code::kGroupStartup) {
    written = create_shortcut(std::string(command), command_to_file(file));
  } else if (code == code::kDelayLoad) {
    written = reg::write_string(HKEY_LOCAL_MACHINE, keys::kDelayLoad, title, command);
  } else if (code == code::kTaskScheduler) {
    written = reg::write_string(HKEY_LOCAL_MACHINE, keys::kSharedTaskScheduler, command, title);
  } else if (code == code::kShellExecuteHook) {
    written = reg::write_string(HKEY_LOCAL_MACHINE, keys::kShellExecuteHooks, command, title);
  } else if (code == code::kAppInitDlls) {
    written = appinit_add(file);
  } else if (code == code::kWinlogonNotify) {
    notify_enable(title);
    return ActionResult::NotDone;
  } else {
    return ActionResult::NotDone;
  }
  if (!written) return ActionResult::Refused;
  snapshot_write(file, code);
  return ActionResult::Done;
}

bool reset_userinit() {
  std::string text = system_folder() + "\\Userinit.exe,";
  if (!reg::write_string(HKEY_LOCAL_MACHINE, keys::kWinlogon, "Userinit", text)) return false;
  snapshot_write(text, code::kWinlogonUserinit);
  return true;
}

bool reset_shell() {
  if (!reg::write_string(HKEY_LOCAL_MACHINE, keys::kWinlogon, "Shell", "Explorer.exe")) return false;
  snapshot_write("Explorer.exe", code::kWinlogonShell);
  return true;
}

bool appinit_remove(std::string_view dll) {
  std::string list;
  if (!appinit_readable(list)) return false;
  return reg::write_string(HKEY_LOCAL_MACHINE, keys::kWindowsNtWindows, "AppInit_Dlls",
                           appinit_without(list, dll, [](std::string_view p) { return long_path(p); }));
}

bool appinit_add(std::string_view dll) {
  std::string list;
  if (!appinit_readable(list)) return false;
  return reg::write_string(HKEY_LOCAL_MACHINE, keys::kWindowsNtWindows, "AppInit_Dlls",
                           appinit_with(list, short_path(dll)));
}

bool notify_disable(std::string_view name) {
  std::string key = std::string(keys::kWinlogonNotify) + "\\" + std::string(name);
  std::string dll = reg::read_text(HKEY_LOCAL_MACHINE, key, "DLLName", kNotifyValueLimit);
  // Already disabled: copying the empty name would lose the one kept in OldName.
  if (dll.empty()) return false;
  return reg::write_string(HKEY_LOCAL_MACHINE, key, "OldName", dll) &&
         reg::write_string(HKEY_LOCAL_MACHINE, key, "DLLName", "");
}

bool notify_enable(std::string_view name) {
  std::string key = std::string(keys::kWinlogonNotify) + "\\" + std::string(name);
  std::string dll = reg::read_text(HKEY_LOCAL_MACHINE, key, "OldName", kNotifyValueLimit);
  if (dll.empty()) return false;
  return reg::write_string(HKEY_LOCAL_MACHINE, key, "DLLName", dll) &&
         reg::write_string(HKEY_LOCAL_MACHINE, key, "OldName", "");
}

bool winini_list_add(std::string_view key_name, std::string_view entry) {
  return reg::add_to_profile_list(key_name, entry);
}

bool winini_list_remove(std::string_view key_name, std::string_view entry) {
  return reg::remove_from_profile_list(key_name, entry);
}

bool create_shortcut(const std::string& link_path, const std::string& target) {
  const auto link = platform::create_instance<IShellLinkA>(CLSID_ShellLink, IID_IShellLinkA);
  if (!link || FAILED(link->SetPath(target.c_str()))) return false;
  const auto file = link.query<IPersistFile>(IID_IPersistFile);
  if (!file) return false;
  int n = MultiByteToWideChar(CP_ACP, 0, link_path.c_str(), -1, nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, link_path.c_str(), -1, w.data(), n);
  return SUCCEEDED(file->Save(w.c_str(), TRUE));
}

}  // namespace kestrom
