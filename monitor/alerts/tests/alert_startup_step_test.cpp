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
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "monitor/alerts/startup_step_system.hpp"
#include "startup/locations.hpp"
#include "startup/snapshot.hpp"
#include "tools/driver_win.hpp"
#include "tools/test_support_win.hpp"

namespace {

using namespace kestrom;

constexpr std::string_view kUserRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::string_view kDisabledRun = "Software\\Orvane\\Kestrom\\Disabled\\Run";
constexpr std::string_view kDelay = "Software\\Orvane\\Kestrom\\Delay";
const char* const kTitles[] = {"KtStepApprove", "KtStepRemove", "KtStepDisable", "KtStepBack", "KtStepBackOff"};

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
  alerts::SystemStartupOperations ops{scan, rules, monitor_confirmation(0),
                                      alerts::StartupStepSignals{[this] { ++icons; }, [this] { ++sounds; },
                                                                 [this](bool on) { showing_now += on ? 1 : -1; }}};
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
  for (const char* sub : {"", "\\Time", "\\Title", "\\OpenAs"})
    ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, std::string(kDelay) + sub, key, "30"));

  asker.answers = {kAnswerYes};
  EXPECT_TRUE(step());
  ASSERT_EQ(asker.asked.size(), 1u);
  EXPECT_TRUE(asker.asked[0].put_back);
  EXPECT_EQ(asker.asked[0].title, "KtStepBack");
  EXPECT_EQ(sounds, 0);
  EXPECT_EQ(snapshot(key), "11");
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kUserRun, "KtStepBack"), command);
  for (const char* sub : {"", "\\Time", "\\Title"})
    EXPECT_FALSE(reg::value_exists(HKEY_CURRENT_USER, std::string(kDelay) + sub, key)) << sub;
  EXPECT_TRUE(reg::value_exists(HKEY_CURRENT_USER, std::string(kDelay) + "\\OpenAs", key));
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
                                                   {nullptr, [&] { ++sounds_played; }, nullptr}));
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

}  // namespace
