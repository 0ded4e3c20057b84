// The walk over the members of an LHA archive. Each member header starts
// with 21 bytes of the same layout (lzh_reader_headers.h); the level byte
// among them says how the rest is read. Every member, listed or not, ends
// with a forward seek past the rest of its entry, so member data is never
// read.
#include "finder/archive/lzh_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>

#include "finder/archive/inner_archives.h"
#include "finder/archive/lzh_reader_headers.h"
#include "finder/archive/member_walk.h"
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
  char folder[0xFFFF];              // of a level-1 member, read from its extended headers
  char path[kMemberNameUnits + 2];  // under /W; one byte more tells a path too long to list
  MemberNameRoom names;
};

// A member as its header describes it, for the listing and for /M.
struct LzhFound {
  const LzhExtensions* wide = nullptr;  // its name in UTF-16, else:
  std::string_view name, path;          // its name in bytes, and under /W its path
  CalendarTime clock;
  std::uint64_t size = 0;
  std::uint32_t attributes = 0;
  bool passes = false;  // the criteria
};

// What a level-1 member's extended headers give.
struct Level1Extensions {
  std::uint16_t attributes = kLzhDefaultAttributes;
  std::string_view folder;
};

class LzhWalk : MemberWalk {
 public:
  LzhWalk(ByteSource& file, const MemberReading& reading, LzhRoom& room)
      : MemberWalk(file, reading), room_(room) {}

  EntryRest Level0(const LzhBaseHeader& base, std::span<const std::uint8_t> header);
  EntryRest Level1(const LzhBaseHeader& base, std::span<const std::uint8_t> header);
  // Levels 2 and 3 differ only in the width of their size fields.
  EntryRest Level2Or3(const LzhBaseHeader& base, std::span<const std::uint8_t> header);

 private:
  // Lists the member when it passes the criteria and its name matches, and
  // with /M opens it when it is an archive stored as it is (-lh0-): its data
  // ends `rest` bytes from where the file stands. False when the listing has
  // to end.
  bool Handle(const LzhFound& found, std::span<const std::uint8_t> header, std::uint64_t rest);
  // Whether /M opens the member of `header` should it be an archive.
  bool OpensStored(std::span<const std::uint8_t> header) const;
  // The member's name as listed, when it matches `pattern`: its bytes and
  // under /W by its path, or its UTF-16 name. A name or path too long to
  // list matches nothing.
  bool ListedName(const SearchPattern& pattern, const LzhFound& found, std::string_view& listed);
  bool CodePageName(const SearchPattern& pattern, std::string_view name, std::string_view path,
                    std::string_view& listed);
  bool WideName(const SearchPattern& pattern, const LzhExtensions& ext, std::string_view& listed);
  // The path /W lists a member by: `folder` (0xFF between folders), then
  // `name`, in room_.path; `fits` false when it outgrew that room.
  std::string_view PathOf(std::string_view folder, std::string_view name, bool& fits);
  bool ReadLevel1Extensions(std::uint64_t& rest, Level1Extensions& found);
  template <typename T>
  bool ReadValue(T& value, std::uint64_t& rest);

  LzhRoom& room_;
};

bool LzhWalk::Handle(const LzhFound& found, std::span<const std::uint8_t> header,
                     std::uint64_t rest) {
  std::string_view listed;
  if (found.passes && ListedName(pattern_, found, listed) &&
      !listing_.List({listed, found.clock, found.size, found.attributes}))
    return false;
  // Stored, the data is the file itself, the last bytes of the entry.
  const std::uint64_t here = file_.Position();
  if (!OpensStored(header) || found.size > rest || rest > ~here) return true;
  return !ListedName(EveryMemberName(), found, listed) ||
         ListInnerArchive(file_, reading_, listed, here + rest - found.size, found.size);
}

