#include "common/history.hpp"

#include <cstdio>

#include "common/locations.hpp"
#include "common/text.hpp"

namespace kestrom {

namespace {

const std::vector<ActionRow> kActions{
    {0, "*START_Remove", true},
    {1, "START_Disable", false},
    {2, "START_Enable", false},
    {3, "IEHELPER_Remove", false},
    {4, "TASK_Remove", false},
    {5, "TASK_Kill", false},
    {6, "START_Alert", false},
    {7, "TASK_Alert", false},
    {8, "IEHELPER_Alert", false},
    {9, "SERVICE_Stop", false},
    {10, "SERVICE_Automatic", false},
    {11, "SERVICE_Manual", false},
    {12, "SERVICE_Disabled", false},
    {12, "START_Restore", false},
    {13, "TASK_Restore", false},
    {14, "IEHELPER_Restore", false},
    {15, "ScheduledTask_Remove", false},
    {17, "SERVICE_from_Automatic", false},
    {18, "SERVICE_from_Manual", false},
    {19, "SERVICE_from_Disabled", false},
    {20, "SERVICE__from_Disabled", false},
    {21, "RESET_USERINIT", false},
    {22, "RESET_SHELL", false},
    {23, "REMOVE_TaskScheduler", false},
    {24, "REMOVE_DELAYLOAD", false},
    {23, "REMOVE_TASKSCHEDULER", false},
    {25, "REMOVE_SHELLEXECUTEHOOK", false},
    {26, "REMOVE_APPINIT", false},
    {28, "HIDDEN_Alert", false},
    {29, "*HIDDEN_DeleteFile", true},
    {30, "REMOVE_WinLogonNotify", false},
    {31, "LOG_UNKNOWN", false},
    // File type associations: the change alert and an association put back.
    {40, "FILETYPE_Alert", false},
    {41, "FILETYPE_Restore", false},
};

constexpr char kHex[] = "0123456789ABCDEF";
constexpr std::size_t kMaxReadTitle = 127;
constexpr std::size_t kMaxReadPath = 259;

std::string cut(std::string_view s, std::size_t n) { return std::string(s.substr(0, n)); }

}  // namespace

const std::vector<ActionRow>& action_table() { return kActions; }

std::string_view action_name(int number) noexcept {
  for (const auto& row : kActions)
    if (row.number == number) return row.name;
  return "LOG_UNKNOWN";
}

int action_number_from_name(std::string_view name) noexcept {
  for (const auto& row : kActions)
    if (iequals(row.name, name)) return row.number;
  return action::kLogUnknown;
}

std::string_view history_type_name(int code) noexcept { return location_name(code); }

std::string history_time_text(const LocalTime& t, std::string_view never_text) {
  if (t.year == 0 && t.month == 0 && t.day == 0) return std::string(never_text);
  unsigned hour12 = static_cast<unsigned>(t.hour % 12);
  if (hour12 == 0) hour12 = 12;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02u/%02u/%04u  %u:%02u %s", static_cast<unsigned>(t.month),
                static_cast<unsigned>(t.day), static_cast<unsigned>(t.year), hour12, static_cast<unsigned>(t.minute),
                t.hour >= 12 ? "PM" : "AM");
  return buf;
}

std::string history_field_text(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return out;
}

std::string history_line(const LocalTime& t, std::string_view never_text, int code, int action,
                         std::string_view title, std::string_view path, std::string_view third) {
  std::string line = history_time_text(t, never_text);
  line += '\t';
  line += cut(action_name(action), kMaxActionName);
  line += '\t';
  line += cut(history_type_name(code), kMaxActionName);
  line += '\t';
  line += history_field_text(title);
  line += '\t';
  line += history_field_text(path);
  line += '\t';
  line += history_field_text(third);
  // The line end always survives the cut, so a long record never swallows the next one.
  if (line.size() > kMaxHistoryLine - 2) line.resize(kMaxHistoryLine - 2);
  line += "\r\n";
  return line;
}

std::vector<HistoryRecord> parse_history(std::string_view text) {
  std::vector<HistoryRecord> out;
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;

    std::vector<std::string_view> fields;
    std::size_t f = 0;
    while (true) {
      auto tab = line.find('\t', f);
      fields.push_back(line.substr(f, tab == std::string_view::npos ? std::string_view::npos : tab - f));
      if (tab == std::string_view::npos) break;
      f = tab + 1;
    }
    fields.resize(6);
    HistoryRecord r;
    r.time = std::string(fields[0]);
    r.action = action_number_from_name(fields[1]);
    r.code = location_code_from_name(fields[2]).value_or(code::kTypeUnknown);
    r.title = cut(fields[3], kMaxReadTitle);
    r.path = cut(fields[4], kMaxReadPath);
    r.third = cut(fields[5], kMaxReadPath);
    out.push_back(std::move(r));
  }
  return out;
}

std::string percent_encode(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                 c == '_' || c == '.' || c == '~';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string history_request_url(std::string_view server, std::string_view user, std::string_view id,
                                std::string_view time, std::string_view action, std::string_view type,
                                std::string_view title, std::string_view path) {
  constexpr std::size_t kMaxUrl = 511;
  std::string url(server);
  const std::pair<std::string_view, std::string_view> parts[] = {{"&name=", user},   {"&code=", id},
                                                                 {"&time=", time},   {"&action=", action},
                                                                 {"&type=", type},   {"&title=", title},
                                                                 {"&path=", path}};
  for (const auto& [key, value] : parts) {
    url += key;
    url += percent_encode(value);
  }
  if (url.size() > kMaxUrl) url.resize(kMaxUrl);
  return url;
}

}  // namespace kestrom
