// The ZIP reader on archives built here byte by byte: what it lists in the
// short and the long form, and one regression case per kind of damage, each
// asserting exactly what is listed before the quiet stop.
#include "finder/archive/zip_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "archive_test_support.h"

namespace {

using archive_test::TestRun;

using archive_test::RecordingSink;

constexpr std::uint16_t kDate = (24 << 9) | (5 << 5) | 17;    // 2004-05-17
constexpr std::uint16_t kTime = (13 << 11) | (45 << 5) | 10;  // 13:45:20
constexpr std::uint64_t k5GiB = 5ull << 30;

struct Entry {
  std::string name;
  std::string data = "data";
  std::uint32_t size = 4;  // uncompressed
  std::uint8_t attributes = 0x20;
  bool sizesAfterData = false;    // flag bit 3, a data descriptor behind the data
  bool sizesAlsoInFront = false;  // ... and the sizes in the local header all the same
  std::uint16_t date = kDate;
  std::uint16_t time = kTime;
  std::uint16_t flags = 0;  // more general-purpose flags (bit 11: UTF-8 name)
  std::string extra = {};   // in front of the ZIP64 block, in both headers
  // ZIP64: the sizes (and in the central header the offset) escaped, their
  // values in a ZIP64 block behind `extra`, `size64` the real size.
  bool zip64 = false;
  std::uint64_t size64 = 0;
  std::uint8_t madeOn = 0;   // the high byte of the central "version made by"
  std::uint16_t method = 0;  // 0 stored, 8 deflated
};

struct Layout {
  std::string stub;
  bool central = true;
  bool endRecord = true;
  bool zip64End = false;  // a ZIP64 end record and locator; the end record escapes
};

class Bytes {
 public:
  std::vector<std::uint8_t> v;
  void U16(std::uint32_t x) { v.insert(v.end(), {std::uint8_t(x), std::uint8_t(x >> 8)}); }
  void U32(std::uint32_t x) {
    U16(x & 0xFFFF);
    U16(x >> 16);
  }
  void U64(std::uint64_t x) {
    U32(x & 0xFFFFFFFF);
    U32(x >> 32);
  }
  void Text(const std::string& s) { v.insert(v.end(), s.begin(), s.end()); }
};

std::string Le(std::uint64_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
  return out;
}
// One extra-field block.
std::string Block(std::uint16_t id, const std::string& data) {
  return Le(id, 2) + Le(data.size(), 2) + data;
}
std::string Zip64Block(std::initializer_list<std::uint64_t> values) {
  std::string data;
  for (std::uint64_t v : values) data += Le(v, 8);
  return Block(0x0001, data);
}

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int i = 0; i < 8; ++i) crc = (crc >> 1) ^ ((crc & 1) ? 0xEDB88320 : 0);
  }
  return ~crc;
}
std::string UnicodePath(const std::string& headerName, const std::string& utf8, int version = 1) {
  return Block(0x7075, Le(version, 1) + Le(Crc32(headerName), 4) + utf8);
}

std::vector<std::uint8_t> MakeZip(const std::vector<Entry>& entries, const Layout& layout = {}) {
  Bytes z;
  z.Text(layout.stub);
  std::vector<std::uint32_t> offsets;
  for (const Entry& e : entries) {
    offsets.push_back(z.v.size() - layout.stub.size());
    std::string localExtra = e.extra;
    if (e.zip64) localExtra += Zip64Block({e.size64, e.data.size()});
    z.U32(0x04034B50);
    z.U16(20);
    z.U16((e.sizesAfterData ? 8 : 0) | e.flags);
    z.U16(e.method);
    z.U16(e.time);
    z.U16(e.date);
    z.U32(0);
    bool zeros = e.sizesAfterData && !e.sizesAlsoInFront;
    z.U32(e.zip64 ? 0xFFFFFFFF : zeros ? 0 : e.data.size());
    z.U32(e.zip64 ? 0xFFFFFFFF : zeros ? 0 : e.size);
    z.U16(e.name.size());
    z.U16(localExtra.size());
    z.Text(e.name);
    z.Text(localExtra);
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
      std::string centralExtra = e.extra;
      if (e.zip64) centralExtra += Zip64Block({e.size64, e.data.size(), offsets[i]});
      z.U32(0x02014B50);
      z.U16(20 | e.madeOn << 8);
      z.U16(20);
      z.U16((e.sizesAfterData ? 8 : 0) | e.flags);
      z.U16(e.method);
      z.U16(e.time);
      z.U16(e.date);
      z.U32(0);
      z.U32(e.zip64 ? 0xFFFFFFFF : e.data.size());
      z.U32(e.zip64 ? 0xFFFFFFFF : e.size);
      z.U16(e.name.size());
      z.U16(centralExtra.size());
      z.U16(0);
      z.U16(0);
      z.U16(0);
      z.U32(e.attributes);
      z.U32(e.zip64 ? 0xFFFFFFFF : offsets[i]);
      z.Text(e.name);
      z.Text(centralExtra);
    }
  }
  const std::size_t centralSize = z.v.size() - centralStart;
  if (layout.zip64End) {
    const std::size_t recordAt = z.v.size() - layout.stub.size();
    z.U32(0x06064B50);
    z.U64(44);
    z.U16(45);
    z.U16(45);
    z.U32(0);
    z.U32(0);
    z.U64(entries.size());
    z.U64(entries.size());
    z.U64(centralSize);
    z.U64(centralStart - layout.stub.size());
    z.U32(0x07064B50);
    z.U32(0);
    z.U64(recordAt);
    z.U32(1);
  }
  if (layout.endRecord) {
    z.U32(0x06054B50);
    z.U16(0);
    z.U16(0);
    z.U16(entries.size());
    z.U16(entries.size());
    z.U32(layout.zip64End ? 0xFFFFFFFF : centralSize);
    z.U32(layout.zip64End ? 0xFFFFFFFF : centralStart - layout.stub.size());
    z.U16(0);
  }
  return z.v;
}

class ZipReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { archive_test::ResetSearch("*", "C:\\A.ZIP"); }
  void TearDown() override { TestRun() = RunContext(); }
  void LongForm() { TestRun().options.form = 1; }
  OemDecoder fromOem_ = nullptr;
  CodePageDecoder fromCodePage_ = nullptr;
  std::string List(const std::vector<std::uint8_t>& zip) {
    MemoryByteSource source(zip.data(), zip.size());
    RecordingSink sink;
    archive_test::ListMembers("ZIP", source, sink, nullptr, fromOem_, fromCodePage_);
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
  std::strcpy(TestRun().pattern.ansi, "*.TXT");
  EXPECT_EQ(List(MakeZip(kThree)), "C:\\A.ZIP : readme.txt\nC:\\A.ZIP : guide.txt\n");
  EXPECT_EQ(TestRun().totals.count, 2u);
  EXPECT_EQ(TestRun().totals.bytes, 0u);
}

TEST_F(ZipReaderTest, NamePartRules) {
  // Behind the last backslash if there is one, else behind the last slash;
  // a directory entry has an empty name part, which no pattern matches.
  EXPECT_EQ(List(MakeZip({{"a\\b/c"}, {"dir/"}, {"dir/sub/file.txt"}, {"x"}})),
            "C:\\A.ZIP : b/c\nC:\\A.ZIP : file.txt\nC:\\A.ZIP : x\n");
  // /W: the whole path, its slashes backslashes, matched by the same part.
  TestRun().options.wholeMemberPaths = true;
  std::strcpy(TestRun().pattern.ansi, "*.TXT");
  EXPECT_EQ(List(MakeZip({{"dir/sub/file.txt"}, {"dir/x"}})), "C:\\A.ZIP : dir\\sub\\file.txt\n");
  LongForm();
  EXPECT_EQ(List(MakeZip({{"dir/sub/file.txt"}, {"dir/x"}})),
            kHeading + Long("dir\\sub\\file.txt"));
}

// The name is read eight bytes at a time: separators and a stored zero byte
// (the name ends there) at every place of a word and of the last, partial one.
TEST_F(ZipReaderTest, NamePartRulesHoldWhereverTheSeparatorsFall) {
  std::vector<Entry> entries;
  std::string expected;
  for (std::size_t length = 1; length <= 27; ++length) {
    for (std::size_t at = 0; at < length; ++at) {
      for (char mark : {'\\', '/', '\0'}) {
        std::string name(length, 'n');
        for (std::size_t i = 0; i < length; ++i) name[i] = static_cast<char>('a' + i % 26);
        name[at] = mark;
        if (at + 3 < length) name[at + 3] = mark == '\\' ? '/' : '\\';
        entries.push_back({name});
        std::string stored = name.substr(0, name.find('\0'));
        std::size_t cut = stored.rfind('\\');
        if (cut == std::string::npos) cut = stored.rfind('/');
        std::string part = cut == std::string::npos ? stored : stored.substr(cut + 1);
        if (!part.empty()) expected += "C:\\A.ZIP : " + part + "\n";
      }
    }
  }
  EXPECT_EQ(List(MakeZip(entries)), expected);
}

TEST_F(ZipReaderTest, LongFormListsFromTheCentralDirectoryWithAttributes) {
  LongForm();
  auto zip = MakeZip({{"a.txt", "xy", 1234567, 0x21}, {"b.txt", "", 0, 0x00}});
  EXPECT_EQ(List(zip), kHeading + Long("a.txt", "1,234,567", "__RA") + Long("b.txt", "0", "____"));
  EXPECT_EQ(TestRun().totals.count, 2u);
  EXPECT_EQ(TestRun().totals.bytes, 1234567u);
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
  TestRun().options.dateMode = RangeMode::AtLeast;
  TestRun().options.dateLow = kDate;
  EXPECT_EQ(List(MakeZip(entries)), "C:\\A.ZIP : new.txt\nC:\\A.ZIP : big.txt\n");
  TestRun().options.sizeMode = RangeMode::AtMost;
  TestRun().options.sizeHigh = 4;
  EXPECT_EQ(List(MakeZip(entries)), "C:\\A.ZIP : new.txt\n");
}

TEST_F(ZipReaderTest, AttributeCriterionReadsTheCentralDirectoryEvenInTheShortForm) {
  TestRun().options.attributesRequired = 0x01;
  EXPECT_EQ(List(MakeZip({{"a"}, {"b", "", 0, 0x01}})), "C:\\A.ZIP : b\n");
}

