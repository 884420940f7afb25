// Services: the texts of states and start types, the start-type list, the History records
// named after start types, the listing filter and the snapshot's approval rule.
#include <gtest/gtest.h>

#include "categories/services.hpp"
#include "common/history.hpp"
#include "common/string_ids.h"

using namespace kestrom;
using namespace kestrom::services;

TEST(ServiceTexts, EveryStateHasItsTextAndUnknownStatesReadStopped) {
  const int expected[] = {IDS_SERVICE_STOPPED,          IDS_SERVICE_START_PENDING, IDS_SERVICE_STOP_PENDING,
                          IDS_SERVICE_RUNNING,          IDS_SERVICE_CONTINUE_PENDING,
                          IDS_SERVICE_PAUSE_PENDING,    IDS_SERVICE_PAUSED};
  for (int state = 1; state <= 7; ++state) EXPECT_EQ(status_string(state), expected[state - 1]) << state;
  for (int state : {0, 8, -1, 0x10000}) EXPECT_EQ(status_string(state), IDS_SERVICE_STOPPED) << state;
}

TEST(ServiceTexts, PackedStatusKeepsStateAboveAndTypeBelow) {
  auto packed = pack_status(4, 0x110);  // running, own process + interactive
  EXPECT_EQ(packed, 0x00040110u);
  EXPECT_EQ(state_of(packed), 4);
  EXPECT_EQ(pack_status(2, 0x12345) & 0xFFFFu, 0x2345u);
  EXPECT_EQ(state_of(0), 0);
  EXPECT_EQ(status_string(state_of(0)), IDS_SERVICE_STOPPED);  // an unreadable status
}

TEST(ServiceStartTypes, ListAndAlertTextsDifferOnlyForOtherStartValues) {
  EXPECT_EQ(start_type_string(2), IDS_START_AUTOMATIC);
  EXPECT_EQ(start_type_string(3), IDS_START_MANUAL);
  EXPECT_EQ(start_type_string(4), IDS_START_DISABLED);
  for (int start : {0, 1, 5, -1}) {
    EXPECT_EQ(start_type_string(start), 0) << start;  // the list shows "0"
    EXPECT_EQ(alert_start_type_string(start), IDS_UNKNOWN_START_TYPE) << start;
  }
  EXPECT_EQ(alert_start_type_string(3), IDS_START_MANUAL);
}

TEST(ServiceStartTypes, ListPositionsMapToStartTypesBothWays) {
  for (int position = 0; position < 3; ++position) {
    int start = start_type_of_position(position);
    EXPECT_EQ(start, position + 2);
    EXPECT_EQ(position_of_start_type(start), position);
  }
  EXPECT_FALSE(position_of_start_type(1));
  EXPECT_FALSE(position_of_start_type(5));
}

TEST(ServiceRecords, NewAndOldStartTypesGiveTheRecordsNamedAfterThem) {
  EXPECT_EQ(action_name(*start_type_action(2)), "SERVICE_Automatic");
  EXPECT_EQ(action_name(*start_type_action(3)), "SERVICE_Manual");
  EXPECT_EQ(action_name(*start_type_action(4)), "SERVICE_Disabled");
  EXPECT_EQ(action_name(*old_start_type_action(2)), "SERVICE_from_Automatic");
  EXPECT_EQ(action_name(*old_start_type_action(3)), "SERVICE_from_Manual");
  EXPECT_EQ(action_name(*old_start_type_action(4)), "SERVICE_from_Disabled");
  // Boot and system starts (and an unreadable Start) have no record of their own.
  for (int start : {0, 1, -1}) {
    EXPECT_FALSE(old_start_type_action(start)) << start;
    EXPECT_FALSE(start_type_action(start)) << start;
  }
}

TEST(ServiceListing, FullListingKeepsProgramsAndTheSharedHostOnly) {
  EXPECT_TRUE(listed_in_full("C:\\Program Files\\Agent\\agent.EXE -service"));
  EXPECT_TRUE(listed_in_full("%SystemRoot%\\System32\\SvcHost -k netsvcs"));
  EXPECT_FALSE(listed_in_full("\\SystemRoot\\System32\\drivers\\disk.sys"));
  EXPECT_FALSE(listed_in_full("System32\\drivers\\exec"));
  EXPECT_TRUE(runs_in_svchost("C:\\Windows\\system32\\svchost.exe -k LocalService"));
  EXPECT_FALSE(runs_in_svchost("C:\\Windows\\system32\\services.exe"));
  EXPECT_TRUE(is_service_code(700));
  EXPECT_TRUE(is_service_code(701));
  EXPECT_FALSE(is_service_code(600));
}

TEST(ServiceSnapshot, OnlyANonZeroNumberApproves) {
  EXPECT_TRUE(approves(std::string("700")));
  EXPECT_TRUE(approves(std::string("701")));
  EXPECT_FALSE(approves(std::string("0")));
  EXPECT_FALSE(approves(std::string("")));
  EXPECT_FALSE(approves(std::string("P")));
  EXPECT_FALSE(approves(std::nullopt));

  std::vector<std::string> names{"alpha", "beta"};
  EXPECT_FALSE(any_unapproved(names, [](std::string_view) { return true; }));
  EXPECT_TRUE(any_unapproved(names, [](std::string_view n) { return n == "alpha"; }));
  EXPECT_FALSE(any_unapproved({}, [](std::string_view) { return false; }));
}
