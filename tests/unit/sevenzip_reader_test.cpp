// The 7z reader: fixtures made by 7zz (tests/data/make_7z_fixtures.sh), their
// header encoded here again through other filter chains, and headers built
// here byte by byte, good and damaged.
#include "finder/archive/sevenzip_reader.h"

#include <gtest/gtest.h>
#include <lzma.h>

#include "archive_test_support.h"

namespace {

using namespace archive_test;

constexpr const char* kArchive = "C:\\A.7Z";

std::string List(const Bytes& archive, LocalTimeConverter toLocal = UtcLocal) {
  RecordingSink sink;
  MemoryByteSource source(archive.data(), archive.size());
  ListMembers("7Z", source, sink, toLocal);
  return sink.out;
}

std::string ShortLines(std::initializer_list<std::string> names) {
  std::string out;
  for (const std::string& name : names) out += std::string(kArchive) + " : " + name + "\n";
  return out;
}

void PutNumber(Bytes& out, std::uint64_t value) {
  if (value < 0x80) return Put8(out, value);
  Put8(out, 0xFF);
  Put32(out, value & 0xFFFFFFFF);
  Put32(out, value >> 32);
}

// The archive around `header`: signature header, `packed`, then the header.
Bytes Wrap(const Bytes& packed, const Bytes& header) {
  Bytes tail;
  Put32(tail, packed.size());
  Put32(tail, 0);
  Put32(tail, header.size());
  Put32(tail, 0);
  Put32(tail, lzma_crc32(header.data(), header.size(), 0));
  Bytes out = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C, 0, 4};
  Put32(out, lzma_crc32(tail.data(), tail.size(), 0));
  Append(out, tail);
  Append(out, packed);
  Append(out, header);
  return out;
}

// The packed streams and the header of a fixture.
std::pair<Bytes, Bytes> Split(const Bytes& archive) {
  const std::size_t at = 32 + (archive[12] | archive[13] << 8);
  return {Bytes(archive.begin() + 32, archive.begin() + at),
          Bytes(archive.begin() + at, archive.end())};
}

// `header` encoded by liblzma's raw encoder through `filters` (in liblzma's
// order), each with the 7z coder id `ids` names and its properties, behind
// the members' `packed` data, and the encoded header that points at it.
Bytes Encode(const Bytes& packed, const Bytes& header, std::vector<lzma_filter> filters,
             std::vector<Bytes> ids) {
  filters.push_back({LZMA_VLI_UNKNOWN, nullptr});
  Bytes coded(header.size() * 2 + 1024);
  std::size_t codedSize = 0;
  EXPECT_EQ(lzma_raw_buffer_encode(filters.data(), nullptr, header.data(), header.size(),
                                   coded.data(), &codedSize, coded.size()),
            LZMA_OK);
  coded.resize(codedSize);
  Bytes encoded = {0x17, 0x06};
  PutNumber(encoded, packed.size());
  encoded.insert(encoded.end(), {0x01, 0x09});
  PutNumber(encoded, codedSize);
  encoded.insert(encoded.end(), {0x00, 0x07, 0x0B, 0x01, 0x00});
  PutNumber(encoded, ids.size());
  for (std::size_t i = 0; i < ids.size(); ++i) {
    std::uint32_t size = 0;
    lzma_properties_size(&size, &filters[i]);
    Bytes properties(size);
    lzma_properties_encode(&filters[i], properties.data());
    Put8(encoded, ids[i].size() | (size ? 0x20 : 0));
    Append(encoded, ids[i]);
    if (size) PutNumber(encoded, size), Append(encoded, properties);
  }
  for (std::size_t i = 1; i < ids.size(); ++i) Put8(encoded, i - 1), Put8(encoded, i);
  Put8(encoded, 0x0C);
  for (std::size_t i = 0; i < ids.size(); ++i) PutNumber(encoded, header.size());
  encoded.insert(encoded.end(), {0x0A, 0x01});
  Put32(encoded, lzma_crc32(header.data(), header.size(), 0));
  encoded.insert(encoded.end(), {0x00, 0x00});
  Bytes all = packed;
  Append(all, coded);
  return Wrap(all, encoded);
}

class SevenZipReader : public ::testing::Test {
 protected:
  void SetUp() override { ResetSearch("*", kArchive); }
  void TearDown() override { TestRun() = RunContext(); }
};

const std::string kLong = std::string(150, 'l') + ".txt";
const std::string kFiles =
    ShortLines({"empty.txt", "README.TXT", "guide.txt", "日本語.txt", kLong});
const std::string kLongForm = std::string("\nArchive file of C:\\A.7Z\n\n") +
                              "10/01/02  03:04:06             0 ___A empty.txt\n" +
                              "04/05/17  13:45:20            15 __RA README.TXT\n" +
                              "99/12/31  23:59:58           360 ___A guide.txt\n" +
                              "21/03/04  09:08:06             8 ___A 日本語.txt\n" +
                              "21/03/04  09:08:06             1 ___A " + kLong + "\n";

