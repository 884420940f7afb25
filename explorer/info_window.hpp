// Rules of the information window that need no window: stepping through the items, the
// expanded-or-shrunk state that every opening flips, and the geometry at a display's scale.
#pragma once
#include <array>
#include <cstddef>

namespace kestrom::explorer::info {

// Next and previous item, wrapping at both ends; 0 for an empty list.
int next_index(int index, int count) noexcept;
int previous_index(int index, int count) noexcept;

// The expanded flag lives for the program's run: set at its start and flipped by every opening
// and by every press of the expand button, so the first opening shows the window shrunk and
// each later one the opposite of how it was last left.
class ExpandState {
 public:
  bool open() noexcept { return expanded_ = !expanded_; }
  bool toggle() noexcept { return expanded_ = !expanded_; }
  bool expanded() const noexcept { return expanded_; }

 private:
  bool expanded_ = true;
};

// Buttons moved by expanding and shrinking, with their x positions in dialog units.
inline constexpr std::array<int, 5> kMovedButtons{1067, 1069, 1083, 1082, 1};
inline constexpr std::array<int, 5> kMovedButtonX{7, 169, 267, 301, 348};
inline constexpr int kExpandedHeight = 421;
inline constexpr int kShrunkHeight = 246;
inline constexpr int kExpandedButtonY = 350;
inline constexpr int kShrunkButtonY = 185;

struct Geometry {
  int height = 0;    // window height, pixels
  int button_y = 0;  // top of the moved buttons, pixels
};
// At `dpi` vertical pixels per logical inch (96 is 1:1), rounded to the nearest pixel.
Geometry geometry(bool expanded, int dpi) noexcept;

}  // namespace kestrom::explorer::info
