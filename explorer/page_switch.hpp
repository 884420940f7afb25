// The explorer's command line and its Page Commands. Pure: the owner window, the monitor and a
// second instance all speak in these numbers, so they must never depend on window state.
#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "common/page_commands.hpp"
#include "explorer/string_ids.h"

namespace kestrom::explorer {

namespace cmd = kestrom::page;
// Control number of the sheet's status bar.
inline constexpr int kStatusBarId = 6050;

// The switches that perform one repair and end the program, in the order they are tested.
enum class Repair { None, Restore, AUOption, SetPrefix };
Repair repair_switch(std::string_view command_line) noexcept;

// The page to open: `start_tab` (the stored StartTab; below the first page it counts as the
// Startup Programs page), then every page switch found, in their fixed order, so that the
// later switch in that order wins whatever the order on the line.
int start_page(std::string_view command_line, int start_tab) noexcept;

// The switch that opens the page `page_command` (the first of the order above); none for
// commands that are no page.
std::optional<std::string_view> page_switch(int page_command) noexcept;

bool quit_switch(std::string_view command_line) noexcept;

// What a second instance posts to the first: quit when "-Q" is given, else the chosen page.
int command_for_first_instance(std::string_view command_line, int start_tab) noexcept;

// True for the Page Commands that open the sheet on a page.
bool is_page_command(int command) noexcept;

// The start counter and the First-Detected category it prunes on this start.
inline constexpr int kMaxStartCount = 6;
struct StartCount {
  int value = 0;
  std::optional<std::string_view> prune_category;  // none on the seventh start
};
StartCount advance_start_count(int stored) noexcept;

// One tab of the sheet, in the order the sheet shows them.
struct PageDef {
  int command;
  int dialog;
  int icon;
  int title_string;
};
inline constexpr std::array<PageDef, 12> kPages{{
    {cmd::kStartup, 102, 170, IDS_PAGE_STARTUP},
    {cmd::kDelayedStart, 197, 200, IDS_PAGE_DELAYED_START},
    {cmd::kActiveX, 201, 212, IDS_PAGE_ACTIVEX},
    {cmd::kIEHelpers, 139, 180, IDS_PAGE_IE_HELPERS},
    {cmd::kScheduledTasks, 137, 182, IDS_PAGE_SCHEDULED_TASKS},
    {cmd::kServices, 132, 173, IDS_PAGE_SERVICES},
    {cmd::kActiveTasks, 110, 176, IDS_PAGE_ACTIVE_TASKS},
    {cmd::kCookies, 108, 183, IDS_PAGE_COOKIES},
    {cmd::kFileTypes, 142, 179, IDS_PAGE_FILE_TYPES},
    {cmd::kHiddenFiles, 195, 198, IDS_PAGE_HIDDEN_FILES},
    {cmd::kRecent, 214, 175, IDS_PAGE_RECENT},
    {cmd::kOptions, 114, 181, IDS_PAGE_OPTIONS},
}};
// The tab image list holds these icons in this order, one per tab.
inline constexpr std::array<int, 13> kTabIcons{170, 200, 212, 180, 182, 173, 176, 183, 179, 198, 175, 167, 181};

// Index of the page to select among the pages actually built: the one whose command matches;
// any other value starts on the first page.
std::size_t start_index(const PageDef* const* built, std::size_t count, int page_command) noexcept;

}  // namespace kestrom::explorer
