#include "monitor/help_page.hpp"

#include "common/text.hpp"

namespace kestrom::monitor {

namespace {

bool page_character(char c) noexcept {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
         c == '.';
}

}  // namespace

std::string checked_help_page(std::string_view page) {
  bool ok = !page.empty() && page.size() <= kMaxHelpPageName && page.front() != '.' &&
            page.find("..") == std::string_view::npos;
  for (char c : page) ok = ok && page_character(c);
  return std::string(ok ? page : kDefaultHelpPage);
}

std::string help_page_address(std::string_view base, std::string_view page) {
  while (!base.empty() && base.back() == '/') base.remove_suffix(1);
  std::string out(base);
  out += '/';
  out += page;
  return out;
}

bool is_aol_browser(std::string_view http_open_command) noexcept { return contains(http_open_command, "waol.exe"); }

std::string aol_command(std::string_view aol_folder, std::string_view address) {
  std::string command = aol_folder.empty() ? std::string("waol.exe") : std::string(aol_folder) + "\\WAOL.EXE";
  // Quoted, so an address can never be read as further switches of the AOL program.
  command += " -u \"";
  command += address;
  command += '"';
  return command;
}

}  // namespace kestrom::monitor
