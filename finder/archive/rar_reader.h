// Lists the matching members of one RAR archive, of the layout of RAR 5 or
// of RAR 1.5 to 4, reading only the headers and skipping the data by
// seeking.
#pragma once

#include <cstdint>
#include <span>

#include "finder/archive/archive_format.h"
#include "finder/archive/rar_reader_headers.h"

// The RAR reader (a MemberReader, archive_format.h). `firstHeader` is the
// 7-byte marker; its last byte tells the layout. RAR 5 stamps are UTC and
// shown in local time (`reading.toLocal`, UTC when it fails or is missing);
// RAR 4 stamps are local already. An archive whose headers are encrypted
// lists nothing. Folders, and members continued from the previous volume of
// a set, are not listed.
void ListRarMembers(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                    const MemberReading& reading);
