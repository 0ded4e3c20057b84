#include "finder/search/entry_filter.h"

namespace {

template <typename Value>
bool InRange(RangeMode mode, Value value, Value equal, Value low, Value high) {
  switch (mode) {
    case RangeMode::None:
      return true;
    case RangeMode::Equal:
      return value == equal;
    case RangeMode::AtLeast:
      return value >= low;
    case RangeMode::AtMost:
      return value <= high;
    case RangeMode::Between:
      return low <= value && value <= high;
  }
  return true;
}

bool SizeMatches(const SearchOptions& options, std::uint64_t size) {
  return InRange(options.sizeMode, size, options.sizeValue, options.sizeLow, options.sizeHigh);
}

// The calendar date of a day counted from 1 January 1970 (proleptic
// Gregorian; the days-to-civil algorithm of H. Hinnant).
void CivilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day) {
  days += 719468;
  std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  std::int64_t dayOfEra = days - era * 146097;
  std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // March is 0
  day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

}  // namespace

bool PackDosDateTime(std::uint64_t localFileTime, DosDateTime& stamp) {
  constexpr std::uint64_t kTicksPerSecond = 10000000;
  constexpr std::int64_t kSecondsPerDay = 86400;
  constexpr std::int64_t kDaysFrom1601To1970 = 134774;
  std::uint64_t seconds = localFileTime / kTicksPerSecond;
  std::int64_t days = static_cast<std::int64_t>(seconds / kSecondsPerDay) - kDaysFrom1601To1970;
  std::int64_t secondOfDay = static_cast<std::int64_t>(seconds % kSecondsPerDay);
  std::int64_t year = 0;
  int month = 0, day = 0;
  CivilFromDays(days, year, month, day);
  if (year < 1980 || year > 2107) return false;
  stamp.date = static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day);
  stamp.time = static_cast<std::uint16_t>(((secondOfDay / 3600) << 11) |
                                          ((secondOfDay / 60 % 60) << 5) | (secondOfDay % 60 / 2));
  return true;
}

bool MatchesDateTimeSize(const SearchOptions& options, const DosDateTime* stamp,
                         std::uint64_t size) {
  if (options.dateMode != RangeMode::None || options.timeMode != RangeMode::None) {
    if (!stamp) return false;
    if (!InRange(options.dateMode, stamp->date, options.dateValue, options.dateLow,
                 options.dateHigh))
      return false;
    if (!InRange(options.timeMode, stamp->time, options.timeValue, options.timeLow,
                 options.timeHigh))
      return false;
  }
  return SizeMatches(options, size);
}

bool MatchesAttributes(const SearchOptions& options, std::uint32_t attributes) {
  return (attributes & options.attributesRequired) == options.attributesRequired &&
         (attributes & options.attributesExcluded) == 0;
}

bool MatchesCriteria(const SearchOptions& options, std::uint32_t attributes, std::uint64_t size,
                     const DosDateTime* stamp) {
  return MatchesDateTimeSize(options, stamp, size) && MatchesAttributes(options, attributes);
}
