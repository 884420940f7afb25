// The watched single settings on the system: where each lives, where its copy is kept, and the
// first copies taken at start-up by both programs.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "categories/setting_watch.hpp"

namespace kestrom {

// True when the Windows this program runs as (its compatibility version) is Vista or later
// (major version above 5): no Autoexec.bat, Config.sys or HOSTS check, and machine settings are
// put back by the explorer with the rights that needs.
bool vista_or_later();

// A watched page: its live value and the name of its copy in the product key.
struct WatchedPage {
  std::string_view live_key;   // under HKEY_CURRENT_USER
  std::string_view live_name;
  std::string_view copy_name;  // under HKEY_CURRENT_USER\Software\Orvane\Kestrom
  int message;                 // the question's string
};
// Start page, search page, desktop page, in the order they are watched.
const WatchedPage (&watched_pages())[3];

std::optional<std::string> read_live_page(const WatchedPage& page);
std::optional<std::string> read_page_copy(const WatchedPage& page);
bool write_live_page(const WatchedPage& page, std::string_view text);
bool write_page_copy(const WatchedPage& page, std::string_view text);

int read_live_update_level();          // 0 when missing
int read_update_level_copy();          // -1 when missing
bool write_live_update_level(int level);
bool write_update_level_copy(int level);

std::string read_live_prefix();
std::string read_prefix_copy(std::string_view when_missing);
// "www" under ...\URL\Prefixes, then the default value of ...\URL\DefaultPrefix.
bool write_live_prefix(std::string_view prefix);
bool write_prefix_copy(std::string_view prefix);

// At product initialisation: the copies of the pages when missing, the Automatic Update copy
// when it is not 1 to 4 and the live level is not 0, and on Vista and later the User Account
// Control numbers when missing (-1 when the live value is missing too).
void take_setting_copies(bool vista_or_later);

}  // namespace kestrom
