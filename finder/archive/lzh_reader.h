// Lists the matching members of one LHA archive (.LZH), header levels 0 to
// 3, reading only the member headers and skipping the data by seeking.
#pragma once

#include <cstdint>
#include <span>

#include "finder/archive/archive_format.h"
#include "finder/archive/lzh_reader_headers.h"

// The LHA reader (a MemberReader, archive_format.h): `reading.toLocal` gives
// the local time of the UTC stamps of levels 2 and 3 (UTC when it fails or
// is missing).
void ListLzhMembers(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                    const MemberReading& reading);
