#include "monitor/tick.hpp"

#include <gtest/gtest.h>

#include <vector>

using kestrom::monitor::TickActions;
using kestrom::monitor::TickGuards;
using kestrom::monitor::TickSchedule;

namespace {

// Drives the schedule the way the window does, on a fake clock, and records on which tick
// (1-based) each action was asked for.
struct TickRun {
  TickSchedule s;
  long long now_ms = 0;
  std::vector<int> patrols, checks, rests;
  std::vector<bool> pending_seen_by_cycle;
  std::vector<std::pair<int, int>> launches;  // tick, time
  int ticks = 0;
  TickGuards guards;
  int launched_per_call = 0;  // delayed programs each launcher call starts

  explicit TickRun(bool express = false, int delay_count = 0) {
    s.start(express, delay_count);
    s.start_of_run();
  }
  TickActions step() {
    ++ticks;
    now_ms += kestrom::monitor::kTickPeriodMs;
    TickActions a = s.tick(guards);
    if (a.launch_delayed) {
      launches.emplace_back(ticks, *a.launch_delayed);
      s.set_delay_started(s.delay_started() + launched_per_call);
    }
    if (a.patrol_cycle) {
      patrols.push_back(ticks);
      pending_seen_by_cycle.push_back(s.realtime_pending());
      s.patrol_finished();
    }
    if (a.realtime_check) checks.push_back(ticks);
    if (a.realtime_rest) rests.push_back(ticks);
    return a;
  }
  void run_for_minutes(int minutes) {
    const long long end = now_ms + minutes * 60'000LL;
    while (now_ms < end) step();
  }
};

}  // namespace

TEST(Tick, PatrolCycleRunsOnEvery17thTick) {
  TickRun r;
  r.run_for_minutes(10);  // 300 ticks
  ASSERT_EQ(r.patrols.size(), 300u / 17u);
  for (std::size_t i = 0; i < r.patrols.size(); ++i) EXPECT_EQ(r.patrols[i], static_cast<int>(17 * (i + 1)));
  EXPECT_TRUE(r.checks.empty());
  EXPECT_TRUE(r.launches.empty());
}

TEST(Tick, StartOfRunRestartsTheCycleCount) {
  TickRun r;
  for (int i = 0; i < 10; ++i) r.step();
  r.s.start_of_run();
  for (int i = 0; i < 16; ++i) EXPECT_FALSE(r.step().patrol_cycle) << i;
  EXPECT_TRUE(r.step().patrol_cycle);
}

TEST(Tick, ExpressBootHoldsPatrolAndRealtimeThenRunsTheOverdueCycleAtOnce) {
  TickRun r(/*express=*/true);
  EXPECT_EQ(r.s.express_boot_hold(), 45);
  for (int i = 1; i <= 44; ++i) {
    r.s.notify_realtime();
    TickActions a = r.step();
    EXPECT_FALSE(a.patrol_cycle) << "tick " << i;
    EXPECT_FALSE(a.realtime_check) << "tick " << i;
    EXPECT_TRUE(r.s.realtime_pending()) << "a held notification stays pending";
  }
  EXPECT_EQ(r.s.tick_counter(), 44) << "the counter keeps rising while held";
  // The hold counts itself down at the start of the tick, so the 45th tick is the first free
  // one and runs the overdue cycle, which also takes the pending notification.
  TickActions a = r.step();
  EXPECT_TRUE(a.patrol_cycle);
  EXPECT_FALSE(a.realtime_check);
  EXPECT_FALSE(r.s.realtime_pending());
  EXPECT_EQ(r.s.express_boot_hold(), 0);
  r.run_for_minutes(2);
  ASSERT_GE(r.patrols.size(), 3u);
  EXPECT_EQ(r.patrols[1], 45 + 17);
  EXPECT_EQ(r.patrols[2], 45 + 34);
}

TEST(Tick, ExpressBootStillStartsDelayedPrograms) {
  TickRun r(/*express=*/true, /*delay_count=*/3);
  for (int i = 0; i < 44; ++i) r.step();
  ASSERT_EQ(r.launches.size(), 7u);
  EXPECT_EQ(r.launches[0], std::make_pair(6, 10));
  EXPECT_EQ(r.launches[6], std::make_pair(42, 70));
  EXPECT_TRUE(r.patrols.empty());
}

