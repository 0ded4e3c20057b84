// The disc image reader on the images of make_iso_fixtures.sh (Joliet with
// Rock Ridge, Rock Ridge alone, UDF beside ISO 9660) and damaged copies.
#include "finder/archive/iso_reader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "archive_test_support.h"

namespace {

using namespace archive_test;

constexpr const char* kArchive = "C:\\T\\A.ISO";

bool EastLocal(std::int64_t seconds, CalendarTime* out) {
  *out = UtcDateTime(seconds + 9 * 3600);
  return true;
}

Bytes Image(const std::string& name) {
  const Bytes packed = Fixture(name + ".iso.gz");
  Bytes image(2 << 20);
  z_stream stream{};
  stream.next_in = const_cast<Bytef*>(packed.data());
  stream.avail_in = static_cast<uInt>(packed.size());
  stream.next_out = image.data();
  stream.avail_out = static_cast<uInt>(image.size());
  EXPECT_EQ(inflateInit2(&stream, 16 + MAX_WBITS), Z_OK);
  EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END) << name;
  image.resize(stream.total_out);
  inflateEnd(&stream);
  return image;
}

std::string List(const Bytes& image, const char* pattern = "*", bool longForm = true,
                 bool wholePaths = false) {
  ResetSearch(pattern, kArchive);
  if (longForm) UseLongForm();
  TestRun().options.wholeMemberPaths = wholePaths;
  RecordingSink sink;
  MemoryByteSource source(image.data(), image.size());
  ListMembers("ISO", source, sink, EastLocal);
  return sink.out;
}

TEST(IsoReader, Probe) {
  for (const char* name : {"joliet", "rr", "udf"}) {
    std::cout << List(Image(name)) << List(Image(name), "*", false, true);
  }
}

}  // namespace
