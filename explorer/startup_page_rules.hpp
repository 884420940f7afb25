// The Startup Programs page's own rules: which buttons a selection allows, and how "&Add"
// names and writes a program. Pure.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestrom::explorer {

// The buttons after a selection change. The Enable and Disable buttons share one slot.
struct StartupButtons {
  bool remove_enabled = false;
  bool remove_reads_reset = false;  // "&Reset" (string 677) instead of "&Remove"
  bool show_enable = false;         // the slot shows "&Enable", else "&Disable"
  bool toggle_enabled = false;      // the button shown in the slot is enabled
};
// `disabled`: switched off by Kestrom or by Windows.
StartupButtons startup_buttons(bool selected, int code, bool disabled) noexcept;

// The title of an added program: its description, else its product name, else the file name
// without its last four characters (".exe").
std::string added_program_title(std::string_view description, std::string_view product, std::string_view file_name);

// The Run value's data for an added program: the path, quoted when it holds a blank, so that
// "C:\Program Files\x.exe" can never start "C:\Program.exe".
std::string added_program_command(std::string_view path);

// The Run value name "&Add" writes under: the title, or, when a value of that name already
// starts another command, the first free "title (2)", "title (3)" ...; nullopt when a value
// of that name already starts this very command (nothing to write). `existing` gives the data
// of a value, nullopt when there is none.
inline constexpr int kMaxAddedNameTries = 99;
using ExistingValue = std::function<std::optional<std::string>(std::string_view name)>;
std::optional<std::string> added_value_name(std::string_view title, std::string_view command,
                                            const ExistingValue& existing);

}  // namespace kestrom::explorer