bool LzhWalk::OpensStored(std::span<const std::uint8_t> header) const {
  constexpr std::string_view kStored = "-lh0-";
  return listing_.OpensInner() && header.size() >= 2 + kStored.size() &&
         std::equal(kStored.begin(), kStored.end(), header.begin() + 2);
}

bool LzhWalk::ListedName(const SearchPattern& pattern, const LzhFound& found,
                         std::string_view& listed) {
  return found.wide ? WideName(pattern, *found.wide, listed)
                    : CodePageName(pattern, found.name, found.path, listed);
}

bool LzhWalk::CodePageName(const SearchPattern& pattern, std::string_view name,
                           std::string_view path, std::string_view& listed) {
  // The matcher takes zero-terminated text.
  if (name.size() > kMemberNameUnits) return false;
  name.copy(room_.name, name.size());
  room_.name[name.size()] = '\0';
  return MatchCodePageName(pattern, {room_.name, name.size()}, codes_, room_.names, listed) &&
         (path.empty() || ListCodePagePath(path, codes_, room_.names, listed));
}

std::string_view LzhWalk::PathOf(std::string_view folder, std::string_view name, bool& fits) {
  MemberPath<char> path(room_.path, kLzhFolderSeparator);
  path.Add(folder);
  path.EndFolder();
  path.Add(name);
  fits = path.fits();
  return path.view();
}

bool LzhWalk::WideName(const SearchPattern& pattern, const LzhExtensions& ext,
                       std::string_view& listed) {
  MemberNameRoom& names = room_.names;
  const std::span<const std::uint8_t> utf16le = ext.wideName;
  std::size_t units = utf16le.size() / 2;
  if (units > kMemberNameUnits) return false;
  const auto unitAt = [](std::span<const std::uint8_t> bytes, std::size_t i) {
    return static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  };
  for (std::size_t i = 0; i < units; ++i) names.wide[i] = unitAt(utf16le, i);
  names.wide[units] = 0;
  if (!MatchWideName(pattern, names.wide, names, listed)) return false;
  if (options_.wholeMemberPaths) {
    // The wide name goes with the wide folder. A writer that gave none may
    // have given the folder in bytes of a code page the reader cannot decode:
    // an ASCII one is taken, any other left out.
    MemberPath<char16_t> path(std::span(names.wide, kMemberNameUnits + 2), kLzhWideFolderSeparator);
    if (!ext.wideFolder.empty()) {
      for (std::size_t i = 0; i < ext.wideFolder.size() / 2; ++i)
        path.Add(unitAt(ext.wideFolder, i));
    } else {
      bool ascii = true;
      for (char byte : ext.folder)
        ascii = ascii && (static_cast<unsigned char>(byte) < 0x80 || byte == kLzhFolderSeparator);
      if (ascii)
        for (char byte : ext.folder)
          path.Add(byte == kLzhFolderSeparator ? kLzhWideFolderSeparator
                                               : static_cast<char16_t>(byte));
    }
    path.EndFolder();
    for (std::size_t i = 0; i < units; ++i) path.Add(unitAt(utf16le, i));
    return path.fits() && ListWidePath(path.c_str(), names, listed);
  }
  return true;
}

