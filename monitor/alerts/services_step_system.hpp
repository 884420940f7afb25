// The services step bound to the real system: the listings and the Services snapshot, the
// First-Detected Register, the service manager, and the new-service dialog (171) as the asker.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "monitor/alerts/alert_dialog.hpp"
#include "monitor/services_step.hpp"

namespace kestrom::alerts {

// The monitor's part of a question; an empty function is skipped.
struct ServicesStepSignals {
  std::function<void()> show_alert_icon;           // tray icon 161 with tooltip 821
  std::function<void()> play_alert_sound;          // sound 1; empty: with the Sound option
  std::function<void(bool on)> set_alert_showing;  // the patrol's alert-showing guard
  std::function<void(const std::string& text)> tell_user;  // empty: a message box
};

// The new-service question (resource 171): 6 allow, 7 (and Escape) refuse. It only asks; the
// step carries the answer out.
int ask_new_service(HWND owner, AlertContext& context, const AlertItem& item);

bool run_services_step_with_alerts(HWND owner, AlertContext& context, ItemList& list, const Options& options,
                                   ServicesStepSignals signals);

}  // namespace kestrom::alerts
