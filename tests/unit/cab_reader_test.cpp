// The Cabinet reader: the fixture made by gcab, and cabinets built here,
// good and damaged.
#include "finder/archive/cab_reader.h"

#include <gtest/gtest.h>

#include "archive_test_support.h"

namespace {

using namespace archive_test;

constexpr const char* kArchive = "C:\\T\\A.CAB";
const std::string kHeading = "\nCabinet file of C:\\T\\A.CAB\n\n";

std::string List(const Bytes& cabinet) {
  RecordingSink sink;
  MemoryByteSource source(cabinet.data(), cabinet.size());
  ListMembers("CAB", source, sink);
  return sink.out;
}

constexpr std::uint16_t kDate2021 = 0x5264;  // 2021-03-04
constexpr std::uint16_t kTime0908 = 0x4903;  // 09:08:06

struct CabFile {
  std::string name;
  std::uint32_t size = 5;
  std::uint16_t attributes = 0x20;
  std::uint16_t date = kDate2021;
  std::uint16_t time = kTime0908;
};

// A cabinet of one folder, with `between` (reserved areas, set names) in
// front of the folder record.
Bytes Cabinet(const std::vector<CabFile>& files, const Bytes& between = {},
              std::uint16_t flags = 0) {
  Bytes out;
  PutText(out, "MSCF");
  Put32(out, 0);
  Put32(out, 1000);  // cabinet size, ignored
  Put32(out, 0);
  Put32(out, static_cast<std::uint32_t>(36 + between.size() + 8));
  Put32(out, 0);
  Put8(out, 3);
  Put8(out, 1);
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(files.size()));
  Put16(out, flags);
  Put16(out, 0x1234);
  Put16(out, 0);
  Append(out, between);
  PutText(out, std::string(8, '\0'));  // the folder record
  for (const CabFile& file : files) {
    Put32(out, file.size);
    Put32(out, 0);
    Put16(out, 0);
    Put16(out, file.date);
    Put16(out, file.time);
    Put16(out, file.attributes);
    PutText(out, file.name);
    Put8(out, 0);
  }
  return out;
}

std::string ShortLines(std::initializer_list<const char*> names) {
  std::string out;
  for (const char* name : names) out += std::string(kArchive) + " : " + name + "\n";
  return out;
}

class CabReader : public ::testing::Test {
 protected:
  void SetUp() override { ResetSearch("*", kArchive); }
};

TEST_F(CabReader, FixtureListsShortWithFolderParts) {
  EXPECT_EQ(List(Fixture("members.cab")),
            ShortLines({"README.TXT", "DOCS\\README.TXT", "BIG.DAT", "caf\xC3\xA9.txt"}));
  EXPECT_EQ(TestRun().totals.count, 4u);
  EXPECT_EQ(TestRun().totals.bytes, 0u);
}

TEST_F(CabReader, FixtureListsLongWithBlankPaddedHours) {
  UseLongForm();
  EXPECT_EQ(List(Fixture("members.cab")),
            kHeading +
                "21/03/04   9:08:06             7 ___A README.TXT\n"
                "00/01/02  13:14:16             6 ___A README.TXT\n"
                "00/01/02  13:14:16     1,234,567 ___A BIG.DAT\n"
                "24/07/08   9:10:10             7 ___A caf\xC3\xA9.txt\n");
  EXPECT_EQ(TestRun().totals.bytes, 7u + 6 + 1234567 + 7);
}

TEST_F(CabReader, CabinetInsideAProgramIsFoundPastStrayHeaders) {
  Bytes stray = Cabinet({{"STRAY.TXT"}});
  Bytes file(2000, 'M');
  // "MSCF" with a non-zero reserved field, and one with a first-file offset
  // below 37, are passed over.
  Bytes reserved = stray;
  reserved[4] = 1;
  Bytes nearOffset = stray;
  nearOffset[16] = 36;
  file.insert(file.begin() + 100, reserved.begin(), reserved.end());
  file.insert(file.begin() + 900, nearOffset.begin(), nearOffset.end());
  Append(file, Fixture("members.cab"));
  EXPECT_EQ(List(file),
            ShortLines({"README.TXT", "DOCS\\README.TXT", "BIG.DAT", "caf\xC3\xA9.txt"}));
}

TEST_F(CabReader, ReservedAreasAndSetNamesAreJumpedOver) {
  Bytes between;
  Put16(between, 4);  // header reserve size
  Put8(between, 0);   // folder reserve size
  Put8(between, 0);   // data reserve size
  PutText(between, std::string("RSRV", 4));
  PutText(between, std::string("PREV.CAB\0DISK1\0NEXT.CAB\0DISK2\0", 30));
  EXPECT_EQ(List(Cabinet({{"ONE.TXT"}, {"TWO.TXT"}}, between, 0x0007)),
            ShortLines({"ONE.TXT", "TWO.TXT"}));
}

