#include "configurator/string_table_patch.h"

#include <cstring>

#include "common/message_table.h"

namespace {

// Header fields, little-endian, at these offsets:
//
//   MS-DOS header   +0  u16 "MZ"   +24 u16 relocation table (>= 0x40)   +60 u32 PE header
//   PE header       +0  u32 "PE\0\0"   +6 u16 sections   +20 u16 optional header size
//                   section table at PE header + 24 + optional header size
//   section header  (40 bytes) +0 name[8]  +12 u32 virtual address
//                   +16 u32 raw data size  +20 u32 raw data position
//   directory       (16 bytes) +12 u16 named entries  +14 u16 id entries, then entries
//   entry           (8 bytes)  +0 u32 name or id  +4 u32 offset (top bit: subdirectory)
//   data entry      (16 bytes) +0 u32 data address  +4 u32 size
constexpr std::uint16_t kDosSignature = 0x5A4D;
constexpr std::size_t kDosRelocationField = 24;
constexpr std::uint16_t kMinRelocationOffset = 0x40;
constexpr std::size_t kPeOffsetField = 60;
constexpr std::uint32_t kPeSignature = 0x00004550;
constexpr std::size_t kSectionCountField = 6;
constexpr std::size_t kOptionalSizeField = 20;
constexpr std::size_t kSectionTableOffset = 24;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kSectionAddressField = 12;
constexpr std::size_t kSectionRawSizeField = 16;
constexpr std::size_t kSectionRawPositionField = 20;
constexpr std::size_t kDirectoryHeaderSize = 16;
constexpr std::size_t kNamedCountField = 12;
constexpr std::size_t kIdCountField = 14;
constexpr std::size_t kEntrySize = 8;
constexpr std::size_t kDataEntrySize = 16;
constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
constexpr std::uint32_t kStringType = 6;
constexpr char kResourceSection[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};

constexpr unsigned kLastIdOfBlock1 = 15;
constexpr unsigned kStringsInTable = 32;

// Reads little-endian values out of the file; a value that would pass the
// end reads as absent.
class Bytes {
 public:
  explicit Bytes(std::span<const std::uint8_t> data) : data_(data) {}

  bool Has(std::size_t offset, std::size_t size) const {
    return offset <= data_.size() && size <= data_.size() - offset;
  }
  std::optional<std::uint16_t> U16(std::size_t offset) const {
    if (!Has(offset, 2)) return std::nullopt;
    return static_cast<std::uint16_t>(data_[offset] | data_[offset + 1] << 8);
  }
  std::optional<std::uint32_t> U32(std::size_t offset) const {
    if (!Has(offset, 4)) return std::nullopt;
    return static_cast<std::uint32_t>(data_[offset]) | data_[offset + 1] << 8 |
           data_[offset + 2] << 16 | static_cast<std::uint32_t>(data_[offset + 3]) << 24;
  }
  const std::uint8_t* At(std::size_t offset) const { return data_.data() + offset; }

