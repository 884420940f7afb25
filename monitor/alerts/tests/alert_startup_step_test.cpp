// The startup programs step against the real registry of the test prefix, with a scripted
// asker in place of the dialogs: what an answer leaves in the Run key, the snapshot, the
// Disabled Store, the Delay List and the History Log.
#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "common/detected.hpp"
#include "common/history_log.hpp"
#include "common/locations.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "monitor/alerts/startup_step_system.hpp"
#include "common/locations.hpp"
#include "startup/delay_store.hpp"
#include "startup/snapshot.hpp"
#include "tools/denied_key.hpp"
#include "tools/driver_win.hpp"
#include "tools/test_support_win.hpp"

namespace {

using namespace kestrom;

constexpr std::string_view kUserRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::string_view kDisabledRun = "Software\\Orvane\\Kestrom\\Disabled\\Run";
constexpr std::string_view kDelay = "Software\\Orvane\\Kestrom\\Delay";
const char* const kTitles[] = {"KtStepApprove", "KtStepRemove", "KtStepDisable", "KtStepBack",
                               "KtStepBackOff", "KtStepQuoted", "KtStepApplet", "KtStepUnshown", "KtStepRefused"};

std::string fixture_command(std::string_view mode) {
  return test::fixture("alert_fixture_app.exe") + " --mode=" + std::string(mode);
}

struct Asked {
  bool put_back;
  std::string title, file;
  int code;
};

class ScriptedAsker : public StartupAsker {
 public:
  std::deque<int> answers;
  std::vector<Asked> asked;
  int ask_new_program(const StartupItem& item) override { return next({false, item.title, item.file, item.code}); }
  int ask_put_back(const StartupItem& item) override { return next({true, item.title, item.file, item.code}); }

 private:
  int next(Asked a) {
    asked.push_back(std::move(a));
    if (answers.empty()) {
      ADD_FAILURE() << "asked about " << asked.back().title << " without a scripted answer";
      return 0;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

class StartupStepSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* title : kTitles) {
      reg::delete_value(HKEY_CURRENT_USER, kUserRun, title);
      reg::delete_value(HKEY_LOCAL_MACHINE, keys::kDisabled, title);
      reg::delete_value(HKEY_LOCAL_MACHINE, kDisabledRun, title);
    }
    reg::delete_key_tree(HKEY_CURRENT_USER, kDelay);
    reg::delete_key_tree(HKEY_CURRENT_USER, keys::kRunSnapshot);
    reg::delete_key_tree(HKEY_CURRENT_USER, std::string(keys::kDetected) + "\\Startup");
    DeleteFileA(history_file_path().c_str());
    // Whatever else the prefix starts is approved, so only this test's entries are new.
    build_startup_snapshot(list, scan, rules);
  }

  void TearDown() override {
    for (const char* title : kTitles) {
      reg::delete_value(HKEY_CURRENT_USER, kUserRun, title);
      reg::delete_value(HKEY_LOCAL_MACHINE, keys::kDisabled, title);
      reg::delete_value(HKEY_LOCAL_MACHINE, kDisabledRun, title);
    }
    reg::delete_key_tree(HKEY_CURRENT_USER, kDelay);
  }

  bool step() { return run_startup_step(list, options, ops, asker); }

  std::string snapshot(std::string_view name) {
    return reg::read_string(HKEY_CURRENT_USER, keys::kRunSnapshot, name);
  }
  bool snapshot_has(std::string_view name) { return reg::value_exists(HKEY_CURRENT_USER, keys::kRunSnapshot, name); }

  std::vector<HistoryRecord> history() { return read_history(history_file_path()); }

