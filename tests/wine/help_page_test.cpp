// The alerts' help page as the monitor opens it, in-process: the local page in the program
// folder first, else the page on the configured server, and a translated page name that is
// no plain file name never reaches the shell. The shell's handlers for web addresses and
// HTML files are a recording stand-in.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/info_server_win.hpp"
#include "tools/test_support_win.hpp"

using namespace kestrom;

namespace {

using namespace kestrom::test;

constexpr const char* kHttpOpen = "http\\shell\\open\\command";
constexpr const char* kHtmlOpen = "htmlfile\\shell\\open\\command";
constexpr const char* kProduct = "Software\\Orvane\\Kestrom";

class LoopHelpPage : public ::testing::Test {
 protected:
  void SetUp() override {
    forget_explorer_starts();
    // A fresh prefix knows no ".html" files; a user's system does.
    if (!value_exists(HKEY_CLASSES_ROOT, ".html", "")) set_value(HKEY_CLASSES_ROOT, ".html", "", "htmlfile");
    const std::string recorder = "\"" + fixture("fixtures\\fake_explorer.exe") + "\" \"%1\"";
    set_value(HKEY_CLASSES_ROOT, kHttpOpen, "", recorder);
    set_value(HKEY_CLASSES_ROOT, kHtmlOpen, "", recorder);
    set_value(HKEY_LOCAL_MACHINE, kProduct, "InfoServer", "http://help.test/");
    DeleteFileA(local_page().c_str());
  }
  void TearDown() override {
    delete_value(HKEY_LOCAL_MACHINE, kProduct, "InfoServer");
    DeleteFileA(local_page().c_str());
    forget_explorer_starts();
  }
  static std::string local_page() { return fixture("helpme.html"); }
  SavedValue http_{HKEY_CLASSES_ROOT, kHttpOpen, ""};
  SavedValue html_{HKEY_CLASSES_ROOT, kHtmlOpen, ""};
  SavedValue html_type_{HKEY_CLASSES_ROOT, ".html", ""};
};

}  // namespace

TEST_F(LoopHelpPage, ServerPageWithoutALocalOneAndHostileNamesFallBackToTheDefaultPage) {
  info_server::open_help_page(nullptr, "de_helpme.html");
  ASSERT_TRUE(wait_explorer_starts(1));
  EXPECT_EQ(explorer_starts()[0], "\"http://help.test/de_helpme.html\"");

  info_server::open_help_page(nullptr, "..\\..\\windows\\system32\\cmd.exe");
  ASSERT_TRUE(wait_explorer_starts(2));
  EXPECT_EQ(explorer_starts()[1], "\"http://help.test/helpme.html\"");
}

TEST_F(LoopHelpPage, LocalPageInTheProgramFolderComesFirst) {
  HANDLE h = CreateFileA(local_page().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  info_server::open_help_page(nullptr, "helpme.html");
  ASSERT_TRUE(wait_explorer_starts(1));
  const std::string opened = explorer_starts()[0];
  EXPECT_NE(opened.find("helpme.html"), std::string::npos) << opened;
  EXPECT_EQ(opened.find("http:"), std::string::npos) << opened;
}
