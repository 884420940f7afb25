#include "categories/ie_helpers.hpp"

#include "common/text.hpp"

namespace kestrom {

std::optional<std::size_t> find_helper(const std::vector<StartupItem>& items, int code, std::string_view command) {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i].code == code && iequals(items[i].command, command)) return i;
  return std::nullopt;
}

}  // namespace kestrom
