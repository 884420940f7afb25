#include <cstdio>

#include "common/language.hpp"
#include "common/trace.hpp"

namespace kestrom::trace {

namespace {
std::string key_of(std::uint32_t tick, int counter) { return std::to_string(tick) + "." + std::to_string(counter); }
}  // namespace

std::string bar(long long value) {
  if (value < 1000) return {};
  long long stars = value / 1000;
  return "\t" + std::string(static_cast<std::size_t>(stars < kMaxBarStars ? stars : kMaxBarStars), '*');
}

std::string begin_value(const LocalTime& now, std::string_view tag, std::string_view label) {
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%02d-%02d  %02d:%02d:%02d", now.month, now.day, now.hour, now.minute,
                now.second);
  return std::string(stamp) + " " + std::string(tag) + ": " + std::string(label);
}

std::string end_value(std::string_view label, long long half_ms) {
  return "**:**:** NanoCycles: " + std::string(label) + " = " + std::to_string(half_ms) + " " + bar(half_ms);
}

std::optional<Entry> State::begin(std::string_view tag, std::string_view label, std::uint32_t tick,
                                  const LocalTime& now) {
  if (!enabled_ || points_ >= kMaxPoints) return std::nullopt;
  ++points_;
  begin_tick_ = tick;
  label_ = std::string(cut_text(label, kMaxLabel));
  alert_ = false;
  open_ = true;
  return Entry{key_of(tick, points_), begin_value(now, tag, label_)};
}

std::optional<Entry> State::end(std::uint32_t tick) {
  if (!enabled_ || !open_) return std::nullopt;
  open_ = false;
  // Tick counts are 32 bits and wrap after 49 days; unsigned subtraction still gives the elapsed time.
  std::uint32_t elapsed = tick - begin_tick_;
  long long half = alert_ ? 1 : static_cast<long long>(elapsed / 2);
  return Entry{key_of(tick, points_), end_value(label_, half)};
}

}  // namespace kestrom::trace
