#include <string>

#include "common/product.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"

namespace kestrom {

namespace {
constexpr std::string_view kUpdate = "Update";
}

int read_option(std::string_view name, int default_value) {
  return option_value_from_text(reg::read_string(HKEY_CURRENT_USER, keys::kOptions, name, kOptionTextLimit),
                                default_value);
}

int read_option(Opt id, Program program) { return read_option(option_def(id).name, option_default(id, program)); }

bool write_option(std::string_view name, int value) {
  bool ok = reg::write_string(HKEY_CURRENT_USER, keys::kOptions, name, std::to_string(value));
  // Update is the signal itself: setting it to 1 after the monitor wrote 0 would make the
  // monitor reload its options on every pass.
  if (name != kUpdate) reg::write_string(HKEY_CURRENT_USER, keys::kOptions, kUpdate, "1");
  return ok;
}

bool write_option(Opt id, int value) { return write_option(option_def(id).name, value); }

Options load_all_options(Program program) {
  Options o;
  for (std::size_t i = 0; i < kOptionCount; ++i) o.values[i] = read_option(static_cast<Opt>(i), program);
  return o;
}

void save_all_options(const Options& options) {
  for (Opt id : saved_options()) write_option(id, options[id]);
}

}  // namespace kestrom
