// The file-types step with the real File Type Change Alert, answered by a second thread,
// against an invented extension in the prefix's HKLM classes: what each answer leaves in the
// registry, the file-type snapshot, the First-Detected Register and the History Log.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "categories/file_types_win.hpp"
#include "common/detected.hpp"
#include "common/history_log.hpp"
#include "common/info_server.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "monitor/alerts/file_types_step_system.hpp"
#include "tools/denied_key.hpp"
#include "tools/driver_win.hpp"
#include "tools/test_support_win.hpp"

namespace {

using namespace kestrom;

const std::string kExtKeyPath = "Software\\Classes\\.kt7";
const std::string kCommandKey = "Software\\Classes\\kt7file\\shell\\open\\command";

class FileTypesStepSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clean();
    old_command = "\"" + test::fixture("alert_fixture_app.exe") + "\" \"%1\"";
    new_command = "\"" + test::fixture("fixtures\\version_multi.exe") + "\" /view \"%1\"";
    test::set_value(HKEY_LOCAL_MACHINE, kExtKeyPath, "", "kt7file");
    test::set_value(HKEY_LOCAL_MACHINE, kCommandKey, "", old_command);
    test::set_value(HKEY_CURRENT_USER, std::string(file_types::kClassKey), "", "KT7;");
    for (const auto& a : file_types::list_associations()) file_types::record_file_type(a);
    DeleteFileA(history_file_path().c_str());
    context.services.write_history = [](const std::string& title, const std::string& path,
                                        const std::string& third, int code, int action) {
      write_history(title, path, third, code, action);
    };
    context.services.look_up_program = [this](int type, const std::string& path, const std::string&) {
      lookups.push_back(std::to_string(type) + " " + path);
    };
    options[Opt::HideFileType] = 0;
  }
  void TearDown() override { clean(); }
  static void clean() {
    test::delete_tree(HKEY_LOCAL_MACHINE, kExtKeyPath);
    test::delete_tree(HKEY_LOCAL_MACHINE, "Software\\Classes\\kt7file");
    for (std::string_view key : {file_types::kExtKey, file_types::kExtAppKey, file_types::kExtProgIdKey,
                                 file_types::kClassKey})
      test::delete_tree(HKEY_CURRENT_USER, std::string(key));
    test::delete_tree(HKEY_CURRENT_USER, std::string(keys::kDetected) + "\\FileTypes");
  }

  // Runs the step; a second thread meets `expected` dialogs, notes what they show and plays
  // `answer` on each.
  int step_answering(const std::function<void(HWND)>& answer, std::size_t expected) {
    shown.clear();
    test::UserThread user([&] {
      driver::WindowQuery q;
      q.title = "Kestrom File Type Change Alert";
      q.process_id = GetCurrentProcessId();
      q.visible_only = true;
      for (std::size_t i = 0; i < expected; ++i) {
        HWND dialog = driver::wait_for_window(q);
        if (!dialog) return;
        shown.push_back(driver::text_of(GetDlgItem(dialog, alerts::kExtensionControl)));
        shown.push_back(driver::text_of(GetDlgItem(dialog, alerts::kOldCommandControl)));
        shown.push_back(driver::text_of(GetDlgItem(dialog, alerts::kNewCommandControl)));
        if (i == 0) test::screenshot("alert_file_type");
        answer(dialog);
        if (!driver::wait_until_gone(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
      }
    });
    const int changes = alerts::run_file_types_step_with_alerts(
        nullptr, context, options, {nullptr, [&] { ++sounds; }, nullptr, [&](const std::string& t) { told.push_back(t); }});
    EXPECT_TRUE(user.join());
    return changes;
  }
  static std::function<void(HWND)> press(int command) {
    return [command](HWND dialog) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0); };
  }
  void change_program() { test::set_value(HKEY_LOCAL_MACHINE, kCommandKey, "", new_command); }
  std::string command_now() const { return test::get_value(HKEY_LOCAL_MACHINE, kCommandKey, ""); }

  std::string old_command, new_command;
  alerts::AlertFonts fonts;
  alerts::AlertContext context{fonts};
  Options options = Options::defaults(Program::Monitor);
  std::vector<std::string> shown, told, lookups;
  int sounds = 0;
};

}  // namespace

