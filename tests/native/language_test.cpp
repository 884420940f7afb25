#include "common/language.hpp"

#include <gtest/gtest.h>

#include <string>

using namespace kestrom;

TEST(LanguageTable, CodesIgnoreCaseAndUnknownIsNeutral) {
  EXPECT_EQ(language_id_from_code("us"), 9);
  EXPECT_EQ(language_id_from_code("US"), 9);
  EXPECT_EQ(language_id_from_code("De"), 7);
  EXPECT_EQ(language_id_from_code("fr"), 12);
  EXPECT_EQ(language_id_from_code("es"), 10);
  EXPECT_EQ(language_id_from_code("it"), 16);
  EXPECT_EQ(language_id_from_code("se"), 29);
  EXPECT_EQ(language_id_from_code("ru"), 25);
  EXPECT_EQ(language_id_from_code("pt"), 22);
  EXPECT_EQ(language_id_from_code("br"), 22);
  EXPECT_EQ(language_id_from_code("pl"), 21);
  EXPECT_EQ(language_id_from_code("no"), 20);
  EXPECT_EQ(language_id_from_code("gr"), 8);
  EXPECT_EQ(language_id_from_code("nl"), 19);
  EXPECT_EQ(language_id_from_code("sq"), 28);
  EXPECT_EQ(language_id_from_code("tr"), 31);
  EXPECT_EQ(language_id_from_code("ar"), 1);
  EXPECT_EQ(language_id_from_code("fi"), 11);
  EXPECT_EQ(language_id_from_code("cn"), 4);
  EXPECT_EQ(language_id_from_code("xx"), 0);
  EXPECT_EQ(language_id_from_code(""), 0);
  EXPECT_EQ(language_id_from_code("us "), 0);
  EXPECT_EQ(language_id_from_code("usa"), 0);
}

TEST(LanguageTable, CyrillicWordOfCodePage1251AndItsUtf8Form) {
  EXPECT_EQ(language_id_from_code("\xEA\xE0\xEA"), 25);
  EXPECT_EQ(language_id_from_code("\xD0\xBA\xD0\xB0\xD0\xBA"), 25);
  EXPECT_EQ(language_id_from_code("\xEA\xE0"), 0);
}

TEST(Override, PercentNBecomesOneLineBreak) {
  EXPECT_EQ(apply_override("Hallo%nWelt", 1024), "Hallo\nWelt");
  EXPECT_EQ(override_length("Hallo%nWelt", 1024), 11u);
  EXPECT_EQ(apply_override("%n%n", 1024), "\n\n");
  EXPECT_EQ(apply_override("100%", 1024), "100%");
  EXPECT_EQ(apply_override("%%n", 1024), "%\n");
  EXPECT_EQ(apply_override("%N stays", 1024), "%N stays");
}

TEST(Override, CutToSizeMinusOneBeforeTheReplacement) {
  EXPECT_EQ(apply_override("abcdef", 4), "abc");
  EXPECT_EQ(override_length("abcdef", 4), 3u);
  // A "%n" split by the cut keeps its "%".
  EXPECT_EQ(apply_override("ab%nc", 4), "ab%");
  EXPECT_EQ(apply_override("ab%nc", 5), "ab\n");
  EXPECT_EQ(override_length("ab%nc", 5), 4u);
  EXPECT_EQ(apply_override("abc", 1), "");
  EXPECT_EQ(apply_override("abc", 0), "");
  EXPECT_EQ(override_length("abc", 0), 0u);
}

TEST(Override, NeverLongerThan771Characters) {
  std::string longest(772, 'x');
  EXPECT_EQ(apply_override(longest, 4096).size(), 771u);
  EXPECT_EQ(override_length(longest, 4096), 771u);
  EXPECT_EQ(apply_override(longest, 773).size(), 771u);
  EXPECT_EQ(apply_override(longest, 100).size(), 99u);
}

TEST(CutText, DoesNotSplitAUtf8Character) {
  const std::string gruss = "Gr\xC3\xBC\xC3\x9F";  // "Grüß", 6 bytes
  EXPECT_EQ(cut_text(gruss, 6), gruss);
  EXPECT_EQ(cut_text(gruss, 5), "Gr\xC3\xBC");
  EXPECT_EQ(cut_text(gruss, 3), "Gr");
  EXPECT_EQ(cut_text("\xF0\x9F\x98\x80z", 3), "");
  EXPECT_EQ(cut_text("\xF0\x9F\x98\x80z", 4), "\xF0\x9F\x98\x80");
  // Bytes that are no UTF-8 sequence are cut where asked.
  EXPECT_EQ(cut_text("\x80\x80\x80\x80\x80", 2), "\x80\x80");
  EXPECT_EQ(cut_text("abc", 0), "");
}
