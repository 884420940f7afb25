// Windows' own on/off state of startup entries (StartupApproved), written as Task Manager
// writes it, against the real registry: Kestrom sees an entry switched off there, and its
// Enable switches the entry on there as well.
#include <gtest/gtest.h>

#include "startup/actions.hpp"
#include "startup/approved.hpp"
#include "tools/denied_key.hpp"
#include "tests/wine/startup_test_support.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kApprovedRun = std::string(kStartupApprovedParent) + "Run";
const std::string kApprovedFolder = std::string(kStartupApprovedParent) + "StartupFolder";
// Switched off by Task Manager: state 3, then the time it was switched off.
const unsigned char kOff[12] = {3, 0, 0, 0, 0x30, 0x8f, 0x4b, 0x1c, 0x65, 0x2a, 0xda, 0x01};
const std::string kOn = approved_enabled_value();

std::string raw(HKEY root, const std::string& key, const char* name) {
  DWORD type = 0, size = 64;
  unsigned char buf[64];
  if (RegGetValueA(root, key.c_str(), name, RRF_RT_ANY, &type, buf, &size) != ERROR_SUCCESS) return "<missing>";
  return std::string(reinterpret_cast<const char*>(buf), size);
}

class StartupApprovedState : public ::testing::Test {
 protected:
  void SetUp() override { clean(); }
  void TearDown() override { clean(); }
  void clean() {
    clean_startup_state();
    const std::string approved(kStartupApprovedParent.substr(0, kStartupApprovedParent.size() - 1));
    delete_tree(HKEY_CURRENT_USER, approved);
    delete_tree(HKEY_LOCAL_MACHINE, approved);
  }
  const StartupItem* listed(const char* title) {
    list_all(list);
    return find_title(list, title);
  }
  ComScope com;
  ItemList list;
  const std::string agent = fixture("kt_agent.exe");
};

}  // namespace

TEST_F(StartupApprovedState, EntrySwitchedOffByWindowsIsSeenAndEnableSwitchesItOnThere) {
  set_value(HKEY_CURRENT_USER, kRun, "kt_user", agent);
  set_value(HKEY_LOCAL_MACHINE, kRun, "kt_machine", agent);
  ASSERT_TRUE(set_raw(HKEY_CURRENT_USER, kApprovedRun, "kt_user", REG_BINARY, kOff, sizeof kOff));
  // HKLM holds the same title switched on: only the user's entry is off.
  ASSERT_TRUE(set_raw(HKEY_LOCAL_MACHINE, kApprovedRun, "kt_machine", REG_BINARY, kOn.data(), 12));

  const StartupItem* user = listed("kt_user");
  ASSERT_NE(user, nullptr);
  EXPECT_TRUE(switched_off_by_windows(*user));
  const StartupItem* machine = listed("kt_machine");
  ASSERT_NE(machine, nullptr);
  EXPECT_FALSE(switched_off_by_windows(*machine));

  StartupItem u = *listed("kt_user");
  EXPECT_EQ(enable_startup_entry(u), ActionResult::Done);
  EXPECT_EQ(raw(HKEY_CURRENT_USER, kApprovedRun, "kt_user"), kOn);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "kt_user"), agent);  // the Run value itself untouched
  EXPECT_FALSE(switched_off_by_windows(*listed("kt_user")));
  // Nothing left to switch on: a second Enable does nothing.
  EXPECT_EQ(enable_startup_entry(*listed("kt_user")), ActionResult::NotDone);
}

TEST_F(StartupApprovedState, KestromsOwnEnableAlsoSwitchesTheEntryOnInWindows) {
  set_value(HKEY_CURRENT_USER, kRun, "kt_both", agent);
  ASSERT_TRUE(set_raw(HKEY_CURRENT_USER, kApprovedRun, "kt_both", REG_BINARY, kOff, sizeof kOff));
  ASSERT_EQ(disable_run_value("kt_both", code::kCurrentRun), ActionResult::Done);
  // Disabling leaves Windows' state as it is.
  EXPECT_EQ(raw(HKEY_CURRENT_USER, kApprovedRun, "kt_both"), std::string(reinterpret_cast<const char*>(kOff), 12));
  const StartupItem* item = listed("kt_both");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(enable_startup_entry(*item), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "kt_both"), agent);
  EXPECT_EQ(raw(HKEY_CURRENT_USER, kApprovedRun, "kt_both"), kOn);
}

TEST_F(StartupApprovedState, FolderFileSwitchedOffInTheUsersStartupFolderIsSeen) {
  const std::string folder = startup_folder(HKEY_CURRENT_USER, "Startup");
  ASSERT_NE(folder, "<missing>");
  CreateDirectoryA(folder.c_str(), nullptr);
  ASSERT_TRUE(create_shortcut(folder + "\\kt_link.lnk", agent));
  ASSERT_TRUE(set_raw(HKEY_CURRENT_USER, kApprovedFolder, "kt_link.lnk", REG_BINARY, kOff, sizeof kOff));
  list_all(list);
  const StartupItem* link = nullptr;
  for (const auto& i : list.items())
    if (i.code == code::kGroupStartup && i.command.find("kt_link.lnk") != std::string::npos) link = &i;
  ASSERT_NE(link, nullptr);
  EXPECT_TRUE(switched_off_by_windows(*link));
  EXPECT_EQ(enable_startup_entry(*link), ActionResult::Done);
  EXPECT_EQ(raw(HKEY_CURRENT_USER, kApprovedFolder, "kt_link.lnk"), kOn);
}

TEST_F(StartupApprovedState, RefusedSwitchOnInWindowsChangesNothing) {
  set_value(HKEY_LOCAL_MACHINE, kRun, "kt_machine", agent);
  ASSERT_TRUE(set_raw(HKEY_LOCAL_MACHINE, kApprovedRun, "kt_machine", REG_BINARY, kOff, sizeof kOff));
  ASSERT_EQ(disable_run_value("kt_machine", code::kMachineRun), ActionResult::Done);
  const StartupItem* item = listed("kt_machine");
  ASSERT_NE(item, nullptr);
  StartupItem copy = *item;
  {
    DeniedKey approved(HKEY_LOCAL_MACHINE, kApprovedRun);
    ASSERT_TRUE(approved.denied);
    EXPECT_EQ(enable_startup_entry(copy), ActionResult::Refused);
  }
  EXPECT_EQ(raw(HKEY_LOCAL_MACHINE, kApprovedRun, "kt_machine"), std::string(reinterpret_cast<const char*>(kOff), 12));
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kRun, "kt_machine"), "<missing>");  // still parked by Kestrom
  EXPECT_TRUE(has_disabled_marker("kt_machine"));
}