TEST_F(ZipReaderTest, CommandRunsForEachListedMember) {
  TestRun().options.runCommandOnMembers = true;
  TestRun().options.noEcho = true;
  std::strcpy(TestRun().pattern.ansi, "*.c");
  EXPECT_EQ(List(MakeZip(kThree)), "!main.c\n");
  EXPECT_EQ(TestRun().totals.count, 1u);
}

// A name may be as long as a path, 32,767 units, in UTF-8 or as code-page
// bytes (escaped three bytes a byte on the way); a longer one is passed over.
TEST_F(ZipReaderTest, NamesAsLongAsPathsAreListedAndLongerOnesPassedOver) {
  std::string accents;
  for (int i = 0; i < 32767; ++i) accents += "\xC3\xA9";  // 65,534 bytes
  const std::string n300(300, 'n'), n900(900, 'm'), bytes(32767, '\xE9');
  std::vector<Entry> entries = {{"a"},   {n300},    {n900}, {std::string(32768, 'x')},
                                {bytes}, {accents}, {"b"}};
  entries[5].flags = 0x0800;
  std::string shortLines, longLines;
  for (const std::string& name : {std::string("a"), n300, n900, bytes, accents, std::string("b")}) {
    shortLines += "C:\\A.ZIP : " + name + "\n";
    longLines += Long(name.c_str());
  }
  EXPECT_EQ(List(MakeZip(entries)), shortLines);
  LongForm();
  EXPECT_EQ(List(MakeZip(entries)), kHeading + longLines);
  // Behind a long archive path.
  const std::string path = "C:\\" + std::string(32000, 'd') + "\\A.ZIP";
  archive_test::ResetSearch("*", path.c_str());
  EXPECT_EQ(List(MakeZip({{n900}, {"b"}})), path + " : " + n900 + "\n" + path + " : b\n");
}

// ---- Damage: each row lists what comes before the damage and stops there. ---

// The offset of the `nth` central header, from 0.
std::size_t CentralAt(const std::vector<std::uint8_t>& zip, int nth) {
  const char* signature = "PK\x01\x02";
  auto at = std::search(zip.begin(), zip.end(), signature, signature + 4);
  while (nth-- > 0) at = std::search(at + 4, zip.end(), signature, signature + 4);
  return at - zip.begin();
}

// "first", "escaped", "behind": the sizes of the second escaped in both
// headers, `extra` its extra field, and no data, so that the 32-bit local
// sizes of 0 skip right.
std::vector<std::uint8_t> WithEscapedSizes(const std::string& extra) {
  std::vector<Entry> entries = {{"first"}, {"escaped", ""}, {"behind"}};
  entries[1].extra = extra;
  auto zip = MakeZip(entries);
  for (auto at = std::search(zip.begin(), zip.end(), "escaped", "escaped" + 7); at != zip.end();
       at = std::search(at + 1, zip.end(), "escaped", "escaped" + 7)) {
    const bool local = std::equal(at - 30, at - 26, "PK\x03\x04");
    auto sizes = at - (local ? 12 : 26);
    std::fill(sizes, sizes + 8, 0xFF);
  }
  return zip;
}

