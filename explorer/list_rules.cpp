#include "explorer/list_rules.hpp"

#include <array>
#include <charconv>
#include <cstdio>

#include "common/datetext.hpp"
#include "common/info_server.hpp"
#include "common/pathtext.hpp"
#include "common/text.hpp"
#include "explorer/page_switch.hpp"
#include "explorer/string_ids.h"

namespace kestrom::explorer {

namespace {


constexpr std::array<ColumnDef, 5> kStartupCols{{{IDS_COL_TITLE, 0.30}, {IDS_COL_COMMAND, 0.16}, {IDS_COL_COMPANY, 0.18},
                                                 {IDS_COL_TYPE, 0.15}, {IDS_COL_FIRST_DETECTED, 0.20}}};
constexpr std::array<ColumnDef, 4> kDelayCols{{{IDS_COL_TITLE, 0.35}, {IDS_COL_COMMAND, 0.30}, {IDS_COL_STATUS, 0.15},
                                               {IDS_COL_DELAY_TIME, 0.20}}};
constexpr std::array<ColumnDef, 6> kActiveXCols{{{IDS_COL_MODULE, 0.30}, {IDS_COL_COMMAND, 0.20}, {IDS_COL_COMPANY, 0.20},
                                                 {IDS_COL_TYPE, 0.10}, {IDS_COL_FIRST_DETECTED, 0.19}, {IDS_COL_CLSID, 0.25}}};
constexpr std::array<ColumnDef, 5> kIEHelperCols{{{IDS_COL_NAME, 0.30}, {IDS_COL_PROGRAM, 0.20}, {IDS_COL_COMPANY, 0.20},
                                                  {IDS_COL_TYPE, 0.09}, {IDS_COL_FIRST_DETECTED, 0.20}}};
constexpr std::array<ColumnDef, 5> kTaskCols{{{IDS_COL_NAME, 0.28}, {IDS_COL_PROGRAM, 0.16}, {IDS_COL_COMPANY, 0.18},
                                              {IDS_COL_NEXT_RUN, 0.18}, {IDS_COL_LAST_RUN, 0.18}}};
constexpr std::array<ColumnDef, 6> kServiceCols{{{IDS_COL_TITLE, 0.30}, {IDS_COL_COMMAND, 0.18}, {IDS_COL_COMPANY, 0.18},
                                                 {IDS_COL_STATUS, 0.09}, {IDS_COL_STARTUP, 0.10}, {IDS_COL_FIRST_DETECTED, 0.20}}};
constexpr std::array<ColumnDef, 4> kActiveTaskCols{{{IDS_COL_MODULE, 0.25}, {IDS_COL_DESCRIPTION, 0.35},
                                                    {IDS_COL_COMPANY, 0.20}, {IDS_COL_FIRST_DETECTED, 0.20}}};
constexpr std::array<ColumnDef, 2> kCookieCols{{{IDS_COL_COOKIES, 0.60}, {IDS_COL_CREATED, 0.39}}};
constexpr std::array<ColumnDef, 5> kCookieDetailCols{{{IDS_COL_COOKIE_NAME, 0.40}, {IDS_COL_EXPIRES, 0.20},
                                                      {IDS_COL_PATH, 0.10}, {IDS_COL_VALUE, 0.20}, {IDS_COL_SSL, 0.09}}};
constexpr std::array<ColumnDef, 6> kFileTypeCols{{{IDS_COL_TITLE, 0.30}, {IDS_COL_EXECUTABLE, 0.17}, {IDS_COL_COMPANY, 0.20},
                                                  {IDS_COL_CLASS, 0.12}, {IDS_COL_EXTENSION, 0.08}, {IDS_COL_TYPE, 0.10}}};
constexpr std::array<ColumnDef, 5> kHiddenCols{{{IDS_COL_MODULE, 0.23}, {IDS_COL_PATH, 0.30}, {IDS_COL_FIRST_DETECTED, 0.20},
                                                {IDS_COL_LAST_WRITTEN, 0.20}, {IDS_COL_TYPE, 0.12}}};
constexpr std::array<ColumnDef, 5> kRecentCols{{{IDS_COL_PROGRAM, 0.30}, {IDS_COL_DESCRIPTION, 0.18}, {IDS_COL_COMPANY, 0.18},
                                                {IDS_COL_TYPE, 0.12}, {IDS_COL_FIRST_DETECTED, 0.21}}};
constexpr std::array<ColumnDef, 4> kHistoryCols{{{IDS_COL_TITLE, 0.35}, {IDS_COL_ACTION, 0.22}, {IDS_COL_COMMAND, 0.22},
                                                 {IDS_COL_DATE_MODIFIED, 0.38}}};

// The C library's reading of a stored number: leading blanks, a sign, then digits.
long long leading_number(std::string_view text) noexcept {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 1000000000LL) return negative ? -value : value;  // far beyond any screen
  }
  return negative ? -value : value;
}

