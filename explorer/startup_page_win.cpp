// The Startup Programs tab: every auto-start entry through the list page framework.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <optional>
#include <string>
#include <vector>

#include "categories/active_tasks.hpp"
#include "common/detected.hpp"
#include "common/msgbox.hpp"
#include "common/product.hpp"
#include "common/pathtext.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/run_keys.hpp"
#include "common/text.hpp"
#include "common/locations.hpp"
#include "common/info_server_win.hpp"
#include "common/paths.hpp"
#include "common/string_ids.h"
#include "explorer/hide_alerts_win.hpp"
#include "explorer/history_viewer_win.hpp"
#include "explorer/info_window_win.hpp"
#include "explorer/list_page_win.hpp"
#include "explorer/page_parts_win.hpp"
#include "explorer/page_switch.hpp"
#include "explorer/patrol_time.hpp"
#include "explorer/patrol_time_win.hpp"
#include "explorer/pages_win.hpp"
#include "explorer/resource_ids.h"
#include "explorer/settings_win.hpp"
#include "explorer/startup_page_rules.hpp"
#include "platform/callback_guard.hpp"
#include "platform/process.hpp"
#include "explorer/string_ids.h"
#include "startup/actions.hpp"
#include "startup/delay_store.hpp"
#include "startup/enumerate.hpp"
#include "startup/snapshot.hpp"

namespace kestrom::explorer {

namespace {

// What the comparator needs of each record, read once per fill rather than once per compare.
struct RowFacts {
  std::string company;
  std::string date_key;
  bool disabled = false;          // parked by Kestrom (a marker in the Disabled Store)
  bool off_in_windows = false;    // switched off in Windows' own state
  bool off() const { return disabled || off_in_windows; }
};

std::string user_run_key() { return run_key_path(RunKey::Run); }

class StartupPage final : public ListSheetPage {
 public:
  using ListSheetPage::ListSheetPage;

 private:
  void init(HWND page) override {
    // The page's first start: every sort direction starts ascending.
    app_.directions.reset(0, 5);
    const ControlText texts[] = {
        {IDC_EXPLANATION, IDS_STARTUP_EXPLANATION}, {IDC_SHOW_ALL, IDS_SHOW_ALL_STARTUP},
        {IDC_INFO, IDS_MENU_INFO},                  {IDC_ADD, IDS_MENU_ADD},
        {IDC_REMOVE, IDS_MENU_REMOVE},              {IDC_ENABLE, IDS_MENU_ENABLE},
        {IDC_DISABLE, IDS_MENU_DISABLE},            {IDC_CLOSE_PAGE, IDS_CLOSE_BUTTON},
        {IDC_HELP_CAPTION, IDS_HELP_CAPTION},       {IDC_MONITOR_CAPTION, IDS_MONITOR_CAPTION},
    };
    set_up_page(page, cmd::kStartup, texts, false, monitor_icon());
    ShowWindow(GetDlgItem(page, IDC_ENABLE), SW_HIDE);
  }

  // The monitor image: active while startup programs are patrolled.
  static int monitor_icon() { return settings::option(Opt::Start) > 0 ? IDI_MONITOR_ACTIVE : IDI_MONITOR_INACTIVE; }
  void show_monitor_image(HWND page) const { icon_button(page, IDC_MONITOR_IMAGE, monitor_icon()); }

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
    const std::string off_word = settings::text(IDS_OFF_IN_WINDOWS, 64);
    for (std::size_t i = 0; i < items_.size(); ++i) {
      const StartupItem& item = items_[i];
      RowFacts f;
      std::string program = command_to_file(item.file);
      VersionInfo vi;
      if (!program.empty()) version_information(program, vi);
      f.company = vi.company_name;
      // The marker names the place the entry was parked from; the same title elsewhere is active.
      f.disabled = disabled_marker(item.title, kMarkerLimitToggle) == item.code;
      f.off_in_windows = !f.disabled && switched_off_by_windows(item);
      const std::string date = first_sighting_noted(item.file, item.code, detected::kStartup);
      f.date_key = first_detected_key(date);
      int row = list_->add_row(item.title, static_cast<int>(i), program);
      list_->set_text(row, 1, startup_command_text(item.file, item.value == 1));
      list_->set_text(row, 2, f.company);
      list_->set_text(row, 3, f.disabled         ? disabled_word
                              : f.off_in_windows ? off_word
                                                 : std::string(short_tag(item.code)));
      list_->set_text(row, 4, date);
      facts_.push_back(std::move(f));
    }
    list_->end_fill(comparator());
    update_buttons(page);
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
    k.disabled = f.off();
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

