#include "explorer/startup_page_rules.hpp"

#include "common/locations.hpp"
#include "common/text.hpp"

namespace kestrom::explorer {

StartupButtons startup_buttons(bool selected, int code, bool disabled) noexcept {
  StartupButtons b;
  if (!selected) return b;
  b.remove_enabled = true;
  b.show_enable = disabled;
  b.toggle_enabled = true;
  if (code == code::kWinlogonUserinit || code == code::kWinlogonShell) {
    b.remove_reads_reset = true;
    b.toggle_enabled = false;
  } else if (code >= code::kDelayLoad && code <= code::kAppInitDlls) {
    b.toggle_enabled = false;
  } else if (code == code::kWinlogonNotify) {
    b.remove_enabled = false;
  }
  return b;
}

std::string added_program_title(std::string_view description, std::string_view product, std::string_view file_name) {
  if (!description.empty()) return std::string(description);
  if (!product.empty()) return std::string(product);
  return std::string(file_name.substr(0, file_name.size() > 4 ? file_name.size() - 4 : 0));
}

std::string added_program_command(std::string_view path) {
  if (path.find(' ') == std::string_view::npos) return std::string(path);
  return "\"" + std::string(path) + "\"";
}

std::optional<std::string> added_value_name(std::string_view title, std::string_view command,
                                            const ExistingValue& existing) {
  for (int n = 1; n <= kMaxAddedNameTries; ++n) {
    std::string name(title);
    if (n > 1) name += " (" + std::to_string(n) + ")";
    auto data = existing(name);
    if (!data) return name;
    if (iequals(*data, command)) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace kestrom::explorer
