// Pieces the list pages share beyond the framework: their texts, the records of the selected
// rows, the lookup of the selected item and the end of the sheet (the key comparison is
// `key_comparator` in list_rules).
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/item_list.hpp"
#include "common/options_table.hpp"
#include "explorer/list_page_win.hpp"
#include "startup/actions.hpp"

namespace kestrom::explorer {

// Sets each control's caption from its string. With `trim_leading_breaks` the line breaks a
// text begins with go (explanations that stand one above the other).
void set_page_texts(HWND page, std::span<const std::pair<int, int>> texts, bool trim_leading_breaks);
// The record indexes of every selected row, in row order.
std::vector<int> selected_records(HWND list);
// The program information lookup for the selected record, or message 57 without one.
void look_up_selected(const App& app, HWND page, const ListPage& list, const ItemList& items);
// The file-open dialog of the pages' Add buttons (a program, from the Program Files folder on);
// the chosen path, or nothing when the user cancelled.
std::optional<std::string> pick_program(HWND owner);
// Menu commands 1201 and 1202 for the program a row's file text starts: its folder opened with
// the shell's "explore", and the shell's properties sheet of the file.
void explore_program_folder(HWND owner, std::string_view file);
void open_program_properties(HWND owner, std::string_view file);
// Menu command 1144 for the program a row's file text starts: asked with string 800, then the
// system's delete at the next restart (`delete_at_restart`); a request Windows did not take is
// told, with the offer to start again as administrator.
void delete_program_on_reboot(App& app, HWND page, std::string_view file);
// A category page's monitor image: active while the patrol interval `interval` is above 0. Its
// click opens Set Patrol Time with `caption` and stores the chosen interval.
void show_patrol_image(const App& app, HWND page, Opt interval);
void change_patrol_time(App& app, HWND page, int caption, Opt interval);
// PSN_RESET on the page on show: save its place and widths and end the program.
void end_on_reset(App& app, const ListPage& list);

// The explorer's question before a protected startup entry (codes 252..255) is removed, on every
// page that removes one: the default-warning dialog, which answers yes only with its box ticked.
ConfirmRemoval protected_removal_warning(App& app, HWND page);

}  // namespace kestrom::explorer
