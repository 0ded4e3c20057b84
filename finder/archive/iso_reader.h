// Lists the files of a disc image: its UDF volume when it has one, else its
// ISO 9660 tree, by the Joliet names when present, else by the Rock Ridge
// ones, else by the plain names. Only directories are read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "finder/archive/archive_format.h"

// The start of the descriptor at 32,768 (sector 16) that the image is known
// by: its type, a standard identifier ("CD001", or "BEA01", "NSR02", "NSR03",
// "TEA01" of a UDF volume recognition sequence) and its version.
inline constexpr std::size_t kIsoDescriptorHeaderSize = 7;
inline constexpr std::uint64_t kIsoFirstDescriptor = 16 * 2048;
bool IsIsoDescriptorHeader(std::span<const std::uint8_t> header);

// The disc image reader (a MemberReader, archive_format.h). The stamps are
// UTC moments shown in local time (`reading.toLocal`, UTC when it fails or
// is missing). Folders are not listed; a hidden file shows H, a Rock Ridge
// file without its owner's write permission R. Damage ends the listing
// quietly; a folder met a second time (a loop) or deeper than 64 levels is
// passed over.
void ListIsoMembers(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                    const MemberReading& reading);