TEST_F(CabReader, MatchedByTheNamePartShownWithFoldersInTheShortForm) {
  Bytes cabinet = Cabinet({{"DOCS\\README.TXT"}, {"README.TXT"}, {"DOCS\\SUB\\"}});
  ResetSearch("README.TXT", kArchive);
  EXPECT_EQ(List(cabinet), ShortLines({"DOCS\\README.TXT", "README.TXT"}));
  ResetSearch("DOCS*", kArchive);
  EXPECT_EQ(List(cabinet), "");
  ResetSearch("README.TXT", kArchive);
  UseLongForm();
  EXPECT_EQ(List(cabinet), kHeading +
                               "21/03/04   9:08:06             5 ___A README.TXT\n"
                               "21/03/04   9:08:06             5 ___A README.TXT\n");
  TestRun().options.wholeMemberPaths = true;
  EXPECT_EQ(List(cabinet), kHeading +
                               "21/03/04   9:08:06             5 ___A DOCS\\README.TXT\n"
                               "21/03/04   9:08:06             5 ___A README.TXT\n");
}

TEST_F(CabReader, Utf8NamesAreMatchedWideAndShownWhole) {
  Bytes cabinet = Cabinet(
      {{"caf\xC3\xA9.txt", 5, 0xA0}, {"\xE3\x81\x82.txt", 5, 0xA0}, {"caf\xC3\xA9.raw", 5, 0x20}});
  // The wide pattern holds the decoded unit; the code page one is not consulted.
  TestRun().pattern.wide[0] = u'*';
  TestRun().pattern.wide[1] = 0xE9;
  TestRun().pattern.wide[2] = u'.';
  TestRun().pattern.wide[3] = u'*';
  TestRun().pattern.wide[4] = 0;
  std::strcpy(TestRun().pattern.ansi, "NOTHING");
  EXPECT_EQ(List(cabinet), ShortLines({"caf\xC3\xA9.txt"}));
  // A name without the mark keeps its bytes.
  ResetSearch("*", kArchive);
  EXPECT_EQ(List(cabinet), ShortLines({"caf\xC3\xA9.txt", "\xE3\x81\x82.txt", "caf\xC3\xA9.raw"}));
  ResetSearch("*.raw", kArchive);
  EXPECT_EQ(List(cabinet), ShortLines({"caf\xC3\xA9.raw"}));
}

// Names of today: a character beyond U+FFFF is one surrogate pair, a stray
// byte is one U+FFFD and does not take the next character with it, and a
// name of 260 bytes is shown whole.
TEST_F(CabReader, Utf8NamesOfTodayAreDecodedWholeAndShownUncut) {
  std::string grows;
  for (int i = 0; i < 128; ++i) grows += "\xC3\xA9";
  grows += ".txt";  // 260 bytes, 132 units
  Bytes cabinet = Cabinet({{"\xF0\x9F\x98\x80.txt", 5, 0xA0},
                           {"a\xFF"
                            "b.txt",
                            5, 0xA0},
                           {grows, 5, 0xA0}});
  UseLongForm();
  EXPECT_EQ(List(cabinet), kHeading +
                               "21/03/04   9:08:06             5 ___A \xF0\x9F\x98\x80.txt\n" +
                               "21/03/04   9:08:06             5 ___A a\xEF\xBF\xBD" + "b.txt\n" +
                               "21/03/04   9:08:06             5 ___A " + grows + "\n");
  // The pair is two units for the wide matcher.
  ResetSearch("??.TXT", kArchive);
  EXPECT_EQ(List(cabinet), ShortLines({"\xF0\x9F\x98\x80.txt"}));
  ResetSearch("A?B.TXT", kArchive);
  EXPECT_EQ(List(cabinet), ShortLines({"a\xEF\xBF\xBD"
                                       "b.txt"}));
}

TEST_F(CabReader, CabinetAnnouncingNoFilesHasNoHeading) {
  UseLongForm();
  EXPECT_EQ(List(Cabinet({})), "");
}

TEST_F(CabReader, CriteriaAndCommandsApplyToMembers) {
  Bytes cabinet =
      Cabinet({{"PLAIN.TXT", 10, 0x20},
               {"HIDDEN.TXT", 20, 0x22},
               {"OLD.TXT", 30, 0x21, static_cast<std::uint16_t>(1 + 1 * 32 + 10 * 512)}});
  TestRun().options.attributesRequired = kAttrHidden;
  TestRun().options.needDetails = true;
  EXPECT_EQ(List(cabinet), ShortLines({"HIDDEN.TXT"}));
  ResetSearch("*", kArchive);
  TestRun().options.dateMode = RangeMode::AtLeast;
  TestRun().options.dateLow = kDate2021;
  TestRun().options.runCommandOnMembers = true;
  TestRun().options.noEcho = true;
  EXPECT_EQ(List(cabinet), "!PLAIN.TXT\n!HIDDEN.TXT\n");
  EXPECT_EQ(TestRun().totals.count, 2u);
}

