// The monitor's system-files step: every watched file whose size and date changed is asked about
// with the File Change Alert (resource 189), or answered by HideSystemFiles; Accept takes the
// new content into the Vault, Reject puts the Vault copy back. Either answer can end the watch.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "categories/system_files.hpp"
#include "common/options_table.hpp"

namespace kestrom::alerts {

inline constexpr int kFileChangeDialog = 189;
// Controls of the File Change Alert; the buttons carry the numbers of their strings.
inline constexpr int kSysNameControl = 1011;
inline constexpr int kSysPathControl = 1012;
inline constexpr int kSysCommentControl = 1013;
inline constexpr int kSysViewNew = 1006;
inline constexpr int kSysViewPrevious = 1007;
inline constexpr int kSysAccept = 1008;
inline constexpr int kSysReject = 1009;
inline constexpr int kSysStopWatching = 1010;

struct FileChangeAnswer {
  int answer = 0;               // 6 accept, 7 reject, 0 closed without an answer
  bool stop_watching = false;   // " Disable Future Monitoring of this file." was ticked
};

// The monitor's part; an empty function is skipped.
struct SystemFilesSignals {
  std::function<void()> show_status_icon;          // tray icon 161 with tooltip 828
  std::function<void()> play_alert_sound;          // empty: sound 6 with the Sound option
  std::function<void(bool on)> set_alert_showing;
  // The system error box for the error code in GetLastError; empty: a plain message box.
  std::function<void()> show_system_error;
  std::function<void(const std::string& text)> tell_user;  // a write Windows refused
  std::function<FileChangeAnswer(const WatchedSystemFile& file)> ask;  // tests; empty: the dialog
};

FileChangeAnswer ask_file_change(HWND owner, const WatchedSystemFile& file, const SystemFilesSignals& signals);

// `system files check`; the number of changed files found.
int run_system_files_step(HWND owner, const Options& options, SystemFilesSignals signals);

}  // namespace kestrom::alerts
