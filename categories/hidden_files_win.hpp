// Hidden files on the system: the scan into the Item List, the Hidden snapshot, and deleting
// a hidden file through the product with its Vault copy, which the History viewer's Restore
// puts back.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "categories/hidden_files.hpp"
#include "common/item_list.hpp"
#include "startup/actions.hpp"

namespace kestrom {

// The folders of this system, in scan order.
std::vector<ScanFolder> hidden_scan_folders();
// Walks `folders` with the system's folder listing (a folder that cannot be listed gives nothing).
void walk_hidden_scan(const std::vector<ScanFolder>& folders, const EntryVisitor& visit);
// `list hidden files`: clears the list and adds one item (code 370) per hidden file found.
std::size_t list_hidden_files(ItemList& list, const ItemRules& rules);
// The paths of the hidden files: the category's source for the First-Detected Register.
std::vector<std::string> hidden_file_paths();

// `build hidden snapshot`: unless built already, recreates the Hidden key, marks it built and
// approves every hidden file found now.
void build_hidden_snapshot();
bool hidden_file_approved(std::string_view path);
bool approve_hidden_file(std::string_view path);

// `delete hidden file`: ends a program running from the file, keeps a copy in the Vault and
// deletes the file only when the copy held; "*HIDDEN_DeleteFile" is written for a deletion
// that happened. The snapshot value goes in any case, so the file is asked about again.
// A failed deletion leaves the file as it was, attributes included.
ActionResult delete_hidden_file(std::string_view path, std::string_view title);
// The History viewer's Restore of "*HIDDEN_DeleteFile": the Vault copy goes back over `path`
// (hidden again), the copy is removed and the file approved. False when there is no copy or
// it could not be put back (the copy is kept then).
bool restore_hidden_file(std::string_view path);
// Takes the hidden, system and read-only flags off the file.
bool unhide_file(std::string_view path);
// `delete at restart`: asks the system to delete the file at the next restart, its flags taken
// off first (the restart's delete would fail on a read-only file). Refused when Windows denies
// the request (a standard user may not schedule it); the flags are put back whenever it fails.
ActionResult delete_at_restart(std::string_view path);

}  // namespace kestrom
