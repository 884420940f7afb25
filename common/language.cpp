#include "common/language.hpp"

#include <array>

#include "common/text.hpp"

namespace kestrom {

namespace {

struct LanguageRow {
  std::string_view code;
  int id;
};

// Translations made for code page 1251 name Russian with a Cyrillic word instead of "ru";
// the same word in UTF-8 is what a translation entered under the programs' code page holds.
constexpr std::array<LanguageRow, 22> kLanguages{{
    {"us", 9},
    {"de", 7},
    {"fr", 12},
    {"es", 10},
    {"it", 16},
    {"se", 29},
    {"\xEA\xE0\xEA", 25},
    {"\xCA\xC0\xCA", 25},
    {"\xD0\xBA\xD0\xB0\xD0\xBA", 25},
    {"\xD0\x9A\xD0\x90\xD0\x9A", 25},
    {"ru", 25},
    {"pt", 22},
    {"pl", 21},
    {"no", 20},
    {"gr", 8},
    {"nl", 19},
    {"br", 22},
    {"sq", 28},
    {"tr", 31},
    {"ar", 1},
    {"fi", 11},
    {"cn", 4},
}};

bool is_continuation(char c) noexcept { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
bool is_lead(char c) noexcept { return (static_cast<unsigned char>(c) & 0xC0) == 0xC0; }

std::size_t cut_size(std::size_t size) noexcept {
  if (size == 0) return 0;
  return size - 1 < kOverrideMaxText ? size - 1 : kOverrideMaxText;
}

}  // namespace

int language_id_from_code(std::string_view code) noexcept {
  int id = 0;
  for (const auto& row : kLanguages)
    if (iequals(row.code, code)) id = row.id;  // the last matching row wins
  return id;
}

std::string_view cut_text(std::string_view text, std::size_t max_bytes) noexcept {
  if (text.size() <= max_bytes) return text;
  std::size_t end = max_bytes;
  // Only back off when the bytes really form a UTF-8 sequence; other text is cut where asked.
  std::size_t back = end;
  while (back > 0 && end - back < 3 && is_continuation(text[back])) --back;
  if (back < end && is_continuation(text[end]) && is_lead(text[back])) end = back;
  return text.substr(0, end);
}

std::size_t override_length(std::string_view override_text, std::size_t size) noexcept {
  return cut_text(override_text, cut_size(size)).size();
}

std::string apply_override(std::string_view override_text, std::size_t size) {
  std::string_view cut = cut_text(override_text, cut_size(size));
  std::string out;
  out.reserve(cut.size());
  for (std::size_t i = 0; i < cut.size(); ++i) {
    if (cut[i] == '%' && i + 1 < cut.size() && cut[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else {
      out += cut[i];
    }
  }
  return out;
}

}  // namespace kestrom
