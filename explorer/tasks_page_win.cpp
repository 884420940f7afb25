// The Scheduled Tasks tab: the Task Scheduler's work items through the list page framework,
// removable one by one.
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "categories/tasks.hpp"
#include "common/paths.hpp"
#include "common/pathtext.hpp"
#include "common/string_ids.h"
#include "common/text.hpp"
#include "explorer/info_window_win.hpp"
#include "explorer/list_page_win.hpp"
#include "explorer/list_rules.hpp"
#include "explorer/page_parts_win.hpp"
#include "explorer/page_switch.hpp"
#include "explorer/pages_win.hpp"
#include "explorer/resource_ids.h"
#include "explorer/settings_win.hpp"
#include "explorer/string_ids.h"
#include "startup/enumerate.hpp"

namespace kestrom::explorer {

namespace {

class TasksPage final : public ListSheetPage {
 public:
  using ListSheetPage::ListSheetPage;

 private:
  void init(HWND page) override {
    app_.directions.reset(0, 5);
    const ControlText texts[] = {
        {IDC_EXPLANATION, IDS_TASKS_EXPLANATION}, {IDC_EXPLANATION_2, IDS_TASKS_EXPLANATION_2},
        {IDC_INFO, IDS_MENU_INFO},                {IDC_REMOVE, IDS_MENU_REMOVE},            {IDC_CLOSE_PAGE, IDS_CLOSE_BUTTON},
        {IDC_HELP_CAPTION, IDS_HELP_CAPTION},     {IDC_MONITOR_CAPTION, IDS_MONITOR_CAPTION},
    };
    set_up_page(page, cmd::kScheduledTasks, texts, false, IDI_PROGRAM);
    show_patrol_image(app_, page, Opt::Tasks);
  }

  void fill() {
    list_->begin_fill();
    companies_.clear();
    listing_ = list_tasks(items_, system_item_rules());
    for (std::size_t i = 0; i < items_.size(); ++i) {
      const StartupItem& item = items_[i];
      VersionInfo vi;
      if (!item.file.empty()) version_information(item.file, vi);
      companies_.push_back(vi.company_name);
      const int row = list_->add_row(item.title, static_cast<int>(i), item.file);
      list_->set_text(row, 1, std::string(file_name_of_path(item.file)));
      list_->set_text(row, 2, vi.company_name);
      list_->set_text(row, 3, item.command);
      list_->set_text(row, 4, item.detail);
    }
    list_->end_fill(comparator());
  }

  ListPage::Comparator comparator() const {
    return key_comparator([this](int index, int column) { return key(index, column); });
  }

  std::string key(int index, int column) const {
    if (index < 0 || static_cast<std::size_t>(index) >= companies_.size()) return {};
    const StartupItem& item = items_[static_cast<std::size_t>(index)];
    switch (column) {
      case 0: return item.title;
      case 1: return file_name_key(item.file);
      case 2: return companies_[static_cast<std::size_t>(index)];
      case 3: return item.command;
      case 4: return item.detail;
      default: return {};
    }
  }

  INT_PTR notify(HWND page, const NMHDR* n) override {
    switch (n->code) {
      case PSN_SETACTIVE: fill(); break;
      case PSN_KILLACTIVE:
        list_->deactivate();
        items_.clear();
        companies_.clear();
        listing_ = {};
        break;
      case PSN_RESET:
        if (app_.current_page == cmd::kScheduledTasks) {
          list_->save_position();
          list_->save_column_widths();
          app_.current_page = 0;
          PostMessageA(app_.owner, WM_CLOSE, 0, 0);
        }
        break;
      case LVN_COLUMNCLICK: list_->sort_click(reinterpret_cast<const NMLISTVIEW*>(n)->iSubItem, comparator()); break;
      case NM_RCLICK:
        if (const StartupItem* item = selected_item(); item && n->idFrom == IDC_LIST)
          item_menu(browser_page_menu(cmd::kScheduledTasks, has_note(*item)));
        break;
      case LVN_ITEMCHANGED:
        if (newly_selected(n)) show_selected_in_status(&StartupItem::file);
        break;
      default: break;
    }
    SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
    return TRUE;
  }

  void command(HWND page, int id) override {
    if (program_command(page, id)) return;
    switch (id) {
      case cmd::kRelayout: list_->relayout({{IDC_INFO, 0}, {IDC_REMOVE, 0}, {IDC_CLOSE_PAGE, 0}}); break;
      case menu::kInfo:
        if (open_info_for_selection(app_, page, *list_, items_)) fill();
        break;
      case menu::kLookup: look_up_selected(app_, page, *list_, items_); break;
      case menu::kHelp: list_->open_help(); break;
      case IDC_REMOVE: remove(page); break;
      case IDC_MONITOR_IMAGE: change_patrol_time(app_, page, IDS_PATROL_TIME_TASKS, Opt::Tasks); break;
      case IDC_CLOSE_PAGE: close_sheet(page); break;
      default: break;
    }
  }

  void remove(HWND page) {
    const int index = list_->first_selected();
    if (index < 0 || static_cast<std::size_t>(index) >= listing_.names.size()) {
      MessageBoxA(page, settings::text(IDS_NO_SELECTION).c_str(), app_.title.c_str(), MB_OK | MB_TOPMOST);
      return;
    }
    const std::string title = items_[static_cast<std::size_t>(index)].title;
    const std::string question = fill_question(settings::text(IDS_REMOVE_TASK_QUESTION), title);
    if (MessageBoxA(page, question.c_str(), app_.title.c_str(), MB_YESNO | MB_ICONWARNING | MB_TOPMOST) != IDYES)
      return;
    // The scheduler's own name: the listed title may have been shortened or renamed.
    const TaskDeletionResult result = delete_task(listing_.names[static_cast<std::size_t>(index)]);
    if (const int message = task_not_deleted_string(result); message != 0)
      MessageBoxA(page, fill_question(settings::text(message), title).c_str(), app_.title.c_str(),
                  MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
    else
      delete_task_snapshot(title);
    fill();
  }

  TaskListing listing_;
  std::vector<std::string> companies_;
};

}  // namespace

std::unique_ptr<SheetPage> make_scheduled_tasks_page(App& app, SheetContext& sheet) {
  return std::make_unique<TasksPage>(app, sheet);
}

}  // namespace kestrom::explorer
