#include "check/check_win.hpp"

#include <windows.h>

#include <map>
#include <string_view>
#include <utility>

#include "categories/activex_win.hpp"
#include "categories/file_types_win.hpp"
#include "categories/hidden_files_win.hpp"
#include "categories/ie_helpers_win.hpp"
#include "categories/services_win.hpp"
#include "categories/setting_watch_win.hpp"
#include "categories/tasks.hpp"
#include "check/string_ids.h"
#include "common/detected.hpp"
#include "common/history.hpp"
#include "common/history_log.hpp"
#include "common/locations.hpp"
#include "common/paths.hpp"
#include "common/pathtext.hpp"
#include "common/product.hpp"
#include "common/product_keys.hpp"
#include "common/string_ids.h"
#include "common/text.hpp"
#include "common/textloader.hpp"
#include "monitor/alert_rules.hpp"
#include "monitor/file_types_step.hpp"
#include "monitor/hidden_files_step.hpp"
#include "monitor/ie_helpers_step.hpp"
#include "monitor/services_step.hpp"
#include "monitor/startup_step.hpp"
#include "monitor/tasks_step.hpp"
#include "platform/handles.hpp"
#include "platform/sha256.hpp"
#include "platform/wide_text.hpp"
#include "startup/actions.hpp"
#include "startup/delay_store.hpp"
#include "startup/enumerate.hpp"
#include "startup/snapshot.hpp"
#include "startup/snapshot_win.hpp"

namespace kestrom::check {
namespace {

// History Log actions the monitor's alerts write when they open; a Yes answer given by the
// check writes the same record, because the question it stands for was, in effect, shown.
constexpr int kStartAlertAction = 6;
constexpr int kHiddenAlertAction = 28;

// Collects the findings and gives the answer every question gets in this run: "not shown",
// which changes nothing, or Yes with --accept. Writes Windows refuses are kept as the error.
class Answers {
 public:
  explicit Answers(bool accept) : accept_(accept) {}
  bool accepting() const noexcept { return accept_; }

  // `program`: the item names a program file, whose facts and digest go with the finding.
  int report(std::string_view category, FindingKind kind, const StartupItem& item, bool program_file = true) {
    Finding f;
    f.category = std::string(category);
    f.kind = kind;
    f.code = item.code;
    f.location = platform::utf8_of(location_name(item.code));
    f.title = platform::utf8_of(item.title);
    f.file = platform::utf8_of(item.file);
    f.command = platform::utf8_of(item.command);
    if (program_file) {
      // The path as the entry spells it: Wine finds an upper-cased path only by reading the
      // whole folder, which costs a finding among hundreds of programs more than its digest.
      const ProgramFacts& facts = facts_of(program_file_as_written(item.file, folders_));
      f.company = facts.company;
      f.version = facts.version;
      f.sha256 = facts.sha256;
      f.first_detected = platform::utf8_of(first_sighting(item.file, item.code));
    }
    findings_.push_back(std::move(f));
    return accept_ ? kAnswerYes : kAnswerNotShown;
  }

  // Records the History Log line the monitor's alert writes when it opens.
  // The alert holds its texts cut to its fields' size, and so does its record.
  void alert_record(const StartupItem& item, int code, int action) {
    if (!accept_) return;
    const std::string program = command_to_file(item.file.substr(0, kMaxAlertText));
    write_history(item.title.substr(0, kMaxAlertText), program, version_information(program).file_description, code,
                  action);
  }

  // A write the approval needed; a refused one ends the run with an error after this step.
  void checked(bool written, std::string_view what) {
    if (!written && !refused_) refused_ = CheckError{IDS_CHECK_KEY_UNWRITABLE, std::string(what)};
  }

  std::vector<Finding>& findings() noexcept { return findings_; }
  const std::optional<CheckError>& refused() const noexcept { return refused_; }

 private:
  struct ProgramFacts {
    std::string company, version, sha256;
  };
  // Many entries start one program (every shared service host, a suite's helpers): its file is
  // read and hashed once per run.
  const ProgramFacts& facts_of(const std::string& program) {
    const std::string key = to_upper(program);
    if (auto at = facts_.find(key); at != facts_.end()) return at->second;
    ProgramFacts facts;
    const VersionInfo version = version_information(program);
    facts.company = platform::utf8_of(version.company_name);
    facts.version = platform::utf8_of(version.product_version);
    if (!program.empty() && file_exists(std::string_view(program))) facts.sha256 = platform::file_sha256(program);
    return facts_.emplace(key, std::move(facts)).first->second;
  }

