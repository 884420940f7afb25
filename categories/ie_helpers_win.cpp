#include "categories/ie_helpers_win.hpp"

#include <windows.h>

#include <array>

#include "common/history.hpp"
#include "common/history_log.hpp"
#include "common/paths.hpp"
#include "common/pathtext.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "platform/reg_key.hpp"
#include "platform/process.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::helpers {

namespace {

constexpr std::size_t kSnapshotReadLimit = 32;

std::string joined(std::string_view key, std::string_view name) {
  std::string path(key);
  path += '\\';
  path += name;
  return path;
}

// The file's version texts, read once for both the title and the product version.
VersionInfo version_of(std::string_view file, const CommandFolders& folders) {
  return file.empty() ? VersionInfo{} : version_information(program_file_as_written(file, folders));
}

HelperVersion helper_version(const VersionInfo& vi) { return {vi.product_name, vi.file_description, vi.company_name}; }

std::string class_key(std::string_view clsid) { return "CLSID\\" + braced_class(clsid); }

// The library of a class registration: one key opened, as the helpers need no class name.
std::string class_library(std::string_view clsid) {
  return reg::read_string(platform::RegKey::open_read(HKEY_CLASSES_ROOT, class_key(clsid) + "\\InprocServer32"), "");
}

// Helper objects and toolbars: a class registration whose library names the file.
void add_class_helper(ItemList& list, std::string_view clsid, int code, const CommandFolders& folders,
                      const ItemRules& rules) {
  const std::string library = class_library(clsid);
  if (library.empty()) return;
  const VersionInfo vi = version_of(library, folders);
  list.add(helper_title(helper_version(vi), library), library, clsid, vi.product_version, code, 0, rules);
}

void add_extension(ItemList& list, std::string_view name, const CommandFolders& folders, const ItemRules& rules) {
  const platform::RegKey key = platform::RegKey::open_read(HKEY_LOCAL_MACHINE, joined(kExtensionsKey, name));
  const std::string button = reg::read_string(key, "ButtonText");
  if (button.empty()) return;
  std::string file = reg::read_string(key, "Exec");
  if (file.empty()) file = reg::read_string(key, "script");
  std::string detail = reg::read_string(key, "HotIcon");
  if (detail.empty()) detail = file;
  list.add(extension_title(button, helper_version(version_of(file, folders)), file), file, name, detail,
           code::kTypeExtension, 0, rules);
}

// Where a helper of kind `code` is registered: the key and, for a toolbar, the value.
bool registration_exists(int code, std::string_view command) {
  switch (code) {
    case code::kTypeBho: return reg::key_exists(HKEY_LOCAL_MACHINE, joined(kHelperObjectsKey, command));
    case code::kTypeToolbar: return reg::value_exists(HKEY_LOCAL_MACHINE, kToolbarKey, command);
    case code::kTypeExtension: return reg::key_exists(HKEY_LOCAL_MACHINE, joined(kExtensionsKey, command));
    default: return false;
  }
}

void delete_registration(int code, std::string_view command) {
  switch (code) {
    case code::kTypeBho: reg::delete_key_tree(HKEY_LOCAL_MACHINE, joined(kHelperObjectsKey, command)); break;
    case code::kTypeToolbar: reg::delete_value(HKEY_LOCAL_MACHINE, kToolbarKey, command); break;
    case code::kTypeExtension: reg::delete_key_tree(HKEY_LOCAL_MACHINE, joined(kExtensionsKey, command)); break;
    default: break;
  }
}

}  // namespace

std::string registration_key(int code, std::string_view command) {
  switch (code) {
    case code::kTypeBho: return joined(kHelperObjectsKey, command);
    case code::kTypeToolbar: return joined(kToolbarKey, command);
    case code::kTypeExtension: return joined(kExtensionsKey, command);
    default: return {};
  }
}

ClassServer class_server(std::string_view clsid) {
  // The class key once; its InprocServer32 opened from it.
  const platform::RegKey key = platform::RegKey::open_read(HKEY_CLASSES_ROOT, class_key(clsid));
  if (!key) return {};
  return {reg::read_string(key, ""), reg::read_string(platform::RegKey::open_read(key.get(), "InprocServer32"), "")};
}

std::size_t list_ie_helpers(ItemList& list, const ItemRules& rules) {
  list.clear();
  const CommandFolders folders = command_folders();
  for (const std::string& clsid : reg::subkey_names(HKEY_LOCAL_MACHINE, kHelperObjectsKey))
    add_class_helper(list, clsid, code::kTypeBho, folders, rules);
  for (const std::string& clsid : reg::value_names(HKEY_LOCAL_MACHINE, kToolbarKey))
    add_class_helper(list, clsid, code::kTypeToolbar, folders, rules);
  for (const std::string& name : reg::subkey_names(HKEY_LOCAL_MACHINE, kExtensionsKey))
    add_extension(list, name, folders, rules);
  return list.size();
}

ActionResult remove_ie_helper(int code, std::string_view command, const ItemRules& rules) {
  ItemList fresh;
  list_ie_helpers(fresh, rules);
  const auto at = find_helper(fresh.items(), code, command);
  if (!at) return ActionResult::NotDone;
  const StartupItem item = fresh[*at];
  delete_registration(item.code, item.command);
  // A standard user may not change HKLM: the registration stays and nothing else happens.
  if (registration_exists(item.code, item.command)) return ActionResult::Refused;
  if (!item.file.empty()) {
    // Each argument is quoted on the way, so a library under "Program Files" (or a value
    // carrying switches) reaches regsvr32 as one file name.
    const std::array<std::string, 3> arguments{"/u", "/s", item.file};
    platform::start_program(system_folder() + "\\regsvr32.exe", arguments);
  }
  write_history(file_name_of_path(item.file), item.file, "", code::kTypeBho, action::kIEHelperRemove);
  return ActionResult::Done;
}

platform::RegKey open_helper_snapshot() { return platform::RegKey::open_read(HKEY_CURRENT_USER, keys::kIEHelpers); }

bool helper_approved(const platform::RegKey& snapshot, std::string_view title) {
  return snapshot_approves(reg::read_string(snapshot, title, kSnapshotReadLimit));
}

bool helper_approved(std::string_view title) { return helper_approved(open_helper_snapshot(), title); }

bool write_helper_snapshot(std::string_view title, int code) {
  return reg::write_string(HKEY_CURRENT_USER, keys::kIEHelpers, title, std::to_string(code));
}

bool delete_helper_snapshot(std::string_view title) {
  return reg::delete_value(HKEY_CURRENT_USER, keys::kIEHelpers, title) ||
         !reg::value_exists(HKEY_CURRENT_USER, keys::kIEHelpers, title);
}

void fill_helper_snapshot(ItemList& list, const ItemRules& rules) {
  list_ie_helpers(list, rules);
  for (const auto& item : list.items()) write_helper_snapshot(item.title, item.code);
}

void fill_helper_snapshot_hook() {
  ItemList list;
  fill_helper_snapshot(list, system_item_rules());
}

std::vector<std::string> helper_files() {
  ItemList list;
  list_ie_helpers(list, system_item_rules());
  return list.files();
}

}  // namespace kestrom::helpers
