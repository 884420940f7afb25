#include "common/textloader.hpp"

#include <gtest/gtest.h>

#include <string>

#include "common/product_keys.hpp"
#include "tools/test_support_win.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

const std::string kMachine(keys::kProduct);
const std::string kUser(keys::kProduct);

class TextLoader : public ::testing::Test {
 protected:
  void SetUp() override {
    delete_tree(HKEY_LOCAL_MACHINE, kMachine);
    delete_tree(HKEY_CURRENT_USER, kUser);
    text::set_language(0);
  }
  void TearDown() override {
    delete_tree(HKEY_LOCAL_MACHINE, kMachine);
    delete_tree(HKEY_CURRENT_USER, kUser);
    text::set_language(0);
  }
};

}  // namespace

TEST_F(TextLoader, EnglishNeverReadsOverrides) {
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, kMachine, "LString2", "Wachhund"));
  text::set_language(9);
  EXPECT_EQ(text::load(2), "Kestrom");
  text::set_language(7);
  EXPECT_EQ(text::load(2), "Wachhund");
}

TEST_F(TextLoader, MissingEmptyOrOverlongOverridesFallBackToTheStringTable) {
  text::set_language(12);
  EXPECT_EQ(text::load(1183), "Kestrom VANT Info...");
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, kMachine, "LString1183", ""));
  EXPECT_EQ(text::load(1183), "Kestrom VANT Info...");
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, kMachine, "LString1183", std::string(773, 'x')));
  EXPECT_EQ(text::load(1183), "Kestrom VANT Info...");
  ASSERT_TRUE(set_dword(HKEY_LOCAL_MACHINE, kMachine, "LString1183", 5));
  EXPECT_EQ(text::load(1183), "Kestrom VANT Info...");
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, kMachine, "LString1183", std::string(772, 'x')));
  EXPECT_EQ(text::load(1183), std::string(771, 'x'));
}

TEST_F(TextLoader, StringTableTextsAreCutToSizeMinusOne) {
  text::set_language(9);
  std::string out;
  EXPECT_EQ(text::load(1183, out, 8), 7u);
  EXPECT_EQ(out, "Kestrom");
  EXPECT_EQ(text::load(1183, out, 0), 0u);
  EXPECT_EQ(out, "");
  EXPECT_EQ(text::load(99999), "");
}

TEST_F(TextLoader, NonAsciiOverridesArriveAsUtf8) {
  const std::string word = "Gr\xC3\xB6\xC3\x9F" "e \xD0\x96";
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, kMachine, "LString2", word));
  text::set_language(25);
  EXPECT_EQ(text::load(2), word);
  EXPECT_EQ(text::load(2, 5), "Gr\xC3\xB6");  // never half a character
}

TEST_F(TextLoader, LanguageComesFromString634WithItsOverride) {
  text::set_language_from_string_table();
  EXPECT_EQ(text::language(), 9);
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, kMachine, "LString634", "DE"));
  text::set_language(0);
  text::set_language_from_string_table();
  EXPECT_EQ(text::language(), 7);
  // A translation installed under code page 1251 stored the Cyrillic code word; the registry
  // keeps it as characters, so the programs' UTF-8 code page reads it in UTF-8.
  const wchar_t word[] = L"\x043A\x0430\x043A";
  HKEY k = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMachine.c_str(), 0, KEY_SET_VALUE, &k), ERROR_SUCCESS);
  RegSetValueExW(k, L"LString634", 0, REG_SZ, reinterpret_cast<const BYTE*>(word), sizeof word);
  RegCloseKey(k);
  text::set_language(0);
  text::set_language_from_string_table();
  EXPECT_EQ(text::language(), 25);
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, kMachine, "LString634", "klingon"));
  text::set_language(0);
  text::set_language_from_string_table();
  EXPECT_EQ(text::language(), 0);
}

TEST_F(TextLoader, ResetToEnglishForgetsOverridesAndWindowPositions) {
  for (const char* n : {"LString0", "LString634", "LString1165"}) ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, kMachine, n, "x"));
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, kMachine, "LString1166", "kept"));
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, kMachine, "Other", "kept"));
  for (const char* n : {"xPos", "dyPos", "xPosAlert", "dxAlert", "yInfo", "dySysFiles", "xCookie",
                        "dyDefaultWarning", "dxPosAddFileType"})
    ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kUser, n, "10"));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kUser, "Version", "17.0.2010.0"));

  text::reset_to_english();

  for (const char* n : {"LString0", "LString634", "LString1165"}) EXPECT_FALSE(value_exists(HKEY_LOCAL_MACHINE, kMachine, n)) << n;
  EXPECT_TRUE(value_exists(HKEY_LOCAL_MACHINE, kMachine, "LString1166"));
  EXPECT_TRUE(value_exists(HKEY_LOCAL_MACHINE, kMachine, "Other"));
  for (const char* n : {"xPos", "dyPos", "xPosAlert", "dxAlert", "yInfo", "dySysFiles", "xCookie",
                        "dyDefaultWarning", "dxPosAddFileType"})
    EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kUser, n)) << n;
  EXPECT_TRUE(value_exists(HKEY_CURRENT_USER, kUser, "Version"));
}
