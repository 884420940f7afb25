#include "categories/setting_watch.hpp"

#include "common/text.hpp"

namespace kestrom {

namespace {

std::string_view without_one_slash(std::string_view text) noexcept {
  if (!text.empty() && text.back() == '/') text.remove_suffix(1);
  return text;
}

}  // namespace

bool pages_match(std::string_view live, std::string_view copy) noexcept {
  return iequals(without_one_slash(live), without_one_slash(copy));
}

WatchStep page_watch(const std::optional<std::string>& live, const std::optional<std::string>& copy) {
  if (!copy) return WatchStep::TakeCopy;
  return pages_match(live.value_or(std::string()), *copy) ? WatchStep::Same : WatchStep::Ask;
}

bool update_level_valid(int level) noexcept { return level >= 1 && level <= 4; }

UpdateLevelStep update_level_watch(int copy, int live) noexcept {
  if (!update_level_valid(copy)) return {live != 0 ? WatchStep::TakeCopy : WatchStep::Same, false};
  return {live == copy ? WatchStep::Same : WatchStep::Ask, true};
}

int update_level_text(int level, int unknown_text) noexcept {
  constexpr int kLevelTexts = 1050;
  return update_level_valid(level) ? kLevelTexts + level : unknown_text;
}

bool prefix_changed(std::string_view copy, std::string_view live) noexcept { return !iequals(copy, live); }

std::string fill_two(std::string_view message, std::string_view first, std::string_view second) {
  std::string out;
  out.reserve(message.size() + first.size() + second.size());
  int filled = 0;
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (filled < 2 && message[i] == '%' && i + 1 < message.size() && message[i + 1] == 's') {
      out += filled++ == 0 ? first : second;
      ++i;
    } else {
      out += message[i];
    }
  }
  return out;
}

}  // namespace kestrom
