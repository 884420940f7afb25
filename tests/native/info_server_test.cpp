#include <gtest/gtest.h>

#include "common/info_server.hpp"

namespace kestrom::info_server {
namespace {

Facts acme() {
  Facts f;
  f.type = 1002;
  f.file_name = "acme.exe";
  f.company = "A & B Soft";
  f.product_version = "1.2.3";
  f.build = "17.0.2010.0:17.0.2010.0";
  return f;
}

TEST(LookupAddress, BasicFormInItsOrder) {
  EXPECT_EQ(build_address("https://info.test", Form::Basic, acme(), basic_language(9)),
            "https://info.test/cgi-bin/vantinfo.pl?program=acme.exe&vendor=A%20+%20B%20Soft&version=1.2.3"
            "&build=17.0.2010.0:17.0.2010.0&Type=1002&Loc=en&ext=exe");
}

TEST(LookupAddress, NoExtensionAndGerman) {
  auto f = acme();
  f.file_name = "README";
  auto a = build_address("https://info.test", Form::Basic, f, basic_language(7));
  EXPECT_NE(a.find("&Loc=de&"), std::string::npos);
  EXPECT_TRUE(a.ends_with("&ext=")) << a;
  EXPECT_EQ(basic_language(12), "fr");
}

TEST(LookupAddress, DataCollectingFormInItsOrder) {
  auto f = acme();
  f.path = "C:\\Program Files\\acme.exe";
  f.product_name = "Acme";
  f.size = "1024";
  auto a = build_address("https://info.test", Form::DataCollecting, f, "");
  EXPECT_EQ(a.rfind("https://info.test/cgi-bin/vantinfo12.pl?program=acme.exe&Type=1002&Loc=en&ext=exe&vendor=", 0),
            0u)
      << a;
  auto at = [&a](const char* k) { return a.find(k); };
  EXPECT_LT(at("&vendor="), at("&build="));
  EXPECT_LT(at("&build="), at("&version="));
  EXPECT_LT(at("&version="), at("&name="));
  EXPECT_LT(at("&detected="), at("&fsize="));
  // The path is not cut at its blank by the length limit here.
  EXPECT_TRUE(a.ends_with("&path=C:\\Program%20Files\\acme.exe")) << a;
  EXPECT_NE(build_address("https://x", Form::DataCollecting, f, "de").find("&Loc=de&"), std::string::npos);
}

TEST(LookupEscaping, HostileNamesCannotForgeFields) {
  EXPECT_EQ(escape_for_query("A & B Soft"), "A%20+%20B%20Soft");
  EXPECT_EQ(escape_for_query("x&Type=1#y?z%+"), "x+Type%3D1%23y%3Fz%25%2B");
  EXPECT_EQ(escape_for_query("\"q\"\r\n"), "%22q%22%0D%0A");
  EXPECT_EQ(escape_for_query("Müller"), "M%C3%BCller");
  EXPECT_EQ(escape_for_query("plain-name_1.exe"), "plain-name_1.exe");
  auto f = acme();
  f.company = "Evil&Type=1&Loc=xx";
  auto a = build_address("https://info.test", Form::Basic, f, "en");
  EXPECT_EQ(a.find("&Type="), a.rfind("&Type="));  // still exactly one Type field
}

TEST(LookupAddress, CutToLengthWithoutBreakingAnEscape) {
  auto f = acme();
  f.file_name = std::string(300, ' ');
  auto a = build_address("https://info.test", Form::Basic, f, "en");
  EXPECT_LE(a.size(), kMaxAddress);
  EXPECT_TRUE(a.ends_with("%20")) << a.substr(a.size() - 6);
  f.file_name = std::string(300, 'x');
  EXPECT_EQ(build_address("https://info.test", Form::Basic, f, "en").size(), kMaxAddress);
}

TEST(LookupServer, OnlyWebAddressesAreUsedAsBase) {
  EXPECT_EQ(server_base("http://mirror.example.org/"), "http://mirror.example.org");
  EXPECT_EQ(server_base("HTTPS://Mirror.example.org"), "HTTPS://Mirror.example.org");
  EXPECT_EQ(server_base(""), kDefaultServer);
  EXPECT_EQ(server_base("C:\\Windows\\notepad.exe"), kDefaultServer);
  EXPECT_EQ(server_base("file:///c:/x"), kDefaultServer);
  EXPECT_EQ(server_base("http://"), kDefaultServer);
  EXPECT_EQ(server_base("http://a b\" & calc"), kDefaultServer);
  EXPECT_EQ(build_text("1.0", false, "2.0"), "1.0");
  EXPECT_EQ(build_text("1.0", true, "2.0"), "1.0:2.0");
}

TEST(InfoServerHelpPage, LanguagePrefixAndTranslatedNamesThatAreNoFileName) {
  EXPECT_EQ(localised_help_page("helpme.html", "us"), "helpme.html");
  EXPECT_EQ(localised_help_page("startup.html", "de"), "de_startup.html");
  EXPECT_EQ(checked_help_page("de_helpme.html"), "de_helpme.html");
  EXPECT_EQ(checked_help_page("pt-br_helpme.html"), "pt-br_helpme.html");
  // A translation of the language code that climbs out of the program folder, adds a query or
  // another address, or is not a file name at all.
  for (const char* hostile : {"..\\..\\windows\\notepad.exe_helpme.html", "../x_helpme.html", "a?b=1_helpme.html",
                              "x#frag_helpme.html", "C:_helpme.html", "http://evil/_helpme.html", "",
                              ".hidden_helpme.html", "a b_helpme.html", "\xc3\xa9_helpme.html"})
    EXPECT_EQ(checked_help_page(hostile), "helpme.html") << hostile;
  EXPECT_EQ(checked_help_page(std::string(kMaxHelpPageName, 'a')), std::string(kMaxHelpPageName, 'a'));
  EXPECT_EQ(checked_help_page(std::string(kMaxHelpPageName + 1, 'a')), "helpme.html");
}

TEST(InfoServerHelpPage, AddressAndTheAolRule) {
  EXPECT_EQ(help_page_address("http://mirror.test//", "fr_helpme.html"), "http://mirror.test/fr_helpme.html");
  EXPECT_TRUE(is_aol_browser("\"C:\\Program Files\\AOL\\WAOL.EXE\" -u \"%1\""));
  EXPECT_FALSE(is_aol_browser("\"C:\\windows\\system32\\winebrowser.exe\" \"%1\""));
  EXPECT_EQ(aol_command("C:\\AOL 9", "https://x.test/helpme.html"), "\"C:\\AOL 9\\WAOL.EXE\" -u \"https://x.test/helpme.html\"");
  EXPECT_EQ(aol_command("", "https://x.test/helpme.html"), "waol.exe -u \"https://x.test/helpme.html\"");
}

}  // namespace
}  // namespace kestrom::info_server
