#include "categories/setting_watch_win.hpp"

#include <windows.h>

#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/string_ids.h"

namespace kestrom {

namespace {

constexpr std::string_view kIEMain = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr std::string_view kDesktopComponent = "Software\\Microsoft\\Internet Explorer\\Desktop\\Components\\0";
constexpr std::string_view kAutoUpdate = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update";
constexpr std::string_view kPrefixes = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes";
constexpr std::string_view kDefaultPrefix = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\DefaultPrefix";
constexpr std::string_view kPolicies = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr std::string_view kUacNames[] = {"ConsentPromptBehaviorAdmin", "EnableLUA", "PromptOnSecureDesktop"};

constexpr WatchedPage kPages[3] = {
    {kIEMain, "Start Page", "StartPage", IDS_START_PAGE_CHANGED},
    {kIEMain, "Search Page", "SearchPage", IDS_SEARCH_PAGE_CHANGED},
    {kDesktopComponent, "Source", "SourcePage", IDS_DESKTOP_PAGE_CHANGED},
};

std::optional<std::string> read_optional(HKEY root, std::string_view key, std::string_view name) {
  if (!reg::value_exists(root, key, name)) return std::nullopt;
  return reg::read_text(root, key, name, kMaxPageText);
}

}  // namespace

bool vista_or_later() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  // The reported version is the point, not the real one: a program set to run as XP is asked as XP.
  if (!GetVersionExA(&info)) return true;
#pragma GCC diagnostic pop
  constexpr DWORD kLastBeforeVista = 5;
  return info.dwMajorVersion > kLastBeforeVista;
}

const WatchedPage (&watched_pages())[3] { return kPages; }

std::optional<std::string> read_live_page(const WatchedPage& page) {
  return read_optional(HKEY_CURRENT_USER, page.live_key, page.live_name);
}
std::optional<std::string> read_page_copy(const WatchedPage& page) {
  return read_optional(HKEY_CURRENT_USER, keys::kProduct, page.copy_name);
}
bool write_live_page(const WatchedPage& page, std::string_view text) {
  return reg::write_string(HKEY_CURRENT_USER, page.live_key, page.live_name, text);
}
bool write_page_copy(const WatchedPage& page, std::string_view text) {
  return reg::write_string(HKEY_CURRENT_USER, keys::kProduct, page.copy_name, text);
}

int read_live_update_level() { return reg::read_small_number(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions", 0); }
int read_update_level_copy() { return reg::read_small_number(HKEY_CURRENT_USER, keys::kProduct, "AUOptions", -1); }
bool write_live_update_level(int level) {
  return reg::write_number(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions", static_cast<std::uint32_t>(level));
}
bool write_update_level_copy(int level) {
  return reg::write_number(HKEY_CURRENT_USER, keys::kProduct, "AUOptions", static_cast<std::uint32_t>(level));
}

std::string read_live_prefix() { return reg::read_text(HKEY_LOCAL_MACHINE, kPrefixes, "www", kMaxPageText); }
std::string read_prefix_copy(std::string_view when_missing) {
  if (!reg::value_exists(HKEY_CURRENT_USER, keys::kProduct, "wwwPrefix")) return std::string(when_missing);
  return reg::read_text(HKEY_CURRENT_USER, keys::kProduct, "wwwPrefix", kMaxPageText);
}
bool write_live_prefix(std::string_view prefix) {
  return reg::write_string(HKEY_LOCAL_MACHINE, kPrefixes, "www", prefix) &&
         reg::write_string(HKEY_LOCAL_MACHINE, kDefaultPrefix, "", prefix);
}
bool write_prefix_copy(std::string_view prefix) {
  return reg::write_string(HKEY_CURRENT_USER, keys::kProduct, "wwwPrefix", prefix);
}

void take_setting_copies(bool vista_or_later) {
  for (const auto& page : kPages)
    if (!read_page_copy(page)) write_page_copy(page, read_live_page(page).value_or(std::string()));
  if (!update_level_valid(read_update_level_copy())) {
    const int live = read_live_update_level();
    if (live != 0) write_update_level_copy(live);
  }
  if (!vista_or_later) return;
  for (std::string_view name : kUacNames) {
    if (reg::value_exists(HKEY_CURRENT_USER, keys::kProduct, name)) continue;
    const int live = reg::value_exists(HKEY_LOCAL_MACHINE, kPolicies, name)
                         ? reg::read_small_number(HKEY_LOCAL_MACHINE, kPolicies, name, -1)
                         : -1;
    reg::write_number(HKEY_CURRENT_USER, keys::kProduct, name, static_cast<std::uint32_t>(live));
  }
}

}  // namespace kestrom