EntryRest LzhWalk::Level0(const LzhBaseHeader& base, std::span<const std::uint8_t> header) {
  EntryRest rest = 2 + std::uint64_t{base.packedSize};  // the header CRC, then the data
  LzhNameField field = LzhLevel01Name(header.subspan(kLzhBaseSize));
  if (!field.ok) return kStop;
  auto time = static_cast<std::uint16_t>(base.stamp);
  auto date = static_cast<std::uint16_t>(base.stamp >> 16);
  LzhFound found;
  found.passes = MemberPassesFilters(options_, date, time, base.originalSize, base.attributes);
  if (!found.passes && !OpensStored(header)) return rest;
  // The stored name is the whole path, its folders separated by backslashes.
  found.name = LzhLevel0NamePart(field.name, codes_.isLeadByte);
  if (options_.wholeMemberPaths) found.path = field.name;
  found.clock = UnpackDosDateTime({date, time}, kMemberYearBits);
  found.size = base.originalSize;
  found.attributes = base.attributes;
  return Handle(found, header, *rest) ? rest : kStop;
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

// Reads the extended headers that follow a level-1 base header as far as
// they are wanted: up to the attribute header for the details, up to the
// folder header under /W. Everything read comes off `rest`, which keeps
// pointing at the end of the entry; a header reaching past the entry is
// damage.
bool LzhWalk::ReadLevel1Extensions(std::uint64_t& rest, Level1Extensions& found) {
  bool wantAttributes = options_.needDetails, wantFolder = options_.wholeMemberPaths;
  std::uint16_t size = 0;
  if (!ReadValue(size, rest)) return false;
  while (size != 0 && (wantAttributes || wantFolder)) {
    if (size < 3) return false;
    std::uint8_t type = 0;
    if (!ReadValue(type, rest)) return false;
    std::uint64_t data = size - 3u;
    if (type == kLzhExtAttributes && wantAttributes) {
      if (data < 2 || !ReadValue(found.attributes, rest)) return false;
      data -= 2;
      wantAttributes = false;
    } else if (type == kLzhExtFolderName && wantFolder) {
      const auto length = static_cast<std::size_t>(data);
      if (data > rest || file_.Read(room_.folder, length) != length) return false;
      rest -= data;
      found.folder = {room_.folder, length};
      data = 0;
      wantFolder = false;
    }
    if (!wantAttributes && !wantFolder) return true;
    if (data > rest || !file_.Skip(static_cast<std::int64_t>(data))) return false;
    rest -= data;
    if (!ReadValue(size, rest)) return false;
  }
  return true;
}

EntryRest LzhWalk::Level1(const LzhBaseHeader& base, std::span<const std::uint8_t> header) {
  // The size of the first extended header is still unread.
  std::uint64_t rest = 2 + std::uint64_t{base.packedSize};
  LzhNameField field = LzhLevel01Name(header.subspan(kLzhBaseSize));
  if (!field.ok) return kStop;
  auto time = static_cast<std::uint16_t>(base.stamp);
  auto date = static_cast<std::uint16_t>(base.stamp >> 16);
  LzhFound found;
  found.passes = MemberPassesDateTimeSize(options_, date, time, base.originalSize);
  if (!found.passes && !OpensStored(header)) return rest;
  Level1Extensions ext;
  if ((options_.needDetails || options_.wholeMemberPaths) && !ReadLevel1Extensions(rest, ext))
    return kStop;
  found.passes =
      found.passes && (!options_.needDetails || MemberPassesAttributes(options_, ext.attributes));
  // The name is matched whole, folder parts included; its folder is in an
  // extended header.
  bool fits = true;
  const std::string_view path =
      options_.wholeMemberPaths ? PathOf(ext.folder, field.name, fits) : std::string_view();
  if (!fits) return rest;
  found.name = field.name;
  found.path = path;
  found.clock = UnpackDosDateTime({date, time}, kMemberYearBits);
  found.size = base.originalSize;
  found.attributes = ext.attributes;
  return Handle(found, header, rest) ? EntryRest(rest) : kStop;
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
  LzhFound found{nullptr, {}, {}, clock, size, ext.attributes};
  found.passes = MemberPassesDateTimeSize(options_, packed.date, packed.time, size) &&
                 MemberPassesAttributes(options_, ext.attributes);
  if (!found.passes && !OpensStored(header)) return rest;
  if (ext.haveWideName) {
    found.wide = &ext;
  } else {
    bool fits = true;
    found.name = ext.name;
    if (options_.wholeMemberPaths) found.path = PathOf(ext.folder, ext.name, fits);
    if (!fits) return rest;
  }
  return Handle(found, header, *rest) ? rest : kStop;
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
  LzhWalk walk(file, reading, *room);
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
