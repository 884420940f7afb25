// The Startup Snapshot (HKCU\Software\Orvane\Kestrom\Run): the startup entries the user has
// accepted, named by the item's file with "=" turned into ":", data = the location code.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/item_list.hpp"
#include "startup/enumerate.hpp"

namespace kestrom {

inline constexpr std::size_t kSnapshotReadLimit = 32;

// Pure: the value name of an entry (every "=" replaced by ":").
std::string snapshot_key(std::string_view file);
// Pure: an entry counts as accepted when its value reads as a number other than 0 and 1103.
bool snapshot_accepts(int value) noexcept;
// The number stored under a value name; nullopt when the value is missing (or too long to be
// read, which counts as missing).
using StoredNumber = std::function<std::optional<int>(std::string_view name)>;
// Pure: the lookup rule over `stored`: the number under the entry's snapshot key, else (missing
// or 0) the number under its title; -1 when neither value exists.
int snapshot_lookup_in(const StoredNumber& stored, std::string_view file, std::string_view title);

bool snapshot_write(std::string_view name, int code);  // value `name` = decimal code
// The number stored under one value name; 0 when missing, too long or not a number.
int snapshot_number(std::string_view name);
bool snapshot_delete(std::string_view name);
// The number stored for an entry: under its snapshot key, else (missing or 0) under its
// title; -1 when neither value exists.
int snapshot_lookup(std::string_view file, std::string_view title);

// list startup programs, write every item, empty the list.
void build_startup_snapshot(ItemList& list, const StartupScan& scan, const ItemRules& rules);
// True when some listed entry is not accepted. Leaves the Item List filled.
bool startup_changed(ItemList& list, const StartupScan& scan, const ItemRules& rules);
// Writes the removed marker 1103 under the file text.
bool mark_removed(std::string_view file);

// Functions for the product start-up hooks (common/product.hpp InitHooks).
// fill_snapshots part: the startup snapshot of the current state.
void fill_startup_snapshot_hook(bool wow64_view);
// remove_startup_entry: removes every listed entry titled `title` with location `code`.
bool remove_titled_entry_hook(const std::string& title, int code, bool wow64_view);
// remove_entries_containing: removes every listed entry whose command contains the text.
bool remove_entries_containing_hook(const std::string& command_part, bool wow64_view);

}  // namespace kestrom
