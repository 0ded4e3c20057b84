// ZIP: the members are listed from the local headers that stand in front of
// each member's data, walking from the first one to the next by skipping the
// name, the extra field and the compressed data. The local headers carry no
// attributes, so when attributes or the long form are wanted the walk goes on
// past the last local entry into the central directory and lists from there.
//
// Sizes written after the data (flag bit 3; the local sizes usually left 0,
// a data descriptor behind the data) would land the walk inside member data
// or on the descriptor; such archives are listed from the central directory,
// found through the end-of-central-directory record.
#include "finder/archive/zip_reader.h"

#include <cstring>

#include "finder/archive/byte_reader.h"
#include "finder/archive/wildcard.h"
#include "finder/search/search_state.h"

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
constexpr std::uint16_t kFlagSizesAfterData = 0x0008;

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
constexpr std::size_t kCentralTime = 12;
constexpr std::size_t kCentralDate = 14;
constexpr std::size_t kCentralSize = 24;
constexpr std::size_t kCentralNameLength = 28;
constexpr std::size_t kCentralExtraLength = 30;
constexpr std::size_t kCentralCommentLength = 32;
constexpr std::size_t kCentralAttributes = 38;

// End of central directory record, 22 bytes, then the archive comment:
//    0 signature "PK\5\6"    4 this disk    6 directory's disk
//    8 entries on this disk  10 entries     12 directory size
//   16 directory offset     20 comment length
constexpr std::uint32_t kEndSignature = 0x06054B50;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kEndDirectorySize = 12;
constexpr std::size_t kEndCommentLength = 20;
constexpr std::size_t kLongestComment = 0xFFFF;

constexpr std::size_t kLongestName = 260;

bool PassesLocalTest(std::span<const std::uint8_t> header) {
  ByteReader record(header);
  return record.U32At(0) == kLocalSignature && record.U16At(kLocalNameLength) <= kLongestName &&
         record.ok();
}
const HeaderFormat kZipFormat{kLocalHeaderSize, 0, 'P', PassesLocalTest};

// The part of a stored name that is matched and shown: behind the last
// backslash; without one, behind the last slash.
const char* NamePart(const char* name) {
  if (const char* backslash = std::strrchr(name, '\\')) return backslash + 1;
  if (const char* slash = std::strrchr(name, '/')) return slash + 1;
  return name;
}

struct Member {
  std::uint16_t date = 0, time = 0;
  std::uint32_t size = 0;
  std::uint32_t attributes = 0;
  std::uint16_t nameLength = 0;
};

// Filters, reads the name, matches and lists one member; the file stands at
// the member's name and `toSkip` counts what is left of its entry. False
// when the listing of the archive must end.
bool HandleMember(ByteSource& file, MemberListing& listing, const Member& member,
                  std::uint64_t& toSkip) {
  if (!MemberPassesFilters(searchState.options, member.date, member.time, member.size,
                           member.attributes))
    return true;
  char name[kLongestName + 1];
  if (member.nameLength > kLongestName || file.Read(name, member.nameLength) != member.nameLength)
    return false;
  name[member.nameLength] = '\0';
  toSkip -= member.nameLength;
  const char* part = NamePart(name);
  if (!MatchWildcard(searchState.savedPattern, part)) return true;
  return listing.List(
      {part, ClockFromDos(member.date, member.time), member.size, member.attributes});
}

// Positions `file` at the first central header, found through the
// end-of-central-directory record: the directory ends where that record
// begins, so its start is found from its size even when a stub in front of
// the archive has shifted every offset the archive records.
bool SeekCentralDirectory(ByteSource& file) {
  static std::uint8_t tail[kEndRecordSize + kLongestComment];
  std::uint64_t size = 0;
  if (!file.Size(size) || size < kEndRecordSize) return false;
  std::size_t tailSize = size < sizeof tail ? static_cast<std::size_t>(size) : sizeof tail;
  const std::uint64_t tailStart = size - tailSize;
  if (!SkipTo(file, tailStart) || file.Read(tail, tailSize) != tailSize) return false;
  for (std::size_t at = tailSize - kEndRecordSize + 1; at-- > 0;) {
    ByteReader end(tail + at, tailSize - at);
    if (end.U32At(0) != kEndSignature) continue;
    if (end.U16At(kEndCommentLength) > tailSize - at - kEndRecordSize) continue;
    std::uint32_t directorySize = end.U32At(kEndDirectorySize);
    if (directorySize > tailStart + at) return false;
    return SkipTo(file, tailStart + at - directorySize);
  }
  return false;
}

