// The 7z reader on arbitrary bytes. The first byte chooses the settings that
// steer the listing (short or long form, /W, an attribute criterion, a date
// and a size criterion, a command per member, a pattern that names must
// match); the rest is the archive. A mutation seldom keeps the CRCs that
// guard the headers, so for an archive at the start of the input the
// harness makes them right again, and the mutations reach the header's
// parser and the decoder (the unit tests cover the CRC checks themselves).
#include <lzma.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

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

  std::vector<std::uint8_t> archive(data + 1, data + size);
  static const std::uint8_t kSignature[] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
  if (archive.size() >= 32 && std::memcmp(archive.data(), kSignature, 6) == 0) {
    std::uint64_t offset = 0, length = 0;
    for (int i = 7; i >= 0; --i) {
      offset = offset << 8 | archive[12 + i];
      length = length << 8 | archive[20 + i];
    }
    const std::uint64_t rest = archive.size() - 32;
    if (offset <= rest && length <= rest - offset) {
      const std::uint32_t crc = lzma_crc32(archive.data() + 32 + offset, length, 0);
      for (int i = 0; i < 4; ++i) archive[28 + i] = static_cast<std::uint8_t>(crc >> 8 * i);
    }
    const std::uint32_t crc = lzma_crc32(archive.data() + 12, 20, 0);
    for (int i = 0; i < 4; ++i) archive[8 + i] = static_cast<std::uint8_t>(crc >> 8 * i);
  }

  archive_test::DiscardingSink sink;
  MemoryByteSource memory(archive.data(), archive.size());
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
