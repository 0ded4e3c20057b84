// Tar archives inside one compressed stream (.tgz, .txz, .tar.zst, .tbz2):
// the kinds whose first header is the codec's magic at the start of the
// file. Their reader decodes the whole stream from the start through
// decompressing_byte_source.h and lists the tar inside with ListTarStream:
// member data is decoded and dropped, never kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "finder/archive/archive_format.h"
#include "finder/archive/decompressing_byte_source.h"

// The magic each stream starts with, and its size.
inline constexpr std::size_t kGzipMagicSize = 3;   // 1F 8B, then 08: deflate
inline constexpr std::size_t kXzMagicSize = 6;     // FD "7zXZ" 00
inline constexpr std::size_t kZstdMagicSize = 4;   // 28 B5 2F FD
inline constexpr std::size_t kBzip2MagicSize = 4;  // "BZh", then the block size '1'-'9'
bool IsGzipMagic(std::span<const std::uint8_t> bytes);
bool IsXzMagic(std::span<const std::uint8_t> bytes);
bool IsZstdMagic(std::span<const std::uint8_t> bytes);
bool IsBzip2Magic(std::span<const std::uint8_t> bytes);

// The readers of the four kinds (MemberReaders, archive_format.h). `file`
// stands behind the magic, at the start of the file. The first 512 decoded
// bytes must pass the tar test (IsTarHeader), else nothing is listed; a
// stream that is damaged or cut short ends the archive quietly.
void ListGzipTarMembers(ByteSource& file, std::span<const std::uint8_t> magic,
                        const MemberReading& reading);
void ListXzTarMembers(ByteSource& file, std::span<const std::uint8_t> magic,
                      const MemberReading& reading);
void ListZstdTarMembers(ByteSource& file, std::span<const std::uint8_t> magic,
                        const MemberReading& reading);
void ListBzip2TarMembers(ByteSource& file, std::span<const std::uint8_t> magic,
                         const MemberReading& reading);
