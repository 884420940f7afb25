// The Options Store: every option with its default, in one table. Pure.
#pragma once
#include <array>
#include <cstddef>
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

struct OptionDef {
  std::string_view name;
  int monitor_default;
  int explorer_default;
};

// The table itself (name and the default each program uses).
const std::array<OptionDef, kOptionCount>& option_table() noexcept;
const OptionDef& option_def(Opt id) noexcept;
int option_default(Opt id, Program program) noexcept;

// The C library's decimal rule used for every stored number: optional blanks and sign,
// leading digits, 0 when there are none. Never overflows (saturates).
int decimal_value(std::string_view text) noexcept;

// All option values of one program, as loaded from the Options Store.
struct Options {
  std::array<int, kOptionCount> values{};
  int operator[](Opt id) const noexcept { return values[static_cast<std::size_t>(id)]; }
  int& operator[](Opt id) noexcept { return values[static_cast<std::size_t>(id)]; }
  static Options defaults(Program program) noexcept;
};

}  // namespace kestrom