  INT_PTR notify(HWND page, const NMHDR* n) override {
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
            item_menu(startup_menu(item.code, facts_[static_cast<std::size_t>(index)].off(), has_note(item)));
          }
        }
        break;
      case LVN_ITEMCHANGED: {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(n);
        if ((change->uNewState & LVIS_SELECTED) != (change->uOldState & LVIS_SELECTED)) {
          show_location();
          update_buttons(page);
        }
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
      case menu::kInfo:
        if (open_info_for_selection(app_, page, *list_, items_)) fill(page);
        break;
      case menu::kHelp: list_->open_help(); break;  // the menu entry and the help image button
      case IDC_SHOW_ALL:
        settings::set_option(Opt::ShowAllStartup, IsDlgButtonChecked(page, IDC_SHOW_ALL) == BST_CHECKED ? 1 : 0);
        fill(page);
        break;
      case IDC_CLOSE_PAGE: close_sheet(page); break;
      case IDC_MONITOR_IMAGE: {
        const int minutes = set_patrol_time(app_, page, IDS_PATROL_TIME_STARTUP, settings::option(Opt::Start));
        if (minutes != kPatrolClosed) {
          settings::set_option(Opt::Start, minutes);
          show_monitor_image(page);
        }
        break;
      }
      case IDC_REMOVE: remove(page); break;
      case IDC_DISABLE: toggle(page, false); break;
      case IDC_ENABLE: toggle(page, true); break;
      case IDC_ADD: add(page); break;
      case menu::kDeleteOnReboot: program_command(page, id); break;
      case menu::kMoveToDelay: move_to_delay(page); break;
      case menu::kExploreFolder:
      case menu::kProperties: program_command(page, id); break;
      default: break;
    }
  }

  // The records of the selected rows, by each row's own index: two rows may share a title.
  std::vector<StartupItem> selected_items() const {
    std::vector<StartupItem> out;
    for (int index : list_->selected())
      if (index >= 0 && static_cast<std::size_t>(index) < items_.size()) out.push_back(items_[static_cast<std::size_t>(index)]);
    return out;
  }

  void no_selection(HWND page) const {
    MessageBoxA(page, settings::text(IDS_NO_SELECTION).c_str(), app_.title.c_str(), MB_OK | MB_TOPMOST);
  }

  int ask(HWND page, const std::string& text, UINT flags) const {
    return MessageBoxA(page, text.c_str(), app_.title.c_str(), flags | MB_TOPMOST);
  }

  void update_buttons(HWND page) const {
    const int index = list_->first_selected();
    const bool selected = index >= 0 && static_cast<std::size_t>(index) < items_.size();
    const StartupButtons b = startup_buttons(selected, selected ? items_[static_cast<std::size_t>(index)].code : 0,
                                             selected && facts_[static_cast<std::size_t>(index)].off());
    const HWND remove = GetDlgItem(page, IDC_REMOVE), enable = GetDlgItem(page, IDC_ENABLE),
               disable = GetDlgItem(page, IDC_DISABLE);
    if (selected) {
      SetWindowTextA(remove, settings::text(b.remove_reads_reset ? IDS_RESET_BUTTON : IDS_MENU_REMOVE, 64).c_str());
      EnableWindow(remove, b.remove_enabled);
    }
    ShowWindow(enable, b.show_enable ? SW_SHOW : SW_HIDE);
    ShowWindow(disable, b.show_enable ? SW_HIDE : SW_SHOW);
    EnableWindow(enable, b.toggle_enabled);
    EnableWindow(disable, b.toggle_enabled);
  }

  // Ends the entry's running program: with `ask`, only after the user agreed.
  void stop_running(HWND page, const StartupItem& item, bool ask) const {
    const std::string program = command_to_file(item.file);
    if (program.empty() || find_program_process(program) == 0) return;
    end_program_with_question(page, item.title.empty() ? item.file : item.title, program, ask);
  }

