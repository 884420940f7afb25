// Every enumeration source against the real registry, win.ini and folders of the prefix.
#include <gtest/gtest.h>

#include "common/paths.hpp"
#include "common/text.hpp"
#include "startup/actions.hpp"
#include "startup/enumerate.hpp"
#include "tests/wine/startup_test_support.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

class StartupEnum : public ::testing::Test {
 protected:
  void SetUp() override { clean_startup_state(); }
  void TearDown() override { clean_startup_state(); }
  ComScope com;
  ItemList list;
  const std::string agent = fixture("kt_agent.exe");
};

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kPolicyRun = "Software\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\Run";

}  // namespace

TEST_F(StartupEnum, RunFamilyGivesCodesAndUnquotedCommands) {
  set_value(HKEY_LOCAL_MACHINE, kRun, "kt_machine", "\"" + agent + "\" /min");
  set_value(HKEY_CURRENT_USER, kRun, "kt_user", agent);
  set_value(HKEY_CURRENT_USER, kRunOnce, "kt_once", agent + " /once");
  set_value(HKEY_LOCAL_MACHINE, kPolicyRun, "kt_policy", agent);
  list_all(list);
  const auto* m = find_title(list, "kt_machine");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->code, 1);
  EXPECT_EQ(m->file, agent + " /min");
  EXPECT_EQ(m->command, "");
  EXPECT_EQ(m->value, 0);
  ASSERT_NE(find_title(list, "kt_user"), nullptr);
  EXPECT_EQ(find_title(list, "kt_user")->code, 11);
  EXPECT_EQ(find_title(list, "kt_user")->file, agent);
  ASSERT_NE(find_title(list, "kt_once"), nullptr);
  EXPECT_EQ(find_title(list, "kt_once")->code, 12);
  ASSERT_NE(find_title(list, "kt_policy"), nullptr);
  EXPECT_EQ(find_title(list, "kt_policy")->code, 7);
  // Machine entries come before user entries.
  EXPECT_LT(m, find_title(list, "kt_user"));
}

TEST_F(StartupEnum, SamePairAsLastMachineAndFirstUserValueIsListedOnce) {
  without_prefix_run_services();
  set_value(HKEY_LOCAL_MACHINE, kRun, "kt_dup", agent);
  set_value(HKEY_CURRENT_USER, kRun, "KT_DUP", agent);
  list_all(list);
  EXPECT_EQ(count_title(list, "kt_dup") + count_title(list, "KT_DUP"), 1);
  // Another value in between breaks the pair: both are listed.
  set_value(HKEY_LOCAL_MACHINE, kRunOnce, "kt_between", agent + " /x");
  list_all(list);
  EXPECT_EQ(count_title(list, "kt_dup") + count_title(list, "KT_DUP"), 2);
}

TEST_F(StartupEnum, OneCharacterNamesAndFourCharacterCommandsAreNotListed) {
  set_value(HKEY_CURRENT_USER, kRun, "x", agent);
  set_value(HKEY_CURRENT_USER, kRun, "kt_four", "a.ex");
  set_value(HKEY_CURRENT_USER, kRun, "kt_five", "a.exe");
  set_value(HKEY_CURRENT_USER, kRun, "ab", agent);
  list_all(list);
  EXPECT_EQ(find_title(list, "x"), nullptr);
  EXPECT_EQ(find_title(list, "kt_four"), nullptr);
  EXPECT_NE(find_title(list, "kt_five"), nullptr);
  EXPECT_NE(find_title(list, "ab"), nullptr);
}

TEST_F(StartupEnum, Wow6432NodeEntryIsListedOnlyWithTheViewFlag) {
  const std::string wow = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, wow, "kt_wow", agent + " /wow"));
  ASSERT_TRUE(wow64_view_present());
  list_all(list, true);
  const auto* w = find_title(list, "kt_wow");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->code, 21);
  // The 64-bit Run key does not show the 32-bit view's value.
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kRun, "kt_wow"), "<missing>");
  list_all(list, false);
  for (const auto& item : list.items()) EXPECT_FALSE(item.code >= 21 && item.code <= 27) << item.title;
}

