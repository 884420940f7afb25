// The pages' right-click menus as Windows menus, apart from showing them, so what a menu
// holds can be looked at in the program that made it.
#pragma once
#include <windows.h>

#include <vector>

#include "explorer/list_rules.hpp"
#include "platform/handles.hpp"

namespace kestrom::explorer {

// A pop-up menu of `entries` (texts from the string table, 0 a separator); `default_command`
// (0: none) is its default entry, which menus draw in bold.
platform::UniqueMenu make_popup_menu(const std::vector<MenuEntry>& entries, int default_command);

}  // namespace kestrom::explorer
