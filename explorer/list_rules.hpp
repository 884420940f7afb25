// Rules of the list pages that need no window: columns and their widths, sort settings, the
// sort keys and the right-click menus. Every list page goes through these.
#pragma once
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrom::explorer {

// ---- Columns -------------------------------------------------------------------------------

struct ColumnDef {
  int title_string;
  double share;  // of the list's width, for a column the user never widened
};

// The columns of a list, named by its Page Command; empty for an unknown list.
std::span<const ColumnDef> columns_of(int list_command) noexcept;

// Lists whose default widths are shares of the whole window rather than of the width left
// beside the vertical scroll bar.
bool shares_full_width(int list_command) noexcept;

// "Column%d%d": the Options value holding a column's width.
std::string column_setting_name(int list_command, int column);

// Longest stored width text read (longer reads as nothing stored).
inline constexpr std::size_t kMaxWidthText = 16;

// The width to give a column: the stored width when it reads as a number above 0, else the
// share of `base` (truncated). Junk, 0 and negative numbers all fall back to the share.
int column_width(std::string_view stored, double share, int base) noexcept;

// ---- Sorting -------------------------------------------------------------------------------

// Clicks on columns at or beyond this index are ignored.
int sort_column_limit(int page_command) noexcept;
// The Options value that remembers the sort column of a page ("" for none).
std::string_view sort_setting_name(int page_command) noexcept;

// Direction flags, one per column position, shared by every list of the program for one run.
class SortDirections {
 public:
  static constexpr std::size_t kPositions = 16;
  int flag(int column) const noexcept;
  // Returns the flag to sort with now and inverts it for the next click.
  int take(int column) noexcept;
  void reset(int first, int last) noexcept;

 private:
  int flags_[kPositions] = {};
};

// Sort keys. Every comparison is case-insensitive over the key texts.
std::string first_detected_key(std::string_view date_text);  // "yyyymmddhhmm" or " "
std::string file_name_key(std::string_view command);         // from the last path separator on
std::string code_key(int code);                              // decimal
std::string delay_key(int seconds);                          // "%04d"
int compare_keys(std::string_view a, std::string_view b) noexcept;
// A page's comparator over one text key per record and column (`key`), compared with
// compare_keys; `flag` 0 ascending, 1 descending. Every page but Startup Programs sorts so.
using RowComparator = std::function<int(int a, int b, int column, int flag)>;
RowComparator key_comparator(std::function<std::string(int index, int column)> key);

// The Startup Programs comparison: disabled entries get a prefix that keeps them after the
// enabled ones in both directions, and a key that begins with the whole other key counts as
// equal to it. `flag` 0 ascending, 1 descending.
struct StartupKey {
  std::string key;
  bool disabled = false;
};
int compare_startup(const StartupKey& a, const StartupKey& b, int flag);

// ---- Text of the lists ---------------------------------------------------------------------

// The Startup list's "Command" column.
std::string startup_command_text(std::string_view file, bool through_rundll);

// ---- Help pages ----------------------------------------------------------------------------

// The help file of a page, with the language prefix unless the interface is "us".
std::string help_page_name(int page_command, std::string_view language_code);

// ---- Right-click menus ---------------------------------------------------------------------

struct MenuEntry {
  int string;   // 0 = separator
  int command;
};

namespace menu {
inline constexpr int kInfo = 1008;
inline constexpr int kExploreFolder = 1201;
inline constexpr int kProperties = 1202;
inline constexpr int kViewNote = 1164;
inline constexpr int kAdd = 1064;
inline constexpr int kMoveToDelay = 1195;
inline constexpr int kRemove = 1003;
inline constexpr int kEnable = 10;
inline constexpr int kDisable = 11;
inline constexpr int kDeleteOnReboot = 1144;
inline constexpr int kLookup = 1067;
inline constexpr int kLog = 9;
inline constexpr int kHelp = 1077;
inline constexpr int kMonitorImage = 1112;
inline constexpr int kShowAll = 1014;
inline constexpr int kClose = 1004;
}  // namespace menu

// The entries every page's menu ends with (the Cookies page has no log entry).
void append_common_menu_end(std::vector<MenuEntry>& entries, int page_command);

// "Info...", "Explore Program Folder", "Open Program Properties..." and, when the item has a
// note, "&View Note...": how the menus of the pages about programs begin.
std::vector<MenuEntry> program_menu_head(bool has_note);

// The Startup Programs page's menu for the selected item.
std::vector<MenuEntry> startup_menu(int code, bool disabled, bool has_note);

// The menus of the Scheduled Tasks, IE Helpers and ActiveX pages for the selected item (the
// ActiveX page has only the common end).
std::vector<MenuEntry> browser_page_menu(int page_command, bool has_note);

// The File Types page's Executable column: the file name of the program an open command
// starts, without its arguments; empty when the command names none.
std::string executable_of_command(std::string_view command);

}  // namespace kestrom::explorer
