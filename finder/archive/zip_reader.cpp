// ZIP: in the short form the members are listed from the local headers that
// stand in front of each member's data, walking from the first one to the
// next by skipping the name, the extra field and the compressed data, so that
// a damaged or missing central directory hides nothing. The local headers
// carry no attributes: when attributes or the long form are wanted, the
// members are listed from the central directory, found through the
// end-of-central-directory record at the end of the file (and, in an archive
// past 4 GiB, through the ZIP64 end record it points to). Only an archive
// without such a record is walked over its local entries to the directory
// behind them.
//
// The local walk cannot pass what is not a member: the signing block that an
// Android package keeps in front of its directory, a gap between entries, a
// local header whose size is wrong, sizes written after the data (flag bit 3;
// the local sizes usually left 0, a data descriptor behind the data). Where
// it stops short of the directory, the directory's members behind those it
// walked are listed from there.
//
// Archives of today add two things in the extra field: ZIP64 sizes (a size
// of 0xFFFFFFFF in the header means "the real one is in the extra field"),
// and names in UTF-8, either flagged (bit 11) or carried beside the header
// name in a Unicode path field. Without them the walk would skip by the
// wrong amount and names would show as bytes of the wrong code page.
//
// A name with neither is in the OEM code page when the archive was made on
// DOS or Windows; made on Unix or macOS, it is what the system gave the
// archiver, UTF-8 nowadays, and is read so when it reads as UTF-8. The local
// header does not say where it was made: the local walk asks the first
// central header, found through the end record, once and only for a name
// that reads as UTF-8; an archive without a directory to ask has the name
// decide alone.
#include "finder/archive/zip_reader.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>

#include "common/word_bytes.h"
#include "finder/archive/byte_reader.h"
#include "finder/archive/inner_archives.h"
#include "finder/archive/member_name_part.h"
#include "finder/archive/utf8_member_name.h"
#include "finder/archive/wildcard.h"

