// The ISO 9660 side of a disc image, and the choice between it and UDF.
//
// From sector 16 (sectors of 2,048 bytes) stand the volume descriptors, each
// a sector, ended by a terminator (type 255); a UDF volume recognition
// sequence may follow (BEA01, NSR02 or NSR03, TEA01). A descriptor:
//   0  type: 1 primary, 2 supplementary (Joliet when its escape sequences at
//      88 are %/@, %/C or %/E: UCS-2 names, big-endian), 255 terminator
//   1  "CD001", 6 version
//   80 the volume's size in sectors (both-endian: little-endian first)
//   128 the logical block size (2,048 on every real disc; nothing else is read)
//   156 the root's directory record
//
// A directory is an extent of directory records, none crossing a sector
// (a 0 length byte: the rest of the sector is unused). A record:
//   0  length, 1 extended attribute record length
//   2  extent (sector), 10 data length (both-endian)
//   18 recording date: years since 1900, month, day, hour, minute, second,
//      offset from GMT in units of 15 minutes (signed)
//   25 flags: 0x01 hidden, 0x02 directory, 0x80 not the last extent of a file
//   26 file unit size: not 0 for a file interleaved with others
//   32 name length, 33 name (";1" version behind it); a pad byte when the
//      length is even, then the system use area
// The first two records of a directory are itself (name 0) and its parent
// (name 1).
//
// Rock Ridge (SUSP entries in the system use areas: signature, length,
// version, data) is in use when the root's own record begins with "SP"
// (check bytes BE EF, then the bytes to skip in every later area). Read
// here: NM (flags, name; flag 1 continued in the next NM, 2 and 4 the current
// and parent folder), PX (mode), CL (a folder moved elsewhere for depth: its
// sector), RE (the moved folder itself, listed where CL points), CE (the
// area goes on at sector, offset, length), ST (the end).
#include "finder/archive/iso_reader.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "finder/archive/byte_reader.h"
#include "finder/archive/disc_members.h"
#include "finder/archive/udf_reader.h"

namespace {

constexpr std::uint64_t kSector = 2048;
// How many sectors from 16 on may hold descriptors: real images have a few.
constexpr int kDescriptorLimit = 64;
constexpr int kDepthLimit = 64;
// A directory of 20,000 Joliet names of 100 characters holds some 4.5 MB.
constexpr std::uint64_t kDirectoryLimit = 64 << 20;
constexpr std::uint64_t kRecordLimit = 1 << 22;
constexpr int kContinuationLimit = 32;
constexpr std::uint64_t kContinuationSize = 64 * 1024;

constexpr std::size_t kVolumeSpaceSize = 80;
constexpr std::size_t kEscapeSequences = 88;
constexpr std::size_t kLogicalBlockSize = 128;
constexpr std::size_t kRootRecord = 156;

constexpr std::size_t kExtent = 2;
constexpr std::size_t kFileUnitSize = 26;
constexpr std::size_t kDataLength = 10;
constexpr std::size_t kRecorded = 18;
constexpr std::size_t kFlags = 25;
constexpr std::size_t kNameLength = 32;
constexpr std::size_t kName = 33;
constexpr std::uint8_t kHiddenFlag = 0x01;
constexpr std::uint8_t kDirectoryFlag = 0x02;
constexpr std::uint8_t kMoreExtentsFlag = 0x80;

constexpr std::uint32_t kHiddenAttribute = 0x02;
constexpr std::uint32_t kReadOnlyAttribute = 0x01;
constexpr std::uint32_t kOwnerWrite = 0200;

bool HasIdentifier(std::span<const std::uint8_t> bytes, const char* identifier) {
  return bytes.size() >= 6 && std::memcmp(bytes.data() + 1, identifier, 5) == 0;
}

bool IsJoliet(const std::uint8_t* descriptor) {
  const std::uint8_t* escape = descriptor + kEscapeSequences;
  return escape[0] == '%' && escape[1] == '/' &&
         (escape[2] == '@' || escape[2] == 'C' || escape[2] == 'E');
}

std::int64_t RecordingSeconds(ByteReader& record) {
  const int offset = static_cast<std::int8_t>(record.U8At(kRecorded + 6));
  return DiscStampSeconds(1900 + record.U8At(kRecorded), record.U8At(kRecorded + 1),
                          record.U8At(kRecorded + 2), record.U8At(kRecorded + 3),
                          record.U8At(kRecorded + 4), record.U8At(kRecorded + 5), offset * 15);
}

// The ";1" version and a "." that ends a name without an extension are no
// part of the name a system shows.
void DropVersion(std::string& name) {
  const std::size_t semicolon = name.rfind(';');
  if (semicolon != std::string::npos &&
      std::all_of(name.begin() + static_cast<std::ptrdiff_t>(semicolon) + 1, name.end(),
                  [](char c) { return c >= '0' && c <= '9'; }))
    name.resize(semicolon);
  if (name.size() > 1 && name.back() == '.') name.pop_back();
}

struct Folder {
  std::uint32_t sector = 0;
  std::uint32_t size = 0;  // 0: as its own first record says (a Rock Ridge CL)
  std::string name;
};

// What a record's system use area says.
struct RockRidge {
  std::string name;
  bool named = false;
  bool hasMode = false;
  std::uint32_t mode = 0;
  bool moved = false;   // RE
  bool linked = false;  // CL
  std::uint32_t link = 0;
};

class IsoWalk {
 public:
  IsoWalk(ByteSource& file, DiscMembers& members, std::uint64_t limit, bool joliet)
      : file_(file), members_(members), limit_(limit), joliet_(joliet) {}

