// A help page as both programs open it, in-process: the local page in the program
// folder first, else the page on the configured server, and a translated page name that is
// no plain file name never reaches the shell. The shell's handlers for web addresses and
// HTML files are a recording stand-in.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/info_server_win.hpp"
#include "tests/e2e/e2e_support_win.hpp"
#include "tests/wine/wine_test_support.hpp"

using namespace kestrom;

namespace {

constexpr const char* kHttpOpen = "http\\shell\\open\\command";
constexpr const char* kHtmlOpen = "htmlfile\\shell\\open\\command";
constexpr const char* kProduct = "Software\\Orvane\\Kestrom";

std::string read_default(const char* key) {
  char buf[1024] = {};
  DWORD size = sizeof buf - 1;
  if (RegGetValueA(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS) return {};
  return buf;
}

void write(HKEY root, const char* key, const char* name, const std::string& text) {
  RegSetKeyValueA(root, key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

class LoopHelpPage : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::reset_state();
    http_ = read_default(kHttpOpen);
    html_ = read_default(kHtmlOpen);
    // A fresh prefix knows no ".html" files; a user's system does.
    html_type_ = read_default(".html");
    if (html_type_.empty()) write(HKEY_CLASSES_ROOT, ".html", nullptr, "htmlfile");
    const std::string recorder = "\"" + test::test_program_folder() + "\\fixtures\\fake_explorer.exe\" \"%1\"";
    write(HKEY_CLASSES_ROOT, kHttpOpen, nullptr, recorder);
    write(HKEY_CLASSES_ROOT, kHtmlOpen, nullptr, recorder);
    write(HKEY_LOCAL_MACHINE, kProduct, "InfoServer", "http://help.test/");
    DeleteFileA(local_page().c_str());
  }
  void TearDown() override {
    write(HKEY_CLASSES_ROOT, kHttpOpen, nullptr, http_);
    write(HKEY_CLASSES_ROOT, kHtmlOpen, nullptr, html_);
    if (html_type_.empty()) {
      RegDeleteTreeA(HKEY_CLASSES_ROOT, ".html");
      RegDeleteKeyA(HKEY_CLASSES_ROOT, ".html");
    }
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kProduct, "InfoServer");
    DeleteFileA(local_page().c_str());
    e2e::reset_state();
  }
  static std::string local_page() { return test::test_program_folder() + "\\helpme.html"; }
  std::string http_, html_, html_type_;
};

}  // namespace

TEST_F(LoopHelpPage, ServerPageWithoutALocalOneAndHostileNamesFallBackToTheDefaultPage) {
  info_server::open_help_page(nullptr, "de_helpme.html");
  ASSERT_TRUE(e2e::wait_explorer_starts(1));
  EXPECT_EQ(e2e::explorer_starts()[0], "\"http://help.test/de_helpme.html\"");

  info_server::open_help_page(nullptr, "..\\..\\windows\\system32\\cmd.exe");
  ASSERT_TRUE(e2e::wait_explorer_starts(2));
  EXPECT_EQ(e2e::explorer_starts()[1], "\"http://help.test/helpme.html\"");
}

TEST_F(LoopHelpPage, LocalPageInTheProgramFolderComesFirst) {
  HANDLE h = CreateFileA(local_page().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  info_server::open_help_page(nullptr, "helpme.html");
  ASSERT_TRUE(e2e::wait_explorer_starts(1));
  const std::string opened = e2e::explorer_starts()[0];
  EXPECT_NE(opened.find("helpme.html"), std::string::npos) << opened;
  EXPECT_EQ(opened.find("http:"), std::string::npos) << opened;
}
