#include "categories/cookies.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

#include "common/options_table.hpp"
#include "common/text.hpp"

namespace kestrom::cookies {
namespace {

bool blank(std::string_view text) noexcept {
  return text.find_first_not_of(" \t\r\n\f\v") == std::string_view::npos;
}

// The fields of one cookies.txt line (its line end already removed), split at tabs.
std::vector<std::string_view> fields_of(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  return fields;
}

std::string_view without_line_end(std::string_view line) noexcept {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// A cookie of one line, or nullopt for a comment or a line without a domain.
std::optional<TextCookie> cookie_of_line(std::string_view line) {
  const auto fields = fields_of(without_line_end(line));
  std::string_view domain = fields[0];
  if (domain.starts_with('#')) return std::nullopt;
  if (domain.starts_with('.')) domain.remove_prefix(1);
  if (domain.empty()) return std::nullopt;
  auto field = [&](std::size_t i) { return i < fields.size() ? fields[i] : std::string_view{}; };
  TextCookie cookie;
  cookie.domain = std::string(domain);
  cookie.path = std::string(field(2));
  cookie.secure = field(3) == "TRUE";
  cookie.expiry = std::string(field(4));
  cookie.name = std::string(field(5));
  cookie.value = std::string(field(6));
  return cookie;
}

// Calls `each` with every line of `content`, its line end included.
template <typename F>
void for_each_line(std::string_view content, F&& each) {
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t lf = content.find('\n', start);
    const std::size_t end = lf == std::string_view::npos ? content.size() : lf + 1;
    each(content.substr(start, end - start));
    start = end;
  }
}

}  // namespace

int browser_kind_of_open_command(std::string_view command) {
  struct Rule {
    std::string_view fragment;
    int kind;
  };
  // The order matters: a Mozilla-family command may also name firefox.
  static constexpr std::array<Rule, 6> kRules{{{"iexplore", kKindExplorer},
                                               {"netscp", kKindNetscape},
                                               {"maxthon", kKindMaxthon},
                                               {"avant", kKindAvant},
                                               {"mozilla", kKindMozilla},
                                               {"firefox", kKindFirefox}}};
  for (const Rule& rule : kRules)
    if (contains(command, rule.fragment)) return rule.kind;
  return kKindExplorer;
}

bool filter_text_acceptable(std::string_view text) noexcept {
  return !blank(text) && text.size() <= kMaxFilterText;
}

std::vector<Filter> filters_from_values(const std::vector<std::pair<std::string, std::string>>& values) {
  std::vector<Filter> filters;
  for (const auto& [name, number] : values)
    if (filter_text_acceptable(name)) filters.push_back({name, decimal_value(number)});
  return filters;
}

bool filter_cleaned_up(std::string_view number_text) noexcept {
  return decimal_value(number_text) == kFilterCleanedUp;
}

bool cookie_matches(std::string_view text, const std::vector<Filter>& filters) noexcept {
  if (text.size() > kMaxMatchedText) return false;
  for (const Filter& filter : filters)
    if (contains(text, filter.text)) return true;
  return false;
}

IeFileStep ie_cookie_file_step(std::string_view file_name, bool system_file, bool filtering,
                               const std::vector<Filter>& filters) noexcept {
  if (system_file || file_name.size() < 4 || !iequals(file_name.substr(file_name.size() - 4), ".txt"))
    return IeFileStep::Skip;
  if (filtering && cookie_matches(file_name, filters)) return IeFileStep::Delete;
  return IeFileStep::List;
}

std::vector<ProfileEntry> profiles_from_ini(std::string_view ini) {
  struct Section {
    std::string name, path, is_relative = "1", is_default, install_default;
  };
  std::vector<Section> sections;
  for_each_line(ini, [&](std::string_view line) {
    line = without_line_end(line);
    if (line.starts_with('[') && line.ends_with(']')) {
      Section section;
      section.name = std::string(line.substr(1, line.size() - 2));
      sections.push_back(std::move(section));
      return;
    }
    const std::size_t eq = line.find('=');
    if (sections.empty() || eq == std::string_view::npos) return;
    const std::string_view key = line.substr(0, eq);
    std::string value(line.substr(eq + 1));
    Section& section = sections.back();
    const bool install = section.name.size() >= 7 && iequals(std::string_view(section.name).substr(0, 7), "Install");
    if (iequals(key, "Path")) section.path = value;
    else if (iequals(key, "IsRelative")) section.is_relative = value;
    else if (iequals(key, "Default") && install) section.install_default = value;
    else if (iequals(key, "Default")) section.is_default = value;
  });
  auto entry = [](std::string path, bool relative) {
    for (char& c : path)
      if (c == '/') c = '\\';
    return ProfileEntry{std::move(path), relative};
  };
  std::vector<ProfileEntry> first, marked, rest;
  for (const Section& s : sections) {
    if (!s.install_default.empty()) first.push_back(entry(s.install_default, true));
    const bool profile = s.name.size() >= 7 && iequals(std::string_view(s.name).substr(0, 7), "Profile");
    if (!profile || s.path.empty()) continue;
    (s.is_default == "1" ? marked : rest).push_back(entry(s.path, s.is_relative != "0"));
  }
  for (auto* more : {&marked, &rest})
    for (ProfileEntry& e : *more) {
      const bool seen = std::any_of(first.begin(), first.end(), [&](const ProfileEntry& f) { return iequals(f.path, e.path); });
      if (!seen) first.push_back(std::move(e));
    }
  return first;
}

std::vector<TextCookie> parse_cookies_txt(std::string_view content) {
  std::vector<TextCookie> cookies;
  for_each_line(content, [&](std::string_view line) {
    if (auto cookie = cookie_of_line(line)) cookies.push_back(std::move(*cookie));
  });
  return cookies;
}

std::string text_cookie_title(const TextCookie& cookie) { return cookie.domain + " - " + cookie.name; }

std::string filter_cookies_txt(std::string_view content, const std::vector<Filter>& filters,
                               const std::function<bool(std::string_view)>& is_filter_name) {
  std::string kept;
  kept.reserve(content.size());
  for_each_line(content, [&](std::string_view line) {
    if (cookie_matches(without_line_end(line), filters)) return;
    if (auto cookie = cookie_of_line(line); cookie && is_filter_name && is_filter_name(text_cookie_title(*cookie)))
      return;
    kept.append(line);
  });
  return kept;
}

std::string remove_text_cookies(std::string_view content, const std::function<bool(const TextCookie&)>& drop) {
  std::string kept;
  kept.reserve(content.size());
  for_each_line(content, [&](std::string_view line) {
    if (auto cookie = cookie_of_line(line); cookie && drop(*cookie)) return;
    kept.append(line);
  });
  return kept;
}

std::optional<std::int64_t> chrome_expiry_seconds(std::int64_t expires_utc) noexcept {
  if (expires_utc == 0) return std::nullopt;
  // Division first: the microseconds of year 9999 are near the top of the 64-bit range.
  return expires_utc / 1'000'000 - kSecondsFrom1601To1970;
}

std::optional<std::int64_t> firefox_expiry_seconds(std::int64_t expiry) noexcept {
  if (expiry == 0) return std::nullopt;
  if (expiry > kLastSecondOf9999) return expiry / 1000;
  return expiry;
}

std::optional<std::int64_t> text_expiry_seconds(std::string_view field) noexcept {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (error != std::errc{} || end != field.data() + field.size() || value == 0) return std::nullopt;
  return value;
}

std::optional<std::size_t> first_new_cookie(const std::vector<std::string>& titles,
                                            const std::function<bool(std::string_view)>& kept) {
  for (std::size_t i = 0; i < titles.size(); ++i)
    if (!kept(titles[i])) return i;
  return std::nullopt;
}

bool mozilla_family(int kind) noexcept {
  return kind == kKindNetscape || kind == kKindFirefox || kind == kKindMozilla;
}

std::string like_contains_pattern(std::string_view text) {
  std::string pattern = "%";
  for (char c : text) {
    if (c == '%' || c == '_' || c == '\\') pattern += '\\';
    pattern += c;
  }
  pattern += '%';
  return pattern;
}

}  // namespace kestrom::cookies
