// The explorer end to end: the list shows what the registry holds, a second start hands its
// page to the first and ends, "-Q" ends the first.
#include <gtest/gtest.h>

#include "tests/e2e/explorer_harness.hpp"
#include "tests/wine/denied_key.hpp"

namespace kestrom::e2e::ex {
namespace {

class ExplorerEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_explorer_state();
    delete_value(HKEY_CURRENT_USER, kUserRun, kEntry);
  }
  void TearDown() override {
    reset_explorer_state();
    delete_value(HKEY_CURRENT_USER, kUserRun, kEntry);
  }
  static constexpr const char* kEntry = "Probe E2E Entry";
};

TEST_F(ExplorerEndToEnd, ListsARunEntryAndStaysSingleInstance) {
  const std::string program = test::test_program_folder() + "\\KestromEx.exe";
  write_value(HKEY_CURRENT_USER, kUserRun, kEntry, "\"" + program + "\" -probe");

  Explorer first = start_explorer("-START");
  ASSERT_TRUE(first);
  HWND sheet = sheet_of(first.pid);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(current_tab(sheet), 0);
  HWND list = nullptr;
  ASSERT_TRUE(wait_until([&] { return (list = list_of(sheet)) != nullptr; }));

  std::vector<std::string> row;
  ASSERT_TRUE(wait_until([&] {
    for (const auto& r : driver::read_list_view(list, 5))
      if (!r.empty() && r[0] == kEntry) {
        row = r;
        return true;
      }
    return false;
  }));
  ASSERT_EQ(row.size(), 5u);
  EXPECT_EQ(row[1].rfind("KestromEx.exe", 0), 0u) << row[1];  // from the file name on
  EXPECT_EQ(row[2], "Orvane");
  EXPECT_EQ(row[3], "HKCU_RUN");
  EXPECT_FALSE(row[4].empty());  // first sighting recorded now
  screenshot("explorer_startup_page");

  // A second start posts its page to the first and ends without a window of its own.
  Explorer second = start_explorer("-START");
  EXPECT_EQ(wait_exit(second), 0);
  driver::WindowQuery owners;
  owners.class_name = kClass;
  EXPECT_EQ(driver::find_windows(owners).size(), 1u);
  EXPECT_TRUE(IsWindow(sheet));
  EXPECT_EQ(WaitForSingleObject(first.process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

  // "-Q" ends the first instance.
  Explorer q = start_explorer("-Q");
  EXPECT_EQ(wait_exit(q), 0);
  EXPECT_EQ(wait_exit(first), 0);
  EXPECT_TRUE(driver::find_windows(owners).empty());
}

TEST_F(ExplorerEndToEnd, QuitWithoutARunningExplorerJustEnds) {
  Explorer q = start_explorer("-Q");
  EXPECT_EQ(wait_exit(q), 0);
  driver::WindowQuery owners;
  owners.class_name = kClass;
  EXPECT_TRUE(driver::find_windows(owners).empty());
}

}  // namespace
}  // namespace kestrom::e2e::ex

namespace kestrom::e2e::ex {
namespace {

TEST_F(ExplorerEndToEnd, RepairSwitchesActAndEndWithoutAWindow) {
  const char* prefixes = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes";
  const char* default_prefix = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\DefaultPrefix";
  const char* auto_update = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update";
  const char* menu_entry = "exefile\\shell\\Kestrom VANT";
  driver::WindowQuery owners;
  owners.class_name = kClass;

  // No stored prefix: the default one is written back.
  write_value(HKEY_LOCAL_MACHINE, prefixes, "www", "ftp://");
  EXPECT_EQ(wait_exit(start_explorer("-SetPrefix")), 0);
  EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, prefixes, "www"), "http://");
  EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, default_prefix, nullptr), "http://");
  write_value(HKEY_CURRENT_USER, kProduct, "wwwPrefix", "https://");
  EXPECT_EQ(wait_exit(start_explorer("-setprefix")), 0);
  EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, prefixes, "www"), "https://");

  DWORD level = 2;
  RegSetKeyValueA(HKEY_CURRENT_USER, kProduct, "AUOptions", REG_DWORD, &level, sizeof level);
  EXPECT_EQ(wait_exit(start_explorer("-AUOption -START")), 0);
  DWORD written = 0, size = sizeof written;
  EXPECT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, auto_update, "AUOptions", RRF_RT_REG_DWORD, nullptr, &written, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(written, 2u);

  RegSetKeyValueA(HKEY_CLASSES_ROOT, (std::string(menu_entry) + "\\command").c_str(), nullptr, REG_SZ, "x", 2);
  EXPECT_EQ(wait_exit(start_explorer("-Restore -START")), 0);
  HKEY k = nullptr;
  EXPECT_NE(RegOpenKeyExA(HKEY_CLASSES_ROOT, menu_entry, 0, KEY_READ, &k), ERROR_SUCCESS);
  if (k) RegCloseKey(k);

  EXPECT_TRUE(driver::find_windows(owners).empty());
  RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, auto_update, "AUOptions");
}

}  // namespace
}  // namespace kestrom::e2e::ex

