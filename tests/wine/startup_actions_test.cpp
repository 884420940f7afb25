// Disable, enable, remove and restore round trips against the real registry, win.ini and
// folders of the prefix.
#include <gtest/gtest.h>

#include "common/history_log.hpp"
#include "common/product.hpp"
#include "common/registry.hpp"
#include "common/text.hpp"
#include "startup/actions.hpp"
#include "startup/snapshot.hpp"
#include "tools/denied_key.hpp"
#include "tests/wine/startup_test_support.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kDisabledRun = std::string(kDisabledStoreKey) + "\\Run";
const std::string kDisabledLoad = std::string(kDisabledStoreKey) + "\\WinLoad";

class StartupActions : public ::testing::Test {
 protected:
  void SetUp() override {
    clean_startup_state();
    DeleteFileA(history_file_path().c_str());
  }
  void TearDown() override {
    clean_startup_state();
    DeleteFileA(history_file_path().c_str());
  }
  std::vector<HistoryRecord> history() { return read_history(history_file_path()); }
  ComScope com;
  ItemList list;
  const std::string agent = fixture("kt_agent.exe");
};

}  // namespace

TEST_F(StartupActions, UserRunEntryDisableEnableRemoveRestore) {
  const std::string cmd = agent + " /tray";
  set_value(HKEY_CURRENT_USER, kRun, "kt_user", cmd);

  EXPECT_EQ(disable_run_value("kt_user", 11), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "kt_user"), "<missing>");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledRun, "kt_user"), cmd);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_user"), "11");
  list_all(list);
  ASSERT_NE(find_title(list, "kt_user"), nullptr);
  EXPECT_EQ(find_title(list, "kt_user")->code, 11);

  EXPECT_EQ(enable_run_value("kt_user", 11), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "kt_user"), cmd);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledRun, "kt_user"), "<missing>");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_user"), "<missing>");
  EXPECT_TRUE(history().empty());  // toggling writes no record

  snapshot_write(snapshot_key(cmd), 11);
  snapshot_write("kt_user", 11);
  EXPECT_EQ(remove_startup_entry(cmd, "kt_user", "", 11, {}), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "kt_user"), "<missing>");
  EXPECT_EQ(snapshot_lookup(cmd, "kt_user"), -1);
  auto recs = history();
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(recs[0].action, action::kStartRemove);
  EXPECT_EQ(recs[0].code, 11);
  EXPECT_EQ(recs[0].title, "kt_user");
  EXPECT_EQ(recs[0].path, cmd);

  EXPECT_EQ(restore_startup_entry("", 11, "kt_user", cmd), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "kt_user"), cmd);
  EXPECT_EQ(snapshot_lookup(cmd, "kt_user"), 11);
}

// A place that cannot take the entry (a store the user may not write to) must not cost the
// entry: a volatile parent key refuses lasting subkeys, which stands in for a denied write.
namespace {
struct VolatileKey {
  VolatileKey(HKEY r, std::string k) : root(r), key(std::move(k)) {
    // Missing parents would be created volatile too and then refuse every lasting key that
    // later tests create below them: make them lasting first.
    HKEY h = nullptr;
    const std::string parent = key.substr(0, key.find_last_of('\\'));
    if (RegCreateKeyExA(root, parent.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &h,
                        nullptr) == ERROR_SUCCESS)
      RegCloseKey(h);
    h = nullptr;
    created = RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &h,
                              nullptr) == ERROR_SUCCESS;
    if (h) RegCloseKey(h);
  }
  ~VolatileKey() { delete_tree(root, key); }
  HKEY root;
  std::string key;
  bool created = false;
};
}  // namespace

