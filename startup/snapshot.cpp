#include "startup/snapshot.hpp"

#include "startup/locations.hpp"

namespace kestrom {

std::string snapshot_key(std::string_view file) {
  std::string out(file.substr(0, kMaxFileText));
  for (char& c : out)
    if (c == '=') c = ':';
  return out;
}

bool snapshot_accepts(int value) noexcept { return value != 0 && value != code::kRemovedMarker; }

}  // namespace kestrom
