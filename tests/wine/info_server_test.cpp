// The program information lookup as it would be opened: the address and the browser fallbacks, built
// from a real program file's version resource and the real registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/info_server_win.hpp"
#include "common/textloader.hpp"
#include "tools/test_support_win.hpp"

namespace kestrom::info_server {
namespace {

constexpr const char* kProduct = "Software\\Orvane\\Kestrom";
constexpr const char* kOptions = "Software\\Orvane\\Kestrom\\Options";
constexpr const char* kHttpOpen = "http\\shell\\open\\command";
constexpr const char* kIEAppPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";

using test::set_value;

class LookupRequest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::delete_tree(HKEY_CURRENT_USER, kProduct);
    set_value(HKEY_LOCAL_MACHINE, kProduct, "InfoServer", "http://info.test/");
    kestrom::text::set_language(9);
    agent_ = test::fixture("kt_agent.exe");
  }
  void TearDown() override {
    test::delete_tree(HKEY_CURRENT_USER, kProduct);
    test::delete_value(HKEY_LOCAL_MACHINE, kProduct, "InfoServer");
    kestrom::text::set_language(9);
  }
  test::SavedValue browser_{HKEY_CLASSES_ROOT, kHttpOpen, ""};
  std::string agent_;
};

TEST_F(LookupRequest, BasicFormCarriesTheFilesVersionFacts) {
  Request r = prepare_request(1011, "\"" + agent_ + "\" /startup");
  EXPECT_EQ(r.address.rfind("http://info.test/cgi-bin/vantinfo.pl?program=", 0), 0u) << r.address;
  EXPECT_NE(r.address.find("&vendor=Fixture%20Works&version="), std::string::npos) << r.address;
  EXPECT_NE(r.address.find("&Type=1011&Loc=en&ext="), std::string::npos) << r.address;
  EXPECT_NE(r.address.find("&build="), std::string::npos);
  EXPECT_EQ(r.address.find(' '), std::string::npos);
  EXPECT_FALSE(r.through_aol);

  kestrom::text::set_language(7);
  EXPECT_NE(prepare_request(1011, agent_).address.find("&Loc=de&"), std::string::npos);
}

TEST_F(LookupRequest, DataCollectingFormAndAnItemWithoutAFile) {
  set_value(HKEY_CURRENT_USER, kOptions, "VantFormat", "1");
  Request r = prepare_request(460, agent_);
  EXPECT_NE(r.address.find("/cgi-bin/vantinfo12.pl?program="), std::string::npos) << r.address;
  EXPECT_NE(r.address.find("&Type=460&Loc="), std::string::npos) << r.address;
  EXPECT_NE(r.address.find("&name=Agent%20Suite"), std::string::npos) << r.address;
  // Internet Explorer is tried only when BrowserFailure asks for it in this form.
  EXPECT_FALSE(r.ie_fallback);
  set_value(HKEY_CURRENT_USER, kOptions, "BrowserFailure", "1");
  EXPECT_TRUE(prepare_request(460, agent_).ie_fallback);

  set_value(HKEY_CURRENT_USER, kOptions, "VantFormat", "0");
  Request none = prepare_request(1400, "", "My Item & Co");
  EXPECT_NE(none.address.find("?program=My%20Item%20+%20Co&vendor=&version="), std::string::npos) << none.address;
}

TEST_F(LookupRequest, BrowserFallbacks) {
  set_value(HKEY_LOCAL_MACHINE, kIEAppPath, "Path", "C:\\Program Files\\Internet Explorer;");
  Request r = prepare_request(460, agent_);
  EXPECT_EQ(r.ie_command, "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" " + r.address);

  set_value(HKEY_CLASSES_ROOT, kHttpOpen, "", "\"C:\\AOL\\WAOL.EXE\" -u \"%1\"");
  WriteProfileStringA("WAOL", "AppPath", "C:\\AOL 9");
  Request aol = prepare_request(460, agent_);
  EXPECT_TRUE(aol.through_aol);
  EXPECT_EQ(aol.aol_command, "\"C:\\AOL 9\\WAOL.EXE\" -u \"" + aol.address + "\"");
  WriteProfileStringA("WAOL", nullptr, nullptr);
}

}  // namespace
}  // namespace kestrom::info_server
