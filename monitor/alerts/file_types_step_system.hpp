// The file-types step bound to the real system: the three association sources, the file-type
// snapshot, the First-Detected Register, the History Log and the File Type Change Alert
// (dialog 143) as the asker.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "monitor/alerts/alert_dialog.hpp"
#include "monitor/file_types_step.hpp"

namespace kestrom::alerts {

// Controls of the File Type Change Alert beside the shared ones (100, 117, 1030, 1067).
inline constexpr int kExtensionControl = 1024;
inline constexpr int kFileTypeIntro = 1025;
inline constexpr int kFileTypeOldLabel = 1026;
inline constexpr int kFileTypeNewLabel = 1027;
inline constexpr int kFileTypeQuestion = 1028;
inline constexpr int kOldIconButton = 1040;
inline constexpr int kOldNameControl = 1041;
inline constexpr int kOldCompanyControl = 1042;
inline constexpr int kOldCommandControl = 1043;
inline constexpr int kCommandOldInfo = 1044;
inline constexpr int kNewCommandControl = 1045;
inline constexpr int kStopWatchingCheckBox = 1050;

// The monitor's part of a question; an empty function is skipped.
struct FileTypesStepSignals {
  std::function<void()> show_alert_icon;           // tray icon 161 with tooltip 827
  std::function<void()> play_alert_sound;          // sound 5
  std::function<void(bool on)> set_alert_showing;  // the patrol's alert-showing guard
  // Shows the text that says a restore was refused; empty: a message box.
  std::function<void(const std::string& text)> tell_user;
};

// The File Type Change Alert: 6 accept, 7 restore; with the check box ticked, 7 and
// `stop_watching`. Answer 0 when it could not open.
FileTypeAnswer ask_file_type_change(HWND owner, AlertContext& context, const file_types::Association& current,
                                    const file_types::Recorded& old);

// The monitor's file-types step. An empty sound signal plays sound 5 with the Sound option.
int run_file_types_step_with_alerts(HWND owner, AlertContext& context, const Options& options,
                                    FileTypesStepSignals signals);

}  // namespace kestrom::alerts
