// Text rules shared by every part of both programs: case-insensitive tests and the small
// path-text transformations. Pure functions; no Windows headers.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrom {

// `contains` never matches inside a text longer than this: every command-line switch and
// most name tests rely on it, so it is observable behaviour.
inline constexpr std::size_t kContainsTextLimit = 772;

// ASCII-only case folding: names in the registry and on disk are compared the way the
// system's own case-insensitive ANSI comparisons treat them for the Latin letters.
char to_upper_ascii(char c) noexcept;
char to_lower_ascii(char c) noexcept;
std::string to_upper(std::string_view text);
bool iequals(std::string_view a, std::string_view b) noexcept;

// True when pattern occurs in text ignoring case; false when either is empty, when the
// pattern is longer than the text, or when the text is longer than kContainsTextLimit.
bool contains(std::string_view text, std::string_view pattern) noexcept;
// A string-table text with its first "%s" replaced by `with` (taken as it is, never as a format).
std::string replace_first_s(std::string text, std::string_view with);

}  // namespace kestrom
