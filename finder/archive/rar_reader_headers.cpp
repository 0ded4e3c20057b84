#include "finder/archive/rar_reader_headers.h"

#include <array>
#include <cstring>

#include "finder/archive/byte_reader.h"

namespace {

constexpr std::uint8_t kMarkerStart[] = {'R', 'a', 'r', '!', 0x1A, 0x07};

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t crc = i;
    for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (0xEDB88320 & (0u - (crc & 1)));
    table[i] = crc;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

// ByteReader with the variable-length numbers of RAR 5. A number of more
// than ten bytes, or one past 64 bits, is damage like a short read.
class Rar5Fields {
 public:
  explicit Rar5Fields(std::span<const std::uint8_t> bytes) : reader_(bytes) {}
  bool ok() const { return reader_.ok() && !bad_; }
  std::size_t remaining() const { return reader_.remaining(); }
  std::size_t offset() const { return reader_.offset(); }
  std::uint32_t U32() { return reader_.U32(); }
  std::uint64_t U64() {
    const std::uint64_t low = reader_.U32();
    return low | std::uint64_t{reader_.U32()} << 32;
  }
  std::span<const std::uint8_t> Bytes(std::uint64_t size) {
    if (size > reader_.remaining()) {
      bad_ = true;
      return {};
    }
    return reader_.Bytes(static_cast<std::size_t>(size));
  }
  std::uint64_t Number() {
    std::uint64_t value = 0;
    for (unsigned shift = 0; shift < 64; shift += 7) {
      const std::uint8_t byte = reader_.U8();
      if (!reader_.ok()) return 0;
      if (shift == 63 && byte > 1) break;
      value |= std::uint64_t{byte & 0x7Fu} << shift;
      if (!(byte & 0x80)) return value;
    }
    bad_ = true;
    return 0;
  }

 private:
  ByteReader reader_;
  bool bad_ = false;
};

// Common block flags.
constexpr std::uint64_t kBlockExtra = 0x01, kBlockData = 0x02, kBlockContinued = 0x08,
                        kBlockGoesOn = 0x10;
// File flags.
constexpr std::uint64_t kFileDirectory = 0x01, kFileTime = 0x02, kFileCrc = 0x04,
                        kFileSizeUnknown = 0x08;
// The stamps record of the extra area and its flags.
constexpr std::uint64_t kExtraEncryption = 1, kExtraStamps = 3;
// The compression information: the method in bits 7 to 9, 0 storing.
constexpr std::uint64_t kMethodShift = 7, kMethodMask = 7;
constexpr std::uint64_t kStampsUnix = 0x01, kStampsModified = 0x02;

// The modification time of a stamps record, when it holds one.
void ReadStampsRecord(Rar5Fields& record, Rar5File& file) {
  const std::uint64_t flags = record.Number();
  if (!(flags & kStampsModified)) return;
  const std::int64_t stamp =
      (flags & kStampsUnix) ? std::int64_t{record.U32()} : SecondsFromFileTime(record.U64());
  if (!record.ok()) return;
  file.haveStamp = true;
  file.stamp = stamp;
}

// RAR 1.5-4 file header offsets.
constexpr std::size_t kCrc = 0, kType = 2, kFlags = 3, kHeaderSize = 5, kPackedSize = 7,
                      kUnpackedSize = 11, kHostSystem = 15, kStamp = 20, kNameSize = 26,
                      kMethod = 25, kAttributes = 28, kHighSizes = 32;
constexpr std::uint8_t kMethodStore = 0x30;
constexpr std::uint16_t kLongBlock = 0x8000, kContinued = 0x0001, kGoesOn = 0x0002,
                        kEncrypted = 0x0004, kFolderBits = 0x00E0, kLargeSizes = 0x0100,
                        kUnicodeName = 0x0200, kSalt = 0x0400, kExtendedStamps = 0x1000;
constexpr std::size_t kSaltSize = 8;
// The extended stamps start with 16 bits of flags, four for each stamp,
// the modification time's highest: 8 present, 4 one second more than the
// MS-DOS time, 3 how many bytes of fraction follow.
constexpr unsigned kStampPresent = 8, kStampOddSecond = 4;
constexpr std::uint8_t kWindowsFolder = 0x10;
constexpr std::uint32_t kUnixTypeMask = 0xF000, kUnixFolder = 0x4000, kUnixOwnerWrite = 0200;
constexpr std::uint32_t kReadOnly = 0x01;

}  // namespace