TEST_F(StartupEnum, WinIniLoadSplitsOnlyAtSemicolonsAndTitlesFromProductNames) {
  set_winini("load", agent + ";;" + "C:\\nowhere\\other.exe");
  set_winini("run", "C:\\a.exe C:\\b.exe");
  list_all(list);
  const auto* a = find_title(list, "Agent Suite");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->code, 100);
  EXPECT_EQ(a->file, agent);
  const auto* other = find_title(list, "load");
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->file, "C:\\nowhere\\other.exe");
  const auto* run = find_title(list, "run");
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(run->code, 101);
  EXPECT_EQ(run->file, "C:\\a.exe C:\\b.exe");
  // run= is read before load=.
  EXPECT_LT(run, a);
}

TEST_F(StartupEnum, StartupFolderListsShortcutAndTextFileButNotDesktopIni) {
  std::string folder = startup_folder(HKEY_CURRENT_USER, "Startup");
  ASSERT_NE(folder, "<missing>");
  CreateDirectoryA(folder.c_str(), nullptr);
  write_file(folder + "\\desktop.ini", "[.ShellClassInfo]\r\n");
  write_file(folder + "\\notes.txt", "hello");
  ASSERT_TRUE(make_shortcut(folder + "\\Agent.lnk", agent, ""));
  list_all(list);
  int in_folder = 0;
  for (const auto& item : list.items()) in_folder += item.code == 200;
  EXPECT_EQ(in_folder, 2);
  const auto* lnk = find_title(list, "Agent Helper");  // the target's file description
  ASSERT_NE(lnk, nullptr);
  EXPECT_TRUE(iequals(lnk->file, agent)) << lnk->file;
  EXPECT_TRUE(iequals(lnk->command, folder + "\\Agent.lnk")) << lnk->command;
  const auto* txt = find_title(list, "notes");
  ASSERT_NE(txt, nullptr);
  EXPECT_TRUE(iequals(txt->file, folder + "\\notes.txt"));
}

TEST_F(StartupEnum, ShortcutDescriptionsExesAndMissingTargets) {
  std::string folder = startup_folder(HKEY_CURRENT_USER, "Startup");
  CreateDirectoryA(folder.c_str(), nullptr);
  ASSERT_TRUE(make_shortcut(folder + "\\Described.lnk", agent, "Described Link"));
  std::string gone = test_program_folder() + "\\kt_gone.exe";
  CopyFileA(agent.c_str(), gone.c_str(), FALSE);
  ASSERT_TRUE(make_shortcut(folder + "\\Gone.lnk", gone, "Gone Target"));
  DeleteFileA(gone.c_str());
  CopyFileA(fixture("kt_nodesc.exe").c_str(), (folder + "\\quiet.exe").c_str(), FALSE);
  list_all(list);
  EXPECT_NE(find_title(list, "Described Link"), nullptr);
  // The program itself: its description, or its product name when it has none.
  const auto* quiet = find_title(list, "Quiet Product");
  ASSERT_NE(quiet, nullptr);
  EXPECT_EQ(quiet->command, quiet->file);
  // A shortcut whose target has gone is still listed (the shell resolves it to its old path).
  const auto* g = find_title(list, "Gone Target");
  ASSERT_NE(g, nullptr);
  EXPECT_TRUE(contains(g->file, "kt_gone.exe")) << g->file;
}

// The shortcuts of a folder are read one after another through one link object: nothing of
// one shortcut (description, target) may reach the next, also after one that does not load.
TEST_F(StartupEnum, ShortcutsOfOneFolderKeepTheirOwnDescriptionsAndTargets) {
  std::string folder = startup_folder(HKEY_CURRENT_USER, "Startup");
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string quiet = fixture("kt_nodesc.exe");
  for (int i = 0; i < 8; ++i) {
    const std::string link = folder + "\\kt_link" + std::to_string(i) + ".lnk";
    ASSERT_TRUE(i % 2 ? make_shortcut(link, agent, "") : make_shortcut(link, quiet, "Described " + std::to_string(i)));
  }
  write_file(folder + "\\kt_link_broken.lnk", std::string("L\0\0\0garbage that is no shell link at all", 40));
  list_all(list);

  int described = 0, undescribed = 0, broken = 0;
  for (const auto& item : list.items()) {
    if (item.code != 200) continue;
    if (contains(item.command, "kt_link_broken")) {
      ++broken;
      EXPECT_EQ(item.file, "");
      continue;
    }
    const int n = item.command.empty() ? -1 : item.command[item.command.size() - 5] - '0';
    if (n % 2) {
      ++undescribed;
      EXPECT_EQ(item.title, "Agent Helper") << item.command;  // the target's file description
      EXPECT_TRUE(iequals(item.file, agent)) << item.command;
    } else {
      ++described;
      EXPECT_EQ(item.title, "Described " + std::to_string(n)) << item.command;
      EXPECT_TRUE(iequals(item.file, quiet)) << item.command;
    }
  }
  EXPECT_EQ(described, 4);
  EXPECT_EQ(undescribed, 4);
  EXPECT_EQ(broken, 1);
}

