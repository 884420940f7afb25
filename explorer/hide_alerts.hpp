// The Hide Alerts dialog's rules: for each alert type 0 shows the alert, 1 hides it and
// allows the change, 2 hides it and prevents the change. Pure.
#pragma once
#include <array>

#include "common/options_table.hpp"

namespace kestrom::explorer {

struct HideAlertRow {
  int box;        // check box (its text is the string of the same number)
  int allow;      // radio "Always Allow Changes"
  int prevent;    // radio "Prevent Changes"
  Opt option;
};
inline constexpr std::array<HideAlertRow, 9> kHideAlertRows{{
    {1174, 1214, 1215, Opt::HideStartup},
    {1175, 1216, 1217, Opt::HideIEHelper},
    {1176, 1218, 1219, Opt::HideTasks},
    {1177, 1220, 1221, Opt::HideServices},
    {1178, 1222, 1223, Opt::HideActiveX},
    {1179, 1224, 1225, Opt::HideHidden},
    {1180, 1231, 1232, Opt::HideFileType},
    {1181, 1226, 1227, Opt::HideSystemFiles},
    {1182, 1228, 1229, Opt::HideHomePage},
}};

// What a row shows for its value.
struct HideAlertView {
  bool checked = false;
  bool radios_enabled = false;
  bool allow_checked = false;
  bool prevent_checked = false;
};
HideAlertView hide_alert_view(int value) noexcept;

// A click on a row's check box, or on one of the two on/off boxes: 0 becomes 1, anything
// else 0.
int hide_alert_flip(int value) noexcept;

}  // namespace kestrom::explorer
