#include "finder/archive/member_listing.h"

#include <cstring>

#include "finder/records/entry_filter.h"

namespace {

// The scan reads the file in blocks of this size; a header is tested in the
// block when it lies wholly inside it, else read from the file.
constexpr std::size_t kScanBlock = 1024;
static_assert(kScanBlock >= 2 * kLargestFirstHeader);

}  // namespace

bool FindFirstHeader(ByteSource& file, const HeaderFormat& format, std::span<std::uint8_t> record) {
  const std::size_t size = format.size;
  if (size == 0 || size > kLargestFirstHeader || format.keyOffset >= size || record.size() < size)
    return false;
  const std::uint64_t origin = file.Position();

  std::uint8_t block[kScanBlock];
  if (file.Read(block, size) != size) return false;
  if (format.passes({block, size})) {
    std::memcpy(record.data(), block, size);
    return true;
  }

  // The first block holds the bytes already read and the ones behind them;
  // its first key byte is not looked at (the header it would start failed).
  std::uint64_t blockStart = origin;
  std::size_t filled = size + file.Read(block + size, kScanBlock - size);
  std::size_t from = 1;
  for (;;) {
    for (std::size_t i = from; i < filled; ++i) {
      const void* next = std::memchr(block + i, format.key, filled - i);
      if (!next) break;
      i = static_cast<std::size_t>(static_cast<const std::uint8_t*>(next) - block);
      // A key byte so near the start that its header would begin in front of
      // the file (LHA's key is its third byte).
      if (blockStart - origin + i < format.keyOffset) continue;
      const std::uint64_t headerStart = blockStart + i - format.keyOffset;

      bool passes;
      if (i >= format.keyOffset && i - format.keyOffset + size <= filled) {
        passes = format.passes({block + i - format.keyOffset, size});
      } else {
        // The header straddles the block's edge: read it where it lies, then
        // come back to where the scan left the file.
        std::uint8_t header[kLargestFirstHeader];
        if (!SkipTo(file, headerStart)) return false;
        passes = file.Read(header, size) == size && format.passes({header, size});
        if (!SkipTo(file, blockStart + filled)) return false;
      }
      if (passes) {
        return SkipTo(file, headerStart) && file.Read(record.data(), size) == size;
      }
    }
    blockStart += filled;
    filled = file.Read(block, kScanBlock);
    if (filled == 0) return false;
    from = 0;
  }
}

bool MemberPassesDateTimeSize(const SearchOptions& options, std::uint16_t date, std::uint16_t time,
                              std::uint64_t size) {
  const DosDateTime stamp{date, time};
  return MatchesDateTimeSize(options, &stamp, size);
}

bool MemberPassesAttributes(const SearchOptions& options, std::uint32_t attributes) {
  return MatchesAttributes(options, attributes);
}

bool MemberPassesFilters(const SearchOptions& options, std::uint16_t date, std::uint16_t time,
                         std::uint64_t size, std::uint32_t attributes) {
  return MemberPassesDateTimeSize(options, date, time, size) &&
         MemberPassesAttributes(options, attributes);
}
