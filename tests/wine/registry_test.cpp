#include "common/registry.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tools/test_support_win.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

const std::string kKey = "Software\\KestromTest\\Registry";

class Registry : public ::testing::Test {
 protected:
  void SetUp() override { delete_tree(HKEY_CURRENT_USER, kKey); }
  void TearDown() override { delete_tree(HKEY_CURRENT_USER, "Software\\KestromTest"); }
};

std::string env(const char* name) {
  char buf[1024] = {};
  DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return std::string(buf, n);
}

}  // namespace

TEST_F(Registry, ExpandableStringsAreExpandedPlainOnesAreNot) {
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kKey, "exp", "%WINDIR%\\notepad.exe", REG_EXPAND_SZ));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kKey, "plain", "%WINDIR%\\notepad.exe"));
  ASSERT_FALSE(env("WINDIR").empty());
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kKey, "exp"), env("WINDIR") + "\\notepad.exe");
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kKey, "plain"), "%WINDIR%\\notepad.exe");
}

TEST_F(Registry, TextsLongerThanTheLimitOrTheBufferReadAsEmpty) {
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kKey, "ten", "0123456789"));
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kKey, "ten", 10), "0123456789");
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kKey, "ten", 9), "");

  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kKey, "max", std::string(1023, 'a')));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kKey, "over", std::string(1024, 'a')));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kKey, "huge", std::string(70000, 'a')));
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kKey, "max").size(), 1023u);
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kKey, "over"), "");
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kKey, "huge"), "");

  // Short before expansion, too long after it.
  std::string many;
  while (many.size() < 900) many += "%WINDIR%";
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kKey, "grows", many, REG_EXPAND_SZ));
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kKey, "grows"), "");
}

TEST_F(Registry, MissingKeysAndValuesReadAsEmpty) {
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kKey + "\\Nope", "x"), "");
  ASSERT_TRUE(reg::create_key(HKEY_CURRENT_USER, kKey));
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kKey, "x"), "");
  EXPECT_FALSE(reg::value_exists(HKEY_CURRENT_USER, kKey, "x"));
  EXPECT_FALSE(reg::has_default_value(HKEY_CURRENT_USER, kKey));
  EXPECT_EQ(reg::read_small_number(HKEY_CURRENT_USER, kKey, "x", -1), -1);
  EXPECT_EQ(reg::read_small_number(HKEY_CURRENT_USER, kKey, "x", 0), 0);
  EXPECT_EQ(reg::read_small_number(HKEY_CURRENT_USER, kKey + "\\Nope", "x", -1), -1);
}

TEST_F(Registry, ValuesOfOtherTypesReadAsEmptyText) {
  const BYTE bin[] = {'a', 'b', 'c', 0};
  ASSERT_TRUE(set_dword(HKEY_CURRENT_USER, kKey, "dword", 0x31));
  ASSERT_TRUE(set_raw(HKEY_CURRENT_USER, kKey, "binary", REG_BINARY, bin, sizeof bin));
  ASSERT_TRUE(set_raw(HKEY_CURRENT_USER, kKey, "multi", REG_MULTI_SZ, "one\0two\0", 9));
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kKey, "dword"), "");
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kKey, "binary"), "");
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kKey, "multi"), "");
}

TEST_F(Registry, StringWithoutTerminatorAndWithEmbeddedZero) {
  ASSERT_TRUE(set_raw(HKEY_CURRENT_USER, kKey, "noterm", REG_SZ, "abc", 3));
  ASSERT_TRUE(set_raw(HKEY_CURRENT_USER, kKey, "embedded", REG_SZ, "ab\0cd", 6));
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kKey, "noterm"), "abc");
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, kKey, "embedded"), "ab");
}

TEST_F(Registry, SmallNumbersAreTheFirstTwoBytes) {
  ASSERT_TRUE(reg::write_number(HKEY_CURRENT_USER, kKey, "n", 0x00012345));
  EXPECT_EQ(reg::read_small_number(HKEY_CURRENT_USER, kKey, "n", -1), 0x2345);
  ASSERT_TRUE(reg::write_number(HKEY_CURRENT_USER, kKey, "small", 7));
  EXPECT_EQ(reg::read_small_number(HKEY_CURRENT_USER, kKey, "small", -1), 7);
  const BYTE one = 0x41;
  ASSERT_TRUE(set_raw(HKEY_CURRENT_USER, kKey, "onebyte", REG_BINARY, &one, 1));
  EXPECT_EQ(reg::read_small_number(HKEY_CURRENT_USER, kKey, "onebyte", -1), 0x41);
  ASSERT_TRUE(set_raw(HKEY_CURRENT_USER, kKey, "empty", REG_BINARY, nullptr, 0));
  EXPECT_EQ(reg::read_small_number(HKEY_CURRENT_USER, kKey, "empty", -1), 0);
}

