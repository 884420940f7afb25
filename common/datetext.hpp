// Date and time texts in the user's regional style, and other fixed time formats. Pure.
#pragma once
#include <string>
#include <string_view>

namespace kestrom {

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// "date time" from the user's short-date and time format names (see the format tables).
std::string format_date_text(const LocalTime& t, std::string_view short_date_format, std::string_view time_format);
// "%04d/%02d/%02d %02d:%02d", the creation-time form.
std::string format_creation_time(const LocalTime& t);

}  // namespace kestrom
