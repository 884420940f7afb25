#include "explorer/patrol_time.hpp"

#include <algorithm>

namespace kestrom::explorer {

int patrol_slider_position(int minutes) noexcept { return std::clamp(minutes, 0, kPatrolSliderMax); }

std::string patrol_box_text(int position) { return std::to_string(position); }

bool patrol_box_enabled(int position) noexcept { return position != 0; }

int patrol_ok_result(std::string_view box_text) {
  // The box takes at most two digits; anything else in it is no number.
  if (box_text.empty() || box_text.size() > static_cast<std::size_t>(kPatrolBoxDigits)) return 0;
  int n = 0;
  for (char c : box_text) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n;
}

std::optional<Opt> patrol_realtime_option(int caption_string) noexcept {
  switch (caption_string) {
    case 784: return Opt::RealtimeStartup;
    case 785: return Opt::RealtimeIEHelper;
    case 788: return Opt::RealtimeFileType;
    case 791: return Opt::RealtimeStartPage;
    case 792: return Opt::RealtimeSysFiles;
    case 924: return Opt::RealtimeHidden;
    case 957: return Opt::RealtimeServices;
    case 1157: return Opt::RealtimeActiveX;
    default: return std::nullopt;
  }
}

}  // namespace kestrom::explorer