bool digits(std::string_view s) noexcept {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

int to_int(std::string_view s) noexcept {
  int v = 0;
  std::from_chars(s.data(), s.data() + s.size(), v);
  return v;
}

// Splits "a<sep>b<sep>c" into three fields.
bool three_fields(std::string_view text, char sep, std::string_view (&out)[3]) noexcept {
  for (int f = 0; f < 2; ++f) {
    auto p = text.find(sep);
    if (p == std::string_view::npos) return false;
    out[f] = text.substr(0, p);
    text.remove_prefix(p + 1);
  }
  out[2] = text;
  return true;
}

}  // namespace

std::span<const ColumnDef> columns_of(int list_command) noexcept {
  switch (list_command) {
    case cmd::kStartup: return kStartupCols;
    case cmd::kDelayedStart: return kDelayCols;
    case cmd::kActiveX: return kActiveXCols;
    case cmd::kIEHelpers: return kIEHelperCols;
    case cmd::kScheduledTasks: return kTaskCols;
    case cmd::kServices: return kServiceCols;
    case cmd::kActiveTasks: return kActiveTaskCols;
    case cmd::kCookies: return kCookieCols;
    case cmd::kCookieDetail: return kCookieDetailCols;
    case cmd::kFileTypes: return kFileTypeCols;
    case cmd::kHiddenFiles: return kHiddenCols;
    case cmd::kRecent: return kRecentCols;
    case cmd::kHistory: return kHistoryCols;
    default: return {};
  }
}

bool shares_full_width(int list_command) noexcept {
  return list_command == cmd::kScheduledTasks || list_command == cmd::kIEHelpers || list_command == cmd::kActiveX ||
         list_command == cmd::kRecent;
}

std::string column_setting_name(int list_command, int column) {
  return "Column" + std::to_string(list_command) + std::to_string(column);
}

int column_width(std::string_view stored, double share, int base) noexcept {
  if (stored.size() <= kMaxWidthText) {
    long long w = leading_number(stored);
    if (w > 0 && w <= 100000) return static_cast<int>(w);
  }
  if (base < 0) base = 0;
  return static_cast<int>(share * base);
}

int sort_column_limit(int page_command) noexcept {
  if (page_command == cmd::kServices) return 7;
  if (page_command == cmd::kActiveX) return 6;
  return 5;
}

std::string_view sort_setting_name(int page_command) noexcept {
  switch (page_command) {
    case cmd::kStartup: return "SortStartup";
    case cmd::kDelayedStart: return "SortPrograms";
    case cmd::kActiveX: return "SortActiveX";
    case cmd::kIEHelpers: return "SortIEHelper";
    case cmd::kScheduledTasks: return "SortScheduledTask";
    case cmd::kServices: return "SortService";
    case cmd::kActiveTasks: return "SortActiveTask";
    case cmd::kCookies:
    case cmd::kCookieDetail: return "SortCookie";
    case cmd::kFileTypes: return "SortFileType";
    case cmd::kHiddenFiles: return "SortHidden";
    case cmd::kRecent: return "SortRecent";
    case cmd::kHistory: return "SortHistory";
    default: return "";
  }
}

