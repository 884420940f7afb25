#include <windows.h>
#include <mmsystem.h>
#include <versionhelpers.h>

#include "common/registry.hpp"
#include "common/sound.hpp"
#include "common/textloader.hpp"

// Some SDK headers predate the flag that plays a sound with the system-sound volume.
#ifndef SND_SYSTEM
#define SND_SYSTEM 0x00200000L
#endif

namespace kestrom {

void play_sound(int index, int sound_option) {
  if (sound_option <= 0) return;
  std::string_view key = sound_event_key(index);
  if (key.empty()) return;
  PlaySoundA(nullptr, nullptr, 0);
  std::string file = reg::read_string(HKEY_CURRENT_USER, key, "", kSoundFileLimit);
  // NODEFAULT: a missing file or device stays silent rather than playing the system beep.
  if (file.empty()) {
    PlaySoundA(MAKEINTRESOURCEA(kAlertWaveResource), text::module(), SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
    return;
  }
  DWORD flags = SND_FILENAME | SND_ASYNC | SND_NODEFAULT;
  if (IsWindowsVistaOrGreater()) flags |= SND_SYSTEM;
  PlaySoundA(file.c_str(), nullptr, flags);
}

}  // namespace kestrom
