// The watched system files on the system: recording them with their Vault copies, the change
// check, and accepting or rejecting a change. Every write is checked: a refused one is told
// through the result and never recorded as done.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "categories/system_files.hpp"
#include "startup/actions.hpp"

namespace kestrom {

// The Vault copy of a watched file (the Vault folder and the subkey name); empty without a Vault.
std::string system_file_vault_copy(std::string_view name);
// `record system file`: creates the subkey; for an existing file first copies it into the Vault
// and only then writes Date, Size, Type "0", Comment and Location, so the record never
// describes content the Vault does not hold.
ActionResult record_system_file(const WatchedSystemFile& file);
// `build system file set`: on first use records the initial set and dates the Sysfiles key.
void build_system_file_set();
// The subkeys of Sysfiles that have a Location.
std::vector<WatchedSystemFile> watched_system_files();
// `check system file`: true when the file changed (missing facts are recorded on the way).
bool system_file_changed(const WatchedSystemFile& file);
// Ends the watch of a file (its subkey goes).
ActionResult stop_watching_system_file(std::string_view name);
// Accept: the current file into the Vault, then its Date and Size recorded. NotDone when the
// file is gone or there is no Vault.
ActionResult accept_system_file_change(const WatchedSystemFile& file);
// Reject: the Vault copy back over the file; its facts are recorded again so the restored
// content is not reported as a change.
ActionResult reject_system_file_change(const WatchedSystemFile& file);

}  // namespace kestrom
