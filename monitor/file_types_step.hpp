// The file-types step of the patrol: every watched association is compared with its record;
// one never recorded is recorded silently, one whose program changed is put back at once with
// LockFileTypes, else asked about (or answered by HideFileType): Yes records the new program,
// No puts the recorded one back, and the dialog's check box stops watching the extension.
// Pure: the registry, the History Log and the dialog come in below.
#pragma once
#include <string_view>
#include <vector>

#include "categories/file_types.hpp"
#include "common/options_table.hpp"
#include "startup/actions.hpp"

namespace kestrom {

struct FileTypesStepOptions {
  int hide_file_type = 0;   // HideFileType: 0 ask, 1 accept silently, other values restore silently
  int show_alerts = 0;      // ShowAlerts: non-zero always asks
  int lock_file_types = 0;  // LockFileTypes: non-zero restores without a question
};
FileTypesStepOptions file_types_step_options(const Options& options) noexcept;

// What the step does to the system; every operation is silent on failure.
class FileTypesStepOperations {
 public:
  virtual ~FileTypesStepOperations() = default;
  virtual std::vector<file_types::Association> list_associations() = 0;
  virtual file_types::Recorded recorded(std::string_view extension, int source) = 0;
  virtual void record(const file_types::Association& current) = 0;
  // Puts the recorded association back; a restore that held is written to the History Log.
  virtual ActionResult restore(const file_types::Association& current, const file_types::Recorded& old) = 0;
  // Tells the user in words that Windows refused the restore.
  virtual void tell_not_restored(const file_types::Association& current) = 0;
  virtual void stop_watching(std::string_view extension) = 0;
  // First-Detected Register, category "FileTypes".
  virtual void note_first_sighting(std::string_view command) = 0;
  virtual void show_alert_icon() = 0;    // tray icon 161 with tooltip 827
  virtual void play_alert_sound() = 0;   // sound 5
  virtual void set_alert_showing(bool on) = 0;
};

struct FileTypeAnswer {
  int answer = 0;              // 6, 7, or kAnswerNotShown when the dialog could not open
  bool stop_watching = false;  // the check box was ticked (the answer is then 7)
};

class FileTypesAsker {
 public:
  virtual ~FileTypesAsker() = default;
  virtual FileTypeAnswer ask_changed(const file_types::Association& current, const file_types::Recorded& old) = 0;
};

// The whole step; the number of changed associations found.
int run_file_types_step(const FileTypesStepOptions& options, FileTypesStepOperations& ops, FileTypesAsker& asker);

}  // namespace kestrom
