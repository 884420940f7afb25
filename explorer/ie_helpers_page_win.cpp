// The IE Helpers and ActiveX tabs through the list page framework: the browser's helpers,
// removable one by one, and the controls it has used, switched off and on by their kill bits.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "categories/activex_win.hpp"
#include "categories/ie_helpers_win.hpp"
#include "common/detected.hpp"
#include "common/locations.hpp"
#include "common/paths.hpp"
#include "common/pathtext.hpp"
#include "common/string_ids.h"
#include "common/text.hpp"
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

constexpr int kHelperColumns = 5;
constexpr int kActiveXColumns = 6;

// What the comparators need of each row, read once per fill.
struct RowFacts {
  std::string company;
  std::string type;
  std::string date_key;
};

// The parts both pages share: the list, its facts, the common notifications.
class BrowserPage : public ListSheetPage {
 public:
  using ListSheetPage::ListSheetPage;

 protected:
  // The rows of items_ with their company, type text and first-detected date.
  void add_rows(std::string_view category, bool class_column) {
    facts_.clear();
    for (std::size_t i = 0; i < items_.size(); ++i) {
      const StartupItem& item = items_[i];
      RowFacts f;
      if (!item.file.empty()) f.company = version_information(command_to_file(item.file)).company_name;
      f.type = type_text(item);
      const std::string date = first_sighting_noted(item.file, item.code, category);
      f.date_key = first_detected_key(date);
      const int row = list_->add_row(item.title, static_cast<int>(i), item.file);
      list_->set_text(row, 1, std::string(file_name_of_path(item.file)));
      list_->set_text(row, 2, f.company);
      list_->set_text(row, 3, f.type);
      list_->set_text(row, 4, date);
      if (class_column) list_->set_text(row, 5, item.command);
      facts_.push_back(std::move(f));
    }
  }

  virtual std::string type_text(const StartupItem& item) const = 0;

  ListPage::Comparator comparator() const {
    return key_comparator([this](int index, int column) { return key(index, column); });
  }

  std::string key(int index, int column) const {
    if (index < 0 || static_cast<std::size_t>(index) >= facts_.size()) return {};
    const StartupItem& item = items_[static_cast<std::size_t>(index)];
    const RowFacts& f = facts_[static_cast<std::size_t>(index)];
    switch (column) {
      case 0: return item.title;
      case 1: return file_name_key(item.file);
      case 2: return f.company;
      case 3: return f.type;
      case 4: return f.date_key;
      case 5: return item.command;
      default: return {};
    }
  }

  // The notifications both pages answer alike; `fill` refills, `selected` follows a selection.
  INT_PTR common_notify(HWND page, const NMHDR* n, int columns) {
    switch (n->code) {
      case PSN_SETACTIVE: fill(page); break;
      case PSN_KILLACTIVE:
        list_->deactivate();
        items_.clear();
        facts_.clear();
        break;
      case PSN_RESET: end_on_reset(app_, *list_); break;
      case LVN_COLUMNCLICK: {
        const int column = reinterpret_cast<const NMLISTVIEW*>(n)->iSubItem;
        if (column < columns) list_->sort_click(column, comparator());
        break;
      }
      case LVN_ITEMCHANGED: {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(n);
        if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED)) selection_changed(page);
        break;
      }
      case NM_RCLICK:
        if (const StartupItem* item = selected_item(); item && n->idFrom == IDC_LIST)
          item_menu(browser_page_menu(list_->page_command(), has_note(*item)));
        break;
      default: break;
    }
    SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
    return TRUE;
  }


  virtual void fill(HWND page) = 0;
  // The information window's location line of an item.
  virtual std::string location_line(const StartupItem& item) const = 0;

  void open_info(HWND page) {
    InfoWindowOptions options;
    options.location_line = [this](const StartupItem& item) { return location_line(item); };
    if (open_info_for_selection(app_, page, *list_, items_, options)) fill(page);
  }
  virtual void selection_changed(HWND page) {
    if (const StartupItem* item = selected_item()) list_->set_status(item->file);
    (void)page;
  }

  const StartupItem* selected_item() const {
    const int index = list_->first_selected();
    if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) return nullptr;
    return &items_[static_cast<std::size_t>(index)];
  }

  void no_selection(HWND page) const {
    MessageBoxA(page, settings::text(IDS_NO_SELECTION).c_str(), app_.title.c_str(), MB_OK | MB_TOPMOST);
  }

  bool ask(HWND page, const std::string& question, UINT icon) const {
    return MessageBoxA(page, question.c_str(), app_.title.c_str(), MB_YESNO | icon | MB_TOPMOST) == IDYES;
  }

  std::vector<RowFacts> facts_;
};

