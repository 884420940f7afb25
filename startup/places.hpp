// Where the startup places keep their entries: the registry root and key of a Run-family code,
// the Disabled Store's subkey that keeps a disabled entry's command, and the startup type text
// of the alerts. The codes themselves and their names are in common/locations.hpp. Pure.
#pragma once
#include <array>
#include <string>
#include <string_view>

#include "common/locations.hpp"

namespace kestrom {

enum class RegRoot { LocalMachine, CurrentUser };
RegRoot run_family_root(int code) noexcept;
// Key path of a Run-family code below its root ("Software\Microsoft\Windows\CurrentVersion\Run" ...);
// empty for other codes.
std::string run_family_key(int code);

// Subkey of the Disabled Store that keeps the command of a code ("Run", "WinLoad", ...);
// empty for codes without one (26, 27, 200, 250..255).
std::string_view disabled_subkey(int code) noexcept;
// The Disabled Store's subkeys of disabled commands, in the order the listing reads them.
inline constexpr std::array<std::string_view, kRunKeysPerPass + 2> kDisabledCommandSubkeys{
    "Run", "RunOnce", "RunOnceEx", "RunServices", "RunServicesOnce", "RunSetup", "Policy", "WinLoad", "WinRun"};

// String-table number of the startup type text: 765, 766, 767 or 768.
int startup_type_text_number(int code) noexcept;

}  // namespace kestrom
