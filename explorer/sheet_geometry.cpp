#include "explorer/sheet_geometry.hpp"

#include <algorithm>
#include <charconv>

namespace kestrom::explorer {

namespace {

std::optional<int> stored_number(std::string_view text) noexcept {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  int v = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (r.ec != std::errc()) return 0;  // junk reads as 0, as the C library would
  return v;
}

// A value past the screen, or one that cannot be right, is not used.
int clamp(int v, int limit) noexcept { return (v > limit || v < -limit) ? 0 : v; }

}  // namespace

Placement place_sheet(const StoredPosition& stored, Size virtual_screen, Size screen, Size window) noexcept {
  Placement p;
  auto x = stored_number(stored.x);
  if (!x) {
    p.x = (screen.w - window.w) / 2;
    p.y = (screen.h - window.h) / 3;
    return p;
  }
  p.x = clamp(*x, virtual_screen.w);
  p.y = clamp(stored_number(stored.y).value_or(0), virtual_screen.h);
  if (auto dx = stored_number(stored.dx)) {
    int w = clamp(*dx, virtual_screen.w);
    int h = clamp(stored_number(stored.dy).value_or(0), virtual_screen.h);
    // A size of 0 would leave the sheet invisible; keep the sheet's own size then.
    if (w > 0 && h > 0) p.size = Size{w, h};
  }
  return p;
}

Size minimum_track_size(Size first_client) noexcept { return {first_client.w - 10, first_client.h - 32}; }

SheetLayout sheet_layout(Size outer, bool single_tab_row) noexcept {
  SheetLayout l;
  l.tab = {outer.w - 20, outer.h - 67};
  l.close_button = {outer.w - 92, outer.h - 66, 0, 0};
  l.page = {8, 50, outer.w - 28, outer.h - 112 + (single_tab_row ? 10 : 0)};
  return l;
}

Size sheet_size_for_page(Size page, bool single_tab_row) noexcept {
  return {page.w + 28, page.h + 112 - (single_tab_row ? 10 : 0)};
}

PageLayout page_layout(Size outer, bool single_tab_row, const DialogUnits& du, const PageParts& parts) noexcept {
  PageLayout l;
  const int W = outer.w, H = outer.h;
  // The rows are pixel positions for a 96-DPI screen; on a larger scale the images grow, so each
  // part starts no higher than just below the one above it.
  const auto below = [](int y, const Rect& above) { return std::max(y, above.y + above.h + 1); };
  l.help_image = {W - 3 * parts.help_image.w, 3, parts.help_image.w, parts.help_image.h};
  l.help_caption = {W - static_cast<int>(1.75 * parts.help_caption.w), below(25, l.help_image),
                    parts.help_caption.w, parts.help_caption.h};
  l.monitor_image = {W - 3 * parts.monitor_image.w, below(38, l.help_caption), parts.monitor_image.w,
                     parts.monitor_image.h};
  l.monitor_caption = {W - static_cast<int>(1.5 * parts.monitor_caption.w), below(60, l.monitor_image),
                       parts.monitor_caption.w, parts.monitor_caption.h};

  l.list.x = du.dx(7);
  l.list.y = du.dy(44) + 5;
  l.list.w = W - static_cast<int>(1.5 * du.dx(14)) - 20;
  l.list.h = H - static_cast<int>(1.5 * du.dy(90)) + (single_tab_row ? 5 : -16);

  // With a small dialog font the list would start under the monitor caption; it then starts
  // just below it and gives up the same height at its top.
  const int caption_bottom = l.monitor_caption.y + l.monitor_caption.h + 2;
  if (parts.monitor_caption.h > 0 && l.list.y < caption_bottom) {
    l.list.h -= caption_bottom - l.list.y;
    l.list.y = caption_bottom;
  }

  l.button_y = H - static_cast<int>(2.75 * du.dy(35)) + 8;
  if (single_tab_row) l.button_y += parts.button_h / 2 + 6;
  // The row never leaves the page, and the list never runs under the row.
  const int page_h = sheet_layout(outer, single_tab_row).page.h;
  if (l.button_y + parts.button_h + 4 > page_h) l.button_y = page_h - parts.button_h - 4;
  if (parts.button_count > 0 && l.list.y + l.list.h + 4 > l.button_y) l.list.h = l.button_y - 4 - l.list.y;

  const int n = parts.button_count, w = parts.button_w;
  if (n == 1) {
    l.buttons.push_back({W / 2 - w / 2, w});
  } else if (n > 1) {
    int gap = (l.list.w - n * w) / (n - 1);
    int x = du.dx(7);
    for (int i = 0; i < n; ++i, x += w + gap) l.buttons.push_back({x, w});
    l.buttons.back().x += 25;
    l.buttons.back().w -= 25;
  }
  return l;
}

}  // namespace kestrom::explorer
