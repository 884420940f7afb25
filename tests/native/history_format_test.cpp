#include "common/history.hpp"

#include <gtest/gtest.h>

#include "common/detected.hpp"
#include "startup/snapshot.hpp"

using namespace kestrom;

namespace {
LocalTime at(int h, int m) { return LocalTime{2026, 3, 9, h, m, 0}; }
}  // namespace

TEST(HistoryLine, TwelveHourClockAroundMidnightAndNoon) {
  EXPECT_EQ(history_time_text(at(0, 5), "Never"), "03/09/2026  12:05 AM");
  EXPECT_EQ(history_time_text(at(12, 30), "Never"), "03/09/2026  12:30 PM");
  EXPECT_EQ(history_time_text(at(13, 7), "Never"), "03/09/2026  1:07 PM");
  EXPECT_EQ(history_time_text(LocalTime{}, "Never"), "Never");
}

TEST(HistoryLine, FieldsTablesAndFirstMatch) {
  EXPECT_EQ(history_line(at(9, 1), "Never", 11, 0, "Agent", "C:\\a.exe", "desc"),
            "03/09/2026  9:01 AM\t*START_Remove\tCURRENT_RUN\tAgent\tC:\\a.exe\tdesc\r\n");
  EXPECT_EQ(action_name(12), "SERVICE_Disabled");
  EXPECT_EQ(action_name(23), "REMOVE_TaskScheduler");
  EXPECT_EQ(history_type_name(16), "TYPE_UNKNOWN");
  EXPECT_EQ(history_type_name(600), "INFO_TASK");
}

TEST(HistoryLine, HostileTextsCannotAddFieldsOrRecords) {
  std::string line = history_line(at(9, 1), "Never", 1, 1, "evil\tSTART_Enable\r\nfake\tline", "p\na\tth", "x\ry");
  EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 5);
  EXPECT_EQ(line.find('\n'), line.size() - 1);
  auto recs = parse_history(line + line);
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[0].title, "evil START_Enable  fake line");
  EXPECT_EQ(recs[0].path, "p a th");
  EXPECT_EQ(recs[0].action, 1);
}

TEST(HistoryLine, LongRecordsAreCutButKeepTheirLineEnd) {
  std::string line = history_line(at(9, 1), "Never", 1, 1, std::string(2000, 'a'), "p", "t");
  EXPECT_EQ(line.size(), kMaxHistoryLine);
  EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
}

TEST(HistoryReader, MapsNamesBackAndCutsFields) {
  std::string text = "01/02/2026  1:00 PM\t*start_remove\twin_load\tT\tP\tX\r\n"
                     "\n"
                     "01/02/2026  1:01 PM\tSOMETHING\tNOPE\t" + std::string(300, 't') + "\t" + std::string(300, 'p') +
                     "\n"
                     "01/02/2026  1:02 PM\tREMOVE_TASKSCHEDULER";
  auto recs = parse_history(text);
  ASSERT_EQ(recs.size(), 3u);
  EXPECT_EQ(recs[0].action, 0);
  EXPECT_EQ(recs[0].code, 100);
  EXPECT_EQ(recs[0].third, "X");
  EXPECT_EQ(recs[1].action, action::kLogUnknown);
  EXPECT_EQ(recs[1].code, 3000);
  EXPECT_EQ(recs[1].title.size(), 127u);
  EXPECT_EQ(recs[1].path.size(), 259u);
  EXPECT_EQ(recs[1].third, "");
  EXPECT_EQ(recs[2].action, 23);
  EXPECT_EQ(recs[2].title, "");
}

TEST(HistoryRequest, EveryInsertedTextIsPercentEncoded) {
  auto url = history_request_url("http://127.0.0.1:8080/h?x=1", "me & you", "id#1", "01/02/2026  1:00 PM",
                                 "*START_Remove", "CURRENT_RUN", "a&title=b", "C:\\x y.exe");
  EXPECT_EQ(url,
            "http://127.0.0.1:8080/h?x=1&name=me%20%26%20you&code=id%231&time=01%2F02%2F2026%20%201%3A00%20PM"
            "&action=%2ASTART_Remove&type=CURRENT_RUN&title=a%26title%3Db&path=C%3A%5Cx%20y.exe");
  EXPECT_LE(history_request_url("s", "", "", "", "", "", std::string(600, 'a'), "").size(), 511u);
}

TEST(SnapshotKey, EqualsBecomeColonsAndAcceptance) {
  EXPECT_EQ(snapshot_key("C:\\a.exe /x=1 /y=2"), "C:\\a.exe /x:1 /y:2");
  EXPECT_TRUE(snapshot_accepts(11));
  EXPECT_TRUE(snapshot_accepts(1));
  EXPECT_FALSE(snapshot_accepts(0));
  EXPECT_FALSE(snapshot_accepts(1103));
}
