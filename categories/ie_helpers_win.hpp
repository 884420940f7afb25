// Internet Explorer helpers on the real system: the browser helper objects, toolbars and
// extensions registered under HKLM, the IEHelpers snapshot of approved helpers, and removing a
// helper (its registration and its library's own registration through regsvr32).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "categories/ie_helpers.hpp"
#include "common/item_list.hpp"
#include "platform/reg_key.hpp"
#include "startup/actions.hpp"

namespace kestrom::helpers {

// Under HKLM.
inline constexpr std::string_view kHelperObjectsKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
inline constexpr std::string_view kToolbarKey = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
inline constexpr std::string_view kExtensionsKey = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";

// Under HKCR: "CLSID\{class}" (default value = the class's name) and its InprocServer32 subkey
// (default value = the library).
struct ClassServer {
  std::string name;
  std::string library;
};
ClassServer class_server(std::string_view clsid);

// Where a helper of kind `code` registered as `command` lives under HKLM: its key, and for a
// toolbar the Toolbar key with the value's name after it.
std::string registration_key(int code, std::string_view command);

// `list IE helpers`: clears the list and adds the helper objects (900), the toolbars (901) and
// the extensions (902), in that order; the count. command = the registration's name.
std::size_t list_ie_helpers(ItemList& list, const ItemRules& rules);

// Removes the helper registered as `command` of kind `code` (900, 901, 902), found again in a
// fresh listing, then asks regsvr32 to unregister its library (not waited for) and writes
// IEHELPER_Remove. NotDone when it is no longer listed; Refused when Windows kept the
// registration (nothing is run or recorded then).
ActionResult remove_ie_helper(int code, std::string_view command, const ItemRules& rules);

// The IEHelpers snapshot (HKCU), values named by the helper's title.
bool helper_approved(std::string_view title);
// The same through the snapshot key opened once, for a step that tests every listed helper.
platform::RegKey open_helper_snapshot();
bool helper_approved(const platform::RegKey& snapshot, std::string_view title);
bool write_helper_snapshot(std::string_view title, int code);
bool delete_helper_snapshot(std::string_view title);
// Writes every listed helper into the snapshot (the approve-all step; the key was emptied).
void fill_helper_snapshot(ItemList& list, const ItemRules& rules);
void fill_helper_snapshot_hook();
// The helpers' files: the category's source for the First-Detected Register.
std::vector<std::string> helper_files();

}  // namespace kestrom::helpers
