// The RAR reader on archives of both layouts built here byte by byte (no
// free tool writes RAR), good and damaged.
#include "finder/archive/rar_reader.h"

#include <gtest/gtest.h>

#include "archive_test_support.h"

namespace {

using namespace archive_test;

constexpr const char* kArchive = "C:\\T\\A.RAR";
constexpr std::uint32_t kUnix2021 = 1614848887;  // 2021-03-04 09:08:07 UTC
constexpr std::uint32_t kDos2021 = 0x52644903;   // 2021-03-04 09:08:06 (date << 16 | time)
// An hour and half a second later, as a FILETIME.
constexpr std::uint64_t kFileTime2021 = (kUnix2021 + 3600 + 11644473600ull) * 10000000 + 5000000;

std::string List(const Bytes& archive) {
  RecordingSink sink;
  MemoryByteSource source(archive.data(), archive.size());
  ListMembers("RAR", source, sink, EastLocal);
  return sink.out;
}

std::string Lines(std::initializer_list<const char*> names) {
  std::string out;
  for (const char* name : names) out += std::string(kArchive) + " : " + name + "\n";
  return out;
}
const std::string kHeading = "\nArchive file of C:\\T\\A.RAR\n\n";

// RAR 5: blocks of variable-length numbers behind their CRC.
void PutNumber(Bytes& out, std::uint64_t value) {
  for (; value >= 0x80; value >>= 7) Put8(out, (value & 0x7F) | 0x80);
  Put8(out, static_cast<unsigned>(value));
}

// `stated`: a data size stated without the data behind it.
Bytes Block5(unsigned type, const Bytes& fields, const Bytes& extra = {}, const Bytes& data = {},
             unsigned flags = 0, std::uint64_t stated = 0) {
  Bytes body;
  PutNumber(body, type);
  PutNumber(body, flags | (extra.empty() ? 0 : 1) | (data.empty() && !stated ? 0 : 2));
  if (!extra.empty()) PutNumber(body, extra.size());
  if (!data.empty() || stated) PutNumber(body, stated ? stated : data.size());
  Append(body, fields);
  Append(body, extra);
  Bytes sized, out;
  PutNumber(sized, body.size());
  Append(sized, body);
  Put32(out, RarCrc32(sized));
  Append(out, sized);
  Append(out, data);
  return out;
}

Bytes Member5(std::string_view name, std::uint64_t size = 5, unsigned host = 0,
              unsigned attributes = 0x20, unsigned fileFlags = 0x04, unsigned blockFlags = 0,
              const Bytes& extra = {}, const Bytes& data = {'x', 'y', 'z'}) {
  Bytes fields;
  for (std::uint64_t value : {std::uint64_t{fileFlags}, size, std::uint64_t{attributes}})
    PutNumber(fields, value);
  if (fileFlags & 2) Put32(fields, kUnix2021);
  if (fileFlags & 4) Put32(fields, 0x12345678);  // data CRC
  for (std::uint64_t value : {std::uint64_t{0}, std::uint64_t{host}, name.size()})
    PutNumber(fields, value);  // stored, the host, the name's length
  PutText(fields, name);
  return Block5(2, fields, extra, data, blockFlags);
}
// A stamps record holding the modification time: Unix seconds and
// nanoseconds (flags 0x13), or a FILETIME (flags 0x02).
Bytes Stamps5(unsigned flags, std::uint64_t stamp) {
  Bytes out = {10, 3, static_cast<std::uint8_t>(flags)};
  Put32(out, static_cast<std::uint32_t>(stamp));
  Put32(out, static_cast<std::uint32_t>(flags & 1 ? 999999999 : stamp >> 32));
  return out;
}

Bytes Archive5(std::initializer_list<Bytes> blocks, bool end = true) {
  Bytes out;
  PutText(out, std::string_view("Rar!\x1A\x07\x01\x00", 8));
  Append(out, Block5(1, {0}));
  for (const Bytes& block : blocks) Append(out, block);
  if (end) Append(out, Block5(5, {0}));
  return out;
}

// RAR 1.5-4: the marker, the archive block, the blocks, the end block.
Bytes Block4(unsigned type, unsigned flags, const Bytes& rest, const Bytes& data = {}) {
  Bytes out = {0, 0, static_cast<std::uint8_t>(type)};
  Put16(out, flags);
  Put16(out, 7 + rest.size());
  Append(out, rest);
  out = Patched(out, 0, RarCrc32(std::span(out).subspan(2)), 2);
  Append(out, data);
  return out;
}

// A file block, or a subblock (0x7A), which is laid out as one. `tail`
// follows the name: salt, extended stamps.
Bytes Member4(std::string_view name, std::uint64_t size = 5, unsigned flags = 0, unsigned host = 2,
              std::uint32_t attributes = 0x20, const Bytes& tail = {}, unsigned type = 0x74,
              const Bytes& data = {'x', 'y', 'z'}) {
  Bytes rest;
  Put32(rest, static_cast<std::uint32_t>(data.size()));
  Put32(rest, static_cast<std::uint32_t>(size));
  Put8(rest, host);
  Put32(rest, 0x12345678);  // data CRC
  Put32(rest, kDos2021);
  Put16(rest, 0x301D);  // version 2.9, stored
  Put16(rest, name.size());
  Put32(rest, attributes);
  if (flags & 0x100) Put32(rest, 0), Put32(rest, static_cast<std::uint32_t>(size >> 32));
  PutText(rest, name);
  Append(rest, tail);
  return Block4(type, flags | 0x8000, rest, data);
}

Bytes Archive4(std::initializer_list<Bytes> blocks, unsigned flags = 0, bool end = true) {
  Bytes out;
  PutText(out, std::string_view("Rar!\x1A\x07\x00", 7));
  Append(out, Block4(0x73, flags, Bytes(6, 0)));
  for (const Bytes& block : blocks) Append(out, block);
  if (end) Append(out, Block4(0x7B, 0x4000, {}));
  return out;
}

// "DIR\日本.TXT": the code-page name (932), then the Unicode form: high byte
// 0x67; ways 3 (a run of 4 copied), 2 (both bytes), 1 (under the high
// byte), 0 (a byte), then three more bytes.
const std::string kWideField("DIR\\\x93\xfa\x96\x7b.TXT\0\x67\xe4\x02\xe5\x65\x2c\x2e\x00TXT", 24);

class RarReader : public ::testing::Test {
 protected:
  void SetUp() override { ResetSearch("*", kArchive); }
};

// Folders, service blocks and members continued from another volume are
// passed over. RAR 5 stamps are UTC (the local zone here is nine hours
// east), RAR 4 stamps local with an odd second from the extended stamps.
TEST_F(RarReader, BothLayoutsList) {
  const Bytes five = Archive5({
      Member5("DIR/WIN.TXT", 1234567, 0, 0x21, 0x04, 0, Stamps5(2, kFileTime2021)),
      Member5("unix.txt", 7, 1, 0100444, 0x04, 0, Stamps5(0x13, kUnix2021 + 60)),
      Member5("plain.txt", 5, 1, 0100644, 0x06),
      Member5("DIR", 0, 0, 0x10, 0x01),
      Block5(3, {0, 0, 0, 0, 0, 3, 'C', 'M', 'T'}, {}, {'h', 'i'}),
      Member5("SPLIT.TXT", 5, 0, 0x20, 0x04, 0x08),
  });
  const Bytes four = Archive4({
      Member4("DIR\\CP.TXT"),
      Member4(kWideField, 5, 0x200),
      Member4("UTF8/\xc3\xa9.TXT", 5, 0x200, 3, 0100444),
      Member4("BIG.DAT", 0x123456789ull, 0x100 | 0x1000, 2, 0x20, {0x00, 0xC0}),
      // A run shifted by a correction of 1; a run past the code-page name,
      // which is listed instead.
      Member4(std::string_view("AB\0\x00\xc0\x80\x01", 7), 5, 0x200),
      Member4(std::string_view("A\0\x00\xc0\x01", 5), 5, 0x200),
      Member4("DIR", 0, 0xE0, 2, 0x10),
      Member4("CMT", 5, 0, 2, 0x20, {}, 0x7A),
      Member4("CONT.TXT", 5, 0x01),
  });
  // A stub in front is passed, a marker of another version in it too.
  for (const Bytes& archive : {five, four}) {
    Bytes stub(3000, 'R');
    PutText(stub, "Rar!\x1A\x07\x02");
    Append(stub, archive);
    EXPECT_EQ(List(stub), List(archive));
  }
  UseLongForm();
  EXPECT_EQ(List(five), kHeading +
                            "21/03/04  19:08:07     1,234,567 __RA WIN.TXT\n"
                            "21/03/04  18:09:07             7 __R_ unix.txt\n"
                            "21/03/04  18:08:07             5 ____ plain.txt\n");
  EXPECT_EQ(List(four), kHeading +
                            "21/03/04  09:08:06             5 ___A CP.TXT\n"
                            "21/03/04  09:08:06             5 ___A \xe6\x97\xa5\xe6\x9c\xac.TXT\n"
                            "21/03/04  09:08:06             5 __R_ \xc3\xa9.TXT\n"
                            "21/03/04  09:08:07 4,886,718,345 ___A BIG.DAT\n"
                            "21/03/04  09:08:06             5 ___A BC\n"
                            "21/03/04  09:08:06             5 ___A A\n");
  ResetSearch("*.TXT", kArchive);
  TestRun().options.wholeMemberPaths = true;
  EXPECT_EQ(List(five), Lines({"DIR\\WIN.TXT", "unix.txt", "plain.txt"}));
  EXPECT_EQ(List(four),
            Lines({"DIR\\CP.TXT", "DIR\\\xe6\x97\xa5\xe6\x9c\xac.TXT", "UTF8\\\xc3\xa9.TXT"}));
}

// Encrypted headers cannot be read: nothing is listed.
TEST_F(RarReader, DamageAndEncryptionEndTheArchiveQuietly) {
  const Bytes good5 = Member5("BAD"), good4 = Member4("BAD");
  const auto between5 = [](const Bytes& bad) {
    return Archive5({Member5("FIRST"), bad, Member5("NEXT")});
  };
  const auto between4 = [](const Bytes& bad) {
    return Archive4({Member4("FIRST"), bad, Member4("NEXT")});
  };
  const std::string first = Lines({"FIRST"});
  const struct {
    const char* what;
    Bytes archive;
    std::string expected;
  } rows[] = {
      {"RAR 5 CRC wrong", between5(Patched(good5, 0, good5[0] ^ 1)), first},
      {"RAR 5 header size of 4 bytes", between5(Patched(good5, 4, 0x80808080, 4)), first},
      {"RAR 5 header size of 1", between5(Patched(good5, 4, 1)), first},
      {"RAR 5 name past the header", between5(Block5(2, {0, 5, 0x20, 0, 0, 9, 'B'})), first},
      {"RAR 5 extra record past the header",
       between5(Block5(2, {0, 5, 0x20, 0, 0, 1, 'B'}, {0x7F, 3})), first},
      // The member itself is whole and listed; the skip behind it cannot be made.
      {"RAR 5 data beyond any seek",
       between5(Block5(2, {0, 5, 0x20, 0, 0, 1, 'B'}, {}, {}, 0, 1ull << 63)),
       Lines({"FIRST", "B"})},
      {"RAR 5 marker's eighth byte", Patched(Archive5({good5}), 7, 1), ""},
      {"RAR 5 cut", Cut(Archive5({Member5("FIRST"), good5}, false), 6), first},
      {"RAR 4 CRC wrong", between4(Patched(good4, 0, good4[0] ^ 1)), first},
      {"RAR 4 header size below 7", between4(Patched(good4, 5, 6, 2)), first},
      {"RAR 4 file header short of its fields", between4(Block4(0x74, 0x8000, Bytes(13, 0))),
       first},
      {"RAR 4 cut", Cut(Archive4({Member4("FIRST"), good4}, 0, false), 6), first},
      {"empty file", Bytes{}, ""},
      {"RAR 5 encryption block", Archive5({Block5(4, {0, 0, 15}), good5}), ""},
      {"RAR 4 headers encrypted", Archive4({good4}, 0x80), ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(List(row.archive), row.expected);
  }
}

// /M: a stored member that is an archive is read in place; an encrypted one
// is only listed.
TEST_F(RarReader, StoredArchivesInsideAreOpened) {
  WantOf(TestRun().options, *ArchiveFormatNamed("RAR")) = {true, NameText("*.RAR")};
  TestRun().options.innerArchiveLevels = 1;
  const Bytes inner4 = Archive4({Member4("DEEP.TXT")});
  EXPECT_EQ(List(Archive4({Member4("DIR\\IN.RAR", inner4.size(), 0, 2, 0x20, {}, 0x74, inner4),
                           Member4("ENC.RAR", inner4.size(), 0x04, 2, 0x20, {}, 0x74, inner4),
                           Member4("B.TXT")})),
            Lines({"IN.RAR", "IN.RAR : DEEP.TXT", "ENC.RAR", "B.TXT"}));
  const Bytes inner5 = Archive5({Member5("deep.txt")});
  const Bytes encryption = {2, 1, 0};
  EXPECT_EQ(List(Archive5({Member5("dir/in.rar", inner5.size(), 0, 0x20, 0, 0, {}, inner5),
                           Member5("enc.rar", inner5.size(), 0, 0x20, 0, 0, encryption, inner5)})),
            Lines({"in.rar", "in.rar : deep.txt", "enc.rar"}));
}

}  // namespace
