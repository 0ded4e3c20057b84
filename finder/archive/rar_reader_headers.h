// The headers of RAR archives, decoded from bytes already read. Two layouts
// share the name and the first bytes of the marker.
//
// RAR 5: the marker "Rar!" 1A 07 01 00, then blocks. Numbers marked (v) are
// variable-length: seven bits a byte, low bits first, the high bit set on
// every byte but the last.
//   block:  CRC32 of the rest of the header (4)   header size (v): the bytes
//           from the type on, at most 3 bytes long (2 MiB)   type (v)
//           flags (v): 0x01 extra area, 0x02 data area, 0x08 data continued
//           from the previous volume   extra area size (v, with 0x01)
//           data size (v, with 0x02)   the fields of the type   the extra
//           area, which ends the header; the data area follows the header.
//   types:  1 archive, 2 file, 3 service (comment, quick open, ACL, streams,
//           recovery), 4 archive encryption, 5 end of archive.
//   file:   file flags (v): 0x01 directory, 0x02 time, 0x04 CRC, 0x08 size
//           unknown   unpacked size (v)   attributes (v)   modification
//           time, seconds since 1970 UTC (4, with 0x02)   data CRC (4, with
//           0x04)   compression (v)   host system (v): 0 Windows, 1 Unix
//           name length (v)   name, UTF-8 with "/" between folders.
//   extra:  records of size (v: from the type on), type (v), data. Type 3
//           holds stamps: flags (v): 0x01 Unix seconds (4 bytes) rather than
//           FILETIMEs (8), 0x02 modification time present; that time first.
//
// RAR 1.5 to 4: the marker "Rar!" 1A 07 00 is itself the first block.
//   block:  0 CRC (low 16 bits of the CRC32 of the header from offset 2)
//           2 type   3 flags   5 header size   7 added size (4, with flag
//           0x8000): the block is the header and that many bytes more.
//   types:  0x72 marker, 0x73 archive (flag 0x80: headers encrypted),
//           0x74 file, 0x75-0x78 old comment, authenticity, subblock and
//           recovery blocks, 0x7A subblock laid out as a file, 0x7B end.
//   file:   7 packed size (the added size)   11 unpacked size   15 host
//           system: 0 DOS, 1 OS/2, 2 Windows, 3 Unix, 4 Mac, 5 BeOS
//           16 data CRC   20 MS-DOS time, then date (local)   24 version
//           25 method   26 name size   28 attributes   32 high packed and
//           unpacked sizes (4 each, with flag 0x100)   then the name, 8 bytes
//           of salt (0x400), the extended stamps (0x1000).
//   flags:  0x01 continued from the previous volume, 0xE0 all set: a
//           folder, 0x200 the name holds a Unicode form, 0x100, 0x400 and
//           0x1000 as above.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "finder/records/calendar.h"

inline constexpr std::size_t kRarMarkerSize = 7;  // the first header the scan finds
inline constexpr std::uint8_t kRar4MarkerVersion = 0x00;
inline constexpr std::uint8_t kRar5MarkerVersion = 0x01;

// True when `bytes` begin with "Rar!" 1A 07 and a version byte of either
// layout.
bool IsRarMarker(std::span<const std::uint8_t> bytes);

// CRC-32 (the one of ZIP and PNG), continued from `crc` (0 to start).
std::uint32_t RarCrc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

// ---- RAR 5 ------------------------------------------------------------------

// Headers larger than three bytes of header size can say are damage.
inline constexpr std::uint64_t kRar5LargestHeader = (1u << 21) - 1;
// The bytes read at the start of every block: the CRC, a header size of up
// to 3 bytes and at least the type and the flags.
inline constexpr std::size_t kRar5BlockStart = 7;
inline constexpr std::uint64_t kRar5Archive = 1, kRar5File = 2, kRar5Service = 3,
                               kRar5Encryption = 4, kRar5End = 5;

// The size of the whole header whose first 7 bytes are `start` (CRC and
// header size included), or 0 when the header size is malformed or too big.
std::size_t Rar5HeaderSize(std::span<const std::uint8_t> start);

struct Rar5Block {
  bool ok = false;  // the CRC holds and every field lies inside the header
  std::uint64_t type = 0;
  std::uint64_t dataSize = 0;  // the data area behind the header
  bool continued = false;      // its data continues from the previous volume
  bool goesOn = false;         // its data goes on in the next volume
  std::span<const std::uint8_t> fields, extra;
};
// `header` holds the whole header, CRC first.
Rar5Block DecodeRar5Block(std::span<const std::uint8_t> header);

struct Rar5File {
  bool ok = false;
  bool directory = false;
  std::uint64_t size = 0;  // 0 when the writer did not know it
  std::uint64_t hostSystem = 0;
  std::uint64_t attributes = 0;
  bool haveStamp = false;
  std::int64_t stamp = 0;  // seconds since 1970, UTC
  std::string_view name;
  bool stored = false;  // its data is the file as it is: not compressed, not encrypted
};
inline constexpr std::uint64_t kRar5Windows = 0, kRar5Unix = 1;
// The fields of a file block and the stamp of its extra area, which wins
// over the one among the fields.
Rar5File DecodeRar5File(const Rar5Block& block);

// ---- RAR 1.5 to 4 -----------------------------------------------------------

inline constexpr std::size_t kRar4BlockSize = 7;
inline constexpr std::uint8_t kRar4Archive = 0x73, kRar4File = 0x74, kRar4Subblock = 0x7A,
                              kRar4End = 0x7B;
inline constexpr std::uint16_t kRar4EncryptedHeaders = 0x0080;

struct Rar4Block {
  std::uint16_t crc = 0;
  std::uint8_t type = 0;
  std::uint16_t flags = 0;
  std::uint16_t headerSize = 0;
};
// `bytes` holds the 7 bytes every block starts with.
Rar4Block DecodeRar4Block(std::span<const std::uint8_t> bytes);

// How many bytes follow the header of a block, whose `header` is read whole:
// the data of a file or subblock, else the added size.
std::uint64_t Rar4DataSize(const Rar4Block& block, std::span<const std::uint8_t> header);

struct Rar4File {
  bool ok = false;  // the CRC holds and the name lies inside the header
  bool continued = false, directory = false;
  std::uint64_t size = 0;
  std::uint32_t attributes = 0;  // as stored: Windows attributes or a Unix mode
  std::uint8_t hostSystem = 0;
  DosDateTime stamp;
  bool oddSecond = false;  // the extended stamps add a second to the MS-DOS time
  std::span<const std::uint8_t> name;
  bool hasUnicodeForm = false;  // flag 0x200
  bool stored = false;          // its data is the file whole: not compressed, encrypted or split
};
inline constexpr std::uint8_t kRar4Unix = 3;
Rar4File DecodeRar4File(const Rar4Block& block, std::span<const std::uint8_t> header);

// The Unicode form of a name flagged 0x200: the code-page name, a 0 byte,
// then the encoded UTF-16 name, decoded into `out` (room for `capacity`
// units and a terminator). The number of units, or -1 when the encoding
// runs past its bytes or the name does not fit. Without the 0 byte the name
// is UTF-8 and this is not called.
long DecodeRar4WideName(std::span<const std::uint8_t> field, char16_t* out, std::size_t capacity);

// The attributes a member is listed with: Windows attributes as stored, and
// from a Unix mode only the read-only one (no write bit for the owner).
std::uint32_t RarUnixModeAttributes(std::uint64_t mode);
