#include "common/detected.hpp"

#include <windows.h>

#include "categories/active_tasks.hpp"
#include "startup/enumerate.hpp"
#include "startup/sysfacts.hpp"

namespace kestrom {

namespace {

constexpr std::string_view kRoot = "Software\\Orvane\\Detected";
constexpr std::size_t kPruneNameLimit = 255;

std::string category_key(std::string_view category) { return std::string(kRoot) + "\\" + std::string(category); }

}  // namespace

bool note_first_sighting(std::string_view name, std::string_view category) {
  if (category != detected::kActiveX && !facts::file_exists(facts::command_to_file(name))) return false;
  std::string key = category_key(category);
  if (facts::reg_exists(HKEY_CURRENT_USER, key, name)) return true;
  facts::reg_write(HKEY_CURRENT_USER, key, name, facts::date_text_now().substr(0, kMaxDetectedDate));
  return false;
}

std::string first_sighting(std::string_view name, int code) {
  return facts::reg_read(HKEY_CURRENT_USER, category_key(detected_category(code)), name, kMaxDetectedDate);
}

void initialise_register(bool wow64_view, const RegisterSources& sources) {
  auto note_all = [](const std::function<std::vector<std::string>()>& source, std::string_view category) {
    if (!source) return;
    for (const auto& name : source()) note_first_sighting(name, category);
  };
  if (facts::reg_read(HKEY_CURRENT_USER, kRoot, "", kMaxDetectedDate).empty()) {
    for (auto c : {detected::kStartup, detected::kIEHelper, detected::kServices, detected::kTasks,
                   detected::kActiveTasks, detected::kFileTypes, detected::kHidden})
      facts::reg_create(HKEY_CURRENT_USER, category_key(c));
    facts::reg_write(HKEY_CURRENT_USER, kRoot, "", facts::date_text_now());

    ItemList list;
    auto rules = system_item_rules();
    StartupScan scan;
    scan.wow64_view = wow64_view;
    list_startup_programs(list, scan, rules);
    for (const auto& item : list.items()) note_first_sighting(item.file, detected::kStartup);
    note_all(sources.ie_helpers, detected::kIEHelper);
    note_all(sources.tasks, detected::kTasks);
    note_all(sources.services, detected::kServices);
    note_all(sources.file_types, detected::kFileTypes);
    list_active_tasks(list, rules);
    for (const auto& item : list.items()) note_first_sighting(item.file, detected::kActiveTasks);
    note_all(sources.hidden, detected::kHidden);
  }
  std::string activex = category_key(detected::kActiveX);
  if (facts::reg_read(HKEY_CURRENT_USER, activex, "", kMaxDetectedDate).empty() && sources.activex) {
    facts::reg_write(HKEY_CURRENT_USER, activex, "", "P");
    note_all(sources.activex, detected::kActiveX);
  }
}

void prune_category(std::string_view category) {
  std::string key = category_key(category);
  std::vector<std::string> gone;
  for (const auto& v : facts::reg_values(HKEY_CURRENT_USER, key, kPruneNameLimit, 32767)) {
    if (v.name.empty()) continue;
    // Entries are noted by their command line; the file it starts decides whether the
    // program is still there (a command with arguments names no file by itself).
    std::string file = category == detected::kActiveX ? v.name : facts::command_to_file(v.name);
    if (!facts::file_exists(file) && !facts::file_exists(v.name)) gone.push_back(v.name);
  }
  for (const auto& name : gone) facts::reg_delete(HKEY_CURRENT_USER, key, name);
}

}  // namespace kestrom