TEST_F(StartupActions, DisableAndEnableNeverLoseTheEntryWhenItsNewPlaceRefusesIt) {
  const std::string cmd = agent + " /tray";
  {
    VolatileKey store(HKEY_LOCAL_MACHINE, kDisabledStoreKey);
    ASSERT_TRUE(store.created);
    set_value(HKEY_CURRENT_USER, kRun, "kt_keep", cmd);
    EXPECT_EQ(disable_run_value("kt_keep", 11), ActionResult::Refused);
    EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "kt_keep"), cmd);
    EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_keep"), "<missing>");

    set_winini("load", "kt_a.exe;kt_b.exe");
    EXPECT_EQ(disable_winini_entry("kt_b", "kt_b.exe", 100), ActionResult::Refused);
    EXPECT_EQ(winini("load"), "kt_a.exe;kt_b.exe");
  }

  // Enabling into a Run key that cannot be created keeps the saved copy and the marker.
  const std::string policies = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
  if (get_value(HKEY_CURRENT_USER, policies, "") != "<missing>" || !reg::subkey_names(HKEY_CURRENT_USER, policies).empty())
    GTEST_SKIP() << "the prefix keeps its own user policies";
  delete_tree(HKEY_CURRENT_USER, policies);
  VolatileKey parent(HKEY_CURRENT_USER, policies);
  ASSERT_TRUE(parent.created);
  set_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_policy", "17");
  set_value(HKEY_LOCAL_MACHINE, std::string(kDisabledStoreKey) + "\\Policy", "kt_policy", cmd);
  EXPECT_EQ(enable_run_value("kt_policy", 17), ActionResult::Refused);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_policy"), "17");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, std::string(kDisabledStoreKey) + "\\Policy", "kt_policy"), cmd);
}

TEST_F(StartupActions, MachineRunEntryRoundTripAndRemovingWhileDisabled) {
  set_value(HKEY_LOCAL_MACHINE, kRun, "kt_machine", agent);
  EXPECT_EQ(disable_run_value("kt_machine", 1), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kRun, "kt_machine"), "<missing>");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_machine"), "1");
  // Removing a disabled entry deletes its saved copy and marker; the Run key stays untouched.
  EXPECT_EQ(remove_startup_entry(agent, "kt_machine", "", 1, {}), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledRun, "kt_machine"), "<missing>");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_machine"), "<missing>");
  list_all(list);
  EXPECT_EQ(find_title(list, "kt_machine"), nullptr);
  EXPECT_EQ(restore_startup_entry("", 1, "kt_machine", agent), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kRun, "kt_machine"), agent);
}

TEST_F(StartupActions, SameNameFromMachineThenUserSharesOneSavedCopy) {
  set_value(HKEY_LOCAL_MACHINE, kRun, "kt_both", agent + " /m");
  set_value(HKEY_CURRENT_USER, kRun, "kt_both", agent + " /u");
  disable_run_value("kt_both", 1);
  enable_run_value("kt_both", 1);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kRun, "kt_both"), agent + " /m");
  disable_run_value("kt_both", 11);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_both"), "11");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledRun, "kt_both"), agent + " /u");
}

TEST_F(StartupActions, WinIniLoadEntryRoundTrip) {
  set_winini("load", "C:\\a.exe;" + agent + ";C:\\b.exe");
  EXPECT_EQ(disable_winini_entry("Agent Suite", agent, 100), ActionResult::Done);
  EXPECT_EQ(winini("load"), "C:\\a.exe;C:\\b.exe;");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledLoad, "Agent Suite"), agent);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "Agent Suite"), "100");
  list_all(list);
  ASSERT_NE(find_title(list, "Agent Suite"), nullptr);
  EXPECT_EQ(find_title(list, "Agent Suite")->code, 100);

  EXPECT_EQ(enable_winini_entry("Agent Suite", 100), ActionResult::Done);
  EXPECT_EQ(profile_list_pieces(winini("load")), (std::vector<std::string>{"C:\\a.exe", "C:\\b.exe", agent}));
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "Agent Suite"), "<missing>");

  EXPECT_EQ(remove_startup_entry(agent, "Agent Suite", "", 100, {}), ActionResult::Done);
  EXPECT_EQ(winini("load"), "C:\\a.exe;C:\\b.exe;");
  EXPECT_EQ(restore_startup_entry("", 100, "Agent Suite", agent), ActionResult::Done);
  EXPECT_EQ(profile_list_pieces(winini("load")).back(), agent);
}

TEST_F(StartupActions, RemovingADisabledWinIniRunEntryDeletesItsSavedCopy) {
  set_winini("run", agent);
  disable_winini_entry("kt_run", agent, 101);
  EXPECT_EQ(winini("run"), "");
  remove_startup_entry(agent, "kt_run", "", 101, {});
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, std::string(kDisabledStoreKey) + "\\WinRun", "kt_run"), "<missing>");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_run"), "<missing>");
}

