
#include <gtest/gtest.h>

#include "common/item_list.hpp"
#include "startup/places.hpp"

using namespace kestrom;

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
  list.add("t", "C:\\abcd", "C:\\cmd", "", 1, 0, rules);
  EXPECT_EQ(list[1].file, "LONGC:\\abcd");
  EXPECT_EQ(list[1].command, "LONGC:\\cmd");
  // Texts naming no folder (a class identifier, a bare program with arguments) are not asked.
  calls = 0;
  list.add("t", "notepad.exe /p", "{0A1B2C3D-0000-4000-8000-000000000001}", "", 900, 0, rules);
  EXPECT_EQ(list[2].file, "notepad.exe /p");
  EXPECT_EQ(list[2].command, "{0A1B2C3D-0000-4000-8000-000000000001}");
  list.add("t", "\\\\server\\share\\a.exe", "D:x", "", 1, 0, rules);
  EXPECT_EQ(calls, 2);
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
