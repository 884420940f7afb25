// The watched single settings: the Internet Explorer start and search pages, the desktop page,
// the Automatic Update level and the default URL prefix, each compared with the product's own
// copy. Pure: what a watcher decides from the live value and the copy. A missing value is told
// from an empty one by whether it exists, so an accepted empty page is not asked about forever.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrom {

inline constexpr std::size_t kMaxPageText = 512;  // page texts are read with at most this many characters

// Equal after dropping one trailing "/" from each, ignoring case.
bool pages_match(std::string_view live, std::string_view copy) noexcept;

enum class WatchStep {
  TakeCopy,  // no copy yet: the live value becomes the copy, nothing is asked
  Same,      // nothing changed
  Ask,       // the live value differs from the copy
};
// A live value that cannot be read counts as empty.
WatchStep page_watch(const std::optional<std::string>& live, const std::optional<std::string>& copy);

// The Automatic Update level: the copy counts only from 1 to 4; without one the live level is
// taken (when not 0) and the prefix is not watched this time.
struct UpdateLevelStep {
  WatchStep step = WatchStep::Same;
  bool watch_prefix = true;
};
UpdateLevelStep update_level_watch(int copy, int live) noexcept;
bool update_level_valid(int level) noexcept;
// The string with the level's text: 1050 + level for 1 to 4, `unknown_text` for any other level.
int update_level_text(int level, int unknown_text) noexcept;

// The prefix copy, "http://" (string 1061) when missing; compared ignoring case.
bool prefix_changed(std::string_view copy, std::string_view live) noexcept;

// A message template with its first two "%s" replaced, in order; nothing else is a directive.
std::string fill_two(std::string_view message, std::string_view first, std::string_view second);

}  // namespace kestrom
