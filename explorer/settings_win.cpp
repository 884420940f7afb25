#include "explorer/settings_win.hpp"

#include "common/product.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/textloader.hpp"

namespace kestrom::explorer::settings {

int option(std::string_view name, int default_value) { return read_option(name, default_value); }

void set_option(std::string_view name, int value) { write_option(name, value); }

std::string option_text(std::string_view name, std::size_t limit) {
  return reg::read_string(HKEY_CURRENT_USER, keys::kOptions, name, limit);
}

std::string product_text(std::string_view name, std::size_t limit) {
  return reg::read_string(HKEY_CURRENT_USER, keys::kProduct, name, limit);
}

void set_product_text(std::string_view name, std::string_view value) {
  reg::write_string(HKEY_CURRENT_USER, keys::kProduct, name, value);
}

std::string text(int number, std::size_t size) { return kestrom::text::load(number, size); }

}  // namespace kestrom::explorer::settings
