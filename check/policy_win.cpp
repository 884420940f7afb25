#include "check/policy_win.hpp"

#include <windows.h>

#include <cstdlib>
#include <map>
#include <optional>

#include "categories/activex_win.hpp"
#include "categories/file_types_win.hpp"
#include "categories/hidden_files.hpp"
#include "categories/hidden_files_win.hpp"
#include "categories/ie_helpers.hpp"
#include "categories/ie_helpers_win.hpp"
#include "categories/services.hpp"
#include "categories/services_win.hpp"
#include "categories/setting_watch_win.hpp"
#include "categories/system_files_win.hpp"
#include "categories/tasks.hpp"
#include "check/policy.hpp"
#include "check/policy_string_ids.h"
#include "common/options_table.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/string_ids.h"
#include "common/text.hpp"
#include "common/textloader.hpp"
#include "platform/handles.hpp"
#include "platform/reg_key.hpp"
#include "platform/wide_text.hpp"
#include "reports/report_text_win.hpp"
#include "startup/snapshot.hpp"

namespace kestrom::check {

namespace {

using platform::RegKey;

// A snapshot's stored number is a short decimal text; anything longer is not one it wrote.
constexpr std::size_t kStoredNumberLimit = 32;

// ---- reading the snapshots

// Every named value of a snapshot key as text (the default value, the "built" marker, left out).
std::vector<reg::Value> snapshot_values(HKEY root, std::string_view key) {
  std::vector<reg::Value> out;
  for (auto& v : reg::values(root, key, kMaxPolicyName, reg::kMaxString))
    if (!v.name.empty() && v.is_text()) out.push_back(std::move(v));
  return out;
}

int stored_number(const std::string& data) {
  return data.size() > kStoredNumberLimit ? 0 : decimal_value(data);
}

std::vector<CodedApproval> coded_snapshot(std::string_view key, bool (*approves)(int)) {
  std::vector<CodedApproval> out;
  for (const auto& v : snapshot_values(HKEY_CURRENT_USER, key))
    if (const int n = stored_number(v.data); approves(n)) out.push_back({v.name, n});
  return out;
}

bool startup_rule(int n) { return snapshot_accepts(n); }
bool nonzero_rule(int n) { return n != 0; }

std::optional<std::string> read_whole_file(const std::wstring& path, std::size_t limit, bool* too_large = nullptr) {
  platform::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return std::nullopt;
  if (static_cast<std::uint64_t>(size.QuadPart) > limit) {
    if (too_large) *too_large = true;
    return std::nullopt;
  }
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read, nullptr) || read == 0)
      return std::nullopt;
    done += read;
  }
  return bytes;
}

Policy read_approved_snapshots() {
  Policy p;
  p.startup = coded_snapshot(keys::kRunSnapshot, startup_rule);
  p.services = coded_snapshot(keys::kServicesSnapshot, nonzero_rule);
  p.tasks = coded_snapshot(keys::kTasks, nonzero_rule);
  p.ie_helpers = coded_snapshot(keys::kIEHelpers, nonzero_rule);
  for (const auto& v : snapshot_values(HKEY_CURRENT_USER, activex::kSnapshotKey))
    if (snapshot_approves(v.data)) p.activex.push_back(v.name);
  for (const auto& v : snapshot_values(HKEY_CURRENT_USER, kHiddenSnapshotKey))
    if (!v.data.empty()) p.hidden_files.push_back({v.name, v.data});

  p.watched_file_types = file_types::watched_extensions(file_types::watched_list());
  const file_types::RecordReader records;
  for (const auto& ext : p.watched_file_types)
    for (int source = file_types::kFirstSource; source <= file_types::kLastSource; ++source) {
      auto r = records.read(ext, source);
      if (!file_types::nothing_recorded(r)) p.file_types.push_back({ext, source, std::move(r.name), std::move(r.command)});
    }

  const auto& pages = watched_pages();
  p.settings.start_page = read_page_copy(pages[0]);
  p.settings.search_page = read_page_copy(pages[1]);
  p.settings.desktop_page = read_page_copy(pages[2]);
  if (const int level = read_update_level_copy(); update_level_valid(level)) p.settings.update_level = level;
  p.settings.url_prefix = read_prefix_copy(text::load(IDS_DEFAULT_PREFIX));

  for (const auto& file : watched_system_files()) {
    const std::string copy = system_file_vault_copy(file.name);
    if (copy.empty()) continue;
    // Without a copy nothing of the file was accepted; the limit keeps the document readable.
    auto content = read_whole_file(platform::to_wide(copy), kPolicyMaxBytes);
    if (!content) continue;
    p.system_files.push_back({file.name, file.location, file.comment, std::move(*content)});
  }
  return p;
}

