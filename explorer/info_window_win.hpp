// The information window (template 121): what an item's program file says about itself, where
// it starts from, whether it runs, when Kestrom first saw it and the user's note, with Stop,
// Run and a service's start type. Every list page opens it the same way:
//
//   case IDC_INFO:  // Info..., and Enter and double-click on the list (ListSheetPage)
//     if (open_info_for_selection(app_, page, *list_, items_)) fill(page);
//     break;
//
// A page whose items start from no startup place passes its own location line.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/item_list.hpp"
#include "explorer/app_win.hpp"
#include "platform/handles.hpp"
#include "platform/process.hpp"

namespace kestrom::explorer {

class ListPage;

struct InfoWindowOptions {
  // The location line (1039) of an item; empty: "Startup Location: " and its location text.
  std::function<std::string(const StartupItem&)> location_line;
};

struct InfoWindowOutcome {
  int index = -1;        // the item shown last
  bool changed = false;  // a program or service was stopped or started, or a start type set
};

// Runs the modal window on items[index]; the user may step through all of `items`.
InfoWindowOutcome show_info_window(App& app, HWND owner, const ItemList& items, int index,
                                   const InfoWindowOptions& options = {});

// Info (1008) on a list page: the window for the selected row; message 57 without one. True
// when the page should fill again.
bool open_info_for_selection(App& app, HWND page, const ListPage& list, const ItemList& items,
                             const InfoWindowOptions& options = {});

// Location lines of the categories that have no startup place:
// a browser helper's key under HKLM ("Location: "HKLM\<key>"").
std::string helper_location(std::string_view key);
// A file type: "File Type Extension: .ext".
std::string file_type_location(std::string_view extension);
// An ActiveX control: "CLSID {...}".
std::string clsid_location(std::string_view clsid);

// The note file of an item's program inside the product data folder's notes folder; empty
// when the program has no name that can be kept there.
std::string note_file_path(const StartupItem& item);
bool has_note(const StartupItem& item);
std::optional<std::string> read_note(const StartupItem& item);
// Writes at most the note length; creates the notes folder when needed.
bool write_note(const StartupItem& item, std::string_view text);

// "&View Note..." (1164): the item's note file, opened by the shell.
void view_note(HWND owner, const StartupItem& item);

// Run: starts the item's file text as a command, shown normally, with its program quoted so an
// unquoted "C:\Program Files\..." can never start C:\Program.exe.
platform::Started run_item(const StartupItem& item);

}  // namespace kestrom::explorer
