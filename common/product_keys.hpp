// Registry paths of the product. Pure constants shared by both programs.
#pragma once
#include <string_view>

namespace kestrom::keys {

inline constexpr std::string_view kOrvane = "Software\\Orvane";
// HKCU: options, snapshots, copies of watched settings, window positions. HKLM: translations,
// the system-files snapshot and the Disabled Store.
inline constexpr std::string_view kProduct = "Software\\Orvane\\Kestrom";
inline constexpr std::string_view kOptions = "Software\\Orvane\\Kestrom\\Options";
inline constexpr std::string_view kRunSnapshot = "Software\\Orvane\\Kestrom\\Run";
// The Hidden snapshot: approved hidden files, named by path, data = when approved.
inline constexpr std::string_view kHiddenSnapshot = "Software\\Orvane\\Kestrom\\Hidden";
inline constexpr std::string_view kIEHelpers = "Software\\Orvane\\Kestrom\\IEHelpers";
inline constexpr std::string_view kTasks = "Software\\Orvane\\Kestrom\\Tasks";
inline constexpr std::string_view kDisabled = "Software\\Orvane\\Kestrom\\Disabled";  // HKLM
inline constexpr std::string_view kSysfiles = "Software\\Orvane\\Kestrom\\Sysfiles";  // HKLM
inline constexpr std::string_view kDetected = "Software\\Orvane\\Detected";
inline constexpr std::string_view kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr std::string_view kCookies = "Software\\Orvane\\Kestrom\\Cookies";
inline constexpr std::string_view kNuts = "Software\\Orvane\\Kestrom\\Nuts";
inline constexpr std::string_view kServicesSnapshot = "Software\\Orvane\\Kestrom\\Services";
inline constexpr std::string_view kHostFile = "Software\\Orvane\\Kestrom\\HostFile";
// HKEY_CLASSES_ROOT: the Windows Explorer context-menu entry for program files.
inline constexpr std::string_view kExplorerMenu = "exefile\\shell\\Kestrom VANT";
inline constexpr std::string_view kExplorerMenuCommand = "exefile\\shell\\Kestrom VANT\\command";

}  // namespace kestrom::keys
