#include "monitor/patrol_schedule.hpp"

namespace kestrom::monitor {

namespace {

constexpr std::array<PatrolStepDef, kPatrolStepCount> kSteps{{
    {PatrolStep::Startup, 0, "Startup Programs", Opt::Start, Opt::RealtimeStartup},
    {PatrolStep::IEHelpers, 0, "IE Helpers", Opt::IEHelpers, Opt::RealtimeIEHelper},
    {PatrolStep::HiddenFiles, 0, "Hidden Files", Opt::Hidden, Opt::RealtimeHidden},
    {PatrolStep::ActiveX, 0, "ActiveX Files", Opt::ActiveX, Opt::RealtimeActiveX},
    {PatrolStep::SystemFiles, 0, "Verify System Files", Opt::HostFile, Opt::RealtimeSysFiles},
    {PatrolStep::DefaultPages, 0, "IE Start/Search Page", Opt::StartPage, Opt::RealtimeStartPage},
    {PatrolStep::FileTypes, 0, "File Types", Opt::FileType, Opt::RealtimeFileType},
    {PatrolStep::ScheduledTasks, 1, "Scheduled Tasks", Opt::Tasks, Opt::Count_},
    {PatrolStep::Services, 1, "Check for change to Services", Opt::Services, Opt::RealtimeServices},
    {PatrolStep::CookieFilter, 1, "Filter Cookies", Opt::Nuts, Opt::Count_},
    {PatrolStep::MozillaCookies, 1, "Filter Mozilla Cookies", Opt::Count_, Opt::Count_},
    {PatrolStep::NewCookies, 1, "Check for New Cookies", Opt::Cookies, Opt::Count_},
}};

}  // namespace

const std::array<PatrolStepDef, kPatrolStepCount>& patrol_steps() noexcept { return kSteps; }

void PatrolSchedule::load(const Options& options) noexcept {
  for (const PatrolStepDef& d : patrol_steps()) {
    if (d.interval == Opt::Count_) continue;
    const std::size_t i = index(d.step);
    reload_[i] = options[d.interval];
    countdown_[i] = reload_[i];
  }
  half_ = 0;
}

void PatrolSchedule::bring_forward(const Options& options) noexcept {
  for (const PatrolStepDef& d : patrol_steps())
    if (d.realtime != Opt::Count_ && options[d.realtime] != 0) countdown(d.step) = 1;
  half_ = 0;
}

bool PatrolSchedule::due(PatrolStep s) noexcept {
  const std::size_t i = index(s);
  if (countdown_[i] <= 0) return false;
  if (--countdown_[i] > 0) return false;
  countdown_[i] = reload_[i];
  return true;
}

CyclePlan PatrolSchedule::begin_cycle(bool alert_showing, bool patrol_busy, bool hide_icon, std::uint64_t now_ms) {
  CyclePlan plan;
  if (alert_showing || patrol_busy) return plan;

  if (cycle_counter_++ > kIconRefreshAfter) {
    plan.refresh_tray_icon = !hide_icon;
    cycle_counter_ = 0;
  }
  const bool too_soon = now_ms - last_cycle_ms_ < kMinCycleGapMs;
  last_cycle_ms_ = now_ms;
  if (too_soon) {
    plan.outcome = CyclePlan::Outcome::TooSoon;
    return plan;
  }
  cycle_start_ms_ = now_ms;
  plan.outcome = CyclePlan::Outcome::Run;
  plan.half = half_;
  for (const PatrolStepDef& d : patrol_steps()) {
    if (d.half != half_) continue;
    if (d.interval == Opt::Count_ ? true : due(d.step)) plan.steps.push_back(d.step);
  }
  return plan;
}

bool PatrolSchedule::end_cycle(std::uint64_t end_ms) noexcept {
  half_ = half_ == 0 ? 1 : 0;
  const bool slow = end_ms - cycle_start_ms_ > kMinCycleGapMs;
  if (slow) last_cycle_ms_ = end_ms;
  return slow;
}

}  // namespace kestrom::monitor
