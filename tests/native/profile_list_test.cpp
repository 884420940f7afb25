#include "common/profile_list.hpp"

#include <gtest/gtest.h>

using namespace kestrom;

TEST(ProfileList, AppendAddsSemicolonAndEntry) {
  EXPECT_EQ(profile_list_append("", "a.exe"), ";a.exe");
  EXPECT_EQ(profile_list_append("x.exe", "a.exe"), "x.exe;a.exe");
}

TEST(ProfileList, RemoveDropsEveryEqualEntryIgnoringCase) {
  EXPECT_EQ(profile_list_remove("a.exe;B.EXE;c.exe", "b.exe"), "a.exe;c.exe;");
  EXPECT_EQ(profile_list_remove(";b.exe;a.exe;;B.exe", "b.exe"), "a.exe;");
  EXPECT_EQ(profile_list_remove("b.exe", "b.exe"), "");
  EXPECT_EQ(profile_list_remove("ab.exe;b.exe2", "b.exe"), "ab.exe;b.exe2;");
  EXPECT_EQ(profile_list_remove("", "b.exe"), "");
}

TEST(ProfileList, HasComparesWholeEntries) {
  EXPECT_TRUE(profile_list_has("a;B", "b"));
  EXPECT_FALSE(profile_list_has("ab;c", "b"));
  EXPECT_FALSE(profile_list_has("", ""));
}
