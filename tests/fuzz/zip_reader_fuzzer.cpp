// The ZIP reader on arbitrary bytes. The first byte chooses the settings
// that steer the walk (short or long form, an attribute criterion, /N, a
// command per member, a size criterion, a pattern that names in the ANSI
// code page and UTF-8 names must match), so that the local walk, the
// directory found through the end record (the seeds with a signing block and
// a gap lead there), the walk to the directory and every line builder run;
// the rest is the archive.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "finder/archive/buffered_byte_source.h"
#include "finder/archive/zip_reader.h"
#include "tests/unit/archive_test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t steer = data[0];
  archive_test::ResetSearch((steer & 128) ? "*.T?T" : "*", "C:\\FUZZ\\ARCHIVE.ZIP");
  SearchOptions& options = archive_test::TestRun().options;
  options.form = steer & 1;
  if (steer & 2) options.attributesRequired = 0x01;
  if (steer & 4) options.attributesExcluded = 0x02;
  options.noEcho = steer & 8;
  options.runCommandOnMembers = steer & 16;
  options.pausePerScreen = steer & 32;
  if (steer & 64) {
    options.sizeMode = RangeMode::Between;
    options.sizeLow = 1;
    options.sizeHigh = 1 << 20;
  }

  archive_test::DiscardingSink sink;
  MemoryByteSource memory(data + 1, size - 1);
  if (steer & 1) {
    // Through the read-ahead buffer as the program reads, on every other run.
    BufferedByteSource buffered(memory);
    archive_test::ListMembers("ZIP", buffered, sink);
  } else {
    archive_test::ListMembers("ZIP", memory, sink);
  }
  return 0;
}
