// The harness both disc image fuzzers share. An image's first 16 sectors are
// never read, so the input is the image from sector 16 on and the harness
// puts 32 KiB of zeros in front of it: the inputs stay small enough to mutate
// quickly. The last byte chooses the settings that steer the listing (short
// or long form, which converts the stamps; attribute, date and size
// criteria; /W; a command per member under code page 932; the pattern).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "finder/archive/buffered_byte_source.h"
#include "finder/archive/iso_reader.h"
#include "tests/unit/archive_test_support.h"

namespace disc_fuzz {

// Fails for some stamps so that the fallback runs too.
inline bool FuzzLocalTime(std::int64_t seconds, CalendarTime* out) {
  if (seconds % 7 == 0) return false;
  *out = UtcDateTime(seconds + 9 * 3600);
  return true;
}

inline int ListImage(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t steer = data[size - 1];
  archive_test::ResetSearch((steer & 128) ? "*.T?T" : "*", "C:\\FUZZ\\IMAGE.ISO");
  SearchOptions& options = archive_test::TestRun().options;
  options.form = steer & 1;
  if (steer & 2) options.attributesRequired = 0x02;
  if (steer & 4) options.attributesExcluded = 0x01;
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
  std::vector<std::uint8_t> image(kIsoFirstDescriptor + size - 1);
  std::copy(data, data + size - 1, image.begin() + kIsoFirstDescriptor);
  archive_test::DiscardingSink sink;
  MemoryByteSource memory(image.data(), image.size());
  if (steer & 1) {
    BufferedByteSource buffered(memory);
    archive_test::ListMembers("ISO", buffered, sink, FuzzLocalTime);
  } else {
    archive_test::ListMembers("ISO", memory, sink, FuzzLocalTime);
  }
  return 0;
}

}  // namespace disc_fuzz