std::vector<PolicyCategoryCount> counts_of(const Policy& p) {
  return {{std::string(kStartupMember), p.startup.size()},
          {std::string(kServicesMember), p.services.size()},
          {std::string(kTasksMember), p.tasks.size()},
          {std::string(kIEHelpersMember), p.ie_helpers.size()},
          {std::string(kActiveXMember), p.activex.size()},
          {std::string(kHiddenFilesMember), p.hidden_files.size()},
          {std::string(kFileTypesMember), p.file_types.size()},
          {std::string(kSettingsMember),
           static_cast<std::size_t>(p.settings.start_page.has_value() + p.settings.search_page.has_value() +
                                    p.settings.desktop_page.has_value() + p.settings.update_level.has_value() +
                                    p.settings.url_prefix.has_value())},
          {std::string(kSystemFilesMember), p.system_files.size()}};
}

std::string file_text(const std::wstring& file) { return platform::from_wide(file); }

std::string message(int id, std::string_view first, std::string_view second = {}) {
  return fill_two(text::load(id), first, second);
}

// ---- importing

// The values a category's import wrote, as they were before, so a refused write puts the
// category back whole.
class Journal {
 public:
  void before(HKEY root, std::string_view key, std::string_view name) {
    const RegKey k = RegKey::open_read(root, key);
    entries_.push_back({root, std::string(key), std::string(name), k ? k.query(name) : std::nullopt});
  }
  void put_back() {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
      const RegKey k = RegKey::open_write(it->root, it->key);
      if (!k) continue;
      if (it->value)
        k.set_raw(it->name, *it->value);
      else
        k.delete_value(it->name);
    }
    entries_.clear();
  }

 private:
  struct Entry {
    HKEY root;
    std::string key, name;
    std::optional<RegKey::RawValue> value;
  };
  std::vector<Entry> entries_;
};

// What importing one category came to.
struct CategoryImport {
  std::string_view member;
  std::size_t approved = 0;  // entries newly approved here
  bool refused = false;      // Windows refused a write; the category is as it was
};

// Names already approved in a snapshot key, upper-cased (value names compare without case).
template <typename Rule>
std::map<std::string, bool> approved_names(HKEY root, std::string_view key, Rule approves) {
  std::map<std::string, bool> out;
  for (const auto& v : snapshot_values(root, key))
    if (approves(v.data)) out[to_upper(v.name)] = true;
  return out;
}

template <typename Rule, typename Write>
CategoryImport import_names(std::string_view member, std::string_view key, const std::vector<std::string>& names,
                            Rule approves, Write write) {
  CategoryImport result{member};
  const auto already = approved_names(HKEY_CURRENT_USER, key, approves);
  Journal journal;
  for (const auto& name : names) {
    if (already.count(to_upper(name))) continue;
    journal.before(HKEY_CURRENT_USER, key, name);
    if (!write(name)) {
      journal.put_back();
      return {member, 0, true};
    }
    ++result.approved;
  }
  return result;
}

std::vector<std::string> names_of(const std::vector<CodedApproval>& entries) {
  std::vector<std::string> out;
  for (const auto& e : entries) out.push_back(e.name);
  return out;
}

CategoryImport import_coded(std::string_view member, std::string_view key, const std::vector<CodedApproval>& entries,
                            bool (*rule)(int), bool (*write)(std::string_view, int)) {
  std::map<std::string, int> codes;
  for (const auto& e : entries) codes[e.name] = e.code;
  return import_names(
      member, key, names_of(entries), [rule](const std::string& data) { return rule(stored_number(data)); },
      [&](const std::string& name) { return write(name, codes[name]); });
}

bool write_startup(std::string_view name, int code) { return snapshot_write(name, code); }
bool write_service(std::string_view name, int code) { return services::approve_service(name, code); }
bool write_task(std::string_view name, int) { return write_task_snapshot(name); }
bool write_helper(std::string_view name, int code) { return helpers::write_helper_snapshot(name, code); }

