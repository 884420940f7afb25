#include "startup/delay.hpp"

#include <gtest/gtest.h>

#include "common/pathtext.hpp"

using namespace kestrom::delay;

namespace {
SplitCommand split(std::string_view file) {
  return split_command(file, [](std::string_view program) {
    return kestrom::command_to_file_text(program, "C:\\WINDOWS", "C:\\Program Files");
  });
}
}  // namespace

TEST(DelaySplit, ProgramEndsAtItsEndingAndTheRestAreParameters) {
  auto s = split("C:\\Tools\\agent.exe /tray -x");
  EXPECT_EQ(s.program, "C:\\TOOLS\\AGENT.EXE");
  EXPECT_EQ(s.parameters, "/tray -x");
  s = split("C:\\Tools\\agent.exe");
  EXPECT_EQ(s.program, "C:\\TOOLS\\AGENT.EXE");
  EXPECT_EQ(s.parameters, "");
  // Folders written symbolically are resolved like every other program text.
  s = split("%SystemRoot%\\system32\\tool.exe -q");
  EXPECT_EQ(s.program, "C:\\WINDOWS\\SYSTEM32\\TOOL.EXE");
  EXPECT_EQ(s.parameters, "-q");
}

TEST(DelaySplit, PifEndingCountsOnlyInTheLastPathPart) {
  auto s = split("C:\\Dos\\edit.pif /b");
  EXPECT_EQ(s.program, "C:\\DOS\\EDIT.PIF");
  EXPECT_EQ(s.parameters, "/b");
  EXPECT_EQ(split("C:\\Dos\\edit.pif").program, "C:\\DOS\\EDIT.PIF");
  s = split("C:\\Panel\\desk.cpl,@0");
  EXPECT_EQ(s.program, "C:\\PANEL\\DESK.CPL");
  EXPECT_EQ(s.parameters, ",@0");
  // A folder whose name has a point with a P two places on is no program ending.
  s = split("C:\\Tools.App\\run.exe -m");
  EXPECT_EQ(s.program, "C:\\TOOLS.APP\\RUN.EXE");
  EXPECT_EQ(s.parameters, "-m");
  s = split("C:\\My.Apps\\Sub.Pkg\\go.exe");
  EXPECT_EQ(s.program, "C:\\MY.APPS\\SUB.PKG\\GO.EXE");
}

TEST(DelaySplit, QuotedPathsWithBlanksKeepTheirFolders) {
  auto s = split("\"C:\\Program Files\\Agent Suite\\agent.exe\" /min");
  EXPECT_EQ(s.program, "C:\\PROGRAM FILES\\AGENT SUITE\\AGENT.EXE");
  EXPECT_EQ(s.parameters, "/min");
  // Unquoted, as the listing keeps a Run value's file text.
  s = split("C:\\Program Files\\Agent Suite\\agent.exe /min");
  EXPECT_EQ(s.program, "C:\\PROGRAM FILES\\AGENT SUITE\\AGENT.EXE");
  EXPECT_EQ(s.parameters, "/min");
  // A missing closing quote takes the whole rest as the program.
  EXPECT_EQ(split("\"C:\\Tools\\agent.exe").program, "C:\\TOOLS\\AGENT.EXE");
}

TEST(DelaySplit, AppletCallKeepsItsEntryPointAsParameters) {
  auto s = split("C:\\Tools\\applet.dll,Start now");
  EXPECT_EQ(s.program, "C:\\TOOLS\\APPLET.DLL");
  EXPECT_EQ(s.parameters, ",Start now");
  EXPECT_EQ(rebuilt_command(s.program, s.parameters, kApplet), "RunDLL32.exe C:\\TOOLS\\APPLET.DLL,Start now");
}

