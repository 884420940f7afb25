// The Set Patrol Time dialog's rules: where the slider stands, what the number box says, what
// the dialog returns, and which real-time value belongs to a caption. Pure.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "common/options_table.hpp"

namespace kestrom::explorer {

inline constexpr int kPatrolSliderMax = 30;   // minutes
inline constexpr int kPatrolSliderTick = 3;
inline constexpr int kPatrolBoxDigits = 2;
inline constexpr int kPatrolClosed = -1;      // the dialog was closed without OK

// The slider's position for an interval: the slider's range holds 0..30, a longer interval
// (typed into the box earlier) stands at the end.
int patrol_slider_position(int minutes) noexcept;
// The number box's text for a slider position ("%d").
std::string patrol_box_text(int position);
// The number box is enabled only while the slider is not at 0.
bool patrol_box_enabled(int position) noexcept;
// The result of OK: the number in the box, 0 when it holds no number.
int patrol_ok_result(std::string_view box_text);

// The real-time value of the category whose dialog has this caption string; none for the
// categories without one.
std::optional<Opt> patrol_realtime_option(int caption_string) noexcept;

}  // namespace kestrom::explorer
