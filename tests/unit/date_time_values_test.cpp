// Date and time values of /D and /T: absolute and relative forms, packing,
// the fields a value leaves alone, and the messages of refused values.
#include "finder/options/date_time_values.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// 2026-03-31 14:25:36 UTC, the start of every run in these tests.
constexpr std::int64_t kStart = 1774967136;

CalendarTime Utc(std::int64_t seconds) {
  return UtcDateTime(seconds);
}
CalendarTime Tokyo(std::int64_t seconds) {
  return UtcDateTime(seconds + 9 * 3600);
}

const ValueClock kUtcClock{kStart, Utc};

struct Row {
  const char* text;
  ValueError error;
  std::uint16_t packed;  // the word after a successful call
  std::size_t consumed;  // where the position stops after a successful call
};

void Check(const Row& row, bool time, const ValueClock& clock) {
  std::uint16_t word = 0;
  std::size_t position = 0;
  const ValueError error = time ? ParseTimeValue(row.text, position, word, clock)
                                : ParseDateValue(row.text, position, word, clock);
  EXPECT_EQ(error, row.error) << row.text;
  if (row.error != ValueError::kNone) return;
  EXPECT_EQ(word, row.packed) << row.text;
  EXPECT_EQ(position, row.consumed) << row.text;
}

TEST(DateValue, AbsoluteForm) {
  const Row rows[] = {
      {"99/12/31", ValueError::kNone, PackDosDate(19, 12, 31), 8},
      {"00/01/01", ValueError::kNone, PackDosDate(20, 1, 1), 8},
      {"1999/12/31", ValueError::kNone, PackDosDate(19, 12, 31), 10},
      {"79/1/1", ValueError::kYear, 0, 0},
      {"80/1/1", ValueError::kNone, PackDosDate(0, 1, 1), 6},
      {"100/1/1", ValueError::kNone, PackDosDate(0, 1, 1), 7},
      {"150/1/1", ValueError::kNone, PackDosDate(0, 1, 1), 7},
      {"1979/1/1", ValueError::kNone, PackDosDate(0, 1, 1), 8},
      {"1980/1/1", ValueError::kNone, PackDosDate(0, 1, 1), 8},
      {"43/12/31", ValueError::kNone, PackDosDate(63, 12, 31), 8},
      {"2043/12/31", ValueError::kNone, PackDosDate(63, 12, 31), 10},
      {"/1/1", ValueError::kNone, PackDosDate(20, 1, 1), 4},  // a missing year reads as 0: 2000
      {"99/0/0", ValueError::kNone, PackDosDate(19, 0, 0), 6},
      {"99/15/31", ValueError::kNone, PackDosDate(19, 15, 31), 8},
      {"99/1/1x", ValueError::kNone, PackDosDate(19, 1, 1), 6},
      {"99/1/1-00/1/1", ValueError::kNone, PackDosDate(19, 1, 1), 6},
      {"44/01/01", ValueError::kYear, 0, 0},
      {"2044/1/1", ValueError::kYear, 0, 0},
      {"99999999999999/1/1", ValueError::kYear, 0, 0},
      {"99/12", ValueError::kInvalidDate, 0, 0},
      {"99", ValueError::kInvalidDate, 0, 0},
      {"99/", ValueError::kInvalidDate, 0, 0},
      {"99/1/", ValueError::kInvalidDate, 0, 0},
      {"99-1-1", ValueError::kInvalidDate, 0, 0},
      {"99/16/1", ValueError::kInvalidDate, 0, 0},
      {"99/1/32", ValueError::kInvalidDate, 0, 0},
      {"", ValueError::kInvalidDate, 0, 0},
  };
  for (const Row& row : rows) Check(row, false, kUtcClock);
}

