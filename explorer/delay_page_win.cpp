// The Delayed Start tab: the programs Kestrom starts some time after logon, with their delay,
// the options dialog, adding a program for everyone or the current user, removing and putting
// programs back into the Windows startup list.
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "common/msgbox.hpp"
#include "common/paths.hpp"
#include "common/text.hpp"
#include "explorer/info_window_win.hpp"
#include "explorer/list_page_win.hpp"
#include "explorer/page_parts_win.hpp"
#include "explorer/page_switch.hpp"
#include "explorer/pages_win.hpp"
#include "explorer/resource_ids.h"
#include "explorer/settings_win.hpp"
#include "explorer/string_ids.h"
#include "platform/callback_guard.hpp"
#include "startup/delay_store.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::explorer {

namespace {

constexpr int kColumns = 4;
// The right-click menu's own commands: "&Launch Program", "&Delay Start Options..." (the
// button's twin) and "&Restore Program to Windows Startup List".
constexpr int kLaunchCommand = 1065;
constexpr int kOptionsCommand = 1197;
constexpr int kUndelayCommand = 1198;
constexpr int kWindowModeStrings[] = {IDS_DELAY_NORMAL_WINDOW, IDS_DELAY_MINIMIZED, IDS_DELAY_MAXIMIZED};

// ---- The options dialog (template 198) -----------------------------------------------------

struct OptionsDialog {
  std::string caption;
  delay::DelayOptions options;
  bool ok = false;
};

std::string dialog_text(HWND dialog, int control) {
  char buffer[delay::kMaxOptionText + 1] = {};
  GetDlgItemTextA(dialog, control, buffer, sizeof buffer);
  return buffer;
}

int selection(HWND dialog, int control) {
  const auto index = SendDlgItemMessageA(dialog, control, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? 0 : static_cast<int>(index);
}

INT_PTR options_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  auto* d = reinterpret_cast<OptionsDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, DWLP_USER, lp);
      d = reinterpret_cast<OptionsDialog*>(lp);
      SetWindowTextA(dialog, d->caption.c_str());
      const std::pair<int, int> texts[] = {
          {IDC_DELAY_TITLE_LABEL, IDS_DELAY_TITLE_LABEL},   {IDC_DELAY_AFTER_LABEL, IDS_DELAY_AFTER_LABEL},
          {IDC_DELAY_MINUTES_UNIT, IDS_DELAY_MINUTES},      {IDC_DELAY_SECONDS_UNIT, IDS_DELAY_SECONDS},
          {IDC_DELAY_PARAMETERS_LABEL, IDS_DELAY_PARAMETERS_LABEL}, {IDC_DELAY_WINDOW_LABEL, IDS_DELAY_WINDOW_LABEL},
      };
      set_page_texts(dialog, texts, false);
      for (int m = 0; m <= delay::kMaxMinutes; ++m)
        SendDlgItemMessageA(dialog, IDC_DELAY_MINUTES, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(m).c_str()));
      for (int s = 0; s < delay::kSecondsChoices; ++s)
        SendDlgItemMessageA(dialog, IDC_DELAY_SECONDS, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(std::to_string(s * delay::kSecondsStep).c_str()));
      for (int string : kWindowModeStrings)
        SendDlgItemMessageA(dialog, IDC_DELAY_WINDOW, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(settings::text(string, 64).c_str()));
      SendDlgItemMessageA(dialog, IDC_DELAY_MINUTES, CB_SETCURSEL, d->options.minutes, 0);
      SendDlgItemMessageA(dialog, IDC_DELAY_SECONDS, CB_SETCURSEL, d->options.seconds / delay::kSecondsStep, 0);
      SendDlgItemMessageA(dialog, IDC_DELAY_WINDOW, CB_SETCURSEL, d->options.window_mode, 0);
      for (int edit : {IDC_DELAY_TITLE, IDC_DELAY_PARAMETERS})
        SendDlgItemMessageA(dialog, edit, EM_LIMITTEXT, delay::kMaxOptionText, 0);
      SetDlgItemTextA(dialog, IDC_DELAY_TITLE, d->options.title.c_str());
      SetDlgItemTextA(dialog, IDC_DELAY_PARAMETERS, d->options.parameters.c_str());
      return TRUE;
    }
    case WM_COMMAND:
      if (!d) return FALSE;
      switch (LOWORD(wp)) {
        case IDOK:
          d->options.minutes = selection(dialog, IDC_DELAY_MINUTES);
          d->options.seconds = selection(dialog, IDC_DELAY_SECONDS) * delay::kSecondsStep;
          d->options.window_mode = selection(dialog, IDC_DELAY_WINDOW);
          d->options.title = dialog_text(dialog, IDC_DELAY_TITLE);
          d->options.parameters = dialog_text(dialog, IDC_DELAY_PARAMETERS);
          d->ok = true;
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

// ---- Startup Program Type (template 199) ---------------------------------------------------

struct WhoDialog {
  std::optional<bool> all_users;
};

INT_PTR who_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  auto* d = reinterpret_cast<WhoDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, DWLP_USER, lp);
      SetWindowTextA(dialog, settings::text(IDS_DELAY_WHO_CAPTION, 128).c_str());
      const std::pair<int, int> texts[] = {{IDC_DELAY_WHO_TEXT, IDS_DELAY_WHO_QUESTION},
                                           {IDC_DELAY_ALL_USERS, IDS_DELAY_ALL_USERS},
                                           {IDC_DELAY_CURRENT_USER, IDS_DELAY_CURRENT_USER}};
      set_page_texts(dialog, texts, false);
      CheckRadioButton(dialog, IDC_DELAY_ALL_USERS, IDC_DELAY_CURRENT_USER, IDC_DELAY_CURRENT_USER);
      return TRUE;
    }
    case WM_COMMAND:
      if (!d) return FALSE;
      switch (LOWORD(wp)) {
        case IDOK:
          d->all_users = IsDlgButtonChecked(dialog, IDC_DELAY_ALL_USERS) == BST_CHECKED;
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

// ---- The page ------------------------------------------------------------------------------

// What the list shows of each program beyond its item, read once per fill.
struct DelayFacts {
  std::string command;  // program and parameters as started
  std::string mode;     // the window mode's text
  int seconds = 0;
};

class DelayedStartPage final : public ListSheetPage {
 public:
  using ListSheetPage::ListSheetPage;

 private:
  void init(HWND page) override {
    const ControlText texts[] = {
        {IDC_EXPLANATION, IDS_DELAY_EXPLANATION}, {IDC_HINT, IDS_DELAY_HINT},
        {IDC_INFO, IDS_PROPERTIES_BUTTON},        {IDC_ADD, IDS_ADD_BUTTON},
        {IDC_DELAY_OPTIONS, IDS_DELAY_OPTIONS},   {IDC_REMOVE, IDS_MENU_REMOVE},
        {IDC_CLOSE_PAGE, IDS_CLOSE_BUTTON},       {IDC_HELP_CAPTION, IDS_HELP_CAPTION},
    };
    set_up_page(page, cmd::kDelayedStart, texts, true, 0);
  }

  void fill(HWND) {
    list_->begin_fill();
    delay::list_delayed_programs(items_, system_item_rules());
    facts_.clear();
    const std::string minutes = settings::text(IDS_DELAY_MINUTES, 32);
    const std::string seconds = settings::text(IDS_DELAY_SECONDS, 32);
    for (std::size_t i = 0; i < items_.size(); ++i) {
      const StartupItem& item = items_[i];
      DelayFacts f;
      if (const auto p = delay::read_delayed_program(item.file, delay::item_machine(item))) {
        f.seconds = p->time.value_or(0);
        f.command = delay::rebuilt_command(item.file, p->parameters, p->applet);
        f.mode = settings::text(kWindowModeStrings[p->window_mode], 64);
      }
      const int row = list_->add_row(item.title, static_cast<int>(i), command_to_file(item.file));
      list_->set_text(row, 1, f.command);
      list_->set_text(row, 2, f.mode);
      list_->set_text(row, 3, delay::delay_text(f.seconds, minutes, seconds));
      facts_.push_back(std::move(f));
    }
    list_->end_fill(comparator());
  }

  ListPage::Comparator comparator() const {
    return key_comparator([this](int index, int column) { return key(index, column); });
  }

  std::string key(int index, int column) const {
    if (index < 0 || static_cast<std::size_t>(index) >= facts_.size()) return {};
    const DelayFacts& f = facts_[static_cast<std::size_t>(index)];
    switch (column) {
      case 0: return items_[static_cast<std::size_t>(index)].title;
      case 1: return f.command;
      case 2: return f.mode;
      case 3: return delay_key(f.seconds);
      default: return {};
    }
  }

  INT_PTR notify(HWND page, const NMHDR* n) override {
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
        if (column < kColumns) list_->sort_click(column, comparator());
        break;
      }
      case NM_RCLICK:
        if (n->idFrom == IDC_LIST) {
          std::vector<MenuEntry> entries{{IDS_MENU_INFO, IDC_INFO},
                                         {IDS_MENU_EXPLORE, menu::kExploreFolder},
                                         {IDS_MENU_PROPERTIES, menu::kProperties},
                                         {IDS_MENU_ADD, IDC_ADD},
                                         {IDS_MENU_LAUNCH_PROGRAM, kLaunchCommand},
                                         {IDS_MENU_DELAY_OPTIONS, kOptionsCommand},
                                         {0, 0},
                                         {IDS_MENU_REMOVE, IDC_REMOVE},
                                         {IDS_UNDELAY, kUndelayCommand}};
          if (selected_has_note()) entries.push_back({IDS_MENU_VIEW_NOTE, menu::kViewNote});
          append_common_menu_end(entries, cmd::kDelayedStart);
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
      case cmd::kRelayout:
        list_->relayout({{IDC_INFO, 0}, {IDC_ADD, 0}, {IDC_DELAY_OPTIONS, 0}, {IDC_REMOVE, 0}, {IDC_CLOSE_PAGE, 0}});
        break;
      case menu::kHelp: list_->open_help(); break;
      case menu::kLookup: look_up_selected(app_, page, *list_, items_); break;
      case IDC_ADD: add(page); break;
      case IDC_DELAY_OPTIONS:
      case kOptionsCommand: options(page); break;
      case kLaunchCommand: launch(page); break;
      case menu::kExploreFolder:
      case menu::kProperties: program_command(page, id); break;
      case IDC_REMOVE: remove(page); break;
      case kUndelayCommand: undelay(page); break;
      case IDC_CLOSE_PAGE: close_sheet(page); break;
      case IDC_INFO:  // "&Properties", and Enter and double-click on the list
        if (open_info_for_selection(app_, page, *list_, items_)) fill(page);
        break;
      default: break;
    }
  }

  std::vector<StartupItem> selected_items() const {
    std::vector<StartupItem> out;
    for (int index : list_->selected())
      if (index >= 0 && static_cast<std::size_t>(index) < items_.size()) out.push_back(items_[static_cast<std::size_t>(index)]);
    return out;
  }

  int ask(HWND page, const std::string& text, UINT flags) const {
    return MessageBoxA(page, text.c_str(), app_.title.c_str(), flags | MB_TOPMOST);
  }

  void no_selection(HWND page) const { ask(page, settings::text(IDS_NO_SELECTION), MB_OK); }

  void add(HWND page) {
    const auto program = pick_program(page);
    if (!program) return;
    WhoDialog who;
    DialogBoxParamA(app_.instance, MAKEINTRESOURCEA(IDD_DELAY_WHO), page, &platform::dialog_procedure<&who_proc>,
                    reinterpret_cast<LPARAM>(&who));
    if (!who.all_users) return;
    const ActionResult r = delay::add_delayed_program(*program, *who.all_users);
    fill(page);
    if (r == ActionResult::NotDone)
      ask(page, fill_question(settings::text(IDS_DELAY_ALREADY), file_name_of_path(*program)), MB_OK | MB_ICONWARNING);
    if (r == ActionResult::Refused) offer_elevated_restart(app_, IDS_DELAY_REFUSED);
  }

  void options(HWND page) {
    const int index = list_->first_selected();
    if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) return no_selection(page);
    const StartupItem item = items_[static_cast<std::size_t>(index)];
    OptionsDialog d;
    d.caption = settings::text(IDS_DELAY_OPTIONS_CAPTION, 128);
    d.options = delay::read_delay_options(item);
    DialogBoxParamA(app_.instance, MAKEINTRESOURCEA(IDD_DELAY_OPTIONS), page,
                    &platform::dialog_procedure<&options_proc>, reinterpret_cast<LPARAM>(&d));
    if (!d.ok) return;
    const ActionResult r = delay::set_delay_options(item, d.options);
    fill(page);
    if (r == ActionResult::Refused) offer_elevated_restart(app_, IDS_DELAY_REFUSED);
  }

  // Each selected program out of the list; Yes puts it back into the Windows startup list
  // first, Cancel stops the rest.
  void remove(HWND page) {
    const std::vector<StartupItem> chosen = selected_items();
    if (chosen.empty()) return no_selection(page);
    bool refused = false;
    for (const StartupItem& item : chosen) {
      const int answer = ask(page, settings::text(IDS_DELAY_REMOVE_QUESTION), MB_YESNOCANCEL | MB_ICONQUESTION);
      if (answer == IDCANCEL) break;
      const bool held = answer == IDYES ? delay::undelay_entry(item) != ActionResult::Refused
                                        : delay::forget_delayed_program(item.file, delay::item_machine(item));
      refused = refused || !held;
    }
    fill(page);
    if (refused) offer_elevated_restart(app_, IDS_DELAY_REFUSED);
  }

  // Starts the selected programs now, as the monitor would.
  void launch(HWND page) {
    const std::vector<StartupItem> chosen = selected_items();
    if (chosen.empty()) return no_selection(page);
    for (const StartupItem& item : chosen)
      if (const auto p = delay::read_delayed_program(item.file, delay::item_machine(item))) delay::start_delayed(*p);
  }

  void undelay(HWND page) {
    const std::vector<StartupItem> chosen = selected_items();
    if (chosen.empty()) return no_selection(page);
    bool refused = false;
    for (const StartupItem& item : chosen) refused = delay::undelay_entry(item) == ActionResult::Refused || refused;
    fill(page);
    if (refused) offer_elevated_restart(app_, IDS_DELAY_REFUSED);
  }

  std::vector<DelayFacts> facts_;
};

}  // namespace

std::unique_ptr<SheetPage> make_delayed_start_page(App& app, SheetContext& sheet) {
  return std::make_unique<DelayedStartPage>(app, sheet);
}

}  // namespace kestrom::explorer
