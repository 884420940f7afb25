// The Recent tab: the programs of several categories in one list, the most recently first
// detected on top, with the removal that fits each row's kind on one button. Every action
// lists the row's category again and acts on the row's own item found there, never on an
// index that the new listing may have given to another item.
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "categories/active_tasks.hpp"
#include "categories/activex_win.hpp"
#include "categories/hidden_files_win.hpp"
#include "categories/ie_helpers_win.hpp"
#include "categories/services_win.hpp"
#include "categories/tasks.hpp"
#include "common/detected.hpp"
#include "common/locations.hpp"
#include "common/paths.hpp"
#include "common/pathtext.hpp"
#include "common/text.hpp"
#include "explorer/info_window_win.hpp"
#include "explorer/list_page_win.hpp"
#include "explorer/page_parts_win.hpp"
#include "explorer/page_switch.hpp"
#include "explorer/pages_win.hpp"
#include "explorer/recent_page.hpp"
#include "explorer/resource_ids.h"
#include "explorer/settings_win.hpp"
#include "explorer/string_ids.h"
#include "startup/actions.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::explorer {

namespace {

constexpr int kServiceRunning = 4;  // SERVICE_RUNNING

struct RowFacts {
  std::string company;
  std::string type;
  std::string date_key;
};

// One category's items as they are listed now.
std::vector<StartupItem> list_kind(int tag) {
  ItemList list;
  const ItemRules rules = system_item_rules();
  switch (tag) {
    case recent::kActive: list_active_tasks(list, rules); break;
    case recent::kStartup: {
      StartupScan scan;
      scan.advanced = true;
      scan.show_all_startup = settings::option(Opt::ShowAllStartup);
      scan.wow64_view = wow64_view_present();
      list_startup_programs(list, scan, rules);
      break;
    }
    case recent::kServices: {
      services::list_services(list, services::ListMode::Full, rules);
      std::vector<StartupItem> running;
      for (const StartupItem& item : list.items())
        if (services::service_state(item.title).state == kServiceRunning) running.push_back(item);
      return running;
    }
    case recent::kHidden: list_hidden_files(list, rules); break;
    case recent::kTasks: list_tasks(list, rules); break;
    case recent::kIEHelper: helpers::list_ie_helpers(list, rules); break;
    case recent::kActiveX: activex::list_activex(list, activex::ListMode::Statistics, rules); break;
    default: break;
  }
  return list.items();
}

class RecentPage final : public ListSheetPage {
 public:
  using ListSheetPage::ListSheetPage;

 private:
  void init(HWND page) override {
    const ControlText texts[] = {
        {IDC_EXPLANATION, IDS_RECENT_EXPLANATION}, {IDC_HINT, IDS_RECENT_HINT},     {IDC_INFO, IDS_MENU_INFO},
        {IDC_REFRESH, IDS_REFRESH_BUTTON},         {IDC_CLOSE_PAGE, IDS_CLOSE_BUTTON}, {IDC_HELP_CAPTION, IDS_HELP_CAPTION},
    };
    set_up_page(page, cmd::kRecent, texts, true, 0);
  }

  void fill(HWND page) {
    list_->begin_fill();
    items_.clear();
    records_.clear();
    facts_.clear();
    const ItemRules rules = system_item_rules();
    for (int tag : recent::kFillOrder) {
      const std::string type = settings::text(recent::type_string(tag), 64);
      for (const StartupItem& item : list_kind(tag)) {
        if (items_.full()) break;
        // The program file as the disk spells it: the reduced text is in capitals.
        std::string program = command_to_file(item.file);
        if (!file_exists(program)) continue;
        program = long_path(program);
        if (!items_.add(item.title, item.file, item.command, item.detail, item.code, item.value, rules)) continue;
        const std::string date = first_sighting_noted(item.file, item.code, recent::detected_category(tag));
        RowFacts f{version_information(program).company_name, type, first_detected_key(date)};
        const int index = static_cast<int>(records_.size());
        const int row = list_->add_row(std::string(file_name_of_path(program)), index, program);
        list_->set_text(row, 1, version_information(program).file_description);
        list_->set_text(row, 2, f.company);
        list_->set_text(row, 3, type);
        list_->set_text(row, 4, date);
        records_.push_back({item, std::move(program), tag});
        facts_.push_back(std::move(f));
      }
    }
    list_->end_fill(comparator());
    // Newest first: First Detected descending; the next click on it sorts ascending.
    app_.directions.reset(recent::kFirstDetectedColumn, recent::kFirstDetectedColumn);
    list_->sort(recent::kFirstDetectedColumn, 1, comparator());
    select_top_row();
    show_action(page);
  }

