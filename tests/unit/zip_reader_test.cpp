// The ZIP reader on archives built here byte by byte: what it lists in the
// short and the long form, and one regression case per kind of damage, each
// asserting exactly what is listed before the quiet stop.
#include "finder/archive/zip_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "finder/search/search_state.h"

namespace {

struct RecordingSink final : MemberSink {
  std::string out;
  void Write(std::string_view text) override { out.append(text); }
  void LineWritten() override {}
  void RunCommand(std::string_view name) override { out += "!" + std::string(name) + "\n"; }
};

constexpr std::uint16_t kDate = (24 << 9) | (5 << 5) | 17;    // 2004-05-17
constexpr std::uint16_t kTime = (13 << 11) | (45 << 5) | 10;  // 13:45:20

struct Entry {
  std::string name;
  std::string data = "data";
  std::uint32_t size = 4;  // uncompressed
  std::uint8_t attributes = 0x20;
  bool sizesAfterData = false;    // flag bit 3, a data descriptor behind the data
  bool sizesAlsoInFront = false;  // ... and the sizes in the local header all the same
  std::uint16_t date = kDate;
  std::uint16_t time = kTime;
};

struct Layout {
  std::string stub;
  bool central = true;
  bool endRecord = true;
};

class Bytes {
 public:
  std::vector<std::uint8_t> v;
  void U16(std::uint32_t x) { v.insert(v.end(), {std::uint8_t(x), std::uint8_t(x >> 8)}); }
  void U32(std::uint32_t x) {
    U16(x & 0xFFFF);
    U16(x >> 16);
  }
  void Text(const std::string& s) { v.insert(v.end(), s.begin(), s.end()); }
};

std::vector<std::uint8_t> MakeZip(const std::vector<Entry>& entries, const Layout& layout = {}) {
  Bytes z;
  z.Text(layout.stub);
  std::vector<std::uint32_t> offsets;
  for (const Entry& e : entries) {
    offsets.push_back(z.v.size() - layout.stub.size());
    z.U32(0x04034B50);
    z.U16(20);
    z.U16(e.sizesAfterData ? 8 : 0);
    z.U16(0);
    z.U16(e.time);
    z.U16(e.date);
    z.U32(0);
    bool zeros = e.sizesAfterData && !e.sizesAlsoInFront;
    z.U32(zeros ? 0 : e.data.size());
    z.U32(zeros ? 0 : e.size);
    z.U16(e.name.size());
    z.U16(0);
    z.Text(e.name);
    z.Text(e.data);
    if (e.sizesAfterData) {
      z.U32(0x08074B50);
      z.U32(0);
      z.U32(e.data.size());
      z.U32(e.size);
    }
  }
  std::size_t centralStart = z.v.size();
  if (layout.central) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const Entry& e = entries[i];
      z.U32(0x02014B50);
      z.U16(20);
      z.U16(20);
      z.U16(e.sizesAfterData ? 8 : 0);
      z.U16(0);
      z.U16(e.time);
      z.U16(e.date);
      z.U32(0);
      z.U32(e.data.size());
      z.U32(e.size);
      z.U16(e.name.size());
      z.U16(0);
      z.U16(0);
      z.U16(0);
      z.U16(0);
      z.U32(e.attributes);
      z.U32(offsets[i]);
      z.Text(e.name);
    }
  }
  if (layout.endRecord) {
    z.U32(0x06054B50);
    z.U16(0);
    z.U16(0);
    z.U16(entries.size());
    z.U16(entries.size());
    z.U32(z.v.size() - 12 - centralStart);
    z.U32(centralStart - layout.stub.size());
    z.U16(0);
  }
  return z.v;
}

// Stands in for the ANSI code page: Latin-1, '?' for what it lacks.
bool Latin1(const char16_t* wide, char* out, std::size_t capacity) {
  std::size_t i = 0;
  for (; wide[i] != 0; ++i) {
    if (i + 1 >= capacity) return false;
    out[i] = wide[i] > 0xFF ? '?' : static_cast<char>(wide[i]);
  }
  out[i] = '\0';
  return true;
}

class ZipReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    searchState = SearchState();
    std::strcpy(searchState.archivePath, "C:\\A.ZIP");
    std::strcpy(searchState.savedPattern, "*");
  }
  void TearDown() override { searchState = SearchState(); }
  void LongForm() { searchState.options.form = 1; }
  AnsiConverter toAnsi_ = Latin1;
  std::string List(const std::vector<std::uint8_t>& zip) {
    MemoryByteSource source(zip.data(), zip.size());
    RecordingSink sink;
    ListZipMembers(source, sink, toAnsi_);
    return sink.out;
  }
  static std::string Long(const char* name, const char* size = "4",
                          const char* attributes = "___A") {
    return std::string("04/05/17  13:45:20") + std::string(14 - std::strlen(size), ' ') + size +
           " " + attributes + " " + name + "\n";
  }
  static constexpr const char* kHeading = "\nArchive file of C:\\A.ZIP\n\n";
};

const std::vector<Entry> kThree = {{"readme.txt"}, {"src/main.c"}, {"doc\\guide.txt"}};

TEST_F(ZipReaderTest, ShortFormListsTheNamePartOfEveryMatch) {
  std::strcpy(searchState.savedPattern, "*.TXT");
  EXPECT_EQ(List(MakeZip(kThree)), "C:\\A.ZIP : readme.txt\nC:\\A.ZIP : guide.txt\n");
  EXPECT_EQ(searchState.totals.count, 2u);
  EXPECT_EQ(searchState.totals.bytes, 0u);
}

TEST_F(ZipReaderTest, NamePartRules) {
  // Behind the last backslash if there is one, else behind the last slash;
  // a directory entry has an empty name part, which no pattern matches.
  EXPECT_EQ(List(MakeZip({{"a\\b/c"}, {"dir/"}, {"dir/sub/file.txt"}, {"x"}})),
            "C:\\A.ZIP : b/c\nC:\\A.ZIP : file.txt\nC:\\A.ZIP : x\n");
}

TEST_F(ZipReaderTest, LongFormListsFromTheCentralDirectoryWithAttributes) {
  LongForm();
  auto zip = MakeZip({{"a.txt", "xy", 1234567, 0x21}, {"b.txt", "", 0, 0x00}});
  EXPECT_EQ(List(zip), kHeading + Long("a.txt", "1,234,567", "__RA") + Long("b.txt", "0", "____"));
  EXPECT_EQ(searchState.totals.count, 2u);
  EXPECT_EQ(searchState.totals.bytes, 1234567u);
}

TEST_F(ZipReaderTest, SelfExtractingStubChangesNothing) {
  // A stray local signature whose name length is above 260 is no header.
  std::string stub = "MZ" + std::string(5000, '\0') + "PK\x03\x04" + std::string(30, '\xFF');
  stub[300] = 'P';  // stray key bytes in the stub
  EXPECT_EQ(List(MakeZip(kThree, {stub})), List(MakeZip(kThree)));
  LongForm();
  EXPECT_EQ(List(MakeZip(kThree, {stub})), List(MakeZip(kThree)));
}

TEST_F(ZipReaderTest, CriteriaApplyToMembers) {
  std::vector<Entry> entries = {{"old.txt"}, {"new.txt"}, {"big.txt", "", 5000}};
  entries[0].date = (20 << 9) | (1 << 5) | 1;
  searchState.options.dateMode = RangeMode::AtLeast;
  searchState.options.dateLow = kDate;
  EXPECT_EQ(List(MakeZip(entries)), "C:\\A.ZIP : new.txt\nC:\\A.ZIP : big.txt\n");
  searchState.options.sizeMode = RangeMode::AtMost;
  searchState.options.sizeHigh = 4;
  EXPECT_EQ(List(MakeZip(entries)), "C:\\A.ZIP : new.txt\n");
}

TEST_F(ZipReaderTest, AttributeCriterionReadsTheCentralDirectoryEvenInTheShortForm) {
  searchState.options.attributesRequired = 0x01;
  EXPECT_EQ(List(MakeZip({{"a"}, {"b", "", 0, 0x01}})), "C:\\A.ZIP : b\n");
}