namespace {

// Local file header, 30 bytes, then the name, the extra field and the data:
//    0 signature "PK\3\4"    4 version needed    6 flags    8 method
//   10 time                 12 date            14 CRC-32
//   18 compressed size      22 uncompressed size
//   26 name length          28 extra field length
constexpr std::uint32_t kLocalSignature = 0x04034B50;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kLocalFlags = 6;
constexpr std::size_t kLocalTime = 10;
constexpr std::size_t kLocalDate = 12;
constexpr std::size_t kLocalCompressedSize = 18;
constexpr std::size_t kLocalSize = 22;
constexpr std::size_t kLocalNameLength = 26;
constexpr std::size_t kLocalExtraLength = 28;
constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kFlagSizesAfterData = 0x0008;
constexpr std::uint16_t kFlagUtf8Name = 0x0800;

// Central directory header, 46 bytes, then the name, the extra field and the
// comment:
//    0 signature "PK\1\2"    4 version made by   6 version needed   8 flags
//   10 method               12 time            14 date            16 CRC-32
//   20 compressed size      24 uncompressed size
//   28 name length          30 extra length    32 comment length
//   34 disk number          36 internal attrs  38 external attrs (DOS bits low)
//   42 local header offset
constexpr std::uint32_t kCentralSignature = 0x02014B50;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kCentralMadeBy = 4;
constexpr std::size_t kCentralFlags = 8;
constexpr std::size_t kCentralMethod = 10;
constexpr std::size_t kCentralTime = 12;
constexpr std::size_t kCentralDate = 14;
constexpr std::size_t kCentralCompressedSize = 20;
constexpr std::size_t kCentralSize = 24;
constexpr std::size_t kCentralNameLength = 28;
constexpr std::size_t kCentralExtraLength = 30;
constexpr std::size_t kCentralCommentLength = 32;
constexpr std::size_t kCentralAttributes = 38;
constexpr std::size_t kCentralLocalOffset = 42;

// End of central directory record, 22 bytes, then the archive comment:
//    0 signature "PK\5\6"    4 this disk    6 directory's disk
//    8 entries on this disk  10 entries     12 directory size
//   16 directory offset     20 comment length
constexpr std::uint32_t kEndSignature = 0x06054B50;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kEndDirectorySize = 12;
constexpr std::size_t kEndDirectoryOffset = 16;
constexpr std::size_t kEndCommentLength = 20;
constexpr std::size_t kLongestComment = 0xFFFF;
constexpr std::uint32_t kDirectorySizeEscaped = 0xFFFFFFFF;

// ZIP64 end of central directory locator, 20 bytes right in front of the end
// record:  0 signature "PK\6\7"   4 disk of the ZIP64 end record
//          8 offset of the ZIP64 end record (8 bytes)   16 number of disks
// ZIP64 end of central directory record, 56 bytes and extensible data:
//    0 signature "PK\6\6"    4 size of the rest of the record (8 bytes)
//   12 versions   16 disks   24 entries on this disk (8)   32 entries (8)
//   40 directory size (8)   48 directory offset (8)
constexpr std::uint32_t kZip64LocatorSignature = 0x07064B50;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kZip64LocatorRecordOffset = 8;
constexpr std::uint32_t kZip64EndSignature = 0x06064B50;
constexpr std::size_t kZip64EndSize = 56;
constexpr std::size_t kZip64EndRestSize = 4;
constexpr std::size_t kZip64EndDirectorySize = 40;
constexpr std::size_t kZip64EndDirectoryOffset = 48;

// Extra field: a row of blocks, each a 2-byte id, a 2-byte size and that
// many bytes.
//   ZIP64 extended information (id 0x0001): 8-byte values for the header
//   fields that hold 0xFFFFFFFF (0xFFFF for the disk), only those, in the
//   order uncompressed size, compressed size, local header offset, disk.
//   The reader needs the sizes, which come first, and the offset.
//   Unicode path (id 0x7075): version 1, the CRC-32 of the header name, the
//   name in UTF-8; it stands for the header name only while that CRC holds.
constexpr std::uint16_t kExtraZip64 = 0x0001;
constexpr std::uint16_t kExtraUnicodePath = 0x7075;
constexpr std::uint8_t kUnicodePathVersion = 1;
constexpr std::uint32_t kEscaped32 = 0xFFFFFFFF;

// The high byte of "version made by" names the system the archive was made
// on; these two store names as the system gave them, in UTF-8 for decades,
// often without setting bit 11.
constexpr std::uint8_t kMadeOnUnix = 3;
constexpr std::uint8_t kMadeOnMacOs = 19;

constexpr std::size_t kLocalMethod = 8;
// Names, extra fields and comments have 16-bit lengths.
constexpr std::size_t kLongestVariable = 0xFFFF;

// The first header is looked for behind a self-extracting stub, whose code
// may hold the signature as a constant. Most names have at most 260 bytes;
// a header with a longer name must also name a compression method, every one
// of which is below 256, which random bytes behind a stray signature seldom
// do.
constexpr std::size_t kUsualLongestName = 260;
constexpr std::uint16_t kMethodsBelow = 256;

bool PassesLocalTest(std::span<const std::uint8_t> header) {
  ByteReader record(header);
  return record.U32At(0) == kLocalSignature &&
         (record.U16At(kLocalNameLength) <= kUsualLongestName ||
          record.U16At(kLocalMethod) < kMethodsBelow) &&
         record.ok();
}

// Where the name part begins: behind the last backslash; without one,
// behind the last slash.
struct Separators {
  const char* afterBackslash = nullptr;
  const char* afterSlash = nullptr;
  std::string_view NamePart(const char* name, const char* end) const {
    const char* start = afterBackslash ? afterBackslash : afterSlash ? afterSlash : name;
    return {start, static_cast<std::size_t>(end - start)};
  }
};

// Notes the separators among the bytes of `word`, read at `at`, that stand in
// front of the end of the name; returns that end when the word holds it, else
// null. Words may overlap: a separator seen twice is noted twice, to the same
// effect.
const char* NoteSeparators(std::uint64_t word, const char* at, Separators& found) {
  std::uint64_t backslashes = WordByteMask(word, '\\');
  std::uint64_t slashes = WordByteMask(word, '/');
  const std::uint64_t ends = WordByteMask(word, '\0');
  if (ends) {
    const std::uint64_t beforeEnd = (ends & (0 - ends)) - 1;
    backslashes &= beforeEnd;
    slashes &= beforeEnd;
  }
  if (backslashes) found.afterBackslash = at + LastMarkedByte(backslashes) + 1;
  if (slashes) found.afterSlash = at + LastMarkedByte(slashes) + 1;
  return ends ? at + FirstMarkedByte(ends) : nullptr;
}

// The part of a stored name that is matched and shown, up to the name's
// terminator. A second byte of a double-byte character is no separator.
// `name` ends in a terminator at `length` (or before it). It runs for every
// member: without double-byte characters the name is read a word at a time
// (the last word ending at the end of the name, over bytes already seen),
// else a byte at a time.
std::string_view NamePart(const char* name, std::size_t length, LeadByteTest isLeadByte) {
  Separators found;
  const char* at = name;
  if (!isLeadByte && length >= 8) {
    const char* const end = name + length;
    std::uint64_t word;
    for (; end - at >= 8; at += 8) {
      std::memcpy(&word, at, 8);
      if (const char* stop = NoteSeparators(word, at, found)) return found.NamePart(name, stop);
    }
    if (at != end) {
      std::memcpy(&word, end - 8, 8);
      if (const char* stop = NoteSeparators(word, end - 8, found))
        return found.NamePart(name, stop);
    }
    return found.NamePart(name, end);
  }
  for (; *at != '\0'; ++at) {
    if (*at == '\\') {
      found.afterBackslash = at + 1;
    } else if (*at == '/') {
      found.afterSlash = at + 1;
    } else if (isLeadByte && isLeadByte(static_cast<unsigned char>(*at)) &&
               IsSecondByte(static_cast<unsigned char>(at[1]))) {
      ++at;
    }
  }
  return found.NamePart(name, at);
}

std::uint64_t U64At(ByteReader& record, std::size_t offset) {
  const std::uint64_t low = record.U32At(offset);
  return low | std::uint64_t{record.U32At(offset + 4)} << 32;
}

std::uint64_t U64(ByteReader& cursor) {
  const std::uint64_t low = cursor.U32();
  return low | std::uint64_t{cursor.U32()} << 32;
}

std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (0xEDB88320 & (0u - (crc & 1)));
  }
  return ~crc;
}

