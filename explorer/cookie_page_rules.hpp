// The Cookies page's decisions that need no window: which browser button a stored `Browser`
// value selects, what each button stores and which cookie store it lists, and whether the
// Add button may add a filter.
#pragma once
#include <cstddef>
#include <string_view>
#include <vector>

#include "explorer/list_rules.hpp"

namespace kestrom::explorer {

enum class BrowserButton { Explorer, Mozilla, Chrome, Edge };

// The stored `Browser` value of each button.
inline constexpr int kBrowserExplorer = 1;
inline constexpr int kBrowserMozilla = 6;
inline constexpr int kBrowserChrome = 8;
inline constexpr int kBrowserEdge = 9;

// 1, 4 and 5 (and anything unknown) select Internet Explorer; 2, 3 and 6 Mozilla; 8 Chrome;
// 9 Edge.
BrowserButton button_of_browser_option(int stored) noexcept;
int browser_option_of_button(BrowserButton button) noexcept;
// The browser kind whose cookies the cookie list window shows (1, 3, 5 or Edge's).
int cookie_kind_of_button(BrowserButton button) noexcept;

enum class AddFilterCheck { Add, Blank, TooLong, ListFull };
// Add refuses a blank text (it would match every cookie), one too long to be a value name,
// and any text once the list holds the recommended most.
AddFilterCheck check_new_filter(std::string_view text, std::size_t filters_now) noexcept;

// The cookie list window's right-click menu for a list of `kind`: "View..." only for Internet
// Explorer's cookie files (the stores' rows are no files, and their button is hidden too), the
// two removals, then the common end without the log entry.
std::vector<MenuEntry> cookie_list_menu(int kind);

}  // namespace kestrom::explorer