TEST_F(StartupActions, CommonFolderShortcutIsParkedAndComesBackToTheUserFolder) {
  std::string common = startup_folder(HKEY_LOCAL_MACHINE, "Common Startup");
  std::string user = startup_folder(HKEY_CURRENT_USER, "Startup");
  ASSERT_NE(common, "<missing>");
  ASSERT_NE(user, "<missing>");
  CreateDirectoryA(common.c_str(), nullptr);
  CreateDirectoryA(user.c_str(), nullptr);
  std::string link = common + "\\Agent.lnk";
  ASSERT_TRUE(make_shortcut(link, agent, "Kt Agent Link"));

  EXPECT_EQ(disable_folder_entry("Kt Agent Link", link), ActionResult::Done);
  EXPECT_FALSE(exists(link));
  EXPECT_TRUE(exists(disabled_folder() + "\\Agent.lnk"));
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "Kt Agent Link"), "200");
  list_all(list);
  ASSERT_NE(find_title(list, "Kt Agent Link"), nullptr);
  EXPECT_TRUE(iequals(find_title(list, "Kt Agent Link")->command, disabled_folder() + "\\Agent.lnk"));

  EXPECT_EQ(enable_folder_entry("Kt Agent Link", disabled_folder() + "\\Agent.lnk"), ActionResult::Done);
  EXPECT_TRUE(exists(user + "\\Agent.lnk"));
  EXPECT_FALSE(exists(disabled_folder() + "\\Agent.lnk"));
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "Kt Agent Link"), "<missing>");

  EXPECT_EQ(remove_startup_entry(agent, "Kt Agent Link", user + "\\Agent.lnk", 200, {}), ActionResult::Done);
  EXPECT_FALSE(exists(user + "\\Agent.lnk"));
  EXPECT_TRUE(exists(agent));  // the program itself stays
}

TEST_F(StartupActions, RestoredShortcutPointsAtTheProgram) {
  std::string user = startup_folder(HKEY_CURRENT_USER, "Startup");
  CreateDirectoryA(user.c_str(), nullptr);
  std::string link = user + "\\Restored.lnk";
  EXPECT_EQ(restore_startup_entry(link, 200, "Restored", "\"" + agent + "\" /min"), ActionResult::Done);
  ASSERT_TRUE(exists(link));
  list_all(list);
  const StartupItem* item = nullptr;
  for (const auto& i : list.items())
    if (iequals(i.command, link)) item = &i;
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(iequals(item->file, agent)) << item->file;
  EXPECT_EQ(snapshot_lookup("\"" + agent + "\" /min", ""), 200);
}

TEST_F(StartupActions, AppInitListOfThreeLosesMiddleThenLast) {
  const std::string a = "C:\\kt\\a.dll", b = "C:\\kt\\b.dll", c = "C:\\kt\\c.dll";
  set_value(HKEY_LOCAL_MACHINE, kNtWindows, "AppInit_Dlls", a + "," + b + "," + c);
  int asked = 0;
  auto no = [&](std::string_view, std::string_view, int) {
    ++asked;
    return false;
  };
  auto yes = [&](std::string_view, std::string_view, int) {
    ++asked;
    return true;
  };
  EXPECT_EQ(remove_startup_entry(b, "B", "", 255, no), ActionResult::NotDone);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kNtWindows, "AppInit_Dlls"), a + "," + b + "," + c);
  EXPECT_TRUE(history().empty());

  EXPECT_EQ(remove_startup_entry(b, "B", "", 255, yes), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kNtWindows, "AppInit_Dlls"), a + "," + c);
  EXPECT_EQ(remove_startup_entry(c, "C", "", 255, yes), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kNtWindows, "AppInit_Dlls"), a);
  auto recs = history();
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[0].action, action::kStartRemove);
  EXPECT_EQ(recs[0].code, 255);

  EXPECT_EQ(restore_startup_entry("", 255, "B", fixture("kt_applet.dll")), ActionResult::Done);
  auto pieces = appinit_pieces(get_value(HKEY_LOCAL_MACHINE, kNtWindows, "AppInit_Dlls"));
  ASSERT_EQ(pieces.size(), 2u);
  // The DLL is added in its short form; it names the same file.
  char full[MAX_PATH] = {};
  GetLongPathNameA(pieces[1].c_str(), full, MAX_PATH);
  EXPECT_TRUE(iequals(full, fixture("kt_applet.dll"))) << pieces[1];
}

