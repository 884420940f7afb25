// The Startup Programs tab: every auto-start entry through the list page framework.
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "common/detected.hpp"
#include "common/locations.hpp"
#include "common/info_server_win.hpp"
#include "common/paths.hpp"
#include "common/string_ids.h"
#include "explorer/list_page_win.hpp"
#include "explorer/page_switch.hpp"
#include "explorer/pages_win.hpp"
#include "explorer/resource_ids.h"
#include "explorer/settings_win.hpp"
#include "explorer/string_ids.h"
#include "startup/actions.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::explorer {

namespace {

// What the comparator needs of each record, read once per fill rather than once per compare.
struct RowFacts {
  std::string company;
  std::string date_key;
  bool disabled = false;
};

class StartupPage final : public SheetPage {
 public:
  using SheetPage::SheetPage;

 protected:
  INT_PTR handle(HWND page, UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_INITDIALOG: init(page); return TRUE;
      case WM_NOTIFY: return notify(page, reinterpret_cast<NMHDR*>(lp));
      case WM_COMMAND: command(page, LOWORD(wp)); return TRUE;
      case WM_DESTROY: list_.reset(); return FALSE;
      default: return FALSE;
    }
  }

 private:
  void init(HWND page) {
    list_.emplace(app_, page, IDC_LIST, cmd::kStartup);
    // The page's first start: every sort direction starts ascending.
    app_.directions.reset(0, 5);
    set_texts(page);
    ShowWindow(GetDlgItem(page, IDC_ENABLE), SW_HIDE);
    icon_button(page, IDC_HELP_IMAGE, IDI_UNKNOWN_PROGRAM);
    icon_button(page, IDC_MONITOR_IMAGE, IDI_PROGRAM);
    list_->add_columns();
  }

  void set_texts(HWND page) {
    const std::pair<int, int> texts[] = {
        {IDC_EXPLANATION, IDS_STARTUP_EXPLANATION}, {IDC_SHOW_ALL, IDS_SHOW_ALL_STARTUP},
        {IDC_INFO, IDS_MENU_INFO},                  {IDC_ADD, IDS_MENU_ADD},
        {IDC_REMOVE, IDS_MENU_REMOVE},              {IDC_ENABLE, IDS_MENU_ENABLE},
        {IDC_DISABLE, IDS_MENU_DISABLE},            {IDC_CLOSE_PAGE, IDS_CLOSE_BUTTON},
        {IDC_HELP_CAPTION, IDS_HELP_CAPTION},       {IDC_MONITOR_CAPTION, IDS_MONITOR_CAPTION},
    };
    for (const auto& [control, string] : texts)
      SetDlgItemTextA(page, control, settings::text(string, 256).c_str());
  }

