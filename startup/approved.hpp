// Windows 8 and later keep an on/off state of their own for Run values and startup-folder
// files, beside the place itself, under ...\Explorer\StartupApproved (subkeys Run, Run32 and
// StartupFolder, in HKCU and HKLM): a binary value named like the entry whose first byte is
// even when the entry may start and odd when Task Manager switched it off (the switch-off
// time follows). A missing value means enabled. An entry switched off there does not start,
// whatever its place holds, so the explorer shows it as off and Enable switches it on there too.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "common/item_list.hpp"
#include "startup/places.hpp"

namespace kestrom {

inline constexpr std::string_view kStartupApprovedParent =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";
inline constexpr std::size_t kApprovedValueSize = 12;

// Where Windows keeps its state for an entry of place `code`: the root, the subkey below
// kStartupApprovedParent and the value name. Only the Run keys themselves (HKLM, HKCU, the
// machine's 32-bit view) and startup-folder files have one; `common_folder` says a folder
// file lies in the common startup folder.
struct ApprovedPlace {
  RegRoot root;
  std::string key;   // full path below the root
  std::string name;  // the Run value's name, or the folder file's name
};
std::optional<ApprovedPlace> approved_place(int code, std::string_view title, std::string_view folder_file,
                                            bool common_folder);

// The state of a stored value: nullopt (no value) and an even first byte are enabled; an odd
// first byte is switched off. An empty value has no first byte and counts as enabled.
bool approved_switched_off(const std::optional<std::string>& value) noexcept;

// The value Windows writes when an entry is switched on: 2, then zeros for the time.
std::string approved_enabled_value();

}  // namespace kestrom