// The short form walks the local headers; the long form, and the attribute
// criteria, list from the central directory. An extra field matters only
// where the sizes depend on it.
TEST_F(ZipReaderTest, DamageEndsTheArchiveQuietly) {
  using archive_test::Cut;
  using archive_test::Patched;
  const std::string three = "C:\\A.ZIP : readme.txt\nC:\\A.ZIP : main.c\nC:\\A.ZIP : guide.txt\n";
  const auto good = MakeZip(kThree);
  const auto ab = MakeZip({{"a"}, {"b"}});
  std::vector<Entry> cutExtra = {{"a.txt"}, {"b.txt", ""}};
  cutExtra[1].extra = Block(0x5455, std::string(9, 'x'));
  std::vector<Entry> cutZip64 = cutExtra;
  cutZip64[1].zip64 = true;
  cutZip64[1].size64 = k5GiB;
  std::vector<Entry> streamed = {{"a.txt"}};
  streamed[0].sizesAfterData = true;
  const auto streamedZip = MakeZip(streamed);
  std::vector<Entry> padded = {{"a"}, {"b"}};
  padded[0].extra = std::string(3, '\0');               // too short for a block
  padded[1].extra = Le(0xD935, 2) + Le(200, 2) + "xx";  // running past the field
  const struct {
    const char* what;
    std::vector<std::uint8_t> zip;
    std::string shortForm, longForm;
  } rows[] = {
      {"no central directory, no end record", MakeZip(kThree, {"", false, false}), three, ""},
      {"first central signature broken", Patched(good, CentralAt(good, 0) + 2, 9), three, ""},
      {"second central signature broken", Patched(ab, CentralAt(ab, 1) + 3, 0),
       "C:\\A.ZIP : a\nC:\\A.ZIP : b\n", kHeading + Long("a")},
      {"central name length past the directory", Patched(ab, CentralAt(ab, 1) + 28, 261, 2),
       "C:\\A.ZIP : a\nC:\\A.ZIP : b\n", kHeading + Long("a")},
      {"central record cut short, no end record",
       Cut(MakeZip({{"a"}, {"b"}}, {"", true, false}), 10), "C:\\A.ZIP : a\nC:\\A.ZIP : b\n",
       kHeading + Long("a")},
      {"local name cut by the end of the file",
       Cut(MakeZip({{"a.txt", ""}, {"second.txt"}}, {"", false, false}), 8), "C:\\A.ZIP : a.txt\n",
       ""},
      // The name is whole: the member is listed, as when the extra field was
      // never read ...
      {"extra field cut by the end of the file", Cut(MakeZip(cutExtra, {"", false, false}), 4),
       "C:\\A.ZIP : a.txt\nC:\\A.ZIP : b.txt\n", ""},
      // ... unless its sizes are in the part that is missing.
      {"ZIP64 extra field cut by the end of the file",
       Cut(MakeZip(cutZip64, {"", false, false}), 4), "C:\\A.ZIP : a.txt\n", ""},
      {"end record with an impossible directory size",
       Patched(streamedZip, streamedZip.size() - 22 + 12 + 3, 0x7F), "", ""},
      {"ZIP64 block too short", WithEscapedSizes(Block(0x0001, std::string(4, '\0'))),
       "C:\\A.ZIP : first\n", kHeading + Long("first")},
      {"ZIP64 block overruns the extra field",
       WithEscapedSizes(Le(0x0001, 2) + Le(40, 2) + std::string(8, '\0')), "C:\\A.ZIP : first\n",
       kHeading + Long("first")},
      // The local walk's 32-bit skip by 0xFFFFFFFF lands past the end of the
      // file; the directory has the member behind.
      {"escaped sizes, no ZIP64 block", WithEscapedSizes(Block(0x5455, "\x01\x02\x03\x04\x05")),
       "C:\\A.ZIP : first\nC:\\A.ZIP : escaped\nC:\\A.ZIP : behind\n",
       kHeading + Long("first") + Long("escaped", "4,294,967,295") + Long("behind")},
      {"padded extra fields, no size escaped", MakeZip(padded), "C:\\A.ZIP : a\nC:\\A.ZIP : b\n",
       kHeading + Long("a") + Long("b")},
      {"empty file", {}, "", ""},
      {"\"PK\" alone", {'P', 'K'}, "", ""},
      {"no signature", std::vector<std::uint8_t>(5000, 'P'), "", ""},
      {"local signature alone", {'P', 'K', 3, 4}, "", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    archive_test::ResetSearch("*", "C:\\A.ZIP");
    EXPECT_EQ(List(row.zip), row.shortForm);
    archive_test::ResetSearch("*", "C:\\A.ZIP");
    LongForm();
    EXPECT_EQ(List(row.zip), row.longForm);
  }
}

// A first header with a long name must name a method: a stray signature in a
// stub seldom does.
TEST_F(ZipReaderTest, FirstHeaderWithALongNameNeedsAMethod) {
  const std::string name(261, 'n');
  auto zip = MakeZip({{name}});
  EXPECT_EQ(List(zip), "C:\\A.ZIP : " + name + "\n");
  zip[9] = 1;  // method 256
  EXPECT_EQ(List(zip), "");
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
  TestRun().options.sizeMode = RangeMode::Equal;
  TestRun().options.sizeValue = 99;
  EXPECT_EQ(List(MakeZip(entries, {stub})), "C:\\A.ZIP : b.txt\n");
  TestRun().options.sizeMode = RangeMode::None;
  LongForm();
  EXPECT_EQ(List(MakeZip(entries, {stub})),
            kHeading + Long("a.txt") + Long("b.txt", "99") + Long("c.txt"));
  // zip writing to a pipe may escape the directory's offset (no ZIP64 end
  // record behind it).
  auto escaped = MakeZip(entries);
  std::fill(escaped.end() - 6, escaped.end() - 2, 0xFF);
  EXPECT_EQ(List(escaped), kHeading + Long("a.txt") + Long("b.txt", "99") + Long("c.txt"));
  // Without an end record there is no directory to turn to.
  EXPECT_EQ(List(MakeZip(entries, {"", true, false})), "");
}

// What the local walk cannot pass, put into an archive made by zip: the long
// form and attribute criteria list from the directory its end record places,
// the short form lists the directory's members behind those it walked; each
// lists exactly what the archive as made lists.
TEST_F(ZipReaderTest, WhatTheLocalWalkCannotPassHidesNothing) {
  using archive_test::Bytes;
  const Bytes made = archive_test::Fixture("plain.zip");
  auto u32 = [&](std::size_t at) {
    return made[at] | made[at + 1] << 8 | std::uint32_t(made[at + 2] | made[at + 3] << 8) << 16;
  };
  auto set32 = [](Bytes& z, std::size_t at, std::uint32_t v) {
    std::string bytes = Le(v, 4);
    std::copy(bytes.begin(), bytes.end(), z.begin() + at);
  };
  const std::size_t end = made.size() - 22;  // no comment, no ZIP64 records
  const std::size_t directory = u32(end + 16);
  std::vector<std::size_t> centrals;  // central order is local order: five files, docs/ last
  for (std::size_t at = directory; at < end;
       at += 46 + (u32(at + 28) & 0xFFFF) + (u32(at + 30) & 0xFFFF))
    centrals.push_back(at);
  ASSERT_EQ(centrals.size(), 6u);
  // Puts bytes in at `at`, moving the offsets the archive records behind it
  // (a careless tool leaves them).
  auto insert = [&](std::size_t at, const std::string& bytes, bool moveOffsets = true) {
    Bytes z = made;
    for (std::size_t central : centrals)
      if (moveOffsets && u32(central + 42) >= at)
        set32(z, central + 42, u32(central + 42) + bytes.size());
    if (moveOffsets) set32(z, end + 16, directory + bytes.size());
    z.insert(z.begin() + at, bytes.begin(), bytes.end());
    return z;
  };
  auto localSize = [&](std::uint32_t size, Bytes z) {
    return set32(z, u32(centrals[1] + 42) + 18, size), z;
  };
  const std::string pair = Le(4 + 4096, 8) + Le(0x7109871A, 4) + std::string(4096, 's');
  const std::string signingBlock =
      Le(pair.size() + 24, 8) + pair + Le(pair.size() + 24, 8) + "APK Sig Block 42";
  const std::string gap = "PK" + std::string(98, '\0');
  const Bytes gapped = insert(u32(centrals[2] + 42), gap);
  Bytes behindStub(3000, 'S');
  behindStub.insert(behindStub.end(), gapped.begin(), gapped.end());
  const std::pair<const char*, Bytes> rows[] = {
      {"signing block in front of the directory", insert(directory, signingBlock)},
      {"... its offset left as it was", insert(directory, signingBlock, false)},
      {"gap between entries", gapped},
      {"gap between entries, behind a stub", behindStub},
      {"local compressed size too large", localSize(u32(centrals[1] + 20) + 7, made)},
      {"local compressed size past the end", localSize(0x7FFFFFF0, made)},
  };
  for (auto [form, excluded] : {std::pair{0, 0}, {1, 0}, {0, 0x02}}) {
    TestRun().options.form = form;
    TestRun().options.attributesExcluded = static_cast<std::uint16_t>(excluded);
    const std::string expected = List(made);
    EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), form ? 8 : 5);
    for (const auto& [what, zip] : rows)
      EXPECT_EQ(List(zip), expected) << what << ", form " << form;
  }
  // A directory in another order than the entries (README.TXT and src/main.c,
  // names of one length, swapped) and a gap behind the first entry: a member
  // may be missed, none is listed twice.
  TestRun().options.form = 0;
  TestRun().options.attributesExcluded = 0;
  Bytes reordered = insert(u32(centrals[1] + 42), gap);
  auto moved = reordered.begin() + directory + gap.size();
  std::rotate(moved, moved + 56, moved + 112);
  const std::string listed = List(reordered);
  EXPECT_EQ(listed.find("README"), listed.rfind("README"));
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

