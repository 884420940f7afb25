#include "explorer/sheet_win.hpp"

#include <shlwapi.h>

#include <algorithm>
#include <string>

#include "common/paths.hpp"
#include "common/msgbox.hpp"
#include "common/pathtext.hpp"
#include "common/product.hpp"
#include "common/string_ids.h"
#include "common/text.hpp"
#include "explorer/page_switch.hpp"
#include "explorer/pages_win.hpp"
#include "explorer/resource_ids.h"
#include "explorer/settings_win.hpp"
#include "explorer/string_ids.h"
#include "platform/callback_guard.hpp"
#include "platform/process.hpp"

namespace kestrom::explorer {

namespace {

constexpr UINT_PTR kSubclassId = 1;
// Posted to a page when it becomes the one on show: the sheet knows its current page only
// after the activation has finished.
constexpr UINT kRelayoutLater = WM_APP + 49;
constexpr DWORD kLargeFormVersion = 262215;  // common controls 4.71, packed major * 65536 + minor

DWORD common_controls_version() {
  platform::UniqueModule lib(LoadLibraryA("comctl32.dll"));
  if (!lib) return 0;
  auto get = reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(GetProcAddress(lib.get(), "DllGetVersion")));
  if (!get) return 0;
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  if (FAILED(get(&info))) return 0;
  return info.dwMajorVersion * 65536 + info.dwMinorVersion;
}

// Makes the sheet resizable: its template gets a sizing frame before the window exists.
int sheet_callback(HWND, UINT msg, LPARAM lp) {
  if (msg != PSCB_PRECREATE || !lp) return 0;
  constexpr DWORD kAdd = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SETFONT | DS_3DLOOK;
  constexpr DWORD kAddEx = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE;
  auto* words = reinterpret_cast<WORD*>(lp);
  if (words[0] == 1 && words[1] == 0xFFFF) {  // extended template: helpID, exStyle, style
    auto* dw = reinterpret_cast<DWORD*>(lp);
    dw[2] |= kAddEx;
    dw[3] |= kAdd;
  } else {
    auto* t = reinterpret_cast<DLGTEMPLATE*>(lp);
    t->style |= kAdd;
    t->dwExtendedStyle |= kAddEx;
  }
  return 0;
}

Size outer_size(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return {r.right - r.left, r.bottom - r.top};
}

INT_PTR message_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      const auto* texts = reinterpret_cast<const std::string*>(lp);
      SetWindowTextA(dlg, texts[0].c_str());
      SetDlgItemTextA(dlg, IDC_MESSAGE_TEXT, texts[1].c_str());
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(dlg, LOWORD(wp));
      return TRUE;
    default: return FALSE;
  }
}

}  // namespace

INT_PTR SheetPage::dialog_proc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
  SheetPage* self = nullptr;
  if (msg == WM_INITDIALOG) {
    const auto* record = reinterpret_cast<const PROPSHEETPAGEA*>(lp);
    self = reinterpret_cast<SheetPage*>(record->lParam);
    SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->sheet_.page_started(page);
  } else {
    self = reinterpret_cast<SheetPage*>(GetWindowLongPtrA(page, DWLP_USER));
  }
  if (!self) return FALSE;
  if (msg == kRelayoutLater) {
    self->sheet_.relayout();
    return TRUE;
  }
  if (msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lp)->code == static_cast<UINT>(PSN_SETACTIVE))
    PostMessageA(page, kRelayoutLater, 0, 0);
  return self->handle(page, msg, wp, lp);
}

void SheetPage::close_sheet(HWND page) const {
  HWND sheet = GetParent(page);
  PropSheet_PressButton(sheet, PSBTN_CANCEL);
}

SheetContext::~SheetContext() {
  if (tab_images_) ImageList_Destroy(tab_images_);
}

