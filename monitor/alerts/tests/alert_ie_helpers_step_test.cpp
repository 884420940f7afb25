// The IE helpers and ActiveX steps with their real dialogs (140, 193), answered by a second
// thread, against class registrations in the test prefix: what each answer leaves in the
// registry, the snapshots and the History Log, and what a refused write leaves.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "categories/activex_win.hpp"
#include "categories/ie_helpers_win.hpp"
#include "common/detected.hpp"
#include "common/history.hpp"
#include "common/history_log.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/text.hpp"
#include "monitor/alerts/ie_helpers_step_system.hpp"
#include "startup/enumerate.hpp"
#include "tools/denied_key.hpp"
#include "tools/driver_win.hpp"
#include "tools/test_support_win.hpp"

namespace {

using namespace kestrom;

const std::string kHelper = "{6B7C1A01-0000-4000-8000-00000000C001}";
const std::string kControl = "{6B7C1A01-0000-4000-8000-00000000C002}";
const std::string kHelperKey = std::string(helpers::kHelperObjectsKey) + "\\" + kHelper;
const std::string kStatsKey = std::string(activex::kStatsKey) + "\\" + kControl;
const std::string kCompatKey = std::string(activex::kCompatibilityKey) + "\\" + kControl;
const std::string kActiveXSnapshot = "Software\\Orvane\\Kestrom\\ActiveX";

std::vector<int> actions() {
  std::vector<int> out;
  for (const auto& r : read_history(history_file_path())) out.push_back(r.action);
  return out;
}

class BrowserStepsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clean();
    // Whatever the prefix already holds is approved, so only this test's items are new.
    helpers::fill_helper_snapshot(list, system_item_rules());
    activex::build_activex_snapshot(list, system_item_rules());
    context.services.write_history = [](const std::string& title, const std::string& path,
                                        const std::string& third, int code, int action) {
      write_history(title, path, third, code, action);
    };
    options[Opt::HideIEHelper] = 0;
    options[Opt::HideActiveX] = 0;
  }
  void TearDown() override { clean(); }
  void clean() {
    for (const auto& c : {kHelper, kControl}) test::unregister_test_class(c);
    test::delete_tree(HKEY_LOCAL_MACHINE, kHelperKey);
    test::delete_tree(HKEY_CURRENT_USER, kStatsKey);
    test::delete_tree(HKEY_LOCAL_MACHINE, kCompatKey);
    reg::delete_key_tree(HKEY_CURRENT_USER, keys::kIEHelpers);
    reg::delete_key_tree(HKEY_CURRENT_USER, kActiveXSnapshot);
    reg::delete_key_tree(HKEY_CURRENT_USER, std::string(keys::kDetected) + "\\IEHelper");
    DeleteFileA(history_file_path().c_str());
    DeleteFileA(marker.c_str());
  }
  void register_helper() {
    ASSERT_TRUE(test::register_test_class(kHelper, "Fixture Helper", library));
    ASSERT_TRUE(test::set_value(HKEY_LOCAL_MACHINE, kHelperKey, "", ""));
  }
  void register_control() {
    ASSERT_TRUE(test::register_test_class(kControl, "Fixture Viewer Control", library));
    ASSERT_TRUE(test::set_value(HKEY_CURRENT_USER, kStatsKey, "", ""));
  }

  // Runs a step; a second thread answers `expected` dialogs with `command`, noting their names
  // and questions.
  void step_answering(bool helpers_step, int command, std::size_t expected, const char* picture = nullptr) {
    shown.clear();
    questions.clear();
    test::UserThread user([&] {
      driver::WindowQuery q;
      q.title = "Kestrom New Program Alert";
      q.process_id = GetCurrentProcessId();
      q.visible_only = true;
      for (std::size_t i = 0; i < expected; ++i) {
        HWND dialog = driver::wait_for_window(q);
        if (!dialog) return;
        shown.push_back(driver::text_of(GetDlgItem(dialog, alerts::kNameControl)));
        questions.push_back(driver::text_of(GetDlgItem(dialog, alerts::kQuestionControl)));
        if (i == 0 && picture) test::screenshot(picture);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
        if (!driver::wait_until_gone(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
      }
    });
    alerts::BrowserStepSignals signals;
    signals.play_alert_sound = [&] { ++sounds; };
    signals.tell_user = [&](const std::string& t) { told.push_back(t); };
    if (helpers_step)
      alerts::run_ie_helpers_step_with_alerts(nullptr, context, list, options, signals);
    else
      alerts::run_activex_step_with_alerts(nullptr, context, list, options, signals);
    EXPECT_TRUE(user.join());
  }

  const std::string library = test::fixture("kt_browser_helper.dll");
  const std::string marker = library + ".unregistered";
  ItemList list;
  alerts::AlertFonts fonts;
  alerts::AlertContext context{fonts};
  Options options = Options::defaults(Program::Monitor);
  std::vector<std::string> shown, questions, told;
  int sounds = 0;
};

}  // namespace

