// The Services tab: the installed services through the list page framework, with their state
// and start type, and the choice to leave out Microsoft's own.
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "categories/services_win.hpp"
#include "common/detected.hpp"
#include "common/paths.hpp"
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

constexpr int kColumns = 6;

// What the comparator needs of each service, read once per fill.
struct ServiceFacts {
  std::string company;
  std::string state;
  std::string date_key;
};

class ServicesPage final : public ListSheetPage {
 public:
  using ListSheetPage::ListSheetPage;

 private:
  void init(HWND page) override {
    const ControlText texts[] = {
        {IDC_EXPLANATION, IDS_SERVICES_EXPLANATION}, {IDC_HINT, IDS_SERVICES_HINT},
        {IDC_SHOW_ALL, IDS_NON_MICROSOFT_SERVICES},  {IDC_INFO, IDS_MENU_INFO},
        {IDC_CLOSE_PAGE, IDS_CLOSE_BUTTON},          {IDC_HELP_CAPTION, IDS_HELP_CAPTION},
        {IDC_MONITOR_CAPTION, IDS_MONITOR_CAPTION},
    };
    // The two explanations stand one above the other, so their leading line breaks go.
    set_up_page(page, cmd::kServices, texts, true, IDI_PROGRAM);
  }

  void fill(HWND page) {
    list_->begin_fill();
    items_.clear();
    facts_.clear();
    const bool hide_microsoft = settings::option(Opt::HideMicrosoftServices) > 0;
    services::list_services(items_, services::ListMode::Full, system_item_rules(), hide_microsoft);
    for (std::size_t i = 0; i < items_.size(); ++i) {
      const StartupItem& item = items_[i];
      ServiceFacts f;
      const std::string program = command_to_file(item.file);
      if (!program.empty()) f.company = version_information(program).company_name;
      f.state = services::service_status_text(item.title);
      const std::string date = first_sighting_noted(item.file, item.code, detected::kServices);
      f.date_key = first_detected_key(date);
      const int row = list_->add_row(item.title, static_cast<int>(i), program);
      list_->set_text(row, 1, item.file);
      list_->set_text(row, 2, f.company);
      list_->set_text(row, 3, f.state);
      list_->set_text(row, 4, item.command);
      list_->set_text(row, 5, date);
      facts_.push_back(std::move(f));
    }
    list_->end_fill(comparator());
    CheckDlgButton(page, IDC_SHOW_ALL, hide_microsoft ? BST_CHECKED : BST_UNCHECKED);
  }

  ListPage::Comparator comparator() const {
    return key_comparator([this](int index, int column) { return key(index, column); });
  }

  std::string key(int index, int column) const {
    if (index < 0 || static_cast<std::size_t>(index) >= facts_.size()) return {};
    const StartupItem& item = items_[static_cast<std::size_t>(index)];
    const ServiceFacts& f = facts_[static_cast<std::size_t>(index)];
    switch (column) {
      case 0: return item.title;
      case 1: return file_name_key(item.file);
      case 2: return f.company;
      case 3: return f.state;
      case 4: return item.command;
      case 5: return f.date_key;
      default: return {};
    }
  }

  INT_PTR notify(HWND page, const NMHDR* n) override {
    switch (n->code) {
      case PSN_SETACTIVE: {
        HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
        fill(page);
        SetCursor(old);
        break;
      }
      case PSN_KILLACTIVE:
        list_->deactivate();
        items_.clear();
        facts_.clear();
        break;
      case PSN_RESET: end_on_reset(app_, *list_); break;
      case LVN_COLUMNCLICK: {
        const int column = reinterpret_cast<const NMLISTVIEW*>(n)->iSubItem;
        if (column < kColumns + 1) list_->sort_click(column, comparator());
        break;
      }
      case LVN_ITEMCHANGED:
        // The selected service's start type.
        if (newly_selected(n)) show_selected_in_status(&StartupItem::command);
        break;
      case NM_RCLICK:
        if (n->idFrom == IDC_LIST) {
          std::vector<MenuEntry> entries = program_menu_head(selected_has_note());
          append_common_menu_end(entries, cmd::kServices);
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
      case cmd::kRelayout: list_->relayout({{IDC_INFO, 0}, {IDC_CLOSE_PAGE, 0}}); break;
      case menu::kInfo:
        if (open_info_for_selection(app_, page, *list_, items_)) fill(page);
        break;
      case menu::kLookup: look_up_selected(app_, page, *list_, items_); break;
      case menu::kExploreFolder:
      case menu::kProperties: program_command(page, id); break;
      case menu::kHelp: list_->open_help(); break;
      case IDC_SHOW_ALL:
        settings::set_option(Opt::HideMicrosoftServices, IsDlgButtonChecked(page, IDC_SHOW_ALL) == BST_CHECKED ? 1 : 0);
        fill(page);
        break;
      case IDC_CLOSE_PAGE: close_sheet(page); break;
      default: break;
    }
  }

  std::vector<ServiceFacts> facts_;
};

}  // namespace

std::unique_ptr<SheetPage> make_services_page(App& app, SheetContext& sheet) {
  return std::make_unique<ServicesPage>(app, sheet);
}

}  // namespace kestrom::explorer
