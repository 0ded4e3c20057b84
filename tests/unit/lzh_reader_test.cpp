// The LHA reader: fixtures made by jlha at header levels 0 to 3, and
// archives built here, good and damaged.
#include "finder/archive/lzh_reader.h"

#include <gtest/gtest.h>

#include "archive_test_support.h"

namespace {

using namespace archive_test;

constexpr const char* kArchive = "C:\\T\\A.LZH";

std::string List(const Bytes& archive, LocalTimeConverter toLocal = UtcLocal) {
  RecordingSink sink;
  MemoryByteSource source(archive.data(), archive.size());
  ListMembers("LZH", source, sink, toLocal);
  return sink.out;
}

constexpr std::uint32_t kDos2021 = 0x52644903;   // 2021-03-04 09:08:06 (date << 16 | time)
constexpr std::uint32_t kUnix2021 = 1614848887;  // 2021-03-04 09:08:07 UTC

void PutBase(Bytes& out, std::string_view method, std::uint32_t packed, std::uint32_t size,
             std::uint32_t stamp, unsigned attributes, unsigned level) {
  PutText(out, method);
  Put32(out, packed);
  Put32(out, size);
  Put32(out, stamp);
  Put8(out, attributes);
  Put8(out, level);
}

Bytes Level0(std::string_view name, std::uint32_t size = 5, unsigned attributes = 0x20,
             std::uint32_t stamp = kDos2021, std::string_view method = "-lh0-",
             std::string_view data = "xyz") {
  Bytes out;
  Put8(out, 22 + name.size());
  Put8(out, 0);  // checksum, never tested
  PutBase(out, method, static_cast<std::uint32_t>(data.size()), size, stamp, attributes, 0);
  Put8(out, name.size());
  PutText(out, name);
  Put16(out, 0);  // CRC
  PutText(out, data);
  return out;
}

struct Ext {
  unsigned type;
  std::string data;
};
// The extended headers as stored: the first size, then each header with the
// size of the next behind it. Sizes are 2 bytes wide, 4 at level 3.
Bytes ExtArea(const std::vector<Ext>& exts, unsigned width = 2) {
  Bytes out;
  auto putSize = [&](std::size_t size) {
    if (width == 2)
      Put16(out, static_cast<unsigned>(size));
    else
      Put32(out, static_cast<std::uint32_t>(size));
  };
  for (const Ext& ext : exts) {
    putSize(1 + width + ext.data.size());
    Put8(out, ext.type);
    PutText(out, ext.data);
  }
  putSize(0);
  return out;
}

Bytes Level1(std::string_view name, const std::vector<Ext>& exts = {}, std::uint32_t size = 5,
             std::uint32_t stamp = kDos2021) {
  Bytes area = ExtArea(exts);
  Bytes out;
  Put8(out, 25 + name.size());
  Put8(out, 0);
  PutBase(out, "-lh5-", static_cast<std::uint32_t>(area.size() - 2 + 3), size, stamp, 0x20, 1);
  Put8(out, name.size());
  PutText(out, name);
  Put16(out, 0);  // CRC
  Put8(out, 'U');
  Append(out, area);
  PutText(out, "xyz");
  return out;
}

Bytes Level2(const std::vector<Ext>& exts, std::uint32_t size = 5,
             std::uint32_t stamp = kUnix2021) {
  Bytes area = ExtArea(exts);
  Bytes out;
  Put16(out, 24 + area.size());
  PutBase(out, "-lh5-", 3, size, stamp, 0x20, 2);
  Put16(out, 0);  // CRC
  Put8(out, 'U');
  Append(out, area);
  PutText(out, "xyz");
  return out;
}

Bytes Level3(const std::vector<Ext>& exts, std::uint32_t size = 5,
             std::uint32_t stamp = kUnix2021) {
  Bytes area = ExtArea(exts, 4);
  Bytes out;
  Put16(out, 4);  // the width of the size fields
  PutBase(out, "-lh5-", 3, size, stamp, 0x20, 3);
  Put16(out, 0);  // CRC
  Put8(out, 'U');
  Put32(out, static_cast<std::uint32_t>(28 + area.size()));
  Append(out, area);
  PutText(out, "xyz");
  return out;
}

std::string Le64(std::uint64_t value) {
  std::string out;
  for (int i = 0; i < 8; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
  return out;
}
// A UTF-16LE name header's data.
std::string Utf16(std::u16string_view text) {
  std::string out;
  for (char16_t unit : text) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  }
  return out;
}
// The Windows stamps header's data: creation, last write, last access.
std::string WindowsStamps(std::int64_t lastWriteSince1970) {
  std::uint64_t lastWrite = (lastWriteSince1970 + 11644473600) * 10000000ull + 1234567;
  return Le64(1) + Le64(lastWrite) + Le64(2);
}
// The 64-bit sizes header's data: compressed, then uncompressed.
std::string LargeSizes(std::uint64_t packed, std::uint64_t original) {
  return Le64(packed) + Le64(original);
}

Bytes Archive(std::initializer_list<Bytes> members, bool endMark = true) {
  Bytes out;
  for (const Bytes& member : members) Append(out, member);
  if (endMark) Put8(out, 0);
  return out;
}

std::string ShortLines(std::initializer_list<const char*> names) {
  std::string out;
  for (const char* name : names) out += std::string(kArchive) + " : " + name + "\n";
  return out;
}

class LzhReader : public ::testing::Test {
 protected:
  void SetUp() override { ResetSearch("*", kArchive); }
};

TEST_F(LzhReader, FixturesOfEveryLevelListShort) {
  for (const char* name : {"level0.lzh", "level1.lzh", "level2.lzh", "level3.lzh"}) {
    Bytes archive = Fixture(name);
    ASSERT_FALSE(archive.empty()) << name;
    // The directories (-lhd-) have empty names, which no pattern matches.
    EXPECT_EQ(List(archive), ShortLines({"README.TXT", "FILE.TXT", "BIG.DAT"})) << name;
    EXPECT_EQ(TestRun().totals.count, 3u);
    TestRun().totals = {};
  }
}

TEST_F(LzhReader, FixturesListLongWithHeadings) {
  UseLongForm();
  const std::string heading = "\nArchive file of C:\\T\\A.LZH\n\n";
  // Levels 0 and 1 carry MS-DOS stamps (two-second steps); level 2 carries
  // the exact second.
  EXPECT_EQ(List(Fixture("level0.lzh")), heading +
                                             "21/03/04  09:08:06             7 ___A README.TXT\n"
                                             "19/12/31  23:59:58             6 ___A FILE.TXT\n"
                                             "00/01/02  13:14:16     1,234,567 ___A BIG.DAT\n");
  EXPECT_EQ(List(Fixture("level1.lzh")), heading +
                                             "21/03/04  09:08:06             7 ___A README.TXT\n"
                                             "19/12/31  23:59:58             6 ___A FILE.TXT\n"
                                             "00/01/02  13:14:16     1,234,567 ___A BIG.DAT\n");
  EXPECT_EQ(List(Fixture("level2.lzh")), heading +
                                             "21/03/04  09:08:07             7 ___A README.TXT\n"
                                             "19/12/31  23:59:58             6 ___A FILE.TXT\n"
                                             "00/01/02  13:14:16     1,234,567 ___A BIG.DAT\n");
  EXPECT_EQ(List(Fixture("level3.lzh")), heading +
                                             "21/03/04  09:08:07             7 ___A README.TXT\n"
                                             "19/12/31  23:59:58             6 ___A FILE.TXT\n"
                                             "00/01/02  13:14:16     1,234,567 ___A BIG.DAT\n");
  EXPECT_EQ(TestRun().totals.count, 12u);
  EXPECT_EQ(TestRun().totals.bytes, 4u * 1234580);
}

TEST_F(LzhReader, ArchiveBehindAStubIsListedLikeAPlainOne) {
  Bytes archive(3000, 'x');
  // Decoys: "-lh" without the closing "-", and a method id cut by the end
  // of the first scan block.
  PutText(archive, "--lh5x");
  archive[1020] = '-';
  archive[1021] = 'l';
  Append(archive, Fixture("level2.lzh"));
  EXPECT_EQ(List(archive), ShortLines({"README.TXT", "FILE.TXT", "BIG.DAT"}));
}

TEST_F(LzhReader, EachLevelHasItsOwnNameRule) {
  const Bytes wideBoth = Archive(
      {Level2({{0x45, Utf16(u"D\xe9\uffff")}, {0x02, "X\xff"}, {0x44, Utf16(u"F\xe9.TXT")}})});
  struct Row {
    const char* pattern;
    Bytes archive;
    std::string expected;
    bool whole = false;  // /W
  } rows[] = {
      // Level 0: the part behind the last backslash; a slash is no separator.
      {"FILE.TXT", Archive({Level0("DIR\\SUB\\FILE.TXT")}), ShortLines({"FILE.TXT"})},
      {"*", Archive({Level0("DIR/FILE.TXT")}), ShortLines({"DIR/FILE.TXT"})},
      // Level 1: the whole name field.
      {"FILE.TXT", Archive({Level1("DIR\\FILE.TXT")}), ""},
      {"*FILE.TXT", Archive({Level1("DIR\\FILE.TXT")}), ShortLines({"DIR\\FILE.TXT"})},
      // Level 2: the file-name header alone; the directory header is ignored.
      {"FILE.TXT", Archive({Level2({{0x02, "DIR\xff"}, {0x01, "FILE.TXT"}})}),
       ShortLines({"FILE.TXT"})},
      {"DIR*", Archive({Level2({{0x02, "DIR\xff"}, {0x01, "FILE.TXT"}})}), ""},
      // A directory member is handled like any other.
      {"SUB", Archive({Level0("DIR\\SUB", 0, 0x10, kDos2021, "-lhd-")}), ShortLines({"SUB"})},
      // /W: the stored path, matched by the same name as without.
      {"FILE.TXT", Archive({Level0("DIR\\SUB\\FILE.TXT")}), ShortLines({"DIR\\SUB\\FILE.TXT"}),
       true},
      {"ONE.TXT",
       Archive({Level1("ONE.TXT", {{0x40, std::string("\x20\x00", 2)}, {0x02, "A\xff"}})}),
       ShortLines({"A\\ONE.TXT"}), true},
      {"FILE.TXT", Archive({Level2({{0x02, "DIR\xffSUB\xff"}, {0x01, "FILE.TXT"}})}),
       ShortLines({"DIR\\SUB\\FILE.TXT"}), true},
      {"FILE.TXT", Archive({Level3({{0x02, "DIR"}, {0x01, "FILE.TXT"}})}),
       ShortLines({"DIR\\FILE.TXT"}), true},
      {"FILE.TXT", Archive({Level2({{0x01, "FILE.TXT"}})}), ShortLines({"FILE.TXT"}), true},
      // A wide name goes with the wide folder, else an ASCII one.
      {"*", wideBoth, ShortLines({"D\xc3\xa9\\F\xc3\xa9.TXT"}), true},
      {"*", Archive({Level2({{0x02, "X\xffY\xff"}, {0x44, Utf16(u"F.TXT")}})}),
       ShortLines({"X\\Y\\F.TXT"}), true},
  };
  for (const Row& row : rows) {
    ResetSearch(row.pattern, kArchive);
    TestRun().options.wholeMemberPaths = row.whole;
    EXPECT_EQ(List(row.archive), row.expected) << row.pattern;
  }
}

TEST_F(LzhReader, AttributesComeFromTheAttributeHeader) {
  UseLongForm();
  const std::string heading = "\nArchive file of C:\\T\\A.LZH\n\n";
  Bytes archive = Archive({
      Level0("ZERO.TXT", 5, 0x21),
      Level1("ONE.TXT", {{0x02, "DIR\xff"}, {0x40, std::string("\x06\x00", 2)}}),
      Level1("ONEPLAIN.TXT"),
      Level2({{0x40, std::string("\x01\x00", 2)}, {0x01, "TWO.TXT"}}),
      Level2({{0x01, "TWOPLAIN.TXT"}}),
  });
  EXPECT_EQ(List(archive), heading +
                               "21/03/04  09:08:06             5 __RA ZERO.TXT\n"
                               "21/03/04  09:08:06             5 SH__ ONE.TXT\n"
                               "21/03/04  09:08:06             5 ___A ONEPLAIN.TXT\n"
                               "21/03/04  09:08:07             5 __R_ TWO.TXT\n"
                               "21/03/04  09:08:07             5 ___A TWOPLAIN.TXT\n");

  // A member without an attribute header passes /A:A.
  ResetSearch("*", kArchive);
  TestRun().options.attributesRequired = kAttrArchive;
  TestRun().options.needDetails = true;
  EXPECT_EQ(List(archive), ShortLines({"ZERO.TXT", "ONEPLAIN.TXT", "TWOPLAIN.TXT"}));
  TestRun().options.attributesRequired = kAttrHidden;
  EXPECT_EQ(List(archive), ShortLines({"ONE.TXT"}));
}

TEST_F(LzhReader, Level2StampsAreComparedInLocalTime) {
  // 2021-03-04 20:00:00 UTC is 2021-03-05 05:00:00 nine hours east.
  Bytes archive = Archive({Level2({{0x01, "LATE.TXT"}}, 5, 1614888000)});
  TestRun().options.dateMode = RangeMode::Equal;
  TestRun().options.dateValue = 5 + 3 * 32 + 41 * 512;
  EXPECT_EQ(List(archive, EastLocal), ShortLines({"LATE.TXT"}));
  EXPECT_EQ(List(archive, UtcLocal), "");
  TestRun().options.dateMode = RangeMode::None;
  TestRun().options.timeMode = RangeMode::AtMost;
  TestRun().options.timeHigh = 5 * 2048;
  EXPECT_EQ(List(archive, EastLocal), ShortLines({"LATE.TXT"}));
  // A stamp before 1980 is compared, as it is shown, as 1980-01-01 00:00:00,
  // as a file of a directory is.
  Bytes early = Archive({Level2({{0x01, "EARLY.TXT"}}, 5, 86400)});
  TestRun().options.timeMode = RangeMode::AtMost;
  TestRun().options.timeHigh = 0;
  TestRun().options.dateMode = RangeMode::AtMost;
  TestRun().options.dateHigh = PackDosDate(0, 1, 2);
  EXPECT_EQ(List(early, UtcLocal), ShortLines({"EARLY.TXT"}));
  EXPECT_EQ(List(archive, UtcLocal), "");
  TestRun().options.dateMode = RangeMode::None;
  UseLongForm();
  EXPECT_EQ(List(early, UtcLocal),
            "\nArchive file of C:\\T\\A.LZH\n\n80/01/01  00:00:00             5 ___A EARLY.TXT\n");

  // A failed conversion falls back to UTC rather than to no date.
  TestRun().options.timeMode = RangeMode::None;
  auto failing = [](std::int64_t, CalendarTime*) { return false; };
  EXPECT_EQ(List(archive, failing),
            "\nArchive file of C:\\T\\A.LZH\n\n21/03/04  20:00:00             5 ___A LATE.TXT\n");
}

TEST_F(LzhReader, CriteriaApplyToMembers) {
  Bytes archive = Archive(
      {Level0("SMALL.TXT", 10), Level1("BIG.TXT", {}, 5000), Level2({{0x01, "HUGE.TXT"}}, 90000)});
  TestRun().options.sizeMode = RangeMode::AtLeast;
  TestRun().options.sizeLow = 5000;
  EXPECT_EQ(List(archive), ShortLines({"BIG.TXT", "HUGE.TXT"}));
  TestRun().options.sizeMode = RangeMode::Between;
  TestRun().options.sizeLow = 1;
  TestRun().options.sizeHigh = 4999;
  EXPECT_EQ(List(archive), ShortLines({"SMALL.TXT"}));
}

TEST_F(LzhReader, SizesFrom2GiBShowUnsigned) {
  UseLongForm();
  EXPECT_EQ(List(Archive({Level0("HUGE.BIN", 3000000000u)})),
            "\nArchive file of C:\\T\\A.LZH\n\n21/03/04  09:08:06 3,000,000,000 ___A HUGE.BIN\n");
}

TEST_F(LzhReader, Level2HeaderOfAnySizeIsReadWhole) {
  // Pad with an unknown extended header to the exact total size.
  auto padded = [](std::size_t total) {
    std::size_t pad = total - 26 - (3 + 7) - 3;
    return Level2({{0x01, "BIG.HDR"}, {0x7E, std::string(pad, 'p')}});
  };
  for (std::size_t total : {1285u, 0xFFFFu}) {
    ASSERT_EQ(static_cast<std::size_t>(padded(total)[0] | padded(total)[1] << 8), total);
    EXPECT_EQ(List(Archive({padded(total), Level0("NEXT")})), ShortLines({"BIG.HDR", "NEXT"}));
  }
}

TEST_F(LzhReader, Level3IsListedLikeLevel2) {
  UseLongForm();
  Bytes archive = Archive({
      Level3({{0x02, "DIR\xff"}, {0x01, "PLAIN.TXT"}}),
      Level3({{0x40, std::string("\x03\x00", 2)}, {0x01, "RO.TXT"}}, 1234567),
      Level2({{0x01, "TWO.TXT"}}),
      Level0("ZERO.TXT"),
  });
  EXPECT_EQ(List(archive),
            "\nArchive file of C:\\T\\A.LZH\n\n"
            "21/03/04  09:08:07             5 ___A PLAIN.TXT\n"
            "21/03/04  09:08:07     1,234,567 _HR_ RO.TXT\n"
            "21/03/04  09:08:07             5 ___A TWO.TXT\n"
            "21/03/04  09:08:06             5 ___A ZERO.TXT\n");
  // A level-3 header as large as its buffer is read whole.
  std::size_t pad = 4096 - 32 - (5 + 7) - 5;
  Bytes largest = Level3({{0x01, "BIG.HDR"}, {0x7E, std::string(pad, 'p')}});
  ASSERT_EQ(largest[24] | largest[25] << 8, 4096);
  ResetSearch("*", kArchive);
  EXPECT_EQ(List(Archive({largest, Level0("NEXT")})), ShortLines({"BIG.HDR", "NEXT"}));
}

// The newer extended headers mean the same at levels 2 and 3.
TEST_F(LzhReader, NewerExtendedHeadersAtLevels2And3) {
  struct Row {
    const char* what;
    const char* pattern;
    std::vector<Ext> exts;
    std::uint32_t basePacked;
    std::uint32_t baseStamp;
    std::string longLine;  // of the member, when it is listed
  } rows[] = {
      // The base header says 0 compressed bytes: only the skip by the 64-bit
      // size finds NEXT.
      {"64-bit sizes replace the base ones, also for the skip",
       "*",
       {{0x01, "HUGE.BIN"}, {0x42, LargeSizes(3, 5000000000ull)}},
       0,
       kUnix2021,
       "21/03/04  09:08:07 5,000,000,000 ___A HUGE.BIN"},
      {"the last-write Windows stamp gives date and time",
       "*",
       {{0x41, WindowsStamps(kUnix2021 + 3)}, {0x01, "STAMP.TXT"}},
       3,
       0,
       "21/03/04  09:08:10             5 ___A STAMP.TXT"},
      {"a Windows stamp beyond 2107 shows the last packed moment",
       "*",
       {{0x01, "FAR.TXT"}, {0x41, WindowsStamps(4354819200)}},
       3,
       kUnix2021,
       "07/12/31  23:59:58             5 ___A FAR.TXT"},
      {"the UTF-16 name wins over the 8-bit one",
       "CAF?.TXT",
       {{0x01, "CAFE.TXT"}, {0x44, Utf16(u"CAF\u00c9.TXT")}},
       3,
       kUnix2021,
       "21/03/04  09:08:07             5 ___A CAF\xC3\x89.TXT"},
      {"the 8-bit name is not matched beside a UTF-16 one",
       "CAFE.TXT",
       {{0x44, Utf16(u"CAF\u00c9.TXT")}, {0x01, "CAFE.TXT"}},
       3,
       kUnix2021,
       ""},
      {"a UTF-16 name alone, with a UTF-16 folder that plays no part",
       "*.TXT",
       {{0x45, Utf16(u"DIR\u00ff")}, {0x44, Utf16(u"\u00e9t\u00e9.TXT")}},
       3,
       kUnix2021,
       "21/03/04  09:08:07             5 ___A \xC3\xA9t\xC3\xA9.TXT"},
  };
  for (const Row& row : rows) {
    for (unsigned level : {2u, 3u}) {
      ResetSearch(row.pattern, kArchive);
      UseLongForm();
      Bytes member =
          level == 2 ? Level2(row.exts, 5, row.baseStamp) : Level3(row.exts, 5, row.baseStamp);
      for (int i = 0; i < 4; ++i) member[7 + i] = row.basePacked >> (8 * i) & 0xFF;
      std::string lines = row.longLine.empty() ? "" : row.longLine + "\n";
      if (std::string_view(row.pattern) == "*")
        lines += "21/03/04  09:08:06             5 ___A NEXT\n";
      std::string expected = lines.empty() ? "" : "\nArchive file of C:\\T\\A.LZH\n\n" + lines;
      EXPECT_EQ(List(Archive({member, Level0("NEXT")})), expected)
          << row.what << ", level " << level;
    }
  }
}

TEST_F(LzhReader, NewerHeadersFeedTheCriteriaAndTotals) {
  Bytes archive = Archive({
      Level3({{0x01, "HUGE.BIN"}, {0x42, LargeSizes(3, 5000000000ull)}}),
      Level2({{0x01, "LATE.TXT"}, {0x41, WindowsStamps(1614888000)}}),
      Level3({{0x44, Utf16(u"\u65e5\u672c.TXT")}}),
      Level0("NEXT"),
  });
  // Sizes compare as 64-bit numbers and are summed whole.
  TestRun().options.sizeMode = RangeMode::AtLeast;
  TestRun().options.sizeLow = 4000000000u;
  UseLongForm();
  EXPECT_EQ(List(archive),
            "\nArchive file of C:\\T\\A.LZH\n\n"
            "21/03/04  09:08:07 5,000,000,000 ___A HUGE.BIN\n");
  EXPECT_EQ(TestRun().totals.bytes, 5000000000ull);

  // 2021-03-04 20:00:00 UTC in the Windows stamp is 2021-03-05 nine hours
  // east, for the date criterion as for the base stamp.
  ResetSearch("*", kArchive);
  TestRun().options.dateMode = RangeMode::Equal;
  TestRun().options.dateValue = 5 + 3 * 32 + 41 * 512;
  EXPECT_EQ(List(archive, EastLocal), ShortLines({"LATE.TXT"}));

  // A UTF-16 name is shown whole, whatever the code page holds.
  ResetSearch("*", kArchive);
  EXPECT_EQ(List(archive),
            ShortLines({"HUGE.BIN", "LATE.TXT", "\xE6\x97\xA5\xE6\x9C\xAC.TXT", "NEXT"}));
}

// A name may be as long as a path, 32,767 units; a longer one is passed over.
TEST(LzhLongNames, NamesAsLongAsPathsAreListedAndLongerOnesPassedOver) {
  const std::string n300(300, 'n'), n900(900, 'm'), n32767(32767, 'w');
  const Bytes archive = Archive({
      Level0("FIRST"),
      Level2({{0x01, n300}}),
      Level3({{0x44, Utf16(std::u16string(900, u'm'))}}),
      Level3({{0x44, Utf16(std::u16string(32768, u'x'))}}),
      Level3({{0x01, std::string(32768, 'x')}}),
      Level3({{0x44, Utf16(std::u16string(32767, u'w'))}}),
      Level0("NEXT"),
  });
  const std::string path = "C:\\" + std::string(32000, 'd') + "\\A.LZH";
  for (const char* archivePath : {kArchive, path.c_str()}) {
    ResetSearch("*", archivePath);
    std::string expected;
    for (const std::string& name : {std::string("FIRST"), n300, n900, n32767, std::string("NEXT")})
      expected += archivePath + (" : " + name) + "\n";
    EXPECT_EQ(List(archive), expected);
  }
  ResetSearch("*", kArchive);
  UseLongForm();
  const std::string lines = List(archive);
  for (const std::string& name : {n300, n900, n32767})
    EXPECT_NE(lines.find("             5 ___A " + name + "\n"), std::string::npos);
  EXPECT_EQ(TestRun().totals.count, 5u);
}

// ---- Damage: each row lists what comes before the damage and stops there. ---

// The member `damaged` between two good ones.
Bytes Between(const Bytes& damaged) {
  return Archive({Level0("FIRST"), damaged, Level0("NEXT")});
}

// At level 1 only the long form reads the extended headers, for the
// attributes; the short form skips them whole.
TEST_F(LzhReader, DamageEndsTheArchiveQuietly) {
  const std::string heading = "\nArchive file of C:\\T\\A.LZH\n\n";
  const std::string first = ShortLines({"FIRST"});
  const std::string firstLong = heading + "21/03/04  09:08:06             5 ___A FIRST\n";
  const Bytes level1 = Level1("BAD", {{0x02, "D\xff"}, {0x40, std::string("\x02\x00", 2)}});
  const Bytes level2 = Level2({{0x01, "BAD"}});
  const Bytes level3 = Level3({{0x01, "BAD"}});
  const struct {
    const char* what;
    Bytes archive;
    std::string shortForm, longForm;
  } rows[] = {
      {"unknown level", Between(Patched(Level0("BAD"), 20, 3)), first, firstLong},
      {"header size below 22", Between(Patched(Level0("BAD"), 0, 21)), first, firstLong},
      {"method not -lh?-", Between(Level0("BAD", 5, 0x20, kDos2021, "-lz5-")), first, firstLong},
      {"level 0 name length past the header", Between(Patched(Level0("BAD"), 21, 200)), first,
       firstLong},
      {"level 1 attribute byte not 0x20", Between(Patched(Level1("BAD"), 19, 0x21)), first,
       firstLong},
      {"level 1 name length past the header", Between(Patched(Level1("BAD"), 21, 100)), first,
       firstLong},
      {"level 1 extended header below 3 bytes", Between(Patched(level1, 25 + 3, 2)),
       ShortLines({"FIRST", "BAD", "NEXT"}), firstLong},
      {"level 1 skip size ends inside an extended header",
       Between(Patched(Level1("BAD", {{0x02, "D\xff"}}), 7, 2)), ShortLines({"FIRST", "BAD"}),
       firstLong},
      {"level 2 without a name header", Between(Level2({{0x02, "DIR\xff"}})), first, firstLong},
      {"level 2 without extended headers", Between(Level2({})), first, firstLong},
      {"level 2 extended header past the header", Between(Patched(level2, 24, 200)), first,
       firstLong},
      {"level 2 extended header below 3 bytes", Between(Patched(level2, 24, 2)), first, firstLong},
      {"level 2 attribute header of one byte", Between(Level2({{0x01, "BAD"}, {0x40, "\x01"}})),
       first, firstLong},
      {"level 3 size width not 4", Between(Patched(level3, 0, 2)), first, firstLong},
      {"level 3 header size 0", Between(Patched(level3, 24, 0, 4)), first, firstLong},
      {"level 3 header size 31", Between(Patched(level3, 24, 31, 4)), first, firstLong},
      {"level 3 header size past 256 KiB", Between(Patched(level3, 24, 256 * 1024 + 1, 4)), first,
       firstLong},
      {"level 3 header size 0xFFFFFFFF", Between(Patched(level3, 24, 0xFFFFFFFF, 4)), first,
       firstLong},
      {"level 3 extended header below 5 bytes", Between(Patched(level3, 28, 4, 4)), first,
       firstLong},
      {"level 3 extended header past the header", Between(Patched(level3, 28, 200, 4)), first,
       firstLong},
      {"level 3 extended header size that would wrap a sum",
       Between(Patched(level3, 28, 0xFFFFFFFF, 4)), first, firstLong},
      {"level 2 64-bit sizes header too short",
       Between(Level2({{0x01, "BAD"}, {0x42, std::string(15, '\0')}})), first, firstLong},
      {"level 3 64-bit sizes header too short",
       Between(Level3({{0x01, "BAD"}, {0x42, std::string(15, '\0')}})), first, firstLong},
      {"level 2 Windows stamps header too short",
       Between(Level2({{0x01, "BAD"}, {0x41, std::string(15, '\0')}})), first, firstLong},
      {"level 3 Windows stamps header too short",
       Between(Level3({{0x01, "BAD"}, {0x41, std::string(15, '\0')}})), first, firstLong},
      {"level 2 UTF-16 name of half a unit", Between(Level2({{0x01, "BAD"}, {0x44, "ABC"}})), first,
       firstLong},
      {"level 3 UTF-16 name of half a unit", Between(Level3({{0x01, "BAD"}, {0x44, "ABC"}})), first,
       firstLong},
      // The member itself is whole and listed; the skip behind it cannot be made.
      {"compressed size beyond any seek",
       Between(Level3({{0x01, "BAD"}, {0x42, LargeSizes(1ull << 63, 5)}})),
       ShortLines({"FIRST", "BAD"}), firstLong + "21/03/04  09:08:07             5 ___A BAD\n"},
      {"header cut by the end of the file",
       Cut(Archive({Level0("FIRST"), Level0("CUT")}, false), 8), first, firstLong},
      {"level 3 header cut by the end of the file",
       Cut(Archive({Level0("FIRST"), Level3({{0x01, "CUT"}})}, false), 6), first, firstLong},
      {"compressed size past the end of the file",
       Patched(Archive({Level0("FIRST")}, false), 7, 0xFF), first, firstLong},
      {"empty file", Bytes{}, "", ""},
      {"no method id", Bytes(5000, '-'), "", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ResetSearch("*", kArchive);
    EXPECT_EQ(List(row.archive), row.shortForm);
    ResetSearch("*", kArchive);
    UseLongForm();
    EXPECT_EQ(List(row.archive), row.longForm);
  }
}

// ---- Header decoding -----------------------------------------------------------

TEST(LzhClock, UtcCalendarAndDosPacking) {
  struct Row {
    std::int64_t seconds;
    int year, month, day, hour, minute, second;
    std::uint16_t date, time;
  } rows[] = {
      {0, 1970, 1, 1, 0, 0, 0, 0x21, 0},  // before 1980: the first MS-DOS moment
      {315532800, 1980, 1, 1, 0, 0, 0, 0x21, 0},
      {951868799, 2000, 2, 29, 23, 59, 59, 0x285D, 0xBF7D},
      {kUnix2021, 2021, 3, 4, 9, 8, 7, 0x5264, 0x4903},
      {4294967295, 2106, 2, 7, 6, 28, 15, static_cast<std::uint16_t>(7 + 2 * 32 + (126 % 64) * 512),
       6 * 2048 + 28 * 32 + 7},
  };
  for (const Row& row : rows) {
    CalendarTime clock = UtcDateTime(row.seconds);
    EXPECT_EQ(clock.year, row.year) << row.seconds;
    EXPECT_EQ(clock.month, row.month) << row.seconds;
    EXPECT_EQ(clock.day, row.day) << row.seconds;
    EXPECT_EQ(clock.hour * 3600 + clock.minute * 60 + clock.second,
              row.hour * 3600 + row.minute * 60 + row.second)
        << row.seconds;
    DosDateTime packed = MemberDosDateTime(clock);
    EXPECT_EQ(packed.date, row.date) << row.seconds;
    EXPECT_EQ(packed.time, row.time) << row.seconds;
  }
}

TEST(LzhClock, WindowsFileTimes) {
  struct Row {
    std::uint64_t fileTime;
    std::int64_t seconds;
  } rows[] = {
      {116444736000000000ull, 0},
      {116444736009999999ull, 0},  // the 100 ns steps of a second are dropped
      {0, -11644473600},
      {132593224870000000ull, kUnix2021},
      {~0ull, 1844674407370 - 11644473600},
  };
  for (const Row& row : rows) EXPECT_EQ(SecondsFromFileTime(row.fileTime), row.seconds);
}

// /M: a member stored as it is (-lh0-) that is an archive is read in place,
// also when the criteria pass it over; a compressed one is only listed.
TEST_F(LzhReader, StoredArchivesInsideAreOpened) {
  const Bytes inner = Archive({Level0("DEEP.TXT")});
  const std::string_view data(reinterpret_cast<const char*>(inner.data()), inner.size());
  const auto size = static_cast<std::uint32_t>(inner.size());
  const Bytes outer = Archive({Level0("DIR\\IN.LZH", size, 0x20, kDos2021, "-lh0-", data),
                               Level0("PACKED.LZH", size, 0x20, kDos2021, "-lh5-", data)});
  WantOf(TestRun().options, *ArchiveFormatNamed("LZH")) = {true, NameText("*.LZH")};
  TestRun().options.innerArchiveLevels = 1;
  EXPECT_EQ(List(outer), ShortLines({"IN.LZH", "IN.LZH : DEEP.TXT", "PACKED.LZH"}));
  TestRun().options.sizeMode = RangeMode::AtMost;
  TestRun().options.sizeHigh = 10;
  EXPECT_EQ(List(outer), ShortLines({"IN.LZH : DEEP.TXT"}));
}

}  // namespace
