#include "common/trace.hpp"

#include <gtest/gtest.h>

using namespace kestrom;
using namespace kestrom::trace;

namespace {
const LocalTime kNow{2026, 3, 4, 5, 6, 7};
}

TEST(TraceText, BeginAndEndValues) {
  EXPECT_EQ(begin_value(kNow, "PATROL", "Startup step"), "03-04  05:06:07 PATROL: Startup step");
  EXPECT_EQ(end_value("Startup step", 12), "**:**:** NanoCycles: Startup step = 12 ");
  EXPECT_EQ(end_value("x", 2500), "**:**:** NanoCycles: x = 2500 \t**");
}

TEST(TraceText, BarHasOneStarPerThousandUpToSixteen) {
  EXPECT_EQ(bar(0), "");
  EXPECT_EQ(bar(999), "");
  EXPECT_EQ(bar(1000), "\t*");
  EXPECT_EQ(bar(15999), "\t" + std::string(15, '*'));
  EXPECT_EQ(bar(16000), "\t" + std::string(16, '*'));
  EXPECT_EQ(bar(1'000'000'000), "\t" + std::string(16, '*'));
  EXPECT_EQ(bar(-5), "");
}

TEST(TraceState, OffUntilEnabledAndKeysCarryTickAndCounter) {
  State s;
  EXPECT_FALSE(s.begin("T", "L", 100, kNow));
  EXPECT_FALSE(s.end(200));
  s.set_enabled(true);
  auto b = s.begin("T", "L", 1000, kNow);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->key, "1000.1");
  auto e = s.end(1500);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->key, "1500.1");
  EXPECT_EQ(e->value, "**:**:** NanoCycles: L = 250 ");
  EXPECT_FALSE(s.end(1600));  // no begin pending
  ASSERT_TRUE(s.begin("T", "M", 2000, kNow));
  EXPECT_EQ(s.end(2000)->key, "2000.2");
}

TEST(TraceState, AnAlertInBetweenReportsOne) {
  State s;
  s.set_enabled(true);
  s.begin("T", "L", 0, kNow);
  s.note_alert_shown();
  EXPECT_EQ(s.end(600000)->value, "**:**:** NanoCycles: L = 1 ");
  s.begin("T", "L", 0, kNow);  // the note does not carry over
  EXPECT_EQ(s.end(4000)->value, "**:**:** NanoCycles: L = 2000 \t**");
}

TEST(TraceState, TickWrapStillGivesTheElapsedTime) {
  State s;
  s.set_enabled(true);
  s.begin("T", "L", 0xFFFFFF00u, kNow);
  EXPECT_EQ(s.end(0x100u)->value, "**:**:** NanoCycles: L = 256 ");
}

TEST(TraceState, LabelsAreCutTo255AndTheRunStopsAfter9000Points) {
  State s;
  s.set_enabled(true);
  auto b = s.begin("T", std::string(400, 'a'), 1, kNow);
  EXPECT_EQ(b->value, "03-04  05:06:07 T: " + std::string(255, 'a'));
  for (int i = 1; i < kMaxPoints; ++i) ASSERT_TRUE(s.begin("T", "L", 1, kNow)) << i;
  EXPECT_EQ(s.points(), kMaxPoints);
  EXPECT_TRUE(s.end(2));  // the last point's end is still written
  EXPECT_FALSE(s.begin("T", "L", 3, kNow));
  EXPECT_FALSE(s.end(4));
  s.set_enabled(false);
  s.set_enabled(true);
  EXPECT_FALSE(s.begin("T", "L", 5, kNow));  // switching on again does not start a new run
}
