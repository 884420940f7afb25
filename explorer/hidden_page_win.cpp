// The Hidden Files tab: the hidden files of the scanned folders, with Unhide, Delete (through
// the product, so the History can restore the file) and a view in Notepad.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "categories/hidden_files_win.hpp"
#include "common/detected.hpp"
#include "common/info_server_win.hpp"
#include "common/paths.hpp"
#include "common/string_ids.h"
#include "common/text.hpp"
#include "explorer/info_window_win.hpp"
#include "explorer/list_page_win.hpp"
#include "explorer/page_switch.hpp"
#include "explorer/patrol_time.hpp"
#include "explorer/patrol_time_win.hpp"
#include "explorer/pages_win.hpp"
#include "explorer/resource_ids.h"
#include "explorer/settings_win.hpp"
#include "explorer/string_ids.h"
#include "platform/process.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::explorer {

namespace {

struct HiddenRow {
  std::string first_detected, last_written, type;
  std::string date_key, written_key;
};

class HiddenPage final : public ListSheetPage {
 public:
  using ListSheetPage::ListSheetPage;

 private:
  void init(HWND page) override {
    app_.directions.reset(0, 5);
    const ControlText texts[] = {
        {IDC_EXPLANATION, IDS_HIDDEN_EXPLANATION}, {IDC_EXPLANATION_2, IDS_HIDDEN_EXPLANATION_MORE},
        {IDC_INFO, IDS_MENU_INFO},                 {IDC_REFRESH, IDS_MENU_REFRESH},
        {IDC_UNHIDE, IDS_HIDDEN_UNHIDE},           {IDC_DELETE_HIDDEN, IDS_MENU_DELETE_FILE},
        {IDC_CLOSE_PAGE, IDS_CLOSE_BUTTON},
        {IDC_HELP_CAPTION, IDS_HELP_CAPTION},      {IDC_MONITOR_CAPTION, IDS_MONITOR_CAPTION},
    };
    set_up_page(page, cmd::kHiddenFiles, texts, false, monitor_icon());
  }

  // The monitor image: active while hidden files are patrolled.
  static int monitor_icon() { return settings::option(Opt::Hidden) > 0 ? IDI_MONITOR_ACTIVE : IDI_MONITOR_INACTIVE; }
  void show_monitor_image(HWND page) const { icon_button(page, IDC_MONITOR_IMAGE, monitor_icon()); }

  void fill() {
    list_->begin_fill();
    items_.clear();
    rows_.clear();
    list_hidden_files(items_, system_item_rules());
    const std::string hidden_word = settings::text(IDS_HIDDEN_TYPE_HIDDEN, 64);
    const std::string system_word = settings::text(IDS_HIDDEN_TYPE_SYSTEM, 64);
    for (std::size_t i = 0; i < items_.size(); ++i) {
      const StartupItem& item = items_[i];
      HiddenRow r;
      r.first_detected = first_sighting_noted(item.file, item.code, detected::kHidden);
      FileFacts facts;
      if (file_facts(item.file, facts)) r.last_written = facts.date;
      r.type = item.value == 1 ? hidden_word : system_word;
      r.date_key = first_detected_key(r.first_detected);
      r.written_key = first_detected_key(r.last_written);
      const int row = list_->add_row(item.title, static_cast<int>(i), item.file);
      list_->set_text(row, 1, item.file);
      list_->set_text(row, 2, r.first_detected);
      list_->set_text(row, 3, r.last_written);
      list_->set_text(row, 4, r.type);
      rows_.push_back(std::move(r));
    }
    list_->end_fill(comparator());
  }

  ListPage::Comparator comparator() const {
    return [this](int a, int b, int column, int flag) {
      const int order = compare_keys(key(a, column), key(b, column));
      return flag ? -order : order;
    };
  }

  std::string key(int index, int column) const {
    if (index < 0 || static_cast<std::size_t>(index) >= rows_.size()) return {};
    const StartupItem& item = items_[static_cast<std::size_t>(index)];
    const HiddenRow& r = rows_[static_cast<std::size_t>(index)];
    switch (column) {
      case 0: return item.title;
      case 1: return item.file;
      case 2: return r.date_key;
      case 3: return r.written_key;
      case 4: return r.type;
      default: return {};
    }
  }

  const StartupItem* selected(HWND page) const {
    const int index = list_->first_selected();
    if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) {
      MessageBoxA(page, settings::text(IDS_NO_SELECTION).c_str(), app_.title.c_str(), MB_OK | MB_TOPMOST);
      return nullptr;
    }
    return &items_[static_cast<std::size_t>(index)];
  }

