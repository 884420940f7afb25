#include "common/datetext.hpp"

#include <gtest/gtest.h>

using namespace kestrom;

namespace {
const LocalTime kAfternoon{2009, 3, 7, 14, 5, 59};
const LocalTime kNoon{2009, 12, 25, 12, 0, 0};
const LocalTime kMidnight{2010, 1, 2, 0, 7, 0};
const LocalTime kMorning{2011, 10, 31, 9, 30, 0};
}  // namespace

TEST(DateText, TheExamplesOfBothStyles) {
  EXPECT_EQ(format_date_text(kAfternoon, "yyyy-MM-dd", "HH:mm:ss"), "2009-03-07 14:05");
  EXPECT_EQ(format_date_text(kAfternoon, "M/d/yyyy", "h:mm:ss tt"), "03/07/2009 2:05 PM");
}

TEST(DateText, EveryShortDateFormatWritesTheWholeYear) {
  EXPECT_EQ(format_date_part(kAfternoon, "M/d/yyyy"), "03/07/2009");
  EXPECT_EQ(format_date_part(kAfternoon, "M/d/yy"), "03/07/2009");
  EXPECT_EQ(format_date_part(kAfternoon, "MM/dd/yy"), "03/07/2009");
  EXPECT_EQ(format_date_part(kAfternoon, "MM/dd/yyyy"), "03/07/2009");
  EXPECT_EQ(format_date_part(kAfternoon, "yy/MM/dd"), "2009/03/07");
  EXPECT_EQ(format_date_part(kAfternoon, "yyyy-MM-dd"), "2009-03-07");
  EXPECT_EQ(format_date_part(kAfternoon, "dd-MMM-yy"), "07-Mar-2009");
  EXPECT_EQ(format_date_part(kMorning, "dd-MMM-yy"), "31-Oct-2011");
  EXPECT_EQ(format_date_part(kMidnight, "dd-MMM-yy"), "02-Jan-2010");
}

TEST(DateText, FormatNamesIgnoreCaseAndUnknownOnesCountAsTheFirst) {
  EXPECT_EQ(format_date_part(kAfternoon, "YYYY-mm-DD"), "2009-03-07");
  EXPECT_EQ(format_date_part(kAfternoon, "d.M.yyyy"), "03/07/2009");
  EXPECT_EQ(format_date_part(kAfternoon, ""), "03/07/2009");
  EXPECT_EQ(format_time_part(kAfternoon, "HH.mm"), "2:05 PM");
  EXPECT_EQ(format_time_part(kAfternoon, ""), "2:05 PM");
}

TEST(DateText, EveryTimeFormatWithNoonAsAmAndMidnightAsHourZero) {
  EXPECT_EQ(format_time_part(kAfternoon, "h:mm:ss tt"), "2:05 PM");
  EXPECT_EQ(format_time_part(kAfternoon, "hh:mm:ss tt"), "02:05 PM");
  EXPECT_EQ(format_time_part(kAfternoon, "H:mm:ss"), "14:05");
  EXPECT_EQ(format_time_part(kAfternoon, "HH:mm:ss"), "14:05");

  EXPECT_EQ(format_time_part(kNoon, "h:mm:ss tt"), "12:00 AM");
  EXPECT_EQ(format_time_part(kNoon, "hh:mm:ss tt"), "12:00 AM");
  EXPECT_EQ(format_time_part(kNoon, "H:mm:ss"), "12:00");
  EXPECT_EQ(format_time_part(kMidnight, "h:mm:ss tt"), "0:07 AM");
  EXPECT_EQ(format_time_part(kMidnight, "hh:mm:ss tt"), "00:07 AM");
  EXPECT_EQ(format_time_part(kMidnight, "H:mm:ss"), "0:07");
  EXPECT_EQ(format_time_part(kMidnight, "HH:mm:ss"), "00:07");
  EXPECT_EQ(format_time_part(kMorning, "hh:mm:ss tt"), "09:30 AM");
  EXPECT_EQ(format_time_part(LocalTime{2000, 1, 1, 23, 59, 59}, "h:mm:ss tt"), "11:59 PM");
  EXPECT_EQ(format_time_part(LocalTime{2000, 1, 1, 13, 0, 0}, "hh:mm:ss tt"), "01:00 PM");
}

TEST(DateText, OutOfRangeFieldsStayWithinElevenCharactersEach) {
  LocalTime odd{123456789, 0, -5, 99, -1, 0};
  for (const char* d : {"M/d/yyyy", "M/d/yy", "MM/dd/yy", "MM/dd/yyyy", "yy/MM/dd", "yyyy-MM-dd", "dd-MMM-yy"})
    EXPECT_LE(format_date_part(odd, d).size(), kDatePartLimit) << d;
  for (const char* t : {"h:mm:ss tt", "hh:mm:ss tt", "H:mm:ss", "HH:mm:ss"})
    EXPECT_LE(format_time_part(odd, t).size(), kDatePartLimit) << t;
  EXPECT_EQ(format_date_part(LocalTime{2009, 13, 1, 0, 0, 0}, "dd-MMM-yy"), "01--2009");
  EXPECT_EQ(month_abbreviation(0), "");
  EXPECT_EQ(month_abbreviation(12), "Dec");
  EXPECT_EQ(month_of_abbreviation("dEC"), 12);
  EXPECT_EQ(month_of_abbreviation("Decem"), 0);
}

TEST(DateText, CreationTimeForm) {
  EXPECT_EQ(format_creation_time(kAfternoon), "2009/03/07 14:05");
  EXPECT_EQ(format_creation_time(kMidnight), "2010/01/02 00:07");
}
