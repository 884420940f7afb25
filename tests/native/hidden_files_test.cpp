#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "categories/hidden_files.hpp"

using namespace kestrom;

namespace {

struct FakeEntry {
  std::string name;
  std::uint32_t attributes;
};

// A folder tree in memory; the lister gives "." and ".." first, as the system does.
struct FakeTree {
  std::map<std::string, std::vector<FakeEntry>> folders;
  std::vector<std::string> listed;

  FolderLister lister() {
    return [this](const std::string& folder, const std::function<void(const FolderEntry&)>& each) {
      listed.push_back(folder);
      auto it = folders.find(folder);
      if (it == folders.end()) return false;
      each({".", attribute::kFolder});
      each({"..", attribute::kFolder});
      for (const auto& e : it->second) each({e.name, e.attributes});
      return true;
    };
  }
  std::vector<std::string> hidden_files(const std::vector<ScanFolder>& scan) {
    std::vector<std::string> found;
    for (const auto& f : scan)
      walk_folder(f.path, f.levels, lister(), [&](const std::string& path, const FolderEntry& entry) {
        if (is_hidden_file(entry.attributes)) found.push_back(path);
      });
    return found;
  }
};

constexpr std::uint32_t kHiddenFile = attribute::kHidden;
constexpr std::uint32_t kHiddenFolder = attribute::kHidden | attribute::kFolder;

}  // namespace

TEST(HiddenScan, FoldersInOrderWithTheirDepths) {
  auto f = hidden_scan_folders("C:\\windows", "C:\\windows\\system32", "C:\\Program Files\\Common Files",
                               "C:\\users\\me\\Temp\\");
  ASSERT_EQ(f.size(), 5u);
  EXPECT_EQ(f[0].path, "C:\\");
  EXPECT_EQ(f[0].levels, 0);
  EXPECT_EQ(f[1].path, "C:\\windows");
  EXPECT_EQ(f[1].levels, 0);
  EXPECT_EQ(f[2].path, "C:\\windows\\system32");
  EXPECT_EQ(f[2].levels, 1);
  EXPECT_EQ(f[3].levels, 1);
  EXPECT_EQ(f[4].path, "C:\\users\\me\\Temp");  // without its trailing backslash
  EXPECT_EQ(f[4].levels, 1);

  // No common files folder: it is left out, the order of the others stays.
  auto g = hidden_scan_folders("C:\\windows", "C:\\windows\\system32", "", "C:\\t\\");
  ASSERT_EQ(g.size(), 4u);
  EXPECT_EQ(g[3].path, "C:\\t");
}

TEST(HiddenScan, DepthsDecideWhichSubFoldersAreWalked) {
  FakeTree t;
  t.folders["C:\\"] = {{"boot.ini", kHiddenFile}, {"pagefile.sys", kHiddenFile | attribute::kSystem},
                       {"visible.txt", 0}, {"windows", attribute::kFolder}};
  t.folders["C:\\windows"] = {{"win.hid", kHiddenFile}, {"sub", attribute::kFolder}};
  t.folders["C:\\windows\\sub"] = {{"deep.hid", kHiddenFile}};
  t.folders["C:\\windows\\system32"] = {{"sys.hid", kHiddenFile}, {"drivers", attribute::kFolder},
                                        {"secret", kHiddenFolder}, {".dot", attribute::kFolder}};
  t.folders["C:\\windows\\system32\\drivers"] = {{"drv.hid", kHiddenFile}, {"etc", attribute::kFolder}};
  t.folders["C:\\windows\\system32\\drivers\\etc"] = {{"too-deep.hid", kHiddenFile}};
  t.folders["C:\\windows\\system32\\secret"] = {{"in-hidden-folder.hid", kHiddenFile}};
  t.folders["C:\\windows\\system32\\.dot"] = {{"never.hid", kHiddenFile}};

  auto found = t.hidden_files(hidden_scan_folders("C:\\windows", "C:\\windows\\system32", "", ""));
  const std::vector<std::string> expected{
      "C:\\boot.ini", "C:\\pagefile.sys", "C:\\windows\\win.hid", "C:\\windows\\system32\\sys.hid",
      "C:\\windows\\system32\\drivers\\drv.hid", "C:\\windows\\system32\\secret\\in-hidden-folder.hid"};
  EXPECT_EQ(found, expected);
  // A hidden folder is walked (at depth) but never listed itself; "." folders are never entered,
  // and "C:\" and the Windows folder are not descended into.
  for (const auto& listed : t.listed) {
    EXPECT_NE(listed, "C:\\windows\\sub");
    EXPECT_NE(listed, "C:\\windows\\system32\\.dot");
    EXPECT_NE(listed, "C:\\windows\\system32\\drivers\\etc");
    EXPECT_EQ(listed.find("\\.\\"), std::string::npos);
  }
}

TEST(HiddenScan, AFolderThatCannotBeListedGivesNothing) {
  FakeTree t;
  t.folders["C:\\t"] = {{"a.hid", kHiddenFile}};
  auto found = t.hidden_files({{"C:\\missing", 1}, {"C:\\t", 1}});
  EXPECT_EQ(found, std::vector<std::string>{"C:\\t\\a.hid"});
}

