// Date and time values of /D and /T: absolute and relative forms, packing, errors.
#include "finder/options/date_time_values.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The tests' own zone: UTC, so that relative values are exact.
LocalDateTime Utc(std::int64_t seconds) {
  return UtcDateTime(seconds);
}

// 2026-03-31 14:25:36 UTC, a Tuesday.
constexpr std::int64_t kStart = 1774967136;

struct DateRow {
  const char* text;
  ValueError error;
  std::uint16_t packed;  // the word after the call (on success)
  std::size_t consumed;  // where the position stops (on success)
};

TEST(DateValue, AbsoluteForms) {
  const DateRow rows[] = {
      {"99/12/31", ValueError::kNone, PackDosDate(19, 12, 31), 8},
      {"00/01/01", ValueError::kNone, PackDosDate(20, 1, 1), 8},
      {"1999/12/31", ValueError::kNone, PackDosDate(19, 12, 31), 10},
      {"150/1/1", ValueError::kNone, PackDosDate(0, 1, 1), 7},
      {"43/12/31", ValueError::kNone, PackDosDate(63, 12, 31), 8},
      {"44/01/01", ValueError::kYear, 0, 0},
      {"2044/1/1", ValueError::kYear, 0, 0},
      {"99/12", ValueError::kInvalidDate, 0, 0},
  };
  const ValueClock clock{kStart, Utc};
  for (const DateRow& row : rows) {
    std::uint16_t date = 0;
    std::size_t position = 0;
    EXPECT_EQ(ParseDateValue(row.text, position, date, clock), row.error) << row.text;
    if (row.error == ValueError::kNone) {
      EXPECT_EQ(date, row.packed) << row.text;
      EXPECT_EQ(position, row.consumed) << row.text;
    }
  }
}

}  // namespace
