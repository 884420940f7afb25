#include <gtest/gtest.h>

#include "monitor/help_page.hpp"

using namespace kestrom::monitor;

TEST(MonitorHelpPage, TranslatedNamesAreKeptWhenTheyNameAFileAndReplacedOtherwise) {
  EXPECT_EQ(checked_help_page("helpme.html"), "helpme.html");
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

TEST(MonitorHelpPage, AddressAndTheAolRule) {
  EXPECT_EQ(help_page_address("https://www.orvane.com", "helpme.html"), "https://www.orvane.com/helpme.html");
  EXPECT_EQ(help_page_address("http://mirror.test//", "fr_helpme.html"), "http://mirror.test/fr_helpme.html");

  EXPECT_TRUE(is_aol_browser("\"C:\\Program Files\\AOL\\WAOL.EXE\" -u \"%1\""));
  EXPECT_FALSE(is_aol_browser("\"C:\\windows\\system32\\winebrowser.exe\" \"%1\""));
  EXPECT_FALSE(is_aol_browser(""));
  EXPECT_EQ(aol_command("C:\\AOL", "https://x.test/helpme.html"), "C:\\AOL\\WAOL.EXE -u \"https://x.test/helpme.html\"");
  EXPECT_EQ(aol_command("", "https://x.test/helpme.html"), "waol.exe -u \"https://x.test/helpme.html\"");
}
