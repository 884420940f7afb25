#include "common/text.hpp"

#include <gtest/gtest.h>
#include <windows.h>

// The manifest of every program switches the A functions to UTF-8; the text rules must hold
// for names in any language under that code page.
TEST(CodePage, ProgramsRunWithUtf8AnsiCodePage) { EXPECT_EQ(GetACP(), 65001u); }

TEST(CodePage, ContainsMatchesNonAsciiNamesByteForByte) {
  EXPECT_TRUE(kestrom::contains("C:\\Programme\\Grüße\\agent.exe", "grüße"));
}
