// The two browser steps bound to the real system: the helper and control listings, their
// snapshots, the First-Detected Register, the removal and the kill bit, and the new IE helper
// (resource 140) and new ActiveX control (resource 193) alerts as the askers.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "common/item_list.hpp"
#include "common/options_table.hpp"
#include "monitor/alerts/alert_dialog.hpp"

namespace kestrom::alerts {

// The monitor's part of a question; an empty function is skipped.
struct BrowserStepSignals {
  std::function<void()> show_status_icon;          // tray icon 158 with tooltip 822
  std::function<void()> play_alert_sound;          // sound 4; empty: with the Sound option
  std::function<void(bool on)> set_alert_showing;  // the patrol's alert-showing guard
  // Shows the text that says Windows refused a change; empty: a message box.
  std::function<void(const std::string& text)> tell_user;
  // Asks instead of the dialog (tests); empty: the dialog, owned by the step's owner.
  std::function<int(const AlertItem& item)> ask;
};

// The new IE helper question (resource 140) and the new ActiveX control question (resource
// 193): 6 approve, 7 undo; 0 when the dialog could not open. Each writes IEHELPER_Alert.
int ask_new_helper(HWND owner, AlertContext& context, const AlertItem& item);
int ask_new_activex(HWND owner, AlertContext& context, const AlertItem& item);

void run_ie_helpers_step_with_alerts(HWND owner, AlertContext& context, ItemList& list, const Options& options,
                                     BrowserStepSignals signals);
void run_activex_step_with_alerts(HWND owner, AlertContext& context, ItemList& list, const Options& options,
                                  BrowserStepSignals signals);

}  // namespace kestrom::alerts