int SortDirections::flag(int column) const noexcept {
  if (column < 0 || static_cast<std::size_t>(column) >= kPositions) return 0;
  return flags_[column];
}

int SortDirections::take(int column) noexcept {
  if (column < 0 || static_cast<std::size_t>(column) >= kPositions) return 0;
  int now = flags_[column];
  flags_[column] = now ? 0 : 1;
  return now;
}

void SortDirections::reset(int first, int last) noexcept {
  for (int c = first; c <= last; ++c)
    if (c >= 0 && static_cast<std::size_t>(c) < kPositions) flags_[c] = 0;
}

std::string first_detected_key(std::string_view date_text) {
  const std::string blank = " ";
  if (date_text.size() < 12) return blank;
  auto space = date_text.find(' ');
  if (space == std::string_view::npos) return blank;
  std::string_view date = date_text.substr(0, space);
  std::string_view time = date_text.substr(space + 1);
  while (!time.empty() && time.front() == ' ') time.remove_prefix(1);

  int year = 0, month = 0, day = 0;
  std::string_view f[3];
  if (three_fields(date, '-', f)) {
    if (digits(f[0]) && f[0].size() == 4) {  // yyyy-MM-dd
      year = to_int(f[0]), month = to_int(f[1]), day = to_int(f[2]);
      if (!digits(f[1]) || !digits(f[2])) return blank;
    } else {  // dd-MMM-yy (the year written with all its digits)
      if (!digits(f[0]) || !digits(f[2])) return blank;
      day = to_int(f[0]), month = month_of_abbreviation(f[1]), year = to_int(f[2]);
    }
  } else if (three_fields(date, '/', f)) {
    if (!digits(f[0]) || !digits(f[1]) || !digits(f[2])) return blank;
    if (f[0].size() == 4) {  // yy/MM/dd with a full year
      year = to_int(f[0]), month = to_int(f[1]), day = to_int(f[2]);
    } else {  // month/day/year
      month = to_int(f[0]), day = to_int(f[1]), year = to_int(f[2]);
    }
  } else {
    return blank;
  }

  auto colon = time.find(':');
  if (colon == std::string_view::npos) return blank;
  std::string_view hh = time.substr(0, colon);
  std::string_view rest = time.substr(colon + 1);
  std::string_view mm = rest.substr(0, rest.find(' '));
  if (!digits(hh) || !digits(mm) || hh.size() > 2 || mm.size() > 2) return blank;
  int hour = to_int(hh), minute = to_int(mm);
  // Noon is written "12:xx AM" and midnight as hour 0, so only a PM text moves on by 12.
  if (contains(rest, "PM")) hour += 12;
  if (year < 0 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59)
    return blank;
  char key[64];
  std::snprintf(key, sizeof key, "%04d%02d%02d%02d%02d", year, month, day, hour, minute);
  return key;
}

std::string file_name_key(std::string_view command) { return std::string(file_name_of_path(command)); }

std::string code_key(int code) { return std::to_string(code); }

std::string delay_key(int seconds) {
  char key[24];
  std::snprintf(key, sizeof key, "%04d", seconds);
  return key;
}