  ItemList list;
  StartupScan scan{false, 0, wow64_view_present()};
  ItemRules rules = system_item_rules();
  StartupStepOptions options;
  int icons = 0, sounds = 0, showing_now = 0;
  std::vector<std::string> told;
  alerts::SystemStartupOperations ops{scan, rules, monitor_confirmation(0),
                                      alerts::StartupStepSignals{[this] { ++icons; }, [this] { ++sounds; },
                                                                 [this](bool on) { showing_now += on ? 1 : -1; },
                                                                 [this](const std::string& t) { told.push_back(t); }}};
  ScriptedAsker asker;
};

TEST_F(StartupStepSystemTest, ApprovedEntryIsRememberedAndNotAskedAgain) {
  const std::string command = fixture_command("approve");
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, kUserRun, "KtStepApprove", command));
  asker.answers = {kAnswerYes};
  EXPECT_TRUE(step());

  ASSERT_EQ(asker.asked.size(), 1u);
  EXPECT_FALSE(asker.asked[0].put_back);
  EXPECT_EQ(asker.asked[0].title, "KtStepApprove");
  EXPECT_EQ(asker.asked[0].file, command);
  EXPECT_EQ(asker.asked[0].code, 11);
  EXPECT_EQ(snapshot(snapshot_key(command)), "11");
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kUserRun, "KtStepApprove"), command);
  EXPECT_EQ(icons, 1);
  EXPECT_EQ(sounds, 1);
  EXPECT_EQ(showing_now, 0) << "the alert-showing guard is cleared after the question";
  EXPECT_FALSE(first_sighting(command, 11).empty());

  EXPECT_FALSE(step()) << "an approved entry is no longer new";
  EXPECT_EQ(asker.asked.size(), 1u);
}

TEST_F(StartupStepSystemTest, RemovedEntryLeavesItsPlaceSnapshotAndARemovalRecord) {
  const std::string command = fixture_command("remove");
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, kUserRun, "KtStepRemove", command));
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, keys::kRunSnapshot, "KtStepRemove", "0"));
  asker.answers = {kAnswerNo};
  EXPECT_TRUE(step());

  EXPECT_FALSE(reg::value_exists(HKEY_CURRENT_USER, kUserRun, "KtStepRemove"));
  EXPECT_FALSE(snapshot_has(snapshot_key(command)));
  EXPECT_FALSE(snapshot_has("KtStepRemove"));
  const auto records = history();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].action, action::kStartRemove);
  EXPECT_EQ(records[0].code, 11);
  EXPECT_EQ(records[0].title, "KtStepRemove");
  EXPECT_FALSE(step());
}

TEST_F(StartupStepSystemTest, DisabledEntryMovesToTheDisabledStoreAndIsAskedAboutAgainFromThere) {
  const std::string command = fixture_command("disable");
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, kUserRun, "KtStepDisable", command));
  asker.answers = {kAnswerDisable};
  EXPECT_TRUE(step());

  EXPECT_FALSE(reg::value_exists(HKEY_CURRENT_USER, kUserRun, "KtStepDisable"));
  EXPECT_EQ(reg::read_string(HKEY_LOCAL_MACHINE, keys::kDisabled, "KtStepDisable"), "11");
  EXPECT_EQ(reg::read_string(HKEY_LOCAL_MACHINE, kDisabledRun, "KtStepDisable"), command)
      << "the command is kept as it was, \"=\" included";
  EXPECT_FALSE(snapshot_has(snapshot_key(command)));
  EXPECT_TRUE(history().empty()) << "disabling writes no record";

  // Never accepted, so it is asked about again from the Disabled Store; disabling it again
  // must not toggle it back into the Run key.
  asker.answers = {kAnswerDisable};
  EXPECT_TRUE(step());
  ASSERT_EQ(asker.asked.size(), 2u);
  EXPECT_EQ(asker.asked[1].title, "KtStepDisable");
  EXPECT_FALSE(reg::value_exists(HKEY_CURRENT_USER, kUserRun, "KtStepDisable"));
  EXPECT_EQ(reg::read_string(HKEY_LOCAL_MACHINE, keys::kDisabled, "KtStepDisable"), "11");
}

