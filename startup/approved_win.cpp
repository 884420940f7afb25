#include <windows.h>

#include "common/pathtext.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/text.hpp"
#include "startup/actions.hpp"
#include "startup/approved.hpp"

namespace kestrom {

namespace {

HKEY root_key(RegRoot root) { return root == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

std::optional<ApprovedPlace> place_of(const StartupItem& item) {
  return approved_place(item.code, item.title, item.command, item.code == code::kGroupStartup && in_common_startup_folder(item.command));
}

}  // namespace

bool in_common_startup_folder(std::string_view path) {
  const auto slash = path.find_last_of('\\');
  if (slash == std::string_view::npos) return false;
  const std::string common =
      reg::read_text(HKEY_LOCAL_MACHINE, keys::kShellFolders, "Common Startup", 259, reg::Expand::Yes);
  return !common.empty() && iequals(path.substr(0, slash), common);
}

bool switched_off_by_windows(const StartupItem& item) {
  const auto place = place_of(item);
  return place && approved_switched_off(reg::read_binary(root_key(place->root), place->key, place->name));
}

ActionResult switch_on_in_windows(int code, std::string_view title, std::string_view folder_file, bool common_folder,
                                  ApprovedUndo* undo) {
  const auto place = approved_place(code, title, folder_file, common_folder);
  if (!place) return ActionResult::NotDone;
  const HKEY root = root_key(place->root);
  auto old = reg::read_binary(root, place->key, place->name);
  if (!approved_switched_off(old)) return ActionResult::NotDone;
  if (!reg::write_binary(root, place->key, place->name, approved_enabled_value())) return ActionResult::Refused;
  if (undo) *undo = [root, key = place->key, name = place->name, bytes = std::move(*old)] {
    reg::write_binary(root, key, name, bytes);
  };
  return ActionResult::Done;
}

ActionResult switch_on_in_windows(const StartupItem& item, ApprovedUndo* undo) {
  return switch_on_in_windows(item.code, item.title, item.command,
                              item.code == code::kGroupStartup && in_common_startup_folder(item.command), undo);
}

}  // namespace kestrom