void SheetContext::page_started(HWND page) {
  if (started_) return;
  started_ = true;
  HWND sheet = GetParent(page);
  app_.sheet = sheet;
  RECT client{};
  GetClientRect(sheet, &client);
  min_track_ = minimum_track_size({client.right - client.left, client.bottom - client.top});
  SetWindowSubclass(sheet, &platform::subclass_procedure<&subclass_proc>, kSubclassId,
                    reinterpret_cast<DWORD_PTR>(this));
  if (!GetDlgItem(sheet, kStatusBarId))
    CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, sheet,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBarId)), app_.instance, nullptr);
  // The tab images, in the tabs' fixed order; each tab shows the one of its own page.
  tab_images_ = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, static_cast<int>(kTabIcons.size()), 0);
  for (int id : kTabIcons) {
    platform::UniqueIcon icon(
        static_cast<HICON>(LoadImageA(app_.instance, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0)));
    ImageList_AddIcon(tab_images_, icon.get());
  }
  HWND tab = PropSheet_GetTabControl(sheet);
  if (tab) {
    TabCtrl_SetImageList(tab, tab_images_);
    for (std::size_t i = 0; i < page_icons.size(); ++i) {
      int image = 0;
      for (std::size_t k = 0; k < kTabIcons.size(); ++k)
        if (kTabIcons[k] == page_icons[i]) image = static_cast<int>(k);
      TCITEMA item{};
      item.mask = TCIF_IMAGE;
      item.iImage = image;
      SendMessageA(tab, TCM_SETITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
  }
  place();
  relayout();
}

void SheetContext::place() {
  HWND sheet = app_.sheet;
  const auto [x, y, dx, dy] = read_window_position(WindowFamily::Sheet);
  Size virtual_screen{GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  Size screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  Placement p = place_sheet({x, y, dx, dy}, virtual_screen, screen, outer_size(sheet));
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (p.size ? 0 : SWP_NOSIZE);
  SetWindowPos(sheet, nullptr, p.x, p.y, p.size ? p.size->w : 0, p.size ? p.size->h : 0, flags);
}

void SheetContext::relayout() {
  HWND sheet = app_.sheet;
  if (!sheet) return;
  Size outer = outer_size(sheet);
  HWND tab = PropSheet_GetTabControl(sheet);
  bool single_row = tab && TabCtrl_GetRowCount(tab) <= 1;
  SheetLayout l = sheet_layout(outer, single_row);
  if (tab) SetWindowPos(tab, nullptr, 0, 0, l.tab.w, l.tab.h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The sheet's own buttons stay out of the way: each page has its Close button.
  for (int id : {IDOK, IDCANCEL, IDHELP}) {
    HWND b = GetDlgItem(sheet, id);
    if (!b) continue;
    SetWindowPos(b, nullptr, l.close_button.x, l.close_button.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(b, SW_HIDE);
  }
  if (HWND status = GetDlgItem(sheet, kStatusBarId)) SendMessageA(status, WM_SIZE, 0, 0);
  HWND page = PropSheet_GetCurrentPageHwnd(sheet);
  if (page) {
    RECT area{l.page.x, l.page.y, l.page.x + l.page.w, l.page.y + l.page.h};
    // The page keeps inside the tab's frame and above the status bar, whatever the frame sizes
    // of the system make of the outer size.
    if (tab) {
      RECT tr{};
      GetWindowRect(tab, &tr);
      MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&tr), 2);
      HWND status = GetDlgItem(sheet, kStatusBarId);
      RECT sr{};
      if (status && GetWindowRect(status, &sr)) {
        MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&sr), 2);
        if (tr.bottom > sr.top - 2) {
          tr.bottom = sr.top - 2;
          SetWindowPos(tab, nullptr, 0, 0, tr.right - tr.left, tr.bottom - tr.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
      }
      RECT display = tr;
      TabCtrl_AdjustRect(tab, FALSE, &display);
      area.left = std::max(area.left, display.left);
      area.top = std::max(area.top, display.top);
      area.right = std::min(area.right, display.right);
      area.bottom = std::min(area.bottom, display.bottom);
    }
    SetWindowPos(page, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(cmd::kRelayout, 0), 0);
    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_ERASE);
    ShowWindow(page, SW_SHOW);
  }
}

LRESULT SheetContext::subclass_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<SheetContext*>(data);
  switch (msg) {
    case WM_GETMINMAXINFO: {
      auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
      mm->ptMinTrackSize = {self->min_track_.w, self->min_track_.h};
      return 0;
    }
    case WM_SIZE: {
      LRESULT r = DefSubclassProc(w, msg, wp, lp);
      self->relayout();
      return r;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(w, &platform::subclass_procedure<&subclass_proc>, kSubclassId);
      self->app_.sheet = nullptr;
      break;
    default: break;
  }
  return DefSubclassProc(w, msg, wp, lp);
}

void show_message_dialog(App& app, int string_number) {
  std::string texts[2] = {app.title, settings::text(string_number)};
  DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_MESSAGE), app.owner, &platform::dialog_procedure<&message_proc>,
                  reinterpret_cast<LPARAM>(texts));
}