TEST_F(BrowserStepsTest, NoRemovesTheNewHelperAndItIsAskedAboutWhenItComesBack) {
  register_helper();
  step_answering(true, kCommandNo, 1, "alert_new_helper");
  EXPECT_EQ(shown, std::vector<std::string>{"Helper Suite"});
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_NE(questions[0].find("Internet Explorer Add-On"), std::string::npos) << questions[0];
  EXPECT_EQ(sounds, 1);
  EXPECT_FALSE(test::key_exists(HKEY_LOCAL_MACHINE, kHelperKey));
  EXPECT_TRUE(test::poll([&] { return GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }));
  EXPECT_FALSE(helpers::helper_approved("Helper Suite"));
  EXPECT_TRUE(told.empty());
  const auto records = read_history(history_file_path());
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].action, action::kIEHelperAlert);
  EXPECT_EQ(records[0].code, 900);
  EXPECT_EQ(records[0].title, "Helper Suite");
  EXPECT_TRUE(iequals(records[0].path, library)) << records[0].path;
  EXPECT_EQ(records[1].action, action::kIEHelperRemove);
  EXPECT_FALSE(first_sighting(library, 900).empty());

  // Back again: asked again; Yes (or Escape) approves it under its title and kind.
  ASSERT_NO_FATAL_FAILURE(register_helper());
  step_answering(true, kCommandEscape, 1);
  EXPECT_EQ(shown, std::vector<std::string>{"Helper Suite"});
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, keys::kIEHelpers, "Helper Suite"), "900");
  step_answering(true, kCommandNo, 0);
  EXPECT_TRUE(shown.empty());
  EXPECT_TRUE(test::key_exists(HKEY_LOCAL_MACHINE, kHelperKey));
}

TEST_F(BrowserStepsTest, ARefusedRemovalIsToldKeptUnapprovedAndNotRecorded) {
  register_helper();
  {
    test::DeniedKey denied(HKEY_LOCAL_MACHINE, kHelperKey);
    ASSERT_TRUE(denied.denied);
    step_answering(true, kCommandNo, 1);
  }
  EXPECT_EQ(shown.size(), 1u);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_NE(told[0].find("Helper Suite"), std::string::npos) << told[0];
  EXPECT_TRUE(test::key_exists(HKEY_LOCAL_MACHINE, kHelperKey));
  EXPECT_FALSE(helpers::helper_approved("Helper Suite"));
  EXPECT_EQ(actions(), std::vector<int>{action::kIEHelperAlert});
  EXPECT_EQ(GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(BrowserStepsTest, NoSwitchesANewControlOffAndItIsNotAskedAgain) {
  register_control();
  step_answering(false, kCommandNo, 1, "alert_new_activex");
  EXPECT_EQ(shown, std::vector<std::string>{"Fixture Viewer Control"});
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_NE(questions[0].find("ActiveX"), std::string::npos) << questions[0];
  EXPECT_EQ(activex::activex_flags(kControl), 0x400u);
  EXPECT_TRUE(activex::activex_seen(kControl));
  const auto records = read_history(history_file_path());
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].action, action::kIEHelperAlert);
  EXPECT_EQ(records[0].code, 900);
  step_answering(false, kCommandNo, 0);
  EXPECT_TRUE(shown.empty());
}

TEST_F(BrowserStepsTest, ARefusedKillBitIsToldAndAskedAgain) {
  register_control();
  // The control's entry exists without flags, as a standard user meets HKLM.
  ASSERT_TRUE(test::set_value(HKEY_LOCAL_MACHINE, kCompatKey, "", ""));
  {
    test::DeniedKey denied(HKEY_LOCAL_MACHINE, kCompatKey);
    ASSERT_TRUE(denied.denied);
    step_answering(false, kCommandNo, 1);
  }
  ASSERT_EQ(told.size(), 1u);
  EXPECT_NE(told[0].find("Fixture Viewer Control"), std::string::npos) << told[0];
  EXPECT_FALSE(test::value_exists(HKEY_LOCAL_MACHINE, kCompatKey, "Compatibility Flags"));
  EXPECT_FALSE(activex::activex_seen(kControl));
  step_answering(false, kCommandYes, 1);
  EXPECT_EQ(shown.size(), 1u);
  EXPECT_TRUE(activex::activex_seen(kControl));
  EXPECT_EQ(activex::activex_flags(kControl), 0u);
}