// One member as its header and extra field describe it.
struct Member {
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint16_t date = 0, time = 0;
  std::uint64_t size = 0;
  std::uint64_t compressedSize = 0;
  std::uint32_t attributes = 0;
  std::uint16_t nameLength = 0;
  std::uint16_t extraLength = 0;
  std::uint64_t localOffset = 0;  // central headers: where the local header lies
  int madeOn = -1;                // central headers: the system it was made on
  // Whether the header holds 0xFFFFFFFF in these fields.
  bool sizeEscaped = false, compressedEscaped = false, offsetEscaped = false;
  bool Escaped() const { return sizeEscaped || compressedEscaped; }
};

Member DecodeLocal(const std::uint8_t* record) {
  ByteReader local(record, kLocalHeaderSize);
  Member member;
  member.flags = local.U16At(kLocalFlags);
  member.method = local.U16At(kLocalMethod);
  member.time = local.U16At(kLocalTime);
  member.date = local.U16At(kLocalDate);
  member.compressedSize = local.U32At(kLocalCompressedSize);
  member.size = local.U32At(kLocalSize);
  member.nameLength = local.U16At(kLocalNameLength);
  member.extraLength = local.U16At(kLocalExtraLength);
  member.sizeEscaped = member.size == kEscaped32;
  member.compressedEscaped = member.compressedSize == kEscaped32;
  return member;
}

Member DecodeCentral(const std::uint8_t* record) {
  ByteReader central(record, kCentralHeaderSize);
  Member member;
  member.madeOn = central.U16At(kCentralMadeBy) >> 8;
  member.flags = central.U16At(kCentralFlags);
  member.method = central.U16At(kCentralMethod);
  member.time = central.U16At(kCentralTime);
  member.date = central.U16At(kCentralDate);
  member.compressedSize = central.U32At(kCentralCompressedSize);
  member.size = central.U32At(kCentralSize);
  member.attributes = central.U32At(kCentralAttributes) & 0xFF;
  member.nameLength = central.U16At(kCentralNameLength);
  member.extraLength = central.U16At(kCentralExtraLength);
  member.localOffset = central.U32At(kCentralLocalOffset);
  member.sizeEscaped = member.size == kEscaped32;
  member.compressedEscaped = member.compressedSize == kEscaped32;
  member.offsetEscaped = member.localOffset == kEscaped32;
  return member;
}

// The name and the extra field of the member being handled, as read, with
// the room to match and show its name, and the end of the file where the end
// record is looked for: some 450 KiB, made once per archive and left unset
// (each part is written before it is read).
struct Variable {
  char name[kLongestVariable + 1];
  char unicodePath[kLongestVariable + 1];
  char path[kLongestVariable + 1];  // the whole path under /W
  std::uint8_t extra[kLongestVariable];
  MemberNameRoom names;
  std::uint8_t tail[kEndRecordSize + kLongestComment];
};

// The blocks of an extra field that the reader uses. A block whose stated
// size runs past the field ends the walk over it (`damaged`): writers pad
// the field, and a trailer too short for a block is no damage.
struct ExtraBlocks {
  std::span<const std::uint8_t> zip64, unicodePath;
  bool damaged = false;
};

ExtraBlocks FindExtraBlocks(std::span<const std::uint8_t> extra) {
  ExtraBlocks found;
  ByteReader blocks(extra);
  while (blocks.remaining() >= 4) {
    const std::uint16_t id = blocks.U16();
    const std::uint16_t size = blocks.U16();
    if (size > blocks.remaining()) {
      found.damaged = true;
      break;
    }
    auto data = blocks.Bytes(size);
    if (id == kExtraZip64 && found.zip64.empty()) found.zip64 = data;
    if (id == kExtraUnicodePath && found.unicodePath.empty()) found.unicodePath = data;
  }
  return found;
}

