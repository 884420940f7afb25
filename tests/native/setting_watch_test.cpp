#include <gtest/gtest.h>

#include "categories/setting_watch.hpp"

using namespace kestrom;

TEST(SettingWatch, PagesDifferingOnlyByATrailingSlashOrCaseMatch) {
  EXPECT_TRUE(pages_match("http://Example.com/", "http://example.COM"));
  EXPECT_TRUE(pages_match("http://example.com", "http://example.com/"));
  EXPECT_FALSE(pages_match("http://example.com//", "http://example.com"));  // only one slash goes
  EXPECT_FALSE(pages_match("http://example.org", "http://example.com"));
  EXPECT_TRUE(pages_match("", "/"));
}

TEST(SettingWatch, AMissingCopyIsTakenButAnEmptyOneIsACopy) {
  EXPECT_EQ(page_watch(std::string("http://a"), std::nullopt), WatchStep::TakeCopy);
  // An accepted empty page: the same empty page is no change, a hijacked one is asked about.
  EXPECT_EQ(page_watch(std::string(""), std::string("")), WatchStep::Same);
  EXPECT_EQ(page_watch(std::string("http://hijack"), std::string("")), WatchStep::Ask);
  // A removed live value counts as empty.
  EXPECT_EQ(page_watch(std::nullopt, std::string("http://a")), WatchStep::Ask);
  EXPECT_EQ(page_watch(std::nullopt, std::string("")), WatchStep::Same);
}

TEST(SettingWatch, UpdateLevelCopyAndTexts) {
  auto s = update_level_watch(0, 3);
  EXPECT_EQ(s.step, WatchStep::TakeCopy);
  EXPECT_FALSE(s.watch_prefix);
  s = update_level_watch(7, 0);
  EXPECT_EQ(s.step, WatchStep::Same);
  EXPECT_FALSE(s.watch_prefix);
  s = update_level_watch(4, 4);
  EXPECT_EQ(s.step, WatchStep::Same);
  EXPECT_TRUE(s.watch_prefix);
  s = update_level_watch(4, 1);
  EXPECT_EQ(s.step, WatchStep::Ask);
  EXPECT_EQ(update_level_watch(2, 0).step, WatchStep::Ask);  // a removed level is a change to 0

  EXPECT_EQ(update_level_text(1, 999), 1051);
  EXPECT_EQ(update_level_text(4, 999), 1054);
  for (int level : {0, 5, -1, 1000}) EXPECT_EQ(update_level_text(level, 999), 999) << level;
}

TEST(SettingWatch, PrefixAndMessages) {
  EXPECT_FALSE(prefix_changed("http://", "HTTP://"));
  EXPECT_TRUE(prefix_changed("http://", "http://evil.example/?q="));
  // Long values are kept whole, and a "%s" or "%n" inside a value is only text.
  const std::string long_page(512, 'x');
  const std::string m = fill_two("new %s old %s %d", long_page + "%s%n", "b");
  EXPECT_EQ(m, "new " + long_page + "%s%n old b %d");
}