  void remove(HWND page) {
    const std::vector<StartupItem> chosen = selected_items();
    if (chosen.empty()) return no_selection(page);
    const bool one = chosen.size() == 1;
    bool refused = false;
    for (const StartupItem& item : chosen) {
      ActionResult r;
      if (item.code >= code::kWinlogonUserinit) {
        r = remove_protected_entry(item.title, item.file, item.command, item.code, protected_removal_warning(app_, page));
      } else {
        stop_running(page, item, one);
        if (one && ask(page, fill_question(settings::text(IDS_REMOVE_QUESTION), item.file),
                       MB_YESNO | MB_ICONWARNING) != IDYES)
          continue;
        r = remove_startup_entry(item.file, item.title, item.command, item.code, {});
      }
      refused = refused || r == ActionResult::Refused;
    }
    fill(page);
    if (refused) offer_elevated_restart(app_, IDS_STARTUP_CHANGE_REFUSED);
  }

  void toggle(HWND page, bool enable) {
    const std::vector<StartupItem> chosen = selected_items();
    if (chosen.empty()) return no_selection(page);
    const bool one = chosen.size() == 1;
    bool refused = false;
    for (const StartupItem& item : chosen) {
      ActionResult r = ActionResult::NotDone;
      if (enable) {
        r = enable_startup_entry(item);
      } else {
        stop_running(page, item, one);
        if (disabled_marker(item.title, kMarkerLimitToggle) != item.code) r = disable_startup_entry(item);
      }
      refused = refused || r == ActionResult::Refused;
    }
    fill(page);
    if (refused) offer_elevated_restart(app_, IDS_STARTUP_CHANGE_REFUSED);
  }

  // Lets the user pick a program and writes it into the user's Run key, accepted in the
  // Startup Snapshot so that the monitor does not ask about it.
  void add(HWND page) {
    const auto picked = pick_program(page);
    if (!picked) return;
    const std::string& program = *picked;
    const VersionInfo vi = version_information(program);
    const std::string title = added_program_title(vi.file_description, vi.product_name, file_name_of_path(program));
    const std::string command = added_program_command(program);
    const auto name = added_value_name(title, command, [](std::string_view n) -> std::optional<std::string> {
      if (!reg::value_exists(HKEY_CURRENT_USER, user_run_key(), n)) return std::nullopt;
      return reg::read_text(HKEY_CURRENT_USER, user_run_key(), n, reg::kLongestText);
    });
    if (name) {
      // The snapshot first: a Run value the monitor finds unaccepted would raise an alert.
      const std::string accepted = snapshot_key(program);
      const bool was_accepted = reg::value_exists(HKEY_CURRENT_USER, keys::kRunSnapshot, accepted);
      if (!snapshot_write(accepted, 1) || !reg::write_string(HKEY_CURRENT_USER, user_run_key(), *name, command)) {
        if (!was_accepted) snapshot_delete(accepted);
        fill(page);
        return offer_elevated_restart(app_, IDS_STARTUP_CHANGE_REFUSED);
      }
    }
    fill(page);
  }

  // "&Move to Delayed Start Program List": each selected entry into the Delay List. The
  // machine-wide question is asked once for the whole selection.
  void move_to_delay(HWND page) {
    const std::vector<StartupItem> chosen = selected_items();
    if (chosen.empty()) return no_selection(page);
    bool asked = false, agreed = false, refused = false;
    for (const StartupItem& item : chosen) {
      const delay::Refusal why = delay::refusal_of(item);
      if (why == delay::Refusal::MustStay) {
        ask(page, settings::text(IDS_CANNOT_DELAY), MB_OK | MB_ICONWARNING);
        continue;
      }
      if (why == delay::Refusal::AlreadyDelayed) {
        ask(page, fill_question(settings::text(IDS_DELAY_ALREADY), item.title), MB_OK | MB_ICONWARNING);
        continue;
      }
      if (delay::machine_root(item.code)) {
        if (!asked) {
          agreed = ask(page, settings::text(IDS_DELAY_FOR_EVERYONE_QUESTION), MB_OKCANCEL | MB_ICONWARNING) != IDCANCEL;
          asked = true;
        }
        if (!agreed) continue;
      }
      refused = delay::delay_entry(item) == ActionResult::Refused || refused;
    }
    fill(page);
    if (refused) offer_elevated_restart(app_, IDS_DELAY_REFUSED);
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

  std::vector<RowFacts> facts_;
};

// The check boxes bound to one option each: a click writes that option alone, so a value
// another page or program changed meanwhile is never written back from a stale copy.
struct BoundBox {
  int control;
  int text;
  Opt option;
};
constexpr BoundBox kBoundBoxes[] = {
    {IDC_OPT_SOUND, IDS_OPT_SOUND, Opt::Sound},
    {IDC_OPT_HISTORY, IDS_OPT_HISTORY, Opt::History},
    {IDC_OPT_LOCK_FILE_TYPES, IDS_OPT_LOCK_FILE_TYPES, Opt::LockFileTypes},
    {IDC_OPT_CONFIRM_EXIT, IDS_OPT_CONFIRM_EXIT, Opt::ConfirmExit},
    {IDC_OPT_HIDE_RUSKO, IDS_OPT_HIDE_RUSKO, Opt::HideRusko},
    {IDC_OPT_VANT, IDS_OPT_VANT, Opt::VantFormat},
};

// The monitor image buttons of the page: a patrol interval each.
struct PatrolImage {
  int control;
  int caption;
  Opt interval;
};
constexpr PatrolImage kPatrolImages[] = {
    {IDC_OPT_START_PAGE_IMAGE, IDS_PATROL_TIME_START_PAGE, Opt::StartPage},
    {IDC_OPT_HOSTS_IMAGE, IDS_PATROL_TIME_HOSTS, Opt::HostFile},
};

constexpr int kTrayIconOriginal = 159;
constexpr int kTrayIconNormal = 101;

std::string hosts_file_path() { return system_folder() + "\\drivers\\etc\\hosts"; }

class OptionsPage final : public SheetPage {
 public:
  using SheetPage::SheetPage;