  std::map<std::string, ProgramFacts> facts_;
  CommandFolders folders_ = command_folders();
  bool accept_;
  std::vector<Finding> findings_;
  std::optional<CheckError> refused_;
};

ItemRules rules() { return system_item_rules(); }

// ---- Startup programs ------------------------------------------------------------------------
class StartupOperations final : public StartupStepOperations, public StartupAsker {
 public:
  StartupOperations(Answers& answers, StartupScan scan) : answers_(answers), scan_(scan), rules_(rules()) {}

  bool startup_changed(ItemList& list) override { return kestrom::startup_changed(list, scan_, rules_); }
  // One open key for every entry's lookup; approvals written meanwhile are read through it too.
  int snapshot_value(std::string_view name) override { return snapshot_number_in(snapshot_, name); }
  void write_snapshot(std::string_view name, int code) override {
    if (answers_.accepting()) answers_.checked(snapshot_write(name, code), keys::kRunSnapshot);
  }
  void delete_snapshot(std::string_view) override {}
  bool disabled_marker_exists(std::string_view title) override {
    return has_disabled_marker(title, kMarkerLimitPatrol);
  }
  void note_first_sighting(std::string_view file) override {
    if (answers_.accepting()) kestrom::note_first_sighting(file, detected::kStartup);
  }
  void end_program(std::string_view, std::string_view) override {}
  ActionResult remove_startup_entry(std::string_view, std::string_view, std::string_view, int) override {
    return ActionResult::NotDone;
  }
  ActionResult disable_entry(const StartupItem&) override { return ActionResult::NotDone; }
  void tell_refused(const StartupItem& item, RefusedAction) override { answers_.checked(false, item.title); }
  bool forget_delayed_program(std::string_view file, bool machine) override {
    return !answers_.accepting() || delay::forget_delayed_program(delay::program_of(file), machine);
  }
  void show_alert_icon() override {}
  void play_alert_sound() override {}
  void set_alert_showing(bool) override {}

  int ask_new_program(const StartupItem& item) override {
    const int answer = answers_.report("Startup", FindingKind::New, item);
    answers_.alert_record(item, item.code, kStartAlertAction);
    return answer;
  }
  int ask_put_back(const StartupItem& item) override {
    return answers_.report("Startup", FindingKind::PutBack, item);
  }

 private:
  Answers& answers_;
  StartupScan scan_;
  ItemRules rules_;
  platform::RegKey snapshot_ = open_startup_snapshot();
};

// A step's options with the ones that pick an answer set aside: the step asks, the check answers.
template <typename StepOptions>
StepOptions always_asked(StepOptions o, int StepOptions::*hide) {
  o.*hide = 0;
  o.show_alerts = 1;
  return o;
}

void check_startup(Answers& answers, const Options& options) {
  StartupScan scan;
  scan.wow64_view = wow64_view_present();
  StartupOperations ops(answers, scan);
  ItemList list;
  run_startup_step(list, always_asked(startup_step_options(options), &StartupStepOptions::hide_startup), ops, ops);
}

// ---- Scheduled tasks -------------------------------------------------------------------------
class TasksOperations final : public TasksStepOperations, public TasksAsker {
 public:
  explicit TasksOperations(Answers& answers) : answers_(answers) {}
  bool scheduler_running() override { return kestrom::scheduler_running(); }
  TaskListing list_tasks(ItemList& list) override { return kestrom::list_tasks(list, rules()); }
  int snapshot_value(std::string_view title) override { return task_snapshot_value(title); }
  void write_snapshot(std::string_view title) override {
    if (answers_.accepting()) answers_.checked(write_task_snapshot(title), keys::kTasks);
  }
  void delete_snapshot(std::string_view) override {}
  void note_first_sighting(std::string_view file) override {
    if (answers_.accepting()) kestrom::note_first_sighting(file, detected::kTasks);
  }
  TaskDeletionResult delete_task(std::string_view) override { return {}; }
  void tell_not_deleted(const StartupItem&, const TaskDeletionResult&) override {}
  void show_alert_icon() override {}
  void play_alert_sound() override {}
  void set_alert_showing(bool) override {}
  int ask_new_task(const StartupItem& item) override {
    const int answer = answers_.report("Tasks", FindingKind::New, item);
    answers_.alert_record(item, code::kTaskScheduled, action::kTaskAlert);
    return answer;
  }