bool IsRarMarker(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= kRarMarkerSize &&
         std::memcmp(bytes.data(), kMarkerStart, sizeof kMarkerStart) == 0 &&
         (bytes[6] == kRar4MarkerVersion || bytes[6] == kRar5MarkerVersion);
}

std::uint32_t RarCrc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
  crc = ~crc;
  for (std::uint8_t byte : bytes) crc = crc >> 8 ^ kCrcTable[(crc ^ byte) & 0xFF];
  return ~crc;
}

std::size_t Rar5HeaderSize(std::span<const std::uint8_t> start) {
  if (start.size() < kRar5BlockStart) return 0;
  std::uint64_t size = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    size |= std::uint64_t{start[4 + i] & 0x7Fu} << (7 * i);
    if (!(start[4 + i] & 0x80)) {
      // The type and the flags at least.
      if (size < 2) return 0;
      return static_cast<std::size_t>(4 + (i + 1) + size);
    }
  }
  return 0;
}

Rar5Block DecodeRar5Block(std::span<const std::uint8_t> header) {
  Rar5Block block;
  Rar5Fields fields(header);
  const std::uint32_t crc = fields.U32();
  if (!fields.ok() || RarCrc32(header.subspan(4)) != crc) return block;
  fields.Number();  // the header size, which `header` was read by
  block.type = fields.Number();
  const std::uint64_t flags = fields.Number();
  const std::uint64_t extraSize = (flags & kBlockExtra) ? fields.Number() : 0;
  if (flags & kBlockData) block.dataSize = fields.Number();
  block.continued = (flags & kBlockContinued) != 0;
  block.goesOn = (flags & kBlockGoesOn) != 0;
  if (!fields.ok() || extraSize > fields.remaining()) return block;
  block.fields = fields.Bytes(fields.remaining() - extraSize);
  block.extra = fields.Bytes(extraSize);
  block.ok = fields.ok();
  return block;
}

Rar5File DecodeRar5File(const Rar5Block& block) {
  Rar5File file;
  Rar5Fields fields(block.fields);
  const std::uint64_t flags = fields.Number();
  file.directory = (flags & kFileDirectory) != 0;
  file.size = fields.Number();
  if (flags & kFileSizeUnknown) file.size = 0;
  file.attributes = fields.Number();
  if (flags & kFileTime) {
    file.haveStamp = true;
    file.stamp = fields.U32();
  }
  if (flags & kFileCrc) fields.U32();
  const std::uint64_t compression = fields.Number();
  file.stored = (compression >> kMethodShift & kMethodMask) == 0 && !block.goesOn;
  file.hostSystem = fields.Number();
  const std::uint64_t nameLength = fields.Number();
  const auto name = fields.Bytes(nameLength);
  file.name = {reinterpret_cast<const char*>(name.data()), name.size()};
  if (!fields.ok()) return file;

  Rar5Fields extra(block.extra);
  while (extra.remaining() > 0) {
    const std::uint64_t size = extra.Number();
    Rar5Fields record(extra.Bytes(size));
    if (!extra.ok() || size == 0) return file;
    const std::uint64_t type = record.Number();
    if (type == kExtraStamps) ReadStampsRecord(record, file);
    if (type == kExtraEncryption) file.stored = false;
  }
  file.ok = true;
  return file;
}

Rar4Block DecodeRar4Block(std::span<const std::uint8_t> bytes) {
  ByteReader reader(bytes);
  Rar4Block block;
  block.crc = reader.U16At(kCrc);
  block.type = reader.U8At(kType);
  block.flags = reader.U16At(kFlags);
  block.headerSize = reader.U16At(kHeaderSize);
  return block;
}

std::uint64_t Rar4DataSize(const Rar4Block& block, std::span<const std::uint8_t> header) {
  ByteReader reader(header);
  if (block.type == kRar4File || block.type == kRar4Subblock) {
    std::uint64_t size = reader.U32At(kPackedSize);
    if (block.flags & kLargeSizes) size |= std::uint64_t{reader.U32At(kHighSizes)} << 32;
    return reader.ok() ? size : 0;
  }
  if (!(block.flags & kLongBlock)) return 0;
  const std::uint32_t added = reader.U32At(kPackedSize);
  return reader.ok() ? added : 0;
}

