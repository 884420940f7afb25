#include "explorer/settings_win.hpp"

#include "common/product.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/textloader.hpp"

namespace kestrom::explorer::settings {

int option(Opt id) { return read_option(id, Program::Explorer); }

void set_option(Opt id, int value) { write_option(id, value); }

int list_setting(std::string_view name, int default_value) { return read_setting(name, default_value); }

void set_list_setting(std::string_view name, int value) { write_setting(name, value); }

std::string option_text(std::string_view name, std::size_t limit) {
  return reg::read_string(HKEY_CURRENT_USER, keys::kOptions, name, limit);
}

std::string text(int number, std::size_t size) { return kestrom::text::load(number, size); }

}  // namespace kestrom::explorer::settings