class HelpersPage final : public BrowserPage {
 public:
  using BrowserPage::BrowserPage;

 private:
  void init(HWND page) override {
    const ControlText texts[] = {
        {IDC_EXPLANATION, IDS_HELPERS_EXPLANATION}, {IDC_EXPLANATION_2, IDS_HELPERS_EXPLANATION_2},
        {IDC_INFO, IDS_MENU_INFO},                  {IDC_REMOVE, IDS_MENU_REMOVE},
        {IDC_CLOSE_PAGE, IDS_CLOSE_BUTTON},         {IDC_HELP_CAPTION, IDS_HELP_CAPTION},
        {IDC_MONITOR_CAPTION, IDS_MONITOR_CAPTION},
    };
    set_up_page(page, cmd::kIEHelpers, texts, true, IDI_PROGRAM);
    show_patrol_image(app_, page, Opt::IEHelpers);
  }

  std::string type_text(const StartupItem& item) const override {
    const int string = item.code == code::kTypeExtension ? IDS_HELPER_TYPE_EXTENSION : location_text_string(item.code);
    return string ? settings::text(string) : std::string();
  }

  std::string location_line(const StartupItem& item) const override {
    return helper_location(helpers::registration_key(item.code, item.command));
  }

  void fill(HWND) override {
    list_->begin_fill();
    helpers::list_ie_helpers(items_, system_item_rules());
    add_rows(detected::kIEHelper, false);
    list_->end_fill(comparator());
  }

  INT_PTR notify(HWND page, const NMHDR* n) override { return common_notify(page, n, kHelperColumns); }

  void command(HWND page, int id) override {
    if (program_command(page, id)) return;
    switch (id) {
      case cmd::kRelayout: list_->relayout({{IDC_INFO, 0}, {IDC_REMOVE, 0}, {IDC_CLOSE_PAGE, 0}}); break;
      case menu::kInfo: open_info(page); break;
      case menu::kLookup: look_up_selected(app_, page, *list_, items_); break;
      case menu::kHelp: list_->open_help(); break;
      case IDC_REMOVE: remove(page); break;
      case IDC_MONITOR_IMAGE: change_patrol_time(app_, page, IDS_PATROL_TIME_IE_HELPERS, Opt::IEHelpers); break;
      case IDC_CLOSE_PAGE: close_sheet(page); break;
      default: break;
    }
  }

  void remove(HWND page) {
    const StartupItem* selected = selected_item();
    if (!selected) return no_selection(page);
    // By copy: the question's message loop may refill the list.
    const StartupItem item = *selected;
    if (!ask(page, fill_question(settings::text(IDS_REMOVE_HELPER_QUESTION), item.title), MB_ICONWARNING)) return;
    // Found again by kind and registration: the row may name another helper by now.
    const ActionResult result = helpers::remove_ie_helper(item.code, item.command, system_item_rules());
    fill(page);
    if (result == ActionResult::Refused) offer_elevated_restart(app_, IDS_HELPER_CHANGE_REFUSED);
  }
};

class ActiveXPage final : public BrowserPage {
 public:
  using BrowserPage::BrowserPage;

 private:
  void init(HWND page) override {
    const ControlText texts[] = {
        {IDC_EXPLANATION, IDS_ACTIVEX_EXPLANATION}, {IDC_LIST_ALL, IDS_ACTIVEX_LIST_ALL},
        {IDC_SHOW_ALL, IDS_ACTIVEX_NON_MICROSOFT},  {IDC_INFO, IDS_MENU_INFO},
        {IDC_ENABLE, IDS_MENU_ENABLE},              {IDC_DISABLE, IDS_MENU_DISABLE},
        {IDC_CLOSE_PAGE, IDS_CLOSE_BUTTON},         {IDC_HELP_CAPTION, IDS_HELP_CAPTION},
        {IDC_MONITOR_CAPTION, IDS_MONITOR_CAPTION},
    };
    set_up_page(page, cmd::kActiveX, texts, true, IDI_PROGRAM);
    show_patrol_image(app_, page, Opt::ActiveX);
  }

