// Which registry keys kestrompro watches, and where it waits for a key that does not exist
// yet. Pure: the Windows side opens what these functions name.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrom::pro {

enum class Root { LocalMachine, CurrentUser };

struct WatchedKey {
  Root root;
  std::string path;
  bool operator==(const WatchedKey&) const = default;
};

// One wait covers the stop signal and two registrations per key (the key and its parent), and
// a wait takes at most 64 handles.
inline constexpr std::size_t kMaxWatchedKeys = 31;

// The Run family of both hives, and of the 32-bit view of the machine hive when the system
// has one (the user hive's Run keys are shared by both views).
std::vector<WatchedKey> watched_keys(bool has_32bit_view);

// The key itself, then each parent up to the top-level key below the root, nearest first:
// a key that is missing is watched through the nearest of them that exists.
std::vector<std::string> key_and_parents(std::string_view path);

}  // namespace kestrom::pro