// The first central header's size at the offset where a local header keeps
// its name length: a member of 17 MiB and more must not end the walk.
TEST_F(ZipReaderTest, LargeFirstMemberDoesNotHideTheCentralDirectory) {
  LongForm();
  EXPECT_EQ(List(MakeZip({{"big.iso", "", 0x80000000u}})),
            kHeading + Long("big.iso", "2,147,483,648"));
  EXPECT_EQ(TestRun().totals.bytes, 0x80000000u);
}

// ---- Archives of today: ZIP64 sizes and UTF-8 names. ----

// A size escaped as 0xFFFFFFFF comes from the ZIP64 block, in the local walk
// (the member behind proves that the data was skipped by the right amount)
// and in the central one; it is shown, filtered and summed whole.
TEST_F(ZipReaderTest, Zip64SizesComeFromTheExtraField) {
  std::vector<Entry> entries = {{"big.iso"}, {"next.txt"}};
  entries[0].zip64 = true;
  entries[0].size64 = k5GiB;
  entries[0].data = "0123456789";
  EXPECT_EQ(List(MakeZip(entries)), "C:\\A.ZIP : big.iso\nC:\\A.ZIP : next.txt\n");
  TestRun().options.sizeMode = RangeMode::AtLeast;
  TestRun().options.sizeLow = 0xFFFFFFFF;
  EXPECT_EQ(List(MakeZip(entries)), "C:\\A.ZIP : big.iso\n");
  TestRun().options.sizeMode = RangeMode::AtMost;
  TestRun().options.sizeHigh = 0xFFFFFFFF;
  EXPECT_EQ(List(MakeZip(entries)), "C:\\A.ZIP : next.txt\n");
  TestRun().options.sizeMode = RangeMode::Between;  // /S:5000M-5200M
  TestRun().options.sizeLow = 5000ull << 20;
  TestRun().options.sizeHigh = 5200ull << 20;
  EXPECT_EQ(List(MakeZip(entries)), "C:\\A.ZIP : big.iso\n");
  TestRun().options.sizeMode = RangeMode::None;
  LongForm();
  TestRun().totals = {};
  EXPECT_EQ(List(MakeZip(entries)), kHeading + Long("big.iso", "5,368,709,120") + Long("next.txt"));
  EXPECT_EQ(TestRun().totals.bytes, k5GiB + 4);
  // Other blocks in front of the ZIP64 block are stepped over.
  entries[0].extra = Block(0x5455, "\x03\x01\x02\x03\x04") + Block(0x000A, std::string(32, 'x'));
  EXPECT_EQ(List(MakeZip(entries)), kHeading + Long("big.iso", "5,368,709,120") + Long("next.txt"));
}

