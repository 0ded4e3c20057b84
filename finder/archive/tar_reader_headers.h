// The headers of tar archives, decoded from bytes already read.
//
// An archive is a chain of 512-byte blocks: a header, then the member's data
// padded to whole blocks; two blocks of zeros end it.
//   header:   0 name (100)   100 mode (8)   108 uid (8)   116 gid (8)
//             124 size (12)   136 mtime (12): seconds since 1970 UTC
//             148 checksum (8): the sum of the header's bytes with this field
//             read as blanks, unsigned (old tars summed signed bytes)
//             156 type   157 link name (100)
//             257 magic: "ustar\0" "00" (POSIX), "ustar  \0" (GNU), none (v7)
//             265 owner (32)   297 group (32)   329 device numbers (8 + 8)
//             345 POSIX: prefix (155), the folders in front of the name
//                 GNU: 345 atime (12)  357 ctime (12)  369 offset (12)
//                 381 long names (4)  386 four sparse entries (12 + 12 each)
//                 482 extended (1)  483 real size (12)
//   numbers:  octal digits, blank-led, ended by a blank or 0 (or not at all);
//             or base-256: 0x80 (0xFF: negative) and big-endian bytes.
//   types:    '0' and 0 files ('7' contiguous ones), '1' hard and '2' symbolic
//             links, '3' '4' devices, '5' folders, '6' FIFOs;
//             GNU: 'L' the next member's long name, 'K' its long link name,
//             'S' an old sparse file, 'D' a dump folder, 'M' a continuation,
//             'V' a volume label; POSIX: 'x' extended records for the next
//             member, 'g' for all that follow ('X' an old Solaris 'x').
//   extended: records "LENGTH KEY=VALUE\n", LENGTH in decimal counting the
//             whole record: path, size, mtime (seconds with a fraction) and
//             the keys of GNU's sparse files: GNU.sparse.size (0.0 and 0.1),
//             GNU.sparse.realsize and GNU.sparse.name (1.0).
//   sparse:   an old GNU 'S' header with the extended byte set is followed by
//             blocks of 21 more entries, each with its own extended byte at
//             504; the data (of the stored size) follows them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

inline constexpr std::size_t kTarBlockSize = 512;

inline constexpr std::size_t kTarName = 0, kTarNameSize = 100;
inline constexpr std::size_t kTarMode = 100, kTarSize = 124, kTarMtime = 136;
inline constexpr std::size_t kTarType = 156, kTarMagic = 257;
inline constexpr std::size_t kTarPrefix = 345, kTarPrefixSize = 155;
inline constexpr std::size_t kTarGnuExtended = 482, kTarGnuRealSize = 483;
inline constexpr std::size_t kTarSparseBlockExtended = 504;

// True when the checksum of the 512-byte `header` holds, summed unsigned or
// signed; false for a field that is no number.
bool TarChecksumHolds(std::span<const std::uint8_t> header);

// The test on the first header: a checksum that holds and either the "ustar"
// magic or, for a header of the old v7 layout, a name.
bool IsTarHeader(std::span<const std::uint8_t> header);

// True when all 512 bytes are 0.
bool IsZeroBlock(std::span<const std::uint8_t> block);

// A number field of a header, octal or base-256. False when the field holds
// no number, or one beyond 63 bits.
bool TarNumber(std::span<const std::uint8_t> field, std::int64_t& value);

// The bytes of a text field up to its first 0.
std::string_view TarText(std::span<const std::uint8_t> field);

// What an extended header says about a member; each `has` when given.
struct TarExtended {
  bool hasPath = false, hasSize = false, hasMtime = false;
  bool hasSparseName = false, hasRealSize = false;
  std::string_view path, sparseName;  // inside the records
  std::int64_t size = 0, mtime = 0, realSize = 0;
};

// Reads the records of an extended header; values of later records win.
// False when a record's length runs past the records, is no number, or the
// record does not end in "\n" or holds no "=": the archive is damaged.
bool ReadTarExtended(std::string_view records, TarExtended& extended);
