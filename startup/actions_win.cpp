#include "startup/actions.hpp"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <versionhelpers.h>

#include <cstdlib>
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

bool delete_marker(std::string_view title) { return reg::delete_value(HKEY_LOCAL_MACHINE, keys::kDisabled, title); }
bool write_marker(std::string_view title, int code) {
  return reg::write_string(HKEY_LOCAL_MACHINE, keys::kDisabled, title, std::to_string(code));
}

bool toggleable_run_code(int code) { return is_run_family(code) && !(code > code::kWow64Base + 5); }

std::string_view winini_key(int code) { return code == code::kWinLoad ? "load" : "run"; }

std::string user_startup_folder() {
  for (auto [root, value] : {std::pair<HKEY, std::string_view>{HKEY_CURRENT_USER, "Startup"},
                             {HKEY_LOCAL_MACHINE, "Startup"},
                             {HKEY_LOCAL_MACHINE, "Common Startup"}}) {
    std::string f = reg::read_text(root, keys::kShellFolders, value, kFolderLimit, reg::Expand::Yes);
    if (!f.empty()) return f;
  }
  return {};
}

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

}  // namespace

int disabled_marker(std::string_view title, std::size_t limit) {
  std::string s = reg::read_text(HKEY_LOCAL_MACHINE, keys::kDisabled, title, limit);
  return s.empty() ? 0 : std::atoi(s.c_str());
}

bool has_disabled_marker(std::string_view title, std::size_t limit) {
  return !title.empty() && !reg::read_text(HKEY_LOCAL_MACHINE, keys::kDisabled, title, limit).empty();
}

bool toggle_disabled(std::string_view title, std::string_view path, std::string_view data, int code) {
  bool enable = has_disabled_marker(title, kMarkerLimitToggle);
  if (toggleable_run_code(code)) {
    std::string x = disabled_key(code);
    HKEY root = run_family_root_key(code);
    std::string k = run_family_key(code);
    // The entry must live somewhere at every moment: it is written to its new place first and
    // taken from the old one only when that write held, so a store the user may not write to
    // (a standard user and the machine-wide Disabled Store) leaves it where it was.
    if (enable) {
      if (!reg::write_string(root, k, title, data)) return false;
      reg::delete_value(HKEY_LOCAL_MACHINE, x, title);
      return delete_marker(title);
    }
    if (!reg::create_key(HKEY_LOCAL_MACHINE, x) || !reg::write_string(HKEY_LOCAL_MACHINE, x, title, data) ||
        !write_marker(title, code))
      return false;
    reg::delete_value(root, k, title);
    return true;
  }
  if (code == code::kWinLoad || code == code::kWinRun) {
    std::string x = disabled_key(code);
    // As above: saved first, removed from its old place only once the save held.
    if (enable) {
      if (winini_list_add(winini_key(code), data)) {
        delete_marker(title);
        reg::delete_value(HKEY_LOCAL_MACHINE, x, title);
      }
      return false;
    }
    if (!reg::create_key(HKEY_LOCAL_MACHINE, x) || !reg::write_string(HKEY_LOCAL_MACHINE, x, title, data) ||
        !write_marker(title, code))
      return false;
    winini_list_remove(winini_key(code), data);
    return true;
  }
  if (code == code::kGroupStartup) {
    std::string folder = disabled_folder();
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string name(file_name_of_path(path));
    std::string parked = folder + "\\" + name;
    if (enable) {
      std::string startup = user_startup_folder();
      if (!startup.empty()) {
        // The marker goes only with the file: a failed move keeps the entry disabled.
        if (MoveFileA(parked.c_str(), (startup + "\\" + name).c_str())) delete_marker(title);
      }
      return true;
    }
    MoveFileA(std::string(path).c_str(), parked.c_str());
    write_marker(title, code::kGroupStartup);
    return true;
  }
  if (code == code::kWinlogonNotify) {
    std::string x = disabled_key(code);
    if (enable) {
      notify_enable(title);
      delete_marker(title);
      reg::delete_value(HKEY_LOCAL_MACHINE, x, title);
      return false;
    }
    bool ok = reg::create_key(HKEY_LOCAL_MACHINE, x);
    reg::write_string(HKEY_LOCAL_MACHINE, x, title, data);
    write_marker(title, code::kWinlogonNotify);
    snapshot_write(data, code::kWinlogonNotify);
    notify_disable(title);
    return ok;
  }
  return false;
}

ConfirmRemoval monitor_confirmation(int hide_startup) {
  return [hide_startup](std::string_view, std::string_view, int) {
    if (hide_startup != 0) return true;
    return message_box(nullptr, text::load(IDS_REMOVE_KEY_LOCATION_QUESTION), MB_YESNO | MB_DEFBUTTON2 | MB_ICONSTOP) == IDYES;
  };
}

