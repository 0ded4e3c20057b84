// Listing the members of a 7z archive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "finder/archive/archive_format.h"

// The first header: the 32-byte signature header, which places the archive's
// header at the end of the file. It passes its test when its signature,
// major version and CRC hold, so a stray signature in a self-extracting stub
// is no header.
inline constexpr std::size_t kSevenZipSignatureHeaderSize = 32;
bool IsSevenZipSignatureHeader(std::span<const std::uint8_t> header);

// The 7z reader (a MemberReader, archive_format.h). The archive's header is
// read whole, and decoded with liblzma where it is stored compressed; member
// data is never read. Names are UTF-16, matched by their name part; a header
// encrypted with a password lists nothing.
void ListSevenZipMembers(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                         const MemberReading& reading);
