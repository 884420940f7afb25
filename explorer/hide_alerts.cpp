#include "explorer/hide_alerts.hpp"

namespace kestrom::explorer {

HideAlertView hide_alert_view(int value) noexcept {
  HideAlertView v;
  v.checked = value > 0;
  v.radios_enabled = value > 0;
  v.allow_checked = value == 1;
  v.prevent_checked = value == 2;
  return v;
}

int hide_alert_flip(int value) noexcept { return value == 0 ? 1 : 0; }

}  // namespace kestrom::explorer
