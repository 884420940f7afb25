#include "monitor/command_line.hpp"
#include "monitor/commands.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>

using namespace kestrom::monitor;

TEST(CommandLine, ProgramOrLibraryPathOnlyRunsTheLookup) {
  auto exe = parse_command_line("\"C:\\Program Files\\Tool\\agent.EXE\"");
  EXPECT_EQ(exe.lookup_type, 460);
  // A path holding ".exe" anywhere wins over every switch, also ".dll".
  auto both = parse_command_line("C:\\a.exe.d\\x.dll -Q -expressboot");
  EXPECT_EQ(both.lookup_type, 460);
  EXPECT_FALSE(both.quit);
  EXPECT_FALSE(both.express_boot);
  auto dll = parse_command_line("c:\\windows\\system32\\shell32.DLL");
  EXPECT_EQ(dll.lookup_type, 470);
}

TEST(CommandLine, SwitchesAreCaseInsensitiveSubstrings) {
  auto c = parse_command_line("-q");
  EXPECT_TRUE(c.quit);
  EXPECT_EQ(c.lookup_type, 0);
  c = parse_command_line("  -NOOPEN -ExpressBoot");
  EXPECT_FALSE(c.quit);
  EXPECT_TRUE(c.no_open);
  EXPECT_TRUE(c.express_boot);
  EXPECT_EQ(parse_command_line(""), parse_command_line("   "));
}

TEST(CommandLine, OverlongLineMatchesNothing) {
  std::string line(800, ' ');
  line += "x.exe -Q";
  auto c = parse_command_line(line);
  EXPECT_EQ(c.lookup_type, 0);
  EXPECT_FALSE(c.quit);
}

