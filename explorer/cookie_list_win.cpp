#include "explorer/cookie_list_win.hpp"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "categories/cookies.hpp"
#include "categories/cookies_win.hpp"
#include "common/options_table.hpp"
#include "common/product.hpp"
#include "common/string_ids.h"
#include "common/info_server_win.hpp"
#include "explorer/cookie_page_rules.hpp"
#include "explorer/list_page_win.hpp"
#include "explorer/list_rules.hpp"
#include "explorer/page_switch.hpp"
#include "explorer/patrol_time.hpp"
#include "explorer/patrol_time_win.hpp"
#include "explorer/resource_ids.h"
#include "explorer/settings_win.hpp"
#include "explorer/sheet_geometry.hpp"
#include "explorer/string_ids.h"
#include "platform/callback_guard.hpp"
#include "platform/process.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::explorer {

namespace {

// The window keeps its own sort directions: the sheet's pages share theirs.
class CookieList {
 public:
  CookieList(App& app, int kind) : app_(app), kind_(kind) {}

  INT_PTR handle(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_INITDIALOG: init(dialog); return TRUE;
      case WM_COMMAND: command(dialog, LOWORD(wp)); return TRUE;
      case WM_NOTIFY: {
        const auto* n = reinterpret_cast<const NMHDR*>(lp);
        if (n->idFrom == IDC_LIST && n->code == LVN_COLUMNCLICK)
          sort_click(reinterpret_cast<const NMLISTVIEW*>(n)->iSubItem);
        // The menu is for the selected row; without one nothing opens.
        if (n->idFrom == IDC_LIST && n->code == NM_RCLICK && selected_index() >= 0)
          track_context_menu(dialog, cookie_list_menu(kind_));
        return FALSE;
      }
      case WM_SIZE: relayout(dialog); return FALSE;
      default: return FALSE;
    }
  }

 private:
  int list_command() const { return kind_ == cookies::kKindExplorer ? cmd::kCookies : cmd::kCookieDetail; }

  void init(HWND dialog) {
    dialog_ = dialog;
    list_ = GetDlgItem(dialog, IDC_LIST);
    directions_.reset(0, 5);
    const std::pair<int, int> texts[] = {
        {IDC_COOKIE_LIST_TEXT, IDS_COOKIE_LIST_TEXT},   {IDC_COOKIE_LIST_TEXT_2, IDS_COOKIE_LIST_TEXT_2},
        {IDC_COOKIE_VIEW_FILE, IDS_COOKIE_VIEW_FILE},   {IDC_COOKIE_REMOVE_UNCHECKED, IDS_REMOVE_UNCHECKED},
        {IDC_COOKIE_REMOVE_CHECKED, IDS_REMOVE_CHECKED}, {IDCANCEL, IDS_CLOSE_BUTTON},
    };
    for (const auto& [control, string] : texts) SetDlgItemTextA(dialog, control, settings::text(string, 256).c_str());
    // The stores' rows are no files to view.
    if (kind_ != cookies::kKindExplorer) ShowWindow(GetDlgItem(dialog, IDC_COOKIE_VIEW_FILE), SW_HIDE);
    show_monitor_image();
    place(dialog);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT client{};
    GetClientRect(list_, &client);
    int column = 0;
    for (const ColumnDef& def : columns_of(list_command())) {
      const std::string title = settings::text(def.title_string, 256);
      LVCOLUMNA c{};
      c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
      c.pszText = const_cast<char*>(title.c_str());
      c.cx = static_cast<int>(def.share * (client.right - client.left));
      c.iSubItem = column;
      SendMessageA(list_, LVM_INSERTCOLUMNA, column++, reinterpret_cast<LPARAM>(&c));
    }
    fill();
  }

  void place(HWND dialog) const {
    const auto [x, y, dx, dy] = read_window_position(WindowFamily::Cookie);
    RECT r{};
    GetWindowRect(dialog, &r);
    const Placement p = place_sheet({x, y, dx, dy}, {GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)},
                                    {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                                    {r.right - r.left, r.bottom - r.top});
    SetWindowPos(dialog, nullptr, p.x, p.y, p.size ? p.size->w : 0, p.size ? p.size->h : 0,
                 SWP_NOZORDER | (p.size ? 0 : SWP_NOSIZE));
  }

  void save_position() const {
    RECT r{};
    if (GetWindowRect(dialog_, &r)) write_window_position(WindowFamily::Cookie, r.left, r.top, r.right - r.left, r.bottom - r.top);
  }

