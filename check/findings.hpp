// What the check found and how it is written: one finding per line as a readable table, as
// JSON Lines or as RFC 4180 CSV rows, and a last line that counts the findings per category.
// Every text here is UTF-8. Pure.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrom::check {

// What the monitor would have asked about.
enum class FindingKind {
  New,      // an entry not in the approved snapshot
  Changed,  // an association or setting that differs from its record
  PutBack,  // a delayed program that put itself back into a startup place
};
std::string_view kind_name(FindingKind kind) noexcept;

struct Finding {
  std::string category;  // the category's name as --category takes it
  FindingKind kind = FindingKind::New;
  int code = 0;              // location code
  std::string location;      // the location code's name ("CURRENT_RUN")
  std::string title;
  std::string file;
  std::string command;
  std::string company;
  std::string version;
  std::string first_detected;  // date text of the First-Detected Register; empty when not noted
  std::string sha256;          // lower-case hex digest of the file; empty when there is no file
};

// The number of findings of each category, in the order the categories were checked.
struct CategoryCount {
  std::string category;
  std::size_t count = 0;
};
std::vector<CategoryCount> count_findings(const std::vector<std::string>& categories,
                                          const std::vector<Finding>& findings);

// ---- JSON Lines ----------------------------------------------------------------------------
// One object on one line, with no line break inside (texts are escaped by the JSON library;
// bytes that are not UTF-8 become U+FFFD rather than making the line unreadable).
std::string json_line(const Finding& finding);
// {"summary": {...counts...}, "total": n}
std::string json_summary_line(const std::vector<CategoryCount>& counts);

// ---- CSV (RFC 4180) --------------------------------------------------------------------------
// The column line, then one row per finding; fields are quoted where they must be, and a text
// a spreadsheet would run as a formula is made safe. Lines end with CR LF.
std::string csv_header_line();
std::string csv_line(const Finding& finding);
// A row of the same columns: kind "summary", the counts in the title as "Name=n;...".
std::string csv_summary_line(const std::vector<CategoryCount>& counts);

// ---- Readable table --------------------------------------------------------------------------
struct TableTexts {
  // Column heads: category, kind, location, title, file, company, version, first detected.
  std::vector<std::string> heads;
  std::string summary;  // "%d findings: %s", the total and the per-category list
  std::string nothing;  // said when nothing was found
};
// Columns as wide as their longest text (counted in characters, not bytes); a text with a
// line break or control character has it shown as a blank so each finding stays one line.
std::vector<std::string> table_lines(const std::vector<Finding>& findings, const std::vector<CategoryCount>& counts,
                                     const TableTexts& texts);

}  // namespace kestrom::check
