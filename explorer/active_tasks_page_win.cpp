// The Active Tasks tab: one row per running program file through the list page framework;
// Kill Task ends the processes of the selected rows.
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "categories/active_tasks.hpp"
#include "common/detected.hpp"
#include "common/paths.hpp"
#include "common/pathtext.hpp"
#include "explorer/info_window_win.hpp"
#include "explorer/list_page_win.hpp"
#include "explorer/page_parts_win.hpp"
#include "explorer/page_switch.hpp"
#include "explorer/pages_win.hpp"
#include "explorer/resource_ids.h"
#include "explorer/settings_win.hpp"
#include "explorer/string_ids.h"
#include "startup/enumerate.hpp"

namespace kestrom::explorer {

namespace {

struct TaskFacts {
  std::string company;
  std::string date_key;
};

class ActiveTasksPage final : public ListSheetPage {
 public:
  using ListSheetPage::ListSheetPage;

 private:
  void init(HWND page) override {
    app_.directions.reset(0, 3);
    const ControlText texts[] = {
        {IDC_EXPLANATION, IDS_ACTIVE_TASKS_EXPLANATION}, {IDC_HINT, IDS_ACTIVE_TASKS_HINT},
        {IDC_INFO, IDS_MENU_INFO},                       {IDC_REFRESH, IDS_REFRESH_BUTTON},
        {IDC_KILL_TASK, IDS_KILL_TASK},                  {IDC_CLOSE_PAGE, IDS_CLOSE_BUTTON},
        {IDC_HELP_CAPTION, IDS_HELP_CAPTION},
    };
    // The two explanations stand one above the other, so their leading line breaks go.
    set_up_page(page, cmd::kActiveTasks, texts, true, 0);
  }

  void fill() {
    list_->begin_fill();
    items_.clear();
    facts_.clear();
    list_active_tasks(items_, system_item_rules());
    for (std::size_t i = 0; i < items_.size(); ++i) {
      const StartupItem& item = items_[i];
      TaskFacts f;
      f.company = version_information(item.file).company_name;
      const std::string date = first_sighting_noted(item.file, item.code, detected::kActiveTasks);
      f.date_key = first_detected_key(date);
      const int row = list_->add_row(std::string(file_name_of_path(item.file)), static_cast<int>(i), item.file);
      list_->set_text(row, 1, item.title);
      list_->set_text(row, 2, f.company);
      list_->set_text(row, 3, date);
      facts_.push_back(std::move(f));
    }
    list_->end_fill(comparator());
  }

  ListPage::Comparator comparator() const {
    return key_comparator([this](int index, int column) { return key(index, column); });
  }

  std::string key(int index, int column) const {
    if (index < 0 || static_cast<std::size_t>(index) >= facts_.size()) return {};
    const StartupItem& item = items_[static_cast<std::size_t>(index)];
    switch (column) {
      case 0: return std::string(file_name_of_path(item.file));
      case 1: return item.title;
      case 2: return facts_[static_cast<std::size_t>(index)].company;
      case 3: return facts_[static_cast<std::size_t>(index)].date_key;
      default: return {};
    }
  }

  // Each selected row's own process, by the id its record carries; a program with the same
  // file name in another row is left alone.
  void kill_selected(HWND page) {
    const std::vector<int> records = selected_records(list_->list());
    if (records.empty()) {
      MessageBoxA(page, settings::text(IDS_NO_SELECTION).c_str(), app_.title.c_str(), MB_OK | MB_TOPMOST);
      return;
    }
    for (int index : records) {
      if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) continue;
      const StartupItem& item = items_[static_cast<std::size_t>(index)];
      if (item.value > 0) end_process(static_cast<std::uint32_t>(item.value), item.title, item.file);
    }
    fill();
  }

  INT_PTR notify(HWND page, const NMHDR* n) override {
    switch (n->code) {
      case PSN_SETACTIVE:
        if (items_.size() == 0) fill();
        app_.current_page = cmd::kActiveTasks;
        break;
      case PSN_KILLACTIVE: list_->deactivate(); break;
      case PSN_RESET: end_on_reset(app_, *list_); break;
      case LVN_COLUMNCLICK: list_->sort_click(reinterpret_cast<const NMLISTVIEW*>(n)->iSubItem, comparator()); break;
      case LVN_ITEMCHANGED:
        if (newly_selected(n)) show_selected_in_status(&StartupItem::file);
        break;
      case NM_RCLICK:
        if (n->idFrom == IDC_LIST) {
          std::vector<MenuEntry> entries = program_menu_head(selected_has_note());
          entries.insert(entries.end(), {{IDS_MENU_REFRESH, IDC_REFRESH},
                                         {IDS_KILL_TASK, IDC_KILL_TASK},
                                         {IDS_MENU_DELETE_ON_REBOOT, menu::kDeleteOnReboot}});
          append_common_menu_end(entries, cmd::kActiveTasks);
          item_menu(entries);
        }
        break;
      default: break;
    }
    SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
    return TRUE;
  }

  void command(HWND page, int id) override {
    switch (id) {
      case cmd::kRelayout:
        list_->relayout({{IDC_INFO, 0}, {IDC_REFRESH, 0}, {IDC_KILL_TASK, 0}, {IDC_CLOSE_PAGE, 0}});
        break;
      case IDC_REFRESH: fill(); break;
      case IDC_KILL_TASK: kill_selected(page); break;
      case menu::kInfo:
        if (open_info_for_selection(app_, page, *list_, items_)) fill();
        break;
      case menu::kLookup: look_up_selected(app_, page, *list_, items_); break;
      case menu::kExploreFolder:
      case menu::kProperties: program_command(page, id); break;
      case menu::kDeleteOnReboot: program_command(page, id); break;
      case menu::kHelp: list_->open_help(); break;
      case IDC_CLOSE_PAGE: close_sheet(page); break;
      default: break;
    }
  }

  std::vector<TaskFacts> facts_;
};

}  // namespace

std::unique_ptr<SheetPage> make_active_tasks_page(App& app, SheetContext& sheet) {
  return std::make_unique<ActiveTasksPage>(app, sheet);
}

}  // namespace kestrom::explorer
