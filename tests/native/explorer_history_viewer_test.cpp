#include "explorer/history_viewer.hpp"

#include <gtest/gtest.h>

using namespace kestrom;
using namespace kestrom::explorer;

TEST(HistoryViewer, KeepsTheNewestRecordsInFileOrder) {
  std::vector<HistoryRecord> all(kMaxHistoryRows + 3);
  for (std::size_t i = 0; i < all.size(); ++i) all[i].title = std::to_string(i);
  auto rows = newest_history_rows(all);
  ASSERT_EQ(rows.size(), kMaxHistoryRows);
  EXPECT_EQ(rows.front().title, "3");
  EXPECT_EQ(rows.back().title, std::to_string(kMaxHistoryRows + 2));
  std::vector<HistoryRecord> few(2);
  EXPECT_EQ(newest_history_rows(few).size(), 2u);
}

TEST(HistoryViewer, OnlyRemovedEntriesAndDeletedHiddenFilesAreRestored) {
  EXPECT_TRUE(history_restorable(action::kStartRemove));
  EXPECT_TRUE(history_restorable(action::kHiddenDeleteFile));
  for (int other : {action::kStartDisable, action::kTaskKill, action::kServiceStop, action::kResetShell,
                    action::kLogUnknown})
    EXPECT_FALSE(history_restorable(other)) << other;
}

