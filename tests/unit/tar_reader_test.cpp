// The tar reader on archives made by GNU tar (tests/data/make_tar_fixtures.sh)
// and on headers built here, good and damaged.
#include "finder/archive/tar_reader.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "archive_test_support.h"

namespace {

using namespace archive_test;

constexpr const char* kArchive = "C:\\T\\A.TAR";
const std::string kHeading = "\nArchive file of C:\\T\\A.TAR\n\n";

std::string List(const Bytes& archive, std::string_view kind = "TAR") {
  RecordingSink sink;
  MemoryByteSource source(archive.data(), archive.size());
  ListMembers(kind, source, sink, EastLocal);
  return sink.out;
}

std::string Lines(std::initializer_list<const char*> names) {
  std::string out;
  for (const char* name : names) out += std::string(kArchive) + " : " + name + "\n";
  return out;
}

// A header of `name`, with octal fields unless a field is given whole.
struct Fields {
  std::string name = "FILE.TXT";
  char type = '0';
  std::string size = "00000000005";
  std::string mtime = "14020121567";  // 2021-03-04 09:08:07 UTC
  std::string mode = "0000644";
  std::string prefix;
  bool ustar = true;
  bool signedSum = false;
};
Bytes Header(const Fields& fields) {
  Bytes header(512, 0);
  const auto put = [&](std::size_t at, std::string_view text) {
    std::copy(text.begin(), text.end(), header.begin() + static_cast<std::ptrdiff_t>(at));
  };
  put(0, fields.name);
  put(100, fields.mode);
  put(124, fields.size);
  put(136, fields.mtime);
  put(345, fields.prefix);
  header[156] = static_cast<std::uint8_t>(fields.type);
  if (fields.ustar)
    put(257, std::string_view("ustar\0"
                              "00",
                              8));
  put(148, "        ");
  long sum = 0;
  for (std::uint8_t byte : header) sum += fields.signedSum ? static_cast<signed char>(byte) : byte;
  char text[8];
  std::snprintf(text, sizeof text, "%06lo", static_cast<unsigned long>(sum) & 0777777);
  put(148, std::string_view(text, 7));
  return header;
}
// A member: its header and `data` padded to whole blocks.
Bytes Member(const Fields& fields, std::string_view data = "hello") {
  Bytes out = Header(fields);
  PutText(out, data);
  out.resize((out.size() + 511) / 512 * 512, 0);
  return out;
}
Bytes Archive(std::initializer_list<Bytes> members) {
  Bytes out;
  for (const Bytes& member : members) Append(out, member);
  out.resize(out.size() + 1024, 0);
  return out;
}
// An extended header of `records`, "LENGTH KEY=VALUE\n" each.
Bytes Extended(std::string_view records, char type = 'x') {
  Fields fields;
  fields.name = "PaxHeaders/FILE";
  fields.type = type;
  char size[12];
  std::snprintf(size, sizeof size, "%011zo", records.size());
  fields.size = size;
  return Member(fields, records);
}

class TarReader : public ::testing::Test {
 protected:
  void SetUp() override { ResetSearch("*", kArchive); }
};

// As Python's tarfile lists them; the local zone is nine hours east.
TEST_F(TarReader, FixturesList) {
  const std::string kPaxLines =
      "21/03/04  18:08:06             8 ____ \xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e.txt\n"
      "04/05/17  22:45:20            15 __R_ README.TXT\n";
  const std::string kSparseLine = "10/01/02  12:04:06     1,048,576 ____ holes.bin\n";
  UseLongForm();
  const struct {
    const char* fixture;
    const char* kind;
    std::string expected;
  } rows[] = {
      {"gnu.tar", "TAR",
       "04/05/17  22:45:20            15 __R_ README.TXT\n"
       "00/01/01  08:59:58           360 ____ guide.txt\n"
       "21/03/04  18:08:06             1 ____ " +
           std::string(150, 'l') +
           ".txt\n"
           "10/01/02  12:04:06             0 ____ link.txt\n"
           "00/01/01  08:59:58             0 ____ hard.txt\n"},
      {"pax.tar", "TAR", kPaxLines},
      {"v7.tar", "TAR",
       "04/05/17  22:45:20            15 __R_ README.TXT\n"
       "00/01/01  08:59:58           360 ____ guide.txt\n"},
      {"sparse.tar", "TAR", kSparseLine},
      {"sparsepax.tar", "TAR", kSparseLine},
      {"pax.tgz", "TGZ", kPaxLines},
      {"multi.tgz", "TGZ", kPaxLines},
      {"pax.txz", "TXZ", kPaxLines},
      {"pax.tar.zst", "TZST", kPaxLines},
      {"pax.tbz2", "TBZ", kPaxLines},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.fixture);
    EXPECT_EQ(List(Fixture(row.fixture), row.kind), kHeading + row.expected);
  }
}