TEST_F(StartupActions, NotifyEntryToggledTwiceIsAsBefore) {
  const std::string key = std::string(kWinlogon) + "\\Notify\\kt_notify";
  const std::string dll = fixture("kt_applet.dll");
  set_value(HKEY_LOCAL_MACHINE, key, "DllName", dll);
  EXPECT_EQ(disable_notify_entry("kt_notify", dll), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, key, "DllName"), "");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, key, "OldName"), dll);
  EXPECT_EQ(snapshot_lookup(dll, ""), 256);
  list_all(list);
  EXPECT_EQ(find_title(list, "kt_notify"), nullptr);
  EXPECT_EQ(enable_notify_entry("kt_notify"), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, key, "DllName"), dll);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, key, "OldName"), "");
  // Disabling an entry that is already off keeps the name it had.
  notify_disable("kt_notify");
  notify_disable("kt_notify");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, key, "OldName"), dll);
}

TEST_F(StartupActions, ProtectedPlacesAskThenRemoveAndWinlogonResets) {
  set_value(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad", "kt_delay",
            "{00000000-0000-0000-0000-0000000000AA}");
  set_value(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks",
            "{00000000-0000-0000-0000-0000000000BB}", "kt_hook");
  remove_protected_entry("kt_delay", "x.dll", "{00000000-0000-0000-0000-0000000000AA}", 252, {});
  remove_protected_entry("kt_hook", "y.dll", "{00000000-0000-0000-0000-0000000000BB}", 254, {});
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad",
                      "kt_delay"),
            "<missing>");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks",
                      "{00000000-0000-0000-0000-0000000000BB}"),
            "<missing>");
  set_value(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", "Explorer.exe evil.exe");
  remove_startup_entry("evil.exe", "Winlogon Shell", "", 251, {});
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kWinlogon, "Shell"), "Explorer.exe");
  remove_startup_entry("x", "Winlogon Userinit", "", 250, {});
  EXPECT_TRUE(contains(get_value(HKEY_LOCAL_MACHINE, kWinlogon, "Userinit"), "\\Userinit.exe,"));
  auto recs = history();
  ASSERT_EQ(recs.size(), 4u);
  EXPECT_EQ(recs[0].action, action::kRemoveDelayLoad);
  EXPECT_EQ(recs[1].action, action::kRemoveTaskScheduler);
  EXPECT_EQ(recs[2].action, action::kResetShell);
  EXPECT_EQ(recs[3].action, action::kResetUserinit);
  EXPECT_EQ(snapshot_lookup("Explorer.exe", ""), 251);
}

TEST_F(StartupActions, UnhandledCodesChangeNothingButAreLoggedAndProductEntriesAreNot) {
  const std::string wow = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\Setup";
  set_value(HKEY_LOCAL_MACHINE, wow, "kt_setup", agent);
  snapshot_write(agent, 26);
  EXPECT_EQ(disable_run_value("kt_setup", 26), ActionResult::NotDone);
  EXPECT_EQ(remove_startup_entry(agent, "kt_setup", "", 26, {}), ActionResult::NotDone);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, wow, "kt_setup"), agent);
  EXPECT_EQ(snapshot_lookup(agent, "kt_setup"), -1);
  auto recs = history();
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(recs[0].code, 3000);  // TYPE_UNKNOWN

  set_value(HKEY_CURRENT_USER, kRun, "kt_self", "C:\\Program Files\\KESTROM\\kestrom.exe -expressboot");
  EXPECT_EQ(remove_startup_entry("C:\\Program Files\\KESTROM\\kestrom.exe -expressboot", "kt_self", "", 11, {}),
            ActionResult::Done);
  EXPECT_EQ(history().size(), 1u);
  delete_value(HKEY_LOCAL_MACHINE, wow, "kt_setup");
}