Rar4File DecodeRar4File(const Rar4Block& block, std::span<const std::uint8_t> header) {
  Rar4File file;
  ByteReader reader(header);
  file.size = reader.U32At(kUnpackedSize);
  file.hostSystem = reader.U8At(kHostSystem);
  const std::uint32_t stamp = reader.U32At(kStamp);
  file.stamp = {static_cast<std::uint16_t>(stamp >> 16), static_cast<std::uint16_t>(stamp)};
  const std::size_t nameSize = reader.U16At(kNameSize);
  file.attributes = reader.U32At(kAttributes);
  std::size_t nameAt = kHighSizes;
  if (block.flags & kLargeSizes) {
    file.size |= std::uint64_t{reader.U32At(kHighSizes + 4)} << 32;
    nameAt += 8;
  }
  reader.Seek(nameAt);
  file.name = reader.Bytes(nameSize);
  if (!reader.ok()) return file;
  const std::size_t nameEnd = reader.offset();
  // Writers before 3.0 took the CRC over the header up to the name only.
  const std::uint32_t upToName = RarCrc32(header.subspan(kType, nameEnd - kType));
  if ((upToName & 0xFFFF) != block.crc &&
      (RarCrc32(header.subspan(nameEnd), upToName) & 0xFFFF) != block.crc)
    return file;
  if (block.flags & kSalt) reader.Skip(kSaltSize);
  if (block.flags & kExtendedStamps) {
    const unsigned modified = reader.U16() >> 12;
    // Stamps cut short by the header's end refine nothing.
    file.oddSecond = reader.ok() && (modified & kStampPresent) && (modified & kStampOddSecond);
  }
  file.continued = (block.flags & kContinued) != 0;
  file.stored =
      reader.U8At(kMethod) == kMethodStore && !(block.flags & (kContinued | kGoesOn | kEncrypted));
  file.hasUnicodeForm = (block.flags & kUnicodeName) != 0;
  const bool unixMode = file.hostSystem >= kRar4Unix;
  file.directory = (block.flags & kFolderBits) == kFolderBits ||
                   (unixMode ? (file.attributes & kUnixTypeMask) == kUnixFolder
                             : (file.attributes & kWindowsFolder) != 0);
  if (unixMode) file.attributes = RarUnixModeAttributes(file.attributes);
  file.ok = true;
  return file;
}

long DecodeRar4WideName(std::span<const std::uint8_t> field, char16_t* out, std::size_t capacity) {
  const auto* zero = static_cast<const std::uint8_t*>(std::memchr(field.data(), 0, field.size()));
  if (!zero) return -1;
  const std::span<const std::uint8_t> narrow(field.data(), zero);
  ByteReader encoded(field.subspan(narrow.size() + 1));
  // Each unit is stored one of four ways, named by two bits of a flags byte
  // that comes ahead of every four units: its low byte alone; its low byte
  // under a high byte shared by the whole name; both bytes; or a run copied
  // from the code-page name, byte for byte or each byte shifted by a
  // correction and put under the shared high byte.
  const unsigned high = encoded.U8();
  std::size_t units = 0;
  unsigned flags = 0, flagsLeft = 0;
  while (encoded.ok() && encoded.remaining() > 0) {
    if (flagsLeft == 0) {
      flags = encoded.U8();
      flagsLeft = 4;
    }
    const unsigned way = flags >> 6 & 3;
    flags <<= 2;
    --flagsLeft;
    if (way == 3) {
      const unsigned length = encoded.U8();
      const unsigned correction = (length & 0x80) ? encoded.U8() : 0;
      for (unsigned run = (length & 0x7F) + 2; run > 0; --run, ++units) {
        if (units >= narrow.size() || units >= capacity) return -1;
        const unsigned byte = narrow[units];
        out[units] = static_cast<char16_t>(
            (length & 0x80) ? ((byte + correction) & 0xFF) | high << 8 : byte);
      }
      continue;
    }
    if (units >= capacity) return -1;
    const unsigned low = encoded.U8();
    out[units++] = static_cast<char16_t>(way == 0   ? low
                                         : way == 1 ? low | high << 8
                                                    : low | encoded.U8() << 8);
  }
  if (!encoded.ok()) return -1;
  out[units] = 0;
  return static_cast<long>(units);
}

std::uint32_t RarUnixModeAttributes(std::uint64_t mode) {
  return (mode & kUnixOwnerWrite) ? 0 : kReadOnly;
}
