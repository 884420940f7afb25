// The help page the monitor opens (the alerts' "helpme.html"): which name is safe to open and
// the address on the vendor's server. Pure.
#pragma once
#include <string>
#include <string_view>

namespace kestrom::monitor {

inline constexpr std::string_view kDefaultHelpPage = "helpme.html";
inline constexpr std::size_t kMaxHelpPageName = 64;

// The page name comes from the string table, which a translation in the registry may
// override: it names a file in the program folder and the last part of a web address, so a
// name with anything but letters, digits, "_", "-" and single dots (or an over-long one) is
// replaced by the default page rather than opened.
std::string checked_help_page(std::string_view page);

// The page on the vendor's server: the base address (no trailing slash), "/" and the page.
std::string help_page_address(std::string_view base, std::string_view page);

// True when the browser command registered for web addresses is the AOL program.
bool is_aol_browser(std::string_view http_open_command) noexcept;

// The AOL program's command: its folder from win.ini ("WAOL" / "AppPath") or, without one, its
// bare name, then "-u" and the quoted address.
std::string aol_command(std::string_view aol_folder, std::string_view address);

}  // namespace kestrom::monitor
