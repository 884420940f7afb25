// Pages on the information server: the program information lookup (the page about one program
// file, with what the program knows about it as query parameters), the help pages, and the
// rule that hands an address to the AOL program when that is the user's browser. Pure.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrom::info_server {

// Lookup types: where a request comes from.
inline constexpr int kFromCommandLineExe = 460;
inline constexpr int kFromCommandLineDll = 470;
inline constexpr int kFromAlertBase = 1000;  // + the item's location code
inline constexpr int kFromFileTypes = 1400;

inline constexpr std::size_t kMaxAddress = 259;
// The information service's base address lives in this value under the product key (HKLM)
// so a site can point its users at its own mirror.
inline constexpr std::string_view kServerValue = "InfoServer";
inline constexpr std::string_view kDefaultServer = "https://www.orvane.com";

// Report: the program report's link per item (the basic form's fields without "&ext=").
enum class Form { Basic, DataCollecting, Report };

// What the request says about the program. Every text may be empty.
struct Facts {
  int type = 0;
  std::string file_name;  // the program file's name (no folder)
  std::string path;       // the path as given (data-collecting form only)
  std::string company, product_version, product_name, copyright, description;
  std::string build;     // "<monitor version>[:<explorer version>]"
  std::string created, detected, size;
};

// Blanks become "%20" and "&" becomes "+", as the service has always read them. Every other
// byte that could end or forge a query field ("#", "%", "?", "+", "=", quotes, controls and
// non-ASCII bytes) is percent-encoded so a hostile file or company name cannot add a field.
std::string escape_for_query(std::string_view text);

// "en", or "de" for interface language 7 and "fr" for 12 (basic form).
std::string_view basic_language(int language_id) noexcept;

// The base to use: the configured one when it is an http or https address (without trailing
// slashes), else the default. Anything else could make the shell run a local program.
std::string server_base(std::string_view configured);

// The full address, cut to kMaxAddress characters (never in the middle of an escape).
// `language` is the basic form's code or, for the data-collecting form, the code of string 634
// ("en" when empty).
std::string build_address(std::string_view base, Form form, const Facts& facts, std::string_view language);

// The build text from the two programs' product versions.
std::string build_text(std::string_view monitor_version, bool explorer_present, std::string_view explorer_version);

// ---- Help pages ----
inline constexpr std::string_view kDefaultHelpPage = "helpme.html";
inline constexpr std::size_t kMaxHelpPageName = 64;

// A help page in the interface language: the page preceded by the language code (string 634)
// and "_", unless the code is "us".
std::string localised_help_page(std::string_view page, std::string_view language_code);

// The page name comes partly from the string table, which a translation in the registry may
// override: it names a file in the program folder and the last part of a web address, so a
// name with anything but letters, digits, "_", "-" and single dots (or an over-long one) is
// replaced by the default page rather than opened.
std::string checked_help_page(std::string_view page);

// The page on the server: the base address (no trailing slash), "/" and the page.
std::string help_page_address(std::string_view base, std::string_view page);

// ---- The AOL rule ----
// True when the browser command registered for web addresses is the AOL program.
bool is_aol_browser(std::string_view http_open_command) noexcept;

// The AOL program's command: its folder from win.ini ("WAOL" / "AppPath") or, without one, its
// bare name, then "-u" and the quoted address.
std::string aol_command(std::string_view aol_folder, std::string_view address);

}  // namespace kestrom::info_server
