#include "reports/csv_log_win.hpp"

#include <map>

#include "categories/active_tasks.hpp"
#include "categories/activex_win.hpp"
#include "categories/ie_helpers.hpp"
#include "categories/ie_helpers_win.hpp"
#include "categories/services_win.hpp"
#include "categories/tasks.hpp"
#include "common/detected.hpp"
#include "common/locations.hpp"
#include "common/paths.hpp"
#include "common/product.hpp"
#include "common/string_ids.h"
#include "common/textloader.hpp"
#include "platform/process.hpp"
#include "reports/csv_log.hpp"
#include "reports/report_text_win.hpp"
#include "startup/delay_store.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::reports {

namespace {

class RowMaker {
 public:
  CsvRow row(std::string_view type, std::string_view subtype, const StartupItem& item) {
    CsvRow r;
    r.type = type;
    r.subtype = subtype;
    r.title = item.title;
    r.file_name = std::string(file_name_of_path(item.file));
    r.path = item.file;
    const std::string program = command_to_file(item.file);
    if (!program.empty()) {
      const VersionInfo& vi = versions_.of(program);
      r.company = vi.company_name;
      r.description = vi.file_description;
      r.version = vi.product_version;
    }
    r.detected = first_sighting(item.file, item.code);
    return r;
  }

 private:
  VersionCache versions_;
};

}  // namespace

CsvListers system_csv_listers() {
  const bool wow64 = wow64_view_present();
  CsvListers l;
  l.startup = [wow64](ItemList& list) {
    list_startup_programs(list, StartupScan{false, 0, wow64}, system_item_rules());
  };
  l.delayed = [](ItemList& list) { delay::list_delayed_programs(list, system_item_rules()); };
  l.active_tasks = [](ItemList& list) { list_active_tasks(list, system_item_rules()); };
  l.ie_helpers = [](ItemList& list) { helpers::list_ie_helpers(list, system_item_rules()); };
  l.activex = [](ItemList& list) {
    const bool all = read_option(Opt::ActiveXListAll, Program::Explorer) != 0;
    activex::list_activex(list, all ? activex::ListMode::All : activex::ListMode::Statistics, system_item_rules());
  };
  l.services = [](ItemList& list) {
    services::list_services(list, services::ListMode::Full, system_item_rules());
  };
  l.tasks = [](ItemList& list) { list_tasks(list, system_item_rules()); };
  return l;
}

bool write_csv_log_file(const std::string& path, const CsvListers& listers) {
  ReportFile file(path);
  if (!file.created()) return false;
  file.write(csv_head(text::load(IDS_PRODUCT_NAME), running_program_version(), local_now()));
  ItemList list;
  RowMaker rows;
  const auto fill = [&list](const std::function<void(ItemList&)>& lister) {
    list.clear();
    if (lister) lister(list);
    return list.items();
  };

  const auto startup = fill(listers.startup);
  for (const StartupItem& item : startup)
    if (is_run_family(item.code)) file.write(csv_row(rows.row(run_entry_type(item.code), run_entry_subtype(item.code), item)));
  for (const StartupItem& item : startup)
    if (item.code == code::kGroupStartup) file.write(csv_row(rows.row("Startup", "Folder", item)));
  for (const StartupItem& item : fill(listers.delayed)) file.write(csv_row(rows.row("Delayed Start", "", item)));
  for (const StartupItem& item : fill(listers.active_tasks)) file.write(csv_row(rows.row("Active Tasks", "", item)));
  const auto helpers = fill(listers.ie_helpers);
  for (const StartupItem& item : helpers)
    if (item.code == code::kTypeBho) file.write(csv_row(rows.row("IE Helpers", "BHO", item)));
  for (const StartupItem& item : fill(listers.activex))
    if (activex_enabled(static_cast<std::uint32_t>(item.value))) file.write(csv_row(rows.row("ActiveX", "", item)));
  for (const StartupItem& item : helpers)
    if (item.code == code::kTypeToolbar) file.write(csv_row(rows.row("IE Helpers", "Toolbar", item)));
  const auto service_items = fill(listers.services);
  if (!service_items.empty()) {
    const services::ServiceStateTexts states;
    for (const StartupItem& item : service_items)
      file.write(csv_row(rows.row("Services", states.text_of(item.title), item)));
  }
  for (const StartupItem& item : fill(listers.tasks)) file.write(csv_row(rows.row("Scheduled Tasks", "", item)));
  return file.close();
}

bool write_csv_log(HWND owner, const std::string& path) {
  bool written = false;
  {
    const WaitCursor wait;
    written = write_csv_log_file(path, system_csv_listers());
  }
  if (written) platform::open_in_shell(owner, path);
  return written;
}

}  // namespace kestrom::reports
