#include "reports/registry_backup.hpp"

#include <algorithm>
#include <cstdio>

namespace kestrom::reports {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
// The editor continues long hex lines with a trailing backslash; it writes them up to 80 columns.
constexpr std::size_t kHexLineWidth = 76;

bool has_control_character(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 32; });
}

std::string name_part(std::string_view name) {
  if (name.empty()) return "@";
  return "\"" + reg_escape(name) + "\"";
}

std::string hex_form(std::string prefix, std::string_view bytes) {
  std::string out = std::move(prefix);
  std::size_t column = out.size();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned>(static_cast<unsigned char>(bytes[i])));
    out += pair;
    column += 2;
    if (i + 1 == bytes.size()) break;
    out += ',';
    ++column;
    if (column >= kHexLineWidth) {
      out += "\\\r\n  ";
      column = 2;
    }
  }
  out += kLineEnd;
  return out;
}

std::string hex_type(std::uint32_t type) {
  char text[16];
  std::snprintf(text, sizeof text, "hex(%x):", static_cast<unsigned>(type));
  return text;
}

// A string value can be written as quoted text when importing the text gives the same bytes:
// the text, its terminator, nothing after it, and no character that would break the line.
bool quotable(std::string_view data) {
  if (data.empty() || data.back() != '\0') return false;
  const std::string_view text = data.substr(0, data.size() - 1);
  return text.find('\0') == std::string_view::npos && !has_control_character(text);
}

}  // namespace

std::string reg_key_line(std::string_view hive, std::string_view path) {
  std::string line = "[";
  line += hive;
  line += '\\';
  line += path;
  line += ']';
  line += kLineEnd;
  return line;
}

bool reg_key_name_writable(std::string_view name) { return !name.empty() && !has_control_character(name); }

std::string reg_escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

std::optional<std::string> reg_value_line(const BackupValue& value) {
  if (has_control_character(value.name)) return std::nullopt;
  const std::string head = name_part(value.name) + "=";
  switch (value.type) {
    case regtype::kString:
      if (quotable(value.data)) {
        return head + "\"" + reg_escape(std::string_view(value.data).substr(0, value.data.size() - 1)) + "\"" +
               std::string(kLineEnd);
      }
      return hex_form(head + hex_type(value.type), value.utf16);
    case regtype::kExpandString:
    case regtype::kMultiString:
      return hex_form(head + hex_type(value.type), value.utf16);
    case regtype::kDword:
      if (value.data.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(number));
        return head + text + std::string(kLineEnd);
      }
      return hex_form(head + hex_type(value.type), value.data);
    case regtype::kBinary:
      return hex_form(head + "hex:", value.data);
    default:
      return hex_form(head + hex_type(value.type), value.data);
  }
}

}  // namespace kestrom::reports