TEST_F(Registry, WriteCreatesTheKeyAndDeleteReportsWhatWasThere) {
  const std::string deep = kKey + "\\A\\B";
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, deep, "v", "text"));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, deep, "v"), "text");
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, deep, "", "default"));
  EXPECT_TRUE(reg::has_default_value(HKEY_CURRENT_USER, deep));
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, deep, "empty", ""));
  EXPECT_TRUE(reg::value_exists(HKEY_CURRENT_USER, deep, "empty"));

  EXPECT_TRUE(reg::delete_value(HKEY_CURRENT_USER, deep, "v"));
  EXPECT_FALSE(reg::delete_value(HKEY_CURRENT_USER, deep, "v"));
  EXPECT_FALSE(reg::delete_value(HKEY_CURRENT_USER, kKey + "\\Missing", "v"));
}

TEST_F(Registry, DeleteKeyTreeRemovesNestedSubkeysAndAcceptsMissingKeys) {
  for (const char* sub : {"\\A\\A1\\A11", "\\A\\A2", "\\B", "\\B\\B1\\B11\\B111", "\\C"})
    ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, kKey + "\\Tree" + sub, "v", "1"));
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, kKey + "\\Sibling", "v", "1"));

  EXPECT_TRUE(reg::delete_key_tree(HKEY_CURRENT_USER, kKey + "\\Tree"));
  EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, kKey + "\\Tree"));
  EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, kKey + "\\Sibling"));

  EXPECT_TRUE(reg::delete_key_tree(HKEY_CURRENT_USER, kKey + "\\Tree"));
  EXPECT_TRUE(reg::delete_key_tree(HKEY_CURRENT_USER, kKey + "\\No\\Such\\Key"));
  // An empty path would name the root itself.
  EXPECT_FALSE(reg::delete_key_tree(HKEY_CURRENT_USER, ""));
  EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, "Software"));
}

TEST_F(Registry, NonAsciiKeyAndValueNamesRoundTrip) {
  const std::string key = kKey + "\\Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC";                 // "Grüße €"
  const std::string name = "Wert \xD0\x96 \xC3\xA4";                                       // "Wert Ж ä"
  const std::string text = "C:\\Programme\\\xC3\x9C" "ber\\\xE6\x97\xA5\xE6\x9C\xAC.exe";  // Über\日本
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, key, name, text));
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, key, name), text);
  auto names = reg::value_names(HKEY_CURRENT_USER, key);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], name);
  auto subs = reg::subkey_names(HKEY_CURRENT_USER, kKey);
  EXPECT_NE(std::find(subs.begin(), subs.end(), "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC"), subs.end());
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, key + "\\\xC3\xA9t\xC3\xA9", "v", "1"));
  EXPECT_TRUE(reg::delete_value(HKEY_CURRENT_USER, key, name));
  EXPECT_TRUE(reg::delete_key_tree(HKEY_CURRENT_USER, key));
  EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, key));
}

TEST_F(Registry, NameListsSkipNamesOverTheLimit) {
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, kKey, "short", "1"));
  ASSERT_TRUE(reg::write_string(HKEY_CURRENT_USER, kKey, std::string(40, 'n'), "1"));
  auto names = reg::value_names(HKEY_CURRENT_USER, kKey, 20);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], "short");
  EXPECT_EQ(reg::value_names(HKEY_CURRENT_USER, kKey).size(), 2u);
  EXPECT_TRUE(reg::value_names(HKEY_CURRENT_USER, kKey + "\\Missing").empty());
}

namespace {

std::string win_ini() {
  char dir[MAX_PATH] = {};
  GetWindowsDirectoryA(dir, MAX_PATH);
  return std::string(dir) + "\\win.ini";
}

std::string load_line() {
  char buf[2048] = {};
  GetProfileStringA("windows", "load", "", buf, sizeof buf);
  return buf;
}

}  // namespace

TEST(ProfileList, AddAndRemoveWorkOnAReadOnlyWinIni) {
  ASSERT_TRUE(WriteProfileStringA("windows", "load", "first.exe"));
  std::string ini = win_ini();
  ASSERT_TRUE(SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY));

  EXPECT_TRUE(reg::add_to_profile_list("load", "C:\\Tools\\agent.exe"));
  EXPECT_EQ(load_line(), "first.exe;C:\\Tools\\agent.exe");
  EXPECT_EQ(GetFileAttributesA(ini.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);

  SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(reg::remove_from_profile_list("load", "c:\\tools\\AGENT.exe"));
  EXPECT_EQ(load_line(), "first.exe;");
  EXPECT_FALSE(reg::remove_from_profile_list("load", "absent.exe"));
  EXPECT_EQ(load_line(), "first.exe;");

  // A line too long to have been written by hand is still kept whole.
  std::string longline;
  for (int i = 0; i < 300; ++i) longline += "C:\\P\\prog" + std::to_string(i) + ".exe;";
  ASSERT_TRUE(WriteProfileStringA("windows", "load", longline.c_str()));
  EXPECT_TRUE(reg::remove_from_profile_list("load", "C:\\P\\prog7.exe"));
  char big[16384] = {};
  GetProfileStringA("windows", "load", "", big, sizeof big);
  std::string expected = longline;
  expected.erase(expected.find("C:\\P\\prog7.exe;"), 15);
  EXPECT_EQ(std::string(big), expected);

  WriteProfileStringA("windows", "load", "");
}
