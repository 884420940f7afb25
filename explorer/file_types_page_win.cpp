// The File Types tab: the watched associations through the list page framework; Add watches
// another extension (the Add File Type Extension dialog), Remove stops watching one.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "categories/file_types_win.hpp"
#include "common/info_server.hpp"
#include "common/info_server_win.hpp"
#include "common/options_table.hpp"
#include "common/paths.hpp"
#include "common/pathtext.hpp"
#include "common/product.hpp"
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
#include "platform/callback_guard.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::explorer {

namespace {

// The Add File Type Extension dialog: OK adds the typed extension; a refusal is told and the
// dialog stays; the place it had is remembered when it closes with an addition.
struct AddDialogState {
  App* app = nullptr;
  bool added = false;
};

INT_PTR add_dialog_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  auto* state = reinterpret_cast<AddDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, DWLP_USER, lp);
      const std::pair<int, int> texts[] = {{IDC_ADD_TYPE_PROMPT, IDS_ADD_TYPE_PROMPT},
                                           {IDC_ADD_TYPE_LABEL, IDS_FILE_TYPE_EXTENSION},
                                           {IDOK, IDS_ADD_TYPE_BUTTON},
                                           {IDCANCEL, IDS_CLOSE_BUTTON}};
      for (const auto& [control, string] : texts) SetDlgItemTextA(dialog, control, settings::text(string, 512).c_str());
      SetWindowTextA(dialog, settings::text(IDS_ADD_TYPE_TITLE, 256).c_str());
      SendDlgItemMessageA(dialog, IDC_ADD_TYPE_EDIT, EM_LIMITTEXT, file_types::kMaxExtension, 0);
      const auto [x, y, dx, dy] = read_window_position(WindowFamily::AddFileType);
      if (!x.empty() && !y.empty())
        SetWindowPos(dialog, nullptr, decimal_value(x), decimal_value(y), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      return TRUE;
    }
    case WM_COMMAND:
      if (!state) return FALSE;
      if (LOWORD(wp) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
      } else if (LOWORD(wp) == IDOK) {
        char typed[file_types::kMaxExtension + 2] = {};
        GetDlgItemTextA(dialog, IDC_ADD_TYPE_EDIT, typed, sizeof typed);
        const int message = file_types::add_watched_file_type(typed);
        if (message > 0) {
          show_message_dialog(*state->app, message);
          return TRUE;
        }
        RECT r{};
        GetWindowRect(dialog, &r);
        write_window_position(WindowFamily::AddFileType, r.left, r.top, r.right - r.left, r.bottom - r.top);
        state->added = true;
        EndDialog(dialog, IDOK);
      }
      return TRUE;
    default: return FALSE;
  }
}

class FileTypesPage final : public ListSheetPage {
 public:
  using ListSheetPage::ListSheetPage;

 private:
  void init(HWND page) override {
    app_.directions.reset(0, 6);
    const ControlText texts[] = {
        {IDC_EXPLANATION, IDS_FILE_TYPES_EXPLANATION}, {IDC_EXPLANATION_2, IDS_FILE_TYPES_EXPLANATION_2},
        {IDC_INFO, IDS_MENU_INFO},                     {IDC_ADD, IDS_MENU_ADD},
        {IDC_REMOVE, IDS_MENU_REMOVE},
        {IDC_CLOSE_PAGE, IDS_CLOSE_BUTTON},            {IDC_HELP_CAPTION, IDS_HELP_CAPTION},
        {IDC_MONITOR_CAPTION, IDS_MONITOR_CAPTION},
    };
    set_up_page(page, cmd::kFileTypes, texts, false, IDI_PROGRAM);
    show_patrol_image(app_, page, Opt::FileType);
  }

