#include "explorer/page_parts_win.hpp"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include "categories/hidden_files_win.hpp"
#include "common/info_server_win.hpp"
#include "common/paths.hpp"
#include "common/text.hpp"
#include "explorer/resource_ids.h"
#include "platform/callback_guard.hpp"
#include "platform/process.hpp"
#include "explorer/list_rules.hpp"
#include "explorer/patrol_time.hpp"
#include "explorer/patrol_time_win.hpp"
#include "explorer/settings_win.hpp"
#include "explorer/string_ids.h"

namespace kestrom::explorer {

namespace {

// The default-warning dialog's texts in, the check box's state out.
struct DefaultWarning {
  std::string caption;
  std::string warning;
  std::string entry;
  std::string check;
  bool ticked = false;
};

INT_PTR default_warning_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, DWLP_USER, lp);
      const auto* w = reinterpret_cast<const DefaultWarning*>(lp);
      SetWindowTextA(dialog, w->caption.c_str());
      SetDlgItemTextA(dialog, IDC_WARNING_TEXT, w->warning.c_str());
      SetDlgItemTextA(dialog, IDC_WARNING_ENTRY, w->entry.c_str());
      SetDlgItemTextA(dialog, IDC_WARNING_CHECK, w->check.c_str());
      SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        auto* w = reinterpret_cast<DefaultWarning*>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (w) w->ticked = LOWORD(wp) == IDOK && IsDlgButtonChecked(dialog, IDC_WARNING_CHECK) == BST_CHECKED;
        EndDialog(dialog, LOWORD(wp));
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace

void set_page_texts(HWND page, std::span<const std::pair<int, int>> texts, bool trim_leading_breaks) {
  for (const auto& [control, string] : texts) {
    std::string text = settings::text(string, 256);
    if (trim_leading_breaks) text.erase(0, text.find_first_not_of("\r\n"));
    SetDlgItemTextA(page, control, text.c_str());
  }
}

std::vector<int> selected_records(HWND list) {
  std::vector<int> out;
  for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(list, row, LVNI_SELECTED)) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) out.push_back(static_cast<int>(item.lParam));
  }
  return out;
}

void look_up_selected(const App& app, HWND page, const ListPage& list, const ItemList& items) {
  const int index = list.first_selected();
  if (index < 0 || static_cast<std::size_t>(index) >= items.size()) {
    MessageBoxA(page, settings::text(IDS_NO_SELECTION).c_str(), app.title.c_str(), MB_OK | MB_TOPMOST);
    return;
  }
  const StartupItem& item = items[static_cast<std::size_t>(index)];
  info_server::look_up_program(app.owner, item.code, item.file, item.title);
}

void end_on_reset(App& app, const ListPage& list) {
  if (app.current_page != list.page_command()) return;
  list.save_position();
  list.save_column_widths();
  app.current_page = 0;
  PostMessageA(app.owner, WM_CLOSE, 0, 0);
}

std::optional<std::string> pick_program(HWND owner) {
  char path[MAX_PATH] = {};
  std::string filter = settings::text(IDS_ADD_PROGRAM_FILTER, 256);
  for (char& c : filter)
    if (c == '%') c = '\0';
  const std::string title_text = settings::text(IDS_ADD_PROGRAM_TITLE, 128);
  char program_files[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, program_files);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = path;
  ofn.nMaxFile = sizeof path;
  ofn.lpstrInitialDir = program_files;
  ofn.lpstrTitle = title_text.c_str();
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&ofn)) return std::nullopt;
  return std::string(path);
}

void explore_program_folder(HWND owner, std::string_view file) {
  // The program's own folder: parameters after it may hold backslashes of their own.
  const std::string program = command_to_file(file);
  const std::size_t slash = program.find_last_of('\\');
  if (slash == std::string::npos) return;
  platform::StartOptions options;
  options.verb = "explore";
  options.owner = owner;
  platform::start_program(program.substr(0, slash + 1), {}, options);
}

void open_program_properties(HWND owner, std::string_view file) {
  const std::string program = command_to_file(file);
  if (program.empty()) return;
  platform::StartOptions options;
  options.verb = "properties";
  options.shell_menu_verb = true;
  options.owner = owner;
  platform::start_program(program, {}, options);
}

ConfirmRemoval protected_removal_warning(App& app, HWND page) {
  return [&app, page](std::string_view title, std::string_view file, int) {
    DefaultWarning w;
    w.caption = app.title;
    w.warning = settings::text(IDS_DEFAULT_WARNING);
    const VersionInfo vi = version_information(command_to_file(file));
    w.entry = contains(vi.company_name, "Microsoft") ? fill_question(settings::text(IDS_VALID_MICROSOFT_FILE), title)
                                                     : std::string(file) + "\n" + std::string(title);
    w.check = settings::text(IDS_DEFAULT_WARNING_CHECK, 256);
    DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_DEFAULT_WARNING), page,
                    &platform::dialog_procedure<&default_warning_proc>, reinterpret_cast<LPARAM>(&w));
    return w.ticked;
  };
}

void delete_program_on_reboot(App& app, HWND page, std::string_view file) {
  const std::string question = settings::text(IDS_DELETE_ON_REBOOT_QUESTION);
  if (MessageBoxA(page, question.c_str(), app.title.c_str(), MB_YESNO | MB_ICONSTOP | MB_TOPMOST) != IDYES) return;
  const std::string program = command_to_file(file);
  if (program.empty() || delete_at_restart(program) != ActionResult::Done)
    offer_elevated_restart(app, IDS_DELETE_ON_REBOOT_REFUSED);
}

void show_patrol_image(const App& app, HWND page, Opt interval) {
  const int icon_id = settings::option(interval) > 0 ? IDI_MONITOR_ACTIVE : IDI_MONITOR_INACTIVE;
  auto icon = static_cast<HICON>(LoadImageA(app.instance, MAKEINTRESOURCEA(icon_id), IMAGE_ICON, 16, 16, LR_SHARED));
  SendDlgItemMessageA(page, IDC_MONITOR_IMAGE, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

void change_patrol_time(App& app, HWND page, int caption, Opt interval) {
  const int minutes = set_patrol_time(app, page, caption, settings::option(interval));
  if (minutes == kPatrolClosed) return;
  settings::set_option(interval, minutes);
  show_patrol_image(app, page, interval);
}

}  // namespace kestrom::explorer
