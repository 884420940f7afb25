// The list page framework: a report-style list bound to one page window, whose rows carry
// the index of their record, with the shared columns, icons, sorting, menu, relayout, help
// and memory of widths and position. Every list page owns one.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "explorer/app_win.hpp"
#include "explorer/info_window_win.hpp"
#include "explorer/list_rules.hpp"
#include "explorer/sheet_geometry.hpp"
#include "explorer/sheet_win.hpp"
#include "common/item_list.hpp"
#include "platform/handles.hpp"

namespace kestrom::explorer {

// The sheet's outer rectangle as xPos, yPos, dxPos, dyPos, then StartTab = the page.
void save_sheet_position(const App& app, int page_command);

class ListPage {
 public:
  // Compares the records at two indexes for one column; `flag` 0 ascending, 1 descending.
  using Comparator = RowComparator;

  ListPage(App& app, HWND page, int list_id, int page_command);
  ListPage(const ListPage&) = delete;
  ListPage& operator=(const ListPage&) = delete;
  ~ListPage();

  HWND list() const noexcept { return list_; }
  int page_command() const noexcept { return page_command_; }

  // Creates the page's columns with their stored or default widths (once).
  void add_columns();
  void save_column_widths() const;

  // Filling: begin (wait cursor, fresh image list, no rows), one add_row per record in
  // order, end (stored sort, full-row selection, row 0 selected, current page, arrow cursor).
  void begin_fill();
  int add_row(const std::string& title, int index, const std::string& program_file);
  void set_text(int row, int column, const std::string& text);
  void end_fill(const Comparator& compare);

  // The record index of the first selected row, or -1.
  int first_selected() const;
  // The record indexes of every selected row, top to bottom.
  std::vector<int> selected() const;
  void select(int index);
  int row_count() const;

  // A click on a column header.
  void sort_click(int column, const Comparator& compare);
  // Sorts by `column` in the direction `flag` (0 ascending, 1 descending), leaving the flags.
  void sort(int column, int flag, const Comparator& compare);

  // Shows `entries` at the cursor when a row is selected; the chosen command goes to the page.
  // `default_command` (0: none) is drawn in bold as the menu's default entry.
  void context_menu(const std::vector<MenuEntry>& entries, int default_command = 0) const;

  // Command 6049: places the list, the image buttons and the button row. `buttons` are the
  // slots left to right; a slot's twin (second id, or 0) shares its place.
  struct Slot {
    int id;
    int twin;
  };
  void relayout(const std::vector<Slot>& buttons) const;

  // Opens the help page of the page on show (local file first).
  void open_help() const;

  // Deactivation: widths, window position and StartTab, empty status bar.
  void deactivate() const;
  void save_position() const;

  void set_status(const std::string& text) const;

 private:

  App& app_;
  HWND page_;
  HWND list_;
  int page_command_;
  bool columns_added_ = false;
  HIMAGELIST images_ = nullptr;
};

// Shows `entries` at the cursor; the chosen command goes to `owner` as a button command.
void track_context_menu(HWND owner, const std::vector<MenuEntry>& entries, int default_command = 0);

// The list takes the Enter key for itself (and tells its page with NM_RETURN), so Enter is
// the page's "Info..." instead of the sheet's hidden default button.
void take_enter_key(HWND list);
void release_enter_key(HWND list);

// A page whose body is one list of items: the dialog messages reach the page's own init,
// notify and command, and the list goes with the page's window. Enter and a double click on
// the list are the page's "Info..." (1008).
class ListSheetPage : public SheetPage {
 public:
  using SheetPage::SheetPage;

 protected:
  INT_PTR handle(HWND page, UINT msg, WPARAM wp, LPARAM lp) final {
    switch (msg) {
      case WM_INITDIALOG:
        init(page);
        if (list_) take_enter_key(list_->list());
        return TRUE;
      case WM_NOTIFY: {
        const auto* n = reinterpret_cast<NMHDR*>(lp);
        const bool from_list = list_ && n->hwndFrom == list_->list();
        if (from_list && (n->code == NM_DBLCLK || n->code == NM_RETURN)) {
          command(page, menu::kInfo);
          SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
          return TRUE;
        }
        if (from_list && n->code == LVN_ITEMCHANGED &&
            (reinterpret_cast<const NMLISTVIEW*>(n)->uNewState & LVIS_SELECTED))
          mark_info_button(page);
        return notify(page, n);
      }
      case WM_COMMAND:
        // Command 9 writes the program report from every list page.
        if (LOWORD(wp) == menu::kLog && HIWORD(wp) == 0) {
          if (app_.hooks.program_report) app_.hooks.program_report();
        } else if (LOWORD(wp) == menu::kViewNote && HIWORD(wp) == 0) {
          if (const StartupItem* item = selected_item()) view_note(page, *item);
        } else {
          command(page, LOWORD(wp));
        }
        return TRUE;
      case WM_DESTROY:
        if (list_) release_enter_key(list_->list());
        list_.reset();
        return FALSE;
      default: return FALSE;
    }
  }
  // The record of the first selected row, or null.
  const StartupItem* selected_item() const {
    const int index = list_ ? list_->first_selected() : -1;
    return index >= 0 && static_cast<std::size_t>(index) < items_.size() ? &items_[static_cast<std::size_t>(index)]
                                                                         : nullptr;
  }

  // LVN_ITEMCHANGED for a row that has just become selected.
  static bool newly_selected(const NMHDR* n) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(n);
    return (change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED);
  }
  // The first selected record's `text` (its file or command) in the status bar.
  void show_selected_in_status(std::string StartupItem::*text) const {
    if (const StartupItem* item = selected_item()) list_->set_status(item->*text);
  }

  // A control's text: the control and the number of its string.
  using ControlText = std::pair<int, int>;
  // The page's first start: its list, the texts of its controls, the help image and, unless
  // `monitor_icon` is 0, the monitor image, then the columns with their stored widths.
  // With `trim_leading_breaks` the line breaks a text begins with go (explanations that stand
  // one above the other).
  void set_up_page(HWND page, int page_command, std::span<const ControlText> texts, bool trim_leading_breaks,
                   int monitor_icon);
  // Puts the small form of icon `icon_id` on an image button.
  void icon_button(HWND page, int control, int icon_id) const;

  // Whether the selected row's program has a note (the menu's "&View Note..." entry).
  bool selected_has_note() const;
  // The page's menu for the selected row; "Info..." is its bold default entry when the item
  // has a note, as the page's "Info..." button is.
  void item_menu(const std::vector<MenuEntry>& entries) const;
  // Menu commands 1201, 1202 and "Delete &File on Reboot" (1144) on the selected row's program;
  // message 57 without a row, and a deletion Windows does not take is told with the offer to run
  // as administrator. False for any other command.
  bool program_command(HWND page, int id) const;

  virtual void init(HWND page) = 0;
  virtual INT_PTR notify(HWND page, const NMHDR* n) = 0;
  virtual void command(HWND page, int id) = 0;

  std::optional<ListPage> list_;
  ItemList items_;

 private:
  // The "Info..." button in bold while the selected item has a note.
  void mark_info_button(HWND page);
  platform::UniqueGdi bold_font_;
  HFONT normal_font_ = nullptr;  // the button's font before it was first marked (not owned)
};

}  // namespace kestrom::explorer