  // The list fills the window above the button row, which stays at the bottom.
  void relayout(HWND dialog) const {
    if (!list_) return;
    RECT client{}, list{}, button{};
    GetClientRect(dialog, &client);
    GetWindowRect(list_, &list);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&list), 2);
    GetWindowRect(GetDlgItem(dialog, IDCANCEL), &button);
    const int button_height = button.bottom - button.top, margin = list.left;
    const int row_top = client.bottom - margin - button_height;
    SetWindowPos(list_, nullptr, 0, 0, client.right - 2 * margin, row_top - margin - list.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    for (int id : {IDC_COOKIE_VIEW_FILE, IDC_COOKIE_REMOVE_UNCHECKED, IDC_COOKIE_REMOVE_CHECKED, IDCANCEL}) {
      HWND b = GetDlgItem(dialog, id);
      RECT br{};
      GetWindowRect(b, &br);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&br), 2);
      const int x = id == IDCANCEL ? client.right - margin - (br.right - br.left) : br.left;
      SetWindowPos(b, nullptr, x, row_top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
  }

  void show_monitor_image() const {
    const int icon_id = settings::option(Opt::Cookies) > 0 ? IDI_MONITOR_ACTIVE : IDI_MONITOR_INACTIVE;
    auto icon = static_cast<HICON>(LoadImageA(app_.instance, MAKEINTRESOURCEA(icon_id), IMAGE_ICON, 16, 16, LR_SHARED));
    SendDlgItemMessageA(dialog_, IDC_MONITOR_IMAGE, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
  }

  void fill() {
    ListView_DeleteAllItems(list_);
    ItemRules rules = system_item_rules();
    rules.cookie_limit = static_cast<std::size_t>(std::max(0, settings::option(Opt::MaxCookie)));
    listing_ = cookies::list_cookies(kind_, items_, rules);
    if (listing_.outcome.status == cookies::StoreStatus::Failed) tell(IDS_COOKIE_STORE_FAILED);
    const std::string yes = settings::text(IDS_SECURE_TRUE, 64), no = settings::text(IDS_SECURE_FALSE, 64);
    for (std::size_t i = 0; i < items_.size(); ++i) {
      const StartupItem& item = items_[i];
      LVITEMA row{};
      row.mask = LVIF_TEXT | LVIF_PARAM;
      row.iItem = static_cast<int>(i);
      row.pszText = const_cast<char*>(item.title.c_str());
      row.lParam = static_cast<LPARAM>(i);
      const int at = static_cast<int>(SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row)));
      if (at < 0) continue;
      std::vector<std::string> cells;
      if (kind_ == cookies::kKindExplorer)
        cells = {item.detail};
      else
        cells = {item.detail, item.file, item.command, item.value ? yes : no};
      for (std::size_t c = 0; c < cells.size(); ++c) set_cell(at, static_cast<int>(c + 1), cells[c]);
      ListView_SetCheckState(list_, at, cookies::cookie_kept(item.title));
    }
    const int sorted = settings::list_setting("SortCookie", 0);
    if (sorted > 0 && sorted <= 5) sort(sorted - 1, directions_.flag(sorted - 1));
  }

  void set_cell(int row, int column, const std::string& text) const {
    LVITEMA cell{};
    cell.iSubItem = column;
    cell.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
  }

  std::string key(int index, int column) const {
    if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) return {};
    const StartupItem& item = items_[static_cast<std::size_t>(index)];
    switch (column) {
      case 0: return item.title;
      case 1: return item.detail;
      case 2: return item.file;
      case 3: return item.command;
      case 4: return std::to_string(item.value);
      default: return {};
    }
  }

  struct SortCall {
    const CookieList* self;
    int column, flag;
  };
  static int compare(LPARAM a, LPARAM b, LPARAM context) {
    const auto* call = reinterpret_cast<const SortCall*>(context);
    const int order = compare_keys(call->self->key(static_cast<int>(a), call->column),
                                   call->self->key(static_cast<int>(b), call->column));
    return call->flag ? -order : order;
  }
  void sort(int column, int flag) const {
    SortCall call{this, column, flag};
    ListView_SortItems(list_, &platform::compare_procedure<&compare>, reinterpret_cast<LPARAM>(&call));
  }
  void sort_click(int column) {
    if (column < 0 || column >= static_cast<int>(columns_of(list_command()).size())) return;
    sort(column, directions_.take(column));
    settings::set_list_setting("SortCookie", column + 1);
  }

  // The record index and tick of every row.
  std::vector<std::pair<std::size_t, bool>> rows() const {
    std::vector<std::pair<std::size_t, bool>> out;
    const int count = ListView_GetItemCount(list_);
    for (int r = 0; r < count; ++r) {
      LVITEMA item{};
      item.mask = LVIF_PARAM;
      item.iItem = r;
      if (!SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) continue;
      const auto index = static_cast<std::size_t>(item.lParam);
      if (index < items_.size()) out.emplace_back(index, ListView_GetCheckState(list_, r) != 0);
    }
    return out;
  }

  int ask(int string) const {
    return MessageBoxA(dialog_, settings::text(string).c_str(), app_.title.c_str(), MB_YESNO | MB_ICONWARNING | MB_TOPMOST);
  }
  void tell(int string) const {
    MessageBoxA(dialog_, settings::text(string).c_str(), app_.title.c_str(), MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
  }

  // Removes the rows whose tick is `ticked`; with `keep_others` the other rows are recorded as
  // kept. The store's rows go by the host and name kept from the store in one pass; a cookie is
  // forgotten as kept only once it is gone.
  void remove(bool ticked, bool keep_others) {
    std::vector<cookies::CookieKey> keys;
    std::vector<std::string> removed_titles;
    bool keep_refused = false;
    for (const auto& [index, tick] : rows()) {
      const StartupItem& item = items_[index];
      if (tick != ticked) {
        if (keep_others && !cookies::keep_cookie(item.title)) keep_refused = true;
        continue;
      }
      if (kind_ == cookies::kKindExplorer) {
        SetFileAttributesA(item.file.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (DeleteFileA(item.file.c_str())) cookies::forget_kept_cookie(item.title);
      } else if (index < listing_.keys.size()) {
        keys.push_back(listing_.keys[index]);
        removed_titles.push_back(item.title);
      }
    }
    if (!keys.empty()) {
      if (cookies::delete_cookies(kind_, keys).status == cookies::StoreStatus::Ok) {
        for (const std::string& title : removed_titles) cookies::forget_kept_cookie(title);
      } else {
        tell(IDS_COOKIE_STORE_FAILED);
      }
    }
    if (keep_refused) tell(IDS_COOKIE_KEEP_REFUSED);
    fill();
    sort(1, 0);
  }

  void command(HWND dialog, int id) {
    switch (id) {
      case IDC_COOKIE_REMOVE_CHECKED:
        if (ask(IDS_REMOVE_CHECKED_QUESTION) == IDYES) remove(true, false);
        break;
      case IDC_COOKIE_REMOVE_UNCHECKED:
        if (ask(IDS_REMOVE_UNCHECKED_QUESTION) == IDYES) remove(false, true);
        break;
      case IDC_COOKIE_VIEW_FILE: {
        const int index = selected_index();
        if (index < 0) {
          tell(IDS_NO_SELECTION);
          break;
        }
        const std::string arguments[] = {items_[static_cast<std::size_t>(index)].file};
        platform::start_program("notepad.exe", arguments);
        break;
      }
      case menu::kLookup: {
        const int index = selected_index();
        if (index < 0) {
          tell(IDS_NO_SELECTION);
          break;
        }
        // A store's row names no file (its "file" is the cookie's path): the lookup sends its
        // title instead, as it does for any item without a file text.
        const StartupItem& item = items_[static_cast<std::size_t>(index)];
        info_server::look_up_program(app_.owner, item.code, kind_ == cookies::kKindExplorer ? item.file : "", item.title);
        break;
      }
      case menu::kHelp:
        info_server::open_help_page(app_.owner, help_page_name(cmd::kCookies, settings::text(IDS_LANGUAGE_CODE, 16)));
        break;
      case IDC_MONITOR_IMAGE: {
        show_message_dialog(app_, IDS_COOKIE_PATROL_WARNING);
        const int minutes = set_patrol_time(app_, dialog, IDS_PATROL_TIME_COOKIES, settings::option(Opt::Cookies));
        if (minutes != kPatrolClosed) {
          settings::set_option(Opt::Cookies, minutes);
          show_monitor_image();
        }
        break;
      }
      case IDCANCEL:
        save_position();
        EndDialog(dialog, IDCANCEL);
        break;
      default: break;
    }
  }

  // The record index of the selected row, or -1.
  int selected_index() const {
    const int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    const int index = row < 0 ? -1 : row_index(row);
    return index >= 0 && static_cast<std::size_t>(index) < items_.size() ? index : -1;
  }

  int row_index(int row) const {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    return SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ? static_cast<int>(item.lParam) : -1;
  }

  App& app_;
  int kind_;
  HWND dialog_ = nullptr;
  HWND list_ = nullptr;
  ItemList items_;
  cookies::CookieListing listing_;
  SortDirections directions_;
};

INT_PTR cookie_list_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lp);
  auto* self = reinterpret_cast<CookieList*>(GetWindowLongPtrA(dialog, DWLP_USER));
  return self ? self->handle(dialog, msg, wp, lp) : FALSE;
}

}  // namespace

void show_cookie_list(App& app, HWND owner, int kind) {
  CookieList window(app, kind);
  DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_COOKIE_LIST), owner, &platform::dialog_procedure<&cookie_list_proc>,
                  reinterpret_cast<LPARAM>(&window));
}

}  // namespace kestrom::explorer
