// Text rules the report files share: HTML escaping, CSV fields as RFC 4180 writes them, and the
// reports' fixed clock and date forms. Pure.
#pragma once
#include <string>
#include <string_view>

#include "common/datetext.hpp"

namespace kestrom::reports {

// "&", "<", ">", '"' and "'" as character references, so a text from the system is shown as
// text inside an element or a quoted attribute and never becomes markup.
std::string html_escape(std::string_view text);

// One CSV field: `lead` (a fixed part of the row's template, such as a blank) and the text.
// A text that starts with "=", "+", "-", "@", a tab or a carriage return gets a "'" first, so a
// spreadsheet shows it instead of running it as a formula. The field is quoted when it holds a
// comma, a quote or a line break, with its quotes doubled.
std::string csv_field(std::string_view text, std::string_view lead = {});

// "%2d:%02d:%02d AM|PM" on a 12-hour clock: 00:xx is 12:xx AM and 12:xx is 12:xx PM.
std::string report_clock_text(const LocalTime& t);
// "%2d/%02d/%4d": month, day, year.
std::string report_date_text(const LocalTime& t);

}  // namespace kestrom::reports