  // False when the listing has to end.
  bool Walk(Folder folder, int depth);

 private:
  bool ReadExtent(std::uint64_t sector, std::uint64_t size, std::vector<std::uint8_t>& out);
  bool ReadSystemUse(std::span<const std::uint8_t> area, RockRidge& facts);
  bool ListFile(const std::string& name, std::int64_t stamp, std::uint64_t size,
                std::optional<std::uint64_t> storedAt, std::uint32_t attributes);

  ByteSource& file_;
  DiscMembers& members_;
  const std::uint64_t limit_;  // bytes of the image that extents may cover
  const bool joliet_;
  bool rockRidge_ = false;
  std::size_t skip_ = 0;  // bytes at the start of every system use area
  std::string path_;
  std::set<std::uint32_t> visited_;
  std::uint64_t records_ = 0;
};

bool IsoWalk::ReadExtent(std::uint64_t sector, std::uint64_t size, std::vector<std::uint8_t>& out) {
  const std::uint64_t start = sector * kSector;
  if (start > limit_ || size > limit_ - start) return false;
  out.resize(static_cast<std::size_t>(size));
  return SkipTo(file_, start) && file_.Read(out.data(), out.size()) == out.size();
}

bool IsoWalk::ReadSystemUse(std::span<const std::uint8_t> area, RockRidge& facts) {
  std::vector<std::uint8_t> continued;
  bool nameGoesOn = false;
  for (int areas = 0; areas <= kContinuationLimit; ++areas) {
    bool more = false;
    std::uint32_t sector = 0, offset = 0, length = 0;
    ByteReader in(area);
    while (in.remaining() >= 4) {
      const std::size_t at = in.offset();
      const std::uint8_t size = in.U8At(at + 2);
      // Padding, or an entry that runs past the area: the rest says nothing.
      if (size < 4 || size > in.remaining()) break;
      ByteReader entry(area.subspan(at, size));
      in.Skip(size);
      const char signature[2] = {static_cast<char>(entry.U8At(0)),
                                 static_cast<char>(entry.U8At(1))};
      const auto is = [&](const char* name) { return std::memcmp(signature, name, 2) == 0; };
      if (is("ST")) break;
      if (is("CE") && size >= 28) {
        more = true;
        sector = entry.U32At(4);
        offset = entry.U32At(12);
        length = entry.U32At(20);
      } else if (is("NM") && size >= 5) {
        const std::uint8_t flags = entry.U8At(4);
        if (flags & 0x06) continue;
        if (!nameGoesOn) facts.name.clear();
        facts.name.append(reinterpret_cast<const char*>(area.data() + at + 5), size - 5u);
        facts.named = true;
        nameGoesOn = flags & 0x01;
      } else if (is("PX") && size >= 8) {
        facts.hasMode = true;
        facts.mode = entry.U32At(4);
      } else if (is("CL") && size >= 8) {
        facts.linked = true;
        facts.link = entry.U32At(4);
      } else if (is("RE")) {
        facts.moved = true;
      }
    }
    if (!more) return true;
    if (length > kContinuationSize ||
        !ReadExtent(sector, std::uint64_t{offset} + length, continued))
      return false;
    area = std::span<const std::uint8_t>(continued).subspan(offset);
  }
  return true;
}

bool IsoWalk::ListFile(const std::string& name, std::int64_t stamp, std::uint64_t size,
                       std::optional<std::uint64_t> storedAt, std::uint32_t attributes) {
  const std::size_t nameAt = path_.size();
  path_ += name;
  const bool goOn = members_.List(path_, nameAt, stamp, size, attributes, storedAt);
  path_.resize(nameAt);
  return goOn;
}

bool IsoWalk::Walk(Folder folder, int depth) {
  if (depth > kDepthLimit || !visited_.insert(folder.sector).second) return true;
  std::vector<std::uint8_t> extent;
  if (folder.size == 0) {
    if (!ReadExtent(folder.sector, kSector, extent)) return false;
    ByteReader self(extent);
    folder.size = self.U32At(kDataLength);
  }
  if (folder.size > kDirectoryLimit || !ReadExtent(folder.sector, folder.size, extent))
    return false;

  std::vector<Folder> folders;
  // A file of several extents: one record each, all but the last flagged.
  std::string pending;
  std::uint64_t pendingSize = 0;
  bool pendingOpen = false;
  for (std::size_t at = 0; at < extent.size();) {
    const std::uint8_t length = extent[at];
    if (length == 0) {
      at = (at / kSector + 1) * kSector;
      continue;
    }
    if (length < kName || length > extent.size() - at || ++records_ > kRecordLimit) return false;
    ByteReader record(extent.data() + at, length);
    const std::span<const std::uint8_t> bytes(extent.data() + at, length);
    at += length;
    const std::uint8_t nameLength = record.U8At(kNameLength);
    if (nameLength > length - kName) return false;
    const std::size_t systemUse = kName + nameLength + (nameLength % 2 == 0 ? 1 : 0);
    const std::uint8_t flags = record.U8At(kFlags);
    if (nameLength == 1 && bytes[kName] <= 1) {
      // The root's own record tells whether Rock Ridge is in use.
      if (depth == 0 && bytes[kName] == 0 && !joliet_ && systemUse + 7 <= length &&
          bytes[systemUse] == 'S' && bytes[systemUse + 1] == 'P' && bytes[systemUse + 4] == 0xBE &&
          bytes[systemUse + 5] == 0xEF) {
        rockRidge_ = true;
        skip_ = bytes[systemUse + 6];
      }
      continue;
    }
    RockRidge facts;
    if (rockRidge_ && systemUse + skip_ < length &&
        !ReadSystemUse(bytes.subspan(systemUse + skip_), facts))
      return false;
    if (facts.moved) continue;
    std::string name;
    if (facts.named) {
      name = facts.name;
    } else if (joliet_) {
      AppendUtf16(name, bytes.data() + kName, nameLength / 2, true);
      DropVersion(name);
    } else {
      name.assign(reinterpret_cast<const char*>(bytes.data() + kName), nameLength);
      DropVersion(name);
    }
    // A name that would make another folder of the path, or none.
    if (name.empty() || name.find_first_of(std::string_view("\\/\0", 3)) != std::string::npos)
      continue;
    if (facts.linked) {
      folders.push_back({facts.link, 0, std::move(name)});
      continue;
    }
    if (flags & kDirectoryFlag) {
      folders.push_back({record.U32At(kExtent), record.U32At(kDataLength), std::move(name)});
      continue;
    }
    const std::uint64_t size = record.U32At(kDataLength);
    if (flags & kMoreExtentsFlag) {
      if (!pendingOpen) pending = name;
      pendingOpen = true;
      pendingSize += size;
      continue;
    }
    std::uint32_t attributes = (flags & kHiddenFlag) ? kHiddenAttribute : 0;
    if (facts.hasMode && !(facts.mode & kOwnerWrite)) attributes |= kReadOnlyAttribute;
    // A file of one extent, not interleaved, lies whole at it.
    std::optional<std::uint64_t> storedAt;
    if (!pendingOpen && record.U8At(kFileUnitSize) == 0)
      storedAt = std::uint64_t{record.U32At(kExtent)} * kSector;
    const bool goOn = ListFile(pendingOpen ? pending : name, RecordingSeconds(record),
                               pendingSize + size, storedAt, attributes);
    pendingOpen = false;
    pendingSize = 0;
    if (!goOn) return false;
  }
  extent = {};
  for (Folder& inner : folders) {
    const std::size_t length = path_.size();
    path_ += inner.name;
    path_ += '\\';
    const bool goOn = Walk(std::move(inner), depth + 1);
    path_.resize(length);
    if (!goOn) return false;
  }
  return true;
}

}  // namespace

