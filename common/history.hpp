// The History Log's record format: one line per record, six TAB-separated fields, CR LF.
// Building and reading lines is pure; writing and sending are in history_log.hpp.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/datetext.hpp"

namespace kestrom {

namespace action {
inline constexpr int kStartRemove = 0;
inline constexpr int kStartDisable = 1;
inline constexpr int kStartEnable = 2;
inline constexpr int kIEHelperRemove = 3;
inline constexpr int kTaskRemove = 4;
inline constexpr int kTaskKill = 5;
inline constexpr int kStartAlert = 6;
inline constexpr int kTaskAlert = 7;
inline constexpr int kIEHelperAlert = 8;
inline constexpr int kServiceStop = 9;
inline constexpr int kServiceAutomatic = 10;
inline constexpr int kServiceManual = 11;
inline constexpr int kServiceDisabled = 12;
inline constexpr int kTaskRestore = 13;
inline constexpr int kIEHelperRestore = 14;
inline constexpr int kScheduledTaskRemove = 15;
inline constexpr int kServiceFromAutomatic = 17;
inline constexpr int kServiceFromManual = 18;
inline constexpr int kServiceFromDisabled = 19;
inline constexpr int kServiceFromDisabled2 = 20;
inline constexpr int kResetUserinit = 21;
inline constexpr int kResetShell = 22;
inline constexpr int kRemoveTaskScheduler = 23;
inline constexpr int kRemoveDelayLoad = 24;
inline constexpr int kRemoveShellExecuteHook = 25;
inline constexpr int kRemoveAppInit = 26;
inline constexpr int kHiddenAlert = 28;
inline constexpr int kHiddenDeleteFile = 29;
inline constexpr int kRemoveWinLogonNotify = 30;
inline constexpr int kLogUnknown = 31;
inline constexpr int kFileTypeAlert = 40;
inline constexpr int kFileTypeRestore = 41;
}  // namespace action

inline constexpr std::size_t kMaxHistoryLine = 1023;
inline constexpr std::size_t kMaxActionName = 47;

struct ActionRow {
  int number;
  std::string_view name;
  bool undoable;  // the explorer's History page can undo it ("*" names)
};
// The Action Code table in its order (numbers 12 and 23 appear twice; lookups take the first).
const std::vector<ActionRow>& action_table();
// First row with the number; "LOG_UNKNOWN" for a number outside the table.
std::string_view action_name(int number) noexcept;
// Case-insensitive, first row; LOG_UNKNOWN (31) when the name is in no row.
int action_number_from_name(std::string_view name) noexcept;
// The location type name of the History Log ("TYPE_UNKNOWN" outside the table).
std::string_view history_type_name(int code) noexcept;

// Field 1: "MM/DD/YYYY  h:mm AM|PM"; a date of all zeros gives `never_text` (string 686).
std::string history_time_text(const LocalTime& t, std::string_view never_text);
// TAB, CR and LF inside a field would start a new field or record: they become blanks.
std::string history_field_text(std::string_view text);
// A whole record line with CR LF, cut to kMaxHistoryLine characters before the line end.
std::string history_line(const LocalTime& t, std::string_view never_text, int code, int action,
                         std::string_view title, std::string_view path, std::string_view third);

struct HistoryRecord {
  std::string time;    // field 1 as written
  int action = action::kLogUnknown;
  int code = 3000;     // TYPE_UNKNOWN when the name is in no row
  std::string title;   // at most 127
  std::string path;    // at most 259
  std::string third;   // at most 259
};
// Splits a log's text into records (LF ends a record, CR is dropped, TAB separates fields).
std::vector<HistoryRecord> parse_history(std::string_view text);

// The report request: `server` then the query with every inserted text percent-encoded,
// cut to 511 characters.
std::string percent_encode(std::string_view text);
std::string history_request_url(std::string_view server, std::string_view user, std::string_view id,
                                std::string_view time, std::string_view action, std::string_view type,
                                std::string_view title, std::string_view path);

}  // namespace kestrom