int compare_keys(std::string_view a, std::string_view b) noexcept {
  std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(to_lower_ascii(a[i]));
    unsigned char y = static_cast<unsigned char>(to_lower_ascii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

RowComparator key_comparator(std::function<std::string(int index, int column)> key) {
  return [key = std::move(key)](int a, int b, int column, int flag) {
    const int r = compare_keys(key(a, column), key(b, column));
    return flag ? -r : r;
  };
}

int compare_startup(const StartupKey& a, const StartupKey& b, int flag) {
  const char* prefix = flag ? "aaa" : "zzz";
  std::string ka = a.disabled ? prefix + a.key : a.key;
  std::string kb = b.disabled ? prefix + b.key : b.key;
  std::size_t n = ka.size() < kb.size() ? ka.size() : kb.size();
  ka.resize(n);
  kb.resize(n);
  return flag ? compare_keys(kb, ka) : compare_keys(ka, kb);
}

std::string startup_command_text(std::string_view file, bool through_rundll) {
  std::string out = through_rundll ? "RunDLL32.exe " : "";
  out += file_name_of_path(file);
  return out;
}

std::string help_page_name(int page_command, std::string_view language_code) {
  std::string_view page;
  switch (page_command) {
    case cmd::kStartup: page = "startup.html"; break;
    case cmd::kCookies: page = "cookies.html"; break;
    case cmd::kActiveTasks: page = "tasks.html"; break;
    case cmd::kOptions: page = "options.html"; break;
    case cmd::kServices: page = "services.html"; break;
    case cmd::kScheduledTasks: page = "scheduler.html"; break;
    case cmd::kIEHelpers: page = "bho.html"; break;
    case cmd::kFileTypes: page = "filetype.html"; break;
    case cmd::kHelpMe: page = "helpme.html"; break;
    case cmd::kHiddenFiles: page = "hidden.html"; break;
    case cmd::kDelayedStart: page = "delay.html"; break;
    case cmd::kActiveX: page = "activex.html"; break;
    default: page = "features.html"; break;
  }
  return info_server::localised_help_page(page, language_code);
}

void append_common_menu_end(std::vector<MenuEntry>& entries, int page_command) {
  entries.push_back({0, 0});
  entries.push_back({IDS_MENU_LOOKUP, menu::kLookup});
  if (page_command != cmd::kCookies) entries.push_back({IDS_MENU_LOG, menu::kLog});
  entries.push_back({IDS_MENU_HELP, menu::kHelp});
}

std::vector<MenuEntry> program_menu_head(bool has_note) {
  std::vector<MenuEntry> m{{IDS_MENU_INFO, menu::kInfo}, {IDS_MENU_EXPLORE, menu::kExploreFolder},
                           {IDS_MENU_PROPERTIES, menu::kProperties}};
  if (has_note) m.push_back({IDS_MENU_VIEW_NOTE, menu::kViewNote});
  return m;
}

std::vector<MenuEntry> startup_menu(int code, bool disabled, bool has_note) {
  std::vector<MenuEntry> m = program_menu_head(has_note);
  m.push_back({IDS_MENU_ADD, menu::kAdd});
  // Winlogon entries and the shell extension points cannot be delayed, removed or toggled here.
  if (code < 250) {
    m.push_back({IDS_MENU_MOVE_TO_DELAY, menu::kMoveToDelay});
    m.push_back({0, 0});
    m.push_back({IDS_MENU_REMOVE, menu::kRemove});
    if (disabled)
      m.push_back({IDS_MENU_ENABLE, menu::kEnable});
    else
      m.push_back({IDS_MENU_DISABLE, menu::kDisable});
    m.push_back({IDS_MENU_DELETE_ON_REBOOT, menu::kDeleteOnReboot});
  }
  append_common_menu_end(m, cmd::kStartup);
  return m;
}

std::vector<MenuEntry> browser_page_menu(int page_command, bool has_note) {
  std::vector<MenuEntry> m;
  if (page_command == cmd::kScheduledTasks || page_command == cmd::kIEHelpers) {
    m = program_menu_head(has_note);
    m.push_back({IDS_MENU_REMOVE, menu::kRemove});
    m.push_back({IDS_MENU_DELETE_ON_REBOOT, menu::kDeleteOnReboot});
  }
  append_common_menu_end(m, page_command);
  return m;
}

std::string executable_of_command(std::string_view command) {
  // The program part ends where `command to file` ends it (".EXE", ".DLL"-like names); the
  // folders do not matter for its file name.
  return std::string(file_name_of_path(command_to_file_as_written(command, "", "")));
}

}  // namespace kestrom::explorer
