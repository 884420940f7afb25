// What the monitor's command line asks for. Every switch is a case-insensitive substring of
// the whole line, tested in a fixed order. Pure.
#pragma once
#include <string_view>

#include "common/info_server.hpp"

namespace kestrom::monitor {

struct CommandLine {
  int lookup_type = 0;       // non-zero: look the named file up and end
  bool quit = false;         // "-Q": ask the running monitor to exit
  bool no_open = false;      // "-NoOpen": a second start opens nothing
  bool express_boot = false; // "-expressboot": hold patrols after a boot
  bool operator==(const CommandLine&) const = default;
};

CommandLine parse_command_line(std::string_view line) noexcept;

}  // namespace kestrom::monitor
