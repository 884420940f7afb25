// The monitor's command numbers (the explorer's Page Commands), the explorer switch each one
// opens, and the tray menu. Pure.
#pragma once
#include <optional>
#include <string_view>
#include <vector>

#include "common/page_commands.hpp"

namespace kestrom::monitor {

namespace cmd = kestrom::page;

// Window messages of the monitor besides the commands.
inline constexpr unsigned kTrayCallbackMessage = 6035;
inline constexpr unsigned kTrayIconId = 6036;
inline constexpr unsigned kRealtimeMessage = 9024;
inline constexpr unsigned kPatrolTimerId = 1;

// Switches of the explorer.
inline constexpr std::string_view kExplorerRestart = "-RESTART";

// The explorer switch a command opens; none for commands that do something else.
std::optional<std::string_view> explorer_switch(int command) noexcept;

struct MenuEntry {
  int string_number = 0;  // 0: a separator
  int command = 0;
  bool operator==(const MenuEntry&) const = default;
};
std::vector<MenuEntry> tray_menu();

// Icon resources of the tray.
namespace icon {
inline constexpr int kNormal = 101;  // also the TrayIcon option's default
inline constexpr int kFirstHalf = 157;
inline constexpr int kSecondHalf = 158;
inline constexpr int kAlert = 161;
}  // namespace icon

}  // namespace kestrom::monitor
