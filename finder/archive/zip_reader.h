// Listing the members of a ZIP archive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "finder/archive/archive_format.h"

// The first header: a local file header (zip_reader.cpp tells a stray signature
// from one).
inline constexpr std::size_t kZipLocalHeaderSize = 30;
bool IsZipLocalHeader(std::span<const std::uint8_t> header);

// The ZIP reader (a MemberReader, archive_format.h): a member is matched by
// its name part; `reading.fromOem` decodes names stored in the OEM code page.
void ListZipMembers(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                    const MemberReading& reading);
