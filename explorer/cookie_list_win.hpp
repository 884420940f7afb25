// The cookie list window (template 145): the cookies of one browser store with a check box per
// row; the ticked ones are kept (remembered in the cookie snapshot), the others can be removed,
// or the ticked ones can.
#pragma once
#include <windows.h>

#include "explorer/app_win.hpp"

namespace kestrom::explorer {

// Modal over `owner`; `kind` is 1 (Internet Explorer's folder), 3 (Firefox), 5 (Chrome) or Edge's.
void show_cookie_list(App& app, HWND owner, int kind);

}  // namespace kestrom::explorer
