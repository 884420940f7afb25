// The Startup Location Codes: one number space naming where an item lives (1 to 256 startup
// places) or what kind of item it is (the other categories), with the names written to the
// History Log, the short tags of the explorer's list and the location texts. Every category
// and the History Log use them, so they sit below all categories; where a startup place keeps
// its entries is in startup/places.hpp. Pure.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "common/run_keys.hpp"

namespace kestrom {

namespace code {
inline constexpr int kMachineBase = 0;   // HKLM Run family: 1..7
inline constexpr int kCurrentBase = 10;  // HKCU Run family: 11..17
inline constexpr int kWow64Base = 20;    // HKLM\Software\Wow6432Node Run family: 21..27
inline constexpr int kMachineRun = 1;
inline constexpr int kCurrentRun = 11;
inline constexpr int kWow64Run = 21;
inline constexpr int kWinLoad = 100;
inline constexpr int kWinRun = 101;
inline constexpr int kGroupStartup = 200;
inline constexpr int kWinlogonUserinit = 250;
inline constexpr int kWinlogonShell = 251;
inline constexpr int kDelayLoad = 252;
inline constexpr int kTaskScheduler = 253;
inline constexpr int kShellExecuteHook = 254;
inline constexpr int kAppInitDlls = 255;
inline constexpr int kWinlogonNotify = 256;
inline constexpr int kInfoCookie = 500;
inline constexpr int kCookieEntry = 504;  // a cookie of a cookies.txt or SQLite store
inline constexpr int kInfoTask = 600;
inline constexpr int kTaskScheduled = 800;
inline constexpr int kTypeBho = 900;
inline constexpr int kTypeToolbar = 901;
inline constexpr int kTypeUnknown = 3000;
inline constexpr int kRemovedMarker = 1103;  // snapshot data of an entry taken out to be delayed
}  // namespace code

inline constexpr std::size_t kMaxLocationName = 47;
inline constexpr std::size_t kMaxLocationText = 511;

// Upper-case name for the History Log; "TYPE_UNKNOWN" for a code outside the name table.
std::string_view location_name(int code) noexcept;
// Reverse lookup (case-insensitive, first row); nullopt when the name is in no row.
std::optional<int> location_code_from_name(std::string_view name) noexcept;
// Short tag of the explorer's startup list; empty for codes that show none.
std::string_view short_tag(int code) noexcept;
// The fixed location text of a code (no string-table entry); empty when it has none.
std::string location_table_text(int code);
// String-table number of a category's location text (724, 725, 726), 0 when none.
int location_text_string(int code) noexcept;
// The explorer's location text. `string_text` is the loaded text of location_text_string
// (used for 800, 900, 901); `disabled_word` is string 626, put first when `disabled`.
std::string location_text(int code, bool disabled, std::string_view disabled_word, std::string_view string_text);

// Run family: codes 1..7, 11..17, 21..27, one pass of kRunKeysPerPass keys per base.
bool is_run_family(int code) noexcept;
// The key of a Run-family code inside its pass; nullopt for other codes.
std::optional<RunKey> run_key_of(int code) noexcept;

}  // namespace kestrom