CategoryImport import_file_types(const Policy& p) {
  CategoryImport result{kFileTypesMember};
  Journal journal;
  // New extensions join the watched list, as many as it has room for.
  std::string list = file_types::watched_list();
  bool list_changed = false;
  for (const auto& ext : p.watched_file_types) {
    auto added = file_types::add_to_list(list, ext);
    if (added.message != 0) continue;
    list = std::move(added.list);
    list_changed = true;
  }
  if (list_changed) {
    journal.before(HKEY_CURRENT_USER, file_types::kClassKey, "");
    if (!reg::write_string(HKEY_CURRENT_USER, file_types::kClassKey, "", list)) {
      journal.put_back();
      return {kFileTypesMember, 0, true};
    }
  }
  const file_types::RecordReader records;
  for (const auto& a : p.file_types) {
    if (!file_types::is_watched(list, a.extension)) continue;
    const auto now = records.read(a.extension, a.source);
    if (now.name == a.name && now.command == a.command) continue;
    journal.before(HKEY_CURRENT_USER, file_types::snapshot_key(a.source), file_types::dotted(a.extension));
    journal.before(HKEY_CURRENT_USER, file_types::kClassKey, a.name);
    if (!file_types::record_file_type({a.extension, a.source, a.name, a.command})) {
      journal.put_back();
      return {kFileTypesMember, 0, true};
    }
    ++result.approved;
  }
  return result;
}

CategoryImport import_settings(const SettingCopies& s) {
  CategoryImport result{kSettingsMember};
  Journal journal;
  const auto& pages = watched_pages();
  const std::optional<std::string>* wanted[] = {&s.start_page, &s.search_page, &s.desktop_page};
  for (std::size_t i = 0; i < 3; ++i) {
    if (!*wanted[i] || read_page_copy(pages[i]) == **wanted[i]) continue;
    journal.before(HKEY_CURRENT_USER, keys::kProduct, pages[i].copy_name);
    if (!write_page_copy(pages[i], **wanted[i])) {
      journal.put_back();
      return {kSettingsMember, 0, true};
    }
    ++result.approved;
  }
  if (s.update_level && read_update_level_copy() != *s.update_level) {
    if (!write_update_level_copy(*s.update_level)) {
      journal.put_back();
      return {kSettingsMember, 0, true};
    }
    ++result.approved;
  }
  if (s.url_prefix && read_prefix_copy(text::load(IDS_DEFAULT_PREFIX)) != *s.url_prefix) {
    if (!write_prefix_copy(*s.url_prefix)) {
      journal.put_back();
      return {kSettingsMember, 0, true};
    }
    ++result.approved;
  }
  return result;
}

// A watched file is approved here only when this machine's file holds the policy's content: its
// record then describes this file, and the Vault keeps it. Another content stays a change.
CategoryImport import_system_files(const std::vector<SystemFileApproval>& files, std::vector<std::string>& differ) {
  CategoryImport result{kSystemFilesMember};
  const auto watched = watched_system_files();
  for (const auto& f : files) {
    WatchedSystemFile file{f.name, f.location, f.comment};
    bool known = false;
    for (const auto& w : watched)
      if (iequals(w.name, f.name)) file = w, known = true;
    const auto live = read_whole_file(platform::to_wide(file.location), kPolicyMaxBytes);
    if (!live || *live != f.content) {
      differ.push_back(file.location);
      continue;
    }
    const auto copy = read_whole_file(platform::to_wide(system_file_vault_copy(file.name)), kPolicyMaxBytes);
    if (known && copy && *copy == f.content && !system_file_changed(file)) continue;
    const ActionResult done = known ? accept_system_file_change(file) : record_system_file(file);
    if (done == ActionResult::Refused) return {kSystemFilesMember, result.approved, true};
    if (done == ActionResult::Done) ++result.approved;
  }
  return result;
}

std::string joined(const std::vector<std::string>& parts) {
  std::string out;
  for (const auto& part : parts) out += (out.empty() ? "" : ", ") + part;
  return out;
}