TEST_F(StartupStepSystemTest, DelayedProgramThatCameBackRaisesThePutBackQuestion) {
  const std::string command = fixture_command("back");
  const std::string key = snapshot_key(command);
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, kUserRun, "KtStepBack", command));
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, keys::kRunSnapshot, key, "1103"));
  // The Delay List names a program by its program part, as moving it there wrote it.
  const std::string delayed = delay::program_of(command);
  for (const char* sub : {"", "\\Time", "\\Title", "\\OpenAs"})
    ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, std::string(kDelay) + sub, delayed, "30"));

  asker.answers = {kAnswerYes};
  EXPECT_TRUE(step());
  ASSERT_EQ(asker.asked.size(), 1u);
  EXPECT_TRUE(asker.asked[0].put_back);
  EXPECT_EQ(asker.asked[0].title, "KtStepBack");
  EXPECT_EQ(sounds, 0);
  EXPECT_EQ(snapshot(key), "11");
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kUserRun, "KtStepBack"), command);
  for (const char* sub : {"", "\\Time", "\\Title"})
    EXPECT_FALSE(reg::value_exists(HKEY_CURRENT_USER, std::string(kDelay) + sub, delayed)) << sub;
  EXPECT_TRUE(reg::value_exists(HKEY_CURRENT_USER, std::string(kDelay) + "\\OpenAs", delayed));
  EXPECT_FALSE(step());
}

TEST_F(StartupStepSystemTest, PutBackDisableKeepsItOutOfTheRunKeyForGood) {
  const std::string command = fixture_command("backoff");
  const std::string key = snapshot_key(command);
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, kUserRun, "KtStepBackOff", command));
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, keys::kRunSnapshot, key, "1103"));
  asker.answers = {kAnswerNo};
  EXPECT_TRUE(step());
  EXPECT_EQ(snapshot(key), "11");
  EXPECT_FALSE(reg::value_exists(HKEY_CURRENT_USER, kUserRun, "KtStepBackOff"));
  EXPECT_EQ(reg::read_string(HKEY_LOCAL_MACHINE, keys::kDisabled, "KtStepBackOff"), "11");
  EXPECT_FALSE(step()) << "listed from the Disabled Store, it is known now";
}

// The monitor's own call: the real new-program dialog answered with No by a second thread.
TEST_F(StartupStepSystemTest, WithTheDialogsNoRemovesTheEntryAndLogsAlertAndRemoval) {
  const std::string command = fixture_command("remove");
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, kUserRun, "KtStepRemove", command));
  alerts::AlertFonts fonts;
  alerts::AlertContext context(fonts);
  context.services.write_history = [](const std::string& title, const std::string& path, const std::string& third,
                                      int code, int action) { write_history(title, path, third, code, action); };
  Options monitor_options = Options::defaults(Program::Monitor);
  monitor_options[Opt::HideStartup] = 0;

  std::string shown_path;
  test::UserThread user([&] {
    driver::WindowQuery q;
    q.title = "Kestrom New Program Alert";
    q.process_id = GetCurrentProcessId();
    q.visible_only = true;
    HWND dialog = driver::wait_for_window(q);
    if (!dialog) return;
    shown_path = driver::text_of(GetDlgItem(dialog, alerts::kPathControl));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kCommandNo, BN_CLICKED), 0);
    if (!driver::wait_until_gone(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
  });
  int sounds_played = 0;
  EXPECT_TRUE(alerts::run_startup_step_with_alerts(nullptr, context, list, monitor_options, scan,
                                                   {nullptr, [&] { ++sounds_played; }, nullptr, nullptr}));
  ASSERT_TRUE(user.join());

  EXPECT_EQ(shown_path, command);
  EXPECT_EQ(sounds_played, 1);
  EXPECT_FALSE(reg::value_exists(HKEY_CURRENT_USER, kUserRun, "KtStepRemove"));
  const auto records = history();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].action, action::kStartAlert);
  EXPECT_EQ(records[0].title, "KtStepRemove");
  EXPECT_EQ(records[0].third, "Alert dialog fixture");
  EXPECT_EQ(records[1].action, action::kStartRemove);
}