// The long form of a text is asked once per listing; every entry naming it still gets it.
TEST_F(StartupEnum, OneShortPathInSeveralPlacesIsListedInItsLongFormEachTime) {
  const std::string named = test_program_folder() + "\\kt long named agent.exe";
  DeleteFileA(named.c_str());
  ASSERT_TRUE(CopyFileA(agent.c_str(), named.c_str(), FALSE));
  const std::string shrt = short_path(named);
  ASSERT_FALSE(iequals(shrt, named)) << "no short form to test with";
  set_value(HKEY_LOCAL_MACHINE, kRun, "kt_short_a", shrt);
  set_value(HKEY_CURRENT_USER, kRun, "kt_short_b", shrt);
  set_winini("load", shrt);
  list_all(list);
  int long_forms = 0;
  for (const auto& item : list.items())
    if (item.title == "kt_short_a" || item.title == "kt_short_b" || item.code == 100) {
      EXPECT_TRUE(iequals(item.file, named)) << item.title << ": " << item.file;
      ++long_forms;
    }
  EXPECT_EQ(long_forms, 3);
  DeleteFileA(named.c_str());
}

TEST_F(StartupEnum, DisabledEntryThatReappearsIsMovedBackAndListedOnce) {
  const std::string disabled_run = std::string(kDisabledStoreKey) + "\\Run";
  set_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_back", "11");
  set_value(HKEY_LOCAL_MACHINE, disabled_run, "kt_back", agent + " /old");
  set_value(HKEY_CURRENT_USER, kRun, "kt_back", agent + " /new");
  list_all(list);
  EXPECT_EQ(count_title(list, "kt_back"), 1);
  const auto* b = find_title(list, "kt_back");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->code, 11);
  EXPECT_EQ(b->file, agent + " /new");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "kt_back"), "<missing>");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, disabled_run, "kt_back"), agent + " /new");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_back"), "11");
}

TEST_F(StartupEnum, DisabledStoreAndDisabledFolderAreListedWithTheirMarkerCodes) {
  set_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_off", "1");
  set_value(HKEY_LOCAL_MACHINE, std::string(kDisabledStoreKey) + "\\Run", "kt_off", agent + " /off");
  set_value(HKEY_LOCAL_MACHINE, std::string(kDisabledStoreKey) + "\\WinLoad", "kt_zero", agent);
  set_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_zero", "0");
  CreateDirectoryA(disabled_folder().c_str(), nullptr);
  write_file(disabled_folder() + "\\parked.bat", "@echo off\r\n");
  list_all(list);
  ASSERT_NE(find_title(list, "kt_off"), nullptr);
  EXPECT_EQ(find_title(list, "kt_off")->code, 1);
  EXPECT_EQ(find_title(list, "kt_zero"), nullptr);
  ASSERT_NE(find_title(list, "parked"), nullptr);
  EXPECT_EQ(find_title(list, "parked")->code, 200);
}

TEST_F(StartupEnum, WinlogonValuesAndTheAdvancedModeRule) {
  set_value(HKEY_LOCAL_MACHINE, kWinlogon, "Userinit", "C:\\windows\\system32\\userinit.exe,");
  delete_value(HKEY_LOCAL_MACHINE, kWinlogon, "Shell");
  list_all(list);
  EXPECT_EQ(find_title(list, "Winlogon Shell"), nullptr);
  set_value(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", "Explorer.exe kt_shell.exe");
  list_all(list);
  const auto* u = find_title(list, "Winlogon Userinit");
  ASSERT_NE(u, nullptr);
  EXPECT_EQ(u->code, 250);
  EXPECT_TRUE(iequals(u->file, "C:\\windows\\system32\\userinit.exe")) << u->file;
  const auto* s = find_title(list, "Winlogon Shell");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->file, "kt_shell.exe");
  EXPECT_EQ(s->code, 251);

  StartupScan advanced;
  advanced.advanced = true;
  advanced.show_all_startup = 0;
  list_startup_programs(list, advanced, system_item_rules());
  EXPECT_EQ(find_title(list, "Winlogon Userinit"), nullptr);
  advanced.show_all_startup = 1;
  list_startup_programs(list, advanced, system_item_rules());
  EXPECT_NE(find_title(list, "Winlogon Userinit"), nullptr);
}

