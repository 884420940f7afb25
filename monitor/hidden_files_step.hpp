// The hidden-files step of the patrol: every hidden file not in the Hidden snapshot is noted in
// the First-Detected Register and asked about (or answered by HideHidden); Yes keeps the file
// (approved), No deletes it. A question that could not be shown leaves the file unapproved, so
// it is asked about again. Pure: the file system, the registry and the dialog come in below.
#pragma once
#include <string_view>

#include "common/item_list.hpp"
#include "common/options_table.hpp"
#include "startup/actions.hpp"

namespace kestrom {

struct HiddenStepOptions {
  int hide_hidden = 0;  // HideHidden: 0 ask, 1 keep silently, other values delete silently
  int show_alerts = 0;  // ShowAlerts: non-zero always asks
};
HiddenStepOptions hidden_step_options(const Options& options) noexcept;

class HiddenStepOperations {
 public:
  virtual ~HiddenStepOperations() = default;
  virtual void list_hidden_files(ItemList& list) = 0;
  virtual bool approved(std::string_view file) = 0;
  virtual void approve(std::string_view file) = 0;
  virtual void note_first_sighting(std::string_view file) = 0;  // category "Hidden"
  virtual ActionResult delete_file(const StartupItem& item) = 0;
  // Tells the user in words that Windows refused the deletion.
  virtual void tell_not_deleted(const StartupItem& item) = 0;
  virtual void show_status_icon() = 0;  // tray icon 158 with tooltip 822
  virtual void play_alert_sound() = 0;  // sound 4
  virtual void set_alert_showing(bool on) = 0;
};

class HiddenAsker {
 public:
  virtual ~HiddenAsker() = default;
  // 6 keep, 7 delete, or kAnswerNotShown when the dialog could not open.
  virtual int ask_new_hidden_file(const StartupItem& item) = 0;
};

// Runs the step over a fresh listing; the number of new hidden files found.
int run_hidden_files_step(ItemList& list, const HiddenStepOptions& options, HiddenStepOperations& ops,
                          HiddenAsker& asker);

}  // namespace kestrom
