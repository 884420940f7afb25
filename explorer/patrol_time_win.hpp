// The Set Patrol Time dialog (template 160), opened by every page's monitor image button.
#pragma once
#include <windows.h>

#include "explorer/app_win.hpp"

namespace kestrom::explorer {

// The new interval in minutes (0 switches the patrol off), or kPatrolClosed (-1) when the
// user closed the dialog; the caller stores it. The category's real-time value (by caption)
// is set while the dialog is open and put back when it is closed without OK.
int set_patrol_time(const App& app, HWND owner, int caption_string, int minutes);

}  // namespace kestrom::explorer