// Replaces the escaped sizes by their 64-bit values. False when the values
// are needed and cannot be had: a damaged extra field, or a ZIP64 block too
// short for the fields the header escapes. Without any ZIP64 block the
// header's values stand: an archiver older than ZIP64 may have stored a
// member of exactly 0xFFFFFFFF bytes.
bool ApplyZip64(Member& member, const ExtraBlocks& blocks) {
  if (!member.Escaped()) return true;
  if (blocks.damaged) return false;
  if (blocks.zip64.empty()) return true;
  ByteReader values(blocks.zip64);
  if (member.sizeEscaped) member.size = U64(values);
  if (member.compressedEscaped) member.compressedSize = U64(values);
  return values.ok();
}

// The offset of a central header's local header: escaped, it follows the
// sizes the header escapes in the ZIP64 block; without it the escape stands,
// as for the sizes.
std::uint64_t RecordedLocalOffset(const Member& member, const ExtraBlocks& blocks) {
  if (!member.offsetEscaped) return member.localOffset;
  ByteReader values(blocks.zip64);
  values.Skip(8 * (std::size_t{member.sizeEscaped} + std::size_t{member.compressedEscaped}));
  const std::uint64_t offset = U64(values);
  return values.ok() ? offset : member.localOffset;
}

// The system the archive was made on, for the members of the local walk,
// whose headers do not say: the first central header's, looked up once, and
// only when a name needs it. Without a central directory that the end record
// places, the name decides alone: one that reads as UTF-8 is taken for it.
struct ArchiveMaker {
  ByteSource& file;
  std::uint64_t archiveStart;
  bool looked = false;
  int madeOn = -1;
};

// How names stored without the UTF-8 flag are read.
struct NameCodes {
  OemDecoder fromOem;  // null under /K
  ByteNameCodes names;
  ArchiveMaker* maker;
};

// The UTF-8 name of the member, when it has one: the header name under flag
// bit 11, else the name of a Unicode path block written for this very
// header name (copied to `unicodePath`, kLongestVariable + 1 bytes, to
// terminate it). Null when the name is in the ANSI code page.
const char* Utf8Name(const Member& member, const ExtraBlocks& blocks, const char* headerName,
                     char* unicodePath) {
  if (member.flags & kFlagUtf8Name) return headerName;
  ByteReader path(blocks.unicodePath);
  if (blocks.unicodePath.size() < 5 || path.U8() != kUnicodePathVersion ||
      path.U32() != Crc32(reinterpret_cast<const std::uint8_t*>(headerName), member.nameLength))
    return nullptr;
  std::string_view text = path.Text(path.remaining());
  if (text.empty()) return nullptr;
  text.copy(unicodePath, text.size());
  unicodePath[text.size()] = '\0';
  return unicodePath;
}

// The system that `member` was made on: its own central header's, else the
// archive's; -1 when unknown. False when the file could not be put back.
bool MadeOn(const Member& member, ArchiveMaker& maker, Variable& variable, int& madeOn);

// Reads the name and the extra field of the member whose header was just
// read, and completes the member from the extra field. False when the
// listing of the archive must end. An extra field cut short by the end of
// the file is used as far as it goes: the member is still listed when it
// needs nothing from the part that is missing, and the walk stops behind it.
bool ReadVariablePart(ByteSource& file, Member& member, Variable& variable, ExtraBlocks& blocks) {
  if (file.Read(variable.name, member.nameLength) != member.nameLength) return false;
  variable.name[member.nameLength] = '\0';
  const std::size_t extraRead = file.Read(variable.extra, member.extraLength);
  blocks = FindExtraBlocks({variable.extra, extraRead});
  if (extraRead != member.extraLength) blocks.damaged = true;
  return ApplyZip64(member, blocks);
}

// What became of a member's name.
enum class NameVerdict { Matched, Passed, Ended };

