// The Cabinet reader on arbitrary bytes. The last byte chooses the settings
// that steer the walk (short or long form, which keeps only the last part of
// a name; attribute and size criteria; /N; a command per member; a pattern
// that UTF-8 names must match); the bytes in front of it are the cabinet, so
// the fixtures serve as seeds as they are.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "finder/archive/buffered_byte_source.h"
#include "finder/archive/cab_reader.h"
#include "tests/unit/archive_test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t steer = data[size - 1];
  // A long archive path leaves little room for the short line.
  archive_test::ResetSearch(
      (steer & 128) ? "*.T?T" : "*",
      (steer & 32) ? "C:\\A\\VERY\\LONG\\PATH\\TO\\THE\\FUZZ\\CABINET.CAB" : "C:\\C.CAB");
  SearchOptions& options = archive_test::TestRun().options;
  options.form = steer & 1;
  if (steer & 2) options.attributesRequired = 0x20;
  if (steer & 4) options.attributesExcluded = 0x02;
  options.needDetails = options.form != 0 || (steer & 6) != 0;
  options.noEcho = steer & 8;
  options.runCommandOnMembers = steer & 16;
  if (steer & 64) {
    options.sizeMode = RangeMode::Between;
    options.sizeLow = 1;
    options.sizeHigh = 1 << 20;
  }

  archive_test::DiscardingSink sink;
  MemoryByteSource memory(data, size - 1);
  if (steer & 1) {
    BufferedByteSource buffered(memory);
    archive_test::ListMembers("CAB", buffered, sink);
  } else {
    archive_test::ListMembers("CAB", memory, sink);
  }
  return 0;
}
