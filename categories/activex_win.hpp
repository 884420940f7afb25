// ActiveX controls on the real system: the controls of the browser's use statistics (and, on
// request, every entry of the compatibility list), their kill bits under HKLM, and the ActiveX
// snapshot of controls already asked about.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "categories/ie_helpers.hpp"
#include "common/item_list.hpp"
#include "platform/reg_key.hpp"
#include "startup/actions.hpp"

namespace kestrom::activex {

// Under HKCU: one subkey per class; its "iexplore" subkey's "Type" tells how the browser used it.
inline constexpr std::string_view kStatsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats";
// Under HKLM: one subkey per class with "Compatibility Flags" (and maybe "AlternateCLSID").
inline constexpr std::string_view kCompatibilityKey = "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility";
inline constexpr std::string_view kFlagsValue = "Compatibility Flags";

enum class ListMode {
  Statistics,  // the controls the browser has used
  All,         // those, then every entry of the compatibility list
};
// Clears the list and adds one item per control (code 1200, command = class, value = flags);
// the count. `hide_microsoft` > 0 leaves out the controls of Microsoft.
std::size_t list_activex(ItemList& list, ListMode mode, int hide_microsoft, const ItemRules& rules);
// The same with HideMicrosoftActiveX from the Options Store.
std::size_t list_activex(ItemList& list, ListMode mode, const ItemRules& rules);

// "Compatibility Flags" of the class; 0 when the key or value is missing.
std::uint32_t activex_flags(std::string_view clsid);
// The kill bit set or cleared, every other bit kept. Refused when Windows denied the write
// (a key made for it is taken away again); NotDone when clearing finds no flags to change.
ActionResult set_kill_bit(std::string_view clsid);
ActionResult clear_kill_bit(std::string_view clsid);

// The ActiveX snapshot (HKCU): "P" once built, one value per control already asked about.
inline constexpr std::string_view kSnapshotKey = "Software\\Orvane\\Kestrom\\ActiveX";
bool activex_seen(std::string_view clsid);
// The same through the snapshot key opened once, for a step that tests every listed control.
platform::RegKey open_activex_snapshot();
bool activex_seen(const platform::RegKey& snapshot, std::string_view clsid);
bool write_activex_seen(std::string_view clsid);
// Built once ("P" marker) from the statistics listing; leaves the list empty.
void build_activex_snapshot(ItemList& list, const ItemRules& rules);
// The controls' files: the category's source for the First-Detected Register.
std::vector<std::string> activex_files();

}  // namespace kestrom::activex
