#include "monitor/command_line.hpp"

#include "common/text.hpp"

namespace kestrom::monitor {

CommandLine parse_command_line(std::string_view line) noexcept {
  CommandLine out;
  // The Explorer context-menu entry hands us a quoted file path; it never starts a monitor.
  if (contains(line, ".exe")) {
    out.lookup_type = info_server::kFromCommandLineExe;
    return out;
  }
  if (contains(line, ".dll")) {
    out.lookup_type = info_server::kFromCommandLineDll;
    return out;
  }
  out.quit = contains(line, "-Q");
  out.no_open = contains(line, "-NoOpen");
  out.express_boot = contains(line, "-expressboot");
  return out;
}

}  // namespace kestrom::monitor
