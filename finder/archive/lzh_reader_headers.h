// The member headers of LHA archives, decoded from bytes already read.
//
// Every member header starts with the same 21 bytes; byte 20 is the header
// level, which decides how the rest is laid out:
//
//   offset  level 0              level 1                    level 2
//   0       H: header size - 2   H, as level 0              T: total header size (2 bytes)
//   1       checksum (ignored)   checksum (ignored)         (high byte of T)
//   2..6    method "-lh?-"       method "-lh?-"             method "-lh?-"
//   7       compressed size      skip size: compressed size compressed size
//                                plus all extended headers
//   11      uncompressed size    uncompressed size          uncompressed size
//   15      MS-DOS time, date    MS-DOS time, date          seconds since 1970, UTC
//   19      MS-DOS attributes    0x20                       0x20
//   20      0                    1                          2
//
//   level 0: 21 name length n, 22 name, CRC (2); the data follows.
//   level 1: 21 name length n, 22 name, CRC (2), system id (1), then the size
//            of the first extended header (2) ends the base header of H + 2
//            bytes; the extended headers follow it, then the data.
//   level 2: 21 CRC (2), 23 system id (1), 24 size of the first extended
//            header (2), the extended headers; all within T bytes.
//
// An extended header is announced by the 2-byte size S in front of it and is
// a type byte, S - 3 data bytes and the 2-byte size of the next one; a size of
// 0 ends the chain.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "finder/archive/member_listing.h"
#include "finder/options/search_options.h"

inline constexpr std::size_t kLzhBaseSize = 21;
inline constexpr std::size_t kLzhLevel2MaxHeader = 1284;
inline constexpr std::size_t kLzhNameCapacity = 260;
inline constexpr std::uint8_t kLzhExtFileName = 0x01;
inline constexpr std::uint8_t kLzhExtAttributes = 0x40;
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
// the member is looked at (H - 21, or T - 21 at level 2), or -1 when the
// header fails its checks: an unknown level, a size below 22, byte 19 not 0x20
// at levels 1 and 2, a level-2 header above 1284 bytes.
long LzhHeaderBytesToRead(const LzhBaseHeader& base);

// The name of a level 0 or 1 header: `rest` holds the bytes from offset 21
// on (length byte first); `ok` is false when the length byte points past the
// bytes read.
struct LzhNameField {
  bool ok = false;
  std::string_view name;
};
LzhNameField LzhLevel01Name(std::span<const std::uint8_t> rest);

// At level 0 the member is known by the part behind the last backslash.
std::string_view LzhLevel0NamePart(std::string_view name);

// What the extended headers inside a level-2 header give.
struct LzhLevel2Extensions {
  bool ok = false;        // false: damaged chain, or no file-name header
  std::string_view name;  // from the last 0x01 header
  std::uint16_t attributes = kLzhDefaultAttributes;
};
// `header` holds all T bytes of a level-2 header, from offset 0.
LzhLevel2Extensions WalkLzhLevel2Extensions(std::span<const std::uint8_t> header);

// Converts seconds since 1970 (UTC) to the local calendar time a level-2
// member is shown and compared with; false when it cannot.
using LocalTimeConverter = bool (*)(std::int64_t secondsSince1970, MemberClock* out);
// The same in UTC, which never fails: what a failed conversion falls back to.
MemberClock UtcClock(std::int64_t secondsSince1970);
// The MS-DOS values the criteria compare. The year is kept modulo 64 as the
// 6-bit field allows; a time before 1980 packs as 1980-01-01 00:00:00.
DosDateTime PackDosDateTime(const MemberClock& clock);