// Lists the members from the central header in `record` (46 bytes, read) to
// the end of the central directory, passing over the first `alreadyListed`
// entries, which a local walk has handled already.
void WalkCentralDirectory(ByteSource& file, MemberListing& listing, std::uint8_t* record,
                          std::uint32_t alreadyListed) {
  for (;;) {
    ByteReader header(record, kCentralHeaderSize);
    if (header.U32At(0) != kCentralSignature) return;
    Member member;
    member.time = header.U16At(kCentralTime);
    member.date = header.U16At(kCentralDate);
    member.size = header.U32At(kCentralSize);
    member.attributes = header.U32At(kCentralAttributes) & 0xFF;
    member.nameLength = header.U16At(kCentralNameLength);
    if (member.nameLength > kLongestName) return;
    std::uint64_t toSkip = std::uint64_t{member.nameLength} + header.U16At(kCentralExtraLength) +
                           header.U16At(kCentralCommentLength);
    if (alreadyListed > 0) {
      --alreadyListed;
    } else if (!HandleMember(file, listing, member, toSkip)) {
      return;
    }
    if (!file.Skip(static_cast<std::int64_t>(toSkip)) ||
        file.Read(record, kCentralHeaderSize) != kCentralHeaderSize)
      return;
  }
}

// Members flagged with sizes after their data are listed from the central
// directory, found through its end record. True when that was done (or the
// file cannot be put back); false when there is no directory to turn to, with
// the file where it stood, so that a member whose local header carries its
// sizes after all can still be walked past.
bool ListFromEndRecord(ByteSource& file, MemberListing& listing, std::uint8_t* record,
                       std::uint32_t alreadyListed) {
  const std::uint64_t here = file.Position();
  std::uint8_t central[kCentralHeaderSize];
  if (!SeekCentralDirectory(file) || file.Read(central, kCentralHeaderSize) != kCentralHeaderSize ||
      ByteReader(central, kCentralHeaderSize).U32At(0) != kCentralSignature)
    return !SkipTo(file, here);
  std::memcpy(record, central, kCentralHeaderSize);
  WalkCentralDirectory(file, listing, record, alreadyListed);
  return true;
}

bool SizesAfterData(ByteReader& local) {
  return local.U16At(kLocalFlags) & kFlagSizesAfterData;
}

// With its sizes after the data and none in the local header, the walk has
// nothing to skip the data by.
bool NoSizesHere(ByteReader& local) {
  return local.U32At(kLocalCompressedSize) == 0;
}

std::uint64_t LocalEntrySize(ByteReader& local) {
  return std::uint64_t{local.U16At(kLocalNameLength)} + local.U16At(kLocalExtraLength) +
         local.U32At(kLocalCompressedSize);
}

// The short form without attribute criteria: the local headers have all it
// needs, and a damaged or missing central directory hides nothing.
void WalkLocalHeaders(ByteSource& file, MemberSink& sink, std::uint8_t* record) {
  MemberListing listing(sink);
  std::uint32_t handled = 0;
  for (;;) {
    ByteReader local(record, kLocalHeaderSize);
    if (SizesAfterData(local) &&
        (ListFromEndRecord(file, listing, record, handled) || NoSizesHere(local)))
      return;
    Member member;
    member.time = local.U16At(kLocalTime);
    member.date = local.U16At(kLocalDate);
    member.size = local.U32At(kLocalSize);
    member.nameLength = local.U16At(kLocalNameLength);
    std::uint64_t toSkip = LocalEntrySize(local);
    if (!HandleMember(file, listing, member, toSkip)) return;
    ++handled;
    if (!file.Skip(static_cast<std::int64_t>(toSkip)) ||
        file.Read(record, kLocalHeaderSize) != kLocalHeaderSize)
      return;
    ByteReader next(record, kLocalHeaderSize);
    if (next.U32At(0) != kLocalSignature || next.U16At(kLocalNameLength) > kLongestName) return;
  }
}

// Attributes or the long form: pass over the local entries to the central
// directory that follows them, and list from there.
void WalkToCentralDirectory(ByteSource& file, MemberSink& sink, std::uint8_t* record) {
  for (;;) {
    ByteReader local(record, kLocalHeaderSize);
    if (local.U32At(0) != kLocalSignature) break;
    if (SizesAfterData(local)) {
      MemberListing listing(sink);
      if (ListFromEndRecord(file, listing, record, 0) || NoSizesHere(local)) return;
    }
    if (!file.Skip(static_cast<std::int64_t>(LocalEntrySize(local))) ||
        file.Read(record, kLocalHeaderSize) != kLocalHeaderSize)
      return;
    // Only a local header's name length is one: at the same offset a central
    // header holds the high half of its member's size.
    ByteReader next(record, kLocalHeaderSize);
    if (next.U32At(0) == kLocalSignature && next.U16At(kLocalNameLength) > kLongestName) return;
  }
  if (file.Read(record + kLocalHeaderSize, kCentralHeaderSize - kLocalHeaderSize) !=
      kCentralHeaderSize - kLocalHeaderSize)
    return;
  MemberListing listing(sink);
  WalkCentralDirectory(file, listing, record, 0);
}

}  // namespace

void ListZipMembers(ByteSource& file, MemberSink& sink) {
  std::uint8_t record[kCentralHeaderSize];
  if (!FindFirstHeader(file, kZipFormat, {record, kLocalHeaderSize})) return;
  const SearchOptions& options = searchState.options;
  if (options.attributesRequired || options.attributesExcluded || options.form != 0)
    WalkToCentralDirectory(file, sink, record);
  else
    WalkLocalHeaders(file, sink, record);
}