TEST(Tick, DelayStepEverySixthTickWithTimeStepTimesTen) {
  TickRun r(false, /*delay_count=*/2);
  r.run_for_minutes(1);  // 30 ticks
  ASSERT_EQ(r.launches.size(), 5u);
  for (std::size_t i = 0; i < r.launches.size(); ++i) {
    EXPECT_EQ(r.launches[i].first, static_cast<int>(6 * (i + 1)));
    EXPECT_EQ(r.launches[i].second, static_cast<int>(10 * (i + 1)));
  }
  EXPECT_EQ(r.s.delay_step(), 5);
}

TEST(Tick, DelayStopsWhenAllProgramsAreStarted) {
  TickRun r(false, /*delay_count=*/2);
  r.launched_per_call = 1;
  r.run_for_minutes(5);
  ASSERT_EQ(r.launches.size(), 2u);
  EXPECT_EQ(r.launches[1], std::make_pair(12, 20));
  EXPECT_EQ(r.s.delay_started(), 2);
}

TEST(Tick, RealtimeStreakChecksThreeTicksAndRestsOnTheFourth) {
  TickRun r;
  for (int i = 0; i < 8; ++i) {
    r.s.notify_realtime();
    r.step();
    EXPECT_FALSE(r.s.realtime_pending());
  }
  EXPECT_EQ(r.checks, (std::vector<int>{1, 2, 3, 5, 6, 7}));
  EXPECT_EQ(r.rests, (std::vector<int>{4, 8}));
  EXPECT_EQ(r.s.realtime_streak(), 0);
}

TEST(Tick, AQuietTickBreaksTheStreak) {
  TickRun r;
  for (int i = 0; i < 3; ++i) {
    r.s.notify_realtime();
    r.step();
  }
  r.step();  // nothing pending
  EXPECT_EQ(r.s.realtime_streak(), 0);
  r.s.notify_realtime();
  EXPECT_TRUE(r.step().realtime_check);
  EXPECT_TRUE(r.rests.empty());
}

TEST(Tick, RealtimeWaitsWhileAnAlertIsShowingOrAPatrolIsBusy) {
  TickRun r;
  r.s.notify_realtime();
  r.guards.alert_showing = true;
  EXPECT_FALSE(r.step().realtime_check);
  r.guards = {false, true};
  EXPECT_FALSE(r.step().realtime_check);
  EXPECT_TRUE(r.s.realtime_pending());
  EXPECT_EQ(r.s.realtime_streak(), 0) << "held ticks do not count towards the streak";
  r.guards = {};
  EXPECT_TRUE(r.step().realtime_check);
}

TEST(Tick, APatrolCycleTakesAPendingNotification) {
  TickRun r;
  for (int i = 0; i < 16; ++i) r.step();
  r.s.notify_realtime();
  TickActions a = r.step();
  EXPECT_TRUE(a.patrol_cycle);
  EXPECT_FALSE(a.realtime_check);
  EXPECT_EQ(r.pending_seen_by_cycle, std::vector<bool>{true}) << "the cycle notes running programs then";
  EXPECT_FALSE(r.s.realtime_pending());
  EXPECT_EQ(r.s.realtime_streak(), 0);
}

TEST(Tick, TicksInsideACycleKeepCountingUntilItReturns) {
  TickRun r;
  for (int i = 0; i < 16; ++i) r.step();
  ASSERT_TRUE(r.s.tick({}).patrol_cycle);
  // A dialog of the cycle is open: its message loop delivers more ticks, each of which asks
  // for the cycle again (the cycle's own guard turns it away).
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(r.s.tick({false, true}).patrol_cycle);
  r.s.patrol_finished();
  EXPECT_EQ(r.s.tick_counter(), 0);
  for (int i = 0; i < 16; ++i) EXPECT_FALSE(r.step().patrol_cycle);
  EXPECT_TRUE(r.step().patrol_cycle);
}

TEST(Tick, BringingThePatrolForwardRunsItOnTheNextTick) {
  TickRun r;
  r.s.notify_realtime();
  EXPECT_TRUE(r.step().realtime_check);
  r.s.bring_patrol_forward();
  EXPECT_TRUE(r.step().patrol_cycle);
  EXPECT_EQ(r.s.tick_counter(), 0);
}

TEST(Tick, OneTickMayLaunchPatrolAndNothingElseInOrder) {
  TickRun r(false, 1);
  // Tick 102 is both a sixth and a 17th tick.
  for (int i = 0; i < 101; ++i) r.step();
  TickActions a = r.step();
  ASSERT_TRUE(a.launch_delayed.has_value());
  EXPECT_EQ(*a.launch_delayed, 170);
  EXPECT_TRUE(a.patrol_cycle);
}
