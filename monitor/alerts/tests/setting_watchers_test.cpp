// The single-setting watchers against the registry of the test prefix, with the questions
// scripted: what an answer leaves in the live place and in the product's copy, the Hide answers,
// the missing-versus-empty copy, and the machine settings that Vista and later leave to the
// explorer (HKLM untouched by the monitor).
#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "monitor/alerts/setting_watchers.hpp"
#include "tools/test_support_win.hpp"

namespace {

using namespace kestrom;
using namespace kestrom::alerts;

const std::string kIEMain = "Software\\Microsoft\\Internet Explorer\\Main";
const std::string kDesktop = "Software\\Microsoft\\Internet Explorer\\Desktop\\Components\\0";
const std::string kAutoUpdate = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update";
const std::string kPrefixes = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes";
const std::string kDefaultPrefix = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\DefaultPrefix";
const std::string kProduct(keys::kProduct);

struct Asked {
  std::string text;
  UINT icon;
  std::string caption;
};

class SettingWatchersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"StartPage", "SearchPage", "SourcePage", "AUOptions", "wwwPrefix"})
      test::delete_value(HKEY_CURRENT_USER, kProduct, name);
    test::set_value(HKEY_CURRENT_USER, kIEMain, "Start Page", "http://home.example/");
    test::set_value(HKEY_CURRENT_USER, kIEMain, "Search Page", "http://search.example/");
    test::set_value(HKEY_CURRENT_USER, kDesktop, "Source", "about:home");
    test::set_dword(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions", 4);
    test::set_value(HKEY_LOCAL_MACHINE, kPrefixes, "www", "http://");
    options = Options::defaults(Program::Monitor);
    options[Opt::HideHomePage] = 0;
    options[Opt::ShowAlerts] = 0;
    signals.ask = [this](const std::string& text, UINT icon, std::string_view caption) {
      asked.push_back({text, icon, std::string(caption)});
      if (answers.empty()) {
        ADD_FAILURE() << "asked without a scripted answer: " << text;
        return IDNO;
      }
      const int a = answers.front();
      answers.pop_front();
      return a;
    };
    signals.start_explorer = [this](std::string_view s) { started.emplace_back(s); };
    signals.tell_user = [](const std::string& text) { ADD_FAILURE() << "told: " << text; };
    // The first run takes the copies without asking.
    run_default_pages_step(nullptr, options, signals);
    run_setting_watchers(nullptr, signals);
    ASSERT_TRUE(asked.empty());
  }

  std::string copy(const char* name) { return test::get_value(HKEY_CURRENT_USER, kProduct, name); }

  test::SavedValue start{HKEY_CURRENT_USER, kIEMain, "Start Page"};
  test::SavedValue search{HKEY_CURRENT_USER, kIEMain, "Search Page"};
  test::SavedValue source{HKEY_CURRENT_USER, kDesktop, "Source"};
  test::SavedValue level{HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions"};
  test::SavedValue www{HKEY_LOCAL_MACHINE, kPrefixes, "www"};
  test::SavedValue default_prefix{HKEY_LOCAL_MACHINE, kDefaultPrefix, ""};
  Options options;
  SettingWatchSignals signals;
  std::deque<int> answers;
  std::vector<Asked> asked;
  std::vector<std::string> started;
};

TEST_F(SettingWatchersTest, StartPageChangeIsAskedAndNoRestoresIt) {
  EXPECT_EQ(copy("StartPage"), "http://home.example/");
  // A trailing slash or case alone is no change.
  test::set_value(HKEY_CURRENT_USER, kIEMain, "Start Page", "HTTP://Home.Example");
  run_default_pages_step(nullptr, options, signals);
  EXPECT_TRUE(asked.empty());

  test::set_value(HKEY_CURRENT_USER, kIEMain, "Start Page", "http://hijack.example/");
  answers = {IDNO};
  run_default_pages_step(nullptr, options, signals);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_NE(asked[0].text.find("Your new page is http://hijack.example/"), std::string::npos);
  EXPECT_NE(asked[0].text.find("restore your page to\n http://home.example/."), std::string::npos);
  EXPECT_EQ(test::get_value(HKEY_CURRENT_USER, kIEMain, "Start Page"), "http://home.example/");

  test::set_value(HKEY_CURRENT_USER, kIEMain, "Start Page", "http://new-home.example/");
  answers = {IDYES};
  run_default_pages_step(nullptr, options, signals);
  EXPECT_EQ(copy("StartPage"), "http://new-home.example/");
  EXPECT_EQ(test::get_value(HKEY_CURRENT_USER, kIEMain, "Start Page"), "http://new-home.example/");
}

TEST_F(SettingWatchersTest, HideAnswersAndTheDesktopPage) {
  options[Opt::HideHomePage] = 2;  // put back without asking
  test::set_value(HKEY_CURRENT_USER, kIEMain, "Search Page", "http://bad-search.example/");
  test::set_value(HKEY_CURRENT_USER, kDesktop, "Source", "http://ads.example/");
  run_default_pages_step(nullptr, options, signals);
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(test::get_value(HKEY_CURRENT_USER, kIEMain, "Search Page"), "http://search.example/");
  EXPECT_EQ(test::get_value(HKEY_CURRENT_USER, kDesktop, "Source"), "about:home");

  options[Opt::HideHomePage] = 1;  // accept without asking
  test::set_value(HKEY_CURRENT_USER, kDesktop, "Source", "http://fine.example/");
  run_default_pages_step(nullptr, options, signals);
  EXPECT_EQ(copy("SourcePage"), "http://fine.example/");
}