TEST_F(SevenZipReader, FixturesListTheirFilesButNotTheirFolders) {
  for (const char* name : {"solid.7z", "nonsolid.7z", "plainhdr.7z", "dataenc.7z"}) {
    SCOPED_TRACE(name);
    SetUp();
    EXPECT_EQ(List(Fixture(name)), kFiles);
    UseLongForm();
    EXPECT_EQ(List(Fixture(name)), kLongForm);
  }
  EXPECT_EQ(List(Fixture("hdrenc.7z")), "");
}

TEST_F(SevenZipReader, PathsUnderWAndCriteria) {
  const Bytes archive = Fixture("solid.7z");
  ResetSearch("*.txt", kArchive);
  TestRun().options.wholeMemberPaths = true;
  EXPECT_EQ(List(archive), ShortLines({"docs\\empty.txt", "README.TXT", "docs\\guide.txt",
                                       "docs\\日本語.txt", kLong}));
  TestRun().options.wholeMemberPaths = false;
  TestRun().options.sizeMode = RangeMode::AtLeast;
  TestRun().options.sizeLow = 8;
  EXPECT_EQ(List(archive), ShortLines({"README.TXT", "guide.txt", "日本語.txt"}));
  ResetSearch("*", kArchive);
  TestRun().options.attributesRequired = 0x01;
  EXPECT_EQ(List(archive), ShortLines({"README.TXT"}));
  // Stamps are UTC, compared in local time: nine hours east, 09:08:06 is
  // 18:08:06 and 23:59:58 is 08:59:58.
  ResetSearch("*", kArchive);
  TestRun().options.timeMode = RangeMode::AtLeast;
  TestRun().options.timeLow = PackDosTime(18, 0, 0);
  EXPECT_EQ(List(archive, EastLocal), ShortLines({"README.TXT", "日本語.txt", kLong}));
  EXPECT_EQ(List(archive, UtcLocal), ShortLines({"guide.txt"}));
}

TEST_F(SevenZipReader, SelfExtractingStubChangesNothing) {
  Bytes archive = {'M', 'Z'};
  archive.resize(3000);
  const Bytes stray = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C, 0, 4, 1, 2, 3, 4};
  std::copy(stray.begin(), stray.end(), archive.begin() + 700);
  Append(archive, Fixture("solid.7z"));
  EXPECT_EQ(List(archive), kFiles);
}

// 7zz encodes headers with LZMA alone; other archivers put filters in front.
TEST_F(SevenZipReader, EncodedHeadersThroughFilterChains) {
  auto [packed, header] = Split(Fixture("plainhdr.7z"));
  lzma_options_lzma lzma;
  lzma_lzma_preset(&lzma, 1);
  lzma_options_delta delta{};
  delta.type = LZMA_DELTA_TYPE_BYTE;
  delta.dist = 2;
  const Bytes kLzma = {3, 1, 1}, kLzma2 = {0x21}, kX86 = {3, 3, 1, 3}, kDelta = {3};
  const lzma_filter lzma1 = {LZMA_FILTER_LZMA1, &lzma}, lzma2 = {LZMA_FILTER_LZMA2, &lzma};
  const lzma_filter x86 = {LZMA_FILTER_X86, nullptr}, deltaFilter = {LZMA_FILTER_DELTA, &delta};
  EXPECT_EQ(List(Encode(packed, header, {lzma1}, {kLzma})), kFiles);
  EXPECT_EQ(List(Encode(packed, header, {lzma2}, {kLzma2})), kFiles);
  EXPECT_EQ(List(Encode(packed, header, {x86, lzma2}, {kX86, kLzma2})), kFiles);
  EXPECT_EQ(List(Encode(packed, header, {deltaFilter, lzma1}, {kDelta, kLzma})), kFiles);
  // An encoded header that decodes to another one.
  const Bytes once = Encode(packed, header, {lzma1}, {kLzma});
  auto [packedOnce, headerOnce] = Split(once);
  EXPECT_EQ(List(Encode(packedOnce, headerOnce, {lzma2}, {kLzma2})), kFiles);
}

// ---- Damage: each row lists what comes before the damage and stops there. ---

