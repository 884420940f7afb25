#include "monitor/tick.hpp"

namespace kestrom::monitor {

void TickSchedule::start(bool express_boot, int delay_count) noexcept {
  *this = TickSchedule{};
  express_hold_ = express_boot ? kExpressBootTicks : 0;
  delay_count_ = delay_count;
}

void TickSchedule::start_of_run() noexcept {
  realtime_streak_ = 0;
  tick_counter_ = 0;
}

void TickSchedule::patrol_finished() noexcept {
  tick_counter_ = 0;
  realtime_pending_ = false;
  realtime_streak_ = 0;
}

TickActions TickSchedule::tick(const TickGuards& guards) noexcept {
  TickActions out;

  if (delay_started_ < delay_count_) {
    if (delay_sub_counter_++ >= kDelayDueCount) {
      ++delay_step_;
      out.launch_delayed = delay_step_ * kDelayTimeStep;
      delay_sub_counter_ = 0;
    }
  }

  if (express_hold_ > 0) --express_hold_;

  if (tick_counter_++ >= kPatrolDueCount) {
    // Held: the counter keeps rising so the overdue cycle runs on the first free tick.
    if (express_hold_ > 0) return out;
    // Once the cycle has run nothing is pending any more, so the realtime part of this tick
    // would only clear the streak: patrol_finished does that.
    out.patrol_cycle = true;
    return out;
  }

  if (!realtime_pending_) {
    realtime_streak_ = 0;
    return out;
  }
  // Left pending: the next free tick picks the notification up.
  if (guards.alert_showing || guards.patrol_busy || express_hold_ > 0) return out;
  if (realtime_streak_++ < kRealtimeChecksInARow) {
    out.realtime_check = true;
  } else {
    out.realtime_rest = true;
    realtime_streak_ = 0;
  }
  realtime_pending_ = false;
  return out;
}

}  // namespace kestrom::monitor
