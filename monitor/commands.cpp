#include "monitor/commands.hpp"

#include "monitor/string_ids.h"

namespace kestrom::monitor {

std::optional<std::string_view> explorer_switch(int command) noexcept {
  switch (command) {
    case cmd::kStartup: return "-START";
    case cmd::kCookies: return "-NUTS";
    case cmd::kActiveTasks: return "-TASK";
    case cmd::kOptions: return "-OPTIONS";
    case cmd::kServices: return "-SERVICE";
    case cmd::kScheduledTasks: return "-SCHEDULE";
    case cmd::kIEHelpers: return "-BHO";
    case cmd::kFileTypes: return "-FILETYPES";
    case cmd::kHiddenFiles: return "-HIDDEN";
    case cmd::kDelayedStart: return "-DELAY";
    case cmd::kActiveX: return "-ACTIVEX";
    case cmd::kRecent: return "-RECENT";
    default: return std::nullopt;
  }
}

std::vector<MenuEntry> tray_menu() {
  constexpr MenuEntry kSeparator{0, 0};
  return {{IDS_MENU_OPTIONS, cmd::kOptions},
          kSeparator,
          {IDS_MENU_STARTUP, cmd::kStartup},
          {IDS_MENU_DELAYED_START, cmd::kDelayedStart},
          {IDS_MENU_IE_HELPERS, cmd::kIEHelpers},
          {IDS_MENU_SERVICES, cmd::kServices},
          {IDS_MENU_SCHEDULED_TASKS, cmd::kScheduledTasks},
          {IDS_MENU_ACTIVEX, cmd::kActiveX},
          kSeparator,
          {IDS_MENU_ACTIVE_TASKS, cmd::kActiveTasks},
          {IDS_MENU_COOKIES, cmd::kCookies},
          {IDS_MENU_FILE_TYPES, cmd::kFileTypes},
          {IDS_MENU_HIDDEN_FILES, cmd::kHiddenFiles},
          {IDS_MENU_RECENT, cmd::kRecent},
          kSeparator,
          {IDS_MENU_EXIT, cmd::kQuit}};
}

}  // namespace kestrom::monitor
