#include "common/product.hpp"

#include "common/paths.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/run_keys.hpp"
#include "common/string_ids.h"
#include "common/text.hpp"
#include "common/textloader.hpp"
#include "common/trace.hpp"

namespace kestrom {

namespace {

constexpr std::string_view kVersionValue = "Version";
constexpr std::string_view kFirstUseSubkeys[] = {"Nuts", "Cookies", "Options", "Run", "IEHelpers", "HostFile", "Tasks"};

template <typename F, typename... Args>
void call(const F& hook, Args&&... args) {
  if (hook) hook(std::forward<Args>(args)...);
}

void create_product_keys() {
  reg::create_key(HKEY_CURRENT_USER, keys::kOrvane);
  reg::create_key(HKEY_CURRENT_USER, keys::kProduct);
  for (std::string_view sub : kFirstUseSubkeys)
    reg::create_key(HKEY_CURRENT_USER, std::string(keys::kProduct) + "\\" + std::string(sub));
}

void apply_cleanup_rule(const InitHooks& hooks) {
  if (read_option(Opt::Cleanup) == 0) return;
  reset_snapshots(hooks);
  write_option(Opt::Cleanup, 0);
}

void apply_version_rule(const InitHooks& hooks) {
  std::string stored = reg::read_string(HKEY_CURRENT_USER, keys::kProduct, kVersionValue);
  if (stored.empty()) {
    reset_snapshots(hooks);
    reg::write_string(HKEY_CURRENT_USER, keys::kProduct, kVersionValue, kProductVersion);
    return;  // a first start has nothing to clean up
  }
  if (!contains(stored, kProductVersion)) {
    reset_snapshots(hooks);
    reg::write_string(HKEY_CURRENT_USER, keys::kProduct, kVersionValue, kProductVersion);
    first_run_setup(hooks);
  }
  apply_cleanup_rule(hooks);
}

void apply_explorer_menu_option(const Options& options) {
  bool present = reg::has_default_value(HKEY_CLASSES_ROOT, keys::kExplorerMenu);
  if (options[Opt::ExplorerMenu] == 1) {
    if (!present) add_explorer_menu_entry();
  } else if (present) {
    remove_explorer_menu_entry();
  }
}

}  // namespace

void reset_snapshots(const InitHooks& hooks) {
  for (std::string_view key : {keys::kRunSnapshot, keys::kIEHelpers, keys::kTasks}) {
    reg::delete_key_tree(HKEY_CURRENT_USER, key);
    reg::create_key(HKEY_CURRENT_USER, key);
  }
  call(hooks.fill_snapshots);
}

void first_run_setup(const InitHooks& hooks) {
  call(hooks.fill_snapshots);
  call(hooks.remove_startup_entry, text::load(IDS_VANT_NAME), kMachineRunCode);
  set_always_run(true, hooks);
}

ProductState initialise_product(Program program, const InitHooks& hooks) {
  ProductState state;
  trace::set_enabled(false);
  state.init_tick = GetTickCount();

  text::set_language_from_string_table();

  // The file is known even while the trace is off, so that switching Debug on later needs no restart.
  std::string_view trace_name = program == Program::Monitor ? trace::kMonitorFile : trace::kExplorerFile;
  std::string folder = program_folder();
  trace::set_file(folder.empty() ? std::string() : folder + "\\" + std::string(trace_name));
  if (read_option(Opt::Debug, program) != 0) trace::set_enabled(true);

  call(hooks.clear_item_list);
  state.wow64_view = reg::key_exists(HKEY_LOCAL_MACHINE, run_key_path(RunKey::Run, true));

  if (!reg::has_default_value(HKEY_CURRENT_USER, keys::kProduct)) {
    create_product_keys();
    reg::write_string(HKEY_CURRENT_USER, keys::kProduct, "", date_text_now());
    first_run_setup(hooks);
  }

  call(hooks.initialise_register);
  call(hooks.build_missing_category_snapshots);
  call(hooks.take_setting_copies);

  // The date marks the snapshot as built, so it is only written when something built it.
  if (hooks.build_system_files_snapshot && !reg::has_default_value(HKEY_LOCAL_MACHINE, keys::kSysfiles)) {
    hooks.build_system_files_snapshot();
    reg::write_string(HKEY_LOCAL_MACHINE, keys::kSysfiles, "", date_text_now());
  }

  apply_version_rule(hooks);
  call(hooks.initialise_file_types);

  state.options = load_all_options(program);
  apply_explorer_menu_option(state.options);
  state.always_run = always_run_state();
  state.delay_count = hooks.load_delayed_programs ? hooks.load_delayed_programs() : 0;
  return state;
}

bool always_run_state() {
  const std::string run = run_key_path(RunKey::Run);
  return reg::value_exists(HKEY_LOCAL_MACHINE, run, text::load(IDS_PRODUCT_NAME)) ||
         reg::value_exists(HKEY_LOCAL_MACHINE, run, text::load(IDS_VANT_NAME));
}

std::string always_run_command() {
  std::string folder = program_folder();
  // Quoted: unquoted, a folder with blanks ("C:\Program Files\...") would make Windows try
  // "C:\Program.exe" first.
  return folder.empty() ? std::string() : "\"" + folder + "\\kestrom.exe\" -expressboot";
}

bool set_always_run(bool on, const InitHooks& hooks) {
  if (!on) {
    // Both removals run: the monitor's and the explorer's entries all go.
    bool found = hooks.remove_entries_containing && hooks.remove_entries_containing("Kestrom.exe");
    found = (hooks.remove_entries_containing && hooks.remove_entries_containing("KestromEx.exe")) || found;
    return found;
  }
  std::string command = always_run_command();
  if (command.empty()) return false;  // no folder to start from: an entry would start nothing
  // Refused (a standard user may not write HKLM): nothing is approved that was not written.
  if (!reg::write_string(HKEY_LOCAL_MACHINE, run_key_path(RunKey::Run), text::load(IDS_PRODUCT_NAME), command)) return false;
  // Approve the monitor's own entry so that the next patrol does not alert about it.
  reg::write_string(HKEY_CURRENT_USER, keys::kRunSnapshot, key_safe_name(command), "1");
  return true;
}

bool add_explorer_menu_entry() {
  std::string folder = program_folder();
  if (folder.empty()) return false;
  bool ok = reg::write_string(HKEY_CLASSES_ROOT, keys::kExplorerMenuCommand, "",
                              "\"" + folder + "\\kestrom.exe\" %1");
  return reg::write_string(HKEY_CLASSES_ROOT, keys::kExplorerMenu, "", text::load(IDS_EXPLORER_MENU_TEXT)) && ok;
}

bool remove_explorer_menu_entry() { return reg::delete_key_tree(HKEY_CLASSES_ROOT, keys::kExplorerMenu); }

}  // namespace kestrom
