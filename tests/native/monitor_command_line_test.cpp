#include "monitor/command_line.hpp"
#include "monitor/commands.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>

using namespace kestrom::monitor;

TEST(CommandLine, ProgramOrLibraryPathOnlyRunsTheLookup) {
  auto exe = parse_command_line("\"C:\\Program Files\\Tool\\agent.EXE\"");
  EXPECT_EQ(exe.lookup_type, kLookupProgram);
  // A path holding ".exe" anywhere wins over every switch, also ".dll".
  auto both = parse_command_line("C:\\a.exe.d\\x.dll -Q -expressboot");
  EXPECT_EQ(both.lookup_type, kLookupProgram);
  EXPECT_FALSE(both.quit);
  EXPECT_FALSE(both.express_boot);
  auto dll = parse_command_line("c:\\windows\\system32\\shell32.DLL");
  EXPECT_EQ(dll.lookup_type, kLookupLibrary);
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

TEST(Commands, EveryExplorerCommandHasItsSwitch) {
  EXPECT_EQ(explorer_switch(cmd::kStartup), "-START");
  EXPECT_EQ(explorer_switch(cmd::kCookies), "-NUTS");
  EXPECT_EQ(explorer_switch(cmd::kActiveTasks), "-TASK");
  EXPECT_EQ(explorer_switch(cmd::kOptions), "-OPTIONS");
  EXPECT_EQ(explorer_switch(cmd::kServices), "-SERVICE");
  EXPECT_EQ(explorer_switch(cmd::kScheduledTasks), "-SCHEDULE");
  EXPECT_EQ(explorer_switch(cmd::kIEHelpers), "-BHO");
  EXPECT_EQ(explorer_switch(cmd::kFileTypes), "-FILETYPES");
  EXPECT_EQ(explorer_switch(cmd::kHiddenFiles), "-HIDDEN");
  EXPECT_EQ(explorer_switch(cmd::kDelayedStart), "-DELAY");
  EXPECT_EQ(explorer_switch(cmd::kActiveX), "-ACTIVEX");
  EXPECT_EQ(explorer_switch(cmd::kRecent), "-RECENT");
  for (int c : {cmd::kStartOfRun, cmd::kQuit, cmd::kAlwaysRun, cmd::kRestartCommands,
                cmd::kTrayIconShowHide, 6027, 6061})
    EXPECT_FALSE(explorer_switch(c).has_value()) << c;
}

TEST(Commands, TrayMenuFollowsTheFamily) {
  auto nt = tray_menu(Family::Nt);
  const std::vector<MenuEntry> expected_nt{
      {610, 6033}, {0, 0},      {503, 6026},  {1020, 6055}, {697, 6040},  {509, 6038},
      {685, 6039}, {1067, 6056}, {0, 0},      {504, 6029},  {505, 6028},  {510, 6042},
      {1018, 6052}, {1192, 6060}, {0, 0},     {508, 6030}};
  EXPECT_EQ(nt, expected_nt);
  auto old = tray_menu(Family::Win9x);
  ASSERT_EQ(old.size(), nt.size());
  EXPECT_EQ(std::count(old.begin(), old.end(), MenuEntry{509, 6038}), 0);
  EXPECT_EQ(old[old.size() - 3], (MenuEntry{507, 6034}));
  EXPECT_EQ(default_tray_icon(Family::Nt), 101);
  EXPECT_EQ(default_tray_icon(Family::Win9x), 159);
}
