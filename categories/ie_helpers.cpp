#include "categories/ie_helpers.hpp"

#include "common/options_table.hpp"
#include "common/pathtext.hpp"
#include "common/text.hpp"

namespace kestrom {

namespace {
constexpr std::string_view kRelatedTitle = "Related";
constexpr std::string_view kRelatedLibrary = "shdoclc.dll";
constexpr std::string_view kMicrosoft = "Microsoft";
constexpr std::uint32_t kOfferedOnly = 2;
}  // namespace

std::optional<std::size_t> find_helper(const std::vector<StartupItem>& items, int code, std::string_view command) {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i].code == code && iequals(items[i].command, command)) return i;
  return std::nullopt;
}

std::string braced_class(std::string_view clsid) {
  if (clsid.starts_with('{')) return std::string(clsid);
  return "{" + std::string(clsid) + "}";
}

std::string helper_title(const HelperVersion& version, std::string_view library) {
  if (!version.product_name.empty()) return version.product_name;
  return std::string(file_name_of_path(library));
}

std::string extension_title(std::string_view button_text, const HelperVersion& version, std::string_view file) {
  if (version.any()) return helper_title(version, file);
  if (contains(button_text, kRelatedLibrary)) return std::string(kRelatedTitle);
  return std::string(button_text);
}

std::string activex_title(std::string_view class_name, const HelperVersion& version, std::string_view library) {
  if (!class_name.empty()) return std::string(class_name);
  if (!version.file_description.empty()) return version.file_description;
  return helper_title(version, library);
}

bool activex_used(std::optional<std::uint32_t> iexplore_type) noexcept {
  return !iexplore_type || *iexplore_type < kOfferedOnly;
}

bool activex_hidden(int hide_microsoft, std::string_view company) noexcept {
  return hide_microsoft > 0 && contains(company, kMicrosoft);
}

bool snapshot_approves(std::string_view stored) noexcept { return decimal_value(stored) != 0; }

}  // namespace kestrom
