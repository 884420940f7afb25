#include "categories/activex_win.hpp"

#include <windows.h>

#include <cstring>
#include <optional>
#include <set>

#include "categories/ie_helpers_win.hpp"
#include "common/product.hpp"
#include "common/paths.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/text.hpp"
#include "platform/reg_key.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::activex {

namespace {

using platform::RegKey;

constexpr std::string_view kSnapshotMarker = "P";
constexpr std::string_view kAlternateValue = "AlternateCLSID";
constexpr std::size_t kSnapshotReadLimit = 32;

std::string joined(std::string_view key, std::string_view name) {
  std::string path(key);
  path += '\\';
  path += name;
  return path;
}

// A 32-bit number value; nullopt when missing or of another type.
std::optional<std::uint32_t> number_value(HKEY root, std::string_view key, std::string_view name) {
  const RegKey k = RegKey::open_read(root, key);
  if (!k) return std::nullopt;
  const auto raw = k.query(name);
  if (!raw || raw->type != REG_DWORD || raw->data.size() != sizeof(std::uint32_t)) return std::nullopt;
  std::uint32_t value = 0;
  std::memcpy(&value, raw->data.data(), sizeof value);
  return value;
}

void add_control(ItemList& list, std::string_view clsid, int hide_microsoft, const CommandFolders& folders,
                 const ItemRules& rules) {
  const helpers::ClassServer server = helpers::class_server(clsid);
  if (server.library.empty()) return;
  const std::string file = program_file_as_written(server.library, folders);
  const VersionInfo vi = version_information(file);
  if (!activex_used(number_value(HKEY_CURRENT_USER, joined(joined(kStatsKey, clsid), "iexplore"), "Type"))) return;
  if (activex_hidden(hide_microsoft, vi.company_name)) return;
  const HelperVersion version{vi.product_name, vi.file_description, vi.company_name};
  list.add(activex_title(server.name, version, file), server.library, clsid, vi.product_version, code::kActiveXControl,
           static_cast<int>(activex_flags(clsid)), rules);
}

}  // namespace

std::size_t list_activex(ItemList& list, ListMode mode, int hide_microsoft, const ItemRules& rules) {
  list.clear();
  std::vector<std::string> classes = reg::subkey_names(HKEY_CURRENT_USER, kStatsKey);
  if (mode == ListMode::All) {
    for (const std::string& entry : reg::subkey_names(HKEY_LOCAL_MACHINE, kCompatibilityKey)) {
      std::string alternate = reg::read_string(HKEY_LOCAL_MACHINE, joined(kCompatibilityKey, entry), kAlternateValue);
      classes.push_back(alternate.empty() ? entry : std::move(alternate));
    }
  }
  // A control both used and in the compatibility list is listed once.
  std::set<std::string> listed;
  const CommandFolders folders = command_folders();
  for (const std::string& clsid : classes) {
    if (list.full()) break;
    if (!listed.insert(to_upper(clsid)).second) continue;
    add_control(list, clsid, hide_microsoft, folders, rules);
  }
  return list.size();
}

std::size_t list_activex(ItemList& list, ListMode mode, const ItemRules& rules) {
  return list_activex(list, mode, read_option(Opt::HideMicrosoftActiveX), rules);
}

std::uint32_t activex_flags(std::string_view clsid) {
  return number_value(HKEY_LOCAL_MACHINE, joined(kCompatibilityKey, clsid), kFlagsValue).value_or(0);
}

ActionResult set_kill_bit(std::string_view clsid) {
  const std::string key = joined(kCompatibilityKey, clsid);
  const bool existed = reg::key_exists(HKEY_LOCAL_MACHINE, key);
  const std::uint32_t flags = activex_flags(clsid);
  if (reg::write_number(HKEY_LOCAL_MACHINE, key, kFlagsValue, with_kill_bit(flags)) &&
      activex_flags(clsid) == with_kill_bit(flags))
    return ActionResult::Done;
  // Nothing of a refused write stays behind.
  if (!existed) reg::delete_key_tree(HKEY_LOCAL_MACHINE, key);
  return ActionResult::Refused;
}

ActionResult clear_kill_bit(std::string_view clsid) {
  const std::string key = joined(kCompatibilityKey, clsid);
  const auto flags = number_value(HKEY_LOCAL_MACHINE, key, kFlagsValue);
  if (!flags) return ActionResult::NotDone;
  if (reg::write_number(HKEY_LOCAL_MACHINE, key, kFlagsValue, without_kill_bit(*flags))) return ActionResult::Done;
  return ActionResult::Refused;
}

RegKey open_activex_snapshot() { return RegKey::open_read(HKEY_CURRENT_USER, kSnapshotKey); }

bool activex_seen(const RegKey& snapshot, std::string_view clsid) {
  return snapshot_approves(reg::read_string(snapshot, clsid, kSnapshotReadLimit));
}

bool activex_seen(std::string_view clsid) { return activex_seen(open_activex_snapshot(), clsid); }

bool write_activex_seen(std::string_view clsid) {
  return reg::write_string(HKEY_CURRENT_USER, kSnapshotKey, clsid, std::to_string(code::kActiveXControl));
}

void build_activex_snapshot(ItemList& list, const ItemRules& rules) {
  const std::string marker = reg::read_string(HKEY_CURRENT_USER, kSnapshotKey, "", kSnapshotReadLimit);
  if (marker.starts_with(kSnapshotMarker)) return;
  reg::delete_key_tree(HKEY_CURRENT_USER, kSnapshotKey);
  if (!reg::write_string(HKEY_CURRENT_USER, kSnapshotKey, "", kSnapshotMarker)) return;
  list_activex(list, ListMode::Statistics, rules);
  for (const auto& item : list.items()) write_activex_seen(item.command);
  list.clear();
}

std::vector<std::string> activex_files() {
  ItemList list;
  list_activex(list, ListMode::Statistics, system_item_rules());
  return list.files();
}

}  // namespace kestrom::activex
