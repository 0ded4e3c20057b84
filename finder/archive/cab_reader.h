// Lists the matching files of one Microsoft Cabinet file, reading only the
// cabinet header and the file records.
#pragma once

#include <cstdint>
#include <span>

#include "finder/archive/archive_format.h"

// The Cabinet reader (a MemberReader, archive_format.h): UTF-8 names are
// decoded and matched in UTF-16.
void ListCabMembers(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                    const MemberReading& reading);
