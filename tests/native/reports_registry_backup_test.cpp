#include "reports/registry_backup.hpp"

#include <gtest/gtest.h>

using namespace kestrom::reports;

namespace {
std::string z(std::string_view s) { return std::string(s) + '\0'; }
// UTF-16LE of an ASCII text, as the Windows side hands it over.
std::string wide(std::string_view s) {
  std::string out;
  for (char c : s) {
    out += c;
    out += '\0';
  }
  return out;
}
BackupValue text(std::string name, std::string_view data, std::uint32_t type = regtype::kString) {
  return {std::move(name), type, z(data), wide(z(data))};
}
}  // namespace

TEST(RegBackup, TextValuesEscapeBackslashesAndQuotesInNamesAndData) {
  EXPECT_EQ(reg_value_line(text("Path", "C:\\Program Files\\x.exe")), "\"Path\"=\"C:\\\\Program Files\\\\x.exe\"\r\n");
  EXPECT_EQ(reg_value_line(text("say \"hi\"\\", "a \"quoted\" word")),
            "\"say \\\"hi\\\"\\\\\"=\"a \\\"quoted\\\" word\"\r\n");
  // The default value and an empty text.
  EXPECT_EQ(reg_value_line(text("", "C:\\d")), "@=\"C:\\\\d\"\r\n");
  EXPECT_EQ(reg_value_line(text("e", "")), "\"e\"=\"\"\r\n");
}

TEST(RegBackup, NoLineOfTheDataCanBecomeAKeyOrValueOfItsOwn) {
  // Data with line breaks is kept byte for byte as hex(1), on lines that cannot start a key.
  const auto line = reg_value_line(text("Title", "x\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Evil]\r\n\"a\"=\"b\""));
  ASSERT_TRUE(line);
  EXPECT_EQ(line->rfind("\"Title\"=hex(1):78,00,0d,00,0a,00,5b,00,", 0), 0u);
  EXPECT_EQ(line->find('['), std::string::npos);
  EXPECT_LE(line->find("\r\n"), 80u);  // continued within 80 columns with a backslash
  EXPECT_EQ(line->substr(line->size() - 7), "00,00\r\n");
  for (std::size_t at = line->find("\r\n"); at + 2 < line->size(); at = line->find("\r\n", at + 2)) {
    EXPECT_EQ((*line)[at - 1], '\\');
    EXPECT_EQ(line->substr(at + 2, 2), "  ");
  }
  // A name with a line break has no form the editor reads back: the value is left out.
  EXPECT_FALSE(reg_value_line(text("a\r\n[HKEY_LOCAL_MACHINE\\x]", "v")));
  EXPECT_FALSE(reg_value_line(text("tab\tname", "v")));
  EXPECT_FALSE(reg_key_name_writable("sub\r\n[HKEY_LOCAL_MACHINE\\x]"));
  EXPECT_TRUE(reg_key_name_writable("Run ]["));
  EXPECT_EQ(reg_key_line("HKEY_CURRENT_USER", "Software\\Orvane\\Kestrom"),
            "[HKEY_CURRENT_USER\\Software\\Orvane\\Kestrom]\r\n");
}

TEST(RegBackup, TypesOtherThanTextKeepTheirType) {
  EXPECT_EQ(reg_value_line({"n", regtype::kDword, std::string("\x2a\x00\x01\xff", 4), {}}), "\"n\"=dword:ff01002a\r\n");
  EXPECT_EQ(reg_value_line({"b", regtype::kBinary, std::string("\x00\x10\xfe", 3), {}}), "\"b\"=hex:00,10,fe\r\n");
  EXPECT_EQ(reg_value_line({"b", regtype::kBinary, "", {}}), "\"b\"=hex:\r\n");
  EXPECT_EQ(reg_value_line(text("x", "%WINDIR%", regtype::kExpandString)),
            "\"x\"=hex(2):25,00,57,00,49,00,4e,00,44,00,49,00,52,00,25,00,00,00\r\n");
  const std::string multi("a\0b\0\0", 5);
  EXPECT_EQ(reg_value_line({"m", regtype::kMultiString, multi, wide(multi)}),
            "\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n");
  // A number of the wrong size and other types are kept as raw bytes of their type.
  EXPECT_EQ(reg_value_line({"d", regtype::kDword, "\x01\x02", {}}), "\"d\"=hex(4):01,02\r\n");
  EXPECT_EQ(reg_value_line({"q", 11, std::string("\x01\0\0\0\0\0\0\0", 8), {}}),
            "\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n");
  // A text value without its terminator, or with one inside, is not rewritten as plain text.
  EXPECT_EQ(reg_value_line({"t", regtype::kString, "ab", wide("ab")}), "\"t\"=hex(1):61,00,62,00\r\n");
  EXPECT_EQ(reg_value_line({"t", regtype::kString, std::string("a\0b\0", 4), wide(std::string("a\0b\0", 4))}),
            "\"t\"=hex(1):61,00,00,00,62,00,00,00\r\n");
}

TEST(RegBackup, LongValuesAreWrittenWhole) {
  const std::string data(300, 'v');
  EXPECT_EQ(reg_value_line(text("long", data)), "\"long\"=\"" + data + "\"\r\n");
  const auto hex = reg_value_line({"bin", regtype::kBinary, std::string(300, '\x7f'), {}});
  ASSERT_TRUE(hex);
  std::size_t pairs = 0;
  for (std::size_t at = hex->find("7f"); at != std::string::npos; at = hex->find("7f", at + 2)) ++pairs;
  EXPECT_EQ(pairs, 300u);
}
