#include "check/policy.hpp"

#include <limits>
#include <nlohmann/json.hpp>

#include "categories/file_types.hpp"
#include "categories/setting_watch.hpp"
#include "common/locations.hpp"
#include "startup/snapshot.hpp"

namespace kestrom::check {

namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

// The document is four levels deep; anything far deeper is not ours, and refusing it before the
// parser runs keeps a hostile nesting from costing stack or time.
constexpr std::size_t kMaxNesting = 16;

constexpr std::string_view kFormatMember = "format";
constexpr std::string_view kVersionMember = "version";
constexpr std::string_view kWatchedMember = "watched";
constexpr std::string_view kAssociationsMember = "associations";

struct SourceName {
  int source;
  std::string_view name;
};
constexpr SourceName kSourceNames[] = {
    {file_types::kMachineClass, "machine_class"},
    {file_types::kApplication, "application"},
    {file_types::kProgId, "prog_id"},
};

// ---- writing

bool all_utf8(std::initializer_list<std::string_view> texts) {
  for (auto t : texts)
    if (!valid_utf8(t)) return false;
  return true;
}

OrderedJson coded_entries(const std::vector<CodedApproval>& entries, std::size_t& left_out) {
  OrderedJson out = OrderedJson::array();
  for (const auto& e : entries) {
    if (!all_utf8({e.name})) {
      ++left_out;
      continue;
    }
    OrderedJson entry = {{"name", e.name}, {"code", e.code}};
    // The location's name for readers, only where it names this code again on reading.
    const std::string_view location = location_name(e.code);
    if (location_code_from_name(location) == e.code) entry["location"] = std::string(location);
    out.push_back(std::move(entry));
  }
  return out;
}

// ---- reading: every check names where the document went wrong

class Refusal {
 public:
  Refusal(PolicyError error, std::string where) : error_(error), where_(std::move(where)) {}
  PolicyError error() const noexcept { return error_; }
  const std::string& where() const noexcept { return where_; }

