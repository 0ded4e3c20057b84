// The flow the archive readers share: the first-header scan, the member
// filter, the member lines and headings, totals and commands.
#include "finder/archive/member_listing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "finder/archive/utf8_member_name.h"
#include "finder/listing/member_lines.h"

namespace {

// A record of what the listing sent where; "|" marks a line counted for
// paging, "!" a command run.
struct RecordingSink final : MemberSink {
  std::string out;
  void Write(std::string_view text) override { out.append(text); }
  void LineWritten() override { out += "|"; }
  void RunCommand(std::string_view name) override { out += "!" + std::string(name) + "\n"; }
};

// A toy format: "HDR" with the key 'H' at byte 0 and a 4th byte below 9, or
// the key 'D' at byte 1 (LHA's key stands inside its header, too).
bool ToyPasses(std::span<const std::uint8_t> h) {
  return h[0] == 'H' && h[1] == 'D' && h[2] == 'R' && h[3] < 9;
}
const HeaderFormat kToyKeyFirst{4, 0, 'H', ToyPasses};
const HeaderFormat kToyKeyInside{4, 1, 'D', ToyPasses};

struct ScanRow {
  const char* what;
  std::size_t stub;    // bytes of filler in front
  const char* decoys;  // failing candidates written into the filler
  bool found;
};

TEST(FindFirstHeader, FindsTheFirstPassingHeaderAnywhere) {
  const ScanRow rows[] = {
      {"at the start", 0, "", true},
      {"behind a stub", 700, "", true},
      {"straddling the first block", 1022, "", true},
      {"straddling a later block", 3 * 1024 - 2, "", true},
      {"at a block's first byte", 2048, "", true},
      {"after decoys", 1500, "HDR\x09HD", true},
      {"only decoys", 0, "HDR\x09", false},
      {"empty file", 0, nullptr, false},
  };
  for (const HeaderFormat* format : {&kToyKeyFirst, &kToyKeyInside}) {
    for (const ScanRow& row : rows) {
      std::vector<std::uint8_t> file(row.stub, 'x');
      if (row.decoys) {
        std::string decoys = row.decoys;
        for (std::size_t i = 0; i < decoys.size() && i + 10 < file.size(); ++i)
          file[i + 10] = decoys[i];
        if (row.stub == 0) file.assign(decoys.begin(), decoys.end());
        if (row.found) file.insert(file.end(), {'H', 'D', 'R', 7, 'n', 'e', 'x', 't'});
      }
      std::uint8_t record[4] = {};
      MemoryByteSource source(file.data(), file.size());
      bool found = FindFirstHeader(source, *format, record);
      EXPECT_EQ(found, row.found) << row.what;
      if (found) {
        EXPECT_EQ(source.Position(), row.stub + 4) << row.what;
        EXPECT_EQ(record[3], 7) << row.what;
      }
    }
  }
}

TEST(FindFirstHeader, KeyByteTooNearTheStartIsNoHeader) {
  // 'D' at offset 0 would put its header at offset -1.
  const std::uint8_t file[] = {'D', 'R', 7, 0, 0, 0};
  std::uint8_t record[4];
  MemoryByteSource source(file, sizeof file);
  EXPECT_FALSE(FindFirstHeader(source, kToyKeyInside, record));
}

TEST(MemberFilter, EachCriterionOnlyWhenGiven) {
  SearchOptions options;
  EXPECT_TRUE(MemberPassesFilters(options, 1, 2, 3, 0));
  options.dateMode = RangeMode::Equal;
  options.dateValue = 0x3A21;
  EXPECT_TRUE(MemberPassesFilters(options, 0x3A21, 0, 0, 0));
  EXPECT_FALSE(MemberPassesFilters(options, 0x3A22, 0, 0, 0));
  options.dateMode = RangeMode::None;
  options.timeMode = RangeMode::Between;
  options.timeLow = 100;
  options.timeHigh = 200;
  EXPECT_TRUE(MemberPassesFilters(options, 0, 100, 0, 0));
  EXPECT_TRUE(MemberPassesFilters(options, 0, 200, 0, 0));
  EXPECT_FALSE(MemberPassesFilters(options, 0, 201, 0, 0));
  options.timeMode = RangeMode::None;
  options.sizeMode = RangeMode::AtLeast;
  options.sizeLow = 0x80000000u;
  EXPECT_TRUE(MemberPassesFilters(options, 0, 0, 0x80000000u, 0));
  EXPECT_FALSE(MemberPassesFilters(options, 0, 0, 0x7FFFFFFFu, 0));
  options.sizeMode = RangeMode::AtMost;
  options.sizeHigh = 10;
  EXPECT_FALSE(MemberPassesFilters(options, 0, 0, 11, 0));
  options.sizeMode = RangeMode::None;
  options.attributesRequired = kAttrArchive;
  options.attributesExcluded = kAttrHidden;
  EXPECT_TRUE(MemberPassesFilters(options, 0, 0, 0, kAttrArchive | kAttrReadOnly));
  EXPECT_FALSE(MemberPassesFilters(options, 0, 0, 0, kAttrArchive | kAttrHidden));
  EXPECT_FALSE(MemberPassesFilters(options, 0, 0, 0, 0));
}

std::string LongLine(const ListedMember& member, ArchiveStyle style) {
  BoundedText<200> line;
  AppendMemberLongColumns(line, member, style);
  return std::string(line.view()) + std::string(member.name);
}

TEST(MemberLongLine, ColumnsAsListed) {
  struct {
    std::uint16_t date, time;
    std::uint64_t size;
    std::uint32_t attributes;
    ArchiveStyle style;
    const char* line;
  } rows[] = {
      // 1999-12-31 23:59:58, 1,234 bytes, archive bit.
      {(19 << 9) | (12 << 5) | 31, (23 << 11) | (59 << 5) | 29, 1234, 0x20, ArchiveStyle::Archive,
       "99/12/31  23:59:58         1,234 ___A name.txt"},
      {(25 << 9) | (3 << 5) | 7, (9 << 11) | (5 << 5) | 1, 0, 0x27, ArchiveStyle::Archive,
       "05/03/07  09:05:02             0 SHRA name.txt"},
      {(25 << 9) | (3 << 5) | 7, (9 << 11) | (5 << 5) | 1, 999, 0, ArchiveStyle::Cabinet,
       "05/03/07   9:05:02           999 ____ name.txt"},
      {0, 0, 4294967295u, 0x10, ArchiveStyle::Archive,
       "80/00/00  00:00:00 4,294,967,295 ____ name.txt"},
      {0, 0, 1000, 0, ArchiveStyle::Archive, "80/00/00  00:00:00         1,000 ____ name.txt"},
      // Wider than its field: one blank stays behind the time.
      {0, 0, 12345678901234ull, 0, ArchiveStyle::Archive,
       "80/00/00  00:00:00 12,345,678,901,234 ____ name.txt"},
      // Bit 15 of the date plays no part: year field 63, 2043.
      {0xFFFF, 0xFFFF, 1, 0, ArchiveStyle::Archive,
       "43/15/31  31:63:62             1 ____ name.txt"},
  };
  for (const auto& row : rows) {
    ListedMember member{"name.txt", UnpackDosDateTime({row.date, row.time}, kMemberYearBits),
                        row.size, row.attributes};
    EXPECT_EQ(LongLine(member, row.style), row.line);
  }
}

// A clock from a time stamp of another kind may hold fields of more than two
// digits; they are shown whole and push the rest of the line right.
TEST(MemberLongLine, ClockFieldsBeyondTwoDigitsShowWhole) {
  CalendarTime clock{2107, 12, 31, 123, 5, -1};
  ListedMember member{"n", clock, 7, 0};
  EXPECT_EQ(LongLine(member, ArchiveStyle::Cabinet), "07/12/31  123:05:-1             7 ____ n");
  EXPECT_EQ(LongLine(member, ArchiveStyle::Archive), "07/12/31  123:05:-1             7 ____ n");
}

class MemberListingTest : public ::testing::Test {
 protected:
  void SetUp() override { std::strcpy(run.archivePath, "C:\\DL\\TOOLS.ZIP"); }
  std::unique_ptr<RunContext> context = std::make_unique<RunContext>();
  RunContext& run = *context;
  static ListedMember Member(const char* name, std::uint64_t size = 10) {
    return {
        name,
        UnpackDosDateTime({(20 << 9) | (1 << 5) | 2, (3 << 11) | (4 << 5) | 5}, kMemberYearBits),
        size, 0x20};
  }
  RecordingSink sink;
};

TEST_F(MemberListingTest, ShortFormCountsButAddsNoBytes) {
  MemberListing listing(run, sink);
  EXPECT_TRUE(listing.List(Member("a.txt")));
  EXPECT_TRUE(listing.List(Member("b.txt")));
  EXPECT_EQ(sink.out, "C:\\DL\\TOOLS.ZIP : a.txt\nC:\\DL\\TOOLS.ZIP : b.txt\n");
  EXPECT_EQ(run.totals.count, 2u);
  EXPECT_EQ(run.totals.bytes, 0u);
}

TEST_F(MemberListingTest, LongFormHeadingOncePerArchive) {
  run.options.form = 1;
  {
    MemberListing listing(run, sink);
    listing.List(Member("a.txt", 5));
    listing.List(Member("b.txt", 7));
  }
  MemberListing next(run, sink, ArchiveStyle::Cabinet);
  next.List(Member("c.txt", 1));
  EXPECT_EQ(sink.out,
            "\nArchive file of C:\\DL\\TOOLS.ZIP\n\n"
            "00/01/02  03:04:10             5 ___A a.txt\n"
            "00/01/02  03:04:10             7 ___A b.txt\n"
            "\nCabinet file of C:\\DL\\TOOLS.ZIP\n\n"
            "00/01/02   3:04:10             1 ___A c.txt\n");
  EXPECT_EQ(run.totals.count, 3u);
  EXPECT_EQ(run.totals.bytes, 13u);
}

TEST_F(MemberListingTest, PagingCountsEveryHeadingLine) {
  run.options.form = 1;
  run.options.pausePerScreen = true;
  run.options.japanese = true;
  MemberListing listing(run, sink);
  listing.List(Member("a.txt"));
  EXPECT_EQ(sink.out,
            "\n|アーカイブファイル名 : C:\\DL\\TOOLS.ZIP\n|\n|00/01/02  03:04:10            10 "
            "___A a.txt\n|");
}

TEST_F(MemberListingTest, NoEchoStillCountsRunsAndSpendsTheHeading) {
  run.options.form = 1;
  run.options.noEcho = true;
  run.options.runCommandOnMembers = true;
  MemberListing listing(run, sink);
  listing.List(Member("a.txt"));
  run.options.noEcho = false;
  listing.List(Member("b.txt"));
  // The heading was spent on the first, silent member.
  EXPECT_EQ(sink.out, "!a.txt\n00/01/02  03:04:10            10 ___A b.txt\n!b.txt\n");
  EXPECT_EQ(run.totals.count, 2u);
}

// The longest archive path and the longest name a reader lists are written
// whole together, in both forms, and the archive goes on.
TEST_F(MemberListingTest, LongestPathAndLongestNameAreListedWhole) {
  std::string path = "C:\\" + std::string(kLongPathSize - 10, 'd') + "\\A.ZIP";
  std::strcpy(run.archivePath, path.c_str());
  std::string longest(kShownNameSize - 1, 'n');
  for (int form : {0, 1}) {
    run.options.form = form;
    sink.out.clear();
    MemberListing listing(run, sink);
    EXPECT_TRUE(listing.List(Member(longest.c_str())));
    EXPECT_TRUE(listing.List(Member("b")));
    std::string lines = form == 0 ? path + " : " + longest + "\n" + path + " : b\n"
                                  : "\nArchive file of " + path +
                                        "\n\n00/01/02  03:04:10            10 ___A " + longest +
                                        "\n00/01/02  03:04:10            10 ___A b\n";
    EXPECT_EQ(sink.out, lines);
  }
  EXPECT_EQ(run.totals.count, 4u);
}

}  // namespace
