// The Options Store: every option with its default, in one table. Pure.
#pragma once
#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace kestrom {

enum class Program { Monitor, Explorer };

// One entry per option, in the order of the options table.
enum class Opt : std::size_t {
  SendHistory, HideRusko, HideStartup, HideIEHelper, HideServices, HideActiveX, HideTasks, HideFileType,
  HideHidden, HideSystemFiles, HideHomePage, Format, ConfirmExit, Sound, History, HideMicrosoftServices,
  HideMicrosoftActiveX, IncludeKillBit, ActiveXListAll, LockFileTypes, ShowAllStartup, NoMicrosoftStartup,
  ShowAlerts, HideRunOnce, MaxCookie, Start, Cookies, Nuts, Tasks, IEHelpers, FileType, StartPage, HostFile,
  Services, Hidden, ActiveX, WinInit, RealtimeStartup, RealtimeIEHelper, RealtimeSysFiles, RealtimeFileType,
  RealtimeStartPage, RealtimeHidden, RealtimeActiveX, RealtimeServices, ViewCookies, ExplorerMenu, TrayIcon,
  Debug, Cleanup, Update, VantFormat, BrowserFailure, Browser, StartTab, nCount, NoteSize,
  Count_
};
inline constexpr std::size_t kOptionCount = static_cast<std::size_t>(Opt::Count_);

// Options are read with this limit: a longer stored text is junk and reads as the default.
inline constexpr std::size_t kOptionTextLimit = 128;
// The note font is the one option kept as text.
inline constexpr std::string_view kNoteFontName = "NoteFont";
inline constexpr std::string_view kNoteFontDefault = "Arial";

struct OptionDef {
  std::string_view name;
  int monitor_default;
  int explorer_default;
};

// The table itself (name and the default each program uses).
const std::array<OptionDef, kOptionCount>& option_table() noexcept;
const OptionDef& option_def(Opt id) noexcept;
int option_default(Opt id, Program program) noexcept;
// The option called `name` (exact spelling), or Opt::Count_ when there is none.
Opt option_by_name(std::string_view name) noexcept;

// The options the explorer writes back when it closes, in the order it writes them.
std::span<const Opt> saved_options() noexcept;

// The C library's decimal rule used for every stored number: optional blanks and sign,
// leading digits, 0 when there are none. Never overflows (saturates).
int decimal_value(std::string_view text) noexcept;

// What an option text reads as: the default when empty, else its decimal value.
int option_value_from_text(std::string_view text, int default_value) noexcept;

// All option values of one program, as loaded from the Options Store.
struct Options {
  std::array<int, kOptionCount> values{};
  int operator[](Opt id) const noexcept { return values[static_cast<std::size_t>(id)]; }
  int& operator[](Opt id) noexcept { return values[static_cast<std::size_t>(id)]; }
  static Options defaults(Program program) noexcept;
};

// The remembered window positions: four values (left, top, width, height) per window family,
// kept in the product key. Reset to English forgets all of them.
using WindowPositionNames = std::array<std::string_view, 4>;
// One entry per family, in the order of window_position_families().
enum class WindowFamily : std::size_t { Sheet, Alert, Info, SysFiles, Cookie, DefaultWarning, AddFileType, Count_ };
std::span<const WindowPositionNames> window_position_families() noexcept;
const WindowPositionNames& window_position_names(WindowFamily family) noexcept;

}  // namespace kestrom