std::string refusal_message(const PolicyReadResult& read, const std::string& file) {
  switch (read.error) {
    case PolicyError::TooLarge: return message(IDS_POLICY_TOO_LARGE, file, std::to_string(kPolicyMaxBytes));
    case PolicyError::Malformed: return message(IDS_POLICY_MALFORMED, file, read.where);
    case PolicyError::Foreign: return message(IDS_POLICY_FOREIGN, file);
    case PolicyError::WrongVersion: return message(IDS_POLICY_WRONG_VERSION, file, std::to_string(kPolicyVersion));
    case PolicyError::BadMember: return message(IDS_POLICY_BAD_MEMBER, file, read.where);
    case PolicyError::BadEntry: return message(IDS_POLICY_BAD_ENTRY, file, read.where);
    case PolicyError::None: break;
  }
  return {};
}

}  // namespace

PolicyOutcome export_policy(const std::wstring& file) {
  PolicyOutcome outcome;
  const Policy policy = read_approved_snapshots();
  std::size_t left_out = 0;
  const std::string document = write_policy(policy, &left_out);
  const std::string name = file_text(file);
  if (document.size() > kPolicyMaxBytes) {
    outcome.message = message(IDS_POLICY_EXPORT_TOO_LARGE, std::to_string(kPolicyMaxBytes));
    return outcome;
  }
  reports::ReportFile out(name, false);
  out.write(document);
  if (!out.close()) {
    DeleteFileW(file.c_str());  // half a policy must not be handed on
    outcome.message = message(IDS_POLICY_CANT_WRITE, name);
    return outcome;
  }
  outcome.ok = true;
  outcome.categories = counts_of(policy);
  if (left_out > 0) outcome.message = message(IDS_POLICY_LEFT_OUT, std::to_string(left_out));
  return outcome;
}

PolicyOutcome import_policy(const std::wstring& file) {
  PolicyOutcome outcome;
  const std::string name = file_text(file);
  bool too_large = false;
  const auto text = read_whole_file(file, kPolicyMaxBytes, &too_large);
  if (!text) {
    outcome.message = too_large ? message(IDS_POLICY_TOO_LARGE, name, std::to_string(kPolicyMaxBytes))
                                : message(IDS_POLICY_CANT_READ, name);
    return outcome;
  }
  const PolicyReadResult read = read_policy(*text);
  if (!read.policy) {
    outcome.message = refusal_message(read, name);
    return outcome;
  }
  const Policy& p = *read.policy;
  std::vector<CategoryImport> done;
  done.push_back(import_coded(kStartupMember, keys::kRunSnapshot, p.startup, startup_rule, write_startup));
  done.push_back(import_coded(kServicesMember, keys::kServicesSnapshot, p.services, nonzero_rule, write_service));
  done.push_back(import_coded(kTasksMember, keys::kTasks, p.tasks, nonzero_rule, write_task));
  done.push_back(import_coded(kIEHelpersMember, keys::kIEHelpers, p.ie_helpers, nonzero_rule, write_helper));
  done.push_back(import_names(
      kActiveXMember, activex::kSnapshotKey, p.activex, [](const std::string& d) { return snapshot_approves(d); },
      [](const std::string& clsid) { return activex::write_activex_seen(clsid); }));
  std::vector<std::string> hidden_paths;
  for (const auto& h : p.hidden_files) hidden_paths.push_back(h.path);
  done.push_back(import_names(
      kHiddenFilesMember, kHiddenSnapshotKey, hidden_paths, [](const std::string& d) { return !d.empty(); },
      [](const std::string& path) { return approve_hidden_file(path); }));
  done.push_back(import_file_types(p));
  done.push_back(import_settings(p.settings));
  std::vector<std::string> differ;
  done.push_back(import_system_files(p.system_files, differ));

  std::vector<std::string> imported, refused;
  for (const auto& c : done) {
    if (c.refused) refused.emplace_back(c.member);
    else imported.emplace_back(c.member);
    outcome.categories.push_back({std::string(c.member), c.approved});
  }
  outcome.ok = refused.empty();
  std::string note;
  if (!refused.empty()) note = message(IDS_POLICY_REFUSED, joined(refused), joined(imported));
  if (!differ.empty()) note += (note.empty() ? "" : "\n") + message(IDS_POLICY_FILES_DIFFER, joined(differ));
  outcome.message = std::move(note);
  return outcome;
}

}  // namespace kestrom::check
