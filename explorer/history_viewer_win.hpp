// The History viewer (template 141): the History Log with Restore and Clear File.
#pragma once
#include <windows.h>

#include "explorer/app_win.hpp"

namespace kestrom::explorer {

void show_history_viewer(App& app, HWND owner);

}  // namespace kestrom::explorer
