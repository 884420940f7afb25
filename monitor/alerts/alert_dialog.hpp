// The monitor's alert dialogs: a modal dialog owned by the monitor window that shows what an
// item is (file, icon, version texts), asks about it and returns an answer value (6, 7, 11).
// AlertDialog holds what every alert shares; a dialog adds its question, buttons and answers.
#pragma once
#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "common/paths.hpp"
#include "common/string_ids.h"
#include "monitor/alert_rules.hpp"
#include "monitor/string_ids.h"
#include "platform/handles.hpp"

namespace kestrom::alerts {

// Control numbers of the alert dialog templates.
inline constexpr int kNameControl = 100;
inline constexpr int kIconButton = 117;
inline constexpr int kHiddenCheckBox = 1014;
inline constexpr int kPathControl = 1026;
inline constexpr int kProductVersionControl = 1029;
inline constexpr int kCompanyControl = 1030;
inline constexpr int kDescriptionControl = 1031;
inline constexpr int kCopyrightControl = 1032;
inline constexpr int kQuestionControl = 1036;
inline constexpr int kVersionLabel = 1097;

// The History Log action of a startup alert ("START_Alert").
inline constexpr int kStartAlertAction = 6;

// The item a dialog asks about, handed over by value.
struct AlertItem {
  std::string path;         // the item's file field as listed (or the category's path text)
  std::string name;         // title or name
  std::string file;         // a file text used by some categories
  std::string second_file;  // a second one
  int code = 0;             // Startup Location Code or category code
};

// The fonts of the alert dialogs, created once when the monitor starts and kept by it.
class AlertFonts {
 public:
  enum Id : std::size_t {
    SansSerif14, Verdana14Underlined, Verdana18Bold, Arial18, SansSerif14Bold, Verdana10Bold, Arial14,
    SansSerif12, Count_
  };
  AlertFonts();
  HFONT get(Id id) const noexcept { return static_cast<HFONT>(fonts_[id].get()); }
  HFONT name_font() const noexcept { return get(Arial18); }
  HFONT text_font() const noexcept { return get(SansSerif14Bold); }

 private:
  std::array<platform::UniqueGdi, Count_> fonts_;
};

// What the dialogs call outside themselves; an empty function is skipped.
struct AlertServices {
  // `look up program` (lookup type, path, and the item's name for a path that names no file).
  std::function<void(int lookup_type, const std::string& path, const std::string& name)> look_up_program;
  // Opens a help page by name ("helpme.html" with its language prefix).
  std::function<void(const std::string& page)> open_help_page;
  // `write history` (title, path, third text, location code, action number).
  std::function<void(const std::string& title, const std::string& path, const std::string& third, int code,
                     int action)>
      write_history;
};

// What the monitor keeps for its alerts for the whole run.
struct AlertContext {
  explicit AlertContext(const AlertFonts& f) : fonts(f) {}
  const AlertFonts& fonts;
  AlertServices services;
  RepeatMemory repeat;             // new-program dialog only; lives for one monitor run
  HINSTANCE resources = nullptr;   // module with the dialog templates; null = the program
};

// One open alert. Bound to its window while the dialog runs; not copyable.
class AlertDialog {
 public:
  AlertDialog(int resource, int title_string, AlertItem item, AlertContext& context);
  virtual ~AlertDialog() = default;
  AlertDialog(const AlertDialog&) = delete;
  AlertDialog& operator=(const AlertDialog&) = delete;

  // Runs the dialog modally; the answer value, or 0 when it could not be opened.
  int run(HWND owner);

 protected:
  // Dialog-specific opening (after the shared steps 1 to 6; placing follows).
  virtual void open() = 0;
  // The answer a command gives, 0 to keep the dialog open.
  virtual int command(int id);

  HWND window() const noexcept { return window_; }
  const AlertItem& item() const noexcept { return item_; }
  const VersionInfo& version() const noexcept { return version_; }
  const std::string& program_file() const noexcept { return program_file_; }
  AlertContext& context() noexcept { return context_; }
  int resource() const noexcept { return resource_; }
  void set_text(int control, const std::string& text) const;
  void set_text_string(int control, int string_number) const;
  void end(int answer);

 private:
  static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wp, LPARAM lp);
  INT_PTR handle(UINT message, WPARAM wp, LPARAM lp);
  void open_shared();
  void place();
  void look_up();
  void save_place() const;

  int resource_;
  int title_string_;
  AlertItem item_;
  AlertContext& context_;
  HWND window_ = nullptr;
  VersionInfo version_;
  std::string program_file_;
  platform::UniqueIcon icon_;
};

// The new-program question (resource 131): 6 approve, 7 remove, 11 disable.
int ask_new_program(HWND owner, AlertContext& context, const AlertItem& item);
// The question for a delayed program that put itself back (resource 192): 6 keep, 7 disable.
int ask_put_back(HWND owner, AlertContext& context, const AlertItem& item);

// Reads the remembered dialog place ("xPosAlert", "yPosAlert") and the screen.
AlertPlace alert_place_for(int width, int height);

}  // namespace kestrom::alerts
