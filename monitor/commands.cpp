#include "monitor/commands.hpp"

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
  return {{610, cmd::kOptions},     kSeparator,           {503, cmd::kStartup},       {1020, cmd::kDelayedStart},
          {697, cmd::kIEHelpers},   {509, cmd::kServices}, {685, cmd::kScheduledTasks}, {1067, cmd::kActiveX},
          kSeparator,               {504, cmd::kActiveTasks}, {505, cmd::kCookies},     {510, cmd::kFileTypes},
          {1018, cmd::kHiddenFiles}, {1192, cmd::kRecent},  kSeparator,                 {508, cmd::kQuit}};
}

}  // namespace kestrom::monitor
