// The seven alert sounds (index 0 "Open" .. 6 "SystemFile Alert"); silent when the Sound
// option is not above 0 or when there is no sound device.
#pragma once

namespace kestrom {

inline constexpr int kAlertWaveResource = 170;

void play_sound(int index, int sound_option);

}  // namespace kestrom
