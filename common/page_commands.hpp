// Page Commands: the command numbers that name the pages and actions of both programs. The
// monitor, the explorer and a second instance of either speak in these numbers, so both
// programs take them from here.
#pragma once

namespace kestrom::page {

inline constexpr int kStartOfRun = 6025;  // the monitor's start-of-run set-up
inline constexpr int kStartup = 6026;
inline constexpr int kCookies = 6028;
inline constexpr int kActiveTasks = 6029;
inline constexpr int kQuit = 6030;
inline constexpr int kAlwaysRun = 6031;
inline constexpr int kOptions = 6033;
inline constexpr int kRestartCommands = 6034;
inline constexpr int kServices = 6038;
inline constexpr int kScheduledTasks = 6039;
inline constexpr int kIEHelpers = 6040;
inline constexpr int kHistory = 6041;
inline constexpr int kFileTypes = 6042;
inline constexpr int kCookieDetail = 6044;
inline constexpr int kShowCookies = 6045;
inline constexpr int kExitRequest = 6048;
inline constexpr int kRelayout = 6049;
inline constexpr int kHelpMe = 6051;
inline constexpr int kHiddenFiles = 6052;
inline constexpr int kTrayIconShowHide = 6053;
inline constexpr int kDelayedStart = 6055;
inline constexpr int kActiveX = 6056;
inline constexpr int kRecent = 6060;
inline constexpr int kFirst = 6025;
inline constexpr int kLast = 6060;

}  // namespace kestrom::page