TEST_F(CabReader, NameOf260BytesIsListed) {
  std::string name(260, 'n');
  UseLongForm();
  EXPECT_EQ(List(Cabinet({{name}, {"NEXT"}})),
            kHeading + "21/03/04   9:08:06             5 ___A " + name +
                "\n21/03/04   9:08:06             5 ___A NEXT\n");
}

// Names are read in pieces: a terminator or a backslash just before, at and
// just behind the edge of a piece, and a name that takes several pieces.
TEST_F(CabReader, NamesOfEveryLengthAroundThePiecesOfTheRead) {
  std::vector<CabFile> files;
  std::string shortLines, longLines;
  for (std::size_t length = 60; length <= 70; ++length) {
    for (std::size_t backslash : {std::size_t{0}, length - 6, length - 1, std::size_t{63}}) {
      std::string name(length, 'n');
      for (std::size_t i = 0; i < length; ++i) name[i] = static_cast<char>('A' + i % 26);
      if (backslash > 0 && backslash < length - 1) name[backslash] = '\\';
      files.push_back({name});
      shortLines += std::string(kArchive) + " : " + name + "\n";
      longLines += "21/03/04   9:08:06             5 ___A " +
                   name.substr(name.rfind('\\') == std::string::npos ? 0 : name.rfind('\\') + 1) +
                   "\n";
    }
  }
  files.push_back({std::string(200, 'x') + "\\" + std::string(100, 'y') + "\\Z"});
  shortLines += std::string(kArchive) + " : " + files.back().name + "\n";
  longLines += "21/03/04   9:08:06             5 ___A Z\n";
  const Bytes cabinet = Cabinet(files);
  EXPECT_EQ(List(cabinet), shortLines);
  UseLongForm();
  EXPECT_EQ(List(cabinet), kHeading + longLines);
}

// A name may be as long as a path, 32,767 units (in UTF-8 up to three bytes
// each); a longer one is passed over.
TEST(CabLongNames, NamesAsLongAsPathsAreListedAndLongerOnesPassedOver) {
  std::string accents, tooMany;
  for (int i = 0; i < 32767; ++i) accents += "\xE6\x97\xA5";  // 98,301 bytes
  const std::string n300(300, 'n'), n900(900, 'm');
  const Bytes cabinet = Cabinet({{"FIRST"},
                                 {n300},
                                 {n900},
                                 {std::string(32768, 'x')},
                                 {accents, 5, 0xA0},
                                 {accents + "x", 5, 0xA0},
                                 {"NEXT"}});
  const std::string path = "C:\\" + std::string(32000, 'd') + "\\A.CAB";
  for (const char* archivePath : {kArchive, path.c_str()}) {
    ResetSearch("*", archivePath);
    std::string expected;
    for (const std::string& name : {std::string("FIRST"), n300, n900, accents, std::string("NEXT")})
      expected += archivePath + (" : " + name) + "\n";
    EXPECT_EQ(List(cabinet), expected);
  }
  ResetSearch("*", kArchive);
  UseLongForm();
  std::string expected = kHeading;
  for (const std::string& name : {std::string("FIRST"), n300, n900, accents, std::string("NEXT")})
    expected += "21/03/04   9:08:06             5 ___A " + name + "\n";
  EXPECT_EQ(List(cabinet), expected);
  // In the long form only the last part is kept, so a long folder path with
  // a short last part is fine.
  EXPECT_EQ(List(Cabinet({{std::string(300, 'd') + "\\LAST"}})).substr(kHeading.size()),
            "21/03/04   9:08:06             5 ___A LAST\n");
}

TEST(CabShortLine, PastTheOldPathBufferIsListed) {
  ResetSearch("*", kArchive);
  std::string name(250, 'n');
  EXPECT_EQ(List(Cabinet({{"FIRST"}, {name}, {"NEXT"}})),
            ShortLines({"FIRST", name.c_str(), "NEXT"}));
}

// ---- Damage: each row lists what comes before the damage and stops there. ---

TEST_F(CabReader, DamageEndsTheCabinetQuietly) {
  const Bytes two = Cabinet({{"FIRST"}, {"SECOND"}});
  const struct {
    const char* what;
    Bytes cabinet;
    std::string expected;
  } rows[] = {
      {"file record truncated", Cut(two, 10), ShortLines({"FIRST"})},
      {"last name without its terminator", Cut(two, 1), ShortLines({"FIRST"})},
      {"more files announced than stored", Patched(two, 28, 9), ShortLines({"FIRST", "SECOND"})},
      {"first file offset past the end", Patched(Cabinet({{"FIRST"}}), 18, 0x10), ""},
      {"empty file", Bytes{}, ""},
      {"no signature", Bytes(4000, 'M'), ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ResetSearch("*", kArchive);
    EXPECT_EQ(List(row.cabinet), row.expected);
  }
}

}  // namespace