TEST_F(StartupEnum, ShellExtensionPointsAppInitAndNotify) {
  const std::string dll = fixture("kt_applet.dll");
  const std::string clsid = "{6A1E0F8C-1D2B-4C3D-9E8F-00112233AA01}";
  set_value(HKEY_CLASSES_ROOT, "CLSID\\" + clsid, "", "Kt Applet Class");
  set_value(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", "", dll);
  set_value(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad",
            "kt_delay", clsid);
  set_value(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler", clsid,
            "");
  set_value(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks",
            clsid.substr(1, clsid.size() - 2), "kt_hook");
  // AppInit_DLLs splits at blanks too: a path with blanks goes in its short form.
  char short_dll[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameA(dll.c_str(), short_dll, MAX_PATH), 0u);
  set_value(HKEY_LOCAL_MACHINE, kNtWindows, "AppInit_Dlls", std::string(short_dll) + " , C:\\nowhere\\x.dll");
  set_value(HKEY_LOCAL_MACHINE, std::string(kWinlogon) + "\\Notify\\kt_notify", "DllName", dll);
  set_value(HKEY_LOCAL_MACHINE, std::string(kWinlogon) + "\\Notify\\kt_empty", "DllName", "");
  list_all(list);

  const auto* d = find_title(list, "kt_delay");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->code, 252);
  EXPECT_TRUE(iequals(d->file, dll));
  EXPECT_EQ(d->command, clsid);
  EXPECT_EQ(d->detail, "1.2.3.4");
  const auto* t = find_title(list, "Kt Applet Class");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->code, 253);
  EXPECT_EQ(t->command, clsid);
  const auto* h = find_title(list, "kt_hook");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->code, 254);
  EXPECT_TRUE(iequals(h->file, dll));
  // One server behind several entries: each gets the server's texts.
  EXPECT_EQ(t->detail, "1.2.3.4");
  EXPECT_EQ(h->detail, "1.2.3.4");

  int appinit = 0;
  for (const auto& item : list.items()) appinit += item.code == 255;
  EXPECT_EQ(appinit, 2);
  const auto* a = find_title(list, "Applet Suite");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->code, 255);
  EXPECT_EQ(a->command, "Fixture Works");

  const auto* n = find_title(list, "kt_notify");
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->code, 256);
  EXPECT_EQ(n->command, "Applet Library");
  EXPECT_EQ(n->detail, "1.2.3.4");
  EXPECT_EQ(find_title(list, "kt_empty"), nullptr);
  delete_tree(HKEY_CLASSES_ROOT, "CLSID\\" + clsid);
}

TEST_F(StartupEnum, LocationTextsShowTheDisabledMarkAndTypeTextsComeFromTheStringTable) {
  set_value(HKEY_CURRENT_USER, kRun, "kt_text", agent);
  set_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_off", "11");
  set_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_zero", "0");
  StartupItem item;
  item.title = "kt_text";
  item.code = 11;
  EXPECT_EQ(item_location_text(item), "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  item.title = "kt_off";
  EXPECT_EQ(item_location_text(item), " *    Disabled * HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  item.title = "kt_zero";
  EXPECT_EQ(item_location_text(item), "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  item.code = 900;
  EXPECT_EQ(item_location_text(item), "Internet Explorer - Browser Helper Object");
  item.code = 16;
  EXPECT_EQ(item_location_text(item), "");
  EXPECT_EQ(startup_type_text(101).rfind("This program is listed in your WIN.INI file", 0), 0u);
  EXPECT_EQ(startup_type_text(12).rfind("Type: RunOnce", 0), 0u);
}
