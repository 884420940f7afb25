// The diagnostic trace file ("send2ov.txt" / "sendex2ov.txt" in the program folder), written
// only while the Debug option is on and at most 9000 points per run.
#pragma once
#include <string>
#include <string_view>

namespace kestrom::trace {

inline constexpr int kMaxPoints = 9000;

void set_file(std::string path);
void set_enabled(bool on) noexcept;
bool enabled() noexcept;
void begin(std::string_view tag, std::string_view label);
void end();
// An alert shown between begin and end makes end report 1 instead of the elapsed time.
void note_alert_shown() noexcept;

}  // namespace kestrom::trace