TEST(DateValue, RelativeForm) {
  const Row rows[] = {
      {"T", ValueError::kNone, PackDosDate(46, 3, 31), 1},
      {"t", ValueError::kNone, PackDosDate(46, 3, 31), 1},
      {"TD", ValueError::kNone, PackDosDate(46, 3, 31), 2},
      {"TD1", ValueError::kNone, PackDosDate(46, 3, 30), 3},
      {"TD-1", ValueError::kNone, PackDosDate(46, 3, 30), 4},
      {"TD+1", ValueError::kNone, PackDosDate(46, 4, 1), 4},
      {"TD7", ValueError::kNone, PackDosDate(46, 3, 24), 3},
      {"TD31", ValueError::kNone, PackDosDate(46, 2, 28), 4},
      {"td1", ValueError::kNone, PackDosDate(46, 3, 30), 3},
      // M and Y keep the day of the month, even past the end of a shorter month.
      {"TM1", ValueError::kNone, PackDosDate(46, 2, 31), 3},
      {"TM+1", ValueError::kNone, PackDosDate(46, 4, 31), 4},
      {"TM3", ValueError::kNone, PackDosDate(45, 12, 31), 3},
      {"TM15", ValueError::kNone, PackDosDate(44, 12, 31), 4},
      {"TM+9", ValueError::kNone, PackDosDate(46, 12, 31), 4},
      {"TM+10", ValueError::kNone, PackDosDate(47, 1, 31), 5},
      {"TM+24", ValueError::kNone, PackDosDate(48, 3, 31), 5},
      {"TY1", ValueError::kNone, PackDosDate(45, 3, 31), 3},
      {"TY+17", ValueError::kNone, PackDosDate(63, 3, 31), 5},
      {"TY1M1", ValueError::kNone, PackDosDate(45, 2, 31), 5},
      // A D step keeps the Y and M steps before it; a day beyond the month's
      // end counts from that month's last day.
      {"TY1D1", ValueError::kNone, PackDosDate(45, 3, 30), 5},
      {"TD1Y1", ValueError::kNone, PackDosDate(45, 3, 30), 5},
      {"TM1D1", ValueError::kNone, PackDosDate(46, 2, 27), 5},
      {"TM1D-0", ValueError::kNone, PackDosDate(46, 2, 28), 6},
      // Before 1980: packed as 1980.
      {"TY46", ValueError::kNone, PackDosDate(0, 3, 31), 4},
      {"TY47", ValueError::kNone, PackDosDate(0, 3, 31), 4},
      {"TY200", ValueError::kNone, PackDosDate(0, 3, 31), 5},
      {"TD20000", ValueError::kNone, PackDosDate(0, 6, 28), 7},
      {"TD7-", ValueError::kNone, PackDosDate(46, 3, 24), 3},
      {"TX", ValueError::kNone, PackDosDate(46, 3, 31), 1},
      {"TY+18", ValueError::kYear, 0, 0},
      {"TM+216", ValueError::kYear, 0, 0},
      {"TD+99999999999", ValueError::kYear, 0, 0},
  };
  for (const Row& row : rows) Check(row, false, kUtcClock);
}

TEST(DateValue, RelativeFormUsesTheLocalDate) {
  // 20:00 UTC is already the next day in Tokyo.
  const ValueClock clock{kStart + (20 * 3600 - (14 * 3600 + 25 * 60 + 36)), Tokyo};
  Check({"T", ValueError::kNone, PackDosDate(46, 4, 1), 1}, false, clock);
  Check({"TD1", ValueError::kNone, PackDosDate(46, 3, 31), 3}, false, clock);
}

TEST(TimeValue, AbsoluteForm) {
  const Row rows[] = {
      {"12:30", ValueError::kNone, PackDosTime(12, 30, 0), 5},
      {"12:30:00", ValueError::kNone, PackDosTime(12, 30, 0), 8},
      {"12:30:01", ValueError::kNone, PackDosTime(12, 30, 0), 8},
      {"12:30:59", ValueError::kNone, PackDosTime(12, 30, 58), 8},
      {"9:00-17:00", ValueError::kNone, PackDosTime(9, 0, 0), 4},
      {"25:00", ValueError::kNone, PackDosTime(25, 0, 0), 5},
      {"31:63:63", ValueError::kNone, PackDosTime(31, 63, 62), 8},
      {"12:00:", ValueError::kNone, PackDosTime(12, 0, 0), 6},
      {"12:00:x", ValueError::kNone, PackDosTime(12, 0, 0), 6},
      {":5", ValueError::kNone, PackDosTime(0, 5, 0), 2},
      {"32:00", ValueError::kHour, 0, 0},
      {"12", ValueError::kInvalidDate, 0, 0},
      {"12:", ValueError::kInvalidDate, 0, 0},
      {"12.30", ValueError::kInvalidDate, 0, 0},
      {"12:64", ValueError::kMinute, 0, 0},
      {"12:00:70", ValueError::kSecond, 0, 0},
      {"12:00:64", ValueError::kSecond, 0, 0},
  };
  for (const Row& row : rows) Check(row, true, kUtcClock);
}

