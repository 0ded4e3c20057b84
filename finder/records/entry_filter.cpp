#include "finder/records/entry_filter.h"

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

}  // namespace

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
