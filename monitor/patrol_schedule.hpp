// When the Patrol Cycle runs and which of its steps: the two halves, each step's countdown
// and reload value, the guards, the one-second early exit, the periodic tray icon refresh and
// realtime forcing. Pure: the monitor runs the steps the plan names.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/options_table.hpp"

namespace kestrom::monitor {

enum class PatrolStep : std::size_t {
  // First half, in order.
  Startup, IEHelpers, HiddenFiles, ActiveX, SystemFiles, DefaultPages, FileTypes,
  // Second half, in order.
  ScheduledTasks, Services, CookieFilter, MozillaCookies, NewCookies,
  Count_
};
inline constexpr std::size_t kPatrolStepCount = static_cast<std::size_t>(PatrolStep::Count_);

struct PatrolStepDef {
  PatrolStep step;
  int half;                    // 0 first, 1 second
  std::string_view label;      // trace label
  Opt interval;                // Opt::Count_: no countdown, runs on every cycle of its half
  Opt realtime;                // Opt::Count_: never brought forward
};
const std::array<PatrolStepDef, kPatrolStepCount>& patrol_steps() noexcept;

// A cycle started less than this after the previous one leaves at once.
inline constexpr std::uint64_t kMinCycleGapMs = 1000;
// The tray icon is deleted and added again on the cycle after this many.
inline constexpr int kIconRefreshAfter = 60;

struct CyclePlan {
  enum class Outcome {
    Skipped,   // an alert or another cycle is active: result 1, nothing happens
    TooSoon,   // the previous cycle was less than a second ago: result 0
    Run,       // run `steps` of `half`, then call end_cycle
  };
  Outcome outcome = Outcome::Skipped;
  bool refresh_tray_icon = false;
  int half = 0;
  std::vector<PatrolStep> steps;
  int result() const noexcept { return outcome == Outcome::TooSoon ? 0 : 1; }
};

class PatrolSchedule {
 public:
  // `load all options`: countdowns and reload values from the intervals; next cycle first half.
  void load(const Options& options) noexcept;
  // The realtime check saw a change: the steps whose realtime option is on run in the next
  // cycle of their half, and the next cycle is a first half.
  void bring_forward(const Options& options) noexcept;
  // The tick count of the product initialisation counts as the last cycle.
  void set_last_cycle_time(std::uint64_t now_ms) noexcept { last_cycle_ms_ = now_ms; }

  CyclePlan begin_cycle(bool alert_showing, bool patrol_busy, bool hide_icon, std::uint64_t now_ms);
  // After the steps of a Run plan: the other half is next; a slow cycle moves the time of the
  // last cycle to its end. True for such a slow cycle.
  bool end_cycle(std::uint64_t end_ms) noexcept;

  int half() const noexcept { return half_; }
  int cycle_counter() const noexcept { return cycle_counter_; }
  std::uint64_t last_cycle_time() const noexcept { return last_cycle_ms_; }
  int countdown_of(PatrolStep s) const noexcept { return countdown_[index(s)]; }
  int reload_of(PatrolStep s) const noexcept { return reload_[index(s)]; }

 private:
  static constexpr std::size_t index(PatrolStep s) noexcept { return static_cast<std::size_t>(s); }
  int& countdown(PatrolStep s) noexcept { return countdown_[index(s)]; }
  bool due(PatrolStep s) noexcept;

  int half_ = 0;
  int cycle_counter_ = 0;
  std::uint64_t last_cycle_ms_ = 0;
  std::uint64_t cycle_start_ms_ = 0;
  std::array<int, kPatrolStepCount> countdown_{};
  std::array<int, kPatrolStepCount> reload_{};
};

}  // namespace kestrom::monitor
