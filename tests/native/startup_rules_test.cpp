#include "startup/rules.hpp"

#include <gtest/gtest.h>

#include "common/profile_list.hpp"
#include "common/text.hpp"

using namespace kestrom;

TEST(Rundll32Rule, FullPathPrefixIsDroppedAndFlagged) {
  auto r = rundll32_rule("C:\\Windows\\system32\\rundll32.exe shell32.dll,Control_RunDLL x.cpl");
  EXPECT_EQ(r.flag, 1);
  EXPECT_EQ(r.text, "shell32.dll,Control_RunDLL x.cpl");
}

TEST(Rundll32Rule, BareNameAnyCaseAndNothingAfterIt) {
  auto r = rundll32_rule("RunDll32.EXE agent.dll,Start");
  EXPECT_EQ(r.flag, 1);
  EXPECT_EQ(r.text, "agent.dll,Start");
  // The name alone leaves nothing to run; the text is empty rather than read past the end.
  auto bare = rundll32_rule("rundll32.exe");
  EXPECT_EQ(bare.flag, 1);
  EXPECT_EQ(bare.text, "");
}

TEST(Rundll32Rule, OtherCommandsStayUnchanged) {
  auto r = rundll32_rule("C:\\Tools\\runner.exe /rundll32");
  EXPECT_EQ(r.flag, 0);
  EXPECT_EQ(r.text, "C:\\Tools\\runner.exe /rundll32");
  EXPECT_EQ(rundll32_rule("").flag, 0);
}

TEST(Rundll32Rule, FirstMatchingShapeWinsEvenBeforeTheRealName) {
  // "RxNxLx3" in a folder name matches before "rundll32.exe": the rule is positional.
  auto r = rundll32_rule("C:\\RANALZ3abcdefgh\\rundll32.exe a.dll");
  EXPECT_EQ(r.flag, 1);
  EXPECT_EQ(r.text, "gh\\rundll32.exe a.dll");
}

TEST(WinlogonValues, UserinitPathWithTrailingCommaAndSecondProgram) {
  auto one = userinit_command_from("C:\\Windows\\system32\\userinit.exe,");
  EXPECT_TRUE(one.found);
  EXPECT_EQ(one.text, "C:\\Windows\\system32\\userinit.exe");
  auto two = userinit_command_from("C:\\Windows\\system32\\userinit.exe,  C:\\bad\\x.exe");
  EXPECT_TRUE(two.found);
  EXPECT_EQ(two.text, "C:\\bad\\x.exe");
  auto none = userinit_command_from("userinit.exe");
  EXPECT_FALSE(none.found);
  EXPECT_EQ(none.text, "userinit.exe");
}

TEST(WinlogonValues, ShellOneWordTwoWordsTrailingBlankEmpty) {
  auto one = shell_command_from("Explorer.exe");
  EXPECT_TRUE(one.found);
  EXPECT_EQ(one.text, "Explorer.exe");
  auto two = shell_command_from("Explorer.exe   evil.exe");
  EXPECT_TRUE(two.found);
  EXPECT_EQ(two.text, "evil.exe");
  EXPECT_EQ(shell_command_from("Explorer.exe ").text, "Explorer.exe");
  EXPECT_FALSE(shell_command_from("").found);
}

TEST(WinIniList, PiecesSkipEmptyOnesAndSplitOnlyAtSemicolons) {
  EXPECT_EQ(profile_list_pieces("a.exe;;b.exe"), (std::vector<std::string>{"a.exe", "b.exe"}));
  EXPECT_EQ(profile_list_pieces("a.exe b.exe"), (std::vector<std::string>{"a.exe b.exe"}));
  EXPECT_TRUE(profile_list_pieces("").empty());
  EXPECT_TRUE(profile_list_pieces(";;").empty());
}

TEST(WinIniList, RemoveKeepsOthersEachFollowedBySemicolon) {
  EXPECT_EQ(profile_list_remove("a.exe;B.EXE;c.exe", "b.exe"), "a.exe;c.exe;");
  EXPECT_EQ(profile_list_remove("b.exe", "B.exe"), "");
  EXPECT_EQ(profile_list_remove("a.exe;;b.exe;b.exe", "b.exe"), "a.exe;");
  // A piece that only contains the entry is a different program and stays.
  EXPECT_EQ(profile_list_remove("b.exe2;xb.exe", "b.exe"), "b.exe2;xb.exe;");
}

TEST(WinIniList, AddAppendsAfterSemicolonAndLongLinesKeepEveryPiece) {
  EXPECT_EQ(profile_list_append("a.exe", "b.exe"), "a.exe;b.exe");
  std::string longline;
  for (int i = 0; i < 40; ++i) longline += "C:\\Program\\p" + std::to_string(i) + ".exe;";
  ASSERT_GT(longline.size(), 600u);
  auto out = profile_list_remove(longline, "C:\\Program\\p7.exe");
  EXPECT_EQ(profile_list_pieces(out).size(), 39u);
  EXPECT_EQ(out.size(), longline.size() - std::string("C:\\Program\\p7.exe;").size());
}

TEST(AppInitList, MiddleAndLastRemovedLeaveCleanCommas) {
  auto same = [](std::string_view s) { return std::string(s); };
  EXPECT_EQ(appinit_without("a.dll,b.dll,c.dll", "B.DLL", same), "a.dll,c.dll");
  EXPECT_EQ(appinit_without("a.dll,b.dll,c.dll", "c.dll", same), "a.dll,b.dll");
  EXPECT_EQ(appinit_without("a.dll b.dll", "a.dll", same), "b.dll");
  EXPECT_EQ(appinit_without("a.dll, b.dll", "x.dll", same), "a.dll,b.dll");
  EXPECT_EQ(appinit_without("a.dll", "a.dll", same), "");
}

TEST(AppInitList, ComparesTheLongFormButKeepsPiecesAsRead) {
  auto longer = [](std::string_view s) {
    return iequals(s, "C:\\PROGRA~1\\a.dll") ? std::string("C:\\Program Files\\a.dll") : std::string(s);
  };
  EXPECT_EQ(appinit_without("C:\\PROGRA~1\\a.dll,C:\\PROGRA~1\\b.dll", "c:\\program files\\a.dll", longer),
            "C:\\PROGRA~1\\b.dll");
  EXPECT_EQ(appinit_with("", "A.DLL"), "A.DLL");
  EXPECT_EQ(appinit_with("A.DLL", "B.DLL"), "A.DLL,B.DLL");
  EXPECT_EQ(appinit_pieces(" a.dll,,b.dll  c.dll,"), (std::vector<std::string>{"a.dll", "b.dll", "c.dll"}));
}
