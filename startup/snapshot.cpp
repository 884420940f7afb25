#include "startup/snapshot.hpp"

#include "common/locations.hpp"

namespace kestrom {

std::string snapshot_key(std::string_view file) {
  std::string out(file.substr(0, kMaxFileText));
  for (char& c : out)
    if (c == '=') c = ':';
  return out;
}

bool snapshot_accepts(int value) noexcept { return value != 0 && value != code::kRemovedMarker; }

int snapshot_lookup_in(const StoredNumber& stored, std::string_view file, std::string_view title) {
  auto by_key = stored(snapshot_key(file));
  if (by_key && *by_key != 0) return *by_key;
  auto by_title = stored(title);
  if (by_title) return *by_title;
  return by_key ? 0 : -1;
}

}  // namespace kestrom
