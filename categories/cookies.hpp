// Cookies: the rules that need no system call. The browser kind from the default browser's
// open command, the cookie filter list (Nuts) and its matching, the cookies.txt reader and its
// filter pass, and the expiry units of each store.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

namespace kestrom::cookies {

// Browser kinds as the product stores them.
inline constexpr int kKindExplorer = 1;
inline constexpr int kKindNetscape = 2;
inline constexpr int kKindFirefox = 3;
inline constexpr int kKindMaxthon = 4;
inline constexpr int kKindAvant = 5;  // the cookie routines read the Chrome store for this kind
inline constexpr int kKindMozilla = 6;
inline constexpr int kKindChromeStore = kKindAvant;
// Microsoft Edge keeps the same Chromium store in its own folder. Only the explorer's browser
// choice names it; no default-browser command yields this kind.
inline constexpr int kKindEdgeStore = 7;

inline constexpr std::size_t kMaxFilterText = 511;   // a filter's text, the Nuts value's name
inline constexpr std::size_t kMaxMatchedText = 512;  // longer cookie texts never match
inline constexpr std::size_t kMaxFilters = 256;      // the Add button refuses more
inline constexpr int kFilterAdded = 1;               // Nuts value of a filter the user added
inline constexpr int kFilterCleanedUp = 2;           // Nuts value removed by the clean-up

// The kind named by the default browser's open command; kKindExplorer when none is recognised.
int browser_kind_of_open_command(std::string_view command);

// True when `text` may be added as a filter: not blank and not longer than kMaxFilterText.
// A blank filter would match every cookie.
bool filter_text_acceptable(std::string_view text) noexcept;

struct Filter {
  std::string text;
  int number = 0;
};

// The filters of the Nuts values (name, number text) as the filter pass uses them: blank
// texts and texts too long to be a filter are skipped.
std::vector<Filter> filters_from_values(const std::vector<std::pair<std::string, std::string>>& values);

// Whether the Nuts values whose number is kFilterCleanedUp are to be deleted by the clean-up.
bool filter_cleaned_up(std::string_view number_text) noexcept;

// A cookie text matches when it contains a filter's text in any ASCII letter case; texts longer
// than kMaxMatchedText never match.
bool cookie_matches(std::string_view text, const std::vector<Filter>& filters) noexcept;

// --- Internet Explorer's cookie folder ------------------------------------------------

enum class IeFileStep { Skip, Delete, List };
// What the folder walk does with one entry: system files and names not ending in ".txt" are
// skipped; in a filter pass a file whose name (never its folder, which holds the user's name)
// matches the filters is deleted; every other file is listed.
IeFileStep ie_cookie_file_step(std::string_view file_name, bool system_file, bool filtering,
                               const std::vector<Filter>& filters) noexcept;

// --- Firefox's profiles.ini -----------------------------------------------------------

struct ProfileEntry {
  std::string path;  // backslashes; relative to the Profiles.ini folder when `relative`
  bool relative = true;
};
// The profiles that profiles.ini names, the one in use first: the installation's default
// ([Install...] Default=), then the profile marked Default=1, then the rest in file order.
std::vector<ProfileEntry> profiles_from_ini(std::string_view ini);

// --- cookies.txt (Firefox before version 3, Netscape) ------------------------------------

struct TextCookie {
  std::string domain;  // leading "." dropped
  std::string path;
  bool secure = false;
  std::string expiry;  // as written: seconds since 1970
  std::string name;
  std::string value;
};

// The cookie lines of a whole cookies.txt: comment lines ("#" first) and lines with an empty
// domain are left out. Line ends may be LF or CRLF.
std::vector<TextCookie> parse_cookies_txt(std::string_view content);

// "domain - name", the title of a cookies.txt item.
std::string text_cookie_title(const TextCookie& cookie);

// The filter pass of cookies.txt: the whole content with every line dropped whose text matches
// the filters or whose title is itself the name of a filter (`is_filter_name`). Kept lines are
// copied byte for byte, line ends included.
std::string filter_cookies_txt(std::string_view content, const std::vector<Filter>& filters,
                               const std::function<bool(std::string_view)>& is_filter_name);

// The whole content without the cookie lines that `drop` chooses; every other line, comments
// and lines this reader does not take for cookies included, is copied byte for byte.
std::string remove_text_cookies(std::string_view content, const std::function<bool(const TextCookie&)>& drop);

// --- expiry units ------------------------------------------------------------------------

inline constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
// The last second of the year 9999: Firefox values above it are milliseconds.
inline constexpr std::int64_t kLastSecondOf9999 = 253'402'300'799;

// Seconds since 1970 from Chrome's expires_utc (microseconds since 1601); nullopt for 0, a
// session cookie.
std::optional<std::int64_t> chrome_expiry_seconds(std::int64_t expires_utc) noexcept;
// Seconds since 1970 from Firefox's expiry: seconds in older versions, milliseconds in current
// ones; nullopt for 0.
std::optional<std::int64_t> firefox_expiry_seconds(std::int64_t expiry) noexcept;
// Seconds since 1970 from a cookies.txt expiry field (a 64-bit decimal); nullopt for 0, a
// value that is not a number, or one out of range.
std::optional<std::int64_t> text_expiry_seconds(std::string_view field) noexcept;

// The index of the first title not kept (`kept` asks the keep snapshot); nullopt when every
// cookie is kept. The monitor asks one question per check, whatever the number of new cookies.
std::optional<std::size_t> first_new_cookie(const std::vector<std::string>& titles,
                                            const std::function<bool(std::string_view)>& kept);

// Browser kinds whose cookies are in a Mozilla profile; the monitor remembers them as Firefox.
bool mozilla_family(int kind) noexcept;

// The LIKE pattern that finds `text` anywhere, with "%", "_" and the escape "\" escaped, for
// `LIKE ? ESCAPE '\'`.
std::string like_contains_pattern(std::string_view text);

}  // namespace kestrom::cookies
