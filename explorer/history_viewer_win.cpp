#include "explorer/history_viewer_win.hpp"

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "categories/hidden_files_win.hpp"
#include "common/history_log.hpp"
#include "explorer/page_switch.hpp"
#include "common/paths.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "explorer/history_viewer.hpp"
#include "explorer/list_page_win.hpp"
#include "explorer/resource_ids.h"
#include "explorer/settings_win.hpp"
#include "explorer/string_ids.h"
#include "platform/callback_guard.hpp"
#include "platform/handles.hpp"
#include "startup/actions.hpp"

namespace kestrom::explorer {

namespace {

class HistoryViewer {
 public:
  explicit HistoryViewer(App& app) : app_(app) {}

  INT_PTR handle(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_INITDIALOG: open(dialog); return TRUE;
      case WM_COMMAND:
        switch (LOWORD(wp)) {
          case IDC_HISTORY_RESTORE: restore(dialog); return TRUE;
          case IDC_HISTORY_CLEAR: clear(dialog); return TRUE;
          case IDOK:
          case IDCANCEL:
            list_->save_column_widths();
            EndDialog(dialog, IDOK);
            return TRUE;
          default: return FALSE;
        }
      case WM_NOTIFY: {
        const auto* n = reinterpret_cast<const NMHDR*>(lp);
        if (n->idFrom == IDC_LIST && (n->code == LVN_ITEMCHANGED || n->code == NM_CLICK || n->code == LVN_KEYDOWN))
          update_restore(dialog);
        if (n->idFrom == IDC_LIST && n->code == NM_RCLICK)
          list_->context_menu({{IDS_HISTORY_RESTORE, IDC_HISTORY_RESTORE}, {IDS_HISTORY_CLEAR, IDC_HISTORY_CLEAR},
                               {IDS_CLOSE_BUTTON, IDOK}});
        return FALSE;
      }
      default: return FALSE;
    }
  }

 private:
  void open(HWND dialog) {
    SetWindowTextA(dialog, settings::text(IDS_HISTORY_CAPTION, 128).c_str());
    const std::pair<int, int> texts[] = {{IDC_HISTORY_TEXT, IDS_HISTORY_TEXT},
                                         {IDC_HISTORY_RESTORE, IDS_HISTORY_RESTORE},
                                         {IDC_HISTORY_CLEAR, IDS_HISTORY_CLEAR},
                                         {IDOK, IDS_CLOSE_BUTTON}};
    for (const auto& [control, string] : texts) SetDlgItemTextA(dialog, control, settings::text(string, 256).c_str());
    EnableWindow(GetDlgItem(dialog, IDC_HISTORY_RESTORE), FALSE);
    list_.emplace(app_, dialog, IDC_LIST, cmd::kHistory);
    list_->add_columns();
    fill(dialog);
  }

  void fill(HWND dialog) {
    const int page = app_.current_page;
    list_->begin_fill();
    records_ = newest_history_rows(read_history(history_file_path()));
    for (std::size_t i = 0; i < records_.size(); ++i) {
      const HistoryRecord& r = records_[i];
      const int row = list_->add_row(r.title, static_cast<int>(i), r.path);
      list_->set_text(row, 1, std::string(action_name(r.action)));
      list_->set_text(row, 2, r.path);
      list_->set_text(row, 3, r.time);
    }
    // Every row compares equal: the rows keep the file's order.
    list_->end_fill([](int, int, int, int) { return 0; });
    app_.current_page = page;
    update_restore(dialog);
  }

  const HistoryRecord* selected() const {
    const int index = list_->first_selected();
    if (index < 0 || static_cast<std::size_t>(index) >= records_.size()) return nullptr;
    return &records_[static_cast<std::size_t>(index)];
  }

  void update_restore(HWND dialog) const {
    const HistoryRecord* r = selected();
    EnableWindow(GetDlgItem(dialog, IDC_HISTORY_RESTORE), r && history_restorable(r->action));
  }

  void tell(HWND dialog, int string) const {
    MessageBoxA(dialog, settings::text(string).c_str(), app_.title.c_str(), MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
  }

  void restore(HWND dialog) {
    const HistoryRecord* chosen = selected();
    if (!chosen || !history_restorable(chosen->action)) return;
    const HistoryRecord r = *chosen;
    if (r.action == action::kStartRemove) {
      // The History Log's third field is the entry's command; the path field is its file.
      const ActionResult done = restore_startup_entry(r.third, r.code, r.title, r.path);
      if (done != ActionResult::Done) tell(dialog, IDS_CANNOT_RESTORE);
    } else if (!restore_hidden_file(r.path)) {
      tell(dialog, IDS_NO_VAULT_COPY);
    }
    fill(dialog);
  }

  void clear(HWND dialog) {
    // Emptied rather than deleted: the next record written starts it again either way.
    platform::UniqueFile emptied(CreateFileA(history_file_path().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                             TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    fill(dialog);
  }

  App& app_;
  std::optional<ListPage> list_;
  std::vector<HistoryRecord> records_;
};

INT_PTR history_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lp);
  auto* viewer = reinterpret_cast<HistoryViewer*>(GetWindowLongPtrA(dialog, DWLP_USER));
  return viewer ? viewer->handle(dialog, msg, wp, lp) : FALSE;
}

}  // namespace

void show_history_viewer(App& app, HWND owner) {
  HistoryViewer viewer(app);
  DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_HISTORY), owner, &platform::dialog_procedure<&history_proc>,
                  reinterpret_cast<LPARAM>(&viewer));
}

}  // namespace kestrom::explorer
