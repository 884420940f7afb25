#include "reports/registry_backup_win.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "common/text.hpp"
#include "platform/wide_text.hpp"
#include "tools/test_support_win.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

const std::string kUserKey = "Software\\Orvane\\Kestrom";
const std::string kMachineKey = "SOFTWARE\\Orvane";

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// What the system's own "reg query" prints for a tree, every level.
std::string reg_query(const std::string& key) {
  const std::string out = test_program_folder() + "\\reg_query.txt";
  DeleteFileA(out.c_str());
  Process p = start_process("C:\\windows\\system32\\cmd.exe", "/c reg query \"" + key + "\" /s > \"" + out + "\"");
  EXPECT_EQ(wait_exit(p), 0);
  return read_file(out);
}

class RegistryBackup : public ::testing::Test {
 protected:
  void SetUp() override { clean(); }
  void TearDown() override {
    clean();
    DeleteFileA(file_.c_str());
  }
  void clean() {
    delete_tree(HKEY_CURRENT_USER, kUserKey);
    delete_tree(HKEY_LOCAL_MACHINE, kMachineKey);
  }
  std::string file_ = test_program_folder() + "\\anna-Kestrom.reg";
};

}  // namespace

TEST_F(RegistryBackup, RegeditImportsTheFileBackAsItWas) {
  const std::string options = kUserKey + "\\Options";
  const std::string run = kUserKey + "\\Run";
  const std::string deep = options + "\\Deep";
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kUserKey, "", "C:\\Program Files\\Kestrom\\Kestrom.exe"));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kUserKey, "Quoted \"name\" \\ here", "say \"hi\" \\\\server\\share\\"));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kUserKey, "Lines", "first\r\nsecond\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Evil]"));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kUserKey, "Long", std::string(300, 'L')));
  ASSERT_TRUE(set_dword(HKEY_CURRENT_USER, options, "xPosAlert", 0x8000002a));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, options, "Expand", "%WINDIR%\\notepad.exe", REG_EXPAND_SZ));
  const char multi[] = "one\0two \"2\"\0\0";
  ASSERT_TRUE(set_raw(HKEY_CURRENT_USER, options, "Multi", REG_MULTI_SZ, multi, sizeof multi - 1));
  const unsigned char binary[] = {0, 1, 0xfe, '"', '\\', '\n'};
  ASSERT_TRUE(set_raw(HKEY_CURRENT_USER, options, "Binary", REG_BINARY, binary, sizeof binary));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, run, "Agent", "\"C:\\a b\\agent.exe\" /x"));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, deep, "third", "left out"));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, run, "evil\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Evil]", "x"));
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, kMachineKey + "\\Kestrom", "LString2", "Kestrom \"translated\""));
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, kMachineKey + "\\Kestrom\\Disabled", "Agent", "left out"));

  const auto saved = reports::export_settings(test_program_folder(), "anna");
  ASSERT_TRUE(saved);
  EXPECT_TRUE(iequals(*saved, file_)) << *saved;
  const std::string bytes = read_file(file_);
  ASSERT_EQ(bytes.rfind("\xff\xfe", 0), 0u);
  const std::string text = platform::from_wide(
      std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2));
  EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orvane\\Kestrom]\r\n", 0), 0u);
  EXPECT_NE(text.find("\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane]\r\n"), std::string::npos);
  EXPECT_EQ(text.find("Deep"), std::string::npos);
  EXPECT_EQ(text.find("Disabled"), std::string::npos);
  EXPECT_EQ(text.find("Evil"), std::string::npos);

  // What the file cannot carry is taken away before the tree is compared.
  delete_tree(HKEY_CURRENT_USER, deep);
  delete_tree(HKEY_LOCAL_MACHINE, kMachineKey + "\\Kestrom\\Disabled");
  delete_value(HKEY_CURRENT_USER, run, "evil\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Evil]");
  const std::string user_before = reg_query("HKCU\\" + kUserKey);
  const std::string machine_before = reg_query("HKLM\\" + kMachineKey);
  ASSERT_NE(user_before.find("xPosAlert"), std::string::npos) << user_before;
  ASSERT_NE(user_before.find("REG_MULTI_SZ"), std::string::npos) << user_before;

  clean();
  ASSERT_FALSE(key_exists(HKEY_CURRENT_USER, kUserKey));
  Process regedit = start_process("C:\\windows\\regedit.exe", "/s \"" + file_ + "\"");
  ASSERT_EQ(wait_exit(regedit), 0);

  EXPECT_EQ(reg_query("HKCU\\" + kUserKey), user_before);
  EXPECT_EQ(reg_query("HKLM\\" + kMachineKey), machine_before);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kUserKey, "Lines"), "first\r\nsecond\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Evil]");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kUserKey, "Long"), std::string(300, 'L'));
  EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Evil"));
}

TEST_F(RegistryBackup, AFileThatCannotBeWrittenIsNotReportedAsSaved) {
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kUserKey, "a", "b"));
  EXPECT_FALSE(reports::export_settings(test_program_folder() + "\\no such folder", "anna"));
  // Held open by another writer without sharing: not replaced, not reported.
  platform::UniqueFile held(CreateFileA(file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(held);
  EXPECT_FALSE(reports::export_settings(test_program_folder(), "anna"));
  held.reset();
  EXPECT_TRUE(reports::export_settings(test_program_folder(), "anna"));
}
