// The property sheet: its pages, the resizable frame, the status bar and the geometry rules.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "explorer/app_win.hpp"
#include "explorer/sheet_geometry.hpp"

namespace kestrom::explorer {

class SheetContext;

// One tab. The sheet hands the object to its dialog procedure through the page record.
class SheetPage {
 public:
  SheetPage(App& app, SheetContext& sheet) : app_(app), sheet_(sheet) {}
  virtual ~SheetPage() = default;
  SheetPage(const SheetPage&) = delete;
  SheetPage& operator=(const SheetPage&) = delete;

  // Runs inside the guard (platform/callback_guard.hpp), which the page records get.
  static INT_PTR dialog_proc(HWND page, UINT msg, WPARAM wp, LPARAM lp);

 protected:
  // Returns the dialog procedure's answer; never throws.
  virtual INT_PTR handle(HWND page, UINT msg, WPARAM wp, LPARAM lp) = 0;
  // Closing the sheet from a page: widths and position are saved by the page first.
  void close_sheet(HWND page) const;

  App& app_;
  SheetContext& sheet_;
};

class SheetContext {
 public:
  explicit SheetContext(App& app) : app_(app) {}
  ~SheetContext();
  SheetContext(const SheetContext&) = delete;
  SheetContext& operator=(const SheetContext&) = delete;

  // Called by every page when it is created; the first call sets up the sheet window.
  void page_started(HWND page);
  // The geometry rules for the sheet's current size.
  void relayout();

  std::vector<std::unique_ptr<SheetPage>> pages;
  std::vector<int> page_icons;  // icon resource of each built page, in tab order

 private:
  static LRESULT subclass_proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  void place();

  App& app_;
  bool started_ = false;
  Size min_track_;
  HIMAGELIST tab_images_ = nullptr;
};

}  // namespace kestrom::explorer