// Disabling from the alert keeps the command exactly as the Run value held it, so enabling
// puts back a value that starts the program: quotes around a path with blanks, arguments,
// and the "rundll32.exe" part of a RUNDLL32 entry.
TEST_F(StartupStepSystemTest, DisableAndEnableGiveBackTheRunValueAsItWas) {
  const std::string quoted = "\"C:\\Program Files\\Kt Agent\\kt agent.exe\" /tray --level=2";
  const std::string applet = "rundll32.exe \"" + test::test_program_folder() + "\\kt_applet.dll\",Start /q";
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, kUserRun, "KtStepQuoted", quoted));
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, kUserRun, "KtStepApplet", applet));
  asker.answers = {kAnswerDisable, kAnswerDisable};
  EXPECT_TRUE(step());
  ASSERT_EQ(asker.asked.size(), 2u);
  EXPECT_EQ(reg::read_string(HKEY_LOCAL_MACHINE, kDisabledRun, "KtStepQuoted"), quoted);
  EXPECT_EQ(reg::read_string(HKEY_LOCAL_MACHINE, kDisabledRun, "KtStepApplet"), applet);

  // The explorer enables what the Disabled Store listing shows.
  list_startup_programs(list, scan, rules);
  for (const char* title : {"KtStepQuoted", "KtStepApplet"}) {
    const StartupItem* listed = nullptr;
    for (const auto& item : list.items())
      if (item.title == title) listed = &item;
    ASSERT_NE(listed, nullptr) << title;
    EXPECT_EQ(enable_startup_entry(*listed), ActionResult::Done) << title;
  }
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kUserRun, "KtStepQuoted"), quoted);
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kUserRun, "KtStepApplet"), applet);
  EXPECT_FALSE(reg::value_exists(HKEY_LOCAL_MACHINE, keys::kDisabled, "KtStepQuoted"));
}

// With the dialogs: a question whose dialog cannot be opened (here: no template in the
// module) is no answer. Nothing is removed, disabled, accepted or recorded.
TEST_F(StartupStepSystemTest, WithTheDialogsAQuestionThatCannotBeShownDoesNothing) {
  const std::string command = fixture_command("unshown");
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, kUserRun, "KtStepUnshown", command));
  alerts::AlertFonts fonts;
  alerts::AlertContext context(fonts);
  context.resources = GetModuleHandleA("kernel32.dll");
  context.services.write_history = [](const std::string& title, const std::string& path, const std::string& third,
                                      int code, int action) { write_history(title, path, third, code, action); };
  Options monitor_options = Options::defaults(Program::Monitor);
  monitor_options[Opt::HideStartup] = 0;
  EXPECT_TRUE(alerts::run_startup_step_with_alerts(nullptr, context, list, monitor_options, scan,
                                                   {nullptr, [] {}, nullptr, nullptr}));
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kUserRun, "KtStepUnshown"), command);
  EXPECT_FALSE(reg::value_exists(HKEY_LOCAL_MACHINE, keys::kDisabled, "KtStepUnshown"));
  EXPECT_FALSE(snapshot_has(snapshot_key(command)));
  EXPECT_TRUE(history().empty());
}

// A standard user may not write the Disabled Store (HKLM): the entry stays where it was, the
// user is told why, nothing is recorded, and the entry is not asked about at every check.
TEST_F(StartupStepSystemTest, RefusedDisablingIsToldAndChangesNothing) {
  const std::string command = fixture_command("refused");
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, kUserRun, "KtStepRefused", command));
  {
    test::DeniedKey store(HKEY_LOCAL_MACHINE, std::string(keys::kDisabled));
    ASSERT_TRUE(store.denied);
    asker.answers = {kAnswerDisable};
    EXPECT_TRUE(step());
  }
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kUserRun, "KtStepRefused"), command);
  EXPECT_FALSE(reg::value_exists(HKEY_LOCAL_MACHINE, keys::kDisabled, "KtStepRefused"));
  EXPECT_TRUE(history().empty());
  ASSERT_EQ(told.size(), 1u);
  EXPECT_NE(told[0].find("\"KtStepRefused\""), std::string::npos) << told[0];
  EXPECT_NE(told[0].find("administrator rights"), std::string::npos) << told[0];
  EXPECT_FALSE(step()) << "asked again at the next check";
}

}  // namespace
