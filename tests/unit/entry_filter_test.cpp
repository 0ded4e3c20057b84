// The criteria of /D, /T, /S and /A, and the packing of file times.
#include "finder/records/entry_filter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

namespace {

constexpr std::uint64_t FileTime(std::int64_t unixSeconds) {
  return static_cast<std::uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL;
}
constexpr std::uint16_t Date(int year, int month, int day) {
  return static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}
constexpr std::uint16_t Time(int hour, int minute, int second) {
  return static_cast<std::uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}

// A file's line and its criteria both take this packed form, so what is
// shown is what matches.
TEST(FileDosDateTime, OutsideTheRangeTakesTheNearestEnd) {
  struct Row {
    std::uint64_t fileTime;
    std::uint16_t date, time;
  } rows[] = {
      {FileTime(315532800), Date(1980, 1, 1), Time(0, 0, 0)},
      {FileTime(315532799), Date(1980, 1, 1), Time(0, 0, 0)},  // 1979-12-31 23:59:59
      {FileTime(951827696), Date(2000, 2, 29), Time(12, 34, 56)},
      {FileTime(951827697), Date(2000, 2, 29), Time(12, 34, 56)},  // odd seconds drop to even
      {FileTime(1709251199), Date(2024, 2, 29), Time(23, 59, 58)},
      {FileTime(4354819199), Date(2107, 12, 31), Time(23, 59, 58)},
      {FileTime(4354819200), Date(2107, 12, 31), Time(23, 59, 58)},  // 2108-01-01
      {0, Date(1980, 1, 1), Time(0, 0, 0)},                          // 1601-01-01
      {UINT64_MAX, Date(2107, 12, 31), Time(23, 59, 58)},
  };
  for (const Row& row : rows) {
    const DosDateTime stamp = FileDosDateTime(row.fileTime);
    EXPECT_EQ(stamp.date, row.date) << row.fileTime;
    EXPECT_EQ(stamp.time, row.time) << row.fileTime;
  }
}

struct CriteriaRow {
  const char* what;
  std::function<void(SearchOptions&)> set;
  std::uint32_t attributes;
  std::uint64_t size;
  bool stamped;
  bool passes;
};

constexpr std::uint64_t k4GiB = 0x100000000ULL;
const DosDateTime kStamp{Date(1999, 12, 31), Time(12, 0, 0)};

void SetDate(SearchOptions& o, RangeMode mode, std::uint16_t low, std::uint16_t high) {
  o.dateMode = mode;
  o.dateValue = low;
  o.dateLow = low;
  o.dateHigh = high;
}
void SetTime(SearchOptions& o, RangeMode mode, std::uint16_t low, std::uint16_t high) {
  o.timeMode = mode;
  o.timeValue = low;
  o.timeLow = low;
  o.timeHigh = high;
}
void SetSize(SearchOptions& o, RangeMode mode, std::uint32_t low, std::uint32_t high) {
  o.sizeMode = mode;
  o.sizeValue = low;
  o.sizeLow = low;
  o.sizeHigh = high;
}

TEST(MatchesCriteria, EveryCriterionThatIsSetMustPass) {
  using M = RangeMode;
  const std::uint16_t d = kStamp.date;
  const CriteriaRow rows[] = {
      {"nothing set", [](SearchOptions&) {}, 0x16, 0, false, true},

      {"date equal", [&](SearchOptions& o) { SetDate(o, M::Equal, d, 0); }, 0x20, 0, true, true},
      {"date equal, other day", [&](SearchOptions& o) { SetDate(o, M::Equal, d + 1, 0); }, 0x20, 0,
       true, false},
      {"date at least, same", [&](SearchOptions& o) { SetDate(o, M::AtLeast, d, 0); }, 0x20, 0,
       true, true},
      {"date at least, later bound", [&](SearchOptions& o) { SetDate(o, M::AtLeast, d + 1, 0); },
       0x20, 0, true, false},
      {"date at most, same", [&](SearchOptions& o) { SetDate(o, M::AtMost, 0, d); }, 0x20, 0, true,
       true},
      {"date at most, earlier bound", [&](SearchOptions& o) { SetDate(o, M::AtMost, 0, d - 1); },
       0x20, 0, true, false},
      {"date between, inclusive", [&](SearchOptions& o) { SetDate(o, M::Between, d, d); }, 0x20, 0,
       true, true},
      {"date between, reversed", [&](SearchOptions& o) { SetDate(o, M::Between, d + 1, d - 1); },
       0x20, 0, true, false},
      {"date set, no stamp", [&](SearchOptions& o) { SetDate(o, M::AtMost, 0, 0xFFFF); }, 0x20, 0,
       false, false},

      {"time at least noon", [](SearchOptions& o) { SetTime(o, M::AtLeast, Time(12, 0, 0), 0); },
       0x20, 0, true, true},
      {"time at least noon and a bit",
       [](SearchOptions& o) { SetTime(o, M::AtLeast, Time(12, 0, 2), 0); }, 0x20, 0, true, false},
      {"time between, any date",
       [](SearchOptions& o) { SetTime(o, M::Between, Time(9, 0, 0), Time(17, 0, 0)); }, 0x20, 0,
       true, true},
      {"time set, no stamp", [](SearchOptions& o) { SetTime(o, M::AtMost, 0, 0xFFFF); }, 0x20, 0,
       false, false},
      {"date passes, time fails",
       [&](SearchOptions& o) {
         SetDate(o, M::Equal, d, 0);
         SetTime(o, M::AtMost, 0, Time(11, 59, 58));
       },
       0x20, 0, true, false},

      {"size equal", [](SearchOptions& o) { SetSize(o, M::Equal, 100, 0); }, 0x20, 100, false,
       true},
      {"size equal, 4 GiB above", [](SearchOptions& o) { SetSize(o, M::Equal, 100, 0); }, 0x20,
       k4GiB + 100, false, false},
      {"size at most", [](SearchOptions& o) { SetSize(o, M::AtMost, 0, 1000); }, 0x20, 1000, false,
       true},
      {"size at most, 4 GiB", [](SearchOptions& o) { SetSize(o, M::AtMost, 0, 1000); }, 0x20, k4GiB,
       false, false},
      {"size at most 0, empty file", [](SearchOptions& o) { SetSize(o, M::AtMost, 0, 0); }, 0x20, 0,
       false, true},
      {"size at least", [](SearchOptions& o) { SetSize(o, M::AtLeast, 1000, 0); }, 0x20, 999, false,
       false},
      {"size at least, 4 GiB", [](SearchOptions& o) { SetSize(o, M::AtLeast, 1000, 0); }, 0x20,
       k4GiB, false, true},
      {"size at least max, 4 GiB + 1",
       [](SearchOptions& o) { SetSize(o, M::AtLeast, 0xFFFFFFFF, 0); }, 0x20, k4GiB + 1, false,
       true},
      {"size between", [](SearchOptions& o) { SetSize(o, M::Between, 100, 200); }, 0x20, 200, false,
       true},
      {"size between, reversed", [](SearchOptions& o) { SetSize(o, M::Between, 200, 100); }, 0x20,
       150, false, false},
      {"size between, 4 GiB", [](SearchOptions& o) { SetSize(o, M::Between, 0, 0xFFFFFFFF); }, 0x20,
       k4GiB, false, false},

      {"hidden required", [](SearchOptions& o) { o.attributesRequired = 0x02; }, 0x22, 0, false,
       true},
      {"hidden required, plain file", [](SearchOptions& o) { o.attributesRequired = 0x02; }, 0x20,
       0, false, false},
      {"hidden and system required, hidden only",
       [](SearchOptions& o) { o.attributesRequired = 0x06; }, 0x22, 0, false, false},
      {"directory excluded", [](SearchOptions& o) { o.attributesExcluded = 0x10; }, 0x10, 0, false,
       false},
      {"directory excluded, file", [](SearchOptions& o) { o.attributesExcluded = 0x10; }, 0x20, 0,
       false, true},
      {"hidden required and excluded",
       [](SearchOptions& o) {
         o.attributesRequired = 0x02;
         o.attributesExcluded = 0x02;
       },
       0x22, 0, false, false},
  };
  for (const CriteriaRow& row : rows) {
    SCOPED_TRACE(row.what);
    SearchOptions options;
    row.set(options);
    EXPECT_EQ(MatchesCriteria(options, row.attributes, row.size, row.stamped ? &kStamp : nullptr),
              row.passes);
  }
}

}  // namespace
