// The tar reader on arbitrary bytes. The last byte chooses the settings that
// steer the walk (short or long form, which converts the stamps; attribute,
// date and size criteria; /W; a command per member under code page 932,
// whose lead bytes the names in that code page are split by; the pattern,
// which UTF-8 names match in its wide form); the bytes in front of it are
// the archive, so the seed archives serve as they are.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "finder/archive/buffered_byte_source.h"
#include "finder/archive/tar_reader.h"
#include "tests/unit/archive_test_support.h"

namespace {

// Fails for some stamps so that the fallback runs too.
bool FuzzLocalTime(std::int64_t seconds, CalendarTime* out) {
  if (seconds % 7 == 0) return false;
  *out = UtcDateTime(seconds + 9 * 3600);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t steer = data[size - 1];
  archive_test::ResetSearch((steer & 128) ? "*.T?T" : "*", "C:\\FUZZ\\ARCHIVE.TAR");
  SearchOptions& options = archive_test::TestRun().options;
  options.form = steer & 1;
  if (steer & 2) options.attributesRequired = 0x20;
  if (steer & 4) options.attributesExcluded = 0x02;
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

  archive_test::DiscardingSink sink;
  MemoryByteSource memory(data, size - 1);
  if (steer & 1) {
    BufferedByteSource buffered(memory);
    archive_test::ListMembers("TAR", buffered, sink, FuzzLocalTime);
  } else {
    archive_test::ListMembers("TAR", memory, sink, FuzzLocalTime);
  }
  return 0;
}
