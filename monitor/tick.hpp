// The monitor's 2-second timer as a state machine: each tick updates the counters and says
// what the window has to do, so the schedule can be driven by a fake clock in tests. Pure.
#pragma once
#include <optional>

namespace kestrom::monitor {

inline constexpr unsigned kTickPeriodMs = 2000;
// The Patrol Cycle runs when the tick counter was at least this before the tick: every 17th.
inline constexpr int kPatrolDueCount = 16;
inline constexpr int kExpressBootTicks = 45;  // 90 seconds after a boot start
// The delay launcher runs when its sub-counter had already reached this: every sixth tick.
inline constexpr int kDelayDueCount = 5;
inline constexpr int kDelayTimeStep = 10;     // seconds of delay per delay step
// Three realtime checks in a row; the fourth pending tick only waits and starts over, so a
// component that floods us with notifications cannot keep the process list busy.
inline constexpr int kRealtimeChecksInARow = 3;
inline constexpr unsigned kRealtimeRestMs = 50;

// What the current moment forbids; read by the window at each tick.
struct TickGuards {
  bool alert_showing = false;
  bool patrol_busy = false;
};

// What one tick asks the window to do, in this order.
struct TickActions {
  std::optional<int> launch_delayed;  // call the delay launcher with this time (seconds)
  bool patrol_cycle = false;          // run the Patrol Cycle
  bool realtime_check = false;        // count processes and bring steps forward on a change
  bool realtime_rest = false;         // the fourth pending tick: trace "RID", wait, no check
  bool operator==(const TickActions&) const = default;
};

class TickSchedule {
 public:
  // Start of a run: express_boot holds patrols and realtime checks for 45 ticks.
  void start(bool express_boot, int delay_count) noexcept;
  // Command 6025: the timer starts from here.
  void start_of_run() noexcept;

  TickActions tick(const TickGuards& guards) noexcept;
  // The Patrol Cycle a tick asked for has returned. Until then the cycle still sees the
  // pending realtime notification (it notes the running programs then), and ticks that
  // arrive inside its dialogs keep counting.
  void patrol_finished() noexcept;

  // The delay launcher reports how many delayed programs are started by now.
  void set_delay_started(int started) noexcept { delay_started_ = started; }
  // Message 9024.
  void notify_realtime() noexcept { realtime_pending_ = true; }
  // A realtime check found a different process count: the cycle runs on the next tick.
  void bring_patrol_forward() noexcept { tick_counter_ = kPatrolDueCount; }

  int tick_counter() const noexcept { return tick_counter_; }
  int express_boot_hold() const noexcept { return express_hold_; }
  int delay_count() const noexcept { return delay_count_; }
  int delay_started() const noexcept { return delay_started_; }
  int delay_step() const noexcept { return delay_step_; }
  bool realtime_pending() const noexcept { return realtime_pending_; }
  int realtime_streak() const noexcept { return realtime_streak_; }

 private:
  int tick_counter_ = 0;
  int express_hold_ = 0;
  int delay_count_ = 0;
  int delay_started_ = 0;
  int delay_sub_counter_ = 0;
  int delay_step_ = 0;
  bool realtime_pending_ = false;
  int realtime_streak_ = 0;
};

}  // namespace kestrom::monitor
