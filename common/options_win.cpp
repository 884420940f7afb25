#include <string>

#include "common/product.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"

namespace kestrom {

int read_setting(std::string_view name, int default_value) {
  return option_value_from_text(reg::read_string(HKEY_CURRENT_USER, keys::kOptions, name, kOptionTextLimit),
                                default_value);
}

int read_option(Opt id, Program program) { return read_setting(option_def(id).name, option_default(id, program)); }

bool write_setting(std::string_view name, int value) {
  bool ok = reg::write_string(HKEY_CURRENT_USER, keys::kOptions, name, std::to_string(value));
  // Update is the signal itself: setting it to 1 after the monitor wrote 0 would make the
  // monitor reload its options on every pass.
  const std::string_view update = option_def(Opt::Update).name;
  if (name != update) reg::write_string(HKEY_CURRENT_USER, keys::kOptions, update, "1");
  return ok;
}

bool write_option(Opt id, int value) { return write_setting(option_def(id).name, value); }

std::array<std::string, 4> read_window_position(WindowFamily family) {
  // Positions are short decimal texts; anything longer is junk and reads as missing.
  constexpr std::size_t kPositionTextLimit = 16;
  std::array<std::string, 4> out;
  const WindowPositionNames& names = window_position_names(family);
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = reg::read_string(HKEY_CURRENT_USER, keys::kProduct, names[i], kPositionTextLimit);
  return out;
}

void write_window_position(WindowFamily family, int left, int top, int width, int height) {
  const WindowPositionNames& names = window_position_names(family);
  const int values[] = {left, top, width, height};
  for (std::size_t i = 0; i < names.size(); ++i)
    reg::write_string(HKEY_CURRENT_USER, keys::kProduct, names[i], std::to_string(values[i]));
}

Options load_all_options(Program program) {
  Options o;
  for (std::size_t i = 0; i < kOptionCount; ++i) o.values[i] = read_option(static_cast<Opt>(i), program);
  return o;
}

void save_all_options(const Options& options) {
  for (Opt id : saved_options()) write_option(id, options[id]);
}

}  // namespace kestrom
