// The Delay List: startup programs taken out of their startup place and started by the monitor
// some time after logon. Each program keeps its values under Software\Orvane\Kestrom\Delay of
// HKLM (programs of the machine's Run family) or HKCU (all others), all named by the program.
//
// Every write is checked like the other startup actions (startup/actions.hpp): a standard user
// may not write the HKLM list, and an action Windows refuses half way is undone.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/item_list.hpp"
#include "startup/actions.hpp"
#include "startup/delay.hpp"

namespace kestrom::delay {

// Root index of a delayed program: the Item List's `value` of its item.
inline constexpr int kMachineIndex = 0;
inline constexpr int kUserIndex = 1;

struct DelayedProgram {
  std::string name;        // the program, as its values are named
  bool machine = false;    // kept under HKLM
  int code = 0;            // the startup place it came from
  std::optional<int> time; // seconds; nullopt when missing or not a number
  std::string parameters;
  std::string shortcut;    // the entry's command field (a startup-folder entry's shortcut)
  std::string applet;      // "RunDLL32.exe" for applet calls, else empty
  std::string title;
  int window_mode = 0;     // OpenAs
};

// Every delayed program, HKLM's first, in the order of the Delay key's values.
std::vector<DelayedProgram> delayed_programs();
std::optional<DelayedProgram> read_delayed_program(std::string_view name, bool machine);
// True when the program is in the list under either root.
bool program_delayed(std::string_view name);

// `list delayed programs`: empties the list and fills it (title, file = name, command = the
// shortcut for startup-folder entries else the title, detail = file description, code, value =
// root index); returns the count.
std::size_t list_delayed_programs(ItemList& list, const ItemRules& rules);

// The program a startup entry's file text starts: the name of its Delay List values.
std::string program_of(std::string_view file);

// Why the Startup Programs page's entry cannot be delayed (None when it can).
Refusal refusal_of(const StartupItem& item);
// `delay entry`: writes the entry's values (delay 30 seconds), removes the entry from its
// startup place with its History record and marks it 1103 in the snapshot. NotDone when the
// entry may not be delayed (refusal_of); Refused when Windows refused a write: then neither the
// list nor the startup place has changed.
ActionResult delay_entry(const StartupItem& item);

// The item of the Delayed Start page: file = program name, value = root index.
bool item_machine(const StartupItem& item) noexcept;

// `undelay entry`: writes the entry back into its startup place first and takes it off the list
// only when that held. Refused: the entry stays in the list as it was.
ActionResult undelay_entry(const StartupItem& item);

// "&Restore All Delayed" and the explorer's "-Restore": every program of the list back, in list
// order; false when Windows refused any (those stay in the list).
bool undelay_all();

// `forget delayed program`: deletes the program's values (but its window mode) under the root.
// A refused deletion puts back what was deleted; false then.
bool forget_delayed_program(std::string_view name, bool machine);

struct DelayOptions {
  int minutes = 0;
  int seconds = 30;
  int window_mode = 0;
  std::string parameters;
  std::string title;
};
DelayOptions read_delay_options(const StartupItem& item);
// Writes every option under the item's root; Refused (and nothing changed) when Windows refused.
ActionResult set_delay_options(const StartupItem& item, const DelayOptions& options);

// `add delayed program`: the program file chosen by the user, for everyone (HKLM, code 1) or the
// current user (HKCU, code 11). NotDone when the program is in the list already.
ActionResult add_delayed_program(std::string_view path, bool all_users);

// `start program`: the program (quoted) with the parameters as text, through the shell's "open"
// and, when that fails, directly; shown as `window_mode` says. True when started.
bool start_delayed_program(std::string_view program, std::string_view parameters, int window_mode);

// Starts one delayed program as the launcher does (through RUNDLL32 for an applet call).
bool start_delayed(const DelayedProgram& program);

// `launch delayed programs`: starts every program whose delay equals `time` (HKLM's first) unless
// `running` says it runs already; returns `started` raised by each program due, started or not.
using RunningTest = std::function<bool(std::string_view program)>;
int launch_delayed_programs(int time, int started, const RunningTest& running);

}  // namespace kestrom::delay
