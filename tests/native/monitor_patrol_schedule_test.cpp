#include "monitor/patrol_schedule.hpp"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using kestrom::Opt;
using kestrom::Options;
using kestrom::Program;
using namespace kestrom::monitor;

namespace {

constexpr std::uint64_t kCycleGapMs = 34'000;  // 17 ticks of 2 seconds

// Runs whole cycles on a fake clock and records, per step, the cycle numbers (1-based) that
// ran it.
struct Patrol {
  PatrolSchedule s;
  std::uint64_t now = 5'000'000;
  int cycles = 0;
  std::map<PatrolStep, std::vector<int>> ran;
  std::vector<int> refreshes;

  explicit Patrol(const Options& o) {
    s.load(o);
    s.set_last_cycle_time(now);
  }
  CyclePlan cycle(bool hide_icon = false) {
    now += kCycleGapMs;
    ++cycles;
    CyclePlan p = s.begin_cycle(false, false, hide_icon, now);
    if (p.refresh_tray_icon) refreshes.push_back(cycles);
    for (PatrolStep step : p.steps) ran[step].push_back(cycles);
    if (p.outcome == CyclePlan::Outcome::Run) s.end_cycle(now + 200);
    return p;
  }
  void run(int n) {
    for (int i = 0; i < n; ++i) cycle();
  }
};

Options defaults() { return Options::defaults(Program::Monitor); }

std::vector<int> every(int first, int step, int last) {
  std::vector<int> out;
  for (int c = first; c <= last; c += step) out.push_back(c);
  return out;
}

}  // namespace

TEST(PatrolSchedule, DefaultsStartupEveryFourthCycleServicesEveryFourteenth) {
  Patrol p(defaults());
  p.run(280);
  EXPECT_EQ(p.ran[PatrolStep::Startup], every(3, 4, 280));
  EXPECT_EQ(p.ran[PatrolStep::Services], every(14, 14, 280));
  EXPECT_EQ(p.ran[PatrolStep::ScheduledTasks], every(22, 22, 280));
  EXPECT_EQ(p.ran[PatrolStep::FileTypes], every(19, 20, 280));
  EXPECT_TRUE(p.ran[PatrolStep::HiddenFiles].empty()) << "interval 0 by default";
  EXPECT_TRUE(p.ran[PatrolStep::NewCookies].empty());
  EXPECT_EQ(p.ran[PatrolStep::MozillaCookies], every(2, 2, 280)) << "no countdown: every second half";
}

TEST(PatrolSchedule, IntervalsZeroOneAndTwoOverHundredsOfCycles) {
  for (int interval : {0, 1, 2}) {
    SCOPED_TRACE(interval);
    Options o = defaults();
    for (const PatrolStepDef& d : patrol_steps())
      if (d.interval != Opt::Count_) o[d.interval] = interval;
    Patrol p(o);
    p.run(400);
    for (const PatrolStepDef& d : patrol_steps()) {
      if (d.interval == Opt::Count_) continue;
      SCOPED_TRACE(std::string(d.label));
      const int first = d.half == 0 ? 1 : 2;
      const std::vector<int> expected = interval == 0   ? std::vector<int>{}
                                        : interval == 1 ? every(first, 2, 400)
                                                        : every(first + 2, 4, 400);
      EXPECT_EQ(p.ran[d.step], expected);
    }
  }
}

TEST(PatrolSchedule, HalvesAlternateAndStepsKeepTableOrder) {
  Options o = defaults();
  for (const PatrolStepDef& d : patrol_steps())
    if (d.interval != Opt::Count_) o[d.interval] = 1;
  Patrol p(o);
  CyclePlan first = p.cycle();
  EXPECT_EQ(first.half, 0);
  EXPECT_EQ(first.steps, (std::vector<PatrolStep>{PatrolStep::Startup, PatrolStep::IEHelpers, PatrolStep::HiddenFiles,
                                                 PatrolStep::ActiveX, PatrolStep::SystemFiles,
                                                 PatrolStep::DefaultPages, PatrolStep::FileTypes}));
  CyclePlan second = p.cycle();
  EXPECT_EQ(second.half, 1);
  EXPECT_EQ(second.steps,
            (std::vector<PatrolStep>{PatrolStep::ScheduledTasks, PatrolStep::Services,
                                     PatrolStep::CookieFilter, PatrolStep::MozillaCookies, PatrolStep::NewCookies}));
  EXPECT_EQ(p.cycle().half, 0);
}

TEST(PatrolSchedule, RealtimeRunsASwitchedOffStepOnceInItsNextHalf) {
  Options o = defaults();
  o[Opt::Hidden] = 0;
  o[Opt::RealtimeHidden] = 1;
  o[Opt::Services] = 0;
  o[Opt::RealtimeServices] = 1;
  Patrol p(o);
  p.run(5);  // the next cycle would be a second half
  p.s.bring_forward(o);
  CyclePlan next = p.cycle();
  EXPECT_EQ(next.half, 0) << "the realtime check makes the next cycle a first half";
  EXPECT_EQ(p.ran[PatrolStep::HiddenFiles], (std::vector<int>{6}));
  EXPECT_EQ(p.s.countdown_of(PatrolStep::HiddenFiles), 0) << "switched off again";
  p.run(200);
  EXPECT_EQ(p.ran[PatrolStep::HiddenFiles], (std::vector<int>{6}));
  EXPECT_EQ(p.ran[PatrolStep::Services], (std::vector<int>{7}));
}

