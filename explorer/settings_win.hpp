// The explorer's reads and writes of its settings and texts, in one place so every page uses
// the same names, limits and the Options Store's rules.
#pragma once
#include <string>
#include <string_view>

#include "common/options_table.hpp"

namespace kestrom::explorer::settings {

// Options (decimal strings under ...\Kestrom\Options) with the explorer's defaults.
int option(Opt id);
void set_option(Opt id, int value);
// The lists' column widths and sort orders, kept beside the options.
int list_setting(std::string_view name, int default_value);
void set_list_setting(std::string_view name, int value);
// Raw text of an Options value (empty when missing or longer than `limit`).
std::string option_text(std::string_view name, std::size_t limit);

// A string of the program's string table, through the translation rules.
std::string text(int number, std::size_t size = 1024);

}  // namespace kestrom::explorer::settings