TEST(HiddenItems, ValueAndSnapshotMarkerAndVaultCopy) {
  EXPECT_EQ(hidden_item_value(attribute::kHidden), 1);
  EXPECT_EQ(hidden_item_value(attribute::kHidden | attribute::kSystem), 0);
  EXPECT_FALSE(is_hidden_file(kHiddenFolder));
  EXPECT_FALSE(is_hidden_file(attribute::kSystem));

  EXPECT_TRUE(hidden_snapshot_built("P"));
  EXPECT_TRUE(hidden_snapshot_built("P 2026"));
  EXPECT_FALSE(hidden_snapshot_built(""));
  EXPECT_FALSE(hidden_snapshot_built("p"));

  // A hidden file named like a watched system file gets its own folder in the Vault, and keeps
  // its own name there.
  const std::string copy = hidden_vault_copy("C:\\data\\vault", "C:\\x\\HOSTS");
  EXPECT_TRUE(copy.starts_with("C:\\data\\vault\\Hidden\\")) << copy;
  EXPECT_TRUE(copy.ends_with("\\HOSTS")) << copy;
  EXPECT_EQ(hidden_vault_copy("", "C:\\x\\HOSTS"), "");
  EXPECT_EQ(hidden_vault_copy("C:\\v", "C:\\x\\"), "");
}

TEST(HiddenFiles, SameNameInTwoFoldersKeepsTwoCopies) {
  const std::string a = hidden_vault_copy("C:\\v", "C:\\Windows\\system32\\drivers\\x.dat");
  const std::string b = hidden_vault_copy("C:\\v", "C:\\Windows\\system32\\x.dat");
  EXPECT_NE(a, b);
  // The path as the History Log holds it finds the same copy, whatever its letters' case.
  EXPECT_EQ(a, hidden_vault_copy("C:\\v", "c:\\WINDOWS\\System32\\Drivers\\X.DAT").substr(0, a.size() - 5) + "x.dat");
  EXPECT_EQ(hidden_vault_folder_name("C:\\A\\b"), hidden_vault_folder_name("c:\\a\\B"));
  EXPECT_NE(hidden_vault_folder_name("C:\\a\\b"), hidden_vault_folder_name("C:\\a\\c"));
  // Sixteen hex digits: nothing in it can name another folder.
  const std::string folder = hidden_vault_folder_name("C:\\..\\..");
  EXPECT_EQ(folder.size(), 16u);
  EXPECT_EQ(folder.find_first_not_of("0123456789abcdef"), std::string::npos);
  // A fixed value: the copies already in a Vault stay found after an update.
  EXPECT_EQ(hidden_vault_folder_name(""), "cbf29ce484222325");
}

TEST(HiddenFiles, VaultNameCannotLeaveTheVault) {
  EXPECT_EQ(vault_file_name("C:\\Windows\\hidden.dll"), "hidden.dll");
  EXPECT_EQ(vault_file_name("hidden.dll"), "hidden.dll");
  EXPECT_EQ(vault_file_name("C:\\a/b\\..\\evil.dll"), "evil.dll");
  for (const char* bad : {"", "C:\\Windows\\", "C:\\x\\..", "C:\\x\\.", "C:\\x\\...", "C:\\x\\. .", "C:evil.dll",
                          "C:\\x\\file.txt:stream", "C:\\x/..", "C:\\x\\a\tb"})
    EXPECT_EQ(vault_file_name(bad), std::nullopt) << bad;
}

TEST(HiddenFiles, TitlesAreReadAgainOnlyForNewOrChangedFiles) {
  HiddenTitleCache cache;
  EXPECT_EQ(cache.find("C:\\a.hid", 10, 100), std::nullopt);
  cache.keep("C:\\a.hid", 10, 100, "Product A");
  cache.keep("C:\\b.hid", 20, 200, "b.hid");
  // Not found before the scan has ended: a scan never reads its own half-made list.
  EXPECT_EQ(cache.find("C:\\a.hid", 10, 100), std::nullopt);
  cache.end_scan();
  EXPECT_EQ(cache.find("C:\\a.hid", 10, 100), "Product A");
  // A new size or last-write time means new content: read again.
  EXPECT_EQ(cache.find("C:\\a.hid", 11, 100), std::nullopt);
  EXPECT_EQ(cache.find("C:\\a.hid", 10, 101), std::nullopt);
  // The next scan saw only a.hid: b.hid is forgotten.
  cache.keep("C:\\a.hid", 10, 100, "Product A");
  cache.end_scan();
  EXPECT_EQ(cache.size(), 1u);
  EXPECT_EQ(cache.find("C:\\b.hid", 20, 200), std::nullopt);
  cache.end_scan();
  EXPECT_EQ(cache.size(), 0u);

  // A file shorter than an MZ header with its pointer to the new header carries no version texts.
  EXPECT_FALSE(may_carry_version(0));
  EXPECT_FALSE(may_carry_version(63));
  EXPECT_TRUE(may_carry_version(64));
}