 private:
  std::span<const std::uint8_t> data_;
};

void PutU16(std::span<std::uint8_t> image, std::size_t offset, std::uint16_t value) {
  image[offset] = static_cast<std::uint8_t>(value);
  image[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(std::span<std::uint8_t> image, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) image[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

struct ResourceSection {
  std::uint32_t address;
  std::uint32_t rawSize;
  std::size_t rawPosition;
};

std::optional<ResourceSection> FindResourceSection(const Bytes& file) {
  if (file.U16(0) != kDosSignature) return std::nullopt;
  auto relocations = file.U16(kDosRelocationField);
  if (!relocations || *relocations < kMinRelocationOffset) return std::nullopt;
  auto pe = file.U32(kPeOffsetField);
  if (!pe || file.U32(*pe) != kPeSignature) return std::nullopt;
  auto sections = file.U16(*pe + kSectionCountField);
  auto optionalSize = file.U16(*pe + kOptionalSizeField);
  if (!sections || !optionalSize) return std::nullopt;
  std::size_t table = std::size_t{*pe} + kSectionTableOffset + *optionalSize;
  for (std::size_t i = 0; i < *sections; ++i) {
    std::size_t header = table + i * kSectionHeaderSize;
    if (!file.Has(header, kSectionHeaderSize)) return std::nullopt;
    if (std::memcmp(file.At(header), kResourceSection, sizeof kResourceSection) != 0) continue;
    ResourceSection found{*file.U32(header + kSectionAddressField),
                          *file.U32(header + kSectionRawSizeField),
                          *file.U32(header + kSectionRawPositionField)};
    // Only the part of the section that the file really holds can be walked.
    if (!file.Has(found.rawPosition, 0)) return std::nullopt;
    return found;
  }
  return std::nullopt;
}

struct DirectoryEntry {
  std::uint32_t name;
  std::uint32_t offset;
};

// The walk of the resource tree, confined to the section's raw data.
class ResourceTree {
 public:
  ResourceTree(const Bytes& file, const ResourceSection& section)
      : file_(file), section_(section) {}

  // Entries of the directory at `offset` from the root: first the named
  // ones, then the id ones.
  std::optional<std::size_t> EntryCount(std::uint32_t offset, std::size_t* named) const {
    if (!Inside(offset, kDirectoryHeaderSize)) return std::nullopt;
    std::size_t at = section_.rawPosition + offset;
    std::size_t namedCount = *file_.U16(at + kNamedCountField);
    std::size_t count = namedCount + *file_.U16(at + kIdCountField);
    if (!Inside(offset, kDirectoryHeaderSize + count * kEntrySize)) return std::nullopt;
    if (named) *named = namedCount;
    return count;
  }
  DirectoryEntry Entry(std::uint32_t directory, std::size_t index) const {
    std::size_t at = section_.rawPosition + directory + kDirectoryHeaderSize + index * kEntrySize;
    return {*file_.U32(at), *file_.U32(at + 4)};
  }

  // The data entry that a block's name entry leads to: directly, or as the
  // first language of its language directory.
  std::optional<StringBlock> BlockData(const DirectoryEntry& entry) const {
    std::uint32_t offset = entry.offset;
    if (offset & kSubdirectoryBit) {
      std::uint32_t languages = offset & ~kSubdirectoryBit;
      auto count = EntryCount(languages, nullptr);
      if (!count || *count == 0) return std::nullopt;
      offset = Entry(languages, 0).offset;
      if (offset & kSubdirectoryBit) return std::nullopt;
    }
    if (!Inside(offset, kDataEntrySize)) return std::nullopt;
    StringBlock block;
    block.entryOffset = section_.rawPosition + offset;
    block.address = *file_.U32(block.entryOffset);
    block.size = *file_.U32(block.entryOffset + 4);
    if (block.address < section_.address) return std::nullopt;
    std::uint32_t inSection = block.address - section_.address;
    if (!Inside(inSection, block.size)) return std::nullopt;
    block.dataOffset = section_.rawPosition + inSection;
    return block;
  }

 private:
  bool Inside(std::uint32_t offset, std::size_t size) const {
    return offset <= section_.rawSize && size <= section_.rawSize - offset &&
           file_.Has(section_.rawPosition + offset, size);
  }

  const Bytes& file_;
  const ResourceSection& section_;
};

// Block 1 and block 2 from the string type's directory: block 1 is the
// first block listed, and it must be the block of ids 0-15.
std::optional<StringTableLocation> FindBlocks(const ResourceTree& tree, std::uint32_t directory) {
  std::size_t named = 0;
  auto count = tree.EntryCount(directory, &named);
  if (!count || *count < named + 2) return std::nullopt;
  DirectoryEntry first = tree.Entry(directory, named);
  DirectoryEntry second = tree.Entry(directory, named + 1);
  if (first.name != 1 || second.name != 2) return std::nullopt;
  auto one = tree.BlockData(first);
  auto two = tree.BlockData(second);
  if (!one || !two) return std::nullopt;
  return StringTableLocation{*one, *two};
}

std::optional<StringTableLocation> FindBlocksInResources(const Bytes& file,
                                                         const ResourceSection& section) {
  ResourceTree tree(file, section);
  std::size_t named = 0;
  auto count = tree.EntryCount(0, &named);
  if (!count) return std::nullopt;
  for (std::size_t i = named; i < *count; ++i) {
    DirectoryEntry type = tree.Entry(0, i);
    if ((type.name & 0xFFFF) != kStringType || !(type.offset & kSubdirectoryBit)) continue;
    return FindBlocks(tree, type.offset & ~kSubdirectoryBit);
  }
  return std::nullopt;
}

// Position of the length word of string `id`, stepping over the counted
// strings in front of it from the start of block 1; nothing when a step
// would leave the table.
std::optional<std::size_t> StringPosition(const Bytes& file, const StringTableLocation& table,
                                          unsigned id) {
  std::size_t at = table.Begin();
  for (unsigned i = 0; i < id; ++i) {
    auto length = file.U16(at);
    if (!length || at + 2 > table.End()) return std::nullopt;
    at += 2 + 2 * std::size_t{*length};
  }
  if (at + 2 > table.End()) return std::nullopt;
  return at;
}

// The table the patch relies on: the two blocks contiguous (in the image and
// in the file), their directory entries outside their data, and all 32
// counted strings inside the two blocks with every slot of 80 code units.
bool LayoutHolds(const Bytes& file, const StringTableLocation& table) {
  const StringBlock& one = table.first;
  const StringBlock& two = table.second;
  if (std::uint64_t{one.address} + one.size != two.address) return false;
  if (one.dataOffset + one.size != two.dataOffset) return false;
  for (std::size_t entry : {one.entryOffset, two.entryOffset}) {
    if (entry + kDataEntrySize > table.Begin() && entry < table.End()) return false;
  }
  if (file.U16(table.Begin()) != 0) return false;
  for (const msg::MessageSlot& slot : msg::kMessageSlots) {
    auto text = StringPosition(file, table, slot.textId);
    auto spacer = StringPosition(file, table, slot.textId + 1);
    if (!text || !spacer || *file.U16(*text) + *file.U16(*spacer) != msg::kSlotUnits) return false;
  }
  auto last = StringPosition(file, table, kStringsInTable - 1);
  return last && *last + 2 + 2 * std::size_t{*file.U16(*last)} <= table.End();
}

}  // namespace

std::optional<StringTableLocation> FindStringTable(std::span<const std::uint8_t> image) {
  Bytes file(image);
  auto section = FindResourceSection(file);
  if (!section) return std::nullopt;
  auto table = FindBlocksInResources(file, *section);
  if (!table || !LayoutHolds(file, *table)) return std::nullopt;
  return table;
}

namespace {

// The length word of text `id` when its whole slot (two length words, 80 code
// units) lies in the table.
std::optional<std::size_t> SlotPosition(const Bytes& file, const StringTableLocation& table,
                                        unsigned id) {
  if (id % 2 == 0 || id < msg::kDefaultOption || id > msg::kEnglishFinish) return std::nullopt;
  auto at = StringPosition(file, table, id);
  if (!at || *at + 2 * (msg::kSlotUnits + 2) > table.End()) return std::nullopt;
  return at;
}

}  // namespace

std::optional<std::u16string> ReadMessageText(std::span<const std::uint8_t> image,
                                              const StringTableLocation& table, unsigned id) {
  Bytes file(image);
  auto at = SlotPosition(file, table, id);
  if (!at) return std::nullopt;
  const std::size_t length = *file.U16(*at);
  if (length > msg::kSlotUnits) return std::nullopt;
  std::u16string text(length, u'\0');
  for (std::size_t i = 0; i < length; ++i)
    text[i] = static_cast<char16_t>(*file.U16(*at + 2 + 2 * i));
  return text;
}

PatchResult WriteMessageText(std::span<std::uint8_t> image, StringTableLocation& table, unsigned id,
                             std::u16string_view text) {
  if (text.size() > msg::kMaxTextUnits) return PatchResult::kTooLong;
  Bytes file(image);
  auto at = SlotPosition(file, table, id);
  if (!at) return PatchResult::kOutOfRange;

  std::size_t length = text.size();
  PutU16(image, *at, static_cast<std::uint16_t>(length));
  for (std::size_t i = 0; i < length; ++i) PutU16(image, *at + 2 + 2 * i, text[i]);
  std::size_t spacer = *at + 2 + 2 * length;
  PutU16(image, spacer, static_cast<std::uint16_t>(msg::kSlotUnits - length));

  // The spacer of id 15 opens block 2: keep the boundary on it, the total of
  // both blocks unchanged, so the system's loader reads ids 16-31 right.
  if (id == kLastIdOfBlock1) {
    auto firstSize = static_cast<std::uint32_t>(spacer - table.first.dataOffset);
    std::uint32_t total = table.first.size + table.second.size;
    table.second.address = table.first.address + firstSize;
    table.second.dataOffset = spacer;
    table.second.size = total - firstSize;
    table.first.size = firstSize;
    PutU32(image, table.first.entryOffset + 4, table.first.size);
    PutU32(image, table.second.entryOffset, table.second.address);
    PutU32(image, table.second.entryOffset + 4, table.second.size);
  }
  return PatchResult::kWritten;
}