TEST_F(SettingWatchersTest, AnAcceptedEmptyPageIsACopyNotAMissingOne) {
  test::set_value(HKEY_CURRENT_USER, kIEMain, "Start Page", "");
  answers = {IDYES};
  run_default_pages_step(nullptr, options, signals);
  ASSERT_EQ(copy("StartPage"), "");
  asked.clear();
  // Asked once, then quiet; and a hijack of the empty page is asked about, not adopted.
  run_default_pages_step(nullptr, options, signals);
  EXPECT_TRUE(asked.empty());
  test::set_value(HKEY_CURRENT_USER, kIEMain, "Start Page", "http://hijack.example/");
  answers = {IDNO};
  run_default_pages_step(nullptr, options, signals);
  EXPECT_EQ(asked.size(), 1u);
  EXPECT_EQ(test::get_value(HKEY_CURRENT_USER, kIEMain, "Start Page"), "");
}

TEST_F(SettingWatchersTest, UpdateLevelBlockedBeforeVistaIsWrittenBack) {
  EXPECT_EQ(reg::read_small_number(HKEY_CURRENT_USER, keys::kProduct, "AUOptions", -1), 4);
  test::set_dword(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions", 1);
  answers = {IDYES};
  run_setting_watchers(nullptr, signals);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].caption, "Windows Auto Update Settings");
  EXPECT_NE(asked[0].text.find("Previous Status:\nAutomatically download"), std::string::npos);
  EXPECT_NE(asked[0].text.find("changed to:\nTurn off Automatic Updates."), std::string::npos);
  EXPECT_EQ(reg::read_small_number(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions", -1), 4);

  // A level outside 1 to 4 gets the fixed text; No accepts it.
  test::set_dword(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions", 9);
  answers = {IDNO};
  run_setting_watchers(nullptr, signals);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_NE(asked[1].text.find("not configured"), std::string::npos);
  EXPECT_EQ(reg::read_small_number(HKEY_CURRENT_USER, keys::kProduct, "AUOptions", -1), 9);
  // Without a copy from 1 to 4 the live level is not taken (it is out of range too) and the
  // prefix is not watched this time.
  test::set_value(HKEY_LOCAL_MACHINE, kPrefixes, "www", "http://evil.example/?");
  run_setting_watchers(nullptr, signals);
  EXPECT_EQ(asked.size(), 2u);
}

TEST_F(SettingWatchersTest, VistaLeavesMachineSettingsToTheExplorer) {
  signals.vista_or_later = true;
  test::set_dword(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions", 2);
  test::set_value(HKEY_LOCAL_MACHINE, kPrefixes, "www", "http://evil.example/?");
  answers = {IDYES, IDYES};
  run_setting_watchers(nullptr, signals);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1].icon, static_cast<UINT>(MB_ICONSTOP));
  EXPECT_EQ(started, (std::vector<std::string>{"-AUOption", "-SetPrefix"}));
  EXPECT_EQ(reg::read_small_number(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions", -1), 2);
  EXPECT_EQ(test::get_value(HKEY_LOCAL_MACHINE, kPrefixes, "www"), "http://evil.example/?");
}

TEST_F(SettingWatchersTest, PrefixBlockedBeforeVistaWritesBothPlacesAndNoAccepts) {
  test::set_value(HKEY_LOCAL_MACHINE, kPrefixes, "www", "http://evil.example/?");
  answers = {IDYES};
  run_setting_watchers(nullptr, signals);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_NE(asked[0].text.find("Previous Prefix:   http://"), std::string::npos);
  EXPECT_EQ(test::get_value(HKEY_LOCAL_MACHINE, kPrefixes, "www"), "http://");
  EXPECT_EQ(test::get_value(HKEY_LOCAL_MACHINE, kDefaultPrefix, ""), "http://");

  test::set_value(HKEY_LOCAL_MACHINE, kPrefixes, "www", "https://");
  answers = {IDNO};
  run_setting_watchers(nullptr, signals);
  EXPECT_EQ(copy("wwwPrefix"), "https://");
}

}  // namespace

TEST_F(SettingWatchersTest, AQuestionThatCouldNotBeShownChangesNothing) {
  test::set_value(HKEY_CURRENT_USER, kIEMain, "Start Page", "http://hijack.example/");
  test::set_dword(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions", 1);
  answers = {0, 0};  // neither question opened
  run_default_pages_step(nullptr, options, signals);
  run_setting_watchers(nullptr, signals);
  EXPECT_EQ(asked.size(), 2u);
  // Neither put back nor accepted: both are asked about again at the next check.
  EXPECT_EQ(test::get_value(HKEY_CURRENT_USER, kIEMain, "Start Page"), "http://hijack.example/");
  EXPECT_EQ(copy("StartPage"), "http://home.example/");
  EXPECT_EQ(reg::read_small_number(HKEY_CURRENT_USER, keys::kProduct, "AUOptions", -1), 4);
  asked.clear();
  answers = {0, 0};
  run_default_pages_step(nullptr, options, signals);
  run_setting_watchers(nullptr, signals);
  EXPECT_EQ(asked.size(), 2u);

  test::set_dword(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions", 4);
  test::set_value(HKEY_LOCAL_MACHINE, kPrefixes, "www", "http://evil.example/?q=");
  asked.clear();
  answers = {0};
  run_setting_watchers(nullptr, signals);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_NE(copy("wwwPrefix"), "http://evil.example/?q=");
}