// The ZIP64 block holds only the values that the header escapes, in the
// order uncompressed size, compressed size, offset: each row escapes a
// different set in the local and the central header.
TEST_F(ZipReaderTest, Zip64BlockHoldsOnlyTheEscapedFieldsInOrder) {
  struct Row {
    const char* what;
    std::uint32_t localCompressed, localSize;
    std::string localBlock;
    std::uint32_t centralSize;
    std::string centralBlock;
  } rows[] = {
      {"size only", 10, 0xFFFFFFFF, Zip64Block({k5GiB}), 0xFFFFFFFF, Zip64Block({k5GiB})},
      {"compressed only", 0xFFFFFFFF, 77, Zip64Block({10}), 77, Zip64Block({10})},
      {"all three", 0xFFFFFFFF, 0xFFFFFFFF, Zip64Block({k5GiB, 10}), 0xFFFFFFFF,
       Zip64Block({k5GiB, 10, 0})},
  };
  for (const Row& row : rows) {
    // Built by hand: the builder always escapes everything.
    Bytes z;
    z.U32(0x04034B50), z.U16(45), z.U16(0), z.U16(0), z.U16(kTime), z.U16(kDate), z.U32(0);
    z.U32(row.localCompressed), z.U32(row.localSize), z.U16(3), z.U16(row.localBlock.size());
    z.Text("a.b"), z.Text(row.localBlock), z.Text("0123456789");
    const std::size_t central = z.v.size();
    z.U32(0x02014B50), z.U16(45), z.U16(45), z.U16(0), z.U16(0), z.U16(kTime), z.U16(kDate);
    z.U32(0), z.U32(10), z.U32(row.centralSize), z.U16(3), z.U16(row.centralBlock.size());
    z.U16(0), z.U16(0), z.U16(0), z.U32(0x20), z.U32(0), z.Text("a.b"), z.Text(row.centralBlock);
    z.U32(0x06054B50), z.U32(0), z.U16(1), z.U16(1), z.U32(z.v.size() - central - 12);
    z.U32(central), z.U16(0);
    const std::string size = row.localSize == 77 ? "77" : "5,368,709,120";
    TestRun() = RunContext();
    std::strcpy(TestRun().archivePath, "C:\\A.ZIP");
    std::strcpy(TestRun().pattern.ansi, "*");
    TestRun().options.sizeMode = RangeMode::AtLeast;
    TestRun().options.sizeLow = 77;  // the local walk filters by the real size
    EXPECT_EQ(List(z.v), "C:\\A.ZIP : a.b\n") << row.what;
    LongForm();
    EXPECT_EQ(List(z.v), kHeading + Long("a.b", size.c_str())) << row.what;
  }
}

// Streamed members of an archive past 4 GiB: the end record escapes the
// directory's size, which the ZIP64 end record gives, found through the
// locator, also behind a stub that shifts every recorded offset.
TEST_F(ZipReaderTest, StreamedZip64ArchiveIsListedThroughTheZip64Locator) {
  std::vector<Entry> entries = {{"a.txt"}, {"big.iso"}, {"c.txt"}};
  for (Entry& e : entries) e.sizesAfterData = true;
  entries[1].zip64 = true;
  entries[1].size64 = k5GiB;
  for (const std::string& stub : {std::string(), std::string(3000, 'S')}) {
    TestRun().options.form = 0;
    auto zip = MakeZip(entries, {stub, true, true, true});
    EXPECT_EQ(List(zip), "C:\\A.ZIP : a.txt\nC:\\A.ZIP : big.iso\nC:\\A.ZIP : c.txt\n");
    LongForm();
    EXPECT_EQ(List(zip),
              kHeading + Long("a.txt") + Long("big.iso", "5,368,709,120") + Long("c.txt"));
    // A ZIP64 end record that does not end at the locator is not taken.
    auto record = std::search(zip.begin(), zip.end(), "PK\x06\x06", "PK\x06\x06" + 4);
    record[4] = 45;
    EXPECT_EQ(List(zip), "");
  }
}

void WidePattern(std::u16string_view pattern) {
  std::fill(std::begin(TestRun().pattern.wide), std::end(TestRun().pattern.wide), 0);
  pattern.copy(TestRun().pattern.wide, kPathSize - 1);
}

constexpr const char* kNihongo = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";  // 日本語
constexpr const char* kNihongoSjis = "\x93\xFA\x96\x7B\x8C\xEA";  // 日本語 in code page 932

// Flag bit 11: the name is UTF-8, matched in UTF-16 against the wide
// pattern (the code page one is not consulted) and shown whole, also as the
// command's name; without the flag the bytes stay as they are.
TEST_F(ZipReaderTest, FlaggedUtf8NamesAreMatchedWideAndShownWhole) {
  std::vector<Entry> entries = {{std::string("docs/") + kNihongo + ".txt"},
                                {"caf\xC3\xA9.txt"},
                                {std::string(kNihongoSjis) + ".txt"}};
  entries[0].flags = entries[1].flags = 0x0800;
  std::strcpy(TestRun().pattern.ansi, "NOTHING");
  WidePattern(u"\u65E5\u672C*.TXT");
  EXPECT_EQ(List(MakeZip(entries)), std::string("C:\\A.ZIP : ") + kNihongo + ".txt\n");
  WidePattern(u"CAF\u00C9.TXT");  // only ASCII letters fold
  EXPECT_EQ(List(MakeZip(entries)), "");
  WidePattern(u"*");
  std::strcpy(TestRun().pattern.ansi, "*");
  LongForm();
  TestRun().options.runCommandOnMembers = true;
  EXPECT_EQ(List(MakeZip(entries)),
            kHeading + Long((std::string(kNihongo) + ".txt").c_str()) + "!" + kNihongo + ".txt\n" +
                Long("caf\xC3\xA9.txt") + "!caf\xC3\xA9.txt\n" +
                Long((std::string(kNihongoSjis) + ".txt").c_str()) + "!" + kNihongoSjis + ".txt\n");
}

