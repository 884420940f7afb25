#include "startup/approved.hpp"

#include <gtest/gtest.h>

#include "common/locations.hpp"

using namespace kestrom;

namespace {
std::string bytes(std::initializer_list<unsigned char> b) { return std::string(b.begin(), b.end()); }
}  // namespace

TEST(StartupApproved, EvenFirstByteOrNoValueIsEnabledOddIsSwitchedOff) {
  // As Task Manager writes them: the state byte, three zeros, then the switch-off FILETIME.
  const std::string on = bytes({2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  const std::string on6 = bytes({6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  const std::string off = bytes({3, 0, 0, 0, 0x30, 0x8f, 0x4b, 0x1c, 0x65, 0x2a, 0xda, 0x01});
  const std::string off7 = bytes({7, 0, 0, 0, 0x30, 0x8f, 0x4b, 0x1c, 0x65, 0x2a, 0xda, 0x01});
  const std::string off_high = bytes({0xff});
  EXPECT_FALSE(approved_switched_off(std::nullopt));
  EXPECT_FALSE(approved_switched_off(std::string()));
  EXPECT_FALSE(approved_switched_off(on));
  EXPECT_FALSE(approved_switched_off(on6));
  EXPECT_TRUE(approved_switched_off(off));
  EXPECT_TRUE(approved_switched_off(off7));
  EXPECT_TRUE(approved_switched_off(off_high));
  EXPECT_EQ(approved_enabled_value(), on);
  EXPECT_FALSE(approved_switched_off(approved_enabled_value()));
}

TEST(StartupApproved, OnlyTheRunKeysAndFolderFilesHaveAWindowsState) {
  auto user_run = approved_place(code::kCurrentRun, "Agent", "", false);
  ASSERT_TRUE(user_run);
  EXPECT_EQ(user_run->root, RegRoot::CurrentUser);
  EXPECT_EQ(user_run->key, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run");
  EXPECT_EQ(user_run->name, "Agent");
  auto machine_run = approved_place(code::kMachineRun, "Agent", "", false);
  ASSERT_TRUE(machine_run);
  EXPECT_EQ(machine_run->root, RegRoot::LocalMachine);
  EXPECT_EQ(machine_run->key, user_run->key);
  auto run32 = approved_place(code::kWow64Run, "Agent", "", false);
  ASSERT_TRUE(run32);
  EXPECT_EQ(run32->root, RegRoot::LocalMachine);
  EXPECT_EQ(run32->key.substr(run32->key.size() - 6), "\\Run32");
  // A folder file is named by its file name, in the hive of the folder it lies in.
  auto user_link = approved_place(code::kGroupStartup, "Agent", "C:\\Users\\u\\Startup\\Agent.lnk", false);
  ASSERT_TRUE(user_link);
  EXPECT_EQ(user_link->root, RegRoot::CurrentUser);
  EXPECT_EQ(user_link->name, "Agent.lnk");
  EXPECT_EQ(user_link->key.substr(user_link->key.size() - 14), "\\StartupFolder");
  auto common_link = approved_place(code::kGroupStartup, "Agent", "C:\\All\\Startup\\Agent.lnk", true);
  ASSERT_TRUE(common_link);
  EXPECT_EQ(common_link->root, RegRoot::LocalMachine);
  for (int other : {code::kMachineRun + 1, code::kCurrentRun + 1, code::kWinLoad, code::kWinlogonShell,
                    code::kAppInitDlls})
    EXPECT_FALSE(approved_place(other, "Agent", "", false)) << other;
  EXPECT_FALSE(approved_place(code::kGroupStartup, "Agent", "", false));
}