// Headers GNU tar writes only for large or odd members, built here.
TEST_F(TarReader, BuiltHeadersList) {
  Fields base256, prefixed, oldSum, v7, old;
  base256.name = "BIG.DAT";
  base256.size = std::string("\x80\0\0\0\0\0\0\x01\x23\x45\x67\x89", 12);
  base256.mtime = std::string(11, '\xFF') + '\xFE';  // 1969-12-31 23:59:58
  prefixed.prefix = "a/b";
  prefixed.mode = "0000444";
  oldSum.name = "caf\xe9.txt";  // not UTF-8: the ANSI code page
  oldSum.signedSum = true;
  v7.ustar = false;
  v7.name = "V7.TXT";
  old.name = "DIR/";  // a v7 folder
  old.type = '\0';
  old.size = "0";
  old.ustar = false;
  const Bytes archive = Archive({
      Extended("6 g=1\n", 'g'),
      Extended("19 path=pax/\xc3\xa9.txt\n10 size=3\n15 mtime=-12.5\n15 comment=a=b\n"),
      Member({}, "abc"),
      Member(prefixed),
      Member(oldSum),
      Member(v7),
      Member(old, ""),
      Header(base256),
  });
  UseLongForm();
  EXPECT_EQ(List(archive), kHeading +
                               "80/01/01  00:00:00             3 ____ \xc3\xa9.txt\n"
                               "21/03/04  18:08:07             5 __R_ FILE.TXT\n"
                               "21/03/04  18:08:07             5 ____ caf\xe9.txt\n"
                               "21/03/04  18:08:07             5 ____ V7.TXT\n"
                               "80/01/01  00:00:00 4,886,718,345 ____ BIG.DAT\n");
  ResetSearch("*.TXT", kArchive);
  TestRun().options.wholeMemberPaths = true;
  EXPECT_EQ(List(archive), Lines({"pax\\\xc3\xa9.txt", "a\\b\\FILE.TXT", "caf\xe9.txt", "V7.TXT"}));
}

TEST_F(TarReader, DamageEndsTheArchiveQuietly) {
  Fields first, next, bad;
  first.name = "FIRST";
  next.name = "NEXT";
  bad.name = "BAD";
  const auto between = [&](const Bytes& damaged) {
    return Archive({Member(first), damaged, Member(next)});
  };
  const Bytes good = Member(bad);
  const std::string listed = Lines({"FIRST"});
  Fields garbled = bad, unsummed = first, huge = bad;
  huge.type = 'x';
  huge.size = "00010000000";
  garbled.size = "0000000x005";
  unsummed.ustar = false;
  unsummed.name = "";
  const struct {
    const char* what;
    Bytes archive;
    std::string expected;
  } rows[] = {
      {"checksum wrong", between(Patched(good, 0, 'b')), listed},
      {"size no number", between(Member(garbled)), listed},
      {"a zero block", between(Bytes(512, 0)), listed},
      {"header cut", Cut(Archive({Member(first), good}), 1024 + 600), listed},
      // The member's header is whole and it is listed.
      {"data cut", Cut(Archive({Member(first), good}), 1024 + 500), Lines({"FIRST", "BAD"})},
      {"extended length past its records", between(Extended("99 path=X\n")), listed},
      {"extended record without =", between(Extended("9 path-X\n")), listed},
      {"extended length no number", between(Extended("1x path=X\n")), listed},
      {"extended header of 2 MiB", between(Header(huge)), listed},
      {"first header's checksum", Archive({Patched(good, 0, 'b')}), ""},
      {"v7 header without a name", Archive({Member(unsummed)}), ""},
      {"empty file", Bytes{}, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(List(row.archive), row.expected);
  }
}

// A stream cut short or damaged ends the archive where its decoder stops;
// the members before it stay listed. A compressed stream that holds no tar
// lists nothing.
TEST_F(TarReader, DamagedStreamsEndQuietly) {
  ResetSearch("*", kArchive);
  Fields readme;
  readme.name = "README";
  // Two members of 64 KiB, so that the first is decoded before the damage.
  const Bytes tar = Archive({Member(readme, std::string(65536, 'r')), Member(readme)});
  const struct {
    const char* kind;
    const char* fixture;
  } kinds[] = {
      {"TGZ", "pax.tgz"}, {"TXZ", "pax.txz"}, {"TZST", "pax.tar.zst"}, {"TBZ", "pax.tbz2"}};
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.kind);
    const Bytes packed = Fixture(kind.fixture);
    EXPECT_EQ(List(Cut(packed, packed.size() / 2), kind.kind), "");
    // Where a flipped byte lands in member data that no check covers before
    // the end of the tar, the listing is whole; it never goes past it.
    const std::string whole = List(packed, kind.kind);
    for (std::size_t at = 0; at < packed.size(); at += 7) {
      const std::string damaged = List(Patched(packed, at, packed[at] ^ 0x10), kind.kind);
      EXPECT_EQ(damaged, whole.substr(0, damaged.size())) << at;
    }
    EXPECT_EQ(List(tar, kind.kind), "");
  }
}

// /M: a tar stored in a tar is read where it stands, behind its name as
// listed.
TEST_F(TarReader, TarsInsideTarsAreOpenedWhereTheyStand) {
  Fields inner, outer, after;
  inner.name = "IN.TXT";
  outer.name = "dir/inner.tar";
  after.name = "AFTER.TXT";
  const Bytes innerTar = Archive({Member(inner)});
  char octal[16];
  std::snprintf(octal, sizeof octal, "%011o", static_cast<unsigned>(innerTar.size()));
  outer.size = octal;
  const Bytes tar =
      Archive({Member(outer, std::string_view(reinterpret_cast<const char*>(innerTar.data()),
                                              innerTar.size())),
               Member(after)});
  RunContext& run = archive_test::TestRun();
  WantOf(run.options, *ArchiveFormatNamed("TAR")) = {true, NameText("*.TAR")};
  run.options.innerArchiveLevels = 1;
  EXPECT_EQ(List(tar), Lines({"inner.tar", "inner.tar : IN.TXT", "AFTER.TXT"}));
  run.options.wholeMemberPaths = true;
  EXPECT_EQ(List(tar), Lines({"dir\\inner.tar", "dir\\inner.tar : IN.TXT", "AFTER.TXT"}));
  run.options.innerArchiveLevels = 0;
  EXPECT_EQ(List(tar), Lines({"dir\\inner.tar", "AFTER.TXT"}));
}

}  // namespace
