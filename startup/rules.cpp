#include "startup/rules.hpp"

#include "common/text.hpp"

namespace kestrom {

RundllResult rundll32_rule(std::string_view command) {
  RundllResult out{0, std::string(command)};
  if (!contains(command, "RUNDLL32.EXE")) return out;
  // The first "R?N?L?3" shape, which in a real command is the start of "RUNDLL32.EXE"; what
  // follows that name and one separator is the DLL call.
  if (command.size() < 7) return out;
  for (std::size_t p = 0; p + 7 <= command.size(); ++p) {
    if (to_upper_ascii(command[p]) == 'R' && to_upper_ascii(command[p + 2]) == 'N' &&
        to_upper_ascii(command[p + 4]) == 'L' && command[p + 6] == '3') {
      out.flag = 1;
      out.text = p + 13 < command.size() ? std::string(command.substr(p + 13)) : std::string();
      return out;
    }
  }
  return out;
}

namespace {
std::string_view without_leading_blanks(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

// Both Winlogon values name a second program after a separator; one trailing separator
// alone means the value names just one program.
FoundCommand after_separator(std::string_view value, char separator) {
  auto at = value.find(separator);
  if (at == std::string_view::npos) return {false, std::string(value)};
  if (at + 1 == value.size()) return {true, std::string(value.substr(0, at))};
  return {true, std::string(without_leading_blanks(value.substr(at + 1)))};
}

template <typename Visit>
void for_each_piece(std::string_view text, std::string_view separators, Visit visit) {
  std::size_t start = 0;
  while (start <= text.size()) {
    auto end = text.find_first_of(separators, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) visit(text.substr(start, end - start));
    start = end + 1;
  }
}
}  // namespace

FoundCommand userinit_command_from(std::string_view value) {
  auto r = after_separator(value, ',');
  // Without a comma the whole value is the text, but Winlogon runs nothing after Userinit.
  return r;
}

FoundCommand shell_command_from(std::string_view value) {
  if (value.empty()) return {};
  auto r = after_separator(value, ' ');
  r.found = true;
  return r;
}

std::vector<std::string> profile_list_pieces(std::string_view line) {
  std::vector<std::string> out;
  for_each_piece(line, ";", [&](std::string_view piece) { out.emplace_back(piece); });
  return out;
}

std::vector<std::string> appinit_pieces(std::string_view list) {
  std::vector<std::string> out;
  for_each_piece(list, ", ", [&](std::string_view piece) { out.emplace_back(piece); });
  return out;
}

std::string appinit_without(std::string_view list, std::string_view dll,
                            const std::function<std::string(std::string_view)>& long_path) {
  std::string out;
  for_each_piece(list, ", ", [&](std::string_view piece) {
    std::string form = long_path ? long_path(piece) : std::string(piece);
    if (iequals(form, dll)) return;
    if (!out.empty()) out += ',';
    out += piece;
  });
  return out;
}

std::string appinit_with(std::string_view list, std::string_view short_dll) {
  std::string out(list);
  if (!out.empty()) out += ',';
  out += short_dll;
  return out;
}

}  // namespace kestrom
