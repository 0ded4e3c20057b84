// Lists the matching members of a tar archive, POSIX (ustar and pax), GNU or
// v7, reading only the headers and passing the data by seeking forward.
#pragma once

#include <cstdint>
#include <span>

#include "finder/archive/archive_format.h"
#include "finder/archive/tar_reader_headers.h"

// The tar reader (a MemberReader, archive_format.h). `firstHeader` is the
// first 512-byte header, which passed IsTarHeader; `tar` stands behind it.
// Files and links are listed, folders and devices not. Stamps are UTC and
// shown in local time (`reading.toLocal`, UTC when it fails or is missing);
// the only attribute is R, from a mode without the owner's write bit. A
// header whose checksum fails, a number field that holds no number, or an
// extended header that does not parse ends the archive quietly. Only forward
// skips are made, so `tar` may be a stream being decompressed.
void ListTarStream(ByteSource& tar, std::span<const std::uint8_t> firstHeader,
                   const MemberReading& reading);

// The row of the plain tar kind: the same.
void ListTarMembers(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                    const MemberReading& reading);
