// The Cookies tab: the cookie filter list (Nuts) with Add and Remove, the browser whose cookies
// are handled and its cookie folder, and the button that opens the cookie list window.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "categories/cookies.hpp"
#include "categories/cookies_win.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "explorer/cookie_list_win.hpp"
#include "explorer/cookie_page_rules.hpp"
#include "explorer/list_page_win.hpp"
#include "explorer/page_switch.hpp"
#include "explorer/pages_win.hpp"
#include "explorer/patrol_time.hpp"
#include "explorer/patrol_time_win.hpp"
#include "explorer/resource_ids.h"
#include "explorer/settings_win.hpp"
#include "explorer/string_ids.h"
#include "platform/com.hpp"
#include "platform/handles.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::explorer {

namespace {

constexpr int kEntryLimit = 128;
constexpr int kOpenCookieList = WM_APP + 28;

struct BrowserRadio {
  int control;
  BrowserButton button;
  int text;
};
constexpr BrowserRadio kRadios[] = {{IDC_COOKIE_IE, BrowserButton::Explorer, IDS_BROWSER_IE},
                                    {IDC_COOKIE_MOZILLA, BrowserButton::Mozilla, IDS_BROWSER_MOZILLA},
                                    {IDC_COOKIE_CHROME, BrowserButton::Chrome, IDS_BROWSER_CHROME},
                                    {IDC_COOKIE_EDGE, BrowserButton::Edge, IDS_BROWSER_EDGE}};

class CookiesPage final : public SheetPage {
 public:
  using SheetPage::SheetPage;