 private:
  PolicyError error_;
  std::string where_;
};

std::string at(std::string_view member, std::size_t index) {
  return std::string(member) + "[" + std::to_string(index) + "]";
}

[[noreturn]] void bad_entry(const std::string& where) { throw Refusal(PolicyError::BadEntry, where); }

// A text that names something in the registry: present, not empty, no NUL (the registry's
// names end at one), not longer than `limit`.
std::string name_text(const Json& entry, std::string_view field, const std::string& where,
                      std::size_t limit = kMaxPolicyName) {
  auto it = entry.find(field);
  if (it == entry.end() || !it->is_string()) bad_entry(where + "." + std::string(field));
  const auto& text = it->get_ref<const std::string&>();
  if (text.empty() || text.size() > limit || text.find('\0') != std::string::npos)
    bad_entry(where + "." + std::string(field));
  return text;
}

// A text that may be missing or empty; no NUL either.
std::string optional_text(const Json& entry, std::string_view field, const std::string& where,
                          std::size_t limit = kMaxPolicyName) {
  auto it = entry.find(field);
  if (it == entry.end()) return {};
  if (!it->is_string()) bad_entry(where + "." + std::string(field));
  const auto& text = it->get_ref<const std::string&>();
  if (text.size() > limit || text.find('\0') != std::string::npos) bad_entry(where + "." + std::string(field));
  return text;
}

int integer(const Json& entry, std::string_view field, const std::string& where) {
  auto it = entry.find(field);
  if (it == entry.end() || !it->is_number_integer()) bad_entry(where + "." + std::string(field));
  if (it->is_number_unsigned()) {
    auto u = it->get<std::uint64_t>();
    if (u > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) bad_entry(where + "." + std::string(field));
    return static_cast<int>(u);
  }
  auto v = it->get<std::int64_t>();
  if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
    bad_entry(where + "." + std::string(field));
  return static_cast<int>(v);
}

const Json& array_member(const Json& member, std::string_view name) {
  if (!member.is_array()) throw Refusal(PolicyError::BadMember, std::string(name));
  return member;
}

const Json& entry_object(const Json& entry, const std::string& where) {
  if (!entry.is_object()) bad_entry(where);
  return entry;
}

// An entry approving a name with a location code. `accepts` is the category's rule for a code
// that approves; "location" is there for readers, but when present it must name the same code.
std::vector<CodedApproval> read_coded(const Json& member, std::string_view name, bool (*accepts)(int)) {
  std::vector<CodedApproval> out;
  std::size_t i = 0;
  for (const auto& raw : array_member(member, name)) {
    const std::string where = at(name, i++);
    const Json& entry = entry_object(raw, where);
    CodedApproval e{name_text(entry, "name", where), integer(entry, "code", where)};
    if (!accepts(e.code)) bad_entry(where + ".code");
    auto location = entry.find("location");
    if (location != entry.end()) {
      if (!location->is_string()) bad_entry(where + ".location");
      auto named = location_code_from_name(location->get_ref<const std::string&>());
      if (named && *named != e.code) bad_entry(where + ".location");
    }
    out.push_back(std::move(e));
  }
  return out;
}

bool approves_startup(int code) { return snapshot_accepts(code); }
// The other categories' snapshots approve with any number but 0.
bool approves_nonzero(int code) { return code != 0; }

std::vector<std::string> read_activex(const Json& member) {
  std::vector<std::string> out;
  std::size_t i = 0;
  for (const auto& raw : array_member(member, kActiveXMember)) {
    const std::string where = at(kActiveXMember, i++);
    out.push_back(name_text(entry_object(raw, where), "class", where));
  }
  return out;
}

std::vector<HiddenApproval> read_hidden(const Json& member) {
  std::vector<HiddenApproval> out;
  std::size_t i = 0;
  for (const auto& raw : array_member(member, kHiddenFilesMember)) {
    const std::string where = at(kHiddenFilesMember, i++);
    const Json& entry = entry_object(raw, where);
    out.push_back({name_text(entry, "path", where), optional_text(entry, "approved", where, kMaxPageText)});
  }
  return out;
}

void read_file_types(const Json& member, Policy& policy) {
  const std::string name(kFileTypesMember);
  if (!member.is_object()) throw Refusal(PolicyError::BadMember, name);
  for (auto it = member.begin(); it != member.end(); ++it)
    if (it.key() != kWatchedMember && it.key() != kAssociationsMember)
      throw Refusal(PolicyError::BadMember, name + "." + it.key());
  if (auto watched = member.find(kWatchedMember); watched != member.end()) {
    const std::string list_name = name + "." + std::string(kWatchedMember);
    if (!watched->is_array()) throw Refusal(PolicyError::BadMember, list_name);
    std::size_t i = 0;
    for (const auto& ext : *watched) {
      const std::string where = at(list_name, i++);
      if (!ext.is_string() || !file_types::valid_extension(file_types::bare(ext.get_ref<const std::string&>())))
        bad_entry(where);
      policy.watched_file_types.emplace_back(file_types::bare(ext.get_ref<const std::string&>()));
    }
  }
  if (auto associations = member.find(kAssociationsMember); associations != member.end()) {
    const std::string list_name = name + "." + std::string(kAssociationsMember);
    if (!associations->is_array()) throw Refusal(PolicyError::BadMember, list_name);
    std::size_t i = 0;
    for (const auto& raw : *associations) {
      const std::string where = at(list_name, i++);
      const Json& entry = entry_object(raw, where);
      FileTypeApproval a;
      a.extension = std::string(file_types::bare(name_text(entry, "extension", where)));
      if (!file_types::valid_extension(a.extension)) bad_entry(where + ".extension");
      auto source = file_type_source_of(name_text(entry, "source", where));
      if (!source) bad_entry(where + ".source");
      a.source = *source;
      a.name = name_text(entry, "name", where);
      a.command = name_text(entry, "command", where);
      policy.file_types.push_back(std::move(a));
    }
  }
}

SettingCopies read_settings(const Json& member) {
  const std::string name(kSettingsMember);
  if (!member.is_object()) throw Refusal(PolicyError::BadMember, name);
  SettingCopies s;
  for (auto it = member.begin(); it != member.end(); ++it) {
    const std::string where = name + "." + it.key();
    if (it.key() == "update_level") {
      if (!it->is_number_integer()) bad_entry(where);
      const auto level = it->get<std::int64_t>();
      if (level < 1 || level > 4) bad_entry(where);
      s.update_level = static_cast<int>(level);
      continue;
    }
    std::optional<std::string>* page = it.key() == "start_page"     ? &s.start_page
                                       : it.key() == "search_page"  ? &s.search_page
                                       : it.key() == "desktop_page" ? &s.desktop_page
                                       : it.key() == "url_prefix"   ? &s.url_prefix
                                                                    : nullptr;
    if (!page) throw Refusal(PolicyError::BadMember, where);
    if (!it->is_string()) bad_entry(where);
    const auto& text = it->get_ref<const std::string&>();
    if (text.size() > kMaxPageText || text.find('\0') != std::string::npos) bad_entry(where);
    *page = text;
  }
  return s;
}

std::vector<SystemFileApproval> read_system_files(const Json& member) {
  std::vector<SystemFileApproval> out;
  std::size_t i = 0;
  for (const auto& raw : array_member(member, kSystemFilesMember)) {
    const std::string where = at(kSystemFilesMember, i++);
    const Json& entry = entry_object(raw, where);
    SystemFileApproval f;
    f.name = name_text(entry, "name", where, 255);
    if (!valid_system_file_name(f.name)) bad_entry(where + ".name");
    f.location = name_text(entry, "location", where, 1023);
    f.comment = optional_text(entry, "comment", where, 1023);
    auto content = entry.find("content");
    if (content == entry.end() || !content->is_string()) bad_entry(where + ".content");
    f.content = content->get_ref<const std::string&>();
    out.push_back(std::move(f));
  }
  return out;
}

// Deepest nesting of arrays and objects outside strings; stops counting past the limit.
bool nesting_within_limit(std::string_view text) noexcept {
  std::size_t depth = 0;
  bool in_string = false, escaped = false;
  for (char c : text) {
    if (in_string) {
      if (escaped) escaped = false;
      else if (c == '\\') escaped = true;
      else if (c == '"') in_string = false;
      continue;
    }
    if (c == '"') in_string = true;
    else if (c == '[' || c == '{') {
      if (++depth > kMaxNesting) return false;
    } else if ((c == ']' || c == '}') && depth > 0) --depth;
  }
  return true;
}

Policy read_document(const Json& doc) {
  if (!doc.is_object()) throw Refusal(PolicyError::Foreign, {});
  auto format = doc.find(kFormatMember);
  if (format == doc.end() || !format->is_string() || format->get_ref<const std::string&>() != kPolicyFormat)
    throw Refusal(PolicyError::Foreign, std::string(kFormatMember));
  auto version = doc.find(kVersionMember);
  if (version == doc.end() || !version->is_number_integer() || version->get<std::int64_t>() != kPolicyVersion)
    throw Refusal(PolicyError::WrongVersion, std::string(kVersionMember));

  Policy p;
  for (auto it = doc.begin(); it != doc.end(); ++it) {
    const std::string& key = it.key();
    const Json& member = it.value();
    if (key == kFormatMember || key == kVersionMember) continue;
    if (key == kStartupMember) p.startup = read_coded(member, kStartupMember, approves_startup);
    else if (key == kServicesMember) p.services = read_coded(member, kServicesMember, approves_nonzero);
    else if (key == kTasksMember) p.tasks = read_coded(member, kTasksMember, approves_nonzero);
    else if (key == kIEHelpersMember) p.ie_helpers = read_coded(member, kIEHelpersMember, approves_nonzero);
    else if (key == kActiveXMember) p.activex = read_activex(member);
    else if (key == kHiddenFilesMember) p.hidden_files = read_hidden(member);
    else if (key == kFileTypesMember) read_file_types(member, p);
    else if (key == kSettingsMember) p.settings = read_settings(member);
    else if (key == kSystemFilesMember) p.system_files = read_system_files(member);
    else throw Refusal(PolicyError::BadMember, key);
  }
  return p;
}

}  // namespace