bool IsIsoDescriptorHeader(std::span<const std::uint8_t> header) {
  if (header.size() < kIsoDescriptorHeaderSize) return false;
  for (const char* identifier : {"CD001", "BEA01", "NSR02", "NSR03", "TEA01"})
    if (HasIdentifier(header, identifier)) return true;
  return false;
}

void ListIsoMembers(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                    const MemberReading& reading) {
  if (!IsIsoDescriptorHeader(firstHeader) || !SkipTo(file, kIsoFirstDescriptor)) return;
  std::vector<std::uint8_t> sector(kSector), primary, joliet;
  bool udf = false;
  for (int i = 0; i < kDescriptorLimit; ++i) {
    if (file.Read(sector.data(), kSector) != kSector) break;
    if (HasIdentifier(sector, "CD001")) {
      if (sector[0] == 1 && primary.empty()) primary = sector;
      if (sector[0] == 2 && joliet.empty() && IsJoliet(sector.data())) joliet = sector;
      // A UDF sequence may follow the terminator.
    } else if (HasIdentifier(sector, "NSR02") || HasIdentifier(sector, "NSR03")) {
      udf = true;
    } else if (!HasIdentifier(sector, "BEA01") && !HasIdentifier(sector, "BOOT2") &&
               !HasIdentifier(sector, "CDW02")) {
      break;
    }
  }
  DiscMembers members(file, reading);
  if (udf && ListUdfVolume(file, members)) return;
  const std::vector<std::uint8_t>& chosen = joliet.empty() ? primary : joliet;
  if (chosen.empty()) return;
  ByteReader descriptor(chosen);
  if (descriptor.U16At(kLogicalBlockSize) != kSector) return;
  std::uint64_t limit = std::uint64_t{descriptor.U32At(kVolumeSpaceSize)} * kSector;
  std::uint64_t fileSize = 0;
  if (file.Size(fileSize)) limit = std::min(limit, fileSize);
  if (joliet.empty()) members.NamesStoredAsBytes();
  IsoWalk walk(file, members, limit, !joliet.empty());
  walk.Walk(
      {descriptor.U32At(kRootRecord + kExtent), descriptor.U32At(kRootRecord + kDataLength), {}},
      0);
}
