// Junk in the startup places: wrong value types, over-long and non-ASCII names, more entries
// than the list holds, long win.ini lines, corrupt shortcuts and missing folders. Each gets a
// clear outcome and nothing stored is lost.
#include <gtest/gtest.h>

#include "common/text.hpp"
#include "startup/actions.hpp"
#include "tests/wine/startup_test_support.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class StartupBadInput : public ::testing::Test {
 protected:
  void SetUp() override { clean_startup_state(); }
  void TearDown() override { clean_startup_state(); }
  ComScope com;
  ItemList list;
  const std::string agent = fixture("kt_agent.exe");
};

}  // namespace

TEST_F(StartupBadInput, NonStringRunValuesAreSkippedAndKept) {
  std::string dword("\x05\x00\x00\x00", 4);
  set_value(HKEY_CURRENT_USER, kRun, "kt_binary", "C:\\bin\\junk.exe\x01\x02", REG_BINARY);
  set_value(HKEY_CURRENT_USER, kRun, "kt_dword", dword, REG_DWORD);
  set_value(HKEY_CURRENT_USER, kRun, "kt_multi", std::string("C:\\a.exe\0C:\\b.exe\0\0", 20), REG_MULTI_SZ);
  set_value(HKEY_CURRENT_USER, kRun, "kt_good", agent);
  list_all(list);
  EXPECT_EQ(find_title(list, "kt_binary"), nullptr);
  EXPECT_EQ(find_title(list, "kt_dword"), nullptr);
  EXPECT_EQ(find_title(list, "kt_multi"), nullptr);
  EXPECT_NE(find_title(list, "kt_good"), nullptr);
  EXPECT_NE(get_value(HKEY_CURRENT_USER, kRun, "kt_dword"), "<missing>");
  EXPECT_NE(get_value(HKEY_CURRENT_USER, kRun, "kt_multi"), "<missing>");
}

TEST_F(StartupBadInput, NamesAndDataOf511Fit512And4000DoNot) {
  auto name = [](std::size_t n) { return "kt_" + std::string(n - 3, 'n'); };
  auto data = [](std::size_t n) { return "C:\\" + std::string(n - 7, 'd') + ".exe"; };
  set_value(HKEY_CURRENT_USER, kRun, name(511), agent);
  set_value(HKEY_CURRENT_USER, kRun, name(512), agent);
  set_value(HKEY_CURRENT_USER, kRun, name(4000), agent);
  set_value(HKEY_CURRENT_USER, kRun, "kt_data511", data(511));
  set_value(HKEY_CURRENT_USER, kRun, "kt_data512", data(512));
  set_value(HKEY_CURRENT_USER, kRun, "kt_data4000", data(4000));
  list_all(list);
  // Titles are cut to 127 characters, files to 259.
  EXPECT_NE(find_title(list, name(511).substr(0, kMaxTitle)), nullptr);
  int long_names = 0;
  for (const auto& item : list.items()) long_names += item.title.rfind("kt_nnn", 0) == 0;
  EXPECT_EQ(long_names, 1);
  ASSERT_NE(find_title(list, "kt_data511"), nullptr);
  EXPECT_EQ(find_title(list, "kt_data511")->file, data(511).substr(0, kMaxFileText));
  EXPECT_EQ(find_title(list, "kt_data512"), nullptr);
  EXPECT_EQ(find_title(list, "kt_data4000"), nullptr);
  for (std::size_t n : {511, 512, 4000}) EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, name(n)), agent) << n;
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "kt_data4000"), data(4000));
}

TEST_F(StartupBadInput, NonAsciiNames) {
  set_value(HKEY_CURRENT_USER, kRun, "kt_Grüße €", agent);
  set_value(HKEY_CURRENT_USER, kRun, "Überwacher", agent + " /u");
  list_all(list);
  // UTF-8 names come through whole; a name starting outside ASCII is not listed.
  ASSERT_NE(find_title(list, "kt_Grüße €"), nullptr);
  EXPECT_EQ(find_title(list, "Überwacher"), nullptr);
  EXPECT_EQ(disable_run_value("kt_Grüße €", 11), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_Grüße €"), "11");
  EXPECT_EQ(enable_run_value("kt_Grüße €", 11), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "kt_Grüße €"), agent);
}

TEST_F(StartupBadInput, MoreThan4096EntriesStopTheListButNotTheEnumeration) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kRun, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
            ERROR_SUCCESS);
  const std::string data = agent + " /n";
  for (int i = 0; i < 4200; ++i) {
    std::string n = "kt_many" + std::to_string(i);
    RegSetValueExA(k, n.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
  }
  RegCloseKey(k);
  set_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "kt_late", "1");
  set_winini("load", agent);
  EXPECT_EQ(list_all(list), kMaxItems);
  EXPECT_EQ(list.size(), kMaxItems);
  // A disabled entry coming back after the list is full is still moved into the store.
  set_value(HKEY_CURRENT_USER, kRun, "zz_back", agent + " /z");
  set_value(HKEY_LOCAL_MACHINE, kDisabledStoreKey, "zz_back", "11");
  EXPECT_EQ(list_all(list), kMaxItems);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kRun, "zz_back"), "<missing>");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, std::string(kDisabledStoreKey) + "\\Run", "zz_back"), agent + " /z");
}

TEST_F(StartupBadInput, WinIniLineOf600CharactersIsListedAndRewrittenWhole) {
  std::string line;
  std::vector<std::string> files;
  for (int i = 0; line.size() < 600; ++i) {
    files.push_back("C:\\Programs\\Vendor" + std::to_string(i) + "\\tool" + std::to_string(i) + ".exe");
    line += files.back() + ";";
  }
  set_winini("load", line);
  ASSERT_EQ(winini("load"), line);
  list_all(list);
  int listed = 0;
  for (const auto& item : list.items()) listed += item.code == 100;
  EXPECT_EQ(listed, static_cast<int>(files.size()));
  // Disabling one piece keeps every other piece of the long line.
  EXPECT_EQ(disable_winini_entry("kt_tool", files[3], 100), ActionResult::Done);
  auto kept = profile_list_pieces(winini("load"));
  EXPECT_EQ(kept.size(), files.size() - 1);
  EXPECT_EQ(kept.back(), files.back());
}

TEST_F(StartupBadInput, CorruptShortcutGivesAnEmptyItemAndMissingFolderIsSkipped) {
  std::string folder = startup_folder(HKEY_CURRENT_USER, "Startup");
  CreateDirectoryA(folder.c_str(), nullptr);
  write_file(folder + "\\broken.lnk", std::string("L\0\0\0garbage that is no shell link at all", 40));
  list_all(list);
  int empty_items = 0;
  for (const auto& item : list.items()) empty_items += item.code == 200 && item.file.empty();
  EXPECT_EQ(empty_items, 1);
  EXPECT_TRUE(exists(folder + "\\broken.lnk"));

  std::string saved = folder;
  set_value(HKEY_CURRENT_USER, kShellFoldersKey, "Startup", "C:\\no\\such\\folder");
  set_value(HKEY_CURRENT_USER, kRun, "kt_after", agent);
  list_all(list);
  EXPECT_NE(find_title(list, "kt_after"), nullptr);
  set_value(HKEY_CURRENT_USER, kShellFoldersKey, "Startup", saved);
}
