// The Recent page's rules: which categories fill it and in which order, the Type text and
// action of each kind of row, its menu, and how a row's own item is found again before an
// action touches it. Pure.
#pragma once
#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "common/item_list.hpp"
#include "explorer/list_rules.hpp"

namespace kestrom::explorer::recent {

// Category tags of the Recent List, in the order the list is filled.
inline constexpr int kActive = 1010;
inline constexpr int kStartup = 1070;
inline constexpr int kIEHelper = 1040;
inline constexpr int kServices = 1060;
inline constexpr int kHidden = 1030;
inline constexpr int kTasks = 1050;
inline constexpr int kActiveX = 1020;
inline constexpr std::array<int, 7> kFillOrder{kActive, kStartup, kIEHelper, kServices, kHidden, kTasks, kActiveX};
inline constexpr int kFirstDetectedColumn = 4;
inline constexpr std::string_view kRunningState = "Running";

// The command of the action button (control 1246) and the menu.
inline constexpr int kKill = 1007;
inline constexpr int kDelete = 1184;
inline constexpr int kStop = 3;
inline constexpr int kRefresh = 1006;
inline constexpr int kViewNotepad = 1180;

struct Record {
  StartupItem item;          // the item as its category listed it
  std::string program_file;  // its file text reduced to the program file
  int tag = 0;
};

int type_string(int tag) noexcept;                     // "ACTIVE" (1193) ... "ACTIVEX" (1199); 0 for none
std::string_view detected_category(int tag) noexcept;  // the First-Detected Register category
int action_command(int tag) noexcept;                  // kKill, kDelete, menu::kRemove, kStop; 0 for none
int action_string(int action) noexcept;                // the button's text for the action; 0 for none

// The Recent menu for a row of this kind (the common end is added by the page).
std::vector<MenuEntry> recent_menu(int tag, bool has_note);

// The row's own item in a fresh listing of its category: the same file text, code and title.
// Nothing when it is gone: an index into an older listing may name another item by now.
std::optional<std::size_t> find_again(const std::vector<StartupItem>& fresh, const StartupItem& item);

}  // namespace kestrom::explorer::recent