  void icon_button(HWND page, int control, int icon_id) {
    auto icon = static_cast<HICON>(LoadImageA(app_.instance, MAKEINTRESOURCEA(icon_id), IMAGE_ICON, 16, 16, LR_SHARED));
    SendDlgItemMessageA(page, control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
  }

  void fill(HWND page) {
    list_->begin_fill();
    items_.clear();
    facts_.clear();
    StartupScan scan;
    scan.advanced = true;
    scan.show_all_startup = settings::option(Opt::ShowAllStartup);
    scan.wow64_view = wow64_view_present();
    list_startup_programs(items_, scan, system_item_rules());
    const std::string disabled_word = settings::text(IDS_DISABLED_TYPE, 64);
    for (std::size_t i = 0; i < items_.size(); ++i) {
      const StartupItem& item = items_[i];
      RowFacts f;
      std::string program = command_to_file(item.file);
      VersionInfo vi;
      if (!program.empty()) version_information(program, vi);
      f.company = vi.company_name;
      f.disabled = has_disabled_marker(item.title);
      std::string date = first_sighting(item.file, item.code);
      if (date.empty()) {
        note_first_sighting(item.file, detected::kStartup);
        date = first_sighting(item.file, item.code);
      }
      f.date_key = first_detected_key(date);
      int row = list_->add_row(item.title, static_cast<int>(i), program);
      list_->set_text(row, 1, startup_command_text(item.file, item.value == 1));
      list_->set_text(row, 2, f.company);
      list_->set_text(row, 3, f.disabled ? disabled_word : std::string(short_tag(item.code)));
      list_->set_text(row, 4, date);
      facts_.push_back(std::move(f));
    }
    list_->end_fill(comparator());
    CheckDlgButton(page, IDC_SHOW_ALL, settings::option(Opt::ShowAllStartup) > 0 ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(page, IDC_SHOW_ALL), TRUE);
  }

  ListPage::Comparator comparator() const {
    return [this](int a, int b, int column, int flag) {
      return compare_startup(key(a, column), key(b, column), flag);
    };
  }

  StartupKey key(int index, int column) const {
    StartupKey k;
    if (index < 0 || static_cast<std::size_t>(index) >= facts_.size()) return k;
    const StartupItem& item = items_[static_cast<std::size_t>(index)];
    const RowFacts& f = facts_[static_cast<std::size_t>(index)];
    k.disabled = f.disabled;
    switch (column) {
      case 0: k.key = item.title; break;
      case 1: k.key = file_name_key(item.file); break;
      case 2: k.key = f.company; break;
      case 3: k.key = code_key(item.code); break;
      case 4: k.key = f.date_key; break;
      default: break;
    }
    return k;
  }

  INT_PTR notify(HWND page, const NMHDR* n) {
    switch (n->code) {
      case PSN_SETACTIVE: fill(page); break;
      case PSN_KILLACTIVE:
        list_->deactivate();
        items_.clear();
        facts_.clear();
        break;
      case PSN_RESET:
        if (app_.current_page == cmd::kStartup) {
          list_->save_position();
          list_->save_column_widths();
          app_.current_page = 0;
          PostMessageA(app_.owner, WM_CLOSE, 0, 0);
        }
        break;
      case LVN_COLUMNCLICK:
        list_->sort_click(reinterpret_cast<const NMLISTVIEW*>(n)->iSubItem, comparator());
        break;
      case NM_RCLICK:
        if (n->idFrom == IDC_LIST) {
          int index = list_->first_selected();
          if (index >= 0) {
            const StartupItem& item = items_[static_cast<std::size_t>(index)];
            list_->context_menu(startup_menu(item.code, facts_[static_cast<std::size_t>(index)].disabled, false));
          }
        }
        break;
      case LVN_ITEMCHANGED: {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(n);
        if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED)) show_location();
        break;
      }
      case NM_DBLCLK:
        if (n->idFrom == IDC_LIST) command(page, menu::kLookup);
        break;
      default: break;
    }
    SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
    return TRUE;
  }

  void command(HWND page, int id) {
    switch (id) {
      case cmd::kRelayout:
        list_->relayout({{IDC_INFO, 0},
                         {IDC_ADD, 0},
                         {IDC_REMOVE, 0},
                         {IDC_DISABLE, IDC_ENABLE},
                         {IDC_CLOSE_PAGE, 0}});
        break;
      case menu::kLookup: {
        int index = list_->first_selected();
        if (index < 0) {
          MessageBoxA(page, settings::text(IDS_NO_SELECTION).c_str(), app_.title.c_str(), MB_OK | MB_TOPMOST);
          break;
        }
        const StartupItem& item = items_[static_cast<std::size_t>(index)];
        info_server::look_up_program(app_.owner, item.code, item.file, item.title);
        break;
      }
      case menu::kHelp: list_->open_help(); break;  // the menu entry and the help image button
      case IDC_SHOW_ALL:
        settings::set_option(Opt::ShowAllStartup, IsDlgButtonChecked(page, IDC_SHOW_ALL) == BST_CHECKED ? 1 : 0);
        fill(page);
        break;
      case IDC_CLOSE_PAGE: close_sheet(page); break;
      default: break;  // the entry actions arrive with the page's own work
    }
  }

  // "Startup Location: " and where the selected entry lives, in the status bar.
  void show_location() {
    int index = list_->first_selected();
    if (index < 0 || static_cast<std::size_t>(index) >= facts_.size()) return;
    const StartupItem& item = items_[static_cast<std::size_t>(index)];
    int string_number = location_text_string(item.code);
    std::string where = location_text(item.code, facts_[static_cast<std::size_t>(index)].disabled,
                                      settings::text(IDS_DISABLED_TYPE, 64),
                                      string_number ? settings::text(string_number) : std::string());
    list_->set_status(settings::text(IDS_STARTUP_LOCATION, 64) + where);
  }

  std::optional<ListPage> list_;
  ItemList items_;
  std::vector<RowFacts> facts_;
};

class OptionsPage final : public SheetPage {
 public:
  using SheetPage::SheetPage;

 protected:
  INT_PTR handle(HWND page, UINT msg, WPARAM, LPARAM lp) override {
    switch (msg) {
      case WM_INITDIALOG:
        SetDlgItemTextA(page, IDC_EXPLANATION, settings::text(IDS_OPTIONS_PLACEHOLDER).c_str());
        return TRUE;
      case WM_NOTIFY: {
        const auto* n = reinterpret_cast<const NMHDR*>(lp);
        if (n->code == PSN_SETACTIVE) app_.current_page = cmd::kOptions;
        if (n->code == PSN_KILLACTIVE) save_position();
        if (n->code == PSN_RESET && app_.current_page == cmd::kOptions) {
          save_position();
          app_.current_page = 0;
          PostMessageA(app_.owner, WM_CLOSE, 0, 0);
        }
        SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
        return TRUE;
      }
      default: return FALSE;
    }
  }

 private:
  void save_position() const { save_sheet_position(app_, cmd::kOptions); }
};

}  // namespace

std::unique_ptr<SheetPage> make_startup_page(App& app, SheetContext& sheet) {
  return std::make_unique<StartupPage>(app, sheet);
}

std::unique_ptr<SheetPage> make_options_page(App& app, SheetContext& sheet) {
  return std::make_unique<OptionsPage>(app, sheet);
}

}  // namespace kestrom::explorer
