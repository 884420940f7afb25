#include "common/profile_list.hpp"

#include "common/text.hpp"

namespace kestrom {

namespace {

template <typename F>
void for_each_entry(std::string_view line, F&& f) {
  std::size_t start = 0;
  while (start <= line.size()) {
    std::size_t end = line.find(';', start);
    if (end == std::string_view::npos) end = line.size();
    if (end > start) f(line.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace

std::string profile_list_append(std::string_view line, std::string_view entry) {
  std::string out(line);
  out += ';';
  out += entry;
  return out;
}

std::string profile_list_remove(std::string_view line, std::string_view entry) {
  std::string out;
  for_each_entry(line, [&](std::string_view e) {
    if (iequals(e, entry)) return;
    out += e;
    out += ';';
  });
  return out;
}

bool profile_list_has(std::string_view line, std::string_view entry) noexcept {
  bool found = false;
  for_each_entry(line, [&](std::string_view e) { found = found || iequals(e, entry); });
  return found;
}

}  // namespace kestrom
