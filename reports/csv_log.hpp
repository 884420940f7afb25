// The CSV log's lines ("KestromLog.csv"): the two head lines, the column line and one row per
// item. Pure: the Windows side gathers the rows and writes what these functions return.
#pragma once
#include <string>
#include <string_view>

#include "common/datetext.hpp"

namespace kestrom::reports {

inline constexpr std::string_view kCsvLogName = "KestromLog.csv";

struct CsvRow {
  std::string type, subtype, title, file_name, company, detected, path, description, version;
};

// "Log created by ..." and "Scan saved at ..." lines, then the column line.
std::string csv_head(std::string_view product_title, std::string_view version, const LocalTime& now);
std::string csv_row(const CsvRow& row);

// Type and SubType of a Run-family entry by its location code.
std::string_view run_entry_type(int code) noexcept;
std::string_view run_entry_subtype(int code) noexcept;

}  // namespace kestrom::reports
