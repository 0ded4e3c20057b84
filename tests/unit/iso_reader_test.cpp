// The disc image reader on the images of make_iso_fixtures.sh (Joliet with
// Rock Ridge, Rock Ridge alone, UDF beside ISO 9660) and damaged copies.
#include "finder/archive/iso_reader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "archive_test_support.h"

namespace {

using namespace archive_test;

constexpr const char* kArchive = "C:\\T\\A.ISO";

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

std::string Lines(std::initializer_list<const char*> names) {
  std::string out;
  for (const char* name : names) out += std::string(kArchive) + " : " + name + "\n";
  return out;
}

// As 7zz -slt and bsdtar -tv list them (directories left out), the stamps
// nine hours east; each folder's files before its folders.
TEST(IsoReader, ListsEachFixture) {
  const std::string heading = "\nArchive file of C:\\T\\A.ISO\n\n";
  const std::string lower =
      "10/01/02  12:04:06             0 ____ empty.txt\n"
      "00/01/01  08:59:58           360 ____ guide.txt\n"
      "21/03/04  18:08:06             8 ____ 日本語.txt\n"
      "21/03/04  18:08:06         5,000 ____ most.dat\n";
  const std::string longName = std::string(90, 'l') + ".txt";
  const struct {
    const char* image;
    std::string expected;
  } rows[] = {
      // Joliet names; genisoimage marks hidden.txt hidden.
      {"joliet",
       "04/05/17  22:45:20            15 ____ README.TXT\n"
       "10/01/02  12:04:06             2 _H__ hidden.txt\n"
       "21/03/04  18:08:06             1 ____ " +
           longName + "\n" + lower},
      // Rock Ridge names in ISO 9660 order; README.TXT without a write bit.
      {"rr",
       "10/01/02  12:04:06             2 ____ hidden.txt\n"
       "21/03/04  18:08:06             1 ____ " +
           longName +
           "\n"
           "04/05/17  22:45:20            15 __R_ README.TXT\n" +
           lower},
      // UDF, not the plain ISO 9660 names beside it.
      {"udf",
       "04/05/17  22:45:20            15 ____ README.TXT\n"
       "10/01/02  12:04:06             2 ____ hidden.txt\n"
       "21/03/04  18:08:06             1 ____ " +
           longName + "\n" + lower},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(List(Image(row.image)), heading + row.expected) << row.image;
    // Under /W by the whole path; the name part alone is matched.
    EXPECT_EQ(List(Image(row.image), "*.dat", false, true), Lines({"docs\\deep\\er\\most.dat"}))
        << row.image;
  }
}

Bytes Flipped(Bytes bytes, std::size_t at) {
  bytes.at(at) ^= 1;
  return bytes;
}

// Damage ends the listing quietly after what came before it; a loop is
// passed over.
TEST(IsoReader, DamagedImages) {
  const Bytes joliet = Image("joliet"), rr = Image("rr"), udf = Image("udf");
  constexpr std::size_t kJolietRoot = 17 * 2048 + 156;  // in the Joliet descriptor
  constexpr std::size_t kDocs = 36864 + 228;            // rr.iso: the records of its root
  constexpr std::size_t kHidden = 37202, kReadMe = 37536;
  constexpr std::size_t kReadMeSystemUse = kReadMe + 46;
  constexpr std::size_t kDocsIdentifier = 532572;  // udf.iso: in the root's data
  const std::string rootFiles =
      Lines({"hidden.txt", (std::string(90, 'l') + ".txt").c_str(), "README.TXT"});
  const struct {
    const char* what;
    Bytes image;
    std::string expected;
  } rows[] = {
      {"descriptor set cut", Cut(joliet, joliet.size() - 17 * 2048 - 100), ""},
      {"directory extent past the end", Patched(joliet, kJolietRoot + 10, 0x7FFFFFFF, 4), ""},
      {"a folder that is its parent", Patched(rr, kDocs + 2, 18, 4), rootFiles},
      {"Rock Ridge CE past the end",
       Patched(Patched(rr, kReadMeSystemUse, 'C' | 'E' << 8, 2), kReadMeSystemUse + 4, 0xFFFFFF, 4),
       Lines({"hidden.txt", (std::string(90, 'l') + ".txt").c_str()})},
      {"plain ISO 9660 names without SP", Flipped(rr, 36864 + 34),
       Lines({"HIDDEN.TXT", "LLLLLLLL.TXT", "README.TXT", "DOCS\\EMPTY.TXT", "DOCS\\GUIDE.TXT",
              "DOCS\\___.TXT", "DOCS\\DEEP\\ER\\MOST.DAT"})},
      {"UDF anchor broken: ISO 9660", Flipped(udf, 256 * 2048 + 4),
       Lines({"HIDDEN.TXT", "LLLLLLLL.TXT", "README.TXT", "DOCS\\EMPTY.TXT", "DOCS\\GUIDE.TXT",
              "DOCS\\________.TXT", "DOCS\\DEEP\\ER\\MOST.DAT"})},
      {"UDF file entry checksum broken", Flipped(udf, 268 * 2048 + 4), Lines({"README.TXT"})},
      {"UDF identifier length lying", Patched(udf, kDocsIdentifier + 36, 0x7000, 2),
       Lines({"README.TXT"})},
  };
  for (const auto& row : rows)
    EXPECT_EQ(List(row.image, "*", false, true), row.expected) << row.what;
  // A file in two extents: one member, the sizes summed.
  EXPECT_EQ(List(Patched(rr, kHidden + 25, 0x80), "hidden.txt"),
            "\nArchive file of C:\\T\\A.ISO\n\n"
            "21/03/04  18:08:06             3 ____ hidden.txt\n");
}

// /M: a file of one extent is read where it lies, here most.dat with a ZIP
// of one stored member written over its start; under the Joliet names, the
// Rock Ridge ones, and from UDF.
TEST(IsoReader, StoredArchivesAreOpenedWhereTheyLie) {
  // Local header: version, flags, method, time, date, CRC, sizes 1 and 1,
  // name length 6, no extra field; the central header likewise, then the end
  // record.
  Bytes zip;
  Put32(zip, 0x04034B50);
  for (unsigned field : {20, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 6, 0}) Put16(zip, field);
  PutText(zip, "IN.TXTx");
  const std::size_t central = zip.size();
  Put32(zip, 0x02014B50);
  for (unsigned field : {20, 20, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0, 0, 0})
    Put16(zip, field);
  PutText(zip, "IN.TXT");
  const std::size_t end = zip.size();
  Put32(zip, 0x06054B50);
  for (unsigned field : {0, 0, 1, 1}) Put16(zip, field);
  Put32(zip, static_cast<std::uint32_t>(end - central));
  Put32(zip, static_cast<std::uint32_t>(central));
  Put16(zip, 0);
  for (const char* name : {"joliet", "rr", "udf"}) {
    SCOPED_TRACE(name);
    Bytes image = Image(name);
    const Bytes most(5000, 'm');
    const auto at = std::search(image.begin(), image.end(), most.begin(), most.end());
    ASSERT_NE(at, image.end());
    std::copy(zip.begin(), zip.end(), at);
    ResetSearch("IN.TXT", kArchive);
    WantOf(TestRun().options, *ArchiveFormatNamed("ZIP")) = {true, NameText("*.DAT")};
    TestRun().options.innerArchiveLevels = 1;
    RecordingSink sink;
    MemoryByteSource source(image.data(), image.size());
    ListMembers("ISO", source, sink, EastLocal);
    EXPECT_EQ(sink.out, Lines({"most.dat : IN.TXT"}));
  }
}

}  // namespace
