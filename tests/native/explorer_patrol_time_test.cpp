#include "explorer/patrol_time.hpp"

#include <gtest/gtest.h>

using namespace kestrom;
using namespace kestrom::explorer;

TEST(SetPatrolTime, SliderAndBoxFollowTheInterval) {
  EXPECT_EQ(patrol_slider_position(0), 0);
  EXPECT_EQ(patrol_slider_position(12), 12);
  EXPECT_EQ(patrol_slider_position(30), 30);
  EXPECT_EQ(patrol_slider_position(45), 30);  // beyond the slider: it stands at its end
  EXPECT_EQ(patrol_slider_position(-5), 0);   // junk in the store never moves it below 0
  EXPECT_EQ(patrol_box_text(9), "9");
  EXPECT_EQ(patrol_box_text(27), "27");
  EXPECT_FALSE(patrol_box_enabled(0));
  EXPECT_TRUE(patrol_box_enabled(3));
}

TEST(SetPatrolTime, OkReturnsTheBoxNumberWhichTheSliderDoesNotLimit) {
  EXPECT_EQ(patrol_ok_result("45"), 45);
  EXPECT_EQ(patrol_ok_result("7"), 7);
  EXPECT_EQ(patrol_ok_result("0"), 0);
  EXPECT_EQ(patrol_ok_result(""), 0);
  EXPECT_EQ(patrol_ok_result("x1"), 0);
  EXPECT_EQ(patrol_ok_result("-1"), 0);   // never the "closed" answer
  EXPECT_EQ(patrol_ok_result("123"), 0);  // more digits than the box takes
}

TEST(SetPatrolTime, RealTimeValueBelongsToItsCategorysCaption) {
  EXPECT_EQ(patrol_realtime_option(784), Opt::RealtimeStartup);
  EXPECT_EQ(patrol_realtime_option(957), Opt::RealtimeServices);
  EXPECT_EQ(patrol_realtime_option(792), Opt::RealtimeSysFiles);
  EXPECT_EQ(patrol_realtime_option(1157), Opt::RealtimeActiveX);
  for (int none : {786, 787, 789, 790}) EXPECT_EQ(patrol_realtime_option(none), std::nullopt) << none;
}
