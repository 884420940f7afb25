// Building a command line that the started program splits back into exactly the program and the
// arguments given: the C runtime's and CommandLineToArgvW's rules. Free of Windows headers.
#pragma once
#include <span>
#include <string>
#include <string_view>

namespace kestrom::platform {

// One argument as the C runtime reads it back: unchanged when it needs no quotes, else in quotes
// with each quote escaped and the backslashes before a quote (or before the closing quote)
// doubled.
inline std::string quote_argument(std::string_view argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos)
    return std::string(argument);
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count as escapes only in front of a quote.
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  out += '"';
  return out;
}

// The program is always quoted: its first word is read up to the next quote, with no escapes,
// and unquoted blanks would let "C:\Program.exe" stand in for "C:\Program Files\...". A path
// cannot hold a quote, so none is escaped.
inline std::string command_line(std::string_view program, std::span<const std::string> arguments = {}) {
  std::string out = "\"";
  out += program;
  out += '"';
  for (const std::string& a : arguments) {
    out += ' ';
    out += quote_argument(a);
  }
  return out;
}

// The arguments alone, for the shell, which takes the program apart from its parameters.
inline std::string argument_text(std::span<const std::string> arguments) {
  std::string out;
  for (const std::string& a : arguments) {
    if (!out.empty()) out += ' ';
    out += quote_argument(a);
  }
  return out;
}

}  // namespace kestrom::platform
