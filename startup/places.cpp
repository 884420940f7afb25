#include "startup/places.hpp"

#include "common/string_ids.h"

namespace kestrom {

RegRoot run_family_root(int code) noexcept {
  return (code > code::kCurrentBase && code <= code::kCurrentBase + kRunKeysPerPass) ? RegRoot::CurrentUser
                                                                                      : RegRoot::LocalMachine;
}

std::string run_family_key(int code) {
  const auto key = run_key_of(code);
  return key ? run_key_path(*key, code > code::kWow64Base) : std::string();
}

std::string_view disabled_subkey(int code) noexcept {
  if (const auto key = run_key_of(code)) {
    // The 32-bit view's RunOnce\Setup and policy keys have no saved-command place.
    if (code > code::kWow64Base && *key >= RunKey::RunOnceSetup) return {};
    return kDisabledCommandSubkeys[static_cast<std::size_t>(*key)];
  }
  if (code == code::kWinLoad) return kDisabledCommandSubkeys[kRunKeysPerPass];
  if (code == code::kWinRun) return kDisabledCommandSubkeys[kRunKeysPerPass + 1];
  if (code == code::kWinlogonNotify) return "WinNotify";
  return {};
}

int startup_type_text_number(int code) noexcept {
  switch (code) {
    case 2: case 3: case 5: case 6: case 12: case 13: case 15: case 16: case 22: case 23: case 25: case 26:
      return IDS_STARTUP_TYPE_RUNONCE;
    case 100: case 101:
      return IDS_STARTUP_TYPE_WININI;
    case 200:
      return IDS_STARTUP_TYPE_FOLDER;
    default:
      return IDS_STARTUP_TYPE_ALWAYS;
  }
}

}  // namespace kestrom
