#include "common/text.hpp"

#include <algorithm>

namespace kestrom {

char to_upper_ascii(char c) noexcept { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char to_lower_ascii(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string to_upper(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), to_upper_ascii);
  return out;
}

bool iequals(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (to_upper_ascii(a[i]) != to_upper_ascii(b[i])) return false;
  return true;
}

bool contains(std::string_view text, std::string_view pattern) noexcept {
  if (text.empty() || pattern.empty()) return false;
  if (pattern.size() > text.size() || text.size() > kContainsTextLimit) return false;
  auto it = std::search(text.begin(), text.end(), pattern.begin(), pattern.end(),
                        [](char a, char b) { return to_upper_ascii(a) == to_upper_ascii(b); });
  return it != text.end();
}

std::string replace_first_s(std::string text, std::string_view with) {
  auto at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, with);
  return text;
}

}  // namespace kestrom