 private:
  Answers& answers_;
};

void check_tasks(Answers& answers, const Options& options) {
  TasksOperations ops(answers);
  ItemList list;
  run_tasks_step(list, always_asked(tasks_step_options(options), &TasksStepOptions::hide_tasks), ops, ops);
}

// ---- Services --------------------------------------------------------------------------------
class ServicesOperations final : public ServicesStepOperations {
 public:
  explicit ServicesOperations(Answers& answers) : answers_(answers), rules_(rules()) {}
  bool services_changed(ItemList& list) override { return services::services_changed(list, rules_); }
  void list_services(ItemList& list) override { services::list_services(list, services::ListMode::Full, rules_); }
  bool approved(std::string_view name) override { return services::service_approved(name); }
  void approve(std::string_view name, int code) override {
    if (answers_.accepting()) answers_.checked(services::approve_service(name, code), keys::kServicesSnapshot);
  }
  void note_first_sighting(std::string_view file) override {
    if (answers_.accepting()) kestrom::note_first_sighting(file, detected::kServices);
  }
  void show_alert_icon() override {}
  void play_alert_sound() override {}
  void set_alert_showing(bool) override {}
  // The monitor's new-service question writes no History record of its own.
  int ask_new_service(const StartupItem& item) override {
    return answers_.report("Services", FindingKind::New, item);
  }
  ActionResult refuse_service(const StartupItem&) override { return ActionResult::NotDone; }
  void tell_refused(const StartupItem&) override {}

 private:
  Answers& answers_;
  ItemRules rules_;
};

void check_services(Answers& answers, const Options& options) {
  ServicesOperations ops(answers);
  ItemList list;
  run_services_step(list, always_asked(services_step_options(options), &ServicesStepOptions::hide_services), ops);
}

// ---- IE helpers and ActiveX controls -----------------------------------------------------------
class BrowserAnswers final : public BrowserAsker {
 public:
  BrowserAnswers(Answers& answers, std::string_view category) : answers_(answers), category_(category) {}
  // Both browser alerts write IEHELPER_Alert under the helper type when they open.
  int ask(const StartupItem& item) override {
    const int answer = answers_.report(category_, FindingKind::New, item);
    answers_.alert_record(item, code::kTypeBho, action::kIEHelperAlert);
    return answer;
  }

 private:
  Answers& answers_;
  std::string_view category_;
};

class HelperOperations final : public HelperStepOperations {
 public:
  explicit HelperOperations(Answers& answers) : answers_(answers) {}
  void list_helpers(ItemList& list) override { helpers::list_ie_helpers(list, rules()); }
  bool approved(std::string_view title) override { return helpers::helper_approved(title); }
  void write_snapshot(std::string_view title, int code) override {
    if (answers_.accepting()) answers_.checked(helpers::write_helper_snapshot(title, code), keys::kIEHelpers);
  }
  void delete_snapshot(std::string_view) override {}
  void note_first_sighting(std::string_view file) override {
    if (answers_.accepting()) kestrom::note_first_sighting(file, detected::kIEHelper);
  }
  void end_program(const StartupItem&) override {}
  ActionResult remove_helper(const StartupItem&) override { return ActionResult::NotDone; }
  void show_status_icon() override {}
  void play_alert_sound() override {}
  void set_alert_showing(bool) override {}
  void tell_refused(const StartupItem& item) override { answers_.checked(false, item.title); }

 private:
  Answers& answers_;
};

class ActiveXOperations final : public ActiveXStepOperations {
 public:
  explicit ActiveXOperations(Answers& answers) : answers_(answers) {}
  void list_controls(ItemList& list) override {
    activex::list_activex(list, activex::ListMode::Statistics, rules());
  }
  bool seen(std::string_view clsid) override { return activex::activex_seen(clsid); }
  void write_seen(std::string_view clsid) override {
    if (answers_.accepting()) answers_.checked(activex::write_activex_seen(clsid), clsid);
  }
  void note_first_sighting(std::string_view file) override {
    if (answers_.accepting()) kestrom::note_first_sighting(file, detected::kActiveX);
  }
  ActionResult set_kill_bit(std::string_view) override { return ActionResult::NotDone; }
  void show_status_icon() override {}
  void play_alert_sound() override {}
  void set_alert_showing(bool) override {}
  void tell_refused(const StartupItem& item) override { answers_.checked(false, item.title); }

