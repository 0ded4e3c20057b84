// What the reader fuzzers share: a local clock that fails for some stamps,
// so that the fallback runs too, and the settings an input's steering byte
// chooses: bit 0 the long form (which converts the stamps) and reading
// through the read-ahead buffer, bits 1 and 2 attribute criteria, bit 3 /W,
// bit 4 a command per member under code page 932 (whose lead bytes split
// names stored in that code page), bit 5 a date and bit 6 a size criterion,
// bit 7 a pattern that names must match (in its wide form for UTF-8 names).
// With `innerLevels`, archives stored inside are opened to that many levels
// (/M), every kind on with its usual names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "finder/archive/buffered_byte_source.h"
#include "tests/unit/archive_test_support.h"

namespace member_fuzz {

inline bool FuzzLocalTime(std::int64_t seconds, CalendarTime* out) {
  if (seconds % 7 == 0) return false;
  *out = UtcDateTime(seconds + 9 * 3600);
  return true;
}

// Lists `size` bytes as an archive of `kind` named `archive`, with the
// settings `steer` chooses; `required` and `excluded` are the attribute
// criteria of bits 1 and 2.
inline int ListSteered(std::string_view kind, const char* archive, const std::uint8_t* data,
                       std::size_t size, std::uint8_t steer, std::uint16_t required = 0x20,
                       std::uint16_t excluded = 0x02, int innerLevels = 0) {
  archive_test::ResetSearch((steer & 128) ? "*.T?T" : "*", archive);
  SearchOptions& options = archive_test::TestRun().options;
  options.form = steer & 1;
  if (steer & 2) options.attributesRequired = required;
  if (steer & 4) options.attributesExcluded = excluded;
  options.needDetails = options.form != 0 || (steer & 6) != 0;
  options.wholeMemberPaths = steer & 8;
  options.runCommandOnMembers = steer & 16;
  if (steer & 16) options.ansiCodePage = 932;
  if (steer & 32) {
    options.dateMode = RangeMode::AtLeast;
    options.dateLow = 0x2821;
  }
  if (steer & 64) {
    options.sizeMode = RangeMode::Between;
    options.sizeLow = 1;
    options.sizeHigh = 1 << 20;
  }
  options.innerArchiveLevels = innerLevels;
  if (innerLevels)
    for (const ArchiveFormat& format : kArchiveFormats)
      WantOf(options, format) = {
          true, NameText(format.everyNames.empty() ? format.archiveNames : format.everyNames)};
  archive_test::DiscardingSink sink;
  MemoryByteSource memory(data, size);
  if (steer & 1) {
    BufferedByteSource buffered(memory);
    archive_test::ListMembers(kind, buffered, sink, FuzzLocalTime);
  } else {
    archive_test::ListMembers(kind, memory, sink, FuzzLocalTime);
  }
  return 0;
}

}  // namespace member_fuzz
