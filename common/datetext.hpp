// Date and time texts in the user's regional style, and other fixed time formats. Pure.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrom {

inline constexpr std::size_t kDateFormatLimit = 24;  // longest short-date / time format name read
inline constexpr std::size_t kDatePartLimit = 11;    // the date and the time are each at most this long

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// "date time" from the user's short-date and time format names (see the format tables).
// Format names not in the tables count as the first of each table ("M/d/yyyy", "h:mm:ss tt").
std::string format_date_text(const LocalTime& t, std::string_view short_date_format, std::string_view time_format);
std::string format_date_part(const LocalTime& t, std::string_view short_date_format);
std::string format_time_part(const LocalTime& t, std::string_view time_format);
// "%04d/%02d/%02d %02d:%02d", the creation-time form.
std::string format_creation_time(const LocalTime& t);
// "Jan".."Dec"; empty for a month outside 1..12.
std::string_view month_abbreviation(int month) noexcept;
// 1..12 for "Jan".."Dec" in any case; 0 for anything else.
int month_of_abbreviation(std::string_view name) noexcept;

}  // namespace kestrom
