#include "common/detected.hpp"

#include <windows.h>

#include <map>

#include "common/paths.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "platform/reg_key.hpp"

namespace kestrom {

namespace {

constexpr std::size_t kPruneNameLimit = 255;

std::string category_key(std::string_view category) {
  return std::string(keys::kDetected) + "\\" + std::string(category);
}

}  // namespace

bool note_first_sighting(std::string_view name, std::string_view category) {
  if (category != detected::kActiveX && !file_exists(command_to_file(name))) return false;
  std::string key = category_key(category);
  if (reg::value_exists(HKEY_CURRENT_USER, key, name)) return true;
  reg::write_string(HKEY_CURRENT_USER, key, name, date_text_now().substr(0, kMaxDetectedDate));
  return false;
}

std::string first_sighting(std::string_view name, int code) {
  return reg::read_text(HKEY_CURRENT_USER, category_key(detected_category(code)), name, kMaxDetectedDate);
}

std::string first_sighting_noted(std::string_view name, int code, std::string_view category) {
  std::string date = first_sighting(name, code);
  if (date.empty() && !name.empty()) {
    note_first_sighting(name, category);
    date = first_sighting(name, code);
  }
  return date;
}

struct Sightings::Keys {
  std::map<std::string, platform::RegKey, std::less<>> open;  // by category; closed when absent
};

Sightings::Sightings() : keys_(std::make_unique<Keys>()) {}
Sightings::~Sightings() = default;

std::string Sightings::of(std::string_view name, int code) {
  const std::string_view category = detected_category(code);
  auto it = keys_->open.find(category);
  if (it == keys_->open.end())
    it = keys_->open.emplace(std::string(category), platform::RegKey::open_read(HKEY_CURRENT_USER, category_key(category)))
             .first;
  if (!it->second) return {};
  const auto raw = it->second.query(name);
  return raw ? reg::read_text(*raw, kMaxDetectedDate) : std::string();
}

void initialise_register(const RegisterSources& sources) {
  auto note_all = [](const std::function<std::vector<std::string>()>& source, std::string_view category) {
    if (!source) return;
    for (const auto& name : source()) note_first_sighting(name, category);
  };
  if (reg::read_text(HKEY_CURRENT_USER, keys::kDetected, "", kMaxDetectedDate).empty()) {
    for (auto c : {detected::kStartup, detected::kIEHelper, detected::kServices, detected::kTasks,
                   detected::kActiveTasks, detected::kFileTypes, detected::kHidden})
      reg::create_key(HKEY_CURRENT_USER, category_key(c));
    reg::write_string(HKEY_CURRENT_USER, keys::kDetected, "", date_text_now());
    note_all(sources.startup, detected::kStartup);
    note_all(sources.ie_helpers, detected::kIEHelper);
    note_all(sources.tasks, detected::kTasks);
    note_all(sources.services, detected::kServices);
    note_all(sources.file_types, detected::kFileTypes);
    note_all(sources.active_tasks, detected::kActiveTasks);
    note_all(sources.hidden, detected::kHidden);
  }
  std::string activex = category_key(detected::kActiveX);
  if (reg::read_text(HKEY_CURRENT_USER, activex, "", kMaxDetectedDate).empty() && sources.activex) {
    reg::write_string(HKEY_CURRENT_USER, activex, "", "P");
    note_all(sources.activex, detected::kActiveX);
  }
}

void prune_category(std::string_view category) {
  std::string key = category_key(category);
  std::vector<std::string> gone;
  for (const auto& v : reg::values(HKEY_CURRENT_USER, key, kPruneNameLimit, reg::kLongestText)) {
    if (v.name.empty()) continue;
    // Entries are noted by their command line; the file it starts decides whether the
    // program is still there (a command with arguments names no file by itself).
    std::string file = category == detected::kActiveX ? v.name : command_to_file(v.name);
    if (!file_exists(std::string_view(file)) && !file_exists(v.name)) gone.push_back(v.name);
  }
  for (const auto& name : gone) reg::delete_value(HKEY_CURRENT_USER, key, name);
}

}  // namespace kestrom