  INT_PTR notify(HWND page, const NMHDR* n) override {
    switch (n->code) {
      case PSN_SETACTIVE: fill(); break;
      case PSN_KILLACTIVE:
        list_->deactivate();
        items_.clear();
        rows_.clear();
        break;
      case PSN_RESET:
        if (app_.current_page == cmd::kHiddenFiles) {
          list_->save_position();
          list_->save_column_widths();
          app_.current_page = 0;
          PostMessageA(app_.owner, WM_CLOSE, 0, 0);
        }
        break;
      case LVN_COLUMNCLICK: list_->sort_click(reinterpret_cast<const NMLISTVIEW*>(n)->iSubItem, comparator()); break;
      case NM_RCLICK:
        if (n->idFrom == IDC_LIST && list_->first_selected() >= 0) {
          std::vector<MenuEntry> entries = program_menu_head(selected_has_note());
          entries.insert(entries.end(), {{IDS_MENU_REFRESH, IDC_REFRESH},
                                         {IDS_MENU_DELETE_FILE, IDC_DELETE_HIDDEN},
                                         {IDS_MENU_DELETE_ON_REBOOT, menu::kDeleteOnReboot},
                                         {IDS_MENU_VIEW_NOTEPAD, IDC_VIEW_NOTEPAD}});
          append_common_menu_end(entries, cmd::kHiddenFiles);
          item_menu(entries);
        }
        break;
      case LVN_ITEMCHANGED: {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(n);
        const int index = list_->first_selected();
        if ((change->uNewState & LVIS_SELECTED) && index >= 0 && static_cast<std::size_t>(index) < items_.size())
          list_->set_status(items_[static_cast<std::size_t>(index)].file);
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
        list_->relayout({{IDC_INFO, 0}, {IDC_REFRESH, 0}, {IDC_UNHIDE, 0}, {IDC_DELETE_HIDDEN, 0},
                         {IDC_CLOSE_PAGE, 0}});
        break;
      case menu::kInfo:
        if (open_info_for_selection(app_, page, *list_, items_)) fill();
        break;
      case menu::kLookup:
        if (const StartupItem* item = selected(page))
          info_server::look_up_program(app_.owner, item->code, item->file, item->title);
        break;
      case IDC_REFRESH: fill(); break;
      case IDC_UNHIDE:
        if (const StartupItem* item = selected(page)) {
          unhide_file(item->file);
          fill();
        }
        break;
      case IDC_DELETE_HIDDEN:
        if (const StartupItem* item = selected(page)) delete_selected(page, *item);
        break;
      case IDC_VIEW_NOTEPAD:
        if (const StartupItem* item = selected(page)) {
          const std::array<std::string, 1> arguments{item->file};
          platform::start_program("notepad.exe", arguments);
        }
        break;
      case menu::kDeleteOnReboot:
        if (const StartupItem* item = selected(page)) delete_on_reboot(page, *item);
        break;
      case menu::kExploreFolder:
      case menu::kProperties: program_command(page, id); break;
      case IDC_MONITOR_IMAGE: {
        const int minutes = set_patrol_time(app_, page, IDS_PATROL_TIME_HIDDEN, settings::option(Opt::Hidden));
        if (minutes != kPatrolClosed) {
          settings::set_option(Opt::Hidden, minutes);
          show_monitor_image(page);
        }
        break;
      }
      case menu::kHelp: list_->open_help(); break;
      case IDC_CLOSE_PAGE: close_sheet(page); break;
      default: break;
    }
  }

  void delete_selected(HWND page, StartupItem item) {
    const std::string question = settings::text(IDS_HIDDEN_DELETE_QUESTION);
    if (MessageBoxA(page, question.c_str(), app_.title.c_str(), MB_YESNO | MB_ICONSTOP | MB_TOPMOST) != IDYES) return;
    if (delete_hidden_file(item.file, item.title) == ActionResult::Refused) {
      const std::string text = fill_first_blank(settings::text(IDS_HIDDEN_DELETE_REFUSED), item.file);
      MessageBoxA(page, text.c_str(), app_.title.c_str(), MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
    }
    fill();
  }

  // Nothing is recorded for a deletion at restart; one Windows did not take is told.
  void delete_on_reboot(HWND page, const StartupItem& item) {
    const std::string question = settings::text(IDS_DELETE_ON_REBOOT_QUESTION);
    if (MessageBoxA(page, question.c_str(), app_.title.c_str(), MB_YESNO | MB_ICONSTOP | MB_TOPMOST) != IDYES) return;
    if (delete_at_restart(item.file) != ActionResult::Done) offer_elevated_restart(app_, IDS_DELETE_ON_REBOOT_REFUSED);
  }

  static std::string fill_first_blank(std::string text, const std::string& inserted) {
    if (const auto at = text.find("%s"); at != std::string::npos) text.replace(at, 2, inserted);
    return text;
  }

  std::vector<HiddenRow> rows_;
};

}  // namespace

std::unique_ptr<SheetPage> make_hidden_page(App& app, SheetContext& sheet) {
  return std::make_unique<HiddenPage>(app, sheet);
}

}  // namespace kestrom::explorer