 private:
  Answers& answers_;
};

void check_ie_helpers(Answers& answers, const Options& options) {
  HelperOperations ops(answers);
  BrowserAnswers asker(answers, "IEHelpers");
  ItemList list;
  run_ie_helpers_step(list, always_asked(ie_helpers_step_options(options), &BrowserStepOptions::hide), ops, asker);
}

void check_activex(Answers& answers, const Options& options) {
  ActiveXOperations ops(answers);
  BrowserAnswers asker(answers, "ActiveX");
  ItemList list;
  run_activex_step(list, always_asked(activex_step_options(options), &BrowserStepOptions::hide), ops, asker);
}

// ---- File types --------------------------------------------------------------------------------
class FileTypesOperations final : public FileTypesStepOperations, public FileTypesAsker {
 public:
  explicit FileTypesOperations(Answers& answers) : answers_(answers) {}
  std::vector<file_types::Association> list_associations() override { return file_types::list_associations(); }
  file_types::Recorded recorded(std::string_view extension, int source) override {
    return records_.read(extension, source);
  }
  // The step also records an association never recorded before, silently; the check changes
  // nothing it did not report, so only the approval of a reported change is written.
  void record(const file_types::Association& current) override {
    if (!approving_) return;
    approving_ = false;
    answers_.checked(file_types::record_file_type(current), current.extension);
  }
  ActionResult restore(const file_types::Association&, const file_types::Recorded&) override {
    return ActionResult::NotDone;
  }
  void tell_not_restored(const file_types::Association&) override {}
  void stop_watching(std::string_view) override {}
  void note_first_sighting(std::string_view command) override {
    if (answers_.accepting()) kestrom::note_first_sighting(command, detected::kFileTypes);
  }
  void show_alert_icon() override {}
  void play_alert_sound() override {}
  void set_alert_showing(bool) override {}

  FileTypeAnswer ask_changed(const file_types::Association& current, const file_types::Recorded& old) override {
    StartupItem item;
    item.title = to_upper(file_types::dotted(current.extension));
    // A changed finding holds the new text as its file and the recorded one as its command.
    item.file = strip_quotes(current.command);
    item.command = old.command;
    item.code = file_types::kFileTypeCode;
    const int answer = answers_.report("FileTypes", FindingKind::Changed, item);
    if (answers_.accepting()) {
      // The File Type Change Alert's own record: extension, new command, recorded command.
      write_history(item.title, current.command, old.command, file_types::kFileTypeCode, action::kFileTypeAlert);
      approving_ = true;
    }
    return {answer, false};
  }

 private:
  Answers& answers_;
  file_types::RecordReader records_;
  bool approving_ = false;
};

void check_file_types(Answers& answers, const Options& options) {
  FileTypesOperations ops(answers);
  FileTypesStepOptions o = always_asked(file_types_step_options(options), &FileTypesStepOptions::hide_file_type);
  // LockFileTypes would put the recorded program back without a question.
  o.lock_file_types = 0;
  run_file_types_step(o, ops, ops);
}

// ---- Hidden files ------------------------------------------------------------------------------
class HiddenOperations final : public HiddenStepOperations, public HiddenAsker {
 public:
  explicit HiddenOperations(Answers& answers) : answers_(answers) {}
  void list_hidden_files(ItemList& list) override { kestrom::list_hidden_files(list, rules()); }
  bool approved(std::string_view file) override { return hidden_file_approved(file); }
  void approve(std::string_view file) override {
    if (answers_.accepting()) answers_.checked(approve_hidden_file(file), keys::kHiddenSnapshot);
  }
  void note_first_sighting(std::string_view file) override {
    if (answers_.accepting()) kestrom::note_first_sighting(file, detected::kHidden);
  }
  ActionResult delete_file(const StartupItem&) override { return ActionResult::NotDone; }
  void tell_not_deleted(const StartupItem&) override {}
  void show_status_icon() override {}
  void play_alert_sound() override {}
  void set_alert_showing(bool) override {}
  int ask_new_hidden_file(const StartupItem& item) override {
    const int answer = answers_.report("Hidden", FindingKind::New, item);
    // The New Hidden File alert records the file's own path, with no description.
    if (answers_.accepting())
      write_history(item.title.substr(0, kMaxAlertText), item.file.substr(0, kMaxAlertText), "", item.code,
                    kHiddenAlertAction);
    return answer;
  }

