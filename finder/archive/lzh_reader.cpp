// The walk over the members of an LHA archive. Each member header starts
// with 21 bytes of the same layout (lzh_reader_headers.h); the level byte
// among them says how the rest is read. Every member, listed or not, ends
// with a forward seek past the rest of its entry, so member data is never
// read.
#include "finder/archive/lzh_reader.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>

#include "finder/archive/lzh_reader_headers.h"
#include "finder/archive/wildcard.h"

namespace {

// What handling one member leaves: the bytes to skip to the next header, or
// nothing when the archive ends here.
using EntryRest = std::optional<std::uint64_t>;
constexpr EntryRest kStop = std::nullopt;

// A header read whole, the name it holds with a terminator behind it, and
// the room to match and show that name: over 400 KiB, made once per archive
// and left unset (each part is written before it is read).
struct LzhRoom {
  std::uint8_t header[kLzhLevel3MaxHeader];
  char name[kMemberNameUnits + 1];
  MemberNameRoom names;
};

class LzhWalk {
 public:
  LzhWalk(ByteSource& file, MemberList& listing, LocalTimeConverter toLocal, LzhRoom& room)
      : file_(file),
        options_(listing.options()),
        pattern_(listing.pattern()),
        listing_(listing),
        toLocal_(toLocal),
        isLeadByte_(MemberNameLeadByteTest(options_.ansiCodePage)),
        room_(room) {}

  EntryRest Level0(const LzhBaseHeader& base, std::span<const std::uint8_t> header);
  EntryRest Level1(const LzhBaseHeader& base, std::span<const std::uint8_t> header);
  // Levels 2 and 3 differ only in the width of their size fields.
  EntryRest Level2Or3(const LzhBaseHeader& base, std::span<const std::uint8_t> header);

 private:
  // Matches `name` against the pattern and lists the member; a name too long
  // to list passes the member over. False when the listing has to end.
  bool MatchAndList(std::string_view name, const CalendarTime& clock, std::uint64_t size,
                    std::uint32_t attributes);
  bool MatchAndListWide(std::span<const std::uint8_t> utf16le, const CalendarTime& clock,
                        std::uint64_t size, std::uint32_t attributes);
  std::optional<std::uint16_t> ReadLevel1Attributes(std::uint64_t& rest);
  template <typename T>
  bool ReadValue(T& value, std::uint64_t& rest);

