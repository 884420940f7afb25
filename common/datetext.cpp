#include "common/datetext.hpp"

#include <array>
#include <cstdio>

#include "common/text.hpp"

namespace kestrom {

namespace {

enum class DateForm { MDY4, MDY2, MMDDYY, MMDDYYYY, YMD2, ISO, DMonY };
enum class TimeForm { H12, HH12, H24, HH24 };

struct DateRow {
  std::string_view name;
  DateForm form;
};
struct TimeRow {
  std::string_view name;
  TimeForm form;
};

constexpr std::array<DateRow, 7> kDateForms{{
    {"M/d/yyyy", DateForm::MDY4},
    {"M/d/yy", DateForm::MDY2},
    {"MM/dd/yy", DateForm::MMDDYY},
    {"MM/dd/yyyy", DateForm::MMDDYYYY},
    {"yy/MM/dd", DateForm::YMD2},
    {"yyyy-MM-dd", DateForm::ISO},
    {"dd-MMM-yy", DateForm::DMonY},
}};

constexpr std::array<TimeRow, 4> kTimeForms{{
    {"h:mm:ss tt", TimeForm::H12},
    {"hh:mm:ss tt", TimeForm::HH12},
    {"H:mm:ss", TimeForm::H24},
    {"HH:mm:ss", TimeForm::HH24},
}};

constexpr std::array<std::string_view, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Room for any int fields; the result is cut to the part's limit afterwards.
template <typename... Args>
std::string print(const char* format, Args... args) {
  char buf[96];
  int n = std::snprintf(buf, sizeof buf, format, args...);
  if (n < 0) return {};
  std::string out(buf, static_cast<std::size_t>(n) < sizeof buf ? static_cast<std::size_t>(n) : sizeof buf - 1);
  if (out.size() > kDatePartLimit) out.resize(kDatePartLimit);
  return out;
}

}  // namespace

std::string_view month_abbreviation(int month) noexcept {
  return month >= 1 && month <= 12 ? kMonths[static_cast<std::size_t>(month - 1)] : std::string_view();
}

int month_of_abbreviation(std::string_view name) noexcept {
  for (std::size_t i = 0; i < kMonths.size(); ++i)
    if (iequals(kMonths[i], name)) return static_cast<int>(i) + 1;
  return 0;
}

std::string format_date_part(const LocalTime& t, std::string_view short_date_format) {
  DateForm form = kDateForms[0].form;
  for (const auto& row : kDateForms)
    if (iequals(row.name, short_date_format)) form = row.form;
  // Two-digit year fields still show the whole year: readers of these texts need the century.
  switch (form) {
    case DateForm::MDY4:
    case DateForm::MMDDYYYY:
      return print("%02d/%02d/%04d", t.month, t.day, t.year);
    case DateForm::MDY2:
    case DateForm::MMDDYY:
      return print("%02d/%02d/%02d", t.month, t.day, t.year);
    case DateForm::YMD2:
      return print("%02d/%02d/%02d", t.year, t.month, t.day);
    case DateForm::ISO:
      return print("%04d-%02d-%02d", t.year, t.month, t.day);
    case DateForm::DMonY:
      return print("%02d-%s-%02d", t.day, std::string(month_abbreviation(t.month)).c_str(), t.year);
  }
  return {};
}

std::string format_time_part(const LocalTime& t, std::string_view time_format) {
  TimeForm form = kTimeForms[0].form;
  for (const auto& row : kTimeForms)
    if (iequals(row.name, time_format)) form = row.form;
  // Noon keeps AM and midnight is hour 0: the list pages sort by adding 12 to PM texts only.
  bool pm = t.hour > 12;
  int hour12 = pm ? t.hour - 12 : t.hour;
  switch (form) {
    case TimeForm::H12:
      return print(pm ? "%d:%02d PM" : "%d:%02d AM", hour12, t.minute);
    case TimeForm::HH12:
      return print(pm ? "%02d:%02d PM" : "%02d:%02d AM", hour12, t.minute);
    case TimeForm::H24:
      return print("%d:%02d", t.hour, t.minute);
    case TimeForm::HH24:
      return print("%02d:%02d", t.hour, t.minute);
  }
  return {};
}

std::string format_date_text(const LocalTime& t, std::string_view short_date_format, std::string_view time_format) {
  return format_date_part(t, short_date_format) + " " + format_time_part(t, time_format);
}

std::string format_creation_time(const LocalTime& t) {
  char buf[96];
  int n = std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
  return n < 0 ? std::string() : std::string(buf, static_cast<std::size_t>(n) < sizeof buf ? static_cast<std::size_t>(n) : sizeof buf - 1);
}

}  // namespace kestrom
