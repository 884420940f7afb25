#include "common/options_table.hpp"

#include <climits>

namespace kestrom {

namespace {

constexpr std::array<OptionDef, kOptionCount> kTable{{
    {"SendHistory", 0, 0},
    {"HideRusko", 0, 0},
    {"HideStartup", 0, 0},
    {"HideIEHelper", 0, 0},
    {"HideServices", 0, 0},
    {"HideActiveX", 0, 0},
    {"HideTasks", 0, 0},
    {"HideFileType", 0, 0},
    {"HideHidden", 0, 0},
    {"HideSystemFiles", 0, 0},
    {"HideHomePage", 0, 0},
    {"Format", 0, 0},
    {"ConfirmExit", 0, 0},
    {"Sound", 1, 1},
    {"History", 1, 1},
    {"HideMicrosoftServices", 1, 1},
    {"HideMicrosoftActiveX", 0, 0},
    {"IncludeKillBit", 0, 0},
    {"ActiveXListAll", 0, 0},
    {"LockFileTypes", 0, 0},
    {"ShowAllStartup", 0, 0},
    {"NoMicrosoftStartup", 0, 0},
    {"ShowAlerts", 1, 1},
    {"HideRunOnce", 0, 0},
    // The monitor keeps few cookies per pass; the explorer lists as many as the Item List holds.
    {"MaxCookie", 315, 4096},
    {"Start", 2, 2},
    {"Cookies", 0, 0},
    {"Nuts", 0, 0},
    {"Tasks", 11, 11},
    {"IEHelpers", 2, 2},
    {"FileType", 10, 10},
    {"StartPage", 2, 2},
    {"HostFile", 3, 3},
    {"Services", 7, 7},
    {"Hidden", 0, 0},
    {"ActiveX", 4, 4},
    // Kept and saved with the others; nothing reads it (see "Windows 95, 98 and Me" in HACKING.md).
    {"WinInit", 5, 5},
    {"RealtimeStartup", 1, 1},
    {"RealtimeIEHelper", 1, 1},
    {"RealtimeSysFiles", 1, 1},
    {"RealtimeFileType", 0, 0},
    {"RealtimeStartPage", 1, 1},
    {"RealtimeHidden", 0, 0},
    {"RealtimeActiveX", 1, 1},
    {"RealtimeServices", 1, 1},
    {"ViewCookies", 0, 0},
    {"ExplorerMenu", 1, 1},
    // 159 was the icon of the 9x family; every system these programs run on is of the NT family.
    {"TrayIcon", 101, 101},
    {"Debug", 0, 0},
    {"Cleanup", 0, 0},
    {"Update", 0, 0},
    {"VantFormat", 0, 0},
    {"BrowserFailure", 0, 0},
    {"Browser", 1, 1},
    {"StartTab", 6026, 6026},
    {"nCount", 0, 0},
    {"NoteSize", 14, 14},
}};

constexpr Opt kSaved[] = {
    Opt::SendHistory, Opt::HideRusko, Opt::HideStartup, Opt::HideIEHelper, Opt::HideActiveX,
    Opt::HideServices, Opt::HideFileType, Opt::HideTasks, Opt::HideHidden, Opt::HideSystemFiles,
    Opt::HideHomePage, Opt::Format, Opt::ConfirmExit, Opt::Sound, Opt::History,
    Opt::HideMicrosoftServices, Opt::HideMicrosoftActiveX, Opt::IncludeKillBit, Opt::ActiveXListAll,
    Opt::VantFormat, Opt::LockFileTypes, Opt::ShowAllStartup, Opt::NoMicrosoftStartup, Opt::Start,
    Opt::Cookies, Opt::Nuts, Opt::Tasks, Opt::IEHelpers, Opt::FileType, Opt::StartPage, Opt::HostFile,
    Opt::WinInit, Opt::Services, Opt::Hidden, Opt::ViewCookies, Opt::ActiveX, Opt::RealtimeStartup,
    Opt::RealtimeIEHelper, Opt::RealtimeSysFiles, Opt::RealtimeFileType, Opt::RealtimeStartPage,
    Opt::RealtimeHidden, Opt::RealtimeActiveX, Opt::RealtimeServices, Opt::ExplorerMenu, Opt::ShowAlerts,
    Opt::HideRunOnce,
};

// In the order of WindowFamily.
constexpr WindowPositionNames kPositions[] = {
    {"xPos", "yPos", "dxPos", "dyPos"},
    {"xPosAlert", "yPosAlert", "dxAlert", "dyAlert"},
    {"xInfo", "yInfo", "dxInfo", "dyInfo"},
    {"xPosSysFiles", "yPosSysFiles", "dxSysFiles", "dySysFiles"},
    {"xCookie", "yCookie", "dxCookie", "dyCookie"},
    {"xDefaultWarning", "yDefaultWarning", "dxDefaultWarning", "dyDefaultWarning"},
    {"xPosAddFileType", "yPosAddFileType", "dxPosAddFileType", "dyPosAddFileType"},
};

bool is_blank(char c) noexcept { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

const std::array<OptionDef, kOptionCount>& option_table() noexcept { return kTable; }

const OptionDef& option_def(Opt id) noexcept {
  auto i = static_cast<std::size_t>(id);
  return kTable[i < kOptionCount ? i : 0];
}

int option_default(Opt id, Program program) noexcept {
  const OptionDef& d = option_def(id);
  return program == Program::Explorer ? d.explorer_default : d.monitor_default;
}

Opt option_by_name(std::string_view name) noexcept {
  for (std::size_t i = 0; i < kOptionCount; ++i)
    if (kTable[i].name == name) return static_cast<Opt>(i);
  return Opt::Count_;
}

std::span<const Opt> saved_options() noexcept { return kSaved; }

int decimal_value(std::string_view text) noexcept {
  std::size_t i = 0;
  while (i < text.size() && is_blank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulate as a negative number so that INT_MIN is reachable; saturate instead of overflowing.
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 - (text[i] - '0');
    if (value < static_cast<long long>(INT_MIN) - 1) value = static_cast<long long>(INT_MIN) - 1;
  }
  if (negative) return value < INT_MIN ? INT_MIN : static_cast<int>(value);
  return -value > INT_MAX ? INT_MAX : static_cast<int>(-value);
}

int option_value_from_text(std::string_view text, int default_value) noexcept {
  return text.empty() ? default_value : decimal_value(text);
}

Options Options::defaults(Program program) noexcept {
  Options o;
  for (std::size_t i = 0; i < kOptionCount; ++i) o.values[i] = option_default(static_cast<Opt>(i), program);
  return o;
}

std::span<const WindowPositionNames> window_position_families() noexcept { return kPositions; }

const WindowPositionNames& window_position_names(WindowFamily family) noexcept {
  auto i = static_cast<std::size_t>(family);
  return kPositions[i < std::size(kPositions) ? i : 0];
}

}  // namespace kestrom