// Code page 437 as far as the test needs it: 0x82 is "é".
bool Oem437(std::string_view bytes, char16_t* out, std::size_t capacity) {
  if (bytes.size() >= capacity) return false;
  for (std::size_t i = 0; i < bytes.size(); ++i)
    out[i] = bytes[i] == '\x82' ? u'\u00E9' : static_cast<unsigned char>(bytes[i]);
  out[bytes.size()] = u'\0';
  return true;
}

// Without the flag a name is in the OEM code page: where that is not the ANSI
// one, it is decoded, matched wide and shown whole; ASCII
// names, and all names where the decoder declines, stay bytes.
TEST_F(ZipReaderTest, UnflaggedNamesAreDecodedFromTheOemCodePage) {
  fromOem_ = Oem437;
  std::vector<Entry> entries = {{"dir/caf\x82.txt"}, {"plain.txt"}};
  std::strcpy(TestRun().pattern.ansi, "NOTHING");
  WidePattern(u"CAF\u00E9*");
  EXPECT_EQ(List(MakeZip(entries)), "C:\\A.ZIP : caf\xC3\xA9.txt\n");
  std::strcpy(TestRun().pattern.ansi, "*");
  WidePattern(u"*");
  EXPECT_EQ(List(MakeZip(entries)), "C:\\A.ZIP : caf\xC3\xA9.txt\nC:\\A.ZIP : plain.txt\n");
  fromOem_ = nullptr;
  EXPECT_EQ(List(MakeZip(entries)), "C:\\A.ZIP : caf\x82.txt\nC:\\A.ZIP : plain.txt\n");
}

// Without the flag and a Unicode path block, a name from an archive made on
// Unix (3) or macOS (19) that reads as UTF-8 is UTF-8; else, and always from
// DOS or Windows (0, 10), the OEM code page. The local walk asks the central
// directory; without one the name decides.
TEST_F(ZipReaderTest, UnmarkedUtf8NamesFromUnixAndMacOs) {
  fromOem_ = Oem437;
  const std::string utf8 = "caf\xC3\xA9.txt", asOem = "caf\xC3\x83\xC2\xA9.txt";
  const std::string oem = "caf\x82.txt";
  const Layout noDirectory{.stub = "", .central = false, .endRecord = false};
  struct Row {
    std::uint8_t madeOn;
    std::string stored;
    std::string shown;
    Layout layout = {};
  } rows[] = {
      {3, "d/" + utf8, utf8},
      {19, utf8, utf8},
      {0, utf8, asOem},
      {10, utf8, asOem},
      {3, oem, utf8},
      {3, "ascii.txt", "ascii.txt"},
      {0, utf8, utf8, noDirectory},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.stored + " made on " + std::to_string(row.madeOn));
    std::vector<Entry> entries = {{"first.txt"}, {row.stored}};
    for (Entry& e : entries) e.madeOn = row.madeOn;
    TestRun().options.form = 0;
    EXPECT_EQ(List(MakeZip(entries, row.layout)),
              "C:\\A.ZIP : first.txt\nC:\\A.ZIP : " + row.shown + "\n");
    if (row.layout.central) {
      LongForm();
      EXPECT_EQ(List(MakeZip(entries, row.layout)),
                kHeading + Long("first.txt") + Long(row.shown.c_str()));
    }
  }
}

// Under /K names without the flag are in the code page named, split by its
// lead bytes, ahead of the OEM code page and of names that read as UTF-8.
TEST_F(ZipReaderTest, CodePageOfKReadsUnflaggedNames) {
  fromOem_ = Oem437;
  fromCodePage_ = archive_test::Fake932;
  TestRun().options.memberCodePage = 932;
  const std::string nihongo = std::string(kNihongo) + ".txt";
  std::vector<Entry> entries = {
      {std::string("d/") + kNihongoSjis + ".txt"}, {"\x95\x5C.txt"}, {"caf\xC3\xA9.txt"}};
  for (Entry& e : entries) e.madeOn = 3;
  EXPECT_EQ(List(MakeZip(entries)),
            "C:\\A.ZIP : " + nihongo +
                "\nC:\\A.ZIP : \xE8\xA1\xA8.txt\nC:\\A.ZIP : caf\xC3\x83\xC2\xA9.txt\n");
  WidePattern(u"\u65E5*.TXT");
  TestRun().options.wholeMemberPaths = true;
  EXPECT_EQ(List(MakeZip(entries)), "C:\\A.ZIP : d\\" + nihongo + "\n");
}