TEST_F(ZipReaderTest, CommandRunsForEachListedMember) {
  searchState.options.runCommandOnMembers = true;
  searchState.options.noEcho = true;
  std::strcpy(searchState.savedPattern, "*.c");
  EXPECT_EQ(List(MakeZip(kThree)), "!main.c\n");
  EXPECT_EQ(searchState.totals.count, 1u);
}

TEST_F(ZipReaderTest, NameOf260BytesIsListedAnd261EndsTheArchive) {
  std::string name260(260, 'n'), name261(261, 'n');
  LongForm();
  EXPECT_EQ(List(MakeZip({{"a"}, {name260}, {"b"}})),
            kHeading + Long("a") + Long(name260.c_str()) + Long("b"));
  EXPECT_EQ(List(MakeZip({{"a"}, {name261}, {"b"}})), "");  // the walk to the directory stops
  searchState.options.form = 0;
  EXPECT_EQ(List(MakeZip({{"a"}, {name261}, {"b"}})), "C:\\A.ZIP : a\n");
}

// ---- Damage: each case ends the archive quietly after what it states. ----

TEST_F(ZipReaderTest, MissingCentralDirectoryHidesNothingInTheShortForm) {
  auto zip = MakeZip(kThree, {"", false, false});
  EXPECT_EQ(List(zip), "C:\\A.ZIP : readme.txt\nC:\\A.ZIP : main.c\nC:\\A.ZIP : guide.txt\n");
  LongForm();
  EXPECT_EQ(List(zip), "");
}

TEST_F(ZipReaderTest, DamagedCentralDirectoryHidesEverythingInTheLongForm) {
  auto zip = MakeZip(kThree);
  auto central = std::search(zip.begin(), zip.end(), "PK\x01\x02", "PK\x01\x02" + 4);
  *(central + 2) = 9;
  EXPECT_EQ(List(zip).size(), 3 * std::string("C:\\A.ZIP : ").size() + 10 + 6 + 9 + 3);
  LongForm();
  EXPECT_EQ(List(zip), "");
}

TEST_F(ZipReaderTest, SecondCentralRecordDamagedKeepsTheFirst) {
  LongForm();
  auto zip = MakeZip({{"a"}, {"b"}});
  auto central = std::search(zip.begin(), zip.end(), "PK\x01\x02", "PK\x01\x02" + 4);
  auto second = std::search(central + 4, zip.end(), "PK\x01\x02", "PK\x01\x02" + 4);
  *(second + 3) = 0;
  EXPECT_EQ(List(zip), kHeading + Long("a"));
}

TEST_F(ZipReaderTest, CentralNameLengthAbove260EndsTheListing) {
  LongForm();
  auto zip = MakeZip({{"a"}, {"b"}});
  auto central = std::search(zip.begin(), zip.end(), "PK\x01\x02", "PK\x01\x02" + 4);
  auto second = std::search(central + 4, zip.end(), "PK\x01\x02", "PK\x01\x02" + 4);
  *(second + 28) = 5;
  *(second + 29) = 1;  // 261
  EXPECT_EQ(List(zip), kHeading + Long("a"));
}

TEST_F(ZipReaderTest, CentralRecordCutShortEndsTheListing) {
  LongForm();
  auto zip = MakeZip({{"a"}, {"b"}}, {"", true, false});
  zip.resize(zip.size() - 10);
  EXPECT_EQ(List(zip), kHeading + Long("a"));
}

TEST_F(ZipReaderTest, NameCutShortByTheEndOfTheFileEndsTheListing) {
  auto zip = MakeZip({{"a.txt", ""}, {"second.txt"}}, {"", false, false});
  zip.resize(zip.size() - 8);  // inside "second.txt"
  EXPECT_EQ(List(zip), "C:\\A.ZIP : a.txt\n");
}