std::string_view file_type_source_name(int source) noexcept {
  for (const auto& s : kSourceNames)
    if (s.source == source) return s.name;
  return {};
}

std::optional<int> file_type_source_of(std::string_view name) noexcept {
  for (const auto& s : kSourceNames)
    if (s.name == name) return s.source;
  return std::nullopt;
}

bool valid_utf8(std::string_view text) noexcept {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    std::uint32_t cp = 0, lowest = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1, cp = c & 0x1Fu, lowest = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, cp = c & 0x0Fu, lowest = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, cp = c & 0x07u, lowest = 0x10000;
    } else {
      return false;
    }
    if (text.size() - i <= extra) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (next & 0x3Fu);
    }
    if (cp < lowest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

bool valid_system_file_name(std::string_view name) noexcept {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name)
    if (c == '\\' || c == '/' || c == ':' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  return true;
}

std::string write_policy(const Policy& policy, std::size_t* left_out) {
  std::size_t skipped = 0;
  OrderedJson doc;
  doc[kFormatMember] = kPolicyFormat;
  doc[kVersionMember] = kPolicyVersion;
  doc[kStartupMember] = coded_entries(policy.startup, skipped);
  doc[kServicesMember] = coded_entries(policy.services, skipped);
  doc[kTasksMember] = coded_entries(policy.tasks, skipped);
  doc[kIEHelpersMember] = coded_entries(policy.ie_helpers, skipped);

  OrderedJson activex = OrderedJson::array();
  for (const auto& clsid : policy.activex) {
    if (!valid_utf8(clsid)) {
      ++skipped;
      continue;
    }
    activex.push_back({{"class", clsid}});
  }
  doc[kActiveXMember] = std::move(activex);

  OrderedJson hidden = OrderedJson::array();
  for (const auto& h : policy.hidden_files) {
    if (!all_utf8({h.path, h.approved})) {
      ++skipped;
      continue;
    }
    hidden.push_back({{"path", h.path}, {"approved", h.approved}});
  }
  doc[kHiddenFilesMember] = std::move(hidden);

  OrderedJson watched = OrderedJson::array();
  for (const auto& ext : policy.watched_file_types) {
    if (!valid_utf8(ext)) {
      ++skipped;
      continue;
    }
    watched.push_back(ext);
  }
  OrderedJson associations = OrderedJson::array();
  for (const auto& a : policy.file_types) {
    if (!all_utf8({a.extension, a.name, a.command}) || file_type_source_name(a.source).empty()) {
      ++skipped;
      continue;
    }
    associations.push_back({{"extension", a.extension},
                            {"source", std::string(file_type_source_name(a.source))},
                            {"name", a.name},
                            {"command", a.command}});
  }
  doc[kFileTypesMember] = {{kWatchedMember, std::move(watched)}, {kAssociationsMember, std::move(associations)}};

  OrderedJson settings = OrderedJson::object();
  auto page = [&](std::string_view key, const std::optional<std::string>& text) {
    if (!text) return;
    if (!valid_utf8(*text)) {
      ++skipped;
      return;
    }
    settings[std::string(key)] = *text;
  };
  page("start_page", policy.settings.start_page);
  page("search_page", policy.settings.search_page);
  page("desktop_page", policy.settings.desktop_page);
  if (policy.settings.update_level) settings["update_level"] = *policy.settings.update_level;
  page("url_prefix", policy.settings.url_prefix);
  doc[kSettingsMember] = std::move(settings);

  OrderedJson system_files = OrderedJson::array();
  for (const auto& f : policy.system_files) {
    if (!all_utf8({f.name, f.location, f.comment, f.content})) {
      ++skipped;
      continue;
    }
    system_files.push_back({{"name", f.name}, {"location", f.location}, {"comment", f.comment}, {"content", f.content}});
  }
  doc[kSystemFilesMember] = std::move(system_files);

  if (left_out) *left_out = skipped;
  return doc.dump(2) + "\n";
}

PolicyReadResult read_policy(std::string_view text) noexcept {
  PolicyReadResult result;
  if (text.size() > kPolicyMaxBytes) {
    result.error = PolicyError::TooLarge;
    return result;
  }
  try {
    if (!nesting_within_limit(text)) {
      result.error = PolicyError::Foreign;
      return result;
    }
    Json doc;
    try {
      doc = Json::parse(text);
    } catch (const Json::parse_error& e) {
      result.error = PolicyError::Malformed;
      result.where = std::to_string(e.byte);
      return result;
    }
    result.policy = read_document(doc);
  } catch (const Refusal& r) {
    result.error = r.error();
    result.where = r.where();
  } catch (...) {
    // Out of memory or a type the checks above missed: the document is not taken.
    result.error = PolicyError::Malformed;
  }
  if (result.error != PolicyError::None) result.policy.reset();
  return result;
}

}  // namespace kestrom::check
