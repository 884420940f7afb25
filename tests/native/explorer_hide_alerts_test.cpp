#include "explorer/hide_alerts.hpp"

#include <gtest/gtest.h>

#include <set>

using namespace kestrom;
using namespace kestrom::explorer;

TEST(HideAlerts, RowShowsItsValue) {
  auto shown = hide_alert_view(0);
  EXPECT_FALSE(shown.checked || shown.radios_enabled || shown.allow_checked || shown.prevent_checked);
  auto allow = hide_alert_view(1);
  EXPECT_TRUE(allow.checked && allow.radios_enabled && allow.allow_checked);
  EXPECT_FALSE(allow.prevent_checked);
  auto prevent = hide_alert_view(2);
  EXPECT_TRUE(prevent.checked && prevent.radios_enabled && prevent.prevent_checked);
  EXPECT_FALSE(prevent.allow_checked);
  // A stored value outside 0..2 hides the alert; neither answer is claimed for it.
  auto odd = hide_alert_view(7);
  EXPECT_TRUE(odd.checked);
  EXPECT_FALSE(odd.allow_checked || odd.prevent_checked);
}

TEST(HideAlerts, ClickingTheBoxOfAPreventedTypeShowsItsAlertsAgain) {
  EXPECT_EQ(hide_alert_flip(0), 1);
  EXPECT_EQ(hide_alert_flip(1), 0);
  EXPECT_EQ(hide_alert_flip(2), 0);
  EXPECT_EQ(hide_alert_view(hide_alert_flip(2)).radios_enabled, false);
}

TEST(HideAlerts, EveryControlAndValueBelongsToOneRow) {
  std::set<int> controls;
  std::set<Opt> options;
  for (const auto& r : kHideAlertRows) {
    controls.insert({r.box, r.allow, r.prevent});
    options.insert(r.option);
  }
  EXPECT_EQ(controls.size(), kHideAlertRows.size() * 3);
  EXPECT_EQ(options.size(), kHideAlertRows.size());
}
