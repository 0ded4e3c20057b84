// The table listings: whole lines of forms 1 and 2 and the directory headers.
#include "finder/listing/listing_lines.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

DosDateTime Stamp(int year, int month, int day, int hour, int minute, int second) {
  return {static_cast<std::uint16_t>((year - 1980) << 9 | month << 5 | day),
          static_cast<std::uint16_t>(hour << 11 | minute << 5 | second / 2)};
}

FileEntry Entry(const char* name, const char* shortName, std::uint32_t attributes,
                std::uint64_t size) {
  FileEntry entry;
  std::strncpy(entry.name, name, sizeof entry.name - 1);
  std::strncpy(entry.shortName, shortName, sizeof entry.shortName - 1);
  entry.attributes = attributes;
  entry.size = size;
  return entry;
}

const DosDateTime kNewYearsEve = Stamp(1999, 12, 31, 23, 59, 59);  // odd seconds drop to 58
const DosDateTime kMarch2005 = Stamp(2005, 3, 7, 10, 5, 6);

struct LineCase {
  const char* what;
  FileEntry entry;
  DosDateTime stamp;
  const char* form1;
  const char* form2;
};

const LineCase kLines[] = {
    {"the worked example", Entry("REPORT.TXT", "", kAttrArchive, 1234), kNewYearsEve,
     "99/12/31  23:59:58         1,234 ___A REPORT.TXT",
     "REPORT   TXT         1,234  99/12/31  23:59:58 ___A REPORT.TXT"},
    {"a directory of 7 March 2005", Entry("WORK", "", kAttrDirectory, 4096), kMarch2005,
     "05/03/07  10:05:06   <DIR>       ____ WORK",
     "WORK           <DIR>        05/03/07  10:05:06 ____ WORK"},
    {"dot", Entry(".", "", kAttrDirectory, 0), kMarch2005,
     "05/03/07  10:05:06   <DIR>       ____ .",
     ".              <DIR>        05/03/07  10:05:06 ____ ."},
    {"dot dot", Entry("..", "", kAttrDirectory | kAttrHidden, 0), kMarch2005,
     "05/03/07  10:05:06   <DIR>       _H__ ..",
     "..             <DIR>        05/03/07  10:05:06 _H__ .."},
    {"every letter, size 0", Entry("IO.SYS", "", 0x27, 0), Stamp(1980, 1, 1, 0, 0, 0),
     "80/01/01  00:00:00             0 SHRA IO.SYS",
     "IO       SYS             0  80/01/01  00:00:00 SHRA IO.SYS"},
    {"no extension", Entry("README", "", kAttrReadOnly, 999), Stamp(2107, 12, 31, 23, 59, 58),
     "07/12/31  23:59:58           999 __R_ README",
     "README                 999  07/12/31  23:59:58 __R_ README"},
    {"the short name in the 8.3 columns",
     Entry("Long Report.html", "LONGRE~1.HTM", kAttrArchive, 1000), kNewYearsEve,
     "99/12/31  23:59:58         1,000 ___A Long Report.html",
     "LONGRE~1 HTM         1,000  99/12/31  23:59:58 ___A Long Report.html"},
    {"a long name without a short one is cut to the columns",
     Entry("verylongname.text", "", kAttrArchive, 2147483647), kNewYearsEve,
     "99/12/31  23:59:58 2,147,483,647 ___A verylongname.text",
     "verylong tex 2,147,483,647  99/12/31  23:59:58 ___A verylongname.text"},
    {"a long name without a dot", Entry("LongNameNoDot", "", 0, 5), kNewYearsEve,
     "99/12/31  23:59:58             5 ____ LongNameNoDot",
     "LongName                 5  99/12/31  23:59:58 ____ LongNameNoDot"},
    {"2 GiB stays positive", Entry("BIG.ISO", "", kAttrArchive, 2147483648u), kNewYearsEve,
     "99/12/31  23:59:58 2,147,483,648 ___A BIG.ISO",
     "BIG      ISO 2,147,483,648  99/12/31  23:59:58 ___A BIG.ISO"},
    {"wider than the field: the rest moves right",
     Entry("HUGE.IMG", "", kAttrArchive, 12345678901ull), kNewYearsEve,
     "99/12/31  23:59:58 12,345,678,901 ___A HUGE.IMG",
     "HUGE     IMG 12,345,678,901  99/12/31  23:59:58 ___A HUGE.IMG"},
    // UTF-8 names fill the 8.3 columns by screen columns; code page bytes
    // (no UTF-8 sequence) one column each, as before.
    {"wide characters take two columns", Entry("日本.txt", "", kAttrArchive, 1), kNewYearsEve,
     "99/12/31  23:59:58             1 ___A 日本.txt",
     "日本     txt             1  99/12/31  23:59:58 ___A 日本.txt"},
    {"a two-byte character takes one", Entry("café.txt", "", 0, 1), kNewYearsEve,
     "99/12/31  23:59:58             1 ____ café.txt",
     "café     txt             1  99/12/31  23:59:58 ____ café.txt"},
    {"an emoji, halfwidth katakana", Entry("😀.ｱｲｳｴ", "", 0, 1), kNewYearsEve,
     "99/12/31  23:59:58             1 ____ 😀.ｱｲｳｴ",
     "😀       ｱｲｳ             1  99/12/31  23:59:58 ____ 😀.ｱｲｳｴ"},
    {"fullwidth cut at a character, a blank where a wide one would straddle",
     Entry("ＡＡＡＡＡ.ab日", "", 0, 1), kNewYearsEve,
     "99/12/31  23:59:58             1 ____ ＡＡＡＡＡ.ab日",
     "ＡＡＡＡ ab              1  99/12/31  23:59:58 ____ ＡＡＡＡＡ.ab日"},
    {"code page 932 bytes", Entry("\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0", "", 0, 1),
     kNewYearsEve, "99/12/31  23:59:58             1 ____ \x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0",
     "\x82\xA0\x82\xA0\x82\xA0\x82\xA0                 1  99/12/31  23:59:58 ____ "
     "\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0"},
};

