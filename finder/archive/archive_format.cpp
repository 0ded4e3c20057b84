#include "finder/archive/archive_format.h"

#include "finder/archive/cab_reader.h"
#include "finder/archive/cab_reader_records.h"
#include "finder/archive/lzh_reader.h"
#include "finder/archive/lzh_reader_headers.h"
#include "finder/archive/zip_reader.h"

namespace {

// The largest fixed header of the table.
constexpr std::size_t kLargestFirstHeader = 64;

}  // namespace

// Member names: LHA level 0 and 1 in the ANSI code page with "\" between
// folders, levels 2 and 3 with 0xFF and perhaps in UTF-16; ZIP in the ANSI
// code page or, with flag bit 11 or a Unicode path field, in UTF-8, "/" or
// "\" between folders; Cabinet in the ANSI code page or, with attribute bit
// 0x80, in UTF-8, "\" between folders. Each reader holds its own rules.
const std::array<ArchiveFormat, 3> kArchiveFormats = {{
    {"LHA",
     &SearchOptions::searchLzh,
     &SearchOptions::lzhPattern,
     {kLzhBaseSize, 2, '-', IsLzhMethodId},
     ListLzhMembers},
    {"ZIP",
     &SearchOptions::searchZip,
     &SearchOptions::zipPattern,
     {kZipLocalHeaderSize, 0, 'P', IsZipLocalHeader},
     ListZipMembers},
    {"Cabinet",
     &SearchOptions::searchCab,
     &SearchOptions::cabPattern,
     {kCabHeaderSize, 0, 'M', IsCabinetHeader},
     ListCabMembers},
}};

const ArchiveFormat* ArchiveFormatNamed(std::string_view name) {
  for (const ArchiveFormat& format : kArchiveFormats)
    if (format.name == name) return &format;
  return nullptr;
}

void ListArchiveMembers(const ArchiveFormat& format, ByteSource& file,
                        const MemberReading& reading) {
  std::uint8_t header[kLargestFirstHeader];
  const std::size_t size = format.firstHeader.size;
  if (size > sizeof header || !FindFirstHeader(file, format.firstHeader, {header, size})) return;
  format.list(file, {header, size}, reading);
}
