#include "finder/archive/lzh_reader_headers.h"

#include "finder/archive/byte_reader.h"

namespace {

constexpr std::size_t kOffsetHeaderSize = 0;
constexpr std::size_t kOffsetMethod = 2;
constexpr std::size_t kOffsetPackedSize = 7;
constexpr std::size_t kOffsetOriginalSize = 11;
constexpr std::size_t kOffsetStamp = 15;
constexpr std::size_t kOffsetAttributes = 19;
constexpr std::size_t kOffsetLevel = 20;
constexpr std::size_t kLevel2FirstExtSize = 24;
constexpr std::size_t kLevel3HeaderSize = 24;
constexpr std::size_t kLevel3SizeWidth = 4;

// FILETIME counts from 1601-01-01; this many seconds lie before 1970.

std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

bool IsLzhMethodId(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kOffsetMethod + 5) return false;
  auto method = bytes.subspan(kOffsetMethod, 5);
  return method[0] == '-' && method[1] == 'l' && method[2] == 'h' && method[4] == '-';
}

LzhBaseHeader DecodeLzhBase(std::span<const std::uint8_t> bytes) {
  ByteReader in(bytes);
  LzhBaseHeader base;
  base.level = in.U8At(kOffsetLevel);
  base.headerSize = base.level >= 2 ? in.U16At(kOffsetHeaderSize) : in.U8At(kOffsetHeaderSize);
  base.packedSize = in.U32At(kOffsetPackedSize);
  base.originalSize = in.U32At(kOffsetOriginalSize);
  base.stamp = in.U32At(kOffsetStamp);
  base.attributes = in.U8At(kOffsetAttributes);
  return base;
}

long LzhHeaderBytesToRead(const LzhBaseHeader& base) {
  if (base.level == 3) {
    // Offsets 0 and 1 hold the width of the size fields instead of a size.
    if (base.headerSize != kLevel3SizeWidth || base.attributes != 0x20) return -1;
    return static_cast<long>(kLzhLevel3FixedSize - kLzhBaseSize);
  }
  if (base.level > 2 || base.headerSize < kLzhBaseSize + 1) return -1;
  if (base.level >= 1 && base.attributes != 0x20) return -1;
  return static_cast<long>(base.headerSize - kLzhBaseSize);
}

long LzhLevel3BytesToRead(std::span<const std::uint8_t> fixed) {
  ByteReader in(fixed);
  std::uint32_t total = in.U32At(kLevel3HeaderSize);
  if (!in.ok() || total < kLzhLevel3FixedSize + kLevel3SizeWidth || total > kLzhLevel3MaxHeader)
    return -1;
  return static_cast<long>(total - kLzhLevel3FixedSize);
}

LzhNameField LzhLevel01Name(std::span<const std::uint8_t> rest) {
  ByteReader in(rest);
  std::size_t length = in.U8();
  std::string_view name = in.Text(length);
  if (!in.ok()) return {};
  return {true, name};
}

std::string_view LzhLevel0NamePart(std::string_view name, LeadByteTest isLeadByte) {
  // Only the backslash separates folders here; a slash is part of the name.
  std::size_t slash = LastSeparator(name, '\\', isLeadByte);
  return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

namespace {

std::uint64_t U64(ByteReader& in) {
  std::uint64_t low = in.U32();
  return low | std::uint64_t{in.U32()} << 32;
}

}  // namespace

LzhExtensions WalkLzhExtensions(std::span<const std::uint8_t> header, unsigned level) {
  LzhExtensions found;
  bool haveName = false;
  const std::size_t width = level == 3 ? kLevel3SizeWidth : 2;
  ByteReader in(header);
  in.Seek(level == 3 ? kLzhLevel3FixedSize : kLevel2FirstExtSize);
  // The chain ends at a size of 0, or where the header bytes end.
  while (in.ok() && in.remaining() >= width) {
    std::uint64_t size = width == 2 ? in.U16() : in.U32();
    if (size == 0) break;
    // Each header holds at least its type byte and the next size, and must
    // lie inside the header bytes read.
    if (size < 1 + width || size - 1 - width > in.remaining()) return {};
    std::uint8_t type = in.U8();
    std::span<const std::uint8_t> data = in.Bytes(static_cast<std::size_t>(size - 1 - width));
    if (!in.ok()) return {};
    ByteReader value(data);
    switch (type) {
      case kLzhExtFileName:
        found.name = AsText(data);
        haveName = true;
        break;
      case kLzhExtFolderName:
        found.folder = AsText(data);
        break;
      case kLzhExtWideFolderName:
        if (data.size() % 2 == 0) found.wideFolder = data;
        break;
      case kLzhExtWideFileName:
        if (data.size() % 2 != 0) return {};
        found.wideName = data;
        found.haveWideName = true;
        break;
      case kLzhExtAttributes:
        found.attributes = value.U16();
        break;
      case kLzhExtWindowsStamps:
        // Creation, then last write; the last access behind them is not used.
        value.Skip(8);
        found.lastWrite = SecondsFromFileTime(U64(value));
        found.haveLastWrite = true;
        break;
      case kLzhExtLargeSizes:
        found.packedSize = U64(value);
        found.originalSize = U64(value);
        found.haveLargeSizes = true;
        break;
      default:
        break;
    }
    // A known header too short for what it is read for is damage.
    if (!value.ok()) return {};
  }
  // Without a file-name header there is nothing to match or show.
  found.ok = haveName || found.haveWideName;
  return found;
}
