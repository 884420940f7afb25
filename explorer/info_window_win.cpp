#include "explorer/info_window_win.hpp"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

#include "categories/active_tasks.hpp"
#include "categories/services_win.hpp"
#include "common/detected.hpp"
#include "common/info_server_win.hpp"
#include "common/locations.hpp"
#include "common/paths.hpp"
#include "common/pathtext.hpp"
#include "common/product.hpp"
#include "common/string_ids.h"
#include "common/text.hpp"
#include "explorer/info_window.hpp"
#include "explorer/list_page_win.hpp"
#include "explorer/resource_ids.h"
#include "explorer/settings_win.hpp"
#include "explorer/string_ids.h"
#include "platform/callback_guard.hpp"
#include "platform/command_line.hpp"
#include "platform/handles.hpp"
#include "platform/process.hpp"
#include "startup/actions.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::explorer {

namespace {

// Shown only while the window is expanded.
constexpr int kExpandedControls[] = {IDC_INFO_NOTE,         IDC_INFO_CREATED_CAPTION, IDC_INFO_SIZE_CAPTION,
                                     IDC_INFO_SAVED_CAPTION, IDC_INFO_DETECTED_CAPTION, IDC_INFO_CREATED,
                                     IDC_INFO_SIZE,          IDC_INFO_SAVED,            IDC_INFO_DETECTED,
                                     IDC_INFO_NOTE_BUTTON};
constexpr std::size_t kMaxNoteFileSize = 4 * info::kMaxNoteLength;  // bytes read of a note file
constexpr DWORD kServiceSettleMs = 100;  // the service manager's state after a stop request

std::string program_of(const StartupItem& item) {
  std::string program = command_to_file(item.file);
  return program.empty() ? item.file : program;
}

void show(HWND dialog, int id, bool shown) { ShowWindow(GetDlgItem(dialog, id), shown ? SW_SHOW : SW_HIDE); }
void set(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }

std::optional<int> number(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

bool write_file(const std::string& path, std::string_view text) {
  platform::UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

std::optional<std::string> read_file(const std::string& path) {
  platform::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string text(kMaxNoteFileSize, '\0');
  DWORD read = 0;
  if (!ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr)) return std::nullopt;
  text.resize(read);
  return text;
}

class InfoWindow {
 public:
  InfoWindow(App& app, const ItemList& items, int index, const InfoWindowOptions& options)
      : app_(app), items_(items), options_(options), index_(index) {}

  InfoWindowOutcome outcome() const { return {index_, changed_}; }

  INT_PTR handle(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
      case WM_INITDIALOG: open(dialog); return FALSE;  // the focus was placed by open
      case WM_COMMAND: return command(dialog, LOWORD(wp), HIWORD(wp));
      case WM_DESTROY: SendDlgItemMessageA(dialog, IDC_INFO_ICON, STM_SETICON, 0, 0); return FALSE;
      default: return FALSE;
    }
  }

 private:
  const StartupItem& item() const { return items_[static_cast<std::size_t>(index_)]; }

  void open(HWND dialog) {
    SetWindowTextA(dialog, app_.title.c_str());
    const std::pair<int, int> texts[] = {
        {IDC_INFO_STATUS_CAPTION, IDS_STATUS_LABEL},    {IDC_INFO_START_CAPTION, IDS_START_TYPE_LABEL},
        {IDC_INFO_CREATED_CAPTION, IDS_DATE_CREATED},   {IDC_INFO_SAVED_CAPTION, IDS_LAST_SAVED},
        {IDC_INFO_SIZE_CAPTION, IDS_FILE_SIZE},         {IDC_INFO_DETECTED_CAPTION, IDS_DETECTED_BY},
        {IDC_INFO_LOOKUP, IDS_INFO_BUTTON},             {IDC_INFO_RUN, IDS_RUN},
        {IDC_INFO_APPLY, IDS_APPLY},                    {IDC_INFO_PREVIOUS, IDS_INFO_PREVIOUS},
        {IDC_INFO_NEXT, IDS_INFO_NEXT},                 {IDOK, IDS_CLOSE_BUTTON},
    };
    for (const auto& [control, string] : texts) set(dialog, control, settings::text(string, 256));
    for (int s : {IDS_START_AUTOMATIC, IDS_START_MANUAL, IDS_START_DISABLED})
      SendDlgItemMessageA(dialog, IDC_INFO_START_TYPE, CB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(settings::text(s, 64).c_str()));
    SendDlgItemMessageA(dialog, IDC_INFO_NOTE, EM_SETLIMITTEXT, info::kMaxNoteLength, 0);
    if (!app_.fonts.empty())  // the note font is the last one the program made
      SendDlgItemMessageA(dialog, IDC_INFO_NOTE, WM_SETFONT, reinterpret_cast<WPARAM>(app_.fonts.back().get()), FALSE);
    place(dialog);
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    fill(dialog);
    expand(dialog, app_.info_expand.open());
    SetFocus(GetDlgItem(dialog, IDOK));
  }

  // The stored position only; the size is the window's own.
  void place(HWND dialog) const {
    const auto stored = read_window_position(WindowFamily::Info);
    const auto x = number(stored[0]), y = number(stored[1]);
    RECT r{};
    GetWindowRect(dialog, &r);
    const int w = r.right - r.left;
    int left = 0, top = 0;
    if (x && y) {
      const int vx = GetSystemMetrics(SM_XVIRTUALSCREEN), vy = GetSystemMetrics(SM_YVIRTUALSCREEN);
      const int vw = GetSystemMetrics(SM_CXVIRTUALSCREEN), vh = GetSystemMetrics(SM_CYVIRTUALSCREEN);
      left = std::clamp(*x, vx, std::max(vx, vx + vw - w));
      top = std::clamp(*y, vy, std::max(vy, vy + vh - 60));
    } else {
      RECT owner{};
      HWND parent = GetParent(dialog);
      if (!parent || !GetWindowRect(parent, &owner)) SystemParametersInfoA(SPI_GETWORKAREA, 0, &owner, 0);
      left = owner.left + ((owner.right - owner.left) - w) / 2;
      top = owner.top + 40;
    }
    SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void save_position(HWND dialog) const {
    RECT r{};
    if (GetWindowRect(dialog, &r))
      write_window_position(WindowFamily::Info, r.left, r.top, r.right - r.left, r.bottom - r.top);
  }

  void expand(HWND dialog, bool expanded) {
    HDC dc = GetDC(dialog);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(dialog, dc);
    const info::Geometry g = info::geometry(expanded, dpi);
    RECT r{};
    GetWindowRect(dialog, &r);
    SetWindowPos(dialog, nullptr, 0, 0, r.right - r.left, g.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (std::size_t i = 0; i < info::kMovedButtons.size(); ++i) {
      RECT units{info::kMovedButtonX[i], 0, 0, 0};
      MapDialogRect(dialog, &units);
      SetWindowPos(GetDlgItem(dialog, info::kMovedButtons[i]), nullptr, units.left, g.button_y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (int id : kExpandedControls) show(dialog, id, expanded);
    set(dialog, IDC_INFO_EXPAND, settings::text(expanded ? IDS_SHRINK_WINDOW : IDS_EXPAND_INFO, 64));
    InvalidateRect(dialog, nullptr, TRUE);
  }

  std::string location_line(const StartupItem& it) const {
    if (options_.location_line) return options_.location_line(it);
    if (info::is_service(it.code)) return {};
    std::string where = item_location_text(it);
    if (it.code < code::kWinlogonUserinit && switched_off_by_windows(it))
      where += " - " + settings::text(IDS_OFF_IN_WINDOWS, 64);
    return info::labelled(settings::text(IDS_STARTUP_LOCATION, 64), where);
  }

  void fill(HWND dialog) {
    filling_ = true;
    const StartupItem& it = item();
    std::string program = program_of(it);
    info::ItemFacts facts;
    facts.code = it.code;
    facts.file_exists = file_exists(program);
    services::ServiceState state;
    if (info::is_service(it.code)) {
      state = services::service_state(it.title);
      facts.service_state_known = state.known;
      facts.service_can_stop = state.can_stop();
    } else if (it.code < 900) {
      facts.running = find_program_process(program) != 0;
    }
    const info::Controls c = info::controls_for(facts);

    platform::UniqueIcon icon;
    if (facts.file_exists) ExtractIconExA(program.c_str(), 0, icon.put(), nullptr, 1);
    HICON shown = icon ? icon.get() : LoadIconA(app_.instance, MAKEINTRESOURCEA(IDI_UNKNOWN_PROGRAM));
    SendDlgItemMessageA(dialog, IDC_INFO_ICON, STM_SETICON, reinterpret_cast<WPARAM>(shown), 0);
    icon_ = std::move(icon);  // the previous icon goes only after the control let it go

    const VersionInfo vi = version_information(program);
    set(dialog, IDC_INFO_DESCRIPTION, vi.file_description);
    set(dialog, IDC_INFO_PRODUCT, vi.product_name);
    set(dialog, IDC_INFO_COMPANY, info::labelled(settings::text(IDS_COMPANY_LABEL, 64), vi.company_name));
    set(dialog, IDC_INFO_VERSION, info::labelled(settings::text(IDS_VERSION_LABEL, 64), vi.product_version));
    set(dialog, IDC_INFO_COPYRIGHT, info::labelled(settings::text(IDS_COPYRIGHT_LABEL, 64), vi.legal_copyright));
    set(dialog, IDC_INFO_FILE, it.file);
    set(dialog, IDC_INFO_LOCATION, location_line(it));

    std::string status;
    if (c.status_string) status = settings::text(c.status_string, 64);
    else if (state.known) status = services::service_status_text(it.title);
    set(dialog, IDC_INFO_STATUS, status);
    show(dialog, IDC_INFO_STATUS_CAPTION, c.status);
    show(dialog, IDC_INFO_STATUS, c.status);
    set(dialog, IDC_INFO_STOP, settings::text(c.stop_is_service ? IDS_STOP_SERVICE : IDS_KILL_TASK, 64));
    show(dialog, IDC_INFO_STOP, c.stop);
    EnableWindow(GetDlgItem(dialog, IDC_INFO_STOP), c.stop_enabled);
    show(dialog, IDC_INFO_RUN, c.run);
    show(dialog, IDC_INFO_START_CAPTION, c.start_type);
    show(dialog, IDC_INFO_START_TYPE, c.start_type);
    show(dialog, IDC_INFO_APPLY, c.start_type);
    EnableWindow(GetDlgItem(dialog, IDC_INFO_APPLY), FALSE);
    current_start_ = c.start_type ? info::start_type_position(services::service_start_type(it.title)) : -1;
    SendDlgItemMessageA(dialog, IDC_INFO_START_TYPE, CB_SETCURSEL, static_cast<WPARAM>(current_start_), 0);
    EnableWindow(GetDlgItem(dialog, IDC_INFO_START_TYPE), c.start_type);

    FileFacts ff;
    if (!file_facts(program, ff)) ff = {};
    set(dialog, IDC_INFO_CREATED, creation_time_text(program));
    set(dialog, IDC_INFO_SAVED, ff.date);
    set(dialog, IDC_INFO_SIZE, ff.size);
    set(dialog, IDC_INFO_DETECTED, first_sighting(it.file, it.code));

    fill_note(dialog, it, c.system_place, vi);
    filling_ = false;
  }

  void fill_note(HWND dialog, const StartupItem& it, bool system_place, const VersionInfo& vi) {
    const std::string path = note_file_path(it);
    const std::optional<std::string> note = path.empty() ? std::nullopt : read_file(path);
    note_exists_ = note.has_value();
    HWND area = GetDlgItem(dialog, IDC_INFO_NOTE);
    std::string text;
    if (note) {
      text = *note;
    } else if (system_place) {
      if (contains(vi.company_name, "Microsoft"))
        text = fill_question(settings::text(IDS_MICROSOFT_SYSTEM_FILE), it.file);
      text += settings::text(IDS_SYSTEM_PLACE_NOTE);
    }
    set(dialog, IDC_INFO_NOTE, text);
    SendMessageA(area, EM_SETREADONLY, note_exists_, 0);
    SendMessageA(area, EM_SETMODIFY, FALSE, 0);
    set(dialog, IDC_INFO_NOTE_BUTTON, settings::text(note_exists_ ? IDS_SAVE_NOTE : IDS_CREATE_NOTE, 64));
    // A note shown as it is stored has nothing to save until it is edited.
    EnableWindow(GetDlgItem(dialog, IDC_INFO_NOTE_BUTTON), !note_exists_ && !path.empty());
  }

  INT_PTR command(HWND dialog, int id, int code) {
    switch (id) {
      case IDC_INFO_NEXT:
        index_ = info::next_index(index_, static_cast<int>(items_.size()));
        fill(dialog);
        return TRUE;
      case IDC_INFO_PREVIOUS:
        index_ = info::previous_index(index_, static_cast<int>(items_.size()));
        fill(dialog);
        return TRUE;
      case IDC_INFO_LOOKUP:
        info_server::look_up_program(dialog, item().code, item().file, item().title);
        SetWindowPos(dialog, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return TRUE;
      case IDC_INFO_STOP: stop(dialog); return TRUE;
      case IDC_INFO_RUN: run(dialog); return TRUE;
      case IDC_INFO_APPLY: apply(dialog); return TRUE;
      case IDC_INFO_EXPAND: expand(dialog, app_.info_expand.toggle()); return TRUE;
      case IDC_INFO_NOTE_BUTTON: note(dialog); return TRUE;
      case IDC_INFO_START_TYPE:
        if (code == CBN_SELCHANGE) {
          const int chosen = static_cast<int>(SendDlgItemMessageA(dialog, IDC_INFO_START_TYPE, CB_GETCURSEL, 0, 0));
          EnableWindow(GetDlgItem(dialog, IDC_INFO_APPLY), chosen >= 0 && chosen != current_start_);
        }
        return TRUE;
      case IDC_INFO_NOTE:
        if (code == EN_CHANGE && !filling_ && note_exists_) EnableWindow(GetDlgItem(dialog, IDC_INFO_NOTE_BUTTON), TRUE);
        return TRUE;
      case IDOK:
      case IDCANCEL:
        save_position(dialog);
        EndDialog(dialog, IDOK);
        return TRUE;
      default: return FALSE;
    }
  }

  void tell(HWND dialog, int string) const {
    MessageBoxA(dialog, settings::text(string).c_str(), app_.title.c_str(), MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
  }

  void stop(HWND dialog) {
    const StartupItem& it = item();
    if (info::is_service(it.code)) {
      const ActionResult done = services::stop_service_logged(it);
      if (done == ActionResult::Refused) tell(dialog, IDS_INFO_SERVICE_REFUSED);
      if (done == ActionResult::Done) Sleep(kServiceSettleMs);
    } else if (it.code == code::kInfoTask && it.value > 0) {
      // A running program's row names its own process; another one of the same file stays.
      end_process(static_cast<std::uint32_t>(it.value), it.title, program_of(it));
    } else {
      end_program_with_question(dialog, it.title.empty() ? it.file : it.title, program_of(it), false);
    }
    changed_ = true;
    fill(dialog);
  }

  void run(HWND dialog) {
    run_item(item());
    changed_ = true;
    fill(dialog);
  }

  void apply(HWND dialog) {
    const int chosen = static_cast<int>(SendDlgItemMessageA(dialog, IDC_INFO_START_TYPE, CB_GETCURSEL, 0, 0));
    const int start = info::start_type_of_position(chosen);
    if (!start || chosen == current_start_) return;
    const ActionResult done = services::change_service_start_type(item(), start);
    if (done == ActionResult::Done) {
      current_start_ = chosen;
      changed_ = true;
    } else {
      tell(dialog, done == ActionResult::Refused ? IDS_INFO_SERVICE_REFUSED : IDS_INFO_SERVICE_NOT_CHANGED);
      SendDlgItemMessageA(dialog, IDC_INFO_START_TYPE, CB_SETCURSEL, static_cast<WPARAM>(current_start_), 0);
    }
    EnableWindow(GetDlgItem(dialog, IDC_INFO_APPLY), FALSE);
  }

  void note(HWND dialog) {
    const StartupItem& it = item();
    HWND area = GetDlgItem(dialog, IDC_INFO_NOTE);
    if (!note_exists_) {
      const std::string text = info::new_note_text(it.title, it.file);
      if (!write_note(it, text)) {
        tell(dialog, IDS_NOTE_NOT_SAVED);
        return;
      }
      note_exists_ = true;
      filling_ = true;
      SendMessageA(area, EM_SETREADONLY, FALSE, 0);
      set(dialog, IDC_INFO_NOTE_BUTTON, settings::text(IDS_SAVE_NOTE, 64));
      set(dialog, IDC_INFO_NOTE, text);
      SendMessageA(area, EM_SETMODIFY, FALSE, 0);
      filling_ = false;
      SetFocus(area);
      SendMessageA(area, EM_SETSEL, text.size(), text.size());
      return;
    }
    const int length = GetWindowTextLengthA(area);
    std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(area, text.data(), length + 1)));
    if (!write_note(it, text)) {
      tell(dialog, IDS_NOTE_NOT_SAVED);
      return;
    }
    EnableWindow(GetDlgItem(dialog, IDC_INFO_NOTE_BUTTON), FALSE);
    SendMessageA(area, EM_SETMODIFY, FALSE, 0);
  }

  App& app_;
  const ItemList& items_;
  const InfoWindowOptions& options_;
  int index_;
  bool changed_ = false;
  bool note_exists_ = false;
  bool filling_ = false;
  int current_start_ = -1;
  platform::UniqueIcon icon_;
};

INT_PTR info_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lp);
  auto* window = reinterpret_cast<InfoWindow*>(GetWindowLongPtrA(dialog, DWLP_USER));
  return window ? window->handle(dialog, msg, wp, lp) : FALSE;
}

}  // namespace

InfoWindowOutcome show_info_window(App& app, HWND owner, const ItemList& items, int index,
                                   const InfoWindowOptions& options) {
  if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return {};
  InfoWindow window(app, items, index, options);
  DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_INFO), owner, &platform::dialog_procedure<&info_proc>,
                  reinterpret_cast<LPARAM>(&window));
  return window.outcome();
}