// The name of the member whose name and extra field are in `variable`, as
// listed, when it matches `pattern`: Passed when it does not, or is too long
// to list; Ended when the listing of the archive must end.
NameVerdict ListedName(const SearchPattern& pattern, bool wholePaths, const Member& member,
                       const ExtraBlocks& blocks, const NameCodes& codes, Variable& variable,
                       std::string_view& shown) {
  MemberNameRoom& room = variable.names;
  const std::string_view stored(variable.name, member.nameLength);
  const char* utf8 = Utf8Name(member, blocks, variable.name, variable.unicodePath);
  // Under /K the user has said which code page the names are in.
  if (!utf8 && !codes.names.decode && ReadsAsUtf8(stored)) {
    int madeOn = -1;
    if (!MadeOn(member, *codes.maker, variable, madeOn)) return NameVerdict::Ended;
    if (madeOn < 0 || madeOn == kMadeOnUnix || madeOn == kMadeOnMacOs) utf8 = variable.name;
  }
  MemberPath<char> path(variable.path, '/');
  bool listed = true;
  if (utf8) {
    // The separators are ASCII and never part of a multi-byte sequence, so
    // the name part is found in the UTF-8 bytes, with no lead byte of the
    // ANSI code page stepped over.
    const std::size_t length = std::strlen(utf8);
    listed = MatchUtf8Name(pattern, NamePart(utf8, length, nullptr).data(), room, shown);
    if (listed && wholePaths) {
      path.Add({utf8, length});
      listed = ListUtf8Path(path.c_str(), room, shown);
    }
  } else {
    // The part ends at the name's terminator, so it is matched as it stands.
    std::string_view part = NamePart(variable.name, member.nameLength, codes.names.isLeadByte);
    if (wholePaths) path.Add(stored);
    // Without the UTF-8 flag a name is in the OEM code page, as archivers on
    // Windows write it; where that is not the ANSI one the bytes would show
    // other letters (caf\x82 for café).
    const auto fromOem = [&](std::string_view name) {
      return codes.fromOem && !IsAsciiText(name) &&
             codes.fromOem(name, room.wide, kMemberNameUnits + 1);
    };
    listed = fromOem(part) ? MatchWideName(pattern, room.wide, room, shown)
                           : MatchCodePageName(pattern, part, codes.names, room, shown);
    if (listed && wholePaths)
      listed = fromOem(path.view()) ? ListWidePath(room.wide, room, shown)
                                    : ListCodePagePath(path.view(), codes.names, room, shown);
  }
  return listed ? NameVerdict::Matched : NameVerdict::Passed;
}

// Where the data of a member stands: behind its name and extra field in the
// local walk, found through its local header from the central directory.
struct DataPlace {
  std::uint64_t data = 0;   // the local walk: where the data begins
  std::uint64_t local = 0;  // else: where the local header lies
  bool atLocal = false;
};

// The data's offset as the local header at place.local gives it. False when
// no local header of a stored member stands there. The file is put back.
bool DataBehindLocal(ByteSource& file, std::uint64_t local, std::uint64_t& data) {
  const std::uint64_t back = file.Position();
  std::uint8_t header[kLocalHeaderSize];
  const bool read = SkipTo(file, local) && file.Read(header, kLocalHeaderSize) == kLocalHeaderSize;
  if (!SkipTo(file, back) || !read) return false;
  const Member found = DecodeLocal(header);
  data = local + kLocalHeaderSize + found.nameLength + found.extraLength;
  return ByteReader(header, kLocalHeaderSize).U32At(0) == kLocalSignature && found.method == 0;
}

// With /M, opens the member when it is an archive stored whole: neither
// compressed nor encrypted. False when the listing of the archive must end.
bool OpenStoredArchive(ByteSource& file, const MemberReading& reading, const Member& member,
                       const ExtraBlocks& blocks, const NameCodes& codes, Variable& variable,
                       const DataPlace& place) {
  MemberList& listing = reading.listing;
  if (!listing.OpensInner() || member.method != 0 || (member.flags & kFlagEncrypted) ||
      member.size != member.compressedSize)
    return true;
  std::string_view shown;
  switch (ListedName(EveryMemberName(), listing.options().wholeMemberPaths, member, blocks, codes,
                     variable, shown)) {
    case NameVerdict::Ended:
      return false;
    case NameVerdict::Passed:
      return true;
    case NameVerdict::Matched:
      break;
  }
  if (!InnerArchiveKind(listing.options(), shown)) return true;
  std::uint64_t data = place.data;
  if (place.atLocal && !DataBehindLocal(file, place.local, data)) return true;
  return ListInnerArchive(file, reading, shown, data, member.size);
}

// Filters, matches and lists one member whose name and extra field are in
// `variable`, and opens it when it is an archive to open. A name too long to
// list passes the member over, as one that does not match. False when the
// listing of the archive must end.
bool ShowMember(ByteSource& file, const MemberReading& reading, const Member& member,
                const ExtraBlocks& blocks, const NameCodes& codes, Variable& variable,
                const DataPlace& place) {
  MemberList& listing = reading.listing;
  const SearchOptions& options = listing.options();
  if (MemberPassesFilters(options, member.date, member.time, member.size, member.attributes)) {
    std::string_view shown;
    switch (ListedName(listing.pattern(), options.wholeMemberPaths, member, blocks, codes, variable,
                       shown)) {
      case NameVerdict::Ended:
        return false;
      case NameVerdict::Passed:
        break;
      case NameVerdict::Matched:
        if (!listing.List({shown, UnpackDosDateTime({member.date, member.time}, kMemberYearBits),
                           member.size, member.attributes}))
          return false;
        break;
    }
  }
  return OpenStoredArchive(file, reading, member, blocks, codes, variable, place);
}