  ByteSource& file_;
  const SearchOptions& options_;
  const SearchPattern& pattern_;
  MemberList& listing_;
  LocalTimeConverter toLocal_;
  LeadByteTest isLeadByte_;  // of the ANSI code page, which names without 0x44 are in
  LzhRoom& room_;
};

bool LzhWalk::MatchAndList(std::string_view name, const CalendarTime& clock, std::uint64_t size,
                           std::uint32_t attributes) {
  // The matcher takes zero-terminated text.
  if (name.size() > kMemberNameUnits) return true;
  name.copy(room_.name, name.size());
  room_.name[name.size()] = '\0';
  std::string_view listed;
  if (!MatchCodePageName(pattern_, {room_.name, name.size()}, isLeadByte_, room_.names, listed))
    return true;
  return listing_.List({listed, clock, size, attributes});
}

bool LzhWalk::MatchAndListWide(std::span<const std::uint8_t> utf16le, const CalendarTime& clock,
                               std::uint64_t size, std::uint32_t attributes) {
  char16_t* wide = room_.names.wide;
  std::size_t units = utf16le.size() / 2;
  if (units > kMemberNameUnits) return true;
  for (std::size_t i = 0; i < units; ++i)
    wide[i] = static_cast<char16_t>(utf16le[2 * i] | utf16le[2 * i + 1] << 8);
  wide[units] = 0;
  std::string_view listed;
  if (!MatchWideName(pattern_, wide, room_.names, listed)) return true;
  return listing_.List({listed, clock, size, attributes});
}

EntryRest LzhWalk::Level0(const LzhBaseHeader& base, std::span<const std::uint8_t> header) {
  EntryRest rest = 2 + std::uint64_t{base.packedSize};  // the header CRC, then the data
  LzhNameField field = LzhLevel01Name(header.subspan(kLzhBaseSize));
  if (!field.ok) return kStop;
  auto time = static_cast<std::uint16_t>(base.stamp);
  auto date = static_cast<std::uint16_t>(base.stamp >> 16);
  if (!MemberPassesFilters(options_, date, time, base.originalSize, base.attributes)) return rest;
  std::string_view part = LzhLevel0NamePart(field.name, isLeadByte_);
  if (!MatchAndList(part, UnpackDosDateTime({date, time}, kMemberYearBits), base.originalSize,
                    base.attributes))
    return kStop;
  return rest;
}

template <typename T>
bool LzhWalk::ReadValue(T& value, std::uint64_t& rest) {
  std::uint8_t bytes[sizeof(T)];
  if (rest < sizeof bytes || file_.Read(bytes, sizeof bytes) != sizeof bytes) return false;
  rest -= sizeof bytes;
  value = 0;
  for (std::size_t i = sizeof bytes; i-- > 0;) value = static_cast<T>(value << 8 | bytes[i]);
  return true;
}

// Reads the extended headers that follow a level-1 base header up to the
// attribute header. Everything read comes off `rest`, which keeps pointing at
// the end of the entry; a header reaching past the entry is damage.
std::optional<std::uint16_t> LzhWalk::ReadLevel1Attributes(std::uint64_t& rest) {
  std::uint16_t size = 0;
  if (!ReadValue(size, rest)) return std::nullopt;
  while (size != 0) {
    if (size < 3) return std::nullopt;
    std::uint8_t type = 0;
    if (!ReadValue(type, rest)) return std::nullopt;
    std::uint64_t data = size - 3u;
    if (type == kLzhExtAttributes) {
      std::uint16_t attributes = 0;
      if (data < 2 || !ReadValue(attributes, rest)) return std::nullopt;
      return attributes;
    }
    if (data > rest || !file_.Skip(static_cast<std::int64_t>(data))) return std::nullopt;
    rest -= data;
    if (!ReadValue(size, rest)) return std::nullopt;
  }
  return kLzhDefaultAttributes;
}

EntryRest LzhWalk::Level1(const LzhBaseHeader& base, std::span<const std::uint8_t> header) {
  // The size of the first extended header is still unread.
  std::uint64_t rest = 2 + std::uint64_t{base.packedSize};
  LzhNameField field = LzhLevel01Name(header.subspan(kLzhBaseSize));
  if (!field.ok) return kStop;
  auto time = static_cast<std::uint16_t>(base.stamp);
  auto date = static_cast<std::uint16_t>(base.stamp >> 16);
  if (!MemberPassesDateTimeSize(options_, date, time, base.originalSize)) return rest;
  std::uint16_t attributes = kLzhDefaultAttributes;
  if (options_.needDetails) {
    auto found = ReadLevel1Attributes(rest);
    if (!found) return kStop;
    attributes = *found;
    if (!MemberPassesAttributes(options_, attributes)) return rest;
  }
  // The name is matched and shown whole, folder parts included.
  if (!MatchAndList(field.name, UnpackDosDateTime({date, time}, kMemberYearBits), base.originalSize,
                    attributes))
    return kStop;
  return rest;
}

EntryRest LzhWalk::Level2Or3(const LzhBaseHeader& base, std::span<const std::uint8_t> header) {
  LzhExtensions ext = WalkLzhExtensions(header, base.level);
  if (!ext.ok) return kStop;
  // Members of 4 GiB and more carry their real sizes in a header of their
  // own; the data is skipped by the real compressed size.
  EntryRest rest = ext.haveLargeSizes ? ext.packedSize : base.packedSize;
  std::uint64_t size = ext.haveLargeSizes ? ext.originalSize : base.originalSize;
  // The stamp is UTC, in the base header or, more precisely and beyond 2106,
  // in the Windows stamps; the criteria and the long line use local time,
  // and the line shows the exact second.
  std::int64_t stamp = ext.haveLastWrite ? ext.lastWrite : std::int64_t{base.stamp};
  CalendarTime clock;
  DosDateTime packed;
  if (options_.dateMode != RangeMode::None || options_.timeMode != RangeMode::None ||
      options_.form != 0) {
    if (!toLocal_ || !toLocal_(stamp, &clock)) clock = UtcDateTime(stamp);
    // A moment the packed form cannot hold is shown and compared as the
    // nearest end of its range, as a file of a directory is.
    clock = NearestDosMoment(clock);
    packed = MemberDosDateTime(clock);
  }
  if (!MemberPassesDateTimeSize(options_, packed.date, packed.time, size)) return rest;
  if (!MemberPassesAttributes(options_, ext.attributes)) return rest;
  bool listed = ext.haveWideName ? MatchAndListWide(ext.wideName, clock, size, ext.attributes)
                                 : MatchAndList(ext.name, clock, size, ext.attributes);
  if (!listed) return kStop;
  return rest;
}

}  // namespace

void ListLzhMembers(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                    const MemberReading& reading) {
  if (firstHeader.size() != kLzhBaseSize) return;
  const auto room = std::make_unique_for_overwrite<LzhRoom>();
  // The largest header read whole is a level-3 one, then level 2; levels 0
  // and 1 have at most 255 bytes.
  static_assert(kLzhLevel3MaxHeader >= kLzhLevel2MaxHeader);
  std::uint8_t* header = room->header;
  std::memcpy(header, firstHeader.data(), kLzhBaseSize);
  LzhWalk walk(file, reading.listing, reading.toLocal, *room);
  for (;;) {
    LzhBaseHeader base = DecodeLzhBase(std::span(header, kLzhBaseSize));
    long more = LzhHeaderBytesToRead(base);
    if (more < 0) return;
    auto count = static_cast<std::size_t>(more);
    if (file.Read(header + kLzhBaseSize, count) != count) return;
    if (base.level == 3) {
      // Only the fixed part tells how much of the header is left.
      more = LzhLevel3BytesToRead(std::span(header, kLzhLevel3FixedSize));
      if (more < 0) return;
      std::size_t tail = static_cast<std::size_t>(more);
      if (file.Read(header + kLzhLevel3FixedSize, tail) != tail) return;
      count += tail;
    }
    std::span<const std::uint8_t> whole(header, kLzhBaseSize + count);
    EntryRest rest = base.level == 0   ? walk.Level0(base, whole)
                     : base.level == 1 ? walk.Level1(base, whole)
                                       : walk.Level2Or3(base, whole);
    // A 64-bit size can reach beyond any seek; such an archive is damaged.
    if (!rest || *rest > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) ||
        !file.Skip(static_cast<std::int64_t>(*rest)))
      return;
    // The archive's closing 0 byte fails the method test like any other end.
    if (file.Read(header, kLzhBaseSize) != kLzhBaseSize || !IsLzhMethodId({header, kLzhBaseSize}))
      return;
  }
}