TEST(DelayRebuild, BlankRulesAndQuotes) {
  EXPECT_EQ(rebuilt_command("C:\\A.EXE", "", ""), "C:\\A.EXE");
  EXPECT_EQ(rebuilt_command("C:\\A.EXE", "/x", ""), "C:\\A.EXE /x");
  EXPECT_EQ(rebuilt_command("C:\\PROGRAM FILES\\A.EXE", "/x", ""), "\"C:\\PROGRAM FILES\\A.EXE\" /x");
  EXPECT_EQ(rebuilt_command("C:\\PROGRAM FILES\\A.DLL", ",Go", kApplet), "RunDLL32.exe \"C:\\PROGRAM FILES\\A.DLL\",Go");
  // What a split makes of the rebuilt command is what was split.
  const auto again = split(rebuilt_command("C:\\PROGRAM FILES\\A.EXE", "/x y", ""));
  EXPECT_EQ(again.program, "C:\\PROGRAM FILES\\A.EXE");
  EXPECT_EQ(again.parameters, "/x y");
}

TEST(DelayTimes, NothingShorterThanTheFirstStepAndOnlyWholeSteps) {
  EXPECT_EQ(delay_seconds(0, 0), 10);  // never "never"
  EXPECT_EQ(delay_seconds(0, 10), 10);
  EXPECT_EQ(delay_seconds(1, 30), 90);
  EXPECT_EQ(delay_seconds(60, 50), 3650);
  EXPECT_EQ(delay_seconds(0, 25), 20);
  EXPECT_EQ(delay_seconds(99, 0), 3600);
}

TEST(DelayTimes, DialogChoicesOfAStoredDelay) {
  auto c = delay_choice(90);
  EXPECT_EQ(c.minutes, 1);
  EXPECT_EQ(c.seconds_index, 3);
  c = delay_choice(30);
  EXPECT_EQ(c.minutes, 0);
  EXPECT_EQ(c.seconds_index, 3);
  c = delay_choice(999999);
  EXPECT_EQ(c.minutes, 60);
  EXPECT_EQ(c.seconds_index, 5);
  c = delay_choice(0);
  EXPECT_EQ(c.minutes, 0);
  EXPECT_EQ(c.seconds_index, 0);
  for (int t : {10, 30, 60, 70, 610, 3650}) {
    const auto choice = delay_choice(t);
    EXPECT_EQ(delay_seconds(choice.minutes, choice.seconds_index * 10), t) << t;
  }
}

TEST(DelayTimes, StoredTextsAndTheListColumn) {
  EXPECT_EQ(stored_delay("30"), 30);
  EXPECT_EQ(stored_delay(""), std::nullopt);
  EXPECT_EQ(stored_delay("3O"), std::nullopt);
  EXPECT_EQ(stored_delay("-10"), std::nullopt);
  EXPECT_EQ(stored_delay("99999999999"), std::nullopt);
  EXPECT_EQ(delay_text(30, "Min.", "Sec."), "30 Sec.");
  EXPECT_EQ(delay_text(90, "Min.", "Sec."), "1 Min. : 30 Sec.");
  EXPECT_EQ(delay_text(120, "Min.", "Sec."), "2 Min. : 0 Sec.");
  EXPECT_EQ(delay_text(0, "Min.", "Sec."), "0 Sec.");
}

TEST(DelayWindowModes, IndexAndShowCode) {
  EXPECT_EQ(show_code(window_mode("0")), 1);
  EXPECT_EQ(show_code(window_mode("1")), 6);
  EXPECT_EQ(show_code(window_mode("2")), 3);
  for (const char* other : {"", "3", "x", "12", "-1"}) EXPECT_EQ(show_code(window_mode(other)), 1) << other;
}

TEST(DelayRefusal, ProtectedPlacesTheMonitorAndSecondParameterSets) {
  EXPECT_EQ(delay_refusal(11, "C:\\a.exe", false), Refusal::None);
  EXPECT_EQ(delay_refusal(200, "C:\\a.exe", false), Refusal::None);
  for (int protected_code : {250, 251, 252, 255, 256})
    EXPECT_EQ(delay_refusal(protected_code, "C:\\a.exe", false), Refusal::MustStay) << protected_code;
  EXPECT_EQ(delay_refusal(11, "C:\\Program Files\\Kestrom\\KESTROM.EXE", false), Refusal::MustStay);
  EXPECT_EQ(delay_refusal(11, "C:\\a.exe /other", true), Refusal::AlreadyDelayed);
  EXPECT_TRUE(machine_root(1));
  EXPECT_FALSE(machine_root(11));
  EXPECT_FALSE(machine_root(21));
  EXPECT_FALSE(machine_root(200));
}
