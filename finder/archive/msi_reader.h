// Lists the files of a Windows Installer package (.MSI, a merge module .MSM,
// a patch .MSP): the rows of its File table, each with its size and
// attributes from the table and its stamp from the package's embedded
// cabinet, whose members are named by the File table's keys.
#pragma once

#include <cstdint>
#include <span>

#include "finder/archive/archive_format.h"
#include "finder/archive/compound_file.h"

// The package reader (a MemberReader, archive_format.h; the first header is
// the compound file's). A file is listed by its long name; under /W by its
// path from the Directory table, the root folder left out. Names are
// UTF-8 in a database of code page 65001, else bytes of the ANSI code page.
// A file whose cabinet is not in the package shows 1980-01-01 00:00:00.
// Damage ends the listing quietly.
void ListMsiMembers(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                    const MemberReading& reading);