TEST_F(SevenZipReader, DamageEndsTheArchiveQuietly) {
  const Bytes good = Fixture("plainhdr.7z");
  auto [packed, header] = Split(good);
  // The start header patched, its CRC made right again.
  const auto signed_ = [&](std::size_t at, std::uint64_t value) {
    Bytes bytes = Patched(good, at, value, 4);
    return Patched(bytes, 8, lzma_crc32(bytes.data() + 12, 20, 0), 4);
  };
  const auto find = [&](std::initializer_list<std::uint8_t> bytes) {
    return static_cast<std::size_t>(
        std::search(header.begin(), header.end(), bytes.begin(), bytes.end()) - header.begin());
  };
  const auto rewrapped = [&](std::size_t at, std::uint64_t value, int width = 1) {
    return Wrap(packed, Patched(header, at, value, width));
  };
  const struct {
    const char* what;
    Bytes archive;
    std::string expected;
  } rows[] = {
      {"the start header's CRC", Patched(good, 8, 0), ""},
      {"the next header's CRC", Patched(good, 28, 0), ""},
      {"the header cut short", Cut(good, 1), ""},
      {"the header past the end", signed_(12, 1u << 20), ""},
      {"the header over 64 MiB", signed_(20, (64u << 20) + 1), ""},
      {"no kHeader", rewrapped(0, 0x02), ""},
      {"a folder count past the header", rewrapped(find({0x07, 0x0B, 0x01}) + 2, 0x7F), ""},
      {"more files than the empty-stream bits", rewrapped(find({0x05, 0x07}) + 1, 0x7F), ""},
      {"a stream larger than its folder", rewrapped(find({0x09, 0x0F, 0x81, 0x68}) + 2, 0xFF8F, 2),
       ShortLines({"empty.txt", "README.TXT"})},
      {"the last name unterminated", rewrapped(find({0x74, 0, 0, 0, 0x19}) + 2, 'x', 2),
       ShortLines({"empty.txt", "README.TXT", "guide.txt", "日本語.txt"})},
      {"an AES-encrypted header", Fixture("hdrenc.7z"), ""},
  };
  for (const auto& row : rows) EXPECT_EQ(List(row.archive), row.expected) << row.what;
}

// An archive of one folder per entry of `folders`, each its files' data one
// behind the other, copied (coder 0x00) or, with `lzma2`, marked LZMA2-packed
// (its data then never read here).
struct CopyFile {
  std::string name;  // ASCII
  Bytes data;
};
Bytes CopyArchive(const std::vector<std::vector<CopyFile>>& folders, bool lastPacked = false) {
  Bytes packed, header = {0x01, 0x04, 0x06, 0};  // header, main streams, pack info at 0
  PutNumber(header, folders.size());
  Put8(header, 0x09);
  for (const auto& files : folders) {
    std::size_t size = 0;
    for (const CopyFile& file : files) size += file.data.size(), Append(packed, file.data);
    PutNumber(header, size);
  }
  PutText(header, std::string_view("\x00\x07\x0B", 3));  // end, unpack info, folders
  PutNumber(header, folders.size());
  Put8(header, 0);
  for (std::size_t f = 0; f < folders.size(); ++f)
    PutText(header, lastPacked && f + 1 == folders.size()
                        ? std::string_view("\x01\x21\x21\x01\x18", 5)
                        : std::string_view("\x01\x01\x00", 3));
  Put8(header, 0x0C);
  for (const auto& files : folders) {
    std::size_t size = 0;
    for (const CopyFile& file : files) size += file.data.size();
    PutNumber(header, size);
  }
  PutText(header, std::string_view("\x00\x08\x0D", 3));  // end, substreams, their counts
  for (const auto& files : folders) PutNumber(header, files.size());
  Put8(header, 0x09);
  for (const auto& files : folders)
    for (std::size_t i = 0; i + 1 < files.size(); ++i) PutNumber(header, files[i].data.size());
  PutText(header, std::string_view("\x00\x00\x05", 3));  // end, end, files info
  Bytes names = {0};
  std::size_t count = 0;
  for (const auto& files : folders)
    for (const CopyFile& file : files) {
      for (char c : file.name) Put16(names, static_cast<unsigned char>(c));
      Put16(names, 0);
      ++count;
    }
  PutNumber(header, count);
  Put8(header, 0x11);
  PutNumber(header, names.size());
  Append(header, names);
  PutText(header, std::string_view("\x00\x00", 2));
  return Wrap(packed, header);
}

// /M: a file of a copied folder that is an archive is read in place, at its
// offset in the folder; one of a packed folder is only listed.
TEST_F(SevenZipReader, ArchivesInCopiedFoldersAreOpened) {
  const Bytes inner = CopyArchive({{{"deep.txt", {'d'}}}});
  const Bytes outer = CopyArchive({{{"a.txt", {'a', 'b', 'c'}}, {"dir/in.7z", inner}},
                                   {{"b.txt", {'b'}}, {"packed.7z", inner}}},
                                  true);
  WantOf(TestRun().options, *ArchiveFormatNamed("7Z")) = {true, NameText("*.7Z")};
  TestRun().options.innerArchiveLevels = 1;
  EXPECT_EQ(List(outer), ShortLines({"a.txt", "in.7z", "in.7z : deep.txt", "b.txt", "packed.7z"}));
  TestRun().options.innerArchiveLevels = 0;
  EXPECT_EQ(List(outer), ShortLines({"a.txt", "in.7z", "b.txt", "packed.7z"}));
}

}  // namespace