// The same for the member whose header was just read; the file stands at
// its name.
bool HandleMember(ByteSource& file, const MemberReading& reading, Member& member,
                  const NameCodes& codes, Variable& variable) {
  ExtraBlocks blocks;
  return ReadVariablePart(file, member, variable, blocks) &&
         ShowMember(file, reading, member, blocks, codes, variable, {file.Position()});
}

// The central directory as the end record places it.
struct CentralDirectory {
  std::uint64_t start = 0;  // the first central header
  std::uint64_t end = 0;    // where the end record (or the ZIP64 end record) begins
  // The start as the archive's own offsets count it: a stub put in front of
  // the archive makes it smaller than `start` (an archiver that took the
  // stub in counts from the start of the file, and the two agree).
  std::uint64_t recordedStart = 0;
  // Where a local header lies whose recorded offset is at most recordedStart.
  std::uint64_t LocalAt(std::uint64_t offset) const { return start - recordedStart + offset; }
};

// The start of the central directory of an archive past 4 GiB, whose end
// record escapes the directory's size: the ZIP64 end record must end right
// at the locator. The locator's offset counts from the start of the archive,
// which a stub in front moves, so it is tried from there, as it stands, and
// where a record without extensible data would begin.
bool FindZip64Directory(ByteSource& file, std::uint64_t archiveStart, std::uint64_t locatorAt,
                        CentralDirectory& directory) {
  std::uint8_t bytes[kZip64EndSize];
  if (locatorAt < kZip64EndSize || !SkipTo(file, locatorAt) ||
      file.Read(bytes, kZip64LocatorSize) != kZip64LocatorSize)
    return false;
  ByteReader locator(bytes, kZip64LocatorSize);
  if (locator.U32At(0) != kZip64LocatorSignature) return false;
  const std::uint64_t stated = U64At(locator, kZip64LocatorRecordOffset);
  const std::uint64_t candidates[] = {archiveStart + stated, stated, locatorAt - kZip64EndSize};
  for (std::uint64_t at : candidates) {
    if (at > locatorAt - kZip64EndSize || !SkipTo(file, at) ||
        file.Read(bytes, kZip64EndSize) != kZip64EndSize)
      continue;
    ByteReader end(bytes, kZip64EndSize);
    if (end.U32At(0) != kZip64EndSignature ||
        U64At(end, kZip64EndRestSize) != locatorAt - at - (kZip64EndRestSize + 8))
      continue;
    const std::uint64_t size = U64At(end, kZip64EndDirectorySize);
    if (size > at) return false;
    directory = {at - size, at, U64At(end, kZip64EndDirectoryOffset)};
    return true;
  }
  return false;
}

// Whether the end record at `endAt`, whose bytes `end` holds, places a
// central directory: through the ZIP64 end record its locator leads to, else
// by its own size and offset. The directory ends where that record begins,
// so its start is found from its size, and its recorded offset tells how far
// a stub in front has shifted every offset the archive records.
bool PlacesDirectory(ByteSource& file, std::uint64_t archiveStart, std::uint64_t endAt,
                     ByteReader& end, CentralDirectory& directory) {
  CentralDirectory found;
  if (endAt < kZip64LocatorSize ||
      !FindZip64Directory(file, archiveStart, endAt - kZip64LocatorSize, found)) {
    const std::uint32_t size = end.U32At(kEndDirectorySize);
    if (size == kDirectorySizeEscaped || size > endAt) return false;
    // zip writing a ZIP64 archive to a pipe escapes the offset and writes no
    // ZIP64 end record: its offsets count from the start of the file.
    const std::uint32_t offset = end.U32At(kEndDirectoryOffset);
    found = {endAt - size, endAt, offset == kEscaped32 ? endAt - size : offset};
  }
  // At least one local header must fit in front of the directory as the
  // archive counts.
  std::uint8_t signature[4];
  if (found.recordedStart > found.start || found.recordedStart < kLocalHeaderSize ||
      !SkipTo(file, found.start) || file.Read(signature, sizeof signature) != sizeof signature ||
      ByteReader(signature, sizeof signature).U32At(0) != kCentralSignature)
    return false;
  directory = found;
  return true;
}

// The end record lies at the end of the file, in front of the archive
// comment; most archives have none or a short one, so the last kilobyte is
// looked at first, and the 64 KiB the longest comment may take only when it
// holds no record.
constexpr std::size_t kShortTail = 1024;

