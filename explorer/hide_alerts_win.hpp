// The Hide Alerts dialog (template 213), opened from the Options page.
#pragma once
#include <windows.h>

#include "explorer/app_win.hpp"

namespace kestrom::explorer {

void show_hide_alerts(const App& app, HWND owner);

}  // namespace kestrom::explorer
