// The Startup Snapshot and the change test against the real registry.
#include <gtest/gtest.h>

#include "startup/snapshot.hpp"
#include "tests/wine/startup_test_support.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class StartupSnapshot : public ::testing::Test {
 protected:
  void SetUp() override { clean_startup_state(); }
  void TearDown() override { clean_startup_state(); }
  bool changed() { return startup_changed(list, StartupScan{}, system_item_rules()); }
  ComScope com;
  ItemList list;
  const std::string agent = fixture("kt_agent.exe");
};

}  // namespace

TEST_F(StartupSnapshot, BuiltSnapshotAcceptsEverythingUntilSomethingNewAppears) {
  set_value(HKEY_CURRENT_USER, kRun, "kt_user", agent + " /eq=1 /b=2");
  build_startup_snapshot(list, StartupScan{}, system_item_rules());
  EXPECT_EQ(list.size(), 0u);
  // "=" cannot stand in the value name the way the command has it.
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kSnapshotKey, agent + " /eq:1 /b:2"), "11");
  EXPECT_FALSE(changed());
  EXPECT_GT(list.size(), 0u);  // the list stays filled for the startup check

  set_value(HKEY_CURRENT_USER, kRun, "kt_new", agent + " /new");
  EXPECT_TRUE(changed());
  snapshot_write(snapshot_key(agent + " /new"), 11);
  EXPECT_FALSE(changed());
}

TEST_F(StartupSnapshot, RemovedMarkerMakesTheEntryNewAgain) {
  set_value(HKEY_CURRENT_USER, kRun, "kt_delayed", agent + " /d");
  build_startup_snapshot(list, StartupScan{}, system_item_rules());
  EXPECT_TRUE(mark_removed(agent + " /d"));
  EXPECT_EQ(snapshot_lookup(agent + " /d", "kt_delayed"), 1103);
  EXPECT_TRUE(changed());
}

TEST_F(StartupSnapshot, StartUpHooksFillTheSnapshotAndRemoveTheProductsOwnEntries) {
  set_value(HKEY_LOCAL_MACHINE, kRun, "Kestrom VANT", "C:\\Program Files\\Kestrom\\kestrom.exe -old");
  set_value(HKEY_LOCAL_MACHINE, kRun, "kt_keep", agent);
  set_value(HKEY_CURRENT_USER, kRun, "Kestrom Explorer", "C:\\Program Files\\Kestrom\\KestromEx.exe");
  fill_startup_snapshot_hook(false);
  EXPECT_EQ(snapshot_lookup(agent, "kt_keep"), 1);

  EXPECT_TRUE(remove_titled_entry_hook("Kestrom VANT", 1, false));
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kRun, "Kestrom VANT"), "<missing>");
  EXPECT_FALSE(remove_titled_entry_hook("Kestrom VANT", 1, false));

  EXPECT_TRUE(remove_entries_containing_hook("KestromEx.exe", false));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "Kestrom Explorer"), "<missing>");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kRun, "kt_keep"), agent);
}

// Turning always-run off removes every entry that starts the monitor, shortcuts in the
// startup folders among them; the monitor's program file and other shortcuts stay.
TEST_F(StartupSnapshot, AlwaysRunOffAlsoRemovesStartupFolderShortcutsToTheMonitor) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "kt_monitor";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string monitor = folder + "\\Kestrom.exe";
  ASSERT_TRUE(CopyFileA(agent.c_str(), monitor.c_str(), FALSE));
  const std::string user = startup_folder(HKEY_CURRENT_USER, "Startup");
  const std::string common = startup_folder(HKEY_LOCAL_MACHINE, "Common Startup");
  CreateDirectoryA(user.c_str(), nullptr);
  CreateDirectoryA(common.c_str(), nullptr);
  ASSERT_TRUE(make_shortcut(user + "\\Kestrom.lnk", monitor, "Kestrom"));
  ASSERT_TRUE(make_shortcut(common + "\\Kestrom System Monitor.lnk", monitor, "Kestrom System Monitor"));
  ASSERT_TRUE(make_shortcut(user + "\\Agent.lnk", agent, "Kt Agent"));

  EXPECT_TRUE(remove_entries_containing_hook("Kestrom.exe", false));
  EXPECT_FALSE(exists(user + "\\Kestrom.lnk"));
  EXPECT_FALSE(exists(common + "\\Kestrom System Monitor.lnk"));
  EXPECT_TRUE(exists(user + "\\Agent.lnk"));
  EXPECT_TRUE(exists(monitor));
  DeleteFileA(monitor.c_str());
  RemoveDirectoryA(folder.c_str());
}
