// The walk over the file records of a cabinet. After the first header is
// found the reader jumps by the first-file offset straight to the file
// records, so the folder records, the reserved areas and the names of the
// neighbouring cabinets of a set never disturb it.
#include "finder/archive/cab_reader.h"

#include <cstring>
#include <memory>

#include "finder/archive/cab_reader_records.h"
#include "finder/archive/utf8_member_name.h"
#include "finder/archive/wildcard.h"

namespace {

enum class NameRead { Done, Stop };

// A stored name as it is collected, and the room to match and show it: some
// 250 KiB, made once per archive and left unset. A name in UTF-8 takes up to
// three bytes a unit; one that outgrows this is too long to list in any
// encoding.
struct CabRoom {
  char name[3 * kMemberNameUnits + 1];
  MemberNameRoom names;
};

// Reads a name up to its terminating 0 byte, however long it is. The name is read in pieces of
// the length most names have, and what was read past its end is given back:
// a step back inside the read-ahead buffer costs nothing.
NameRead ReadName(ByteSource& file, CabNameCollector& name) {
  char piece[64];
  for (;;) {
    const std::size_t got = file.Read(piece, sizeof piece);
    if (got == 0) return NameRead::Stop;
    const auto* end = static_cast<const char*>(std::memchr(piece, '\0', got));
    if (!end) {
      name.Add(std::string_view(piece, got));
      continue;
    }
    const auto length = static_cast<std::size_t>(end - piece);
    name.Add(std::string_view(piece, length));
    if (!file.Skip(-static_cast<std::int64_t>(got - length - 1))) return NameRead::Stop;
    return NameRead::Done;
  }
}

}  // namespace

void ListCabMembers(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                    const MemberReading& reading) {
  MemberList& listing = reading.listing;
  const SearchOptions& options = listing.options();
  if (firstHeader.size() != kCabHeaderSize) return;
  CabHeader cabinet = DecodeCabHeader(firstHeader);
  if (!file.Skip(std::int64_t{cabinet.firstFileOffset} - std::int64_t{kCabHeaderSize})) return;
  // The long line shows a file by the last part of its name only, unless
  // /W asks for whole paths; the short line shows the stored name.
  const bool wholeName = options.form == 0 || options.wholeMemberPaths;
  const ByteNameCodes codes = ByteNameCodesOf(reading);
  const auto room = std::make_unique_for_overwrite<CabRoom>();
  for (unsigned i = 0; i < cabinet.fileCount; ++i) {
    std::uint8_t bytes[kCabFileRecordSize];
    if (file.Read(bytes, sizeof bytes) != sizeof bytes) return;
    CabFileRecord record = DecodeCabFileRecord(bytes);
    CabNameCollector name(room->name, !wholeName, record.nameIsUtf8() ? nullptr : codes.isLeadByte);
    if (ReadName(file, name) == NameRead::Stop) return;
    // A name too long to list passes its member over, as one that does not
    // match: the next record follows its terminator all the same.
    if (!name.fits() || !MemberPassesFilters(options, record.stamp.date, record.stamp.time,
                                             record.size, record.attributes))
      continue;
    // Matched by the part behind the last backslash, as ZIP and LHA members
    // are: a pattern without folders finds a member in a folder.
    std::string_view shown;
    MemberNameRoom& names = room->names;
    if (record.nameIsUtf8()) {
      if (!MatchUtf8Name(listing.pattern(), name.part_c_str(), names, shown) ||
          (wholeName && !ListUtf8Path(name.c_str(), names, shown)))
        continue;
    } else if (!MatchCodePageName(listing.pattern(), name.part(), codes, names, shown) ||
               (wholeName && !ListCodePagePath(name.name(), codes, names, shown))) {
      continue;
    }
    if (!listing.List({shown, UnpackDosDateTime(record.stamp, kMemberYearBits), record.size,
                       record.attributes}))
      return;
  }
}

void WalkCabFiles(ByteSource& file, std::span<const std::uint8_t> firstHeader, std::span<char> room,
                  CabFileVisitor& visitor) {
  if (firstHeader.size() != kCabHeaderSize || room.empty()) return;
  const CabHeader cabinet = DecodeCabHeader(firstHeader);
  if (!file.Skip(std::int64_t{cabinet.firstFileOffset} - std::int64_t{kCabHeaderSize})) return;
  for (unsigned i = 0; i < cabinet.fileCount; ++i) {
    std::uint8_t bytes[kCabFileRecordSize];
    if (file.Read(bytes, sizeof bytes) != sizeof bytes) return;
    CabNameCollector name(room, false);
    if (ReadName(file, name) == NameRead::Stop) return;
    if (name.fits() && !visitor.Visit(DecodeCabFileRecord(bytes), name.name())) return;
  }
}
