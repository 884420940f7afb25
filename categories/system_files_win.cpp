#include "categories/system_files_win.hpp"

#include <windows.h>

#include "common/options_table.hpp"
#include "common/paths.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"

namespace kestrom {

namespace {

constexpr DWORD kNoAttributes = INVALID_FILE_ATTRIBUTES;
// Beside a Vault copy while an accept is not yet recorded.
constexpr std::string_view kPreviousCopySuffix = ".previous";

std::string subkey_of(std::string_view name) { return std::string(keys::kSysfiles) + "\\" + std::string(name); }

std::optional<std::string> recorded(std::string_view key, std::string_view name) {
  if (!reg::value_exists(HKEY_LOCAL_MACHINE, key, name)) return std::nullopt;
  return reg::read_string(HKEY_LOCAL_MACHINE, key, name);
}

// Copies with the read-only flag off both files for the copy, then puts their attributes back.
// The error Windows gave, ERROR_SUCCESS when the copy held.
DWORD copy_keeping_attributes(const std::string& from, const std::string& to) {
  const DWORD from_attributes = GetFileAttributesA(from.c_str());
  const DWORD to_attributes = GetFileAttributesA(to.c_str());
  if (from_attributes == kNoAttributes) return ERROR_FILE_NOT_FOUND;
  SetFileAttributesA(from.c_str(), from_attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  if (to_attributes != kNoAttributes) SetFileAttributesA(to.c_str(), to_attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  const DWORD error = CopyFileA(from.c_str(), to.c_str(), FALSE) ? ERROR_SUCCESS : GetLastError();
  SetFileAttributesA(from.c_str(), from_attributes);
  if (to_attributes != kNoAttributes) SetFileAttributesA(to.c_str(), to_attributes);
  return error;
}

ActionResult result_of_error(DWORD error) {
  if (error == ERROR_SUCCESS) return ActionResult::Done;
  return error == ERROR_ACCESS_DENIED ? ActionResult::Refused : ActionResult::NotDone;
}

ActionResult write_facts(const WatchedSystemFile& file, bool all) {
  FileFacts facts;
  if (!file_facts(file.location, facts)) return ActionResult::NotDone;
  const std::string key = subkey_of(file.name);
  // The watch was ended with this answer: nothing is recorded for it any more.
  if (!all && !reg::key_exists(HKEY_LOCAL_MACHINE, key)) return ActionResult::Done;
  bool held = reg::write_string(HKEY_LOCAL_MACHINE, key, "Date", facts.date) &&
              reg::write_string(HKEY_LOCAL_MACHINE, key, "Size", facts.size);
  if (held && all)
    held = reg::write_string(HKEY_LOCAL_MACHINE, key, "Type", "0") &&
           reg::write_string(HKEY_LOCAL_MACHINE, key, "Comment", file.comment) &&
           reg::write_string(HKEY_LOCAL_MACHINE, key, "Location", file.location);
  return held ? ActionResult::Done : ActionResult::Refused;
}

bool file_present(const std::string& path) { return GetFileAttributesA(path.c_str()) != kNoAttributes; }

}  // namespace

std::string system_file_vault_copy(std::string_view name) {
  const std::string vault = vault_folder();
  return vault.empty() || name.empty() ? std::string() : vault + "\\" + std::string(name);
}

ActionResult record_system_file(const WatchedSystemFile& file) {
  if (!reg::create_key(HKEY_LOCAL_MACHINE, subkey_of(file.name))) return ActionResult::Refused;
  if (!file_present(file.location)) return ActionResult::NotDone;
  const std::string copy = system_file_vault_copy(file.name);
  if (copy.empty()) return ActionResult::NotDone;
  if (const DWORD error = copy_keeping_attributes(file.location, copy); error != ERROR_SUCCESS)
    return result_of_error(error);
  return write_facts(file, true);
}

void build_system_file_set() {
  if (reg::has_default_value(HKEY_LOCAL_MACHINE, keys::kSysfiles)) return;
  if (!reg::create_key(HKEY_LOCAL_MACHINE, keys::kSysfiles)) return;
  for (const auto& file : initial_system_files(windows_folder())) record_system_file(file);
  reg::write_string(HKEY_LOCAL_MACHINE, keys::kSysfiles, "", date_text_now());
}

std::vector<WatchedSystemFile> watched_system_files() {
  std::vector<WatchedSystemFile> files;
  for (const auto& name : reg::subkey_names(HKEY_LOCAL_MACHINE, keys::kSysfiles)) {
    const std::string key = subkey_of(name);
    std::string location = reg::read_string(HKEY_LOCAL_MACHINE, key, "Location");
    if (location.empty()) continue;
    files.push_back({name, std::move(location), reg::read_string(HKEY_LOCAL_MACHINE, key, "Comment")});
  }
  return files;
}

bool system_file_changed(const WatchedSystemFile& file) {
  FileFacts now;
  if (!file_present(file.location) || !file_facts(file.location, now)) return false;
  const std::string key = subkey_of(file.name);
  RecordedFacts facts;
  facts.size = recorded(key, "Size");
  facts.date = recorded(key, "Date");
  facts.type = decimal_value(reg::read_string(HKEY_LOCAL_MACHINE, key, "Type"));
  const SystemFileCheck check = check_system_file_facts(facts, now.size, now.date);
  if (check.write_size) reg::write_string(HKEY_LOCAL_MACHINE, key, "Size", now.size);
  if (check.write_date) reg::write_string(HKEY_LOCAL_MACHINE, key, "Date", now.date);
  return check.changed;
}

ActionResult stop_watching_system_file(std::string_view name) {
  const std::string key = subkey_of(name);
  if (!reg::key_exists(HKEY_LOCAL_MACHINE, key)) return ActionResult::NotDone;
  return reg::delete_key_tree(HKEY_LOCAL_MACHINE, key) && !reg::key_exists(HKEY_LOCAL_MACHINE, key)
             ? ActionResult::Done
             : ActionResult::Refused;
}

ActionResult accept_system_file_change(const WatchedSystemFile& file) {
  const std::string copy = system_file_vault_copy(file.name);
  if (copy.empty() || !file_present(file.location)) return ActionResult::NotDone;
  // The copy first: a record that ran ahead of it would let a later Reject restore stale content.
  // The content accepted before is kept aside until the new record holds: when Windows refuses
  // the record, the copy goes back too, or a later Reject would restore the refused content.
  const std::string previous = copy + std::string(kPreviousCopySuffix);
  const bool had_copy = file_present(copy) && copy_keeping_attributes(copy, previous) == ERROR_SUCCESS;
  ActionResult result = result_of_error(copy_keeping_attributes(file.location, copy));
  if (result == ActionResult::Done) result = write_facts(file, false);
  if (result != ActionResult::Done) {
    if (had_copy)
      copy_keeping_attributes(previous, copy);
    else
      DeleteFileA(copy.c_str());
  }
  if (had_copy) DeleteFileA(previous.c_str());
  return result;
}

ActionResult reject_system_file_change(const WatchedSystemFile& file) {
  const std::string copy = system_file_vault_copy(file.name);
  if (copy.empty() || !file_present(copy)) return ActionResult::NotDone;
  if (const DWORD error = copy_keeping_attributes(copy, file.location); error != ERROR_SUCCESS)
    return result_of_error(error);
  write_facts(file, false);
  return ActionResult::Done;
}

}  // namespace kestrom