 private:
  Answers& answers_;
};

void check_hidden(Answers& answers, const Options& options) {
  HiddenOperations ops(answers);
  ItemList list;
  run_hidden_files_step(list, always_asked(hidden_step_options(options), &HiddenStepOptions::hide_hidden), ops, ops);
}

// ---- Watched settings ----------------------------------------------------------------------------
// The start, search and desktop pages, the Automatic Update level and the URL prefix, compared
// with their copies by the monitor's own rules. A setting without a copy yet is not asked about
// (the monitor takes the copy silently), so it is no finding; accepting a change takes the new
// value as the copy, as the monitor's accepting answer does.
void report_setting(Answers& answers, std::string_view place, std::string_view name, std::string_view live,
                    std::string_view copy) {
  StartupItem item;
  item.title = std::string(name);
  item.file = std::string(live);
  item.command = std::string(copy);
  answers.report("Settings", FindingKind::Changed, item, false);
  answers.findings().back().location = platform::utf8_of(place);
}

void check_settings(Answers& answers, const Options&) {
  for (const auto& page : watched_pages()) {
    const auto live = read_live_page(page);
    const auto copy = read_page_copy(page);
    if (page_watch(live, copy) != WatchStep::Ask) continue;
    const std::string live_text = live.value_or(std::string());
    report_setting(answers, "HKEY_CURRENT_USER\\" + std::string(page.live_key), page.live_name, live_text, *copy);
    if (answers.accepting()) answers.checked(write_page_copy(page, live_text), page.copy_name);
  }
  const int level_copy = read_update_level_copy();
  const int level = read_live_update_level();
  const UpdateLevelStep s = update_level_watch(level_copy, level);
  if (s.step == WatchStep::Ask) {
    report_setting(answers, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update",
                   "AUOptions", std::to_string(level), std::to_string(level_copy));
    if (answers.accepting()) answers.checked(write_update_level_copy(level), "AUOptions");
  }
  if (!s.watch_prefix) return;
  const std::string prefix_copy = read_prefix_copy(text::load(IDS_DEFAULT_PREFIX));
  const std::string prefix = read_live_prefix();
  if (!prefix_changed(prefix_copy, prefix)) return;
  report_setting(answers, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes", "www",
                 prefix, prefix_copy);
  if (answers.accepting()) answers.checked(write_prefix_copy(prefix), "www");
}

// ---- The keys the run depends on -------------------------------------------------------------
constexpr int kKeyDepth = 3;

// A key that exists must open as the run will use it; a missing one holds nothing approved.
std::optional<CheckError> key_refused(HKEY root, const std::string& path, REGSAM access, int depth) {
  platform::UniqueRegKey key;
  const LONG rc = RegOpenKeyExA(root, path.c_str(), 0, access | KEY_ENUMERATE_SUB_KEYS, key.put());
  if (rc == ERROR_FILE_NOT_FOUND) return std::nullopt;
  const std::string shown = (root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") + path;
  if (rc != ERROR_SUCCESS) return CheckError{access & KEY_SET_VALUE ? IDS_CHECK_KEY_UNWRITABLE : IDS_CHECK_KEY_UNREADABLE,
                                             platform::utf8_of(shown)};
  if (depth <= 0) return std::nullopt;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (auto refused = key_refused(root, path + "\\" + name, access, depth - 1)) return refused;
  }
  return std::nullopt;
}

std::optional<CheckError> keys_refused(bool accept) {
  const REGSAM access = KEY_READ | (accept ? KEY_SET_VALUE : 0);
  for (const std::string_view key : {keys::kProduct, keys::kDetected})
    if (auto refused = key_refused(HKEY_CURRENT_USER, std::string(key), access, kKeyDepth)) return refused;
  // The machine's keys are only read.
  for (const std::string_view key : {keys::kDisabled, keys::kSysfiles})
    if (auto refused = key_refused(HKEY_LOCAL_MACHINE, std::string(key), KEY_READ, 0)) return refused;
  return std::nullopt;
}

using CategoryCheck = void (*)(Answers&, const Options&);

struct CategoryEntry {
  std::string_view name;
  CategoryCheck run;
};

// In the order the patrol runs them; a category without a check here reports nothing yet.
constexpr CategoryEntry kChecks[] = {
    {"Startup", check_startup},     {"Tasks", check_tasks},     {"Services", check_services},
    {"IEHelpers", check_ie_helpers}, {"ActiveX", check_activex}, {"FileTypes", check_file_types},
    {"Hidden", check_hidden},         {"Settings", check_settings},
};

}  // namespace

CheckRun run_check(const std::vector<std::string>& categories, bool accept) {
  CheckRun run;
  if (auto refused = keys_refused(accept)) {
    run.error = refused;
    return run;
  }
  // Every option that picks an answer is set aside below; HideRunOnce, which keeps entries out
  // of the questions, is the one the steps read (the listings read their own filters).
  Options options = Options::defaults(Program::Monitor);
  options[Opt::HideRunOnce] = read_option(Opt::HideRunOnce);
  Answers answers(accept);
  for (const std::string_view name : category_names()) {
    bool wanted = categories.empty();
    for (const auto& c : categories) wanted = wanted || c == name;
    if (!wanted) continue;
    run.categories.emplace_back(name);
    for (const auto& entry : kChecks)
      if (entry.name == name) entry.run(answers, options);
    if (answers.refused()) break;
  }
  run.findings = std::move(answers.findings());
  run.error = answers.refused();
  return run;
}

}  // namespace kestrom::check