  void select_top_row() const {
    HWND list = list_->list();
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (list_->row_count() == 0) return;
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, 0, FALSE);
  }

  ListPage::Comparator comparator() const {
    return key_comparator([this](int index, int column) { return key(index, column); });
  }

  std::string key(int index, int column) const {
    if (index < 0 || static_cast<std::size_t>(index) >= records_.size()) return {};
    const auto i = static_cast<std::size_t>(index);
    switch (column) {
      case 0: return std::string(file_name_of_path(records_[i].program_file));
      case 1: return version_information(records_[i].program_file).file_description;
      case 2: return facts_[i].company;
      case 3: return facts_[i].type;
      case 4: return facts_[i].date_key;
      default: return {};
    }
  }

  const recent::Record* selected(HWND page) const {
    const int index = list_->first_selected();
    if (index < 0 || static_cast<std::size_t>(index) >= records_.size()) {
      MessageBoxA(page, settings::text(IDS_NO_SELECTION).c_str(), app_.title.c_str(), MB_OK | MB_TOPMOST);
      return nullptr;
    }
    return &records_[static_cast<std::size_t>(index)];
  }

  // The button carries the action of the selected row's kind.
  void show_action(HWND page) const {
    HWND button = GetDlgItem(page, IDC_RECENT_ACTION);
    const int index = list_->first_selected();
    const int action = (index >= 0 && static_cast<std::size_t>(index) < records_.size())
                           ? recent::action_command(records_[static_cast<std::size_t>(index)].tag)
                           : 0;
    if (action == 0) {
      ShowWindow(button, SW_HIDE);
      return;
    }
    SetWindowTextA(button, settings::text(recent::action_string(action), 64).c_str());
    ShowWindow(button, SW_SHOW);
  }

  bool ask(HWND page, int question, const std::string& title) const {
    const std::string text = fill_question(settings::text(question), title);
    return MessageBoxA(page, text.c_str(), app_.title.c_str(), MB_YESNO | MB_ICONWARNING | MB_TOPMOST) == IDYES;
  }

  void act(HWND page, int action) {
    const recent::Record* chosen = selected(page);
    if (!chosen || recent::action_command(chosen->tag) != action) return;
    const recent::Record record = *chosen;
    const StartupItem& item = record.item;
    if (record.tag == recent::kActive) {
      // The process the row was listed with, ended only while it still runs that file.
      if (item.value > 0) end_process(static_cast<std::uint32_t>(item.value), item.title, item.file);
      fill(page);
      return;
    }
    if (record.tag == recent::kIEHelper && !ask(page, IDS_REMOVE_HELPER_QUESTION, item.title)) return;
    if (record.tag == recent::kTasks && !ask(page, IDS_REMOVE_TASK_QUESTION, item.title)) return;
    if (record.tag == recent::kHidden && !ask(page, IDS_HIDDEN_DELETE_QUESTION, item.file)) return;
    const std::vector<StartupItem> fresh = list_kind(record.tag);
    if (const auto found = recent::find_again(fresh, item)) {
      const StartupItem& own = fresh[*found];
      switch (record.tag) {
        case recent::kStartup: remove_startup(page, own, record.program_file); break;
        case recent::kIEHelper:
          if (helpers::remove_ie_helper(own.code, own.command, system_item_rules()) == ActionResult::Refused)
            offer_elevated_restart(app_, IDS_HELPER_CHANGE_REFUSED);
          break;
        case recent::kTasks: remove_task(page, own); break;
        case recent::kServices: services::stop_service_logged(own); break;
        case recent::kHidden: delete_hidden_file(own.file, own.title); break;
        default: break;
      }
    }
    fill(page);
  }

  void remove_startup(HWND page, const StartupItem& own, const std::string& program) {
    ActionResult r;
    if (own.code >= code::kWinlogonUserinit) {
      // Asked as on the Startup page: these places keep Windows itself working.
      r = remove_protected_entry(own.title, own.file, own.command, own.code, protected_removal_warning(app_, page));
    } else {
      end_program(own.title, program);
      r = remove_startup_entry(own.file, own.title, own.command, own.code, {});
    }
    if (r == ActionResult::Refused) offer_elevated_restart(app_, IDS_STARTUP_CHANGE_REFUSED);
  }

