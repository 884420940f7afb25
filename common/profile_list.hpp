// The ";"-separated program lists of the "load=" and "run=" lines of win.ini. Pure.
#pragma once
#include <string>
#include <string_view>

namespace kestrom {

// The line with ";" and the entry appended.
std::string profile_list_append(std::string_view line, std::string_view entry);
// The line rebuilt from its entries without those equal (ignoring case) to `entry`; every
// kept entry is followed by ";". Empty entries fall away.
std::string profile_list_remove(std::string_view line, std::string_view entry);
// True when one of the line's entries equals `entry`, ignoring case.
bool profile_list_has(std::string_view line, std::string_view entry) noexcept;

}  // namespace kestrom