TEST_F(StartupActions, MonitorWithHideStartupRemovesSharedTaskSchedulerEntryWithoutAsking) {
  const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler";
  const std::string clsid = "{00000000-0000-0000-0000-0000000000CC}";
  set_value(HKEY_LOCAL_MACHINE, key, clsid, "kt_sched");
  snapshot_write("C:\\kt\\sched.dll", 253);
  EXPECT_EQ(remove_startup_entry("C:\\kt\\sched.dll", "kt_sched", clsid, 253, monitor_confirmation(1)),
            ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, key, clsid), "<missing>");
  EXPECT_EQ(snapshot_lookup("C:\\kt\\sched.dll", ""), -1);
  auto recs = history();
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(recs[0].action, action::kRemoveTaskScheduler);
  EXPECT_EQ(recs[0].third, clsid);
  // The explorer's way back: the class identifier named by the title again.
  EXPECT_EQ(restore_startup_entry(clsid, 253, "kt_sched", "C:\\kt\\sched.dll"), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, key, clsid), "kt_sched");
  EXPECT_EQ(snapshot_lookup("C:\\kt\\sched.dll", ""), 253);
}

namespace {

// The explorer that a refused HKLM removal opens (when it lies beside the program), closed
// again once it is up.
bool explorer_opened_and_closed() {
  if (!exists(test_program_folder() + "\\KestromEx.exe")) return true;
  HWND window = nullptr;
  for (int i = 0; i < 600 && !(window = FindWindowA("KestromEx", nullptr)); ++i) Sleep(50);
  if (!window) return false;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  PostMessageA(window, WM_COMMAND, 6030, 0);
  const bool ended = process && WaitForSingleObject(process, 30000) == WAIT_OBJECT_0;
  if (process) CloseHandle(process);
  return ended;
}

}  // namespace

TEST_F(StartupActions, StandardUserDisableAndEnableAreRefusedWholeAndLoseNothing) {
  const std::string cmd = agent + " /tray";
  set_value(HKEY_CURRENT_USER, kRun, "kt_user", cmd);
  // The saved copies' key exists and takes the copy; the marker beside it is refused.
  set_value(HKEY_LOCAL_MACHINE, kDisabledRun, "kt_other", "x");
  set_winini("load", "kt_a.exe;kt_b.exe");
  {
    DeniedKey store(HKEY_LOCAL_MACHINE, kDisabledStoreKey);
    ASSERT_TRUE(store.denied);
    EXPECT_EQ(disable_run_value("kt_user", 11), ActionResult::Refused);
    EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "kt_user"), cmd);
    EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledRun, "kt_user"), "<missing>") << "the copy was not taken back";
    EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_user"), "<missing>");
    EXPECT_EQ(disable_winini_entry("kt_b", "kt_b.exe", 100), ActionResult::Refused);
    EXPECT_EQ(winini("load"), "kt_a.exe;kt_b.exe");
  }
  // A disabled entry whose marker may not be deleted stays disabled, with its saved copy.
  set_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_off", "11");
  set_value(HKEY_LOCAL_MACHINE, kDisabledRun, "kt_off", cmd);
  {
    DeniedKey store(HKEY_LOCAL_MACHINE, kDisabledStoreKey);
    ASSERT_TRUE(store.denied);
    EXPECT_EQ(enable_run_value("kt_off", 11), ActionResult::Refused);
    EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "kt_off"), "<missing>") << "the value written first stayed";
    EXPECT_EQ(remove_startup_entry(cmd, "kt_off", "", 11, {}), ActionResult::Refused);
    EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_off"), "11");
    EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledRun, "kt_off"), cmd);
  }
  EXPECT_TRUE(history().empty());
}

