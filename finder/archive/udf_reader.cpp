// The UDF volume of a disc image. Every descriptor starts with a 16-byte tag:
//   0 identifier, 4 checksum (of the other 15 bytes), 12 location (the
//   sector, or for descriptors inside a partition the block in it)
// A tag that is not what is expected, or whose checksum or location is
// wrong, is damage; the CRC behind it is not checked.
//
//   sector 256      Anchor Volume Descriptor Pointer (2): 16 the main volume
//                   descriptor sequence (length, sector)
//   sequence        Partition Descriptors (5): 22 number, 188 first sector,
//                   192 length; a Logical Volume Descriptor (6): 212 block
//                   size, 248 the File Set Descriptor (a long_ad), 268 the
//                   count of partition maps, 440 the maps (type 1: 4 the
//                   partition's number; type 2, a named kind: a sparable
//                   partition read as a plain one, 38 its number); a
//                   Terminating Descriptor (8) ends it
//   File Set (256)  400 the root folder's ICB (a long_ad)
//   File Entry (261), Extended File Entry (266): 16 the ICB tag (27 file
//                   type, 4 a folder; 34 flags, the low 3 bits the kind of
//                   allocation descriptors: 0 short, 1 long, 3 the data
//                   itself), 56 information length, then
//                   the modification time at 84 (261) or 92 (266); the
//                   extended attributes and the allocation descriptors
//                   behind the fixed part, 176 (261) or 216 (266), their
//                   lengths at 168 and 172 (261) or 208 and 212 (266)
//   File Identifier (257) in a folder's data: 18 characteristics (1 hidden,
//                   2 folder, 4 deleted, 8 the parent), 19 name length, 20
//                   the ICB (long_ad), 36 implementation use length, 38 it
//                   and the name (OSTA CS0: a byte 8 then 8-bit characters,
//                   or 16 then UTF-16 big-endian), padded to 4 bytes
// A long_ad: length (the top two bits a kind: 1 and 2 allocated, not
// recorded), block, partition reference; a short_ad: length, block.
// Timestamps: type and zone (the low 12 bits the minutes ahead of UTC,
// signed; -2047 none), year, month, day, hour, minute, second.
#include "finder/archive/udf_reader.h"

#include <algorithm>
#include <array>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "finder/archive/byte_reader.h"

namespace {

constexpr std::uint64_t kSector = 2048;
constexpr std::uint64_t kAnchorSector = 256;
constexpr std::uint32_t kSequenceSectors = 64;
constexpr int kDepthLimit = 64;
constexpr std::uint64_t kDirectoryLimit = 64 << 20;
constexpr std::size_t kExtentLimit = 4096;  // allocation descriptors of one folder
constexpr std::uint64_t kEntryLimit = 1 << 22;
constexpr std::size_t kPartitionLimit = 8;

constexpr std::uint16_t kAnchorTag = 2;
constexpr std::uint16_t kPartitionTag = 5;
constexpr std::uint16_t kLogicalVolumeTag = 6;
constexpr std::uint16_t kTerminatingTag = 8;
constexpr std::uint16_t kFileSetTag = 256;
constexpr std::uint16_t kFileIdentifierTag = 257;
constexpr std::uint16_t kFileEntryTag = 261;
constexpr std::uint16_t kExtendedFileEntryTag = 266;

constexpr std::uint8_t kFolderType = 4;
constexpr std::uint8_t kHiddenFile = 0x01;
constexpr std::uint8_t kFolderFile = 0x02;
constexpr std::uint8_t kDeletedFile = 0x04;
constexpr std::uint8_t kParentFile = 0x08;
constexpr std::uint32_t kHiddenAttribute = 0x02;

constexpr std::uint32_t kLengthMask = 0x3FFFFFFF;
constexpr std::uint32_t kRecordedKind = 0;

bool TagIsGood(std::span<const std::uint8_t> bytes, std::uint16_t id, std::uint32_t location) {
  if (bytes.size() < 16) return false;
  unsigned sum = 0;
  for (std::size_t i = 0; i < 16; ++i)
    if (i != 4) sum += bytes[i];
  ByteReader tag(bytes.first(16));
  return (sum & 0xFF) == bytes[4] && tag.U16At(0) == id && tag.U32At(12) == location;
}

struct Address {
  std::uint32_t block = 0;
  std::uint16_t partition = 0;
  bool operator<(const Address& other) const {
    return std::pair(partition, block) < std::pair(other.partition, other.block);
  }
};

struct Extent {
  std::uint32_t length = 0;
  Address at;
};

struct Folder {
  Address icb;
  std::string name;
};

class UdfWalk {
 public:
  UdfWalk(ByteSource& file, DiscMembers& members, std::uint64_t limit)
      : file_(file), members_(members), limit_(limit) {}

