#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "common/options_table.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/text.hpp"
#include "platform/reg_key.hpp"
#include "startup/actions.hpp"
#include "startup/places.hpp"
#include "startup/run_family_root.hpp"
#include "startup/snapshot.hpp"
#include "startup/snapshot_win.hpp"

namespace kestrom {

namespace {

// The snapshot key opened once for a pass over many entries: a lookup is then a query or two
// instead of two key opens and up to five queries.
class SnapshotReader {
 public:
  SnapshotReader() : key_(platform::RegKey::open_read(HKEY_CURRENT_USER, keys::kRunSnapshot)) {}

  int lookup(std::string_view file, std::string_view title) const {
    return snapshot_lookup_in([this](std::string_view name) { return stored_number(name); }, file, title);
  }

 private:
  // Missing, or too long to be a number the snapshot wrote: nullopt. Text that is no number,
  // and data that is not text, read as 0.
  std::optional<int> stored_number(std::string_view name) const {
    auto raw = key_ ? key_.query(name) : std::nullopt;
    if (!raw) return std::nullopt;
    std::string s = reg::read_text(*raw, kSnapshotReadLimit);
    if (s.empty() && !reg::read_text(*raw, reg::kLongestText).empty()) return std::nullopt;
    return std::atoi(s.c_str());
  }

  platform::RegKey key_;
};

}  // namespace

int snapshot_lookup(std::string_view file, std::string_view title) { return SnapshotReader().lookup(file, title); }

platform::RegKey open_startup_snapshot() { return platform::RegKey::open_read(HKEY_CURRENT_USER, keys::kRunSnapshot); }

int snapshot_number_in(const platform::RegKey& snapshot, std::string_view name) {
  // Longer data reads as empty, and empty or non-numeric data as 0: both count as missing.
  return decimal_value(reg::read_string(snapshot, name, kSnapshotReadLimit));
}

int snapshot_number(std::string_view name) { return snapshot_number_in(open_startup_snapshot(), name); }

bool snapshot_write(std::string_view name, int code) {
  return reg::write_string(HKEY_CURRENT_USER, keys::kRunSnapshot, name, std::to_string(code));
}

bool snapshot_delete(std::string_view name) { return reg::delete_value(HKEY_CURRENT_USER, keys::kRunSnapshot, name); }

void build_startup_snapshot(ItemList& list, const StartupScan& scan, const ItemRules& rules) {
  list_startup_programs(list, scan, rules);
  for (const auto& item : list.items()) snapshot_write(snapshot_key(item.file), item.code);
  list.clear();
}

bool startup_changed(ItemList& list, const StartupScan& scan, const ItemRules& rules) {
  list_startup_programs(list, scan, rules);
  const SnapshotReader snapshot;
  for (const auto& item : list.items()) {
    int n = snapshot.lookup(item.file, item.title);
    if (n < 0 || !snapshot_accepts(n)) return true;
  }
  return false;
}

bool mark_removed(std::string_view file) {
  return reg::write_string(HKEY_CURRENT_USER, keys::kRunSnapshot, file, std::to_string(code::kRemovedMarker));
}

void fill_startup_snapshot_hook(bool wow64_view) {
  ItemList list;
  StartupScan scan;
  scan.wow64_view = wow64_view;
  build_startup_snapshot(list, scan, system_item_rules());
}

namespace {
// The product's own entries are Run-family values; they are found by value name and data
// in the keys themselves, because the Item List shows titles naming the product as the
// display name.
template <typename Match>
bool remove_run_values(bool wow64_view, Match match) {
  bool found = false;
  std::vector<int> bases{code::kMachineBase, code::kCurrentBase};
  if (wow64_view) bases.push_back(code::kWow64Base);
  for (int base : bases)
    for (int i = 1; i <= kRunKeysPerPass; ++i) {
      int code = base + i;
      HKEY root = run_family_root_key(code);
      for (const auto& v : reg::values(root, run_family_key(code), 511, 511)) {
        if (!match(v.name, v.data, code)) continue;
        found = true;
        remove_startup_entry(v.data, v.name, "", code, {});
      }
    }
  return found;
}
}  // namespace

bool remove_titled_entry_hook(const std::string& title, int code, bool wow64_view) {
  return remove_run_values(wow64_view, [&](const std::string& name, const std::string&, int c) {
    return c == code && iequals(name, title);
  });
}

bool remove_entries_containing_hook(const std::string& command_part, bool wow64_view) {
  bool found = remove_run_values(wow64_view, [&](const std::string&, const std::string& data, int) {
    return contains(data, command_part);
  });
  // A shortcut in a startup folder starts the program as surely as a Run value does.
  ItemList list;
  const ItemRules rules = system_item_rules();
  for (const auto& folder : startup_folders()) {
    list_startup_folder(list, folder, rules);
    for (const auto& item : list.items()) {
      if (!contains(item.file, command_part)) continue;
      found = true;
      remove_startup_entry(item.file, item.title, item.command, item.code, {});
    }
    list.clear();
  }
  return found;
}

}  // namespace kestrom
