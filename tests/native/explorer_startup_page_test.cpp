#include "explorer/startup_page_rules.hpp"

#include <gtest/gtest.h>

#include <map>

#include "common/locations.hpp"

using namespace kestrom;
using namespace kestrom::explorer;

TEST(StartupButtons, FollowTheSelectedEntrysPlaceAndState) {
  auto none = startup_buttons(false, code::kCurrentRun, false);
  EXPECT_FALSE(none.show_enable);
  EXPECT_FALSE(none.toggle_enabled);
  auto on = startup_buttons(true, code::kCurrentRun, false);
  EXPECT_TRUE(on.remove_enabled && on.toggle_enabled);
  EXPECT_FALSE(on.show_enable);
  EXPECT_FALSE(on.remove_reads_reset);
  auto off = startup_buttons(true, code::kMachineRun, true);
  EXPECT_TRUE(off.show_enable && off.toggle_enabled);
  auto shell = startup_buttons(true, code::kWinlogonShell, false);
  EXPECT_TRUE(shell.remove_reads_reset && shell.remove_enabled);
  EXPECT_FALSE(shell.toggle_enabled);
  for (int protected_code : {code::kDelayLoad, code::kAppInitDlls}) {
    auto p = startup_buttons(true, protected_code, false);
    EXPECT_TRUE(p.remove_enabled);
    EXPECT_FALSE(p.toggle_enabled);
    EXPECT_FALSE(p.remove_reads_reset);
  }
  auto notify = startup_buttons(true, code::kWinlogonNotify, false);
  EXPECT_FALSE(notify.remove_enabled);
  EXPECT_TRUE(notify.toggle_enabled);
}

TEST(AddedProgram, TitleFallsBackFromDescriptionToProductToFileName) {
  EXPECT_EQ(added_program_title("Agent Tray", "Agent", "agent.exe"), "Agent Tray");
  EXPECT_EQ(added_program_title("", "Agent", "agent.exe"), "Agent");
  EXPECT_EQ(added_program_title("", "", "agent.exe"), "agent");
  EXPECT_EQ(added_program_title("", "", "a.b"), "");  // nothing but an extension: no crash, no junk
}

TEST(AddedProgram, PathWithBlanksIsQuoted) {
  EXPECT_EQ(added_program_command("C:\\Tools\\agent.exe"), "C:\\Tools\\agent.exe");
  EXPECT_EQ(added_program_command("C:\\Program Files\\Agent\\agent.exe"), "\"C:\\Program Files\\Agent\\agent.exe\"");
}

TEST(AddedProgram, NeverOverwritesAnotherCommandOfTheSameName) {
  std::map<std::string, std::string> run{{"Agent", "C:\\Old\\agent.exe"}, {"Agent (2)", "C:\\Other.exe"}};
  auto existing = [&](std::string_view name) -> std::optional<std::string> {
    auto it = run.find(std::string(name));
    if (it == run.end()) return std::nullopt;
    return it->second;
  };
  EXPECT_EQ(added_value_name("Fresh", "C:\\f.exe", existing), "Fresh");
  EXPECT_EQ(added_value_name("Agent", "C:\\New\\agent.exe", existing), "Agent (3)");
  // The same command under the title already: nothing to write.
  EXPECT_EQ(added_value_name("Agent", "c:\\old\\AGENT.exe", existing), std::nullopt);
  run.clear();
  for (int n = 1; n <= kMaxAddedNameTries; ++n) run[n == 1 ? "X" : "X (" + std::to_string(n) + ")"] = "C:\\y.exe";
  EXPECT_EQ(added_value_name("X", "C:\\z.exe", existing), std::nullopt);  // no free name: nothing written
}