TEST(PatrolSchedule, RealtimeLeavesStepsWithTheirOptionOffAlone) {
  Options o = defaults();
  o[Opt::RealtimeStartup] = 0;
  Patrol p(o);
  p.run(2);
  const int before = p.s.countdown_of(PatrolStep::Startup);
  const int tasks_before = p.s.countdown_of(PatrolStep::ScheduledTasks);
  p.s.bring_forward(o);
  EXPECT_EQ(p.s.countdown_of(PatrolStep::Startup), before);
  EXPECT_EQ(p.s.countdown_of(PatrolStep::IEHelpers), 1);
  EXPECT_EQ(p.s.countdown_of(PatrolStep::ScheduledTasks), tasks_before) << "no realtime option";
}

TEST(PatrolSchedule, GuardsSkipWithResultOneAndChangeNothing) {
  Patrol p(defaults());
  p.run(3);
  const auto before_time = p.s.last_cycle_time();
  const int before_half = p.s.half(), before_counter = p.s.cycle_counter();
  for (auto [alert, busy] : {std::pair{true, false}, std::pair{false, true}}) {
    CyclePlan plan = p.s.begin_cycle(alert, busy, false, p.now + kCycleGapMs);
    EXPECT_EQ(plan.outcome, CyclePlan::Outcome::Skipped);
    EXPECT_EQ(plan.result(), 1);
    EXPECT_TRUE(plan.steps.empty());
  }
  EXPECT_EQ(p.s.last_cycle_time(), before_time);
  EXPECT_EQ(p.s.half(), before_half);
  EXPECT_EQ(p.s.cycle_counter(), before_counter);
}

TEST(PatrolSchedule, ACycleWithinASecondLeavesEarlyWithResultZero) {
  Options o = defaults();
  o[Opt::Start] = 1;
  Patrol p(o);
  p.cycle();
  const int half = p.s.half();
  const int countdown = p.s.countdown_of(PatrolStep::Startup);
  CyclePlan again = p.s.begin_cycle(false, false, false, p.now + 999);
  EXPECT_EQ(again.outcome, CyclePlan::Outcome::TooSoon);
  EXPECT_EQ(again.result(), 0);
  EXPECT_TRUE(again.steps.empty());
  EXPECT_EQ(p.s.last_cycle_time(), p.now + 999) << "only the time of the last cycle moves";
  EXPECT_EQ(p.s.half(), half);
  EXPECT_EQ(p.s.countdown_of(PatrolStep::Startup), countdown);
  EXPECT_EQ(p.s.begin_cycle(false, false, false, p.now + 999 + 1000).outcome, CyclePlan::Outcome::Run);
}

TEST(PatrolSchedule, ASlowCycleCountsFromItsEnd) {
  Patrol p(defaults());
  const std::uint64_t start = p.now + kCycleGapMs;
  ASSERT_EQ(p.s.begin_cycle(false, false, false, start).outcome, CyclePlan::Outcome::Run);
  EXPECT_TRUE(p.s.end_cycle(start + 5'000));
  EXPECT_EQ(p.s.last_cycle_time(), start + 5'000);
  EXPECT_EQ(p.s.begin_cycle(false, false, false, start + 5'500).outcome, CyclePlan::Outcome::TooSoon);

  Patrol quick(defaults());
  const std::uint64_t t = quick.now + kCycleGapMs;
  quick.s.begin_cycle(false, false, false, t);
  EXPECT_FALSE(quick.s.end_cycle(t + 1'000));
  EXPECT_EQ(quick.s.last_cycle_time(), t) << "a cycle of a second or less keeps its start time";
}

TEST(PatrolSchedule, TrayIconIsRefreshedOnEvery62ndCycleUnlessHidden) {
  Patrol p(defaults());
  p.run(200);
  EXPECT_EQ(p.refreshes, (std::vector<int>{62, 124, 186}));

  Patrol hidden(defaults());
  for (int i = 0; i < 62; ++i) EXPECT_FALSE(hidden.cycle(/*hide_icon=*/true).refresh_tray_icon);
  EXPECT_EQ(hidden.s.cycle_counter(), 0) << "the count starts over all the same";
}

TEST(PatrolSchedule, LoadingOptionsRestartsWithAFirstHalf) {
  Patrol p(defaults());
  p.run(1);
  ASSERT_EQ(p.s.half(), 1);
  Options o = defaults();
  o[Opt::Start] = 1;
  p.s.load(o);
  EXPECT_EQ(p.s.half(), 0);
  EXPECT_EQ(p.s.countdown_of(PatrolStep::Startup), 1);
  EXPECT_EQ(p.s.reload_of(PatrolStep::Startup), 1);
  CyclePlan c = p.cycle();
  EXPECT_EQ(c.half, 0);
  EXPECT_EQ(p.ran[PatrolStep::Startup], (std::vector<int>{2}));
}

TEST(PatrolSchedule, NegativeIntervalsSwitchAStepOff) {
  Options o = defaults();
  o[Opt::Start] = -3;
  Patrol p(o);
  p.run(50);
  EXPECT_TRUE(p.ran[PatrolStep::Startup].empty());
}