 protected:
  INT_PTR handle(HWND page, UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_INITDIALOG: init(page); return TRUE;
      case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED) command(page, LOWORD(wp));
        return TRUE;
      case WM_NOTIFY: {
        const auto* n = reinterpret_cast<const NMHDR*>(lp);
        if (n->code == PSN_SETACTIVE) {
          app_.current_page = cmd::kOptions;
          show_values(page);
        }
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
  void init(HWND page) {
    const std::pair<int, int> texts[] = {
        {IDC_EXPLANATION, IDS_OPTIONS_EXPLANATION},      {IDC_OPT_GROUP, IDS_OPTIONS_GROUP},
        {IDC_HELP_CAPTION, IDS_HELP_CAPTION},            {IDC_OPT_ALWAYS_RUN, IDS_OPT_ALWAYS_RUN},
        {IDC_OPT_TRAY_ICON, IDS_OPT_TRAY_ICON},          {IDC_OPT_EXPLORER_MENU, IDS_OPT_EXPLORER_MENU},
        {IDC_OPT_START_PAGE_TEXT, IDS_OPT_START_PAGE_TEXT}, {IDC_OPT_HOSTS_TEXT, IDS_OPT_HOSTS_TEXT},
        {IDC_OPT_LOG, IDS_OPT_LOG},                      {IDC_OPT_VIEW_HISTORY, IDS_OPT_VIEW_HISTORY},
        {IDC_OPT_VIEW_HOSTS, IDS_OPT_VIEW_HOSTS},        {IDC_OPT_EXPORT, IDS_OPT_EXPORT},
        {IDC_OPT_HIJACK_LOG, IDS_OPT_HIJACK_LOG},        {IDC_OPT_SPREADSHEET, IDS_OPT_SPREADSHEET},
        {IDC_OPT_RESTORE_DELAYED, IDS_OPT_RESTORE_DELAYED}, {IDC_OPT_HIDE_ALERTS, IDS_OPT_HIDE_ALERTS},
    };
    for (const auto& [control, string] : texts) SetDlgItemTextA(page, control, settings::text(string, 256).c_str());
    for (const auto& b : kBoundBoxes) SetDlgItemTextA(page, b.control, settings::text(b.text, 256).c_str());
    auto help = static_cast<HICON>(LoadImageA(app_.instance, MAKEINTRESOURCEA(IDI_UNKNOWN_PROGRAM), IMAGE_ICON, 16, 16, LR_SHARED));
    SendDlgItemMessageA(page, IDC_HELP_IMAGE, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(help));
  }

  void check(HWND page, int control, bool on) const {
    CheckDlgButton(page, control, on ? BST_CHECKED : BST_UNCHECKED);
  }
  bool checked(HWND page, int control) const { return IsDlgButtonChecked(page, control) == BST_CHECKED; }

  void show_values(HWND page) const {
    for (const auto& b : kBoundBoxes) check(page, b.control, settings::option(b.option) > 0);
    check(page, IDC_OPT_ALWAYS_RUN, always_run_state());
    check(page, IDC_OPT_TRAY_ICON, settings::option(Opt::TrayIcon) != kTrayIconNormal);
    check(page, IDC_OPT_EXPLORER_MENU, reg::key_exists(HKEY_CLASSES_ROOT, keys::kExplorerMenu));
    for (const auto& i : kPatrolImages) show_image(page, i);
  }

  void show_image(HWND page, const PatrolImage& i) const {
    const int icon_id = settings::option(i.interval) > 0 ? IDI_MONITOR_ACTIVE : IDI_MONITOR_INACTIVE;
    auto icon = static_cast<HICON>(LoadImageA(app_.instance, MAKEINTRESOURCEA(icon_id), IMAGE_ICON, 16, 16, LR_SHARED));
    SendDlgItemMessageA(page, i.control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
  }

  void command(HWND page, int id) {
    for (const auto& b : kBoundBoxes) {
      if (b.control != id) continue;
      const bool on = checked(page, id);
      settings::set_option(b.option, on ? 1 : 0);
      if (b.option == Opt::HideRusko) tell_monitor_icon(on);
      if (b.option == Opt::VantFormat && on)
        MessageBoxA(page, settings::text(IDS_VANT_THANKS).c_str(), app_.title.c_str(), MB_OK | MB_ICONWARNING | MB_TOPMOST);
      return;
    }
    for (const auto& i : kPatrolImages) {
      if (i.control != id) continue;
      const int minutes = set_patrol_time(app_, page, i.caption, settings::option(i.interval));
      if (minutes != kPatrolClosed) {
        settings::set_option(i.interval, minutes);
        show_image(page, i);
      }
      return;
    }
    switch (id) {
      case IDC_OPT_ALWAYS_RUN:
        // The owner's command changes the Run entry and offers an elevated start when refused.
        if (checked(page, id) != always_run_state()) SendMessageA(app_.owner, WM_COMMAND, cmd::kAlwaysRun, 0);
        check(page, id, always_run_state());
        break;
      case IDC_OPT_TRAY_ICON:
        settings::set_option(Opt::TrayIcon, checked(page, id) ? kTrayIconOriginal : kTrayIconNormal);
        break;
      case IDC_OPT_EXPLORER_MENU: {
        const bool on = checked(page, id);
        if (!(on ? add_explorer_menu_entry() : remove_explorer_menu_entry())) {
          check(page, id, reg::key_exists(HKEY_CLASSES_ROOT, keys::kExplorerMenu));
          offer_elevated_restart(app_, IDS_EXPLORER_MENU_REFUSED);
        }
        break;
      }
      case IDC_OPT_VIEW_HOSTS: view_hosts(page); break;
      case IDC_OPT_VIEW_HISTORY: show_history_viewer(app_, page); break;
      case IDC_OPT_HIDE_ALERTS: show_hide_alerts(app_, page); break;
      case IDC_OPT_LOG: run(app_.hooks.program_report); break;
      case IDC_OPT_SPREADSHEET: run(app_.hooks.spreadsheet_report); break;
      case IDC_OPT_EXPORT: run(app_.hooks.export_settings); break;
      case IDC_OPT_HIJACK_LOG:
        if (app_.hooks.write_scan_log) app_.hooks.write_scan_log(program_folder() + "\\HijackKestrom.log");
        break;
      case IDC_OPT_RESTORE_DELAYED: run(app_.hooks.undelay_all); break;
      case IDC_HELP_IMAGE:
        info_server::open_help_page(app_.owner, help_page_name(cmd::kOptions, settings::text(IDS_LANGUAGE_CODE, 16)));
        break;
      default: break;
    }
  }

  static void run(const std::function<void()>& hook) {
    if (hook) hook();
  }

  // The option is written before the monitor hears of it: the monitor shows or hides its icon
  // by the stored value too, and a stale one would undo the user's choice.
  void tell_monitor_icon(bool hide) const {
    if (hide) show_message_dialog(app_, IDS_ICON_HIDDEN_NOTE);
    if (HWND monitor = FindWindowA("Kestrom", nullptr))
      PostMessageA(monitor, WM_COMMAND, cmd::kTrayIconShowHide, hide ? 1 : 0);
  }

  void view_hosts(HWND page) const {
    const std::string hosts = hosts_file_path();
    if (!file_exists(std::string_view(hosts))) {
      MessageBoxA(page, settings::text(IDS_NO_HOSTS_FILE).c_str(), app_.title.c_str(), MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
      return;
    }
    platform::StartOptions options;
    options.verb = "open";
    options.owner = page;
    options.folder = hosts.substr(0, hosts.find_last_of('\\'));
    const std::string arguments[] = {hosts};  // quoted by the wrapper when it holds blanks
    platform::start_program("notepad.exe", arguments, options);
  }

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