TEST_F(ZipReaderTest, CompressedSizePastTheEndEndsTheListing) {
  auto zip = MakeZip({{"a"}, {"b"}});
  zip[18 + 3] = 0x80;  // first member's compressed size 0x80000004: skip lands past the end
  EXPECT_EQ(List(zip), "C:\\A.ZIP : a\n");
  LongForm();
  EXPECT_EQ(List(zip), "");
}

TEST_F(ZipReaderTest, FirstHeaderWithNameLengthAbove260IsNoArchive) {
  auto zip = MakeZip({{std::string(261, 'n')}});
  EXPECT_EQ(List(zip), "");
}

TEST_F(ZipReaderTest, FilesWithoutAnyHeaderListNothing) {
  for (std::string text :
       {std::string(), std::string("PK"), std::string(5000, 'P'), std::string("PK\x03\x04", 4)}) {
    std::vector<std::uint8_t> file(text.begin(), text.end());
    EXPECT_EQ(List(file), "");
  }
}

// ---- Departures: sound behaviour where the documented walk would fail. ----

// Members whose sizes follow their data (written by streaming tools) carry 0
// in the local header; the walk would land inside the data. They are listed
// from the central directory, found through the end record.
TEST_F(ZipReaderTest, SizesAfterDataAreListedFromTheCentralDirectory) {
  std::vector<Entry> entries = {{"a.txt"}, {"b.txt", "0123456789", 99}, {"c.txt"}};
  entries[1].sizesAfterData = entries[2].sizesAfterData = true;
  std::string stub(3000, 'S');
  EXPECT_EQ(List(MakeZip(entries, {stub})),
            "C:\\A.ZIP : a.txt\nC:\\A.ZIP : b.txt\nC:\\A.ZIP : c.txt\n");
  searchState.options.sizeMode = RangeMode::Equal;
  searchState.options.sizeValue = 99;
  EXPECT_EQ(List(MakeZip(entries, {stub})), "C:\\A.ZIP : b.txt\n");
  searchState.options.sizeMode = RangeMode::None;
  LongForm();
  EXPECT_EQ(List(MakeZip(entries, {stub})),
            kHeading + Long("a.txt") + Long("b.txt", "99") + Long("c.txt"));
  // Without an end record there is no directory to turn to.
  EXPECT_EQ(List(MakeZip(entries, {"", true, false})), "");
}

// Some writers flag the descriptor and fill in the local sizes as well: the
// walk could skip the data but would stop at the descriptor behind it.
TEST_F(ZipReaderTest, DescriptorsBehindDataWithLocalSizesAreListedCompletely) {
  std::vector<Entry> entries = {{"a.txt"}, {"b.txt"}, {"c.txt"}};
  for (Entry& e : entries) e.sizesAfterData = e.sizesAlsoInFront = true;
  const std::string all = "C:\\A.ZIP : a.txt\nC:\\A.ZIP : b.txt\nC:\\A.ZIP : c.txt\n";
  EXPECT_EQ(List(MakeZip(entries)), all);
  // Without a directory the local walk goes on as far as it can.
  EXPECT_EQ(List(MakeZip(entries, {"", false, false})), "C:\\A.ZIP : a.txt\n");
  LongForm();
  EXPECT_EQ(List(MakeZip(entries)), kHeading + Long("a.txt") + Long("b.txt") + Long("c.txt"));
}

TEST_F(ZipReaderTest, EndRecordWithImpossibleDirectorySizeListsNothingMore) {
  std::vector<Entry> entries = {{"a.txt"}};
  entries[0].sizesAfterData = true;
  auto zip = MakeZip(entries);
  zip[zip.size() - 22 + 12 + 3] = 0x7F;
  EXPECT_EQ(List(zip), "");
}

// The first central header's size at the offset where a local header keeps
// its name length: a member of 17 MiB and more must not end the walk.
TEST_F(ZipReaderTest, LargeFirstMemberDoesNotHideTheCentralDirectory) {
  LongForm();
  EXPECT_EQ(List(MakeZip({{"big.iso", "", 0x80000000u}})),
            kHeading + Long("big.iso", "2,147,483,648"));
  EXPECT_EQ(searchState.totals.bytes, 0x80000000u);
}

}  // namespace
