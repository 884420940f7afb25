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