TEST(TimeValue, RelativeForm) {
  const Row rows[] = {
      {"N", ValueError::kNone, PackDosTime(14, 25, 36), 1},
      {"NH1", ValueError::kNone, PackDosTime(13, 25, 36), 3},
      {"NH-1", ValueError::kNone, PackDosTime(13, 25, 36), 4},
      {"NH+1", ValueError::kNone, PackDosTime(15, 25, 36), 4},
      {"NM30", ValueError::kNone, PackDosTime(13, 55, 36), 4},
      {"NS37", ValueError::kNone, PackDosTime(14, 24, 59), 4},
      {"NH15", ValueError::kNone, PackDosTime(23, 25, 36), 4},
      {"NH+10", ValueError::kNone, PackDosTime(0, 25, 36), 5},
      {"nh1m1s1", ValueError::kNone, PackDosTime(13, 24, 35), 7},
      {"NH1-", ValueError::kNone, PackDosTime(13, 25, 36), 3},
      {"NX", ValueError::kNone, PackDosTime(14, 25, 36), 1},
      {"NH99999999999", ValueError::kNone, PackDosTime(22, 25, 36),
       13},  // counts stop at 10^9 hours
  };
  for (const Row& row : rows) Check(row, true, kUtcClock);
  Check({"N", ValueError::kNone, PackDosTime(23, 25, 36), 1}, true, ValueClock{kStart, Tokyo});
}

TEST(DateTimeValues, FieldsTheTextDoesNotGiveKeepTheirContent) {
  std::uint16_t time = PackDosTime(1, 2, 10);
  std::size_t position = 0;
  ASSERT_EQ(ParseTimeValue("12:30", position, time, kUtcClock), ValueError::kNone);
  EXPECT_EQ(time, PackDosTime(12, 30, 10));

  // A refused value has written the fields before the faulty one.
  position = 0;
  EXPECT_EQ(ParseTimeValue("13:99", position, time, kUtcClock), ValueError::kMinute);
  EXPECT_EQ(time, PackDosTime(13, 30, 10));

  std::uint16_t date = PackDosDate(5, 6, 7);
  position = 0;
  EXPECT_EQ(ParseDateValue("99/16/1", position, date, kUtcClock), ValueError::kInvalidDate);
  EXPECT_EQ(date, PackDosDate(19, 6, 7));
}

TEST(DateTimeValues, MessagesInBothLanguages) {
  struct MessageRow {
    ValueError error;
    const char* english;
    const char* japanese;
  };
  const MessageRow rows[] = {
      {ValueError::kYear, "Year must be smaller than or equal 2043.\n",
       "年の指定は 2043 年以前でなければなりません.\n"},
      {ValueError::kInvalidDate, "Invalid date parameter.\n", "日付の指定が正しくありません.\n"},
      {ValueError::kHour, "Hour must be smaller than or equal 31.\n",
       "時刻の指定は 31 以下でなければなりません.\n"},
      {ValueError::kMinute, "Minute must be smaller than or equal 63.\n",
       "分の指定は 63 以下でなければなりません.\n"},
      {ValueError::kSecond, "Second must be smaller than or equal 63.\n",
       "秒の指定は 63 以下でなければなりません.\n"},
  };
  for (const MessageRow& row : rows) {
    EXPECT_EQ(ValueErrorMessage(row.error, false), row.english);
    EXPECT_EQ(ValueErrorMessage(row.error, true), std::string(row.japanese)) << row.english;
  }
  EXPECT_EQ(ValueErrorMessage(ValueError::kNone, true), "");
}

TEST(DateTimeValues, UtcCalendarAcrossEras) {
  struct CalendarRow {
    std::int64_t seconds;
    std::int64_t year;
    int month, day, hour, minute, second;
  };
  const CalendarRow rows[] = {
      {0, 1970, 1, 1, 0, 0, 0},           {-1, 1969, 12, 31, 23, 59, 59},
      {951782400, 2000, 2, 29, 0, 0, 0},  {kStart, 2026, 3, 31, 14, 25, 36},
      {-2208988800, 1900, 1, 1, 0, 0, 0},
  };
  for (const CalendarRow& row : rows) {
    const CalendarTime t = UtcDateTime(row.seconds);
    EXPECT_EQ(t.year, row.year) << row.seconds;
    EXPECT_EQ(t.month, row.month) << row.seconds;
    EXPECT_EQ(t.day, row.day) << row.seconds;
    EXPECT_EQ(t.hour, row.hour) << row.seconds;
    EXPECT_EQ(t.minute, row.minute) << row.seconds;
    EXPECT_EQ(t.second, row.second) << row.seconds;
  }
}

}  // namespace
