// The monitor's hidden-files step: every hidden file not in the Hidden snapshot is noted in the
// First-Detected Register and asked about with the New Hidden File alert (resource 191), or
// answered by HideHidden; OK keeps the file (approved), Delete deletes it through the product.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "common/item_list.hpp"
#include "common/options_table.hpp"
#include "monitor/alerts/alert_dialog.hpp"

namespace kestrom::alerts {

// The History Log action written when the alert opens ("HIDDEN_Alert").
inline constexpr int kHiddenAlertAction = 28;

// The monitor's part of a question; an empty function is skipped.
struct HiddenStepSignals {
  std::function<void()> show_status_icon;          // tray icon 158 with tooltip 822
  std::function<void()> play_alert_sound;          // sound 4; empty: with the Sound option
  std::function<void(bool on)> set_alert_showing;  // the patrol's alert-showing guard
  std::function<void(const std::string& text)> tell_user;  // a deletion Windows refused
  // Asks instead of the dialog (tests); empty: the dialog, owned by the step's owner.
  std::function<int(const AlertItem& item)> ask;
};

// The New Hidden File alert: 6 keep, 7 delete.
int ask_new_hidden_file(HWND owner, AlertContext& context, const AlertItem& item);

// Runs the step over a fresh listing; the number of new hidden files found.
int run_hidden_step(HWND owner, AlertContext& context, ItemList& list, const Options& options,
                    HiddenStepSignals signals);

}  // namespace kestrom::alerts
