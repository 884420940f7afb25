// The monitor's cookie steps in-process with the real wiring: the filter step by the default
// browser's kind and the new-cookie question (string 16), once per check, until kept.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <fstream>
#include <string>

#include "categories/cookies_win.hpp"
#include "common/product_keys.hpp"
#include "monitor/monitor_win.hpp"
#include "monitor/wiring_win.hpp"
#include "tools/test_support_win.hpp"

using namespace kestrom;
using namespace kestrom::monitor;
using namespace kestrom::test;

namespace {

constexpr const char* kTestClass = "KestromCookieStepTest";
constexpr const char* kBrowserCommandKey = "SOFTWARE\\Classes\\HTTP\\shell\\open\\command";

std::string cookie_folder() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + "kestrom monitor cookies\\";
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class MonitorCookies : public ::testing::Test {
 protected:
  void SetUp() override {
    delete_tree(HKEY_CURRENT_USER, std::string(keys::kNuts));
    delete_tree(HKEY_CURRENT_USER, std::string(keys::kCookies));
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* name : {"index.dat", "user@news[1].txt", "user@ads[1].txt"}) {
      std::ofstream(folder + name) << "x";
    }
    set_value(HKEY_CURRENT_USER, std::string(keys::kProduct), "IECookieFolder", folder);
    ASSERT_TRUE(monitor.create(kTestClass, "Kestrom", false));
  }
  void TearDown() override {
    for (const char* name : {"index.dat", "user@news[1].txt", "user@ads[1].txt"}) DeleteFileA((folder + name).c_str());
    RemoveDirectoryA(folder.c_str());
    delete_tree(HKEY_CURRENT_USER, std::string(keys::kNuts));
    delete_tree(HKEY_CURRENT_USER, std::string(keys::kCookies));
  }

  // Runs the new-cookie step while a second thread answers No to every box it shows and
  // keeps the texts; the step returns only after the question is answered.
  std::vector<std::string> questions_of_new_cookie_step() {
    std::vector<std::string> texts;
    std::atomic<bool> done = false;
    UserThread user([&] {
      driver::WindowQuery q;
      q.class_name = "#32770";
      q.process_id = GetCurrentProcessId();
      q.visible_only = true;
      while (!done) {
        driver::poll([&] { return done || !driver::find_windows(q).empty(); });
        for (HWND box : driver::find_windows(q)) {
          std::string text;
          for (const auto& c : driver::children(box))
            if (c.class_name == "Static") text += c.text;
          texts.push_back(text);
          driver::press(box, IDNO);
          driver::wait_until_gone(box);
        }
      }
    });
    wiring.patrol_step(PatrolStep::NewCookies, monitor);
    done = true;
    EXPECT_TRUE(user.join());
    return texts;
  }

  const std::string folder = cookie_folder();
  SavedValue ie_folder{HKEY_CURRENT_USER, std::string(keys::kProduct), "IECookieFolder"};
  SavedValue browser{HKEY_LOCAL_MACHINE, kBrowserCommandKey, ""};
  MonitorWiring wiring;
  Monitor monitor{GetModuleHandleA(nullptr), wiring.hooks()};
};

}  // namespace

TEST_F(MonitorCookies, NewCookieQuestionIsAskedOncePerCheckUntilEveryCookieIsKept) {
  auto texts = questions_of_new_cookie_step();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find("new cookies added to your computer"), std::string::npos) << texts[0];
  EXPECT_FALSE(monitor.alert_showing);

  ASSERT_TRUE(cookies::keep_cookie("user@news[1].txt"));
  EXPECT_EQ(questions_of_new_cookie_step().size(), 1u);
  ASSERT_TRUE(cookies::keep_cookie("user@ads[1].txt"));
  EXPECT_EQ(questions_of_new_cookie_step().size(), 0u);
}

TEST_F(MonitorCookies, MaxCookieLimitsWhatTheMonitorLists) {
  SavedValue max_cookie(HKEY_CURRENT_USER, std::string(keys::kOptions), "MaxCookie");
  set_value(HKEY_CURRENT_USER, std::string(keys::kOptions), "MaxCookie", "0");
  monitor.reload_options();
  EXPECT_EQ(questions_of_new_cookie_step().size(), 0u);
  EXPECT_EQ(wiring.item_list().size(), 0u);
}

TEST_F(MonitorCookies, FilterStepFiltersTheInternetExplorerFolderOnlyForItsKinds) {
  ASSERT_EQ(cookies::add_filter("ads"), cookies::AddFilter::Added);
  set_value(HKEY_LOCAL_MACHINE, kBrowserCommandKey, "", "\"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" -url %1");
  wiring.patrol_step(PatrolStep::CookieFilter, monitor);
  EXPECT_TRUE(exists(folder + "user@ads[1].txt"));

  set_value(HKEY_LOCAL_MACHINE, kBrowserCommandKey, "", "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" %1");
  wiring.patrol_step(PatrolStep::CookieFilter, monitor);
  EXPECT_FALSE(exists(folder + "user@ads[1].txt"));
  EXPECT_TRUE(exists(folder + "user@news[1].txt"));
}
