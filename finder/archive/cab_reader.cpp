// The walk over the file records of a cabinet. After the first header is
// found the reader jumps by the first-file offset straight to the file
// records, so the folder records, the reserved areas and the names of the
// neighbouring cabinets of a set never disturb it.
#include "finder/archive/cab_reader.h"

#include "finder/archive/cab_reader_records.h"
#include "finder/archive/utf8_member_name.h"
#include "finder/archive/wildcard.h"
#include "finder/search/search_state.h"

namespace {

const HeaderFormat kCabFormat{kCabHeaderSize, 0, 'M', IsCabinetHeader};

enum class NameRead { Done, Stop };

// Reads a name up to its terminating 0 byte. Names come one byte at a time,
// which the buffered source serves from memory.
NameRead ReadName(ByteSource& file, CabNameCollector& name) {
  for (;;) {
    char byte = 0;
    if (file.Read(&byte, 1) != 1) return NameRead::Stop;
    if (byte == '\0') return name.fits() ? NameRead::Done : NameRead::Stop;
    name.Add(byte);
  }
}

}  // namespace

void ListCabMembers(ByteSource& file, MemberSink& sink, AnsiConverter toAnsi) {
  const SearchOptions& options = searchState.options;
  std::uint8_t header[kCabHeaderSize];
  if (!FindFirstHeader(file, kCabFormat, header)) return;
  CabHeader cabinet = DecodeCabHeader(header);
  if (!file.Skip(std::int64_t{cabinet.firstFileOffset} - std::int64_t{kCabHeaderSize})) return;
  MemberListing listing(sink, ArchiveStyle::Cabinet);
  // The long line shows a file by the last part of its name only.
  const bool lastPartOnly = options.form != 0;
  for (unsigned i = 0; i < cabinet.fileCount; ++i) {
    std::uint8_t bytes[kCabFileRecordSize];
    if (file.Read(bytes, sizeof bytes) != sizeof bytes) return;
    CabFileRecord record = DecodeCabFileRecord(bytes);
    CabNameCollector name(
        lastPartOnly, record.nameIsUtf8() ? nullptr : MemberNameLeadByteTest(options.ansiCodePage));
    if (ReadName(file, name) == NameRead::Stop) return;
    if (!MemberPassesFilters(options, record.stamp.date, record.stamp.time, record.size,
                             record.attributes))
      continue;
    std::string_view shown = name.name();
    char ansi[kAnsiNameSize];
    if (record.nameIsUtf8()) {
      Utf8NameMatch match = MatchUtf8Name(name.c_str(), toAnsi, ansi);
      if (match == Utf8NameMatch::NoMatch) continue;
      if (match == Utf8NameMatch::Unshowable) return;
      shown = ansi;
    } else if (!MatchWildcard(searchState.savedPattern, name.c_str())) {
      continue;
    }
    if (!listing.List({shown, ClockFromDos(record.stamp.date, record.stamp.time), record.size,
                       record.attributes}))
      return;
  }
}
