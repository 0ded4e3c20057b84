// The listing lines of both table forms and the directory header from
// arbitrary names, short names, sizes, stamps and attributes: nothing is cut,
// and the columns stay where the listing promises them (the long name whole
// from column 38 in form 1 and from screen column 52 in form 2, whenever the
// size fits its field), whatever the bytes of the names.
// Input: two bytes of date, two of time, eight of size, one of attributes,
// then the long name, a zero byte, the short name, a zero byte, a directory.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "common/display_columns.h"
#include "finder/listing/listing_lines.h"

namespace {

std::string_view Next(std::string_view& input) {
  std::size_t zero = input.find('\0');
  std::string_view part = input.substr(0, zero);
  input = zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
  return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 13) return 0;
  DosDateTime stamp{static_cast<std::uint16_t>(data[0] | data[1] << 8),
                    static_cast<std::uint16_t>(data[2] | data[3] << 8)};
  FileEntry entry;
  for (int i = 4; i < 12; ++i) entry.size = entry.size << 8 | data[i];
  entry.attributes = data[12];
  std::string_view input(reinterpret_cast<const char*>(data + 13), size - 13);
  std::string_view name = Next(input).substr(0, sizeof entry.name - 1);
  std::string_view shortName = Next(input).substr(0, sizeof entry.shortName - 1);
  std::string_view directory = Next(input).substr(0, kPathSize - 1);
  name.copy(entry.name, name.size());
  shortName.copy(entry.shortName, shortName.size());
  const bool directoryEntry = entry.attributes & kAttrDirectory;
  const bool sizeFits = directoryEntry || entry.size <= 9999999999ull;

  ListingLine form1 = BuildForm1Line(entry, stamp);
  if (form1.truncated()) std::abort();
  if (sizeFits && form1.view().substr(38) != name) std::abort();
  if (sizeFits && form1.size() != 38 + name.size()) std::abort();

  ListingLine form2 = BuildForm2Line(entry, stamp);
  if (form2.truncated()) std::abort();
  // The 8.3 columns are screen columns: a UTF-8 name there takes more bytes.
  const std::size_t before = form2.size() - name.size();
  if (sizeFits &&
      (form2.view().substr(before) != name ||
       FitColumns(form2.view().substr(0, before), static_cast<std::size_t>(-1)).columns != 52))
    std::abort();

  for (bool japanese : {false, true}) {
    HeaderLine header = DirectoryHeaderLine(directory, japanese);
    if (header.truncated()) std::abort();
    std::string_view shown = HeaderPath(directory);
    if (header.view().substr(header.size() - shown.size()) != shown) std::abort();
  }
  // Any FILETIME shows a real date, its own or the nearest end of the range.
  std::uint64_t ticks = 0;
  for (int i = 4; i < 12; ++i) ticks = ticks << 8 | data[i];
  const CalendarTime shown =
      UnpackDosDateTime(NearestDosDateTime(FileTimeFields(ticks)), kDosYearBits);
  if (shown.month == 0 || shown.day == 0) std::abort();
  return 0;
}
