// Registry keys of the startup places. The product's own keys (Disabled Store, Run snapshot)
// and Shell Folders are in common/product_keys.hpp. Pure constants.
#pragma once
#include <string_view>

namespace kestrom::keys {

// Parents of the Run-family keys in each view (run_family_key adds the key's own name).
inline constexpr std::string_view kRunFamilyParent = "Software\\Microsoft\\Windows\\CurrentVersion\\";
inline constexpr std::string_view kWow64RunFamilyParent = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\";

// The other places, all under HKEY_LOCAL_MACHINE.
inline constexpr std::string_view kWinlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
inline constexpr std::string_view kWinlogonNotify = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify";
// Holds AppInit_Dlls.
inline constexpr std::string_view kWindowsNtWindows = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
inline constexpr std::string_view kDelayLoad =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
inline constexpr std::string_view kSharedTaskScheduler =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler";
inline constexpr std::string_view kShellExecuteHooks =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks";

}  // namespace kestrom::keys
