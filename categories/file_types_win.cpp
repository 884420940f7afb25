#include <windows.h>

#include "categories/file_types_win.hpp"

#include <optional>
#include <utility>

#include "common/paths.hpp"
#include "common/pathtext.hpp"
#include "common/registry.hpp"
#include "common/string_ids.h"
#include "common/textloader.hpp"
#include "platform/reg_key.hpp"

namespace kestrom::file_types {

namespace {

// The registry place of a source's name: root, key and value.
struct Place {
  HKEY root = nullptr;
  std::string key;
  std::string value;
};

Place name_place(std::string_view dotted_extension, int source) {
  switch (source) {
    case kMachineClass: return {HKEY_LOCAL_MACHINE, std::string(kMachineClasses) + std::string(dotted_extension), ""};
    case kApplication: return {HKEY_CURRENT_USER, std::string(kFileExts) + std::string(dotted_extension), "Application"};
    case kProgId: return {HKEY_CURRENT_USER, std::string(kFileExts) + std::string(dotted_extension), "ProgID"};
    default: return {};
  }
}

Place command_place(std::string_view name, int source) {
  const std::string command = std::string(name) + std::string(kOpenCommand);
  switch (source) {
    case kMachineClass: return {HKEY_LOCAL_MACHINE, std::string(kMachineClasses) + command, ""};
    case kApplication: return {HKEY_CLASSES_ROOT, "Applications\\" + command, ""};
    case kProgId: return {HKEY_CLASSES_ROOT, command, ""};
    default: return {};
  }
}

std::string read(const Place& place) {
  if (!place.root) return {};
  return reg::read_string(place.root, place.key, place.value);
}

// One value to write, and how it was before, so that a refused write later on can put it back.
struct Write {
  Place place;
  std::string data;
};

struct Before {
  Place place;
  std::optional<platform::RegKey::RawValue> value;
};

void put_back(const std::vector<Before>& written) {
  for (auto it = written.rbegin(); it != written.rend(); ++it) {
    const platform::RegKey key = platform::RegKey::open_write(it->place.root, it->place.key);
    if (!key) continue;
    if (it->value)
      key.set_raw(it->place.value, *it->value);
    else
      key.delete_value(it->place.value);
  }
}

// Every write or none: a refused one puts back what the earlier ones changed.
bool write_all(const std::vector<Write>& writes) {
  std::vector<Before> written;
  for (const Write& w : writes) {
    const platform::RegKey key = platform::RegKey::create(w.place.root, w.place.key);
    Before before{w.place, key ? key.query(w.place.value) : std::nullopt};
    if (!key || !key.set_string(w.place.value, w.data)) {
      put_back(written);
      return false;
    }
    written.push_back(std::move(before));
  }
  return true;
}

std::vector<Association> associations_of(std::string_view extension) {
  std::vector<Association> out;
  for (int source = kFirstSource; source <= kLastSource; ++source)
    if (auto a = find_association(extension, source)) out.push_back(std::move(*a));
  return out;
}

void record_all(const std::vector<Association>& associations) {
  for (const Association& a : associations) record_file_type(a);
}

// Every name the three snapshot keys record, the watched list's default value left out.
std::vector<std::string> recorded_names() {
  std::vector<std::string> names;
  for (int source = kFirstSource; source <= kLastSource; ++source)
    for (const reg::Value& v : reg::values(HKEY_CURRENT_USER, snapshot_key(source), reg::kMaxString, reg::kMaxString))
      if (!v.name.empty() && v.is_text() && !v.data.empty()) names.push_back(v.data);
  return names;
}

}  // namespace

std::optional<Association> find_association(std::string_view extension, int source) {
  const std::string_view name_of_extension = bare(extension);
  if (name_of_extension.empty() || name_of_extension.size() > kMaxExtension) return std::nullopt;
  const std::string name = read(name_place(dotted(name_of_extension), source));
  if (name.empty()) return std::nullopt;
  std::string command = read(command_place(name, source));
  if (command.empty()) return std::nullopt;
  return Association{std::string(name_of_extension), source, name, std::move(command)};
}

std::vector<Association> list_associations() { return associations_of_list(watched_list()); }

std::vector<Association> associations_of_list(std::string_view list) {
  std::vector<Association> out;
  for (const std::string& extension : watched_extensions(list)) {
    auto found = associations_of(extension);
    for (auto& a : found) out.push_back(std::move(a));
  }
  return out;
}

std::vector<Association> list_file_types(ItemList& list, const ItemRules& rules) {
  list.clear();
  std::vector<Association> listed;
  for (Association& a : list_associations()) {
    // The type's description; without one, the program's own product name and description.
    std::string title = reg::read_string(HKEY_LOCAL_MACHINE, std::string(kMachineClasses) + a.name, "");
    std::string second = a.name;
    if (title.empty()) {
      const VersionInfo vi = version_information(command_to_file(a.command));
      title = vi.product_name;
      second = vi.file_description;
    }
    if (!list.add(title, a.command, second, "." + a.extension, kFileTypeCode, a.source, rules)) break;
    listed.push_back(std::move(a));
  }
  return listed;
}

std::string watched_list() { return reg::read_string(HKEY_CURRENT_USER, kClassKey, ""); }

Recorded recorded_association(std::string_view extension, int source) {
  Recorded r;
  const std::string_view key = snapshot_key(source);
  if (key.empty() || bare(extension).empty()) return r;
  r.name = reg::read_string(HKEY_CURRENT_USER, key, dotted(bare(extension)));
  // An empty name would read Class's default value, the watched list.
  if (!r.name.empty()) r.command = reg::read_string(HKEY_CURRENT_USER, kClassKey, r.name);
  return r;
}

RecordReader::RecordReader() : commands_(platform::RegKey::open_read(HKEY_CURRENT_USER, kClassKey)) {
  for (int source = kFirstSource; source <= kLastSource; ++source)
    names_[source - 1] = platform::RegKey::open_read(HKEY_CURRENT_USER, snapshot_key(source));
}

Recorded RecordReader::read(std::string_view extension, int source) const {
  Recorded r;
  if (source < kFirstSource || source > kLastSource || bare(extension).empty()) return r;
  const platform::RegKey& names = names_[source - 1];
  if (!names) return r;
  // Read as read_string reads: expanded, nothing beyond the registry layer's longest text.
  if (auto raw = names.query(dotted(bare(extension)))) r.name = reg::read_text(*raw, reg::kMaxString, reg::Expand::Yes);
  if (r.name.empty() || !commands_) return r;
  if (auto raw = commands_.query(r.name)) r.command = reg::read_text(*raw, reg::kMaxString, reg::Expand::Yes);
  return r;
}

bool record_file_type(const Association& a) {
  const std::string_view key = snapshot_key(a.source);
  if (key.empty() || a.name.empty() || bare(a.extension).empty()) return false;
  const bool named = reg::write_string(HKEY_CURRENT_USER, key, dotted(bare(a.extension)), a.name);
  return reg::write_string(HKEY_CURRENT_USER, kClassKey, a.name, a.command) && named;
}

ActionResult restore_file_type(std::string_view extension, int source) {
  // The extension becomes part of a key path: one that could name another key is not written.
  if (!valid_extension(extension)) return ActionResult::NotDone;
  const Recorded recorded = recorded_association(extension, source);
  if (recorded.name.empty()) return ActionResult::NotDone;
  std::vector<Write> writes{{name_place(dotted(bare(extension)), source), recorded.name}};
  if (!recorded.command.empty()) writes.push_back({command_place(recorded.name, source), recorded.command});
  return write_all(writes) ? ActionResult::Done : ActionResult::Refused;
}

bool stop_watching_file_type(std::string_view extension) {
  const std::string_view wanted = bare(extension);
  if (wanted.empty()) return false;
  const bool listed = reg::write_string(HKEY_CURRENT_USER, kClassKey, "", without_extension(watched_list(), wanted));
  std::vector<std::string> gone;
  for (int source = kFirstSource; source <= kLastSource; ++source) {
    const Recorded r = recorded_association(wanted, source);
    reg::delete_value(HKEY_CURRENT_USER, snapshot_key(source), dotted(wanted));
    if (!r.name.empty()) gone.push_back(r.name);
  }
  const std::vector<std::string> still_recorded = recorded_names();
  for (const std::string& name : gone)
    if (!class_still_used(name, still_recorded)) reg::delete_value(HKEY_CURRENT_USER, kClassKey, name);
  return listed;
}

int add_watched_file_type(std::string_view extension) {
  const AddOutcome outcome = add_to_list(watched_list(), extension);
  if (outcome.message != 0) return outcome.message;
  const std::vector<Association> found = associations_of(extension);
  if (found.empty()) return kInvalidExtension;
  record_all(found);
  return reg::write_string(HKEY_CURRENT_USER, kClassKey, "", outcome.list) ? 0 : kInvalidExtension;
}

void build_file_type_snapshot() {
  const std::string marker = reg::read_string(HKEY_CURRENT_USER, kExtKey, "");
  switch (snapshot_build(marker, watched_list())) {
    case SnapshotBuild::Exists: return;
    case SnapshotBuild::RecordAgain: break;
    case SnapshotBuild::Build:
      for (std::string_view key : {kExtKey, kExtAppKey, kExtProgIdKey, kClassKey}) reg::create_key(HKEY_CURRENT_USER, key);
      reg::write_string(HKEY_CURRENT_USER, kClassKey, "", text::load(IDS_FILE_TYPES_WATCHED));
      break;
  }
  record_all(list_associations());
  reg::write_string(HKEY_CURRENT_USER, kExtKey, "", kMarker);
}

std::vector<std::string> file_type_commands() {
  // The register is filled at the first start before the snapshot writes the list: the list
  // it will write stands in for it then.
  std::string list = watched_list();
  if (list.empty()) list = text::load(IDS_FILE_TYPES_WATCHED);
  std::vector<std::string> out;
  for (const Association& a : associations_of_list(list)) out.push_back(strip_quotes(a.command));
  return out;
}

}  // namespace kestrom::file_types