bool open_info_for_selection(App& app, HWND page, const ListPage& list, const ItemList& items,
                             const InfoWindowOptions& options) {
  const int index = list.first_selected();
  if (index < 0 || static_cast<std::size_t>(index) >= items.size()) {
    MessageBoxA(page, settings::text(IDS_NO_SELECTION).c_str(), app.title.c_str(), MB_OK | MB_TOPMOST);
    return false;
  }
  return show_info_window(app, page, items, index, options).changed;
}

std::string helper_location(std::string_view key) {
  return info::helper_location_line(settings::text(IDS_REPORT_LOCATION, 64), key);
}

std::string file_type_location(std::string_view extension) {
  return info::labelled(settings::text(IDS_FILE_TYPE_EXTENSION, 64), extension);
}

std::string clsid_location(std::string_view clsid) {
  return info::labelled(settings::text(IDS_CLSID_CAPTION, 64), clsid);
}

std::string note_file_path(const StartupItem& item) {
  const std::string name = info::note_file_name(program_of(item));
  if (name.empty()) return {};
  const std::string folder = product_data_folder();
  if (folder.empty()) return {};
  return folder + "\\" + std::string(info::kNotesFolder) + "\\" + name;
}

bool has_note(const StartupItem& item) {
  const std::string path = note_file_path(item);
  return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::string> read_note(const StartupItem& item) {
  const std::string path = note_file_path(item);
  if (path.empty()) return std::nullopt;
  return read_file(path);
}

bool write_note(const StartupItem& item, std::string_view text) {
  const std::string path = note_file_path(item);
  if (path.empty()) return false;
  CreateDirectoryA(path.substr(0, path.rfind('\\')).c_str(), nullptr);
  return write_file(path, info::note_text_to_save(text));
}

platform::Started run_item(const StartupItem& item) {
  const CommandParts parts = split_command(item.file);
  platform::StartOptions options;
  options.show = SW_SHOWNORMAL;
  return platform::start_command_line(platform::command_line(parts.program) + parts.arguments, options);
}

void view_note(HWND owner, const StartupItem& item) {
  if (has_note(item)) platform::open_in_shell(owner, note_file_path(item));
}

}  // namespace kestrom::explorer
