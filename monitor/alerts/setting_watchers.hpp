// The monitor's watchers of single settings: the default-pages step (start, search and desktop
// page) and the Automatic Update and prefix watchers run with the system-files step. Each asks
// a Yes/No question; the pages may be answered by HideHomePage instead.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "common/options_table.hpp"

namespace kestrom::alerts {

struct SettingWatchSignals {
  std::function<void()> show_status_icon;          // tray icon 161 with the step's tooltip
  std::function<void(bool on)> set_alert_showing;  // the patrol's alert-showing guard
  // A Yes/No question (IDYES or IDNO); empty: a message box, `caption_part` after the title.
  std::function<int(const std::string& text, UINT icon, std::string_view caption_part)> ask;
  // Vista and later: the explorer puts a machine setting back with the rights that needs.
  std::function<void(std::string_view explorer_switch)> start_explorer;
  std::function<void(const std::string& text)> tell_user;  // a write Windows refused; empty: a box
  bool vista_or_later = false;
};

void run_default_pages_step(HWND owner, const Options& options, const SettingWatchSignals& signals);
void run_setting_watchers(HWND owner, const SettingWatchSignals& signals);

}  // namespace kestrom::alerts
