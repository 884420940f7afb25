// The two browser steps of the patrol. IE helpers: every listed helper whose title the
// IEHelpers snapshot does not approve is asked about (or answered by HideIEHelper); No ends a
// program running its library and removes the helper, Yes approves it. ActiveX: every used
// control not yet seen is asked about (or answered by HideActiveX); No sets its kill bit.
// Pure: the registry, the programs and the dialogs come in below.
#pragma once
#include <string_view>

#include "common/item_list.hpp"
#include "common/options_table.hpp"
#include "startup/actions.hpp"

namespace kestrom {

struct BrowserStepOptions {
  int hide = 0;         // HideIEHelper / HideActiveX: 0 ask, 1 approve silently, else undo silently
  int show_alerts = 0;  // ShowAlerts: non-zero always asks
};
BrowserStepOptions ie_helpers_step_options(const Options& options) noexcept;
BrowserStepOptions activex_step_options(const Options& options) noexcept;

// What both steps do around a question; every operation is silent on failure.
class BrowserStepCommon {
 public:
  virtual ~BrowserStepCommon() = default;
  virtual void show_status_icon() = 0;  // tray icon 158 with tooltip 822
  virtual void play_alert_sound() = 0;  // sound 4
  virtual void set_alert_showing(bool on) = 0;
  // Tells the user in words that Windows refused the change to `item`.
  virtual void tell_refused(const StartupItem& item) = 0;
};

class HelperStepOperations : public BrowserStepCommon {
 public:
  virtual void list_helpers(ItemList& list) = 0;
  virtual bool approved(std::string_view title) = 0;
  virtual void write_snapshot(std::string_view title, int code) = 0;
  virtual void delete_snapshot(std::string_view title) = 0;
  virtual void note_first_sighting(std::string_view file) = 0;  // category "IEHelper"
  virtual void end_program(const StartupItem& helper) = 0;      // a program running its file
  virtual ActionResult remove_helper(const StartupItem& helper) = 0;
};

class ActiveXStepOperations : public BrowserStepCommon {
 public:
  virtual void list_controls(ItemList& list) = 0;  // the statistics listing
  virtual bool seen(std::string_view clsid) = 0;
  virtual void write_seen(std::string_view clsid) = 0;
  virtual void note_first_sighting(std::string_view file) = 0;  // category "ActiveX"
  virtual ActionResult set_kill_bit(std::string_view clsid) = 0;
};

class BrowserAsker {
 public:
  virtual ~BrowserAsker() = default;
  // 6 or 7, or kAnswerNotShown when the dialog could not open.
  virtual int ask(const StartupItem& item) = 0;
};

// The IE helpers step. A helper whose removal Windows refused stays unapproved: the user is
// told and asked again at the next check.
void run_ie_helpers_step(ItemList& list, const BrowserStepOptions& options, HelperStepOperations& ops,
                         BrowserAsker& asker);
// The ActiveX step. A control counts as seen only once its answer held: a refused kill bit is
// told and asked about again.
void run_activex_step(ItemList& list, const BrowserStepOptions& options, ActiveXStepOperations& ops,
                      BrowserAsker& asker);

}  // namespace kestrom
