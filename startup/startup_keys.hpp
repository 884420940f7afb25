// Registry keys of the startup places other than the Run family (common/run_keys.hpp). The
// product's own keys (Disabled Store, Run snapshot) and Shell Folders are in
// common/product_keys.hpp. Pure constants.
#pragma once
#include <string_view>

namespace kestrom::keys {

// All under HKEY_LOCAL_MACHINE.
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