TEST_F(FileTypesStepSystemTest, NoPutsTheOldProgramBackByteForByteAndLogsAlertAndRestore) {
  change_program();
  EXPECT_EQ(step_answering(press(kCommandNo), 1), 1);
  EXPECT_EQ(shown, (std::vector<std::string>{".KT7", old_command, new_command}));
  EXPECT_EQ(sounds, 1);
  EXPECT_EQ(command_now(), old_command);
  EXPECT_TRUE(told.empty());
  const auto records = read_history(history_file_path());
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].action, action::kFileTypeAlert);
  EXPECT_EQ(records[0].code, file_types::kFileTypeCode);
  EXPECT_EQ(records[0].title, ".KT7");
  EXPECT_EQ(records[1].action, action::kFileTypeRestore);
  EXPECT_EQ(records[1].path, old_command);
  // Both programs are in the register.
  EXPECT_FALSE(first_sighting(test::fixture("fixtures\\version_multi.exe") + " /view %1", 400).empty());
  // Put back, nothing is asked any more.
  EXPECT_EQ(step_answering(press(kCommandNo), 0), 0);
}

TEST_F(FileTypesStepSystemTest, YesOrEscapeKeepsTheNewProgramAsTheRecordedOne) {
  change_program();
  EXPECT_EQ(step_answering(press(kCommandEscape), 1), 1);
  EXPECT_EQ(command_now(), new_command);
  EXPECT_EQ(file_types::recorded_association("kt7", file_types::kMachineClass).command, new_command);
  EXPECT_EQ(step_answering(press(kCommandNo), 0), 0);
}

TEST_F(FileTypesStepSystemTest, TheOldInfoButtonLooksUpTheOldProgramAndLeavesTheQuestionOpen) {
  change_program();
  step_answering(
      [](HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(alerts::kCommandOldInfo, BN_CLICKED), 0);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kCommandInfo, BN_CLICKED), 0);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kCommandYes, BN_CLICKED), 0);
      },
      1);
  EXPECT_EQ(lookups, (std::vector<std::string>{"1400 " + old_command, "1400 " + new_command}));
  EXPECT_EQ(command_now(), new_command);
}

TEST_F(FileTypesStepSystemTest, TheCheckBoxStopsWatchingAndLeavesTheNewProgram) {
  change_program();
  step_answering([](HWND dialog) { PostMessageA(GetDlgItem(dialog, alerts::kStopWatchingCheckBox), BM_CLICK, 0, 0); },
                 1);
  EXPECT_EQ(command_now(), new_command);
  EXPECT_EQ(file_types::watched_list(), "");
  EXPECT_FALSE(reg::value_exists(HKEY_CURRENT_USER, file_types::kExtKey, ".kt7"));
  EXPECT_FALSE(reg::value_exists(HKEY_CURRENT_USER, file_types::kClassKey, "kt7file"));
  const auto records = read_history(history_file_path());
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].action, action::kFileTypeAlert);
}

TEST_F(FileTypesStepSystemTest, LockRestoresSilentlyAndARefusedRestoreIsToldNotLogged) {
  options[Opt::LockFileTypes] = 1;
  change_program();
  {
    test::DeniedKey denied(HKEY_LOCAL_MACHINE, kCommandKey);
    ASSERT_TRUE(denied.denied);
    EXPECT_EQ(step_answering(press(kCommandNo), 0), 1);
  }
  EXPECT_EQ(told.size(), 1u);
  EXPECT_NE(told[0].find(".KT7"), std::string::npos);
  EXPECT_EQ(command_now(), new_command);
  EXPECT_TRUE(read_history(history_file_path()).empty());
  EXPECT_EQ(file_types::recorded_association("kt7", file_types::kMachineClass).command, old_command);

  told.clear();
  EXPECT_EQ(step_answering(press(kCommandNo), 0), 1);
  EXPECT_TRUE(told.empty());
  EXPECT_EQ(sounds, 0);
  EXPECT_EQ(command_now(), old_command);
  const auto records = read_history(history_file_path());
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].action, action::kFileTypeRestore);
}