namespace kestrom::e2e::ex {
namespace {

// "-Restore" resets only a translated interface: with the English table nothing is reset, so
// the remembered window positions stay.
TEST_F(ExplorerEndToEnd, RestoreKeepsTheWindowPositionsOfAnEnglishInterface) {
  write_value(HKEY_CURRENT_USER, kProduct, "xPos", "123");
  EXPECT_EQ(wait_exit(start_explorer("-Restore")), 0);
  EXPECT_EQ(read_value(HKEY_CURRENT_USER, kProduct, "xPos"), "123");
}

}  // namespace
}  // namespace kestrom::e2e::ex

namespace kestrom::e2e::ex {
namespace {

// A message box of the process other than its sheet, whose text holds `part`.
HWND box_saying(DWORD pid, const std::string& part) {
  driver::WindowQuery q;
  q.class_name = "#32770";
  q.process_id = pid;
  q.visible_only = true;
  HWND found = nullptr;
  wait_until([&] {
    for (HWND w : driver::find_windows(q))
      for (const auto& c : driver::children(w))
        if (c.class_name == "Static" && c.text.find(part) != std::string::npos) return (found = w) != nullptr;
    return false;
  });
  return found;
}

// For a standard user the start-with-Windows entry under HKLM cannot be changed: the explorer
// says so, changes nothing, and on Yes starts again as administrator on the page on show.
TEST_F(ExplorerEndToEnd, RefusedAlwaysRunChangeOffersAnElevatedRestartOnTheSamePage) {
  Explorer first = start_explorer("-OPTION");
  ASSERT_TRUE(first);
  HWND sheet = sheet_of(first.pid);
  ASSERT_NE(sheet, nullptr);
  const int options_tab = current_tab(sheet);
  const std::string entry = read_value(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Kestrom");
  ASSERT_FALSE(entry.empty()) << "the first start installs the start-with-Windows entry";
  driver::WindowQuery owners;
  owners.class_name = kClass;
  owners.process_id = first.pid;
  const auto owner = driver::find_windows(owners);
  ASSERT_EQ(owner.size(), 1u);
  {
    test::DeniedKey run(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    ASSERT_TRUE(run.denied);
    PostMessageA(owner[0], WM_COMMAND, MAKEWPARAM(6031, 0), 0);
    HWND box = box_saying(first.pid, "administrator");
    ASSERT_NE(box, nullptr) << "the refusal was not told";
    screenshot("explorer_refused_always_run");
    EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Kestrom"), entry);
    driver::press(box, IDYES);
    EXPECT_EQ(wait_exit(first), 0);
  }
  driver::WindowQuery any;
  any.class_name = kClass;
  HWND again = nullptr;
  ASSERT_TRUE(wait_until([&] {
    auto found = driver::find_windows(any);
    return !found.empty() && (again = found[0]) != nullptr;
  })) << "no explorer started again";
  DWORD pid = 0;
  GetWindowThreadProcessId(again, &pid);
  HWND second_sheet = sheet_of(pid);
  ASSERT_NE(second_sheet, nullptr);
  EXPECT_EQ(current_tab(second_sheet), options_tab);
}

// A repair that Windows refuses (the Explorer menu entry under HKCR, for a standard user)
// leaves the key as it was and says so before the explorer ends.
TEST_F(ExplorerEndToEnd, RefusedRepairIsToldAndChangesNothing) {
  const char* menu_entry = "exefile\\shell\\Kestrom VANT";
  RegSetKeyValueA(HKEY_CLASSES_ROOT, menu_entry, nullptr, REG_SZ, "x", 2);
  {
    test::DeniedKey shell(HKEY_CLASSES_ROOT, "exefile\\shell");
    test::DeniedKey entry(HKEY_CLASSES_ROOT, menu_entry);
    ASSERT_TRUE(shell.denied && entry.denied);
    Explorer repair = start_explorer("-Restore");
    ASSERT_TRUE(repair);
    HWND box = box_saying(repair.pid, "administrator");
    ASSERT_NE(box, nullptr) << "the refusal was not told";
    driver::press(box, IDOK);
    EXPECT_EQ(wait_exit(repair), 0);
    EXPECT_EQ(read_value(HKEY_CLASSES_ROOT, menu_entry, nullptr), "x");
  }
  RegDeleteTreeA(HKEY_CLASSES_ROOT, menu_entry);
  RegDeleteKeyA(HKEY_CLASSES_ROOT, menu_entry);
}

}  // namespace
}  // namespace kestrom::e2e::ex

