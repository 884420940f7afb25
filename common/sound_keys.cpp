#include <array>

#include "common/sound.hpp"

namespace kestrom {

namespace {
constexpr std::array<std::string_view, kSoundCount> kKeys{
    "AppEvents\\Schemes\\Apps\\Kestrom\\Open\\.current",
    "AppEvents\\Schemes\\Apps\\Kestrom\\Startup Alert\\.current",
    "AppEvents\\Schemes\\Apps\\Kestrom\\Cookie Alert\\.current",
    "AppEvents\\Schemes\\Apps\\Kestrom\\Task Alert\\.current",
    "AppEvents\\Schemes\\Apps\\Kestrom\\IE Helper\\.current",
    "AppEvents\\Schemes\\Apps\\Kestrom\\FileType Alert\\.current",
    "AppEvents\\Schemes\\Apps\\Kestrom\\SystemFile Alert\\.current",
};
}  // namespace

std::string_view sound_event_key(int index) noexcept {
  return index >= 0 && index < kSoundCount ? kKeys[static_cast<std::size_t>(index)] : std::string_view();
}

}  // namespace kestrom