TEST(ListingLines, Form1AndForm2WholeLines) {
  for (const LineCase& c : kLines) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(BuildForm1Line(c.entry, c.stamp).view(), c.form1);
    EXPECT_EQ(BuildForm2Line(c.entry, c.stamp).view(), c.form2);
  }
}

TEST(ListingLines, ArchiveMembersShareTheForm1Columns) {
  // Members carry the directory bit at times but always show their size.
  EXPECT_EQ(BuildForm1Line(kMarch2005, 0, kAttrDirectory | kAttrArchive, false, "DOCS/").view(),
            "05/03/07  10:05:06             0 ___A DOCS/");
}

TEST(ListingLines, LongestNameKeepsItsWholeLength) {
  std::string name(259, 'n');
  FileEntry entry = Entry(name.c_str(), "", 0, UINT64_MAX);
  ListingLine line = BuildForm2Line(entry, kNewYearsEve);
  EXPECT_FALSE(line.truncated());
  EXPECT_EQ(line.view().substr(line.size() - 259), name);
  EXPECT_EQ(line.view().substr(13, 26), "18,446,744,073,709,551,615");
}

TEST(ListingLines, TimesOutsideThePackedRangeShowItsNearestEnd) {
  constexpr std::uint64_t kSecond = 10000000;
  constexpr std::uint64_t k1980 = 11960006400ull * kSecond;
  constexpr std::uint64_t k2108 = 15999292800ull * kSecond;
  const struct {
    std::uint64_t ticks;
    const char* shown;
  } kCases[] = {
      {0, "80/01/01  00:00:00"},          {k1980 - 1, "80/01/01  00:00:00"},
      {k1980, "80/01/01  00:00:00"},      {k1980 + 3 * kSecond, "80/01/01  00:00:02"},
      {k2108 - 1, "07/12/31  23:59:58"},  {k2108, "07/12/31  23:59:58"},
      {UINT64_MAX, "07/12/31  23:59:58"},
  };
  for (const auto& c : kCases) {
    const DosDateTime stamp = FileDosDateTime(c.ticks);
    EXPECT_EQ(BuildForm1Line(stamp, 0, 0, false, "").view().substr(0, 18), c.shown) << c.ticks;
  }
}

TEST(GroupDigits, CommasBetweenGroupsOfThree) {
  const std::pair<std::uint64_t, const char*> kCases[] = {
      {0, "0"},
      {999, "999"},
      {1000, "1,000"},
      {123456, "123,456"},
      {1234567, "1,234,567"},
      {2147483647, "2,147,483,647"},
      {UINT64_MAX, "18,446,744,073,709,551,615"},
  };
  for (const auto& [value, text] : kCases) EXPECT_EQ(GroupDigits(value).view(), text) << value;
}

TEST(DirectoryHeader, DriveRootKeepsItsBackslash) {
  const struct {
    const char* directory;
    bool japanese;
    const char* line;
  } kCases[] = {
      {"C:\\", false, "Directory of C:\\"},
      {"C:\\WORK\\", false, "Directory of C:\\WORK"},
      {"\\\\SERVER\\SHARE\\DOCS\\", false, "Directory of \\\\SERVER\\SHARE\\DOCS"},
      {"C:\\WORK\\", true, "ディレクトリ名 : C:\\WORK"},
      {"Z:\\", true, "ディレクトリ名 : Z:\\"},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(DirectoryHeaderLine(c.directory, c.japanese).view(), c.line) << c.directory;
}

}  // namespace
