#include <windows.h>

#include <utility>

#include "common/locations.hpp"
#include "common/options_table.hpp"
#include "common/paths.hpp"
#include "common/registry.hpp"
#include "common/text.hpp"
#include "platform/process.hpp"
#include "startup/delay_store.hpp"
#include "startup/enumerate.hpp"
#include "startup/rules.hpp"
#include "startup/snapshot.hpp"

namespace kestrom::delay {

namespace {

constexpr std::size_t kCodeTextLimit = 15;
constexpr std::size_t kOpenAsLimit = 15;
// The values `forget delayed program` deletes; the window mode stays, so a program delayed
// again keeps it.
constexpr std::string_view kForgottenKeys[] = {kDelayKey, kTimeKey, kParametersKey, kShortcutsKey, kAppletKey,
                                               kTitleKey};

HKEY root_of(bool machine) { return machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

std::string read(HKEY root, std::string_view key, std::string_view name, std::size_t limit = reg::kMaxString) {
  return reg::read_text(root, key, name, limit);
}

// The changes of one action, each with what stood there before, so that a write Windows
// refuses half way can put everything back.
class ValueChanges {
 public:
  ValueChanges() = default;
  ValueChanges(const ValueChanges&) = delete;
  ValueChanges& operator=(const ValueChanges&) = delete;

  bool write(HKEY root, std::string_view key, std::string_view name, std::string_view text) {
    Change change{root, std::string(key), std::string(name), before(root, key, name)};
    if (!reg::write_string(root, key, name, text)) return false;
    changes_.push_back(std::move(change));
    return true;
  }
  bool erase(HKEY root, std::string_view key, std::string_view name) {
    if (!reg::value_exists(root, key, name)) return true;
    Change change{root, std::string(key), std::string(name), before(root, key, name)};
    if (!reg::delete_value(root, key, name)) return false;
    changes_.push_back(std::move(change));
    return true;
  }
  void undo() {
    for (auto it = changes_.rbegin(); it != changes_.rend(); ++it) {
      if (it->old)
        reg::write_string(it->root, it->key, it->name, *it->old);
      else
        reg::delete_value(it->root, it->key, it->name);
    }
    changes_.clear();
  }

 private:
  struct Change {
    HKEY root;
    std::string key, name;
    std::optional<std::string> old;
  };
  static std::optional<std::string> before(HKEY root, std::string_view key, std::string_view name) {
    if (!reg::value_exists(root, key, name)) return std::nullopt;
    return reg::read_text(root, key, name, reg::kLongestText);
  }
  std::vector<Change> changes_;
};

bool erase_program(ValueChanges& changes, std::string_view name, bool machine) {
  for (std::string_view key : kForgottenKeys)
    if (!changes.erase(root_of(machine), key, name)) return false;
  return true;
}

// The file text the startup listing will show for a command written back into a Run value,
// so that the snapshot accepts the very entry the listing finds.
std::string listed_file(std::string_view command, int code) {
  const RundllResult rule = rundll32_rule(command);
  ItemList one;
  one.add("", rule.text, "", "", code, rule.flag, system_item_rules());
  return one[0].file;
}

}  // namespace

std::optional<DelayedProgram> read_delayed_program(std::string_view name, bool machine) {
  const HKEY root = root_of(machine);
  if (!reg::value_exists(root, kDelayKey, name)) return std::nullopt;
  DelayedProgram p;
  p.name = std::string(name);
  p.machine = machine;
  p.code = decimal_value(read(root, kDelayKey, name, kCodeTextLimit));
  p.time = stored_delay(read(root, kTimeKey, name, kCodeTextLimit));
  p.parameters = read(root, kParametersKey, name);
  p.shortcut = read(root, kShortcutsKey, name);
  p.applet = read(root, kAppletKey, name);
  p.title = read(root, kTitleKey, name);
  p.window_mode = window_mode(read(root, kOpenAsKey, name, kOpenAsLimit));
  return p;
}

std::vector<DelayedProgram> delayed_programs() {
  std::vector<DelayedProgram> out;
  for (bool machine : {true, false})
    for (const std::string& name : reg::value_names(root_of(machine), kDelayKey, kMaxNameLength))
      if (auto p = read_delayed_program(name, machine)) out.push_back(std::move(*p));
  return out;
}

bool program_delayed(std::string_view name) {
  return reg::value_exists(HKEY_LOCAL_MACHINE, kDelayKey, name) || reg::value_exists(HKEY_CURRENT_USER, kDelayKey, name);
}

std::size_t list_delayed_programs(ItemList& list, const ItemRules& rules) {
  list.clear();
  for (const DelayedProgram& p : delayed_programs()) {
    const VersionInfo vi = version_information(p.name);
    std::string title = p.title;
    if (title.empty()) title = vi.product_name;
    if (title.empty()) title = std::string(file_name_of_path(p.name));
    // The system's own programs all carry the same product name; their description tells them apart.
    if (contains(title, "Microsoft\xAE Windows\xAE")) title = vi.file_description;
    const std::string command = p.code == code::kGroupStartup ? p.shortcut : title;
    list.add(title, p.name, command, vi.file_description, p.code, p.machine ? kMachineIndex : kUserIndex, rules);
  }
  return list.size();
}

std::string program_of(std::string_view file) {
  return split_command(file, [](std::string_view c) { return command_to_file(c); }).program;
}

Refusal refusal_of(const StartupItem& item) {
  const std::string program = program_of(item.file);
  return delay_refusal(item.code, item.file, !program.empty() && program_delayed(program));
}

ActionResult delay_entry(const StartupItem& item) {
  if (refusal_of(item) != Refusal::None) return ActionResult::NotDone;
  const SplitCommand split = split_command(item.file, [](std::string_view c) { return command_to_file(c); });
  if (split.program.empty()) return ActionResult::NotDone;
  const HKEY root = root_of(machine_root(item.code));
  const std::string& name = split.program;
  ValueChanges changes;
  const bool written =
      changes.write(root, kDelayKey, name, std::to_string(item.code)) &&
      changes.write(root, kTitleKey, name, item.title) &&
      changes.write(root, kTimeKey, name, std::to_string(kFirstDelay)) &&
      (split.parameters.empty() || changes.write(root, kParametersKey, name, split.parameters)) &&
      changes.write(root, kShortcutsKey, name, item.command) &&
      (item.value == 0 || changes.write(root, kAppletKey, name, kApplet));
  if (!written) {
    changes.undo();
    return ActionResult::Refused;
  }
  // The entry leaves its startup place only once the list holds it, and a refused removal takes
  // it off the list again: it keeps starting with Windows rather than twice or never.
  if (remove_startup_entry(item.file, item.title, item.command, item.code, {}) == ActionResult::Refused) {
    changes.undo();
    return ActionResult::Refused;
  }
  mark_removed(item.file);
  return ActionResult::Done;
}

bool item_machine(const StartupItem& item) noexcept { return item.value == kMachineIndex; }

ActionResult undelay_entry(const StartupItem& item) {
  const auto p = read_delayed_program(item.file, item_machine(item));
  if (!p) return ActionResult::NotDone;
  const std::string command = rebuilt_command(p->name, p->parameters, p->applet);
  // Restored first: the list keeps the program until its startup place has it back.
  const ActionResult restored = is_run_family(p->code)
                                    ? restore_startup_entry(command, p->code, item.title, listed_file(command, p->code))
                                    : restore_startup_entry(p->shortcut, p->code, item.title, command);
  if (restored != ActionResult::Done) return restored;
  return forget_delayed_program(p->name, p->machine) ? ActionResult::Done : ActionResult::Refused;
}

bool undelay_all() {
  ItemList list;
  list_delayed_programs(list, system_item_rules());
  bool held = true;
  for (const StartupItem& item : list.items()) held = undelay_entry(item) != ActionResult::Refused && held;
  return held;
}

bool forget_delayed_program(std::string_view name, bool machine) {
  ValueChanges changes;
  if (erase_program(changes, name, machine)) return true;
  changes.undo();
  return false;
}

DelayOptions read_delay_options(const StartupItem& item) {
  DelayOptions o;
  const auto p = read_delayed_program(item.file, item_machine(item));
  if (!p) return o;
  const DelayChoice choice = delay_choice(p->time.value_or(0));
  o.minutes = choice.minutes;
  o.seconds = choice.seconds_index * kSecondsStep;
  o.window_mode = p->window_mode;
  o.parameters = p->parameters;
  o.title = p->title;
  return o;
}

ActionResult set_delay_options(const StartupItem& item, const DelayOptions& options) {
  const HKEY root = root_of(item_machine(item));
  const std::string& name = item.file;
  if (!reg::value_exists(root, kDelayKey, name)) return ActionResult::NotDone;
  ValueChanges changes;
  const bool written =
      changes.write(root, kTimeKey, name, std::to_string(delay_seconds(options.minutes, options.seconds))) &&
      changes.write(root, kOpenAsKey, name, std::to_string(options.window_mode < 0 || options.window_mode > 2 ? 0 : options.window_mode)) &&
      changes.write(root, kParametersKey, name, options.parameters.substr(0, kMaxOptionText)) &&
      changes.write(root, kTitleKey, name, options.title.substr(0, kMaxOptionText));
  if (written) return ActionResult::Done;
  changes.undo();
  return ActionResult::Refused;
}

ActionResult add_delayed_program(std::string_view path, bool all_users) {
  if (path.empty() || program_delayed(path)) return ActionResult::NotDone;
  const HKEY root = root_of(all_users);
  ValueChanges changes;
  const int code = all_users ? code::kMachineRun : code::kCurrentRun;
  if (changes.write(root, kDelayKey, path, std::to_string(code)) &&
      changes.write(root, kTimeKey, path, std::to_string(kFirstDelay)))
    return ActionResult::Done;
  changes.undo();
  return ActionResult::Refused;
}

bool start_delayed_program(std::string_view program, std::string_view parameters, int window_mode) {
  platform::StartOptions options;
  options.show = show_code(window_mode);
  options.verb = "open";
  if (platform::start_program_with_parameters(program, parameters, options)) return true;
  options.verb.clear();
  return static_cast<bool>(platform::start_program_with_parameters(program, parameters, options));
}

bool start_delayed(const DelayedProgram& p) {
  const std::string program = command_to_file(p.name);
  if (program.empty()) return false;
  if (p.applet.empty()) return start_delayed_program(program, p.parameters, p.window_mode);
  return start_delayed_program(p.applet, rebuilt_command(program, p.parameters, ""), p.window_mode);
}

int launch_delayed_programs(int time, int started, const RunningTest& running) {
  for (bool machine : {true, false}) {
    const HKEY root = root_of(machine);
    for (const reg::Value& v : reg::values(root, kTimeKey, kMaxNameLength, kCodeTextLimit)) {
      if (!v.is_text() || stored_delay(v.data) != time) continue;
      // Counted whether it starts or not: each program has its one chance per run.
      ++started;
      if (running && running(command_to_file(v.name))) continue;
      // Its parameters, applet and the window mode the options dialog wrote for it, under the
      // root it wrote them.
      DelayedProgram p;
      p.name = v.name;
      p.machine = machine;
      p.parameters = read(root, kParametersKey, v.name);
      p.applet = read(root, kAppletKey, v.name);
      p.window_mode = window_mode(read(root, kOpenAsKey, v.name, kOpenAsLimit));
      start_delayed(p);
    }
  }
  return started;
}

}  // namespace kestrom::delay