  void fill() {
    list_->begin_fill();
    companies_.clear();
    listed_ = file_types::list_file_types(items_, system_item_rules());
    const std::string no_file = settings::text(IDS_NO_ASSOCIATED_FILE, 256);
    for (std::size_t i = 0; i < items_.size(); ++i) {
      const StartupItem& item = items_[i];
      const std::string program = command_to_file(item.file);
      VersionInfo vi;
      if (!program.empty()) version_information(program, vi);
      companies_.push_back(vi.company_name);
      const int row = list_->add_row(item.title, static_cast<int>(i), program);
      const std::string shown = executable_of_command(item.file);
      list_->set_text(row, 1, shown.empty() ? no_file : shown);
      list_->set_text(row, 2, vi.company_name);
      list_->set_text(row, 3, item.command);
      list_->set_text(row, 4, item.detail);
      list_->set_text(row, 5, std::to_string(item.value));
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
      case 1: return executable_of_command(item.file);
      case 2: return companies_[static_cast<std::size_t>(index)];
      case 3: return item.command;
      case 4: return item.detail;
      case 5: return std::to_string(item.value);
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
        listed_.clear();
        break;
      case PSN_RESET:
        if (app_.current_page == cmd::kFileTypes) {
          list_->save_position();
          list_->save_column_widths();
          app_.current_page = 0;
          PostMessageA(app_.owner, WM_CLOSE, 0, 0);
        }
        break;
      case LVN_COLUMNCLICK: list_->sort_click(reinterpret_cast<const NMLISTVIEW*>(n)->iSubItem, comparator()); break;
      case NM_RCLICK:
        if (n->idFrom == IDC_LIST && list_->first_selected() >= 0) {
          std::vector<MenuEntry> entries{{IDS_MENU_INFO, menu::kInfo}};
          if (selected_has_note()) entries.push_back({IDS_MENU_VIEW_NOTE, menu::kViewNote});
          entries.insert(entries.end(), {{IDS_MENU_ADD, menu::kAdd}, {IDS_MENU_REMOVE, menu::kRemove}});
          append_common_menu_end(entries, cmd::kFileTypes);
          item_menu(entries);
        }
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
    switch (id) {
      case cmd::kRelayout:
        list_->relayout({{IDC_INFO, 0}, {IDC_ADD, 0}, {IDC_REMOVE, 0}, {IDC_CLOSE_PAGE, 0}});
        break;
      case menu::kHelp: list_->open_help(); break;
      case menu::kLookup: look_up(page); break;
      case menu::kInfo: {
        InfoWindowOptions options;
        options.location_line = [](const StartupItem& item) { return file_type_location(item.detail); };
        if (open_info_for_selection(app_, page, *list_, items_, options)) fill();
        break;
      }
      case IDC_ADD: add(page); break;
      case IDC_MONITOR_IMAGE: change_patrol_time(app_, page, IDS_PATROL_TIME_FILE_TYPES, Opt::FileType); break;
      case IDC_REMOVE: remove(page); break;
      case IDC_CLOSE_PAGE: close_sheet(page); break;
      default: break;
    }
  }

  // The program of the selected association, looked up as a file type (the menu's lookup).
  void look_up(HWND page) {
    const int index = list_->first_selected();
    if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) {
      MessageBoxA(page, settings::text(IDS_NO_SELECTION).c_str(), app_.title.c_str(), MB_OK | MB_TOPMOST);
      return;
    }
    const StartupItem& item = items_[static_cast<std::size_t>(index)];
    info_server::look_up_program(app_.owner, info_server::kFromFileTypes, item.file, item.title);
  }

  void add(HWND page) {
    AddDialogState state{&app_, false};
    DialogBoxParamA(app_.instance, MAKEINTRESOURCEA(IDD_ADD_FILE_TYPE), page,
                    &platform::dialog_procedure<&add_dialog_proc>, reinterpret_cast<LPARAM>(&state));
    fill();
  }

  void remove(HWND page) {
    const int index = list_->first_selected();
    if (index < 0 || static_cast<std::size_t>(index) >= listed_.size()) {
      MessageBoxA(page, settings::text(IDS_NO_REMOVE_SELECTION).c_str(), app_.title.c_str(), MB_OK | MB_TOPMOST);
      return;
    }
    file_types::stop_watching_file_type(listed_[static_cast<std::size_t>(index)].extension);
    fill();
  }

  std::vector<file_types::Association> listed_;
  std::vector<std::string> companies_;
};

}  // namespace

std::unique_ptr<SheetPage> make_file_types_page(App& app, SheetContext& sheet) {
  return std::make_unique<FileTypesPage>(app, sheet);
}

}  // namespace kestrom::explorer