// Finds the central directory through the last end record that places one.
bool FindCentralDirectory(ByteSource& file, std::uint64_t archiveStart, CentralDirectory& directory,
                          std::uint8_t (&tail)[kEndRecordSize + kLongestComment]) {
  std::uint64_t size = 0;
  if (!file.Size(size) || size < kEndRecordSize) return false;
  std::uint64_t unseen = size - kEndRecordSize + 1;  // records not yet looked at begin in front
  for (std::size_t longest : {kShortTail, sizeof tail}) {
    const std::size_t tailSize = size < longest ? static_cast<std::size_t>(size) : longest;
    const std::uint64_t tailStart = size - tailSize;
    if (tailStart >= unseen) break;
    if (!SkipTo(file, tailStart) || file.Read(tail, tailSize) != tailSize) return false;
    for (std::uint64_t endAt = unseen; endAt-- > tailStart;) {
      const std::size_t at = static_cast<std::size_t>(endAt - tailStart);
      ByteReader end(tail + at, tailSize - at);
      if (end.U32At(0) != kEndSignature ||
          end.U16At(kEndCommentLength) > tailSize - at - kEndRecordSize)
        continue;
      if (PlacesDirectory(file, archiveStart, endAt, end, directory)) return true;
    }
    unseen = tailStart;
  }
  return false;
}

bool MadeOn(const Member& member, ArchiveMaker& maker, Variable& variable, int& madeOn) {
  madeOn = member.madeOn;
  if (madeOn >= 0) return true;
  if (!maker.looked) {
    maker.looked = true;
    ByteSource& file = maker.file;
    const std::uint64_t here = file.Position();
    CentralDirectory directory;
    std::uint8_t central[kCentralHeaderSize];
    if (FindCentralDirectory(file, maker.archiveStart, directory, variable.tail) &&
        SkipTo(file, directory.start) &&
        file.Read(central, kCentralHeaderSize) == kCentralHeaderSize)
      maker.madeOn = DecodeCentral(central).madeOn;
    if (!SkipTo(file, here)) return false;
  }
  madeOn = maker.madeOn;
  return true;
}

// The central entries a local walk has handled already: the first `count`,
// and any whose local header lies in front of `below`. Either test alone
// would list a member twice where the directory's order, or its offsets,
// differ from what the walk met.
struct Walked {
  std::uint32_t count = 0;
  std::uint64_t below = 0;
};

// Lists the members from the central header in `record` (46 bytes, read) to
// the end of the central directory, passing over those in `walked`. With
// `directory`, as its end record places it, the directory ends at its end,
// no header may run past that end, and every header must place its local
// header in front of the directory; reached by the walk over the local
// entries instead, it ends at the first record of another kind.
void WalkCentralDirectory(ByteSource& file, const MemberReading& reading, std::uint8_t* record,
                          const CentralDirectory* directory, Walked walked, const NameCodes& codes,
                          Variable& variable) {
  std::uint64_t at = directory ? directory->start : 0;
  for (std::uint32_t index = 0;; ++index) {
    ByteReader header(record, kCentralHeaderSize);
    if (header.U32At(0) != kCentralSignature) return;
    Member member = DecodeCentral(record);
    const std::uint16_t commentLength = header.U16At(kCentralCommentLength);
    const std::uint64_t entrySize =
        kCentralHeaderSize + std::uint64_t{member.nameLength} + member.extraLength + commentLength;
    if (directory && entrySize > directory->end - at) return;
    ExtraBlocks blocks;
    if (!ReadVariablePart(file, member, variable, blocks)) return;
    bool handled = index < walked.count;
    const std::uint64_t offset = RecordedLocalOffset(member, blocks);
    DataPlace place{0, offset, true};
    if (directory) {
      if (offset > directory->recordedStart - kLocalHeaderSize) return;
      place.local = directory->LocalAt(offset);
      handled = handled || place.local < walked.below;
    }
    if (!handled && !ShowMember(file, reading, member, blocks, codes, variable, place)) return;
    if (commentLength && !file.Skip(commentLength)) return;
    at += entrySize;
    if (directory && at == directory->end) return;
    if (file.Read(record, kCentralHeaderSize) != kCentralHeaderSize) return;
  }
}

// Lists the central directory that the end record places, passing over the
// entries in `walked`. True when that was done (or the file cannot be put
// back); false when there is no such directory, with the file where it stood
// and `record` as it was.
bool ListFromEndRecord(ByteSource& file, const MemberReading& reading, std::uint8_t* record,
                       Walked walked, std::uint64_t archiveStart, const NameCodes& codes,
                       Variable& variable) {
  const std::uint64_t here = file.Position();
  CentralDirectory directory;
  std::uint8_t central[kCentralHeaderSize];
  if (!FindCentralDirectory(file, archiveStart, directory, variable.tail) ||
      !SkipTo(file, directory.start) ||
      file.Read(central, kCentralHeaderSize) != kCentralHeaderSize)
    return !SkipTo(file, here);
  std::memcpy(record, central, kCentralHeaderSize);
  WalkCentralDirectory(file, reading, record, &directory, walked, codes, variable);
  return true;
}