  std::string type_text(const StartupItem& item) const override {
    return settings::text(activex_enabled(static_cast<std::uint32_t>(item.value)) ? IDS_ACTIVEX_ENABLED
                                                                                  : IDS_ACTIVEX_DISABLED);
  }

  std::string location_line(const StartupItem& item) const override { return clsid_location(item.command); }

  void fill(HWND page) override {
    list_->begin_fill();
    const bool all = settings::option(Opt::ActiveXListAll) > 0;
    const int hide_microsoft = settings::option(Opt::HideMicrosoftActiveX);
    activex::list_activex(items_, all ? activex::ListMode::All : activex::ListMode::Statistics, hide_microsoft,
                          system_item_rules());
    add_rows(detected::kActiveX, true);
    list_->end_fill(comparator());
    CheckDlgButton(page, IDC_LIST_ALL, all ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_SHOW_ALL, hide_microsoft > 0 ? BST_CHECKED : BST_UNCHECKED);
    selection_changed(page);
  }

  // The Enable/Disable slot follows the selected control's state.
  void selection_changed(HWND page) override {
    const StartupItem* item = selected_item();
    if (!item) return;
    list_->set_status(item->file);
    const bool enabled = activex_enabled(static_cast<std::uint32_t>(item->value));
    ShowWindow(GetDlgItem(page, IDC_DISABLE), enabled ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(page, IDC_ENABLE), enabled ? SW_HIDE : SW_SHOW);
  }

  INT_PTR notify(HWND page, const NMHDR* n) override { return common_notify(page, n, kActiveXColumns); }

  void command(HWND page, int id) override {
    switch (id) {
      case cmd::kRelayout:
        list_->relayout({{IDC_INFO, 0}, {IDC_DISABLE, IDC_ENABLE}, {IDC_CLOSE_PAGE, 0}});
        break;
      case menu::kInfo: open_info(page); break;
      case menu::kLookup: look_up_selected(app_, page, *list_, items_); break;
      case menu::kHelp: list_->open_help(); break;
      case IDC_MONITOR_IMAGE: change_patrol_time(app_, page, IDS_PATROL_TIME_ACTIVEX, Opt::ActiveX); break;
      case IDC_DISABLE: switch_controls(page, true); break;
      case IDC_ENABLE: switch_controls(page, false); break;
      case IDC_LIST_ALL:
        settings::set_option(Opt::ActiveXListAll, IsDlgButtonChecked(page, IDC_LIST_ALL) == BST_CHECKED ? 1 : 0);
        fill(page);
        break;
      case IDC_SHOW_ALL:
        settings::set_option(Opt::HideMicrosoftActiveX, IsDlgButtonChecked(page, IDC_SHOW_ALL) == BST_CHECKED ? 1 : 0);
        fill(page);
        break;
      case IDC_CLOSE_PAGE: close_sheet(page); break;
      default: break;
    }
  }

  // Disabling asks for every selected control; enabling asks nothing.
  void switch_controls(HWND page, bool off) {
    std::vector<std::string> classes;
    for (int index : list_->selected())
      if (index >= 0 && static_cast<std::size_t>(index) < items_.size())
        classes.push_back(items_[static_cast<std::size_t>(index)].command);
    if (classes.empty()) return no_selection(page);
    bool refused = false;
    for (const std::string& clsid : classes) {
      if (off && !ask(page, settings::text(IDS_DISABLE_ACTIVEX_QUESTION), MB_ICONWARNING)) continue;
      const ActionResult result = off ? activex::set_kill_bit(clsid) : activex::clear_kill_bit(clsid);
      refused = refused || result == ActionResult::Refused;
    }
    fill(page);
    if (refused) offer_elevated_restart(app_, IDS_HELPER_CHANGE_REFUSED);
  }
};

}  // namespace

std::unique_ptr<SheetPage> make_ie_helpers_page(App& app, SheetContext& sheet) {
  return std::make_unique<HelpersPage>(app, sheet);
}

std::unique_ptr<SheetPage> make_activex_page(App& app, SheetContext& sheet) {
  return std::make_unique<ActiveXPage>(app, sheet);
}

}  // namespace kestrom::explorer