TEST_F(StartupActions, StandardUserRemovalUnderHklmIsNoRemovalAndTheEntryIsNotAskedAgain) {
  const std::string cmd = agent + " /m=1";
  const std::string key = snapshot_key(cmd);
  set_value(HKEY_LOCAL_MACHINE, kRun, "kt_machine", cmd);
  const std::string delay_load = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
  set_value(HKEY_LOCAL_MACHINE, delay_load, "kt_delay", "{00000000-0000-0000-0000-0000000000AA}");
  set_value(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", "Explorer.exe evil.exe");
  {
    DeniedKey run(HKEY_LOCAL_MACHINE, kRun);
    ASSERT_TRUE(run.denied);
    EXPECT_EQ(remove_startup_entry(key, "kt_machine", "", 1, {}), ActionResult::Refused);
    EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kRun, "kt_machine"), cmd);
    EXPECT_EQ(snapshot_lookup(key, "kt_machine"), 1) << "the accept value must stay";
    EXPECT_TRUE(explorer_opened_and_closed());
    // The monitor's start-with-Windows entry cannot be written either; nothing claims it was.
    EXPECT_FALSE(set_always_run(true, InitHooks{}));
    EXPECT_FALSE(always_run_state());
    EXPECT_EQ(get_value(HKEY_CURRENT_USER, kSnapshotKey, snapshot_key(always_run_command())), "<missing>");
  }
  {
    DeniedKey place(HKEY_LOCAL_MACHINE, delay_load);
    DeniedKey winlogon(HKEY_LOCAL_MACHINE, kWinlogon);
    ASSERT_TRUE(place.denied && winlogon.denied);
    EXPECT_EQ(remove_protected_entry("kt_delay", "x.dll", "{00000000-0000-0000-0000-0000000000AA}", 252, {}),
              ActionResult::Refused);
    EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, delay_load, "kt_delay"), "{00000000-0000-0000-0000-0000000000AA}");
    EXPECT_EQ(remove_startup_entry("evil.exe", "Winlogon Shell", "", 251, {}), ActionResult::Refused);
    EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kWinlogon, "Shell"), "Explorer.exe evil.exe");
  }
  EXPECT_TRUE(history().empty()) << "a refused removal is recorded as none";
}

// The shortcut is the entry; the program it starts is never deleted, even when the shortcut
// is already gone or the entry names a file outside the startup folders.
TEST_F(StartupActions, RemovingAStartupFolderEntryNeverDeletesTheProgram) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "kt_program";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string program = folder + "\\kt agent copy.exe";
  ASSERT_TRUE(CopyFileA(agent.c_str(), program.c_str(), FALSE));
  std::string user = startup_folder(HKEY_CURRENT_USER, "Startup");
  CreateDirectoryA(user.c_str(), nullptr);
  const std::string link = user + "\\Agent Copy.lnk";
  ASSERT_TRUE(make_shortcut(link, program, "Kt Agent Copy"));
  DeleteFileA(link.c_str());

  EXPECT_EQ(remove_startup_entry(program, "Kt Agent Copy", link, 200, {}), ActionResult::NotDone);
  EXPECT_TRUE(exists(program));
  EXPECT_EQ(remove_startup_entry(program, "Kt Agent Copy", program, 200, {}), ActionResult::NotDone);
  EXPECT_TRUE(exists(program));
  DeleteFileA(program.c_str());
  RemoveDirectoryA(folder.c_str());
}


// Equal titles under HKLM and HKCU are two entries: disabling the user's one leaves the
// machine's one active and listed (the listing does not park it too), and while the user's
// command is parked the machine's entry cannot be parked over it.
TEST_F(StartupActions, EqualTitlesAtTwoPlacesStaySeparateEntries) {
  set_value(HKEY_LOCAL_MACHINE, kRun, "kt_twin", agent + " /m");
  set_value(HKEY_CURRENT_USER, kRun, "kt_twin", agent + " /u");
  ASSERT_EQ(disable_run_value("kt_twin", 11), ActionResult::Done);
  list_all(list);
  int machine_rows = 0, parked_rows = 0;
  for (const auto& i : list.items()) {
    if (i.title != "kt_twin") continue;
    if (i.code == 1 && i.file == agent + " /m") ++machine_rows;
    if (i.code == 11 && i.file == agent + " /u") ++parked_rows;
  }
  EXPECT_EQ(machine_rows, 1);
  EXPECT_EQ(parked_rows, 1);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kRun, "kt_twin"), agent + " /m");
  EXPECT_EQ(disable_run_value("kt_twin", 1), ActionResult::NotDone);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kRun, "kt_twin"), agent + " /m");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledRun, "kt_twin"), agent + " /u");
  ASSERT_EQ(enable_run_value("kt_twin", 11), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "kt_twin"), agent + " /u");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kRun, "kt_twin"), agent + " /m");
}