bool SizesAfterData(const Member& local) {
  return local.flags & kFlagSizesAfterData;
}

// With its sizes after the data and none in the local header, the walk has
// nothing to skip the data by.
bool NoSizesHere(const Member& local) {
  return local.compressedSize == 0;
}

// Moves past the member's data. False on a size no file can have, or a
// failed seek.
bool SkipData(ByteSource& file, const Member& local) {
  if (local.compressedSize > static_cast<std::uint64_t>(INT64_MAX)) return false;
  return file.Skip(static_cast<std::int64_t>(local.compressedSize));
}

bool ReadNextLocal(ByteSource& file, std::uint8_t* record) {
  return file.Read(record, kLocalHeaderSize) == kLocalHeaderSize;
}

struct Walk {
  ByteSource& file;
  const MemberReading& reading;
  std::uint8_t* record;
  std::uint64_t archiveStart;
  NameCodes codes;
  Variable& variable;
};

// The short form without attribute criteria: the local headers have all it
// needs, and a damaged or missing central directory hides nothing.
void WalkLocalHeaders(const Walk& walk) {
  ByteSource& file = walk.file;
  Walked walked;
  for (;;) {
    const std::uint64_t at = file.Position() - kLocalHeaderSize;
    Member member = DecodeLocal(walk.record);
    if (SizesAfterData(member) &&
        (ListFromEndRecord(file, walk.reading, walk.record, walked, walk.archiveStart, walk.codes,
                           walk.variable) ||
         NoSizesHere(member)))
      return;
    if (!HandleMember(file, walk.reading, member, walk.codes, walk.variable)) break;
    ++walked.count;
    walked.below = at + 1;
    if (!SkipData(file, member) || !ReadNextLocal(file, walk.record)) break;
    ByteReader next(walk.record, kLocalHeaderSize);
    const std::uint32_t signature = next.U32At(0);
    if (signature == kCentralSignature || signature == kEndSignature) return;
    if (signature != kLocalSignature) break;
  }
  // Stopped short of the central directory: what it holds behind the members
  // walked is listed from it.
  ListFromEndRecord(file, walk.reading, walk.record, walked, walk.archiveStart, walk.codes,
                    walk.variable);
}

// Attributes or the long form in an archive without an end record that
// places a central directory: pass over the local entries to the directory
// that follows them, and list from there.
void WalkToCentralDirectory(const Walk& walk) {
  ByteSource& file = walk.file;
  std::uint8_t* record = walk.record;
  for (;;) {
    ByteReader local(record, kLocalHeaderSize);
    if (local.U32At(0) != kLocalSignature) break;
    Member member = DecodeLocal(record);
    if (SizesAfterData(member) && NoSizesHere(member)) return;
    if (member.compressedEscaped) {
      // Only a ZIP64 block tells how far the data reaches.
      ExtraBlocks blocks;
      if (!ReadVariablePart(file, member, walk.variable, blocks)) return;
    } else if (!file.Skip(std::int64_t{member.nameLength} + member.extraLength)) {
      return;
    }
    if (!SkipData(file, member) || !ReadNextLocal(file, record)) return;
  }
  if (file.Read(record + kLocalHeaderSize, kCentralHeaderSize - kLocalHeaderSize) !=
      kCentralHeaderSize - kLocalHeaderSize)
    return;
  WalkCentralDirectory(file, walk.reading, record, nullptr, {}, walk.codes, walk.variable);
}

}  // namespace

bool IsZipLocalHeader(std::span<const std::uint8_t> header) {
  return PassesLocalTest(header);
}

void ListZipMembers(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                    const MemberReading& reading) {
  static_assert(kZipLocalHeaderSize == kLocalHeaderSize);
  std::uint8_t record[kCentralHeaderSize];
  if (firstHeader.size() != kLocalHeaderSize) return;
  std::memcpy(record, firstHeader.data(), kLocalHeaderSize);
  const SearchOptions& options = reading.listing.options();
  const auto variable = std::make_unique_for_overwrite<Variable>();
  ArchiveMaker maker{file, file.Position() - kLocalHeaderSize};
  const ByteNameCodes names = ByteNameCodesOf(reading);
  const Walk walk{file,
                  reading,
                  record,
                  file.Position() - kLocalHeaderSize,
                  {names.decode ? nullptr : reading.fromOem, names, &maker},
                  *variable};
  if (options.attributesRequired || options.attributesExcluded || options.form != 0) {
    if (!ListFromEndRecord(file, reading, record, {}, walk.archiveStart, walk.codes, *variable))
      WalkToCentralDirectory(walk);
  } else {
    WalkLocalHeaders(walk);
  }
}
