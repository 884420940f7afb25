
#include <gtest/gtest.h>

#include "common/item_list.hpp"
#include "startup/places.hpp"

using namespace kestrom;

TEST(LocationTable, NamesTagsAndUnknownCodes) {
  EXPECT_EQ(location_name(1), "MACHINE_RUN");
  EXPECT_EQ(location_name(25), "WOW64_RUNSERVICESONCE");
  EXPECT_EQ(location_name(7), "MACHINE_RUNPOLICY");
  EXPECT_EQ(location_name(256), "RUN_WINLOGONNOTIFY");
  for (int c : {16, 17, 26, 27, 0, -1, 999}) EXPECT_EQ(location_name(c), "TYPE_UNKNOWN") << c;
  EXPECT_EQ(short_tag(17), "HKCU_POLICY");
  EXPECT_EQ(short_tag(26), "x64_RUNONCESETUP");
  EXPECT_EQ(short_tag(101), "WIN.INI_RUN");
  EXPECT_EQ(short_tag(256), "NOTIFY");
  EXPECT_EQ(short_tag(31), "");
  EXPECT_EQ(short_tag(600), "");
  EXPECT_EQ(location_code_from_name("winlogon_shell"), 251);
  EXPECT_EQ(location_code_from_name("no_such"), std::nullopt);
}

TEST(LocationTable, TypeTextsAndLocationTexts) {
  for (int c : {2, 3, 5, 6, 12, 13, 15, 16, 22, 23, 25, 26}) EXPECT_EQ(startup_type_text_number(c), 766) << c;
  EXPECT_EQ(startup_type_text_number(100), 767);
  EXPECT_EQ(startup_type_text_number(200), 768);
  EXPECT_EQ(startup_type_text_number(1), 765);
  EXPECT_EQ(startup_type_text_number(900), 765);
  EXPECT_EQ(location_text(11, false, "", ""), "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  EXPECT_EQ(location_text(23, false, "", ""), "HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx");
  EXPECT_EQ(location_text(255, false, "", ""),
            "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows  AppInit_DLLs");
  for (int c : {16, 17, 26, 27, 6, 7}) EXPECT_EQ(location_text(c, false, "", ""), "") << c;
  EXPECT_EQ(location_text(1, true, "   Disabled", ""),
            " *    Disabled * HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  EXPECT_EQ(location_text(900, true, "   Disabled", "IE BHO"), "IE BHO");
  EXPECT_EQ(location_text(700, true, "   Disabled", ""), "");
}

TEST(LocationTable, RunFamilyKeysRootsAndDisabledSubkeys) {
  EXPECT_EQ(run_family_key(1), "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  EXPECT_EQ(run_family_key(16), "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\Setup");
  EXPECT_EQ(run_family_key(27), "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\Run");
  EXPECT_EQ(run_family_key(8), "");
  EXPECT_EQ(run_family_root(14), RegRoot::CurrentUser);
  EXPECT_EQ(run_family_root(24), RegRoot::LocalMachine);
  EXPECT_EQ(disabled_subkey(21), "Run");
  EXPECT_EQ(disabled_subkey(16), "RunSetup");
  EXPECT_EQ(disabled_subkey(7), "Policy");
  EXPECT_EQ(disabled_subkey(26), "");
  EXPECT_EQ(disabled_subkey(101), "WinRun");
  EXPECT_EQ(disabled_subkey(200), "");
}

namespace {
ItemRules plain_rules() {
  ItemRules r;
  r.long_path = [](std::string_view s) { return std::string(s); };
  return r;
}
}  // namespace

TEST(ItemList, QuotesCutsAndTitlesFromFileNames) {
  ItemList list;
  auto rules = plain_rules();
  ASSERT_TRUE(list.add("", "\"C:\\Tools\\agent.exe\"", "", "", 11, 0, rules));
  EXPECT_EQ(list[0].file, "C:\\Tools\\agent.exe");
  EXPECT_EQ(list[0].title, "agent");
  ASSERT_TRUE(list.add(std::string(300, 't'), std::string(600, 'f'), std::string(400, 'c'), std::string(2000, 'd'), 1,
                       0, rules));
  EXPECT_EQ(list[1].title.size(), kMaxTitle);
  EXPECT_EQ(list[1].file.size(), kMaxFileText);
  EXPECT_EQ(list[1].command.size(), kMaxFileText);
  EXPECT_EQ(list[1].detail.size(), kMaxDetail);
  EXPECT_EQ(list[99].title, "");
  EXPECT_EQ(list[99].code, 0);
}

TEST(ItemList, ProductNameInAnyCaseBecomesDisplayName) {
  ItemList list;
  auto rules = plain_rules();
  rules.display_name = "Kestrom Display";
  list.add("my KESTROM helper", "C:\\x.exe", "", "", 1, 0, rules);
  list.add("kEsTrOm", "C:\\y.exe", "", "", 1, 0, rules);
  list.add("Kestro", "C:\\z.exe", "", "", 1, 0, rules);
  EXPECT_EQ(list[0].title, "Kestrom Display");
  EXPECT_EQ(list[1].title, "Kestrom Display");
  EXPECT_EQ(list[2].title, "Kestro");
}

TEST(ItemList, ShortFilesSkipLongPathAndListStopsAt4096) {
  ItemList list;
  ItemRules rules;
  int calls = 0;
  rules.long_path = [&](std::string_view s) {
    ++calls;
    return "LONG" + std::string(s);
  };
  list.add("t", "a\"b\"", "cmd", "", 1, 0, rules);
  EXPECT_EQ(list[0].file, "ab");
  EXPECT_EQ(list[0].command, "cmd");
  EXPECT_EQ(calls, 0);
  list.add("t", "abcd", "cmd", "", 1, 0, rules);
  EXPECT_EQ(list[1].file, "LONGabcd");
  EXPECT_EQ(list[1].command, "LONGcmd");
  list.clear();
  for (std::size_t i = 0; i < kMaxItems; ++i) ASSERT_TRUE(list.add("t", "f", "", "", 1, 0, rules));
  EXPECT_TRUE(list.full());
  EXPECT_FALSE(list.add("t", "f", "", "", 1, 0, rules));
  EXPECT_EQ(list.size(), kMaxItems);
}

TEST(ItemList, CookieItemsStopAtTheCookieLimit) {
  ItemList list;
  auto rules = plain_rules();
  rules.cookie_limit = 2;
  EXPECT_TRUE(list.add("a", "cookie1", "", "", 500, 0, rules));
  EXPECT_TRUE(list.add("b", "cookie2", "", "", 500, 0, rules));
  EXPECT_FALSE(list.add("c", "cookie3", "", "", 500, 0, rules));
  EXPECT_TRUE(list.add("d", "C:\\a.exe", "", "", 1, 0, rules));
}
