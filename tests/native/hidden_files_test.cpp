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
      walk_folder(f.path, f.levels, lister(), [&](const std::string& path, std::uint32_t attributes) {
        if (is_hidden_file(attributes)) found.push_back(path);
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

  // A hidden file named like a watched system file gets its own folder in the Vault.
  EXPECT_EQ(hidden_vault_copy("C:\\data\\vault", "C:\\x\\HOSTS"), "C:\\data\\vault\\Hidden\\HOSTS");
  EXPECT_EQ(hidden_vault_copy("", "C:\\x\\HOSTS"), "");
  EXPECT_EQ(hidden_vault_copy("C:\\v", "C:\\x\\"), "");
}

TEST(HiddenFiles, VaultNameCannotLeaveTheVault) {
  EXPECT_EQ(vault_file_name("C:\\Windows\\hidden.dll"), "hidden.dll");
  EXPECT_EQ(vault_file_name("hidden.dll"), "hidden.dll");
  EXPECT_EQ(vault_file_name("C:\\a/b\\..\\evil.dll"), "evil.dll");
  for (const char* bad : {"", "C:\\Windows\\", "C:\\x\\..", "C:\\x\\.", "C:\\x\\...", "C:\\x\\. .", "C:evil.dll",
                          "C:\\x\\file.txt:stream", "C:\\x/..", "C:\\x\\a\tb"})
    EXPECT_EQ(vault_file_name(bad), std::nullopt) << bad;
}
