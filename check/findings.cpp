#include "check/findings.hpp"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "common/text.hpp"
#include "reports/report_text.hpp"

namespace kestrom::check {

std::string_view kind_name(FindingKind kind) noexcept {
  switch (kind) {
    case FindingKind::Changed:
      return "changed";
    case FindingKind::PutBack:
      return "put back";
    case FindingKind::New:
    default:
      return "new";
  }
}

std::vector<CategoryCount> count_findings(const std::vector<std::string>& categories,
                                          const std::vector<Finding>& findings) {
  std::vector<CategoryCount> counts;
  for (const auto& c : categories) counts.push_back({c, 0});
  for (const auto& f : findings) {
    auto at = std::find_if(counts.begin(), counts.end(), [&](const CategoryCount& c) { return c.category == f.category; });
    if (at == counts.end()) {
      counts.push_back({f.category, 0});
      at = counts.end() - 1;
    }
    ++at->count;
  }
  return counts;
}

namespace {

std::string dump_line(const nlohmann::ordered_json& j) {
  // Replacing what is not UTF-8 keeps the line one valid object whatever a name holds.
  return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

std::string json_line(const Finding& f) {
  nlohmann::ordered_json j;
  j["category"] = f.category;
  j["kind"] = kind_name(f.kind);
  j["code"] = f.code;
  j["location"] = f.location;
  j["title"] = f.title;
  j["file"] = f.file;
  j["command"] = f.command;
  j["company"] = f.company;
  j["version"] = f.version;
  j["first_detected"] = f.first_detected;
  // Absent rather than empty: there was no file to hash.
  if (!f.sha256.empty()) j["sha256"] = f.sha256;
  return dump_line(j);
}

std::string json_summary_line(const std::vector<CategoryCount>& counts) {
  nlohmann::ordered_json j;
  nlohmann::ordered_json per = nlohmann::ordered_json::object();
  std::size_t total = 0;
  for (const auto& c : counts) {
    per[c.category] = c.count;
    total += c.count;
  }
  j["summary"] = per;
  j["total"] = total;
  return dump_line(j);
}

namespace {

constexpr std::string_view kCsvColumns[] = {"category", "kind",    "code",           "location", "title", "file",
                                            "command",  "company", "version", "first_detected", "sha256"};

std::string csv_row(const std::vector<std::string>& fields) {
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out += ',';
    out += reports::csv_field(fields[i]);
  }
  out += "\r\n";
  return out;
}

}  // namespace

std::string csv_header_line() {
  std::vector<std::string> heads;
  for (const auto h : kCsvColumns) heads.emplace_back(h);
  return csv_row(heads);
}

std::string csv_line(const Finding& f) {
  return csv_row({f.category, std::string(kind_name(f.kind)), std::to_string(f.code), f.location, f.title, f.file,
                  f.command, f.company, f.version, f.first_detected, f.sha256});
}

std::string csv_summary_line(const std::vector<CategoryCount>& counts) {
  std::string list;
  std::size_t total = 0;
  for (const auto& c : counts) {
    if (!list.empty()) list += ';';
    list += c.category + "=" + std::to_string(c.count);
    total += c.count;
  }
  std::vector<std::string> fields(std::size(kCsvColumns));
  fields[1] = "summary";
  fields[2] = std::to_string(total);
  fields[4] = list;
  return csv_row(fields);
}

namespace {

// Characters, not bytes: continuation bytes of UTF-8 take no room of their own.
std::size_t shown_width(std::string_view text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string one_line(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return out;
}

}  // namespace

std::vector<std::string> table_lines(const std::vector<Finding>& findings, const std::vector<CategoryCount>& counts,
                                     const TableTexts& texts) {
  std::vector<std::string> lines;
  std::size_t total = 0;
  std::string list;
  for (const auto& c : counts) {
    total += c.count;
    if (!list.empty()) list += ", ";
    list += c.category + " " + std::to_string(c.count);
  }
  if (!findings.empty()) {
    std::vector<std::vector<std::string>> rows;
    rows.push_back(texts.heads);
    for (const auto& f : findings)
      rows.push_back({one_line(f.category), std::string(kind_name(f.kind)), one_line(f.location), one_line(f.title),
                      one_line(f.file), one_line(f.company), one_line(f.version), one_line(f.first_detected)});
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
      if (widths.size() < row.size()) widths.resize(row.size(), 0);
      for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], shown_width(row[i]));
    }
    for (const auto& row : rows) {
      std::string line;
      for (std::size_t i = 0; i < row.size(); ++i) {
        line += row[i];
        if (i + 1 < row.size()) line.append(widths[i] - shown_width(row[i]) + 2, ' ');
      }
      while (!line.empty() && line.back() == ' ') line.pop_back();
      lines.push_back(std::move(line));
    }
  } else {
    lines.push_back(texts.nothing);
  }
  lines.push_back(fill_question(fill_question(texts.summary, std::to_string(total)), list));
  return lines;
}

}  // namespace kestrom::check
