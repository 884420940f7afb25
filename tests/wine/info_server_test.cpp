// The program information lookup as it would be opened: the address and the browser fallbacks, built
// from a real program file's version resource and the real registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/info_server_win.hpp"
#include "common/textloader.hpp"
#include "tests/wine/wine_test_support.hpp"

namespace kestrom::info_server {
namespace {

constexpr const char* kProduct = "Software\\Orvane\\Kestrom";
constexpr const char* kOptions = "Software\\Orvane\\Kestrom\\Options";
constexpr const char* kHttpOpen = "http\\shell\\open\\command";
constexpr const char* kIEAppPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";

void set(HKEY root, const char* key, const char* name, const std::string& text) {
  RegSetKeyValueA(root, key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

std::string read_default(HKEY root, const char* key) {
  char buf[1024] = {};
  DWORD size = sizeof buf - 1;
  if (RegGetValueA(root, key, nullptr, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS) return {};
  return buf;
}

class LookupRequest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kProduct);
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kProduct, "InfoServer");
    saved_browser_ = read_default(HKEY_CLASSES_ROOT, kHttpOpen);
    set(HKEY_LOCAL_MACHINE, kProduct, "InfoServer", "http://info.test/");
    kestrom::text::set_language(9);
    agent_ = test::test_program_folder() + "\\kt_agent.exe";
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kProduct);
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kProduct, "InfoServer");
    set(HKEY_CLASSES_ROOT, kHttpOpen, nullptr, saved_browser_);
    kestrom::text::set_language(9);
  }
  std::string saved_browser_;
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
  set(HKEY_CURRENT_USER, kOptions, "VantFormat", "1");
  Request r = prepare_request(460, agent_);
  EXPECT_NE(r.address.find("/cgi-bin/vantinfo12.pl?program="), std::string::npos) << r.address;
  EXPECT_NE(r.address.find("&Type=460&Loc="), std::string::npos) << r.address;
  EXPECT_NE(r.address.find("&name=Agent%20Suite"), std::string::npos) << r.address;
  // Internet Explorer is tried only when BrowserFailure asks for it in this form.
  EXPECT_FALSE(r.ie_fallback);
  set(HKEY_CURRENT_USER, kOptions, "BrowserFailure", "1");
  EXPECT_TRUE(prepare_request(460, agent_).ie_fallback);

  set(HKEY_CURRENT_USER, kOptions, "VantFormat", "0");
  Request none = prepare_request(1400, "", "My Item & Co");
  EXPECT_NE(none.address.find("?program=My%20Item%20+%20Co&vendor=&version="), std::string::npos) << none.address;
}

TEST_F(LookupRequest, ConfiguredBaseMustBeAWebAddress) {
  set(HKEY_LOCAL_MACHINE, kProduct, "InfoServer", "C:\\windows\\notepad.exe");
  EXPECT_EQ(prepare_request(460, agent_).address.rfind(std::string(kDefaultServer) + "/cgi-bin/", 0), 0u);
  RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kProduct, "InfoServer");
  EXPECT_EQ(prepare_request(460, agent_).address.rfind(std::string(kDefaultServer) + "/cgi-bin/", 0), 0u);
}

TEST_F(LookupRequest, BrowserFallbacks) {
  set(HKEY_LOCAL_MACHINE, kIEAppPath, "Path", "C:\\Program Files\\Internet Explorer;");
  Request r = prepare_request(460, agent_);
  EXPECT_EQ(r.ie_command, "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" " + r.address);

  set(HKEY_CLASSES_ROOT, kHttpOpen, nullptr, "\"C:\\AOL\\WAOL.EXE\" -u \"%1\"");
  WriteProfileStringA("WAOL", "AppPath", "C:\\AOL 9");
  Request aol = prepare_request(460, agent_);
  EXPECT_TRUE(aol.through_aol);
  EXPECT_EQ(aol.aol_command, "\"C:\\AOL 9\\WAOL.EXE\" -u \"" + aol.address + "\"");
  WriteProfileStringA("WAOL", nullptr, nullptr);
}

}  // namespace
}  // namespace kestrom::info_server
