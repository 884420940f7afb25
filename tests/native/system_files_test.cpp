#include <gtest/gtest.h>

#include "categories/system_files.hpp"

using namespace kestrom;

TEST(SystemFiles, InitialSetAndTheHostsPath) {
  auto set = initial_system_files("C:\\windows");
  ASSERT_EQ(set.size(), 3u);
  EXPECT_EQ(set[0].name, "HOSTS");
  EXPECT_EQ(set[0].location, "C:\\windows\\system32\\drivers\\etc\\hosts");
  EXPECT_EQ(set[1].location, "C:\\autoexec.bat");
  EXPECT_EQ(set[2].name, "Config.sys");
  EXPECT_EQ(hosts_path("D:\\WinNT\\"), "D:\\WinNT\\system32\\drivers\\etc\\hosts");
}

TEST(SystemFiles, ADateChangeCountsOnlyWithASizeChangeOrANonZeroType) {
  RecordedFacts r{"120", "1/2/2026 10:00:00 AM", 0};
  EXPECT_FALSE(check_system_file_facts(r, "120", "1/2/2026 10:00:00 AM").changed);
  EXPECT_FALSE(check_system_file_facts(r, "120", "1/3/2026 10:00:00 AM").changed);  // date alone
  EXPECT_FALSE(check_system_file_facts(r, "99", "1/2/2026 10:00:00 AM").changed);   // size alone
  EXPECT_TRUE(check_system_file_facts(r, "99", "1/3/2026 10:00:00 AM").changed);
  r.type = 1;
  EXPECT_TRUE(check_system_file_facts(r, "120", "1/3/2026 10:00:00 AM").changed);
}

TEST(SystemFiles, OnlyAReallyMissingSizeOrDateIsRefreshed) {
  // An empty file's recorded size "0" is kept, so writing into it is a change.
  RecordedFacts empty_file{"0", "1/2/2026 10:00:00 AM", 0};
  auto c = check_system_file_facts(empty_file, "31", "1/3/2026 10:00:00 AM");
  EXPECT_FALSE(c.write_size);
  EXPECT_TRUE(c.changed);

  RecordedFacts no_size{std::nullopt, "1/2/2026 10:00:00 AM", 0};
  c = check_system_file_facts(no_size, "31", "1/3/2026 10:00:00 AM");
  EXPECT_TRUE(c.write_size);
  EXPECT_FALSE(c.changed);  // compared with the size just recorded

  RecordedFacts no_date{"31", std::nullopt, 1};
  c = check_system_file_facts(no_date, "40", "1/3/2026 10:00:00 AM");
  EXPECT_TRUE(c.write_date);
  EXPECT_FALSE(c.changed);
}