  void remove_task(HWND page, const StartupItem& own) {
    // The scheduler's own name of the work item found again.
    ItemList list;
    const TaskListing listing = list_tasks(list, system_item_rules());
    const auto found = recent::find_again(list.items(), own);
    if (!found || *found >= listing.names.size()) return;
    const TaskDeletionResult result = delete_task(listing.names[*found]);
    if (const int message = task_not_deleted_string(result); message != 0)
      MessageBoxA(page, fill_question(settings::text(message), own.title).c_str(), app_.title.c_str(),
                  MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
    else
      delete_task_snapshot(own.title);
  }

  INT_PTR notify(HWND page, const NMHDR* n) override {
    switch (n->code) {
      case PSN_SETACTIVE:
        if (records_.empty()) fill(page);
        app_.current_page = cmd::kRecent;
        break;
      case PSN_KILLACTIVE: list_->deactivate(); break;
      case PSN_RESET: end_on_reset(app_, *list_); break;
      case LVN_COLUMNCLICK: list_->sort_click(reinterpret_cast<const NMLISTVIEW*>(n)->iSubItem, comparator()); break;
      case NM_RCLICK:
        if (n->idFrom == IDC_LIST && list_->first_selected() >= 0) {
          const auto index = static_cast<std::size_t>(list_->first_selected());
          // The note entry opens the note the information window keeps for the row's item.
          std::vector<MenuEntry> entries = recent::recent_menu(records_[index].tag, has_note(items_[index]));
          append_common_menu_end(entries, cmd::kRecent);
          item_menu(entries);
        }
        break;
      case LVN_ITEMCHANGED: {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(n);
        if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED)) {
          const int index = list_->first_selected();
          if (index >= 0 && static_cast<std::size_t>(index) < records_.size())
            list_->set_status(records_[static_cast<std::size_t>(index)].program_file);
          show_action(page);
        }
        break;
      }
      default: break;
    }
    SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
    return TRUE;
  }

  void command(HWND page, int id) override {
    switch (id) {
      case cmd::kRelayout:
        list_->relayout({{IDC_INFO, 0}, {IDC_REFRESH, 0}, {IDC_RECENT_ACTION, 0}, {IDC_CLOSE_PAGE, 0}});
        break;
      case IDC_REFRESH: fill(page); break;
      case IDC_RECENT_ACTION: {
        const int index = list_->first_selected();
        if (index >= 0 && static_cast<std::size_t>(index) < records_.size())
          act(page, recent::action_command(records_[static_cast<std::size_t>(index)].tag));
        break;
      }
      case recent::kKill:
      case recent::kDelete:
      case recent::kStop:
      case menu::kRemove: act(page, id); break;
      case menu::kInfo:
        if (open_info_for_selection(app_, page, *list_, items_)) fill(page);
        break;
      case menu::kLookup: look_up_selected(app_, page, *list_, items_); break;
      case menu::kDeleteOnReboot: {
        // As on the other pages: asked first, nothing recorded, one Windows did not take is told.
        const int index = list_->first_selected();
        if (index < 0 || static_cast<std::size_t>(index) >= records_.size()) break;
        const std::string question = settings::text(IDS_DELETE_ON_REBOOT_QUESTION);
        if (MessageBoxA(page, question.c_str(), app_.title.c_str(), MB_YESNO | MB_ICONSTOP | MB_TOPMOST) != IDYES) break;
        if (delete_at_restart(records_[static_cast<std::size_t>(index)].program_file) != ActionResult::Done)
          offer_elevated_restart(app_, IDS_DELETE_ON_REBOOT_REFUSED);
        break;
      }
      case menu::kExploreFolder:
      case menu::kProperties: {
        const int index = list_->first_selected();
        if (index < 0 || static_cast<std::size_t>(index) >= records_.size()) break;
        const std::string& file = records_[static_cast<std::size_t>(index)].program_file;
        if (id == menu::kExploreFolder)
          explore_program_folder(page, file);
        else
          open_program_properties(page, file);
        break;
      }
      case menu::kHelp: list_->open_help(); break;
      case IDC_CLOSE_PAGE: close_sheet(page); break;
      default: break;
    }
  }

  std::vector<recent::Record> records_;
  std::vector<RowFacts> facts_;
};

}  // namespace

std::unique_ptr<SheetPage> make_recent_page(App& app, SheetContext& sheet) {
  return std::make_unique<RecentPage>(app, sheet);
}

}  // namespace kestrom::explorer