// An Info-ZIP Unicode path block stands for the header name only when it is
// version 1 and carries the CRC-32 of that very header name (an archiver
// that renamed the member without updating the block leaves a stale one).
TEST_F(ZipReaderTest, UnicodePathBlockNamesTheMemberWhileItsCrcHolds) {
  const std::string header = std::string(kNihongoSjis) + ".txt";
  const std::string utf8 = std::string("dir/") + kNihongo + ".txt";
  struct Row {
    const char* what;
    std::string extra;
    std::string shown;
  } rows[] = {
      {"matching CRC", UnicodePath(header, utf8), std::string(kNihongo) + ".txt"},
      {"behind another block", Block(0x5455, "\x01\x02\x03\x04\x05") + UnicodePath(header, utf8),
       std::string(kNihongo) + ".txt"},
      {"stale CRC", UnicodePath("old.txt", utf8), header},
      {"version 2", UnicodePath(header, utf8, 2), header},
      {"too short", Block(0x7075, "\x01\x02"), header},
      {"empty name", UnicodePath(header, ""), header},
      {"longer than 260 bytes", UnicodePath(header, std::string(261, 'u')), std::string(261, 'u')},
      {"block overruns the field", UnicodePath(header, utf8).substr(0, 12), header},
  };
  for (const Row& row : rows) {
    std::vector<Entry> entries = {{header}, {"next"}};
    entries[0].extra = row.extra;
    TestRun().options.form = 0;
    EXPECT_EQ(List(MakeZip(entries)), "C:\\A.ZIP : " + row.shown + "\nC:\\A.ZIP : next\n")
        << row.what;
    LongForm();
    EXPECT_EQ(List(MakeZip(entries)), kHeading + Long(row.shown.c_str()) + Long("next"))
        << row.what;
  }
  // Matched wide, by its last part; the code page pattern is the same in
  // code page 932.
  WidePattern(u"\u65E5*");
  std::strcpy(TestRun().pattern.ansi, "\x93\xFA*");
  std::vector<Entry> entries = {{header}, {"next"}};
  entries[0].extra = UnicodePath(header, utf8);
  EXPECT_EQ(List(MakeZip(entries)), kHeading + Long((std::string(kNihongo) + ".txt").c_str()));
}

// Malformed UTF-8 in a flagged name gives U+FFFD for the bad byte alone.
TEST_F(ZipReaderTest, MalformedUtf8NamesKeepTheirNeighbours) {
  std::vector<Entry> entries = {{"a\xFF"
                                 "b.txt"},
                                {"next"}};
  entries[0].flags = 0x0800;
  EXPECT_EQ(List(MakeZip(entries)),
            "C:\\A.ZIP : a\xEF\xBF\xBD"
            "b.txt\nC:\\A.ZIP : next\n");
}

// /M: archives stored whole among the members are read in place, whatever
// the pattern, to the levels asked for, behind the outer names; a compressed
// one, or one of a kind not looked inside, is a member like any other.
TEST_F(ZipReaderTest, StoredArchivesInsideAreOpenedToTheLevelsAsked) {
  const auto stored = [](std::string name, const std::vector<std::uint8_t>& zip) {
    Entry entry{std::move(name), std::string(zip.begin(), zip.end())};
    entry.size = static_cast<std::uint32_t>(entry.data.size());
    return entry;
  };
  const auto lib = MakeZip({{"C.class"}});
  Entry packed = stored("BOOT-INF/lib/packed.jar", lib);
  packed.method = 8;
  const auto app =
      MakeZip({{"BOOT-INF/classes/A.class"},
               stored("BOOT-INF/lib/inner.jar", MakeZip({{"B.class"}, stored("lib2.jar", lib)})),
               packed,
               stored("BOOT-INF/lib/broken.jar", {'P', 'K', 3, 4, 'x'}),
               {"Z.class"}});
  SearchOptions& options = TestRun().options;
  WantOf(options, *ArchiveFormatNamed("ZIP")) = {true, NameText("*.JAR")};
  std::strcpy(TestRun().pattern.ansi, "*.CLASS");
  WidePattern(u"*.CLASS");
  const std::string a = "C:\\A.ZIP : A.class\n", z = "C:\\A.ZIP : Z.class\n";
  const std::string b = "C:\\A.ZIP : inner.jar : B.class\n";
  EXPECT_EQ(List(app), a + z);
  options.innerArchiveLevels = 1;
  EXPECT_EQ(List(app), a + b + z);
  options.innerArchiveLevels = 2;
  EXPECT_EQ(List(app), a + b + "C:\\A.ZIP : inner.jar : lib2.jar : C.class\n" + z);
  options.wholeMemberPaths = true;
  EXPECT_EQ(List(app),
            "C:\\A.ZIP : BOOT-INF\\classes\\A.class\n"
            "C:\\A.ZIP : BOOT-INF\\lib\\inner.jar : B.class\n"
            "C:\\A.ZIP : BOOT-INF\\lib\\inner.jar : lib2.jar : C.class\n"
            "C:\\A.ZIP : Z.class\n");
  options.wholeMemberPaths = false;
  // The long form reads the central directory; each archive's heading comes
  // again after an inner one's.
  options.innerArchiveLevels = 1;
  LongForm();
  TestRun().totals = {};
  EXPECT_EQ(List(app), kHeading + Long("A.class") + "\nArchive file of C:\\A.ZIP : inner.jar\n\n" +
                           Long("B.class") + kHeading + Long("Z.class"));
  EXPECT_EQ(TestRun().totals.count, 3u);
  WantOf(options, *ArchiveFormatNamed("ZIP")) = {true, NameText("*.ZIP")};
  EXPECT_EQ(List(app), kHeading + Long("A.class") + Long("Z.class"));
}

}  // namespace
