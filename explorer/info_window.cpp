#include "explorer/info_window.hpp"

namespace kestrom::explorer::info {

namespace {
constexpr int kBaseDpi = 96;

int scaled(int pixels, int dpi) noexcept {
  if (dpi <= 0) dpi = kBaseDpi;
  return (pixels * dpi + kBaseDpi / 2) / kBaseDpi;
}
}  // namespace

int next_index(int index, int count) noexcept {
  if (count <= 0) return 0;
  return index + 1 >= count || index < 0 ? 0 : index + 1;
}

int previous_index(int index, int count) noexcept {
  if (count <= 0) return 0;
  return index <= 0 || index >= count ? count - 1 : index - 1;
}

Geometry geometry(bool expanded, int dpi) noexcept {
  Geometry g;
  g.height = scaled(expanded ? kExpandedHeight : kShrunkHeight, dpi);
  g.button_y = scaled(expanded ? kExpandedButtonY : kShrunkButtonY, dpi);
  return g;
}

}  // namespace kestrom::explorer::info
