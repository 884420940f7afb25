// The seven alert sounds (index 0 "Open" .. 6 "SystemFile Alert"); silent when the Sound
// option is not above 0 or when there is no sound device.
#pragma once
#include <cstddef>
#include <string_view>

namespace kestrom {

inline constexpr int kAlertWaveResource = 170;
inline constexpr int kSoundCount = 7;
inline constexpr std::size_t kSoundFileLimit = 260;

// The key under HKEY_CURRENT_USER whose default value names the wave file of a sound event;
// empty for an index outside 0..6.
std::string_view sound_event_key(int index) noexcept;

void play_sound(int index, int sound_option);

}  // namespace kestrom