bool remove_startup_entry(std::string_view file, std::string_view title, std::string_view command, int code,
                          const ConfirmRemoval& confirm) {
  bool result = false;
  if (toggleable_run_code(code)) {
    if (has_disabled_marker(title, kMarkerLimitRemove)) {
      reg::delete_value(HKEY_LOCAL_MACHINE, disabled_key(code), title);
      result = delete_marker(title);
    } else {
      result = reg::delete_value(run_family_root_key(code), run_family_key(code), title);
      if (!result && code <= code::kMachineBase + kRunKeysPerPass && vista_or_later()) {
        // Without the rights to change HKLM the user removes it in the explorer; the entry
        // that stayed is not asked about again.
        start_explorer();
        snapshot_write(file, code);
      }
    }
  } else if (code == code::kWinLoad || code == code::kWinRun) {
    if (has_disabled_marker(title, kMarkerLimitRemove)) {
      delete_marker(title);
      reg::delete_value(HKEY_LOCAL_MACHINE, disabled_key(code), title);
    }
    winini_list_remove(winini_key(code), file);
    result = true;
  } else if (code == code::kGroupStartup) {
    if (has_disabled_marker(title, kMarkerLimitRemove)) delete_marker(title);
    std::string target(command);
    if (!file_exists(std::string_view(target))) target = std::string(file);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(target.c_str());
    result = true;
  } else if (code >= code::kWinlogonUserinit && code <= code::kAppInitDlls) {
    return remove_protected_entry(title, file, command, code, confirm);
  }
  if (!contains(file, "Kestrom")) write_history(title, file, command, code, action::kStartRemove);
  snapshot_delete(file);
  snapshot_delete(snapshot_key(file));
  snapshot_delete(title);
  return result;
}

bool remove_protected_entry(std::string_view title, std::string_view file, std::string_view command, int code,
                            const ConfirmRemoval& confirm) {
  if (code == code::kWinlogonUserinit) {
    reset_userinit();
    write_history(title, file, command, code, action::kResetUserinit);
    return true;
  }
  if (code == code::kWinlogonShell) {
    reset_shell();
    write_history(title, file, command, code, action::kResetShell);
    return true;
  }
  if (code < code::kDelayLoad || code > code::kAppInitDlls) return true;
  if (confirm && !confirm(title, file, code)) return true;
  snapshot_delete(file);
  switch (code) {
    case code::kDelayLoad:
      reg::delete_value(HKEY_LOCAL_MACHINE, keys::kDelayLoad, title);
      write_history(title, file, command, code, action::kRemoveDelayLoad);
      break;
    case code::kTaskScheduler:
      reg::delete_value(HKEY_LOCAL_MACHINE, keys::kSharedTaskScheduler, command);
      write_history(title, file, command, code, action::kRemoveTaskScheduler);
      break;
    case code::kShellExecuteHook:
      reg::delete_value(HKEY_LOCAL_MACHINE, keys::kShellExecuteHooks, command);
      write_history(title, file, command, code, action::kRemoveTaskScheduler);
      break;
    default:
      appinit_remove(file);
      write_history(title, file, command, code, action::kStartRemove);
      break;
  }
  return true;
}

bool restore_startup_entry(std::string_view command, int code, std::string_view title, std::string_view file) {
  bool restorable = true;
  if (is_run_family(code) && code < code::kWow64Base) {
    reg::write_string(run_family_root_key(code), run_family_key(code), title, file);
  } else if (code == code::kWinLoad || code == code::kWinRun) {
    winini_list_add(winini_key(code), file);
  } else if (code == code::kGroupStartup) {
    create_shortcut(std::string(command), command_to_file(file));
  } else if (code == code::kDelayLoad) {
    reg::write_string(HKEY_LOCAL_MACHINE, keys::kDelayLoad, title, command);
  } else if (code == code::kTaskScheduler) {
    reg::write_string(HKEY_LOCAL_MACHINE, keys::kSharedTaskScheduler, command, title);
  } else if (code == code::kShellExecuteHook) {
    reg::write_string(HKEY_LOCAL_MACHINE, keys::kShellExecuteHooks, command, title);
  } else if (code == code::kAppInitDlls) {
    appinit_add(file);
  } else if (code == code::kWinlogonNotify) {
    notify_enable(title);
    return false;
  } else {
    restorable = false;
  }
  if (restorable) snapshot_write(file, code);
  return restorable;
}

void reset_userinit() {
  std::string text = system_folder() + "\\Userinit.exe,";
  reg::write_string(HKEY_LOCAL_MACHINE, keys::kWinlogon, "Userinit", text);
  snapshot_write(text, code::kWinlogonUserinit);
}

void reset_shell() {
  reg::write_string(HKEY_LOCAL_MACHINE, keys::kWinlogon, "Shell", "Explorer.exe");
  snapshot_write("Explorer.exe", code::kWinlogonShell);
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