// Starts the explorer again as administrator on the page on show, after the user agreed
// (string `what` says what was refused). This instance goes first: the new one would
// otherwise find its window and hand the page over to it.
void offer_elevated_restart(App& app, int what) {
  const std::string question = settings::text(what) + "\n\n" + settings::text(IDS_RESTART_ELEVATED);
  // Owned by the sheet: a box owned by the hidden main window may show behind the sheet.
  if (message_box(app.sheet ? app.sheet : app.owner, question, MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return;
  const std::string folder = program_folder();
  const std::string exe = folder + "\\KestromEx.exe";
  const std::string arguments[] = {
      std::string(page_switch(app.current_page).value_or(page_switch(cmd::kStartup).value_or("")))};
  DestroyWindow(app.owner);
  platform::StartOptions options;
  options.verb = "runas";
  options.folder = folder;
  platform::start_program(exe, arguments, options);
}

namespace {

// A second request while the sheet is open brings it forward (the cookie list on top, the
// running programs refreshed) instead of opening another.
void bring_open_sheet_forward(App& app, int page_command) {
  if (page_command == cmd::kCookies && app.sheet)
    SetWindowPos(app.sheet, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (page_command == cmd::kActiveTasks && app.hooks.refresh_active_tasks) app.hooks.refresh_active_tasks();
  BringWindowToTop(app.owner);
  SetForegroundWindow(app.owner);
  if (app.sheet) {
    BringWindowToTop(app.sheet);
    SetForegroundWindow(app.sheet);
  }
}

struct BuiltPage {
  const PageDef* def;
  std::string title;
  platform::UniqueIcon icon;
};

platform::UniqueIcon small_icon(HINSTANCE instance, int resource) {
  return platform::UniqueIcon(
      static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(resource), IMAGE_ICON, 16, 16, 0)));
}

// The pages that exist, in the sheet's order; their objects go to the context.
std::vector<BuiltPage> build_pages(App& app, SheetContext& context) {
  std::vector<BuiltPage> built;
  for (const auto& def : kPages) {
    std::unique_ptr<SheetPage> page;
    if (def.command == cmd::kStartup) page = make_startup_page(app, context);
    if (def.command == cmd::kOptions) page = make_options_page(app, context);
    if (def.command == cmd::kScheduledTasks) page = make_scheduled_tasks_page(app, context);
    if (def.command == cmd::kHiddenFiles) page = make_hidden_page(app, context);
    if (def.command == cmd::kCookies) page = make_cookies_page(app, context);
    if (def.command == cmd::kServices) page = make_services_page(app, context);
    if (def.command == cmd::kActiveTasks) page = make_active_tasks_page(app, context);
    if (def.command == cmd::kDelayedStart) page = make_delayed_start_page(app, context);
    if (def.command == cmd::kFileTypes) page = make_file_types_page(app, context);
    if (def.command == cmd::kIEHelpers) page = make_ie_helpers_page(app, context);
    if (def.command == cmd::kActiveX) page = make_activex_page(app, context);
    if (!page) continue;  // pages that do not exist yet keep their place in the order
    context.pages.push_back(std::move(page));
    context.page_icons.push_back(def.icon);
    built.push_back({&def, settings::text(def.title_string, 256), small_icon(app.instance, def.icon)});
  }
  return built;
}

// `large`: the common controls know the newer record sizes.
std::vector<PROPSHEETPAGEA> page_records(const App& app, const SheetContext& context,
                                         const std::vector<BuiltPage>& built, bool large) {
  std::vector<PROPSHEETPAGEA> records(built.size());
  for (std::size_t i = 0; i < built.size(); ++i) {
    PROPSHEETPAGEA& r = records[i];
    r.dwSize = large ? sizeof(PROPSHEETPAGEA) : PROPSHEETPAGEA_V1_SIZE;
    r.dwFlags = PSP_USETITLE | PSP_USEHICON;
    r.hInstance = app.instance;
    r.pszTemplate = MAKEINTRESOURCEA(built[i].def->dialog);
    r.hIcon = built[i].icon.get();
    r.pszTitle = built[i].title.c_str();
    r.pfnDlgProc = &platform::dialog_procedure<&SheetPage::dialog_proc>;
    r.lParam = reinterpret_cast<LPARAM>(context.pages[i].get());
  }
  return records;
}

// The tab to start on among the pages built.
UINT start_page(const std::vector<BuiltPage>& built, int page_command) {
  std::vector<const PageDef*> defs;
  for (const BuiltPage& b : built) defs.push_back(b.def);
  const int wanted = page_command == cmd::kShowCookies ? cmd::kCookies : page_command;
  return static_cast<UINT>(start_index(defs.data(), defs.size(), wanted));
}

PROPSHEETHEADERA sheet_header(const App& app, const std::vector<PROPSHEETPAGEA>& records, UINT start, HICON icon,
                              bool large) {
  PROPSHEETHEADERA header{};
  header.dwSize = large ? sizeof(PROPSHEETHEADERA) : PROPSHEETHEADERA_V1_SIZE;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_USEHICON | PSH_USECALLBACK;
  header.hIcon = icon;
  header.hwndParent = app.owner;
  header.hInstance = app.instance;
  header.pszCaption = app.title.c_str();
  header.nPages = static_cast<UINT>(records.size());
  header.nStartPage = start;
  header.ppsp = records.data();
  header.pfnCallback = &platform::property_sheet_callback<&sheet_callback>;
  return header;
}

// A program file named like "hijack..." writes the scan log before the sheet shows.
void write_scan_log_if_named_hijack(const App& app) {
  if (!app.hooks.write_scan_log) return;
  char module[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  if (contains(file_name_of_path(module), "hijack")) app.hooks.write_scan_log(program_folder() + "\\HijackKestrom.log");
}

}  // namespace

void open_sheet(App& app, int page_command) {
  if (app.sheet_open) {
    bring_open_sheet_forward(app, page_command);
    return;
  }
  app.sheet_open = true;
  app.title = settings::text(IDS_PRODUCT_NAME, kMaxTitleBuffer + 1);
  SetWindowTextA(app.owner, app.title.c_str());
  const bool large = common_controls_version() >= kLargeFormVersion;

  SheetContext context(app);
  const std::vector<BuiltPage> built = build_pages(app, context);
  const std::vector<PROPSHEETPAGEA> records = page_records(app, context, built, large);
  const platform::UniqueIcon program_icon = small_icon(app.instance, IDI_PROGRAM);
  PROPSHEETHEADERA header = sheet_header(app, records, start_page(built, page_command), program_icon.get(), large);
  write_scan_log_if_named_hijack(app);

  const INT_PTR result = records.empty() ? -1 : PropertySheetA(&header);
  app.sheet = nullptr;
  if (result < 0) {
    // Still marked open while the message shows, so a second request cannot start a sheet.
    show_message_dialog(app, IDS_SHEET_FAILED);
    app.sheet_open = false;
    PostMessageA(app.owner, WM_CLOSE, 0, 0);
    return;
  }
  app.sheet_open = false;
}

}  // namespace kestrom::explorer
