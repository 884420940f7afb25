#include "explorer/page_switch.hpp"

#include "common/text.hpp"

namespace kestrom::explorer {

namespace {

struct Switch {
  std::string_view text;
  int command;
};

// The order is part of the command line's meaning: "-TASK" after "-START" here makes a line
// holding both open Active Tasks. "-RESTART" comes last so it overrides the "-START" it contains.
constexpr std::array<Switch, 15> kPageSwitches{{
    {"-START", cmd::kStartup},
    {"-SERVICE", cmd::kServices},
    {"-BHO", cmd::kIEHelpers},
    {"-COOKIE", cmd::kShowCookies},
    {"-NUT", cmd::kCookies},
    {"-OPTION", cmd::kOptions},
    {"-SCHEDULE", cmd::kScheduledTasks},
    {"-TASK", cmd::kActiveTasks},
    {"-DELAY", cmd::kDelayedStart},
    {"-FILETYPE", cmd::kFileTypes},
    {"-HIDDEN", cmd::kHiddenFiles},
    {"-ACTIVEX", cmd::kActiveX},
    {"-RECENT", cmd::kRecent},
    {"-EXIT", cmd::kExitRequest},
    {"-RESTART", cmd::kOptions},
}};

constexpr std::array<std::string_view, 6> kPruneOrder{"Tasks", "ActiveTasks", "Services", "Hidden", "IEHelper",
                                                       "Startup"};

}  // namespace

Repair repair_switch(std::string_view command_line) noexcept {
  if (contains(command_line, "-Restore")) return Repair::Restore;
  if (contains(command_line, "-AUOption")) return Repair::AUOption;
  if (contains(command_line, "-SetPrefix")) return Repair::SetPrefix;
  return Repair::None;
}

int start_page(std::string_view command_line, int start_tab) noexcept {
  int page = start_tab < cmd::kStartup ? cmd::kStartup : start_tab;
  for (const auto& s : kPageSwitches)
    if (contains(command_line, s.text)) page = s.command;
  return page;
}

std::optional<std::string_view> page_switch(int page_command) noexcept {
  for (const auto& s : kPageSwitches)
    if (s.command == page_command && is_page_command(page_command)) return s.text;
  return std::nullopt;
}

bool quit_switch(std::string_view command_line) noexcept { return contains(command_line, "-Q"); }

int command_for_first_instance(std::string_view command_line, int start_tab) noexcept {
  return quit_switch(command_line) ? cmd::kQuit : start_page(command_line, start_tab);
}

bool is_page_command(int command) noexcept {
  for (const auto& p : kPages)
    if (p.command == command) return true;
  return false;
}

StartCount advance_start_count(int stored) noexcept {
  // Compared before adding so that a stored value at the top of the range cannot overflow.
  int value = stored >= kMaxStartCount ? 0 : stored + 1;
  StartCount out;
  out.value = value;
  if (value >= 0 && value < static_cast<int>(kPruneOrder.size()))
    out.prune_category = kPruneOrder[static_cast<std::size_t>(value)];
  return out;
}

std::size_t start_index(const PageDef* const* built, std::size_t count, int page_command) noexcept {
  for (std::size_t i = 0; i < count; ++i)
    if (built[i] && built[i]->command == page_command) return i;
  return 0;
}

}  // namespace kestrom::explorer
