// The explorer's reads and writes of its settings and texts, in one place so every page uses
// the same names, limits and the Options Store's rules.
#pragma once
#include <string>
#include <string_view>

namespace kestrom::explorer::settings {

// Options (decimal strings under ...\Kestrom\Options).
int option(std::string_view name, int default_value);
void set_option(std::string_view name, int value);
// Raw text of an Options value (empty when missing or longer than `limit`).
std::string option_text(std::string_view name, std::size_t limit);

// Values directly under the product key (window positions and the like).
std::string product_text(std::string_view name, std::size_t limit = 1023);
void set_product_text(std::string_view name, std::string_view text);

// A string of the program's string table, through the translation rules.
std::string text(int number, std::size_t size = 1024);

}  // namespace kestrom::explorer::settings