  bool ReadSectors(std::uint64_t sector, std::uint64_t size, std::vector<std::uint8_t>& out);
  // Finds the volume's partitions and its root; false when there is none.
  bool FindRoot(Address& root);
  // False when the listing has to end.
  bool Walk(const Folder& folder, int depth);

 private:
  // The sector of a block of a partition, or false.
  bool SectorOf(Address address, std::uint64_t& sector) const;
  bool ReadBlock(Address address, std::vector<std::uint8_t>& out);

  struct Entry {
    bool folder = false;
    std::uint64_t size = 0;
    std::int64_t stamp = 0;
    // Where a file recorded whole in one extent lies in the image.
    std::optional<std::uint64_t> storedAt;
  };
  // Reads the file entry at `icb`; its data too when `data` is given.
  bool ReadEntry(Address icb, Entry& entry, std::vector<std::uint8_t>* data);

  ByteSource& file_;
  DiscMembers& members_;
  const std::uint64_t limit_;
  struct Partition {
    std::uint32_t start = 0, length = 0;
  };
  std::vector<Partition> maps_;  // by partition reference
  std::string path_;
  std::set<Address> visited_;
  std::uint64_t entries_ = 0;
};

bool UdfWalk::ReadSectors(std::uint64_t sector, std::uint64_t size,
                          std::vector<std::uint8_t>& out) {
  const std::uint64_t start = sector * kSector;
  if (sector > limit_ / kSector || start > limit_ || size > limit_ - start) return false;
  out.resize(static_cast<std::size_t>(size));
  return SkipTo(file_, start) && file_.Read(out.data(), out.size()) == out.size();
}

bool UdfWalk::SectorOf(Address address, std::uint64_t& sector) const {
  if (address.partition >= maps_.size()) return false;
  const Partition& partition = maps_[address.partition];
  if (address.block >= partition.length) return false;
  sector = std::uint64_t{partition.start} + address.block;
  return true;
}

bool UdfWalk::ReadBlock(Address address, std::vector<std::uint8_t>& out) {
  std::uint64_t sector = 0;
  return SectorOf(address, sector) && ReadSectors(sector, kSector, out);
}

bool UdfWalk::FindRoot(Address& root) {
  std::vector<std::uint8_t> sector;
  if (!ReadSectors(kAnchorSector, kSector, sector) || !TagIsGood(sector, kAnchorTag, kAnchorSector))
    return false;
  ByteReader anchor(sector);
  const std::uint32_t sequenceSectors =
      std::min(anchor.U32At(16) / static_cast<std::uint32_t>(kSector), kSequenceSectors);
  const std::uint32_t sequenceStart = anchor.U32At(20);
  std::vector<std::uint8_t> sequence;
  if (!ReadSectors(sequenceStart, sequenceSectors * kSector, sequence)) return false;

  std::vector<std::pair<std::uint16_t, Partition>> partitions;
  std::vector<std::uint8_t> volume;
  for (std::uint32_t i = 0; i < sequenceSectors; ++i) {
    const auto descriptor = std::span<const std::uint8_t>(sequence).subspan(i * kSector, kSector);
    ByteReader in(descriptor);
    const std::uint16_t id = in.U16At(0);
    if (!TagIsGood(descriptor, id, sequenceStart + i) || id == kTerminatingTag) break;
    if (id == kPartitionTag && partitions.size() < kPartitionLimit)
      partitions.push_back({in.U16At(22), {in.U32At(188), in.U32At(192)}});
    if (id == kLogicalVolumeTag && volume.empty())
      volume.assign(descriptor.begin(), descriptor.end());
  }
  if (volume.empty()) return false;
  ByteReader logical(volume);
  if (logical.U32At(212) != kSector) return false;
  const std::uint32_t mapCount = logical.U32At(268);
  std::size_t at = 440;
  for (std::uint32_t i = 0; i < mapCount && i < kPartitionLimit; ++i) {
    const std::uint8_t type = logical.U8At(at), length = logical.U8At(at + 1);
    if (!logical.ok() || length < 6) return false;
    std::uint16_t number = 0;
    if (type == 1) {
      number = logical.U16At(at + 4);
    } else if (type == 2 && length >= 40 &&
               std::string_view(reinterpret_cast<const char*>(volume.data() + at + 5), 23) ==
                   "*UDF Sparable Partition") {
      // The spared packets of a rewritable disc are not followed.
      number = logical.U16At(at + 38);
    } else {
      // Metadata and virtual partitions are not read: no reference to them
      // leads anywhere.
      number = 0xFFFF;
    }
    Partition found{0, 0};
    for (const auto& [partitionNumber, partition] : partitions)
      if (partitionNumber == number) found = partition;
    maps_.push_back(found);
    at += length;
  }
  if (!logical.ok()) return false;
  const Address fileSet{logical.U32At(252), logical.U16At(256)};
  if (!ReadBlock(fileSet, sector) || !TagIsGood(sector, kFileSetTag, fileSet.block)) return false;
  ByteReader set(sector);
  root = {set.U32At(404), set.U16At(408)};
  return true;
}

bool UdfWalk::ReadEntry(Address icb, Entry& entry, std::vector<std::uint8_t>* data) {
  std::vector<std::uint8_t> block;
  if (!ReadBlock(icb, block)) return false;
  ByteReader in(block);
  const std::uint16_t id = in.U16At(0);
  if ((id != kFileEntryTag && id != kExtendedFileEntryTag) || !TagIsGood(block, id, icb.block))
    return false;
  const bool extended = id == kExtendedFileEntryTag;
  entry.folder = in.U8At(27) == kFolderType;
  entry.size = in.U32At(56) | std::uint64_t{in.U32At(60)} << 32;
  const std::size_t stampAt = extended ? 92 : 84;
  const std::uint16_t zoneField = in.U16At(stampAt);
  int zone = zoneField & 0x0FFF;
  if (zone >= 0x800) zone -= 0x1000;
  if (zone == -2047) zone = 0;
  entry.stamp = DiscStampSeconds(static_cast<std::int16_t>(in.U16At(stampAt + 2)),
                                 in.U8At(stampAt + 4), in.U8At(stampAt + 5), in.U8At(stampAt + 6),
                                 in.U8At(stampAt + 7), in.U8At(stampAt + 8), zone);
  const std::size_t fixed = extended ? 216 : 176;
  const std::uint32_t attributesLength = in.U32At(extended ? 208 : 168);
  const std::uint32_t descriptorsLength = in.U32At(extended ? 212 : 172);
  if (!in.ok() || attributesLength > block.size() - fixed ||
      descriptorsLength > block.size() - fixed - attributesLength)
    return !data && in.ok();
  const auto descriptors =
      std::span<const std::uint8_t>(block).subspan(fixed + attributesLength, descriptorsLength);
  const unsigned kind = in.U16At(34) & 7;
  if (!data) {
    // A file whose first extent is recorded and holds all of it.
    ByteReader first(descriptors);
    const std::uint32_t length = first.U32At(0);
    std::uint64_t sector = 0;
    if (kind <= 1 && first.ok() && length >> 30 == kRecordedKind &&
        (length & kLengthMask) >= entry.size &&
        SectorOf({first.U32At(4), kind == 0 ? icb.partition : first.U16At(8)}, sector) &&
        first.ok())
      entry.storedAt = sector * kSector;
    return true;
  }
  if (entry.size > kDirectoryLimit) return false;
  if (kind == 3) {
    if (entry.size > descriptors.size()) return false;
    data->assign(descriptors.begin(),
                 descriptors.begin() + static_cast<std::ptrdiff_t>(entry.size));
    return true;
  }
  if (kind > 1) return false;
  const std::size_t step = kind == 0 ? 8 : 16;
  data->clear();
  std::vector<std::uint8_t> piece;
  ByteReader list(descriptors);
  for (std::size_t i = 0; list.remaining() >= step && data->size() < entry.size; ++i) {
    if (i == kExtentLimit) return false;
    const std::uint32_t length = list.U32At(i * step);
    Address at{list.U32At(i * step + 4), kind == 0 ? icb.partition : list.U16At(i * step + 8)};
    list.Skip(step);
    if ((length & kLengthMask) == 0) break;
    // A continuation of the descriptors elsewhere is not followed.
    if (length >> 30 == 3) return false;
    const std::uint64_t wanted =
        std::min<std::uint64_t>(length & kLengthMask, entry.size - data->size());
    if (length >> 30 != kRecordedKind) {
      data->resize(data->size() + static_cast<std::size_t>(wanted));
      continue;
    }
    std::uint64_t sector = 0;
    if (!SectorOf(at, sector) || !ReadSectors(sector, wanted, piece)) return false;
    data->insert(data->end(), piece.begin(), piece.end());
  }
  return data->size() == entry.size;
}

bool UdfWalk::Walk(const Folder& folder, int depth) {
  if (depth > kDepthLimit || !visited_.insert(folder.icb).second) return true;
  Entry self;
  std::vector<std::uint8_t> data;
  if (!ReadEntry(folder.icb, self, &data) || !self.folder) return false;
  std::vector<Folder> folders;
  ByteReader in(data);
  while (in.remaining() >= 38) {
    const std::size_t at = in.offset();
    const std::uint8_t characteristics = in.U8At(at + 18);
    const std::uint8_t nameLength = in.U8At(at + 19);
    const std::uint16_t useLength = in.U16At(at + 36);
    const std::size_t length = (38u + useLength + nameLength + 3) & ~std::size_t{3};
    if (length > in.remaining() || ++entries_ > kEntryLimit) return false;
    const auto identifier = std::span<const std::uint8_t>(data).subspan(at, length);
    // The tag's location is the block the descriptor stands in; the
    // checksum alone is checked here.
    ByteReader tag(identifier);
    if (!TagIsGood(identifier, kFileIdentifierTag, tag.U32At(12))) return false;
    in.Skip(length);
    if (characteristics & (kDeletedFile | kParentFile) || nameLength == 0) continue;
    const auto stored = identifier.subspan(38 + useLength, nameLength);
    std::string name;
    const std::uint8_t compression = stored[0];
    if (compression == 8 || compression == 254) {
      name.assign(reinterpret_cast<const char*>(stored.data() + 1), stored.size() - 1);
    } else if (compression == 16 || compression == 255) {
      AppendUtf16(name, stored.data() + 1, (stored.size() - 1) / 2, true);
    } else {
      continue;
    }
    if (name.empty() || name.find_first_of(std::string_view("\\/\0", 3)) != std::string::npos)
      continue;
    ByteReader icb(identifier.subspan(20, 16));
    const Address address{icb.U32At(4), icb.U16At(8)};
    if (characteristics & kFolderFile) {
      folders.push_back({address, std::move(name)});
      continue;
    }
    Entry entry;
    if (!ReadEntry(address, entry, nullptr)) return false;
    // Writers put read-only permissions on every file of a pressed disc;
    // only the hidden bit says something of the file.
    const std::uint32_t attributes = (characteristics & kHiddenFile) ? kHiddenAttribute : 0;
    const std::size_t nameAt = path_.size();
    path_ += name;
    const bool goOn =
        members_.List(path_, nameAt, entry.stamp, entry.size, attributes, entry.storedAt);
    path_.resize(nameAt);
    if (!goOn) return false;
  }
  data = {};
  for (const Folder& inner : folders) {
    const std::size_t length = path_.size();
    path_ += inner.name;
    path_ += '\\';
    const bool goOn = Walk(inner, depth + 1);
    path_.resize(length);
    if (!goOn) return false;
  }
  return true;
}

}  // namespace

bool ListUdfVolume(ByteSource& file, DiscMembers& members) {
  std::uint64_t limit = ~std::uint64_t{0};
  file.Size(limit);
  UdfWalk walk(file, members, limit);
  Address root;
  if (!walk.FindRoot(root)) return false;
  walk.Walk({root, {}}, 0);
  return true;
}