 protected:
  INT_PTR handle(HWND page, UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_INITDIALOG: init(page); return TRUE;
      case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED) command(page, LOWORD(wp));
        return TRUE;
      case kOpenCookieList: show_cookie_list(app_, page, cookie_kind_of_button(chosen_)); return TRUE;
      case WM_NOTIFY: {
        const auto* n = reinterpret_cast<const NMHDR*>(lp);
        if (n->code == PSN_SETACTIVE) {
          app_.current_page = cmd::kCookies;
          load_filters(page);
          // Opened by "-COOKIE" (or always, when the user asked for it): the cookies come at once.
          if (std::exchange(first_show_, false) && (app_.show_cookies || settings::option(Opt::ViewCookies) > 0))
            PostMessageA(page, kOpenCookieList, 0, 0);
        }
        if (n->code == PSN_KILLACTIVE) save_sheet_position(app_, cmd::kCookies);
        if (n->code == PSN_RESET && app_.current_page == cmd::kCookies) {
          save_sheet_position(app_, cmd::kCookies);
          app_.current_page = 0;
          PostMessageA(app_.owner, WM_CLOSE, 0, 0);
        }
        SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
        return TRUE;
      }
      case WM_DESTROY: heading_font_.reset(); return FALSE;
      default: return FALSE;
    }
  }

 private:
  void init(HWND page) {
    const std::pair<int, int> texts[] = {
        {IDC_COOKIE_HEADING, IDS_COOKIE_FILTERS},       {IDC_COOKIE_NUTS_TEXT, IDS_COOKIE_NUTS_TEXT},
        {IDC_COOKIE_FILTER_ADD, IDS_ADD_BUTTON},        {IDC_COOKIE_FILTER_REMOVE, IDS_MENU_REMOVE},
        {IDC_COOKIE_VIEW, IDS_VIEW_COOKIES},            {IDC_COOKIE_ALWAYS_VIEW, IDS_ALWAYS_VIEW_COOKIES},
        {IDC_HELP_CAPTION, IDS_HELP_CAPTION},           {IDC_MONITOR_CAPTION, IDS_MONITOR_CAPTION},
    };
    for (const auto& [control, string] : texts) SetDlgItemTextA(page, control, settings::text(string, 256).c_str());
    for (const auto& r : kRadios) SetDlgItemTextA(page, r.control, settings::text(r.text, 256).c_str());
    bold_heading(page);
    SendDlgItemMessageA(page, IDC_COOKIE_FILTER_ENTRY, EM_LIMITTEXT, kEntryLimit, 0);
    icon_button(page, IDC_HELP_IMAGE, IDI_UNKNOWN_PROGRAM);
    show_monitor_image(page);
    // Browsers that are not installed get no button.
    if (!cookies::browser_installed("firefox.exe")) ShowWindow(GetDlgItem(page, IDC_COOKIE_MOZILLA), SW_HIDE);
    if (!cookies::browser_installed("chrome.exe")) ShowWindow(GetDlgItem(page, IDC_COOKIE_CHROME), SW_HIDE);
    if (!cookies::browser_installed("msedge.exe")) ShowWindow(GetDlgItem(page, IDC_COOKIE_EDGE), SW_HIDE);
    choose(page, button_of_browser_option(settings::option(Opt::Browser)));
    CheckDlgButton(page, IDC_COOKIE_ALWAYS_VIEW, settings::option(Opt::ViewCookies) > 0 ? BST_CHECKED : BST_UNCHECKED);
  }

  void bold_heading(HWND page) {
    auto font = reinterpret_cast<HFONT>(SendDlgItemMessageA(page, IDC_COOKIE_HEADING, WM_GETFONT, 0, 0));
    LOGFONTA lf{};
    if (!font || !GetObjectA(font, sizeof lf, &lf)) return;
    lf.lfWeight = FW_BOLD;
    heading_font_.reset(CreateFontIndirectA(&lf));
    if (heading_font_) SendDlgItemMessageA(page, IDC_COOKIE_HEADING, WM_SETFONT, reinterpret_cast<WPARAM>(heading_font_.get()), TRUE);
  }

  void icon_button(HWND page, int control, int icon_id) const {
    auto icon = static_cast<HICON>(LoadImageA(app_.instance, MAKEINTRESOURCEA(icon_id), IMAGE_ICON, 16, 16, LR_SHARED));
    SendDlgItemMessageA(page, control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
  }
  void show_monitor_image(HWND page) const {
    icon_button(page, IDC_MONITOR_IMAGE, settings::option(Opt::Nuts) > 0 ? IDI_MONITOR_ACTIVE : IDI_MONITOR_INACTIVE);
  }

  void choose(HWND page, BrowserButton button) {
    chosen_ = button;
    for (const auto& r : kRadios) CheckDlgButton(page, r.control, r.button == button ? BST_CHECKED : BST_UNCHECKED);
    show_folder(page);
  }

  cookies::Folder folder_of_choice() const {
    switch (chosen_) {
      case BrowserButton::Mozilla: return cookies::firefox_profile_folder(cookies::kKindFirefox);
      case BrowserButton::Chrome: return cookies::chrome_cookie_folder();
      case BrowserButton::Edge: return cookies::edge_cookie_folder();
      case BrowserButton::Explorer: break;
    }
    return cookies::ie_cookie_folder();
  }

  void show_folder(HWND page) const {
    const cookies::Folder folder = folder_of_choice();
    const std::string text = folder.found || chosen_ != BrowserButton::Explorer ? folder.path
                                                                               : settings::text(IDS_COOKIE_FOLDER_NOT_FOUND, 256);
    SetDlgItemTextA(page, IDC_COOKIE_FOLDER, text.c_str());
  }

  void load_filters(HWND page) {
    filters_.clear();
    for (const cookies::Filter& f : cookies::load_filters()) filters_.push_back(f.text);
    HWND box = GetDlgItem(page, IDC_LIST);
    SendMessageA(box, LB_RESETCONTENT, 0, 0);
    for (const auto& text : filters_) SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }

  void tell(HWND page, int string) const {
    MessageBoxA(page, settings::text(string).c_str(), app_.title.c_str(), MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
  }

  void add(HWND page) {
    char buf[kEntryLimit + 1] = {};
    GetDlgItemTextA(page, IDC_COOKIE_FILTER_ENTRY, buf, sizeof buf);
    const std::string text = buf;
    switch (check_new_filter(text, filters_.size())) {
      case AddFilterCheck::ListFull: return show_message_dialog(app_, IDS_FILTER_LIMIT);
      case AddFilterCheck::Blank: return tell(page, IDS_FILTER_BLANK);
      case AddFilterCheck::TooLong: return tell(page, IDS_FILTER_TOO_LONG);
      case AddFilterCheck::Add: break;
    }
    switch (cookies::add_filter(text)) {
      case cookies::AddFilter::Refused: return tell(page, IDS_FILTER_BLANK);
      case cookies::AddFilter::WriteFailed: return tell(page, IDS_FILTER_WRITE_REFUSED);
      case cookies::AddFilter::Added: break;
    }
    load_filters(page);
    SetDlgItemTextA(page, IDC_COOKIE_FILTER_ENTRY, "");
    // The new filter applies at once to the chosen browser's store.
    ItemList list;
    ItemRules rules = system_item_rules();
    const auto pass = cookies::cookie_filter_pass(cookie_kind_of_button(chosen_), list, rules);
    if (pass.outcome.status == cookies::StoreStatus::Failed) tell(page, IDS_COOKIE_STORE_FAILED);
  }

  void remove(HWND page) {
    HWND box = GetDlgItem(page, IDC_LIST);
    const auto row = static_cast<int>(SendMessageA(box, LB_GETCURSEL, 0, 0));
    if (row < 0 || static_cast<std::size_t>(row) >= filters_.size()) return tell(page, IDS_NO_FILTER_SELECTED);
    if (!cookies::remove_filter(filters_[static_cast<std::size_t>(row)])) tell(page, IDS_FILTER_WRITE_REFUSED);
    load_filters(page);
    SetDlgItemTextA(page, IDC_COOKIE_FILTER_ENTRY, "");
    const auto count = static_cast<int>(SendMessageA(box, LB_GETCOUNT, 0, 0));
    if (count > 0) SendMessageA(box, LB_SETCURSEL, std::min(row, count - 1), 0);
  }

  void choose_folder(HWND page) {
    const std::string caption = settings::text(IDS_COOKIE_FOLDER_CAPTION, 256);
    BROWSEINFOA info{};
    info.hwndOwner = page;
    info.lpszTitle = caption.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info);
    if (!chosen) return;
    char path[MAX_PATH] = {};
    const bool named = SHGetPathFromIDListA(chosen, path);
    CoTaskMemFree(chosen);
    if (!named) return;
    const char* value = chosen_ == BrowserButton::Mozilla  ? "CookieFolder"
                        : chosen_ == BrowserButton::Chrome ? "ChromeCookieFolder"
                        : chosen_ == BrowserButton::Edge   ? "EdgeCookieFolder"
                                                           : "IECookieFolder";
    if (!reg::write_string(HKEY_CURRENT_USER, keys::kProduct, value, path)) tell(page, IDS_FILTER_WRITE_REFUSED);
    show_folder(page);
  }

  void command(HWND page, int id) {
    for (const auto& r : kRadios)
      if (r.control == id) {
        settings::set_option(Opt::Browser, browser_option_of_button(r.button));
        choose(page, r.button);
        return;
      }
    switch (id) {
      case IDC_COOKIE_FILTER_ADD: add(page); break;
      case IDC_COOKIE_FILTER_REMOVE: remove(page); break;
      case IDC_COOKIE_VIEW: show_cookie_list(app_, page, cookie_kind_of_button(chosen_)); break;
      case IDC_COOKIE_ALWAYS_VIEW:
        settings::set_option(Opt::ViewCookies, IsDlgButtonChecked(page, IDC_COOKIE_ALWAYS_VIEW) == BST_CHECKED ? 1 : 0);
        break;
      case IDC_COOKIE_FOLDER_BUTTON: choose_folder(page); break;
      case IDC_MONITOR_IMAGE: {
        const int minutes = set_patrol_time(app_, page, IDS_PATROL_TIME_COOKIE_FILTER, settings::option(Opt::Nuts));
        if (minutes != kPatrolClosed) {
          settings::set_option(Opt::Nuts, minutes);
          show_monitor_image(page);
        }
        break;
      }
      default: break;
    }
  }

  BrowserButton chosen_ = BrowserButton::Explorer;
  std::vector<std::string> filters_;
  platform::UniqueGdi heading_font_;
  bool first_show_ = true;
};

}  // namespace

std::unique_ptr<SheetPage> make_cookies_page(App& app, SheetContext& sheet) {
  return std::make_unique<CookiesPage>(app, sheet);
}

}  // namespace kestrom::explorer
