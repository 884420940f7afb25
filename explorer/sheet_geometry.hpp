// Where the sheet goes and how its parts follow a resize. Pure arithmetic on pixel sizes, so
// the rules hold whatever the toolkit and can be checked without a screen.
#pragma once
#include <optional>
#include <string_view>
#include <vector>

namespace kestrom::explorer {

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
};
struct Size {
  int w = 0, h = 0;
};

// The stored position texts (xPos, yPos, dxPos, dyPos), each empty when not stored.
struct StoredPosition {
  std::string_view x, y, dx, dy;
};

// The sheet's placement: stored values beyond the virtual screen become 0; with no stored x
// the sheet is centred horizontally at a third of the free height. `size` is unset when no
// width was stored (keep the sheet's own size).
struct Placement {
  int x = 0, y = 0;
  std::optional<Size> size;
};
Placement place_sheet(const StoredPosition& stored, Size virtual_screen, Size screen, Size window) noexcept;

// The smallest the user may make the sheet: its first client size less a margin.
Size minimum_track_size(Size first_client) noexcept;

// Parts of the sheet after a resize to outer size W x H.
struct SheetLayout {
  Size tab;
  Rect close_button;  // position only; the button stays hidden
  Rect page;
};
SheetLayout sheet_layout(Size outer, bool single_tab_row) noexcept;

// The sheet size that gives a page of this client size under the layout rule above. Frames
// and status bars differ between systems; the page's own size is what its content must fit,
// so the page rules are applied to the sheet size that this page size stands for.
Size sheet_size_for_page(Size page, bool single_tab_row) noexcept;

// Parts of a list page after a resize. Dialog units are passed already converted to pixels
// by the caller (du_x(n), du_y(n) give n dialog units).
struct DialogUnits {
  double x_per_unit = 1.5;  // pixels per horizontal dialog unit
  double y_per_unit = 1.625;
  int dx(double n) const noexcept { return static_cast<int>(n * x_per_unit); }
  int dy(double n) const noexcept { return static_cast<int>(n * y_per_unit); }
};
struct ButtonSlot {
  int x = 0, w = 0;
};
struct PageLayout {
  Rect list;
  int button_y = 0;
  std::vector<ButtonSlot> buttons;  // one per slot, left to right
  Rect help_image, help_caption, monitor_image, monitor_caption;
};
struct PageParts {
  int button_count = 0, button_w = 0, button_h = 0;
  Size help_image, help_caption, monitor_image, monitor_caption;
};
PageLayout page_layout(Size outer, bool single_tab_row, const DialogUnits& du, const PageParts& parts) noexcept;

}  // namespace kestrom::explorer
