#include "configurator/pe_resources.h"

#include <cstring>

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
constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
constexpr char kResourceSection[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};

constexpr unsigned kStringsInBlock = 16;

}  // namespace

ResourceTree::ResourceTree(std::span<const std::uint8_t> image) : file_(image) {
  if (file_.U16(0) != kDosSignature) return;
  auto relocations = file_.U16(kDosRelocationField);
  if (!relocations || *relocations < kMinRelocationOffset) return;
  auto pe = file_.U32(kPeOffsetField);
  if (!pe || file_.U32(*pe) != kPeSignature) return;
  auto sections = file_.U16(*pe + kSectionCountField);
  auto optionalSize = file_.U16(*pe + kOptionalSizeField);
  if (!sections || !optionalSize) return;
  std::size_t table = std::size_t{*pe} + kSectionTableOffset + *optionalSize;
  for (std::size_t i = 0; i < *sections; ++i) {
    std::size_t header = table + i * kSectionHeaderSize;
    if (!file_.Has(header, kSectionHeaderSize)) return;
    if (std::memcmp(file_.At(header), kResourceSection, sizeof kResourceSection) != 0) continue;
    address_ = *file_.U32(header + kSectionAddressField);
    rawSize_ = *file_.U32(header + kSectionRawSizeField);
    rawPosition_ = *file_.U32(header + kSectionRawPositionField);
    // Only the part of the section that the file really holds can be walked.
    found_ = file_.Has(rawPosition_, 0);
    return;
  }
}

bool ResourceTree::Inside(std::uint32_t offset, std::size_t size) const {
  return found_ && offset <= rawSize_ && size <= rawSize_ - offset &&
         file_.Has(rawPosition_ + offset, size);
}

std::optional<std::size_t> ResourceTree::EntryCount(std::uint32_t offset,
                                                    std::size_t* named) const {
  if (!Inside(offset, kDirectoryHeaderSize)) return std::nullopt;
  std::size_t at = rawPosition_ + offset;
  std::size_t namedCount = *file_.U16(at + kNamedCountField);
  std::size_t count = namedCount + *file_.U16(at + kIdCountField);
  if (!Inside(offset, kDirectoryHeaderSize + count * kEntrySize)) return std::nullopt;
  if (named) *named = namedCount;
  return count;
}

DirectoryEntry ResourceTree::Entry(std::uint32_t directory, std::size_t index) const {
  std::size_t at = rawPosition_ + directory + kDirectoryHeaderSize + index * kEntrySize;
  return {*file_.U32(at), *file_.U32(at + 4)};
}

std::optional<std::uint32_t> ResourceTree::Subdirectory(std::uint32_t directory,
                                                        std::uint32_t id) const {
  std::size_t named = 0;
  auto count = EntryCount(directory, &named);
  if (!count) return std::nullopt;
  for (std::size_t i = named; i < *count; ++i) {
    DirectoryEntry entry = Entry(directory, i);
    if ((entry.name & 0xFFFF) == id && (entry.offset & kSubdirectoryBit))
      return entry.offset & ~kSubdirectoryBit;
  }
  return std::nullopt;
}

std::optional<ResourceData> ResourceTree::Data(const DirectoryEntry& entry) const {
  std::uint32_t offset = entry.offset;
  if (offset & kSubdirectoryBit) {
    std::uint32_t languages = offset & ~kSubdirectoryBit;
    auto count = EntryCount(languages, nullptr);
    if (!count || *count == 0) return std::nullopt;
    offset = Entry(languages, 0).offset;
    if (offset & kSubdirectoryBit) return std::nullopt;
  }
  if (!Inside(offset, kResourceDataEntrySize)) return std::nullopt;
  ResourceData data;
  data.entryOffset = rawPosition_ + offset;
  data.address = *file_.U32(data.entryOffset);
  data.size = *file_.U32(data.entryOffset + 4);
  if (data.address < address_) return std::nullopt;
  std::uint32_t inSection = data.address - address_;
  if (!Inside(inSection, data.size)) return std::nullopt;
  data.dataOffset = rawPosition_ + inSection;
  return data;
}

std::optional<ResourceData> ResourceTree::Find(std::uint32_t type, std::uint32_t id,
                                               ResourceMiss& miss) const {
  miss = ResourceMiss::kNoResources;
  if (!EntryCount(0, nullptr)) return std::nullopt;
  auto names = Subdirectory(0, type);
  miss = ResourceMiss::kNoType;
  if (!names) return std::nullopt;
  std::size_t named = 0;
  auto count = EntryCount(*names, &named);
  miss = ResourceMiss::kNoName;
  for (std::size_t i = named; count && i < *count; ++i) {
    DirectoryEntry entry = Entry(*names, i);
    if (entry.name != id) continue;
    auto data = Data(entry);
    if (!data) miss = ResourceMiss::kNoResources;
    return data;
  }
  return std::nullopt;
}

std::optional<std::u16string> LoadResourceString(std::span<const std::uint8_t> image, unsigned id,
                                                 ResourceMiss& miss) {
  ResourceTree tree(image);
  auto block = tree.Find(kStringResource, id / kStringsInBlock + 1, miss);
  if (!block) return std::nullopt;
  miss = ResourceMiss::kNoName;
  ImageBytes file(image);
  // The block lies inside the file: every step stays inside the block.
  std::size_t at = block->dataOffset;
  const std::size_t end = block->dataOffset + block->size;
  for (unsigned i = 0; i < id % kStringsInBlock; ++i) {
    if (end - at < 2) return std::nullopt;
    std::size_t units = *file.U16(at);
    if ((end - at - 2) / 2 < units) return std::nullopt;
    at += 2 + 2 * units;
  }
  if (end - at < 2) return std::nullopt;
  std::size_t units = *file.U16(at);
  if (units == 0 || (end - at - 2) / 2 < units) return std::nullopt;
  std::u16string text(units, u'\0');
  for (std::size_t i = 0; i < units; ++i)
    text[i] = static_cast<char16_t>(*file.U16(at + 2 + 2 * i));
  return text;
}
