#include "categories/register_sources.hpp"

#include "categories/active_tasks.hpp"
#include "categories/file_types_win.hpp"
#include "categories/activex_win.hpp"
#include "categories/ie_helpers_win.hpp"
#include "categories/tasks.hpp"
#include "categories/hidden_files_win.hpp"
#include "categories/services_win.hpp"
#include "startup/enumerate.hpp"

namespace kestrom {

RegisterSources detected_register_sources(bool wow64_view) {
  RegisterSources sources;
  sources.startup = [wow64_view] { return startup_program_files(wow64_view); };
  sources.active_tasks = [] { return active_task_files(); };
  sources.tasks = [] { return task_files(); };
  sources.hidden = [] { return hidden_file_paths(); };
  sources.services = [] { return services::service_files(); };
  sources.file_types = [] { return file_types::file_type_commands(); };
  sources.ie_helpers = [] { return helpers::helper_files(); };
  sources.activex = [] { return activex::activex_files(); };
  return sources;
}

void build_missing_category_snapshots() {
  ItemList list;
  services::build_services_snapshot(list, system_item_rules());
  activex::build_activex_snapshot(list, system_item_rules());
}

}  // namespace kestrom
