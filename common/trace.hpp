// The diagnostic trace file ("send2ov.txt" / "sendex2ov.txt" in the program folder), written
// only while the Debug option is on and at most 9000 points per run.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/datetext.hpp"

namespace kestrom::trace {

inline constexpr int kMaxPoints = 9000;
inline constexpr std::size_t kMaxLabel = 255;
inline constexpr int kMaxBarStars = 16;
inline constexpr std::string_view kSection = "Trace";
inline constexpr std::string_view kMonitorFile = "send2ov.txt";
inline constexpr std::string_view kExplorerFile = "sendex2ov.txt";

void set_file(std::string path);
void set_enabled(bool on) noexcept;
bool enabled() noexcept;
void begin(std::string_view tag, std::string_view label);
void end();
// An alert shown between begin and end makes end report 1 instead of the elapsed time.
void note_alert_shown() noexcept;

// ---- The rules behind the file, free of the system (the clock comes in as arguments). ----

struct Entry {
  std::string key;    // "tick.counter"
  std::string value;
};

// "" below a thousand, else a TAB and one "*" per thousand (at most 16).
std::string bar(long long value);
std::string begin_value(const LocalTime& now, std::string_view tag, std::string_view label);
std::string end_value(std::string_view label, long long half_ms);

class State {
 public:
  void set_enabled(bool on) noexcept { enabled_ = on; }
  bool enabled() const noexcept { return enabled_; }
  int points() const noexcept { return points_; }
  // The entry to write, or nothing when the trace is off or the run has used its points.
  std::optional<Entry> begin(std::string_view tag, std::string_view label, std::uint32_t tick, const LocalTime& now);
  std::optional<Entry> end(std::uint32_t tick);
  void note_alert_shown() noexcept { alert_ = true; }

 private:
  bool enabled_ = false;
  bool open_ = false;
  bool alert_ = false;
  int points_ = 0;
  std::uint32_t begin_tick_ = 0;
  std::string label_;
};

}  // namespace kestrom::trace
