#include "reports/report_text.hpp"

#include <cstdio>

namespace kestrom::reports {

std::string html_escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c; break;
    }
  }
  return out;
}

std::string csv_field(std::string_view text, std::string_view lead) {
  std::string value(lead);
  if (!text.empty()) {
    const char first = text.front();
    if (first == '=' || first == '+' || first == '-' || first == '@' || first == '\t' || first == '\r')
      value += '\'';
  }
  value += text;
  if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string report_clock_text(const LocalTime& t) {
  int hour = t.hour % 12;
  if (hour == 0) hour = 12;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%2d:%02d:%02d %s", hour, t.minute, t.second, t.hour >= 12 ? "PM" : "AM");
  return buf;
}

std::string report_date_text(const LocalTime& t) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%2d/%02d/%4d", t.month, t.day, t.year);
  return buf;
}

}  // namespace kestrom::reports
