#include "explorer/list_page_win.hpp"

#include <shellapi.h>

#include <cstdio>

#include "common/info_server_win.hpp"
#include "common/paths.hpp"
#include "common/product.hpp"
#include "common/string_ids.h"
#include "categories/hidden_files_win.hpp"
#include "explorer/page_parts_win.hpp"
#include "explorer/page_switch.hpp"
#include "explorer/popup_menu_win.hpp"
#include "explorer/resource_ids.h"
#include "explorer/settings_win.hpp"
#include "explorer/string_ids.h"
#include "platform/callback_guard.hpp"
#include "platform/handles.hpp"

namespace kestrom::explorer {

namespace {

struct SortCall {
  const ListPage::Comparator* compare;
  int column;
  int flag;
};

int compare_rows(LPARAM a, LPARAM b, LPARAM context) {
  const auto* call = reinterpret_cast<const SortCall*>(context);
  if (!call->compare || !*call->compare) return 0;
  return (*call->compare)(static_cast<int>(a), static_cast<int>(b), call->column, call->flag);
}

Size window_size(HWND w) {
  RECT r{};
  if (w) GetWindowRect(w, &r);
  return {r.right - r.left, r.bottom - r.top};
}

void move(HWND w, const Rect& r) {
  if (w) SetWindowPos(w, nullptr, r.x, r.y, r.w, r.h, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

ListPage::ListPage(App& app, HWND page, int list_id, int page_command)
    : app_(app), page_(page), list_(GetDlgItem(page, list_id)), page_command_(page_command) {}

ListPage::~ListPage() {
  if (list_ && IsWindow(list_)) ListView_SetImageList(list_, nullptr, LVSIL_SMALL);
  if (images_) ImageList_Destroy(images_);
}

void ListPage::add_columns() {
  if (columns_added_ || !list_) return;
  columns_added_ = true;
  RECT r{};
  GetClientRect(list_, &r);
  int base = r.right - r.left;
  if (!shares_full_width(page_command_)) {
    // The client area already leaves out a visible scroll bar; the rule counts it off the
    // whole window's width.
    RECT wr{};
    GetWindowRect(list_, &wr);
    base = (wr.right - wr.left) - GetSystemMetrics(SM_CXVSCROLL);
  }
  int index = 0;
  for (const auto& c : columns_of(page_command_)) {
    std::string title = settings::text(c.title_string, 128);
    std::string stored = settings::option_text(column_setting_name(page_command_, index), kMaxWidthText);
    LVCOLUMNA col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    col.fmt = LVCFMT_LEFT;
    col.cx = column_width(stored, c.share, base);
    col.pszText = title.data();
    col.iSubItem = index;
    SendMessageA(list_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col));
    ++index;
  }
}

void ListPage::save_column_widths() const {
  if (!list_ || !columns_added_) return;
  int count = static_cast<int>(columns_of(page_command_).size());
  for (int i = 0; i < count; ++i)
    settings::set_list_setting(column_setting_name(page_command_, i), ListView_GetColumnWidth(list_, i));
}

void ListPage::begin_fill() {
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  ListView_SetImageList(list_, nullptr, LVSIL_SMALL);
  if (images_) ImageList_Destroy(images_);
  images_ = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), ILC_COLOR32 | ILC_MASK,
                             16, 64);
  if (images_) {
    platform::UniqueIcon program(static_cast<HICON>(LoadImageA(app_.instance, MAKEINTRESOURCEA(IDI_PROGRAM),
                                                               IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                               GetSystemMetrics(SM_CYSMICON), 0)));
    ImageList_AddIcon(images_, program.get());
    ListView_SetImageList(list_, images_, LVSIL_SMALL);
  }
  ListView_DeleteAllItems(list_);
}

int ListPage::add_row(const std::string& title, int index, const std::string& program_file) {
  int image = 0;
  if (images_) {
    platform::UniqueIcon icon;
    std::string file = program_file;
    if (!file.empty() && file_exists(file)) ExtractIconExA(file.c_str(), 0, nullptr, icon.put(), 1);
    if (!icon)
      icon.reset(static_cast<HICON>(LoadImageA(app_.instance, MAKEINTRESOURCEA(IDI_UNKNOWN_PROGRAM), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
    if (icon) {
      int added = ImageList_AddIcon(images_, icon.get());
      if (added >= 0) image = added;
    }
  }
  std::string text = title;
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
  item.iItem = ListView_GetItemCount(list_);
  item.pszText = text.data();
  item.lParam = index;
  item.iImage = image;
  return static_cast<int>(SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void ListPage::set_text(int row, int column, const std::string& text) {
  std::string copy = text;
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = copy.data();
  SendMessageA(list_, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void ListPage::end_fill(const Comparator& compare) {
  std::string_view setting = sort_setting_name(page_command_);
  int sorted = setting.empty() ? 0 : settings::list_setting(setting, 0);
  if (sorted > 0 && sorted <= sort_column_limit(page_command_))
    sort(sorted - 1, app_.directions.flag(sorted - 1), compare);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
  if (row_count() > 0) {
    ListView_SetItemState(list_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list_, 0, FALSE);
  }
  app_.current_page = page_command_;
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

int ListPage::first_selected() const {
  if (!list_) return -1;
  int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  if (row < 0) return -1;
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return -1;
  return static_cast<int>(item.lParam);
}

std::vector<int> ListPage::selected() const {
  std::vector<int> out;
  if (!list_) return out;
  for (int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(list_, row, LVNI_SELECTED)) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) out.push_back(static_cast<int>(item.lParam));
  }
  return out;
}

void ListPage::select(int index) {
  LVFINDINFOA find{};
  find.flags = LVFI_PARAM;
  find.lParam = index;
  int row = static_cast<int>(SendMessageA(list_, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
  if (row < 0) return;
  ListView_SetItemState(list_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list_, row, FALSE);
}

int ListPage::row_count() const { return list_ ? ListView_GetItemCount(list_) : 0; }

void ListPage::sort(int column, int flag, const Comparator& compare) {
  SortCall call{&compare, column, flag};
  ListView_SortItems(list_, &platform::compare_procedure<&compare_rows>, reinterpret_cast<LPARAM>(&call));
}

void ListPage::sort_click(int column, const Comparator& compare) {
  if (column < 0 || column >= sort_column_limit(page_command_)) return;
  sort(column, app_.directions.take(column), compare);
  std::string_view setting = sort_setting_name(page_command_);
  if (!setting.empty()) settings::set_list_setting(setting, column + 1);
}

platform::UniqueMenu make_popup_menu(const std::vector<MenuEntry>& entries, int default_command) {
  platform::UniqueMenu menu(CreatePopupMenu());
  if (!menu) return menu;
  for (const auto& e : entries) {
    if (e.string == 0) {
      AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
    } else {
      std::string text = settings::text(e.string, 256);
      AppendMenuA(menu.get(), MF_STRING, static_cast<UINT_PTR>(e.command), text.c_str());
    }
  }
  if (default_command != 0) SetMenuDefaultItem(menu.get(), static_cast<UINT>(default_command), FALSE);
  return menu;
}

void track_context_menu(HWND owner, const std::vector<MenuEntry>& entries, int default_command) {
  platform::UniqueMenu menu = make_popup_menu(entries, default_command);
  if (!menu) return;
  POINT pt{};
  GetCursorPos(&pt);
  TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, pt.x, pt.y, 0, owner, nullptr);
}

void ListPage::context_menu(const std::vector<MenuEntry>& entries, int default_command) const {
  if (first_selected() >= 0) track_context_menu(page_, entries, default_command);
}

void ListPage::relayout(const std::vector<Slot>& buttons) const {
  if (!app_.sheet) return;
  HWND tab = PropSheet_GetTabControl(app_.sheet);
  bool single_row = tab && TabCtrl_GetRowCount(tab) <= 1;
  RECT client{};
  GetClientRect(page_, &client);
  Size outer = sheet_size_for_page({client.right, client.bottom}, single_row);
  RECT units{0, 0, 4, 8};
  MapDialogRect(page_, &units);
  DialogUnits du{units.right / 4.0, units.bottom / 8.0};
  PageParts parts;
  parts.button_count = static_cast<int>(buttons.size());
  if (!buttons.empty()) {
    Size b = window_size(GetDlgItem(page_, buttons.front().id));
    parts.button_w = b.w;
    parts.button_h = b.h;
  }
  HWND help = GetDlgItem(page_, IDC_HELP_IMAGE), help_caption = GetDlgItem(page_, IDC_HELP_CAPTION);
  HWND monitor = GetDlgItem(page_, IDC_MONITOR_IMAGE), monitor_caption = GetDlgItem(page_, IDC_MONITOR_CAPTION);
  parts.help_image = window_size(help);
  parts.help_caption = window_size(help_caption);
  parts.monitor_image = window_size(monitor);
  parts.monitor_caption = window_size(monitor_caption);
  PageLayout l = page_layout(outer, single_row, du, parts);
  move(help, l.help_image);
  move(help_caption, l.help_caption);
  move(monitor, l.monitor_image);
  move(monitor_caption, l.monitor_caption);
  // Check boxes under the list (the Startup page's, the ActiveX page's two) take their height
  // from the list's bottom, so they never lie under the button row.
  std::vector<HWND> checks;
  for (int id : {IDC_LIST_ALL, IDC_SHOW_ALL})
    if (HWND check = GetDlgItem(page_, id)) {
      l.list.h -= window_size(check).h + 4;
      checks.push_back(check);
    }
  int check_y = l.list.y + l.list.h + 2;
  for (HWND check : checks) {
    Size c = window_size(check);
    move(check, {l.list.x, check_y, l.list.w, c.h});
    check_y += c.h + 4;
  }
  move(list_, l.list);
  for (std::size_t i = 0; i < buttons.size() && i < l.buttons.size(); ++i) {
    Rect r{l.buttons[i].x, l.button_y, l.buttons[i].w, parts.button_h};
    move(GetDlgItem(page_, buttons[i].id), r);
    if (buttons[i].twin) move(GetDlgItem(page_, buttons[i].twin), r);
  }
  InvalidateRect(page_, nullptr, TRUE);
}

void ListPage::open_help() const {
  const std::string code = settings::text(IDS_LANGUAGE_CODE, 16);
  info_server::open_help_page(app_.owner, help_page_name(app_.current_page ? app_.current_page : page_command_, code));
}

void save_sheet_position(const App& app, int page_command) {
  RECT r{};
  if (!app.sheet || !GetWindowRect(app.sheet, &r)) return;
  write_window_position(WindowFamily::Sheet, r.left, r.top, r.right - r.left, r.bottom - r.top);
  settings::set_option(Opt::StartTab, page_command);
}

void ListPage::save_position() const { save_sheet_position(app_, page_command_); }

void ListPage::set_status(const std::string& text) const {
  if (!app_.sheet) return;
  HWND status = GetDlgItem(app_.sheet, kStatusBarId);
  if (status) SendMessageA(status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ListPage::deactivate() const {
  save_column_widths();
  save_position();
  set_status("");
}

namespace {
constexpr UINT_PTR kEnterSubclassId = 0x4B45;  // "KE"

LRESULT enter_key_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_GETDLGCODE) {
    const auto* m = reinterpret_cast<const MSG*>(lp);
    if (m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN) return DLGC_WANTALLKEYS | DefSubclassProc(w, msg, wp, lp);
  }
  return DefSubclassProc(w, msg, wp, lp);
}
}  // namespace

bool ListSheetPage::selected_has_note() const {
  const StartupItem* item = selected_item();
  return item && has_note(*item);
}

void ListSheetPage::item_menu(const std::vector<MenuEntry>& entries) const {
  if (list_) list_->context_menu(entries, selected_has_note() ? menu::kInfo : 0);
}

bool ListSheetPage::program_command(HWND page, int id) const {
  if (id != menu::kExploreFolder && id != menu::kProperties && id != menu::kDeleteOnReboot) return false;
  const StartupItem* selected = selected_item();
  if (!selected) {
    MessageBoxA(page, settings::text(IDS_NO_SELECTION).c_str(), app_.title.c_str(), MB_OK | MB_TOPMOST);
    return true;
  }
  const StartupItem item = *selected;  // a question's message loop may refill the list
  switch (id) {
    case menu::kExploreFolder: explore_program_folder(page, item.file); break;
    case menu::kProperties: open_program_properties(page, item.file); break;
    default: delete_program_on_reboot(app_, page, item.file); break;
  }
  return true;
}

void ListSheetPage::mark_info_button(HWND page) {
  HWND button = GetDlgItem(page, IDC_INFO);
  if (!button) return;
  if (!bold_font_) {
    // The button's own font as it came (the page's, or the dialog font when it has none) is
    // the normal one; the bold one is made from it once.
    normal_font_ = reinterpret_cast<HFONT>(SendMessageA(button, WM_GETFONT, 0, 0));
    HFONT base = normal_font_ ? normal_font_ : reinterpret_cast<HFONT>(SendMessageA(page, WM_GETFONT, 0, 0));
    if (!base) base = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA lf{};
    if (!base || GetObjectA(base, sizeof lf, &lf) != sizeof lf) return;
    lf.lfWeight = FW_BOLD;
    bold_font_.reset(CreateFontIndirectA(&lf));
    if (!bold_font_) return;
  }
  const HFONT wanted = selected_has_note() ? static_cast<HFONT>(bold_font_.get()) : normal_font_;
  if (reinterpret_cast<HFONT>(SendMessageA(button, WM_GETFONT, 0, 0)) != wanted)
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(wanted), TRUE);
}

void take_enter_key(HWND list) {
  if (list) SetWindowSubclass(list, &platform::subclass_procedure<&enter_key_proc>, kEnterSubclassId, 0);
}

void release_enter_key(HWND list) {
  if (list && IsWindow(list)) RemoveWindowSubclass(list, &platform::subclass_procedure<&enter_key_proc>, kEnterSubclassId);
}

void ListSheetPage::set_up_page(HWND page, int page_command, std::span<const ControlText> texts,
                                bool trim_leading_breaks, int monitor_icon) {
  list_.emplace(app_, page, IDC_LIST, page_command);
  set_page_texts(page, texts, trim_leading_breaks);
  icon_button(page, IDC_HELP_IMAGE, IDI_UNKNOWN_PROGRAM);
  if (monitor_icon) icon_button(page, IDC_MONITOR_IMAGE, monitor_icon);
  list_->add_columns();
}

void ListSheetPage::icon_button(HWND page, int control, int icon_id) const {
  auto icon = static_cast<HICON>(LoadImageA(app_.instance, MAKEINTRESOURCEA(icon_id), IMAGE_ICON, 16, 16, LR_SHARED));
  SendDlgItemMessageA(page, control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

}  // namespace kestrom::explorer
