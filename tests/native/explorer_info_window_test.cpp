// The information window: stepping with wrap-around, the expanded flag that every opening
// flips, and its height and button row at 96, 120 and 144 DPI.
#include <gtest/gtest.h>

#include "explorer/info_window.hpp"

using namespace kestrom::explorer::info;

TEST(InfoWindow, NextAndPreviousWrapAtBothEnds) {
  EXPECT_EQ(next_index(0, 3), 1);
  EXPECT_EQ(next_index(2, 3), 0);
  EXPECT_EQ(previous_index(0, 3), 2);
  EXPECT_EQ(previous_index(2, 3), 1);
  EXPECT_EQ(next_index(0, 1), 0);
  EXPECT_EQ(previous_index(0, 1), 0);
  EXPECT_EQ(next_index(0, 0), 0);
  EXPECT_EQ(previous_index(5, 3), 2);  // an index past the list is brought back into it
}

TEST(InfoWindow, FirstOpeningIsShrunkAndEachLaterOneTheOppositeOfHowItWasLeft) {
  ExpandState state;
  EXPECT_FALSE(state.open());    // first opening of the run: shrunk
  EXPECT_TRUE(state.toggle());   // "Expand Info", then Close
  EXPECT_FALSE(state.open());    // shrunk again
  EXPECT_TRUE(state.open());     // closed shrunk: the next opening is expanded
  EXPECT_FALSE(state.toggle());  // shrunk by the button
  EXPECT_TRUE(state.open());
}

TEST(InfoWindow, HeightAndButtonRowFollowTheDisplayScale) {
  struct Case {
    int dpi;
    Geometry expanded, shrunk;
  };
  const Case cases[] = {
      {96, {421, 350}, {246, 185}},
      {120, {526, 438}, {308, 231}},  // 526.25, 437.5, 307.5, 231.25 to the nearest pixel
      {144, {632, 525}, {369, 278}},  // 631.5, 525, 369, 277.5
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dpi);
    EXPECT_EQ(geometry(true, c.dpi).height, c.expanded.height);
    EXPECT_EQ(geometry(true, c.dpi).button_y, c.expanded.button_y);
    EXPECT_EQ(geometry(false, c.dpi).height, c.shrunk.height);
    EXPECT_EQ(geometry(false, c.dpi).button_y, c.shrunk.button_y);
  }
  // A display that reports no scale is taken as 96 DPI.
  EXPECT_EQ(geometry(true, 0).height, 421);
}

TEST(InfoWindow, NoteNamesStayOnePlainNameInsideTheNotesFolder) {
  EXPECT_EQ(note_file_name("C:\\PROGRAM FILES\\APP\\APP.EXE"), "APP.EXE.txt");
  EXPECT_EQ(note_file_name("app.exe"), "app.exe.txt");
  // Whatever the text holds, the name has no separator, no drive and no way up.
  for (const char* hostile : {"..", ".", "C:\\x\\..", "..\\..\\history", "a/../../b", "C:", "x\\ . .", ""}) {
    const std::string name = note_file_name(hostile);
    SCOPED_TRACE(hostile);
    EXPECT_EQ(name.find_first_of("\\/:"), std::string::npos);
    EXPECT_NE(name, "..txt");
    EXPECT_FALSE(name.starts_with(".."));
  }
  EXPECT_EQ(note_file_name("C:\\x\\.."), "");
  EXPECT_EQ(note_file_name("..\\..\\history"), "history.txt");
  EXPECT_EQ(note_file_name("C:\\dir\\a<b>|?*\".exe"), "a_b_____.exe.txt");
  EXPECT_EQ(note_file_name(std::string("C:\\a\x01" "b.exe")), "a_b.exe.txt");
  // Device names would open the device, not a file.
  EXPECT_EQ(note_file_name("C:\\tools\\NUL.EXE"), "_NUL.EXE.txt");
  EXPECT_EQ(note_file_name("C:\\tools\\com1"), "_com1.txt");
  EXPECT_EQ(note_file_name("C:\\tools\\COMMAND.COM"), "COMMAND.COM.txt");
  // A long name is cut, and a cut that ends in a dot loses it.
  const std::string longname = std::string(kMaxNoteNameLength - 1, 'a') + ".exe";
  EXPECT_EQ(note_file_name("C:\\" + longname), std::string(kMaxNoteNameLength - 1, 'a') + ".txt");
}

TEST(InfoWindow, NoteTexts) {
  EXPECT_EQ(new_note_text("Agent", "C:\\a\\agent.exe /x"), "Agent\r\nC:\\a\\agent.exe /x\r\n");
  EXPECT_EQ(note_text_to_save(std::string(kMaxNoteLength + 5, 'n')).size(), kMaxNoteLength);
  EXPECT_EQ(note_text_to_save("short"), "short");
}

TEST(InfoWindow, EachKindOfItemGetsItsOwnStatusAndButtons) {
  ItemFacts f;
  f.code = 11;  // HKCU Run
  f.file_exists = true;
  Controls c = controls_for(f);
  EXPECT_TRUE(c.status && c.run && !c.stop && !c.start_type);
  EXPECT_EQ(c.status_string, kStringReady);
  f.running = true;
  c = controls_for(f);
  EXPECT_TRUE(c.stop && c.stop_enabled && !c.run && !c.stop_is_service);
  EXPECT_EQ(c.status_string, kStringRunning);
  f.running = false;
  f.file_exists = false;
  c = controls_for(f);
  EXPECT_TRUE(c.status && !c.run && !c.stop);
  EXPECT_EQ(c.status_string, kStringFileNotFound);

  // System places: neither started nor ended from here; the note area explains the place.
  f = {};
  f.code = 252;
  f.file_exists = f.running = true;
  c = controls_for(f);
  EXPECT_TRUE(c.system_place && c.status && !c.run && !c.stop);

  // Hidden files and helpers: no status line, no buttons.
  for (int code : {370, 900, 901, 902}) {
    f = {};
    f.code = code;
    f.file_exists = f.running = true;
    c = controls_for(f);
    EXPECT_FALSE(c.status || c.run || c.stop || c.start_type) << code;
  }

  // Services: "Stop" only while the service accepts it; the start type always.
  f = {};
  f.code = 700;
  f.file_exists = true;
  f.service_state_known = true;
  c = controls_for(f);
  EXPECT_TRUE(c.stop && c.stop_is_service && !c.stop_enabled && c.start_type && !c.run);
  EXPECT_EQ(c.status_string, 0);
  f.service_can_stop = true;
  EXPECT_TRUE(controls_for(f).stop_enabled);
  f.service_state_known = false;
  EXPECT_FALSE(controls_for(f).stop_enabled);
  f.file_exists = false;
  EXPECT_EQ(controls_for(f).status_string, kStringFileNotFound);
}

TEST(InfoWindow, StartTypeListPositionsAndFieldLines) {
  EXPECT_EQ(start_type_position(2), 0);
  EXPECT_EQ(start_type_position(4), 2);
  EXPECT_EQ(start_type_position(1), -1);
  EXPECT_EQ(start_type_of_position(1), 3);
  EXPECT_EQ(start_type_of_position(3), 0);
  EXPECT_EQ(labelled("Company:", "Orvane"), "Company: Orvane");
  EXPECT_EQ(labelled("Startup Location: ", "HKCU"), "Startup Location: HKCU");
  EXPECT_EQ(helper_location_line("Location", "Software\\Microsoft\\Internet Explorer\\Toolbar"),
            "Location: \"HKLM\\Software\\Microsoft\\Internet Explorer\\Toolbar\"");
}
