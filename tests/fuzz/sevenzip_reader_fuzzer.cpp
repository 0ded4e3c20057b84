// The 7z reader on arbitrary bytes. The first byte chooses the settings that
// steer the listing (short or long form, /W, an attribute criterion, a date
// and a size criterion, a command per member, a pattern that names must
// match); the rest is the archive. Signature headers, whose CRC a mutation
// seldom keeps, come right from the seeds, plain and encoded, and the
// reader's own CRC checks are what the fuzzer mostly meets; the seeds carry
// the rest of the way.
#include <cstddef>
#include <cstdint>

#include "finder/archive/buffered_byte_source.h"
#include "finder/archive/sevenzip_reader.h"
#include "tests/unit/archive_test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t steer = data[0];
  archive_test::ResetSearch((steer & 128) ? "*.T?T" : "*", "C:\\FUZZ\\ARCHIVE.7Z");
  SearchOptions& options = archive_test::TestRun().options;
  options.form = steer & 1;
  options.wholeMemberPaths = steer & 2;
  if (steer & 4) options.attributesRequired = 0x01;
  if (steer & 8) {
    options.dateMode = RangeMode::AtLeast;
    options.dateLow = PackDosDate(20, 1, 1);
  }
  options.runCommandOnMembers = steer & 16;
  options.noEcho = steer & 16;
  if (steer & 64) {
    options.sizeMode = RangeMode::Between;
    options.sizeLow = 1;
    options.sizeHigh = 1 << 20;
  }

  archive_test::DiscardingSink sink;
  MemoryByteSource memory(data + 1, size - 1);
  const auto utc = [](std::int64_t seconds, CalendarTime* out) {
    *out = UtcDateTime(seconds);
    return true;
  };
  if (steer & 32) {
    BufferedByteSource buffered(memory);
    archive_test::ListMembers("7Z", buffered, sink, utc);
  } else {
    archive_test::ListMembers("7Z", memory, sink, utc);
  }
  return 0;
}
