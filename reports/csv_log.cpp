#include "reports/csv_log.hpp"

#include "reports/report_text.hpp"

namespace kestrom::reports {

namespace {

// The fields the log has always written with blanks in place of commas.
std::string without_commas(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == ',') c = ' ';
  return out;
}

}  // namespace

std::string csv_head(std::string_view product_title, std::string_view version, const LocalTime& now) {
  std::string out = csv_field("Log created by " + std::string(product_title) + " version " + std::string(version));
  out += "\r\n";
  out += "Scan saved at " + report_clock_text(now) + ", on " + report_date_text(now);
  out += "\r\n";
  out += "Type,SubType,Title,Filename,Company,First Detected,Path,Description, Version\r\n";
  return out;
}

std::string csv_row(const CsvRow& r) {
  std::string out = csv_field(r.type);
  out += ',' + csv_field(r.subtype);
  out += ',' + csv_field(r.title);
  // The template's blank after the third comma stays part of the Filename field.
  out += ',' + csv_field(without_commas(r.file_name), " ");
  out += ',' + csv_field(without_commas(r.company));
  out += ',' + csv_field(r.detected);
  out += ',' + csv_field(r.path);
  out += ',' + csv_field(without_commas(r.description));
  out += ',' + csv_field(without_commas(r.version));
  out += "\r\n";
  return out;
}

std::string_view run_entry_type(int code) noexcept {
  // 21..26 are the Run family under HKLM\Software\Wow6432Node: HKLM as well.
  if ((code >= 1 && code <= 6) || (code >= 21 && code <= 26)) return "HKLM";
  if (code >= 11 && code <= 16) return "HKCU";
  return "UnknownKey";
}

std::string_view run_entry_subtype(int code) noexcept {
  if (code < 1 || code > 26) return "Run";
  switch (code % 10) {
    case 2: return "RunOnce";
    case 3: return "RunOnceEx";
    case 4: return "RunServices";
    case 5: return code == 25 ? "RunServiceOnce" : "RunServicesOnce";
    case 6: return "RunOnceSetup";
    default: return "Run";
  }
}

}  // namespace kestrom::reports
