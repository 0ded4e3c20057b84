#include "configurator/string_table_patch.h"

#include <array>

#include "common/message_table.h"

namespace {

constexpr unsigned kLastIdOfBlock1 = 15;
constexpr unsigned kStringsInTable = 32;

void PutU16(std::span<std::uint8_t> image, std::size_t offset, std::uint16_t value) {
  image[offset] = static_cast<std::uint8_t>(value);
  image[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(std::span<std::uint8_t> image, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) image[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Block 1 and block 2 from the string type's directory: block 1 is the
// first block listed, and it must be the block of ids 0-15.
std::optional<StringTableLocation> FindBlocks(const ResourceTree& tree, std::uint32_t directory) {
  std::size_t named = 0;
  auto count = tree.EntryCount(directory, &named);
  if (!count || *count < named + 2) return std::nullopt;
  DirectoryEntry first = tree.Entry(directory, named);
  DirectoryEntry second = tree.Entry(directory, named + 1);
  if (first.name != 1 || second.name != 2) return std::nullopt;
  auto one = tree.Data(first);
  auto two = tree.Data(second);
  if (!one || !two) return std::nullopt;
  return StringTableLocation{*one, *two};
}

// Position of the length word of string `id`, stepping over the counted
// strings in front of it from the start of block 1; nothing when a step
// would leave the table.
std::optional<std::size_t> StringPosition(const ImageBytes& file, const StringTableLocation& table,
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

// The same for every string of the table, in one walk.
std::array<std::optional<std::size_t>, kStringsInTable> StringPositions(
    const ImageBytes& file, const StringTableLocation& table) {
  std::array<std::optional<std::size_t>, kStringsInTable> found{};
  std::size_t at = table.Begin();
  for (unsigned id = 0; id < kStringsInTable && at + 2 <= table.End(); ++id) {
    found[id] = at;
    auto length = file.U16(at);
    if (!length) break;
    at += 2 + 2 * std::size_t{*length};
  }
  return found;
}

// The table the patch relies on: the two blocks contiguous (in the image and
// in the file), their directory entries outside their data, and all 32
// counted strings inside the two blocks with every slot of 80 code units.
bool LayoutHolds(const ImageBytes& file, const StringTableLocation& table) {
  const ResourceData& one = table.first;
  const ResourceData& two = table.second;
  if (std::uint64_t{one.address} + one.size != two.address) return false;
  if (one.dataOffset + one.size != two.dataOffset) return false;
  for (std::size_t entry : {one.entryOffset, two.entryOffset}) {
    if (entry + kResourceDataEntrySize > table.Begin() && entry < table.End()) return false;
  }
  if (file.U16(table.Begin()) != 0) return false;
  const auto positions = StringPositions(file, table);
  for (const msg::MessageSlot& slot : msg::kMessageSlots) {
    static_assert(msg::kEnglishFinish + 1 < kStringsInTable);
    auto text = positions[slot.textId];
    auto spacer = positions[slot.textId + 1];
    if (!text || !spacer || *file.U16(*text) + *file.U16(*spacer) != msg::kSlotUnits) return false;
  }
  auto last = positions[kStringsInTable - 1];
  return last && *last + 2 + 2 * std::size_t{*file.U16(*last)} <= table.End();
}

}  // namespace

std::optional<StringTableLocation> FindStringTable(std::span<const std::uint8_t> image) {
  ResourceTree tree(image);
  auto strings = tree.Subdirectory(0, kStringResource);
  if (!strings) return std::nullopt;
  auto table = FindBlocks(tree, *strings);
  if (!table || !LayoutHolds(ImageBytes(image), *table)) return std::nullopt;
  return table;
}

namespace {

// The length word of text `id` when its whole slot (two length words, 80 code
// units) lies in the table.
std::optional<std::size_t> SlotPosition(const ImageBytes& file, const StringTableLocation& table,
                                        unsigned id) {
  if (id % 2 == 0 || id < msg::kDefaultOption || id > msg::kEnglishFinish) return std::nullopt;
  auto at = StringPosition(file, table, id);
  if (!at || *at + 2 * (msg::kSlotUnits + 2) > table.End()) return std::nullopt;
  return at;
}

}  // namespace

std::optional<std::u16string> ReadMessageText(std::span<const std::uint8_t> image,
                                              const StringTableLocation& table, unsigned id) {
  ImageBytes file(image);
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
  ImageBytes file(image);
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
