// The member headers of LHA archives, decoded from bytes already read.
//
// Every member header starts with the same 21 bytes; byte 20 is the header
// level, which decides how the rest is laid out:
//
//   offset  level 0            level 1                  level 2              level 3
//   0       H: header size - 2 H, as level 0            T: total header      4: the width of
//                                                       size (2 bytes)       the size fields
//   1       checksum (ignored) checksum (ignored)       (high byte of T)     (2 bytes)
//   2..6    method "-lh?-"     method "-lh?-"           method "-lh?-"       method "-lh?-"
//   7       compressed size    skip size: compressed    compressed size      compressed size
//                              size plus all extended
//                              headers
//   11      uncompressed size  uncompressed size        uncompressed size    uncompressed size
//   15      MS-DOS time, date  MS-DOS time, date        seconds since 1970,  as level 2
//                                                       UTC
//   19      MS-DOS attributes  0x20                     0x20                 0x20
//   20      0                  1                        2                    3
//
//   level 0: 21 name length n, 22 name, CRC (2); the data follows.
//   level 1: 21 name length n, 22 name, CRC (2), system id (1), then the size
//            of the first extended header (2) ends the base header of H + 2
//            bytes; the extended headers follow it, then the data.
//   level 2: 21 CRC (2), 23 system id (1), 24 size of the first extended
//            header (2), the extended headers; all within T bytes.
//   level 3: 21 CRC (2), 23 system id (1), 24 total header size (4), 28 size
//            of the first extended header (4), the extended headers; all
//            within the total header size.
//
// An extended header is announced by the size S in front of it (2 bytes, 4
// at level 3) and is a type byte, the data and the size of the next one; a
// size of 0 ends the chain. The types read here:
//   0x01 file name            0x02 folder name, 0xFF between folders
//   0x40 MS-DOS attributes (2 bytes)
//   0x41 Windows stamps: creation, last write, last access (8-byte FILETIMEs)
//   0x42 64-bit sizes: compressed, then uncompressed (8 bytes each)
//   0x44 file name in UTF-16LE  0x45 folder name in UTF-16LE, U+FFFF between
// A member is known by its file name alone; the folder names only make the
// whole path that /W lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "finder/archive/member_listing.h"
#include "finder/archive/member_name_part.h"
#include "finder/records/search_options.h"

inline constexpr std::size_t kLzhBaseSize = 21;
// A level-2 header may take all that its 16-bit size can say: a name as long
// as a path needs it.
inline constexpr std::size_t kLzhLevel2MaxHeader = 0xFFFF;
// Level 3 has 4-byte sizes; its fixed part runs to the first extended-header
// size. A header is read whole, so its size is bounded by the buffer it is
// read into: room for file and folder names of both kinds, each as long as a
// path may be, and the other headers.
inline constexpr std::size_t kLzhLevel3FixedSize = 28;
inline constexpr std::size_t kLzhLevel3MaxHeader = 256 * 1024;
inline constexpr std::uint8_t kLzhExtFileName = 0x01;
inline constexpr std::uint8_t kLzhExtFolderName = 0x02;
inline constexpr std::uint8_t kLzhExtAttributes = 0x40;
inline constexpr std::uint8_t kLzhExtWindowsStamps = 0x41;
inline constexpr std::uint8_t kLzhExtLargeSizes = 0x42;
inline constexpr std::uint8_t kLzhExtWideFileName = 0x44;
inline constexpr std::uint8_t kLzhExtWideFolderName = 0x45;
// What stands between folders in the folder names.
inline constexpr char kLzhFolderSeparator = '\xFF';
inline constexpr char16_t kLzhWideFolderSeparator = 0xFFFF;
inline constexpr std::uint16_t kLzhDefaultAttributes = 0x20;

// The fields of the first 21 bytes, as far as each level uses them.
struct LzhBaseHeader {
  unsigned level = 0;
  std::uint32_t headerSize = 0;  // H at levels 0 and 1, T at level 2
  std::uint32_t packedSize = 0;  // the skip size at level 1
  std::uint32_t originalSize = 0;
  std::uint32_t stamp = 0;      // time | date << 16, or seconds since 1970
  std::uint8_t attributes = 0;  // byte 19
};

// True when bytes 2 to 6 read "-lh?-"; `bytes` may be shorter than 7, which
// never passes.
bool IsLzhMethodId(std::span<const std::uint8_t> bytes);
// `bytes` holds at least the first 21 bytes of a header.
LzhBaseHeader DecodeLzhBase(std::span<const std::uint8_t> bytes);

// How many bytes of the header follow the first 21 and are read whole before
// the member is looked at (H - 21, or T - 21 at level 2; at level 3 the 7
// bytes up to offset 28, which tell the rest), or -1 when the header fails
// its checks: an unknown level, a size below 22, byte 19 not 0x20 at levels
// 1 to 3, a level-3 size width other than 4.
long LzhHeaderBytesToRead(const LzhBaseHeader& base);
// At level 3, with the first 28 bytes in `fixed`: how many header bytes
// follow them, or -1 when the total header size is below 32 (the fixed part
// and the first extended-header size) or above kLzhLevel3MaxHeader.
long LzhLevel3BytesToRead(std::span<const std::uint8_t> fixed);

// The name of a level 0 or 1 header: `rest` holds the bytes from offset 21
// on (length byte first); `ok` is false when the length byte points past the
// bytes read.
struct LzhNameField {
  bool ok = false;
  std::string_view name;
};
LzhNameField LzhLevel01Name(std::span<const std::uint8_t> rest);

// At level 0 the member is known by the part behind the last backslash.
// A second byte of a double-byte character (`isLeadByte`) is no backslash.
std::string_view LzhLevel0NamePart(std::string_view name, LeadByteTest isLeadByte = nullptr);

// What the extended headers inside a level-2 or level-3 header give.
struct LzhExtensions {
  bool ok = false;                           // false: damaged chain, or no file-name header
  std::string_view name;                     // from the last 0x01 header
  bool haveWideName = false;                 // a 0x44 header was met, which wins over 0x01
  std::span<const std::uint8_t> wideName;    // its UTF-16LE bytes, even in number
  std::string_view folder;                   // from the last 0x02 header
  std::span<const std::uint8_t> wideFolder;  // from the last 0x45 header of even size
  std::uint16_t attributes = kLzhDefaultAttributes;
  bool haveLastWrite = false;
  std::int64_t lastWrite = 0;  // from 0x41: seconds since 1970, UTC
  bool haveLargeSizes = false;
  std::uint64_t packedSize = 0, originalSize = 0;  // from 0x42
};
// `header` holds all bytes of a level-2 or level-3 header, from offset 0.
// Every extended header must lie inside them, and each known type must carry
// at least the bytes it is read for (a whole number of units for a UTF-16
// name). A name of any length is taken: whether it is too long to list is
// the reader's decision.
LzhExtensions WalkLzhExtensions(std::span<const std::uint8_t> header, unsigned level);
