#include "common/pathtext.hpp"

#include <algorithm>

#include "common/text.hpp"

namespace kestrom {

namespace {

bool starts_with_nocase(std::string_view text, std::string_view prefix) noexcept {
  return text.size() >= prefix.size() && iequals(text.substr(0, prefix.size()), prefix);
}

std::size_t find_nocase(std::string_view text, std::string_view pattern) noexcept {
  if (pattern.size() > text.size()) return std::string_view::npos;
  for (std::size_t i = 0; i + pattern.size() <= text.size(); ++i)
    if (iequals(text.substr(i, pattern.size()), pattern)) return i;
  return std::string_view::npos;
}

// The command with the folder names services and installers write symbolically put in.
// Only a name in the place where it can stand for a folder is replaced: a program that merely
// has "SystemRoot" somewhere in its path or arguments is left as it is.
std::string resolve_folders(std::string_view command, std::string_view windows_folder,
                            std::string_view program_files) {
  std::string_view rest = command;
  std::string lead;
  if (!rest.empty() && rest.front() == '"') {
    lead = "\"";
    rest.remove_prefix(1);
  }
  if (starts_with_nocase(rest, "%SystemRoot%")) return lead + std::string(windows_folder) + std::string(rest.substr(12));
  if (starts_with_nocase(rest, "\\SystemRoot")) return lead + std::string(windows_folder) + std::string(rest.substr(11));
  if (starts_with_nocase(rest, "SystemRoot\\")) return lead + std::string(windows_folder) + std::string(rest.substr(10));
  if (std::size_t at = find_nocase(command, "%PROGRAMFILES%"); at != std::string_view::npos)
    return std::string(command.substr(0, at)) + std::string(program_files) + std::string(command.substr(at + 14));
  return std::string(command);
}

enum class Letters { Upper, AsWritten };

std::string program_part(std::string_view command, std::string_view windows_folder, std::string_view program_files,
                         Letters letters) {
  const std::string full = resolve_folders(command, windows_folder, program_files);
  const auto letter = [letters](char c) { return letters == Letters::Upper ? to_upper_ascii(c) : c; };
  std::string upper;
  upper.reserve(full.size());
  std::size_t colon = std::string::npos;
  for (std::size_t i = 0; i < full.size(); ++i) {
    char c = letter(full[i]);
    // ".EXE", ".DLL", ".SYS"-like names end the program part; what follows are arguments.
    if (c == '.' && i + 2 < full.size()) {
      char second = to_upper_ascii(full[i + 2]);
      if (second == 'X' || second == 'L') {
        for (std::size_t j = i; j < full.size() && j < i + 4; ++j) upper += letter(full[j]);
        break;
      }
    }
    if (c == ':') colon = i;
    upper += c;
  }
  if (colon == std::string::npos) {
    // Without a drive there is no letter to start from; an opening quote is never part of a name.
    std::size_t first = upper.find_first_not_of('"');
    return first == std::string::npos ? std::string() : upper.substr(first);
  }
  // A ":" in the first place has no drive letter before it.
  std::size_t start = colon == 0 ? 0 : colon - 1;
  return upper.substr(start);
}

}  // namespace

std::string command_to_file_text(std::string_view command, std::string_view windows_folder,
                                 std::string_view program_files) {
  return program_part(command, windows_folder, program_files, Letters::Upper);
}

std::string command_to_file_as_written(std::string_view command, std::string_view windows_folder,
                                       std::string_view program_files) {
  return program_part(command, windows_folder, program_files, Letters::AsWritten);
}

std::string strip_quotes(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (out.size() >= kStripQuotesLimit) break;
    if (c != '"') out += c;
  }
  return out;
}

std::string key_safe_name(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == '=') c = ':';
  return out;
}

std::string_view file_name_of_path(std::string_view path) noexcept {
  auto slash = path.find_last_of('\\');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string extension_of_name(std::string_view name) {
  auto dot = name.find('.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

std::string skip_blanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  return std::string(text.substr(i));
}

namespace {

bool ends_word(std::string_view text, std::size_t at) noexcept {
  return at >= text.size() || text[at] == ' ' || text[at] == '\t' || text[at] == '"' || text[at] == ',';
}

// Where an unquoted program ends in `text` (one past its last character): after a four-character
// ending whose point is followed two places on by X or L (the `command to file` rule), or, when
// asked, by P one or two places on where the ending closes the last path part; the whole text
// when there is none.
std::size_t program_end(std::string_view text, ProgramEndings endings) noexcept {
  for (std::size_t i = 0; i + 2 < text.size(); ++i) {
    if (text[i] != '.') continue;
    const char second = to_upper_ascii(text[i + 2]);
    if (second == 'X' || second == 'L') return std::min(i + 4, text.size());
    if (endings == ProgramEndings::ProgramsAndShortcuts && (second == 'P' || to_upper_ascii(text[i + 1]) == 'P')) {
      // Only where no folder follows: up to the end of the word there is no backslash, so
      // "C:\Tools.App\run.exe" keeps its folder.
      std::size_t j = i + 3;
      while (j < text.size() && !ends_word(text, j) && text[j] != '\\') ++j;
      if (ends_word(text, j)) return std::min(i + 4, text.size());
    }
  }
  return text.size();
}

}  // namespace

CommandParts split_command(std::string_view command, ProgramEndings endings) {
  CommandParts parts;
  const std::size_t first = command.find_first_not_of(" \t");
  if (first == std::string_view::npos) return parts;
  command.remove_prefix(first);
  if (command.front() == '"') {
    const std::size_t close = command.find('"', 1);
    parts.program = std::string(command.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    if (close != std::string_view::npos) parts.arguments = std::string(command.substr(close + 1));
    return parts;
  }
  const std::size_t end = program_end(command, endings);
  parts.program = std::string(command.substr(0, end));
  parts.arguments = std::string(command.substr(end));
  return parts;
}

}  // namespace kestrom
